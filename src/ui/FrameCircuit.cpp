#include "ui/FrameCircuit.h"

#include "messages/ErrorStrings.h"
#include "model/RealText.h"
#include "model/WorkList.h"
#include "network/NetworkView.h"
#include "ui/CircuitForm.h"
#include "ui/Dialogs.h"
#include "ui/LocaleText.h"

#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTableWidget>


std::string LastTimeText;

std::vector<std::string> EventWorkRows(const TNetworkView& View, const std::vector<std::string>& Names,
                                       THandle Event, std::string& TimeText) {
    TimeText.clear();
    const TViewEvent* e = View.FindEvent(Event);
    if (!e)
        return {};
    // Path values are negative in critical-path mode; a time is shown
    // without its sign in either mode.
    TimeText = FormatReal(e->Time, DecimalSeparator());
    if (e->IsStart)
        return {std::string(Msg::NoWorksStart)};

    // The reserve row is only taken at an event beyond the second level,
    // where earlier works can have been finished; should one turn up nearer
    // the start, the list grows rather than lose the last name.
    const int r = e->IsEnd && e->Level > 2 ? 1 : 0;
    const std::vector<TViewEventWork> Works = View.WorksOf(*e);
    std::vector<std::string> Rows(Works.size() + static_cast<std::size_t>(r) + 1);
    Rows[0] = std::string(Msg::PathTime) + TimeText + " --";
    const auto Put = [&Rows](int Row, std::string Text) {
        const auto At = static_cast<std::size_t>(Row);
        if (At >= Rows.size())
            Rows.resize(At + 1);
        Rows[At] = std::move(Text);
    };
    int Shift = 0;
    for (int i = 0; i < static_cast<int>(Works.size()); ++i) {
        const TViewEventWork& m = Works[static_cast<std::size_t>(i)];
        const std::int32_t k = m.Work;
        if (k < 0 || k >= static_cast<std::int32_t>(Names.size())) {
            Put(i + 1 + Shift, std::string(Msg::UnknownWork));
        } else if (Shift == 0 && m.FinishedEarlier) {
            Put(i + 1, std::string(Msg::FinishedEarlier));
            Put(i + 2, Names[static_cast<std::size_t>(k)]);
            Shift = 1;
        } else {
            Put(i + 1 + Shift, Names[static_cast<std::size_t>(k)]);
        }
    }
    return Rows;
}

TFrame1::TFrame1(TDialogs& Dialogs, QWidget* Parent) : QFrame(Parent), Dialogs(Dialogs) {
    setFrameShape(QFrame::NoFrame);
    setGeometry(0, 0, FrameWidth, FrameHeight);
    sg1 = new QTableWidget(1, 1, this);
    sg1->setFrameShape(QFrame::NoFrame);
    sg1->horizontalHeader()->hide();
    sg1->verticalHeader()->hide();
    sg1->verticalHeader()->setMinimumSectionSize(1);
    sg1->verticalHeader()->setDefaultSectionSize(RowHeight);
    sg1->setColumnWidth(0, 320);
    sg1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sg1->setSelectionMode(QAbstractItemView::SingleSelection);
    sg1->installEventFilter(this);
    sg1->viewport()->installEventFilter(this);
    FrameResize();
    hide();
}

void TFrame1::ShowEventWorks(int Top, QWidget* Window, THandle Event) {
    auto* Form = qobject_cast<TCircuitForm*>(Window);
    if (!Form)
        return;
    const int Left = Form->ListLeft();
    Form->GrowClientFor(QRect(Left, Top, width(), height()));

    std::string Time;
    const std::vector<std::string> Texts = EventWorkRows(Form->Engine().Result(), Form->Names(), Event, Time);
    LastTimeText = Time;
    sg1->clearContents();
    sg1->setRowCount(static_cast<int>(Texts.size()));
    for (std::size_t Row = 0; Row < Texts.size(); ++Row)
        sg1->setItem(static_cast<int>(Row), 0,
                     new QTableWidgetItem(QString::fromStdString(Texts[Row])));
    sg1->scrollToTop();

    move(Left, Top);
    show();
    raise();
    Form->ListShown();
    // So that F3 answers at once.
    sg1->setFocus(Qt::OtherFocusReason);
}

void TFrame1::HideList() {
    hide();
}

void TFrame1::sg1KeyUp(int Key) {
    if (Key == Qt::Key_F3 && !LastTimeText.empty())
        Dialogs.Plain(LastTimeText);
}

std::vector<std::string> TFrame1::Rows() const {
    std::vector<std::string> Result;
    for (int Row = 0; Row < sg1->rowCount(); ++Row) {
        const QTableWidgetItem* Item = sg1->item(Row, 0);
        Result.push_back(Item ? Item->text().toStdString() : std::string());
    }
    return Result;
}

void TFrame1::FrameResize() {
    sg1->setGeometry(0, 0, width(), height());
}

void TFrame1::resizeEvent(QResizeEvent* Event) {
    QFrame::resizeEvent(Event);
    FrameResize();
}

bool TFrame1::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched == sg1->viewport() && Event->type() == QEvent::MouseButtonPress)
        emit sg1MouseDown(static_cast<QMouseEvent*>(Event)->button());
    if (Watched == sg1 && Event->type() == QEvent::KeyRelease) {
        const int Key = static_cast<QKeyEvent*>(Event)->key();
        sg1KeyUp(Key);
        if (Key == Qt::Key_F3)
            return true;
    }
    return QFrame::eventFilter(Watched, Event);
}
