#include "ui/GanttForm.h"

#include "model/SchemeSnapshot.h"
#include "model/WorkList.h"
#include "network/Analysis.h"
#include "ui/Analyser.h"
#include "ui/Dialogs.h"
#include "ui/LocaleText.h"
#include "ui/PicturePrint.h"
#include "ui/WindowFrame.h"

#include <QAction>
#include <QDate>
#include <QFileInfo>
#include <QHelpEvent>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

const char* const PictureFilters =
    "Рисунок PNG (*.png);;Рисунок JPEG (*.jpg *.jpeg);;Рисунок SVG (*.svg);;Документ PDF (*.pdf)";

constexpr double ZoomStep = 1.25;
constexpr double LeastZoom = 0.5;
constexpr double MostZoom = 120;

} // namespace

TGanttView::TGanttView(TGanttForm& AForm, QWidget* Parent)
    : QAbstractScrollArea(Parent), Form(AForm) {
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    QPalette White = viewport()->palette();
    White.setColor(QPalette::Base, Qt::white);
    viewport()->setPalette(White);
    viewport()->setMouseTracking(true);
}

void TGanttView::UpdateRanges() {
    const TGanttChart* Chart = Form.Chart();
    const QSize Size = Chart ? Chart->Size() : QSize();
    const QSize Port = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, Size.width() - Port.width()));
    verticalScrollBar()->setRange(0, std::max(0, Size.height() - Port.height()));
    horizontalScrollBar()->setPageStep(Port.width());
    verticalScrollBar()->setPageStep(Port.height());
    if (Chart) {
        horizontalScrollBar()->setSingleStep(static_cast<int>(Chart->RowPitch()));
        verticalScrollBar()->setSingleStep(static_cast<int>(Chart->RowPitch()));
    }
    viewport()->update();
}

QPointF TGanttView::ChartPoint(QPointF At) const {
    const TGanttChart* Chart = Form.Chart();
    if (!Chart)
        return At;
    const double X = At.x() < Chart->NameWidth() ? At.x() : At.x() + horizontalScrollBar()->value();
    const double Y =
        At.y() < Chart->HeaderHeight() ? At.y() : At.y() + verticalScrollBar()->value();
    return {X, Y};
}

void TGanttView::ShowRow(int Row) {
    const TGanttChart* Chart = Form.Chart();
    if (!Chart || Row < 0)
        return;
    const double Top = Row * Chart->RowPitch();
    const double Room = viewport()->height() - Chart->HeaderHeight() - Chart->RowPitch();
    QScrollBar* Bar = verticalScrollBar();
    if (Top < Bar->value())
        Bar->setValue(static_cast<int>(Top));
    else if (Top > Bar->value() + Room)
        Bar->setValue(static_cast<int>(Top - Room));
}

void TGanttView::paintEvent(QPaintEvent*) {
    const TGanttChart* Chart = Form.Chart();
    if (!Chart)
        return;
    QPainter Painter(viewport());
    const QPointF Offset(Chart->NameWidth() + horizontalScrollBar()->value(),
                         Chart->HeaderHeight() + verticalScrollBar()->value());
    Chart->PaintView(Painter, Offset, viewport()->size());
    const int Row = Chart->RowOfWork(Form.SelectedWork());
    if (Row < 0)
        return;
    const double Top =
        Chart->HeaderHeight() + Row * Chart->RowPitch() - verticalScrollBar()->value();
    if (Top + Chart->RowPitch() <= Chart->HeaderHeight())
        return;
    Painter.setClipRect(
        QRectF(0, Chart->HeaderHeight(), viewport()->width(), viewport()->height()));
    Painter.fillRect(QRectF(0, Top, viewport()->width(), Chart->RowPitch()),
                     QColor(0, 90, 200, 40));
}

void TGanttView::resizeEvent(QResizeEvent* Event) {
    QAbstractScrollArea::resizeEvent(Event);
    UpdateRanges();
}

void TGanttView::mousePressEvent(QMouseEvent* Event) {
    const TGanttChart* Chart = Form.Chart();
    if (!Chart || Event->button() != Qt::LeftButton)
        return;
    Form.ClickRow(Chart->RowAt(ChartPoint(Event->position()).y()));
}

void TGanttView::wheelEvent(QWheelEvent* Event) {
    if (!(Event->modifiers() & Qt::ControlModifier)) {
        QAbstractScrollArea::wheelEvent(Event);
        return;
    }
    const int Steps = Event->angleDelta().y();
    if (Steps != 0)
        Form.SetZoom(
            Form.Zoom() * (Steps > 0 ? ZoomStep : 1 / ZoomStep),
            std::max(0.0, Event->position().x() - (Form.Chart() ? Form.Chart()->NameWidth() : 0)));
    Event->accept();
}

bool TGanttView::viewportEvent(QEvent* Event) {
    if (Event->type() == QEvent::ToolTip) {
        const auto* Help = static_cast<QHelpEvent*>(Event);
        const TGanttChart* Chart = Form.Chart();
        const int Row = Chart ? Chart->RowAt(ChartPoint(Help->pos()).y()) : -1;
        if (Row >= 0)
            QToolTip::showText(Help->globalPos(), Form.RowText(Row), viewport());
        else
            QToolTip::hideText();
        return true;
    }
    return QAbstractScrollArea::viewportEvent(Event);
}

TGanttForm::TGanttForm(const TWorkList& AList, TAnalyser& AAnalyser, TDialogs& ADialogs,
                       QWidget* Parent)
    : QWidget(Parent, Qt::Window), List(AList), Analyser(AAnalyser), Dialogs(ADialogs) {
    Options.Font = font();
    auto* Layout = new QVBoxLayout(this);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->setSpacing(0);
    View = new TGanttView(*this, this);
    CreateActions();
    Layout->addWidget(View);
    resize(ClientSizeOf(760, 420));
    // A hidden window costs an edit nothing: it makes its chart when shown.
    connect(&Analyser, &TAnalyser::Ready, this, [this] {
        if (isVisible())
            Rebuild();
        else
            Stale = true;
    });
    connect(&Analyser, &TAnalyser::BusyChanged, this, [this] { UpdateTitle(); });
    UpdateTitle();
}

TGanttForm::~TGanttForm() = default;

void TGanttForm::CreateActions() {
    auto* Bar = new QMenuBar(this);
    layout()->setMenuBar(Bar);
    QMenu* File = Bar->addMenu(QStringLiteral("Файл"));
    SaveAction = File->addAction(QStringLiteral("Сохранить рисунок…"));
    connect(SaveAction, &QAction::triggered, this, [this] { SavePictureClick(); });
    PrintAction = File->addAction(QStringLiteral("Печать…"));
    PrintAction->setShortcut(QKeySequence(QStringLiteral("Ctrl+P")));
    connect(PrintAction, &QAction::triggered, this, [this] { PrintClick(); });
    QMenu* Look = Bar->addMenu(QStringLiteral("Вид"));
    ZoomInAction = Look->addAction(QStringLiteral("Крупнее"));
    ZoomInAction->setShortcuts(
        {QKeySequence(QStringLiteral("Ctrl++")), QKeySequence(QStringLiteral("Ctrl+="))});
    connect(ZoomInAction, &QAction::triggered, this, [this] { SetZoom(Zoom() * ZoomStep); });
    ZoomOutAction = Look->addAction(QStringLiteral("Мельче"));
    ZoomOutAction->setShortcut(QKeySequence(QStringLiteral("Ctrl+-")));
    connect(ZoomOutAction, &QAction::triggered, this, [this] { SetZoom(Zoom() / ZoomStep); });
    Look->addSeparator();
    SortAction = Look->addAction(QStringLiteral("По раннему началу"));
    SortAction->setCheckable(true);
    connect(SortAction, &QAction::toggled, this, [this](bool On) {
        Options.SortByStart = On;
        Rebuild();
    });
    LinksAction = Look->addAction(QStringLiteral("Связи"));
    LinksAction->setCheckable(true);
    LinksAction->setChecked(true);
    connect(LinksAction, &QAction::toggled, this, [this](bool On) {
        Options.Links = On;
        Rebuild();
    });
}

void TGanttForm::UpdateTitle() {
    setWindowTitle(Analyser.Busy() ? QStringLiteral("Диаграмма Ганта (обновляется…)")
                                   : QStringLiteral("Диаграмма Ганта"));
}

void TGanttForm::showEvent(QShowEvent* Event) {
    QWidget::showEvent(Event);
    if (Stale || !Shown)
        Rebuild();
}

void TGanttForm::Rebuild() {
    Stale = false;
    const std::shared_ptr<const TAnalysis>& Made = Analyser.Current();
    if (!Made) {
        Shown.reset();
    } else {
        Shown = std::make_unique<TGanttChart>(Made->View().Schedule, Made->Scheme->Names,
                                              Made->Scheme->Essential, List.Calendar(), Options);
        if (Shown->Empty())
            Shown.reset();
    }
    View->UpdateRanges();
}

void TGanttForm::SetZoom(double PixelsPerDay, double Anchor) {
    const double Old = Options.PixelsPerDay;
    Options.PixelsPerDay = std::clamp(PixelsPerDay, LeastZoom, MostZoom);
    if (Options.PixelsPerDay == Old)
        return;
    // The moment Anchor pixels into the bars stays under it.
    QScrollBar* Bar = View->horizontalScrollBar();
    const double Day = (Bar->value() + Anchor) / Old;
    Rebuild();
    Bar->setValue(static_cast<int>(std::lround(Day * Options.PixelsPerDay - Anchor)));
}

void TGanttForm::SelectWork(int Work) {
    if (Work == Selected)
        return;
    Selected = Work;
    if (Shown)
        View->ShowRow(Shown->RowOfWork(Work));
    View->viewport()->update();
}

void TGanttForm::ClickRow(int Row) {
    if (!Shown || Row < 0)
        return;
    SelectWork(Shown->WorkOfRow(Row));
    emit WorkClicked(Selected);
}

QString TGanttForm::RowText(int Row) const {
    const std::shared_ptr<const TAnalysis>& Made = Analyser.Current();
    const int Work = Shown ? Shown->WorkOfRow(Row) : -1;
    if (!Made || Work < 0 || Work >= static_cast<int>(Made->View().Schedule.Works.size()))
        return {};
    const TWorkTimes& T = Made->View().Schedule.Works[Work];
    const auto& Clock = Shown->Clock();
    const auto When = [&Clock](TReal Day, bool Finish) {
        const QString Number = DurationText(Day);
        if (!Clock)
            return Number;
        const std::optional<TMoment> At = Finish ? Clock->FinishOf(Day) : Clock->StartOf(Day);
        return At ? MomentText(*At) + QStringLiteral(" (") + Number + ')' : Number;
    };
    QString Text = QString::fromStdString(Made->Scheme->Names[Work]);
    Text += QStringLiteral("\nДлительность: ") + DurationText(Made->Scheme->Durations[Work]);
    Text += QStringLiteral("\nРаннее начало: ") + When(T.EarlyStart, false);
    Text += QStringLiteral("\nРаннее окончание: ") + When(T.EarlyFinish, true);
    Text += QStringLiteral("\nПозднее начало: ") + When(T.LateStart, false);
    Text += QStringLiteral("\nПозднее окончание: ") + When(T.LateFinish, true);
    Text += QStringLiteral("\nПолный резерв: ") + DurationText(T.TotalFloat);
    Text += QStringLiteral("\nСвободный резерв: ") + DurationText(T.FreeFloat);
    if (T.Critical)
        Text += QStringLiteral("\nКритическая работа");
    return Text;
}

bool TGanttForm::SavePictureTo(const std::string& FileName) {
    if (!Shown)
        return false;
    const TGanttChart& Chart = *Shown;
    QString Error;
    if (SavePainting(
            Chart.Size(),
            [&Chart](QPainter& Painter, const QRectF& Part) { Chart.Paint(Painter, Part); },
            QString::fromStdString(FileName), Error))
        return true;
    Dialogs.FileError("Рисунок не сохранён в файл «" + FileName + "»: " + Error.toStdString());
    return false;
}

void TGanttForm::SavePictureClick() {
    if (!Shown)
        return;
    if (const auto Name = Dialogs.SaveOtherFileName("Сохранить рисунок", PictureFilters, ""))
        SavePictureTo(*Name);
}

void TGanttForm::PrintClick() {
    if (!Shown)
        return;
    const TGanttChart& Chart = *Shown;
    TPrintTitle Title;
    const QWidget* Main = parentWidget();
    const QString File = Main ? Main->windowFilePath() : QString();
    Title.Scheme = File.isEmpty() ? QStringLiteral("Новая схема") : QFileInfo(File).fileName();
    Title.Printed = QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
    if (const auto& Made = Analyser.Current(); Made && Made->View().Schedule.Valid)
        Title.Duration = DurationText(Made->View().Schedule.ProjectDuration);
    const TPagedPicture Pages{[&Chart](QSizeF Area) { return Chart.PageGrid(Area); },
                              [&Chart](QPainter& Painter, int Row, int Column, QSizeF Area) {
                                  Chart.PaintPage(Painter, Row, Column, Area);
                              }};
    PrintPagedPicture(this, windowTitle(), true, Pages, Title);
}
