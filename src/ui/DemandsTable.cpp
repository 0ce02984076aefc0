#include "ui/DemandsTable.h"

#include "model/RealText.h"
#include "model/WorkList.h"
#include "ui/Dialogs.h"
#include "ui/EditHistory.h"
#include "ui/LocaleText.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

constexpr std::string_view BadDemand =
    "Потребность — число единиц ресурса от 0 до 1e15 (дробная часть через запятую или точку)";
// A demand the resource cannot meet at any moment.
const QColor Overloaded(255, 150, 150);

QString ResourceTitle(const TResource& Resource) {
    QString Title = QString::fromStdString(Resource.Name) + QStringLiteral("\n") +
                    DurationText(Resource.Availability);
    if (!Resource.Unit.empty())
        Title += QStringLiteral(" ") + QString::fromStdString(Resource.Unit);
    return Title;
}

void SetHeader(QTableWidgetItem* (QTableWidget::*Get)(int) const,
               void (QTableWidget::*Set)(int, QTableWidgetItem*), QTableWidget& Grid, int At,
               const QString& Text) {
    const QTableWidgetItem* Item = (Grid.*Get)(At);
    if (!Item || Item->text() != Text)
        (Grid.*Set)(At, new QTableWidgetItem(Text));
}

} // namespace

TDemandsTable::TDemandsTable(TWorkList& List, TEditHistory& History, TDialogs& Dialogs,
                             QWidget* Parent, int OnlyWork)
    : QWidget(Parent, OnlyWork < 0 ? Qt::Window : Qt::Widget), List(List), History(History),
      Dialogs(Dialogs), OnlyWork(OnlyWork) {
    setWindowTitle(QStringLiteral("Потребности в ресурсах"));
    auto* Layout = new QVBoxLayout(this);
    NoResources =
        new QLabel(QStringLiteral("В схеме нет ресурсов: их вводят в «Данные» → «Ресурсы…»"), this);
    Layout->addWidget(NoResources);
    Grid = new QTableWidget(this);
    Grid->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                          QAbstractItemView::EditKeyPressed);
    Grid->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid->verticalHeader()->setDefaultSectionSize(20);
    Grid->horizontalHeader()->setDefaultSectionSize(90);
    Grid->installEventFilter(this);
    Layout->addWidget(Grid);
    connect(Grid, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* Item) {
        if (!Filling)
            EnterDemand(Item->row(), Item->column(), Item->text());
    });
    if (OnlyWork < 0) {
        resize(640, 420);
        List.AddListener(
            [this](TWorkList&, std::int32_t, std::int32_t Kind) { ListChanged(Kind); });
    }
    Refill();
}

void TDemandsTable::ListChanged(int Kind) {
    if (Kind == ckPathMode || Kind == ckCalendar)
        return;
    Stale = true;
    // A hidden window catches up when it is shown: an edit of a large scheme
    // without resources pays nothing for it.
    if (isVisible())
        Refill();
}

void TDemandsTable::showEvent(QShowEvent* Event) {
    QWidget::showEvent(Event);
    if (Stale)
        Refill();
}

void TDemandsTable::Refill() {
    Stale = false;
    Filling = true;
    FillCells();
    Filling = false;
}

void TDemandsTable::FillCells() {
    const std::vector<TResource>& Resources = List.Resources();
    const int Rows = OnlyWork >= 0 ? (OnlyWork < List.Count() ? 1 : 0) : List.Count();
    const int Columns = static_cast<int>(Resources.size());
    NoResources->setVisible(Columns == 0);
    Grid->setRowCount(Rows);
    Grid->setColumnCount(Columns);
    for (int c = 0; c < Columns; ++c)
        SetHeader(&QTableWidget::horizontalHeaderItem, &QTableWidget::setHorizontalHeaderItem,
                  *Grid, c, ResourceTitle(Resources[static_cast<std::size_t>(c)]));
    // Only what differs is set again: an edit changes one cell or one row.
    for (int r = 0; r < Rows; ++r) {
        const TWorkData& Work = List.GetWork(WorkOfRow(r));
        SetHeader(&QTableWidget::verticalHeaderItem, &QTableWidget::setVerticalHeaderItem, *Grid, r,
                  QString::fromStdString(Work.Name));
        for (int c = 0; c < Columns; ++c) {
            const TReal Units = Work.Demands.Of(static_cast<std::size_t>(c));
            const TReal Available = Resources[static_cast<std::size_t>(c)].Availability;
            const QString Text = Units == 0 ? QString() : DurationText(Units);
            const bool Over = Units > Available;
            QTableWidgetItem* Item = Grid->item(r, c);
            if (!Item) {
                Item = new QTableWidgetItem;
                Item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                Grid->setItem(r, c, Item);
            }
            if (Item->text() != Text)
                Item->setText(Text);
            if ((Item->background().color() == Overloaded) != Over) {
                Item->setBackground(Over ? QBrush(Overloaded) : QBrush());
                Item->setToolTip(Over ? QStringLiteral("Больше, чем есть ресурса: ") +
                                            DurationText(Available)
                                      : QString());
            }
        }
    }
}

bool TDemandsTable::EnterDemand(int Row, int Column, const QString& Text) {
    const int Work = WorkOfRow(Row);
    if (Row < 0 || Row >= Grid->rowCount() || Column < 0 || Column >= Grid->columnCount() ||
        Work >= List.Count())
        return false;
    const QString Plain = Text.trimmed();
    const std::optional<TReal> Value =
        Plain.isEmpty() ? std::optional<TReal>(0) : DurationFromText(Plain);
    if (!Value || *Value < 0 || *Value > MaxDuration) {
        Dialogs.Notice(BadDemand);
        Refill();
        return false;
    }
    TDemands Demands = List.GetWork(Work).Demands;
    Demands.Set(static_cast<std::size_t>(Column), *Value == 0 ? TReal(0) : *Value);
    const bool Changes =
        !(Demands == List.GetWork(Work).Demands) && History.SetDemands(Work, std::move(Demands));
    // The cell shows the number as the table writes it ("2,0" becomes "2");
    // the window of every work was refilled by the list's announcement.
    if (!Changes || OnlyWork >= 0)
        Refill();
    return Changes;
}

void TDemandsTable::MoveDown() {
    const int Row = Grid->currentRow();
    if (Row >= 0 && Row + 1 < Grid->rowCount())
        Grid->setCurrentCell(Row + 1, Grid->currentColumn());
}

bool TDemandsTable::eventFilter(QObject* Watched, QEvent* Event) {
    // A cell's editor keeps Delete for itself but passes Enter on to the
    // grid: Enter, as in a spreadsheet, goes on to the cell below whether a
    // cell was typed into or not.
    if (Watched == Grid && Event->type() == QEvent::KeyPress) {
        const int Key = static_cast<QKeyEvent*>(Event)->key();
        if (Key == Qt::Key_Delete || Key == Qt::Key_Backspace) {
            if (Grid->currentItem())
                EnterDemand(Grid->currentRow(), Grid->currentColumn(), QString());
            return true;
        }
        if (Key == Qt::Key_Return || Key == Qt::Key_Enter) {
            // After the editor has handed its number over and closed, which
            // it does from the event loop.
            QMetaObject::invokeMethod(
                this, [this] { MoveDown(); }, Qt::QueuedConnection);
            return true;
        }
    }
    return QWidget::eventFilter(Watched, Event);
}

void ExecuteWorkDemands(TWorkList& List, TEditHistory& History, TDialogs& Dialogs, int Work,
                        QWidget* Parent) {
    if (Work < 0 || Work >= List.Count())
        return;
    QDialog Dialog(Parent);
    Dialog.setWindowTitle(QStringLiteral("Потребности работы «") +
                          QString::fromStdString(List.GetWork(Work).Name) + QStringLiteral("»"));
    auto* Layout = new QVBoxLayout(&Dialog);
    auto* Table = new TDemandsTable(List, History, Dialogs, &Dialog, Work);
    Layout->addWidget(Table);
    auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Close, &Dialog);
    Buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Закрыть"));
    Buttons->button(QDialogButtonBox::Close)->setAutoDefault(false);
    Layout->addWidget(Buttons);
    QObject::connect(Buttons, &QDialogButtonBox::rejected, &Dialog, &QDialog::reject);
    Dialog.resize(520, 160);
    Dialog.exec();
}
