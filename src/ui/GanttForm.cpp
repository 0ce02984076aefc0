#include "ui/GanttForm.h"

#include "messages/ErrorStrings.h"
#include "model/SchemeSnapshot.h"
#include "model/WorkList.h"
#include "network/Analysis.h"
#include "ui/Analyser.h"
#include "ui/Dialogs.h"
#include "ui/Levelling.h"
#include "ui/LoadView.h"
#include "ui/LocaleText.h"
#include "ui/PicturePrint.h"
#include "ui/WindowFrame.h"

#include <QAction>
#include <QActionGroup>
#include <QDate>
#include <QFileInfo>
#include <QHelpEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSplitter>
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
    Split = new QSplitter(Qt::Vertical, this);
    View = new TGanttView(*this, Split);
    LoadView = new TLoadView(Split);
    LoadView->hide();
    Split->addWidget(View);
    Split->addWidget(LoadView);
    Split->setChildrenCollapsible(false);
    // A taller window shows more rows; the load keeps its height.
    Split->setStretchFactor(0, 1);
    Split->setStretchFactor(1, 0);
    Runner = new TLevellingRunner(this);
    connect(Runner, &TLevellingRunner::Finished, this, [this] { LevellingFinished(); });
    CreateActions();
    Layout->addWidget(Split, 1);
    Status = new QLabel(this);
    Status->setContentsMargins(6, 2, 6, 2);
    Layout->addWidget(Status);
    connect(View->horizontalScrollBar(), &QScrollBar::valueChanged, LoadView,
            &TLoadView::SetOffset);
    connect(LoadView, &TLoadView::ZoomAsked, this, [this](bool In, double X) {
        SetZoom(Zoom() * (In ? ZoomStep : 1 / ZoomStep),
                std::max(0.0, X - (Chart() ? Chart()->NameWidth() : 0)));
    });
    resize(ClientSizeOf(760, 420));
    connect(&Analyser, &TAnalyser::Ready, this, [this] { AnalysisReady(); });
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
    CreateLoadActions(Bar->addMenu(QStringLiteral("Ресурсы")));
}

void TGanttForm::CreateLoadActions(QMenu* Menu) {
    LevelAction = Menu->addAction(QStringLiteral("Выровнять по ресурсам"));
    LevelAction->setShortcut(QKeySequence(QStringLiteral("Ctrl+L")));
    connect(LevelAction, &QAction::triggered, this, [this] { LevelClick(); });
    Menu->addSeparator();
    LoadAction = Menu->addAction(QStringLiteral("Загрузка ресурсов"));
    LoadAction->setCheckable(true);
    LoadAction->setChecked(true);
    Menu->addSeparator();
    auto* Group = new QActionGroup(this);
    const auto Choice = [&](const char* Text) {
        QAction* Action = Menu->addAction(QString::fromUtf8(Text));
        Action->setCheckable(true);
        Group->addAction(Action);
        return Action;
    };
    EarlyAction = Choice("Ранний график");
    LateAction = Choice("Поздний график");
    LevelledAction = Choice("Выровненный график");
    EarlyAction->setChecked(true);
    LevelledAction->setEnabled(false);
    // Connected once all are made: a change rebuilds the chart from them all.
    connect(LoadAction, &QAction::toggled, this, [this] { Rebuild(); });
    for (QAction* Action : {EarlyAction, LateAction, LevelledAction})
        connect(Action, &QAction::toggled, this, [this](bool On) {
            if (On)
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
    ShownLoad.reset();
    if (!Made) {
        Shown.reset();
    } else {
        const TSchemeSnapshot& Scheme = *Made->Scheme;
        const TLevelledSchedule* Levelled = ShowsLevelled() ? &Runner->Result()->Schedule : nullptr;
        const bool WithLoad = LoadAction->isChecked() && !Scheme.Resources.empty();
        Options.LeastNameWidth = WithLoad ? LoadNameWidth(Scheme.Resources, Options.Font) : 0;
        Shown = std::make_unique<TGanttChart>(Made->View().Schedule, Scheme.Names, Scheme.Essential,
                                              Scheme.Calendar, Options, Levelled);
        if (Shown->Empty())
            Shown.reset();
        else if (WithLoad)
            ShownLoad =
                std::make_unique<TLoadChart>(*Shown, Scheme.Resources, LoadsOf(Levelled),
                                             TLoadOptions{Options.Font, DecimalSeparator()});
    }
    LoadView->SetChart(ShownLoad.get());
    LoadView->setVisible(ShownLoad != nullptr);
    if (ShownLoad && !SplitSet) {
        // At first the whole load chart where it takes less than half.
        SplitSet = true;
        const int Whole = Split->height();
        const int Low = std::min(LoadView->WholeHeight(), Whole / 2);
        Split->setSizes({Whole - Low, Low});
    }
    View->UpdateRanges();
    LoadView->SetOffset(View->horizontalScrollBar()->value());
    UpdateStatus();
}

bool TGanttForm::LevelledCurrent() const {
    const auto& Made = Analyser.Current();
    const auto& Levelled = Runner->Result();
    return Made && Levelled && Levelled->Scheme == Made->Scheme && Levelled->Schedule.Valid();
}

bool TGanttForm::ShowsLevelled() const {
    return LevelledAction->isChecked() && LevelledCurrent();
}

std::vector<TResourceLoad> TGanttForm::LoadsOf(const TLevelledSchedule* Levelled) const {
    const std::shared_ptr<const TAnalysis>& Made = Analyser.Current();
    const TSchemeSnapshot& Scheme = *Made->Scheme;
    if (Levelled)
        return ResourceLoads(Scheme.Resources, Scheme.Demands, Levelled->Start, Levelled->Finish);
    const bool Late = LateAction->isChecked();
    std::vector<TReal> Start, Finish;
    for (const TWorkTimes& Times : Made->View().Schedule.Works) {
        Start.push_back(Late ? Times.LateStart : Times.EarlyStart);
        Finish.push_back(Late ? Times.LateFinish : Times.EarlyFinish);
    }
    return ResourceLoads(Scheme.Resources, Scheme.Demands, Start, Finish);
}

void TGanttForm::AnalysisReady() {
    const auto& Made = Analyser.Current();
    if (Runner->Result() && !LevelledCurrent()) {
        // A newer scheme: the levelled schedule no longer belongs to it.
        Runner->Clear();
        LevelledOutdated = true;
        LevelledAction->setEnabled(false);
        if (LevelledAction->isChecked())
            EarlyAction->setChecked(true);
    }
    if (Made && (Runner->Running() || LevelWhenReady) && !Analyser.Busy()) {
        LevelWhenReady = false;
        Runner->Start(Made->Scheme);
    }
    // A hidden window costs an edit nothing: it makes its chart when shown.
    if (isVisible())
        Rebuild();
    else
        Stale = true;
}

void TGanttForm::LevelClick() {
    show();
    raise();
    activateWindow();
    const auto& Made = Analyser.Current();
    if (!Analyser.Busy() && (!Made || Made->Scheme->Count() == 0)) {
        Dialogs.Notice(Msg::NoWorksForDiagram);
        return;
    }
    if (Made && !Analyser.Busy() && Made->Scheme->Resources.empty()) {
        Dialogs.Notice("В схеме нет ресурсов: выравнивать нечего.");
        return;
    }
    if (Made && !Analyser.Busy())
        Runner->Start(Made->Scheme);
    else
        LevelWhenReady = true;
    UpdateStatus();
}

void TGanttForm::LevellingFinished() {
    const std::shared_ptr<const TLevelling>& Made = Runner->Result();
    if (!Made)
        return;
    if (!Made->Schedule.Valid()) {
        const QString Why = LevellingFaultText(*Made);
        Runner->Clear();
        UpdateStatus();
        Dialogs.Notice(Why.toStdString());
        return;
    }
    if (!LevelledCurrent()) {
        // The scheme changed meanwhile; its analysis starts the next run.
        Runner->Clear();
        LevelWhenReady = true;
        if (Analyser.Current() && !Analyser.Busy()) {
            LevelWhenReady = false;
            Runner->Start(Analyser.Current()->Scheme);
        }
        UpdateStatus();
        return;
    }
    LevelledOutdated = false;
    LevelledAction->setEnabled(true);
    if (LevelledAction->isChecked())
        Rebuild();
    else
        LevelledAction->setChecked(true);
}

QString TGanttForm::StatusText() const {
    const auto& Made = Analyser.Current();
    if (Runner->Running() || LevelWhenReady)
        return QStringLiteral("Выравнивание по ресурсам…");
    if (ShowsLevelled())
        return QStringLiteral("Выровненный график: продолжительность ") +
               DurationText(Runner->Result()->Schedule.Duration) +
               QStringLiteral(", по критическому пути ") +
               DurationText(Made->View().Schedule.ProjectDuration);
    if (LevelledOutdated)
        return QStringLiteral("Выровненный график устарел: схема изменилась");
    if (Made && Made->View().Schedule.Valid)
        return QStringLiteral("Продолжительность по критическому пути: ") +
               DurationText(Made->View().Schedule.ProjectDuration);
    return {};
}

void TGanttForm::UpdateStatus() {
    Status->setText(StatusText());
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
    const TLoadChart* Under = ShownLoad.get();
    QString Error;
    if (SavePainting(
            StackedSize(Chart, Under),
            [&Chart, Under](QPainter& Painter, const QRectF& Part) {
                PaintStacked(Painter, Part, Chart, Under);
            },
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
    // The sheets give the duration of the schedule their bars show.
    if (ShowsLevelled())
        Title.Duration = DurationText(Runner->Result()->Schedule.Duration) +
                         QStringLiteral(" (выровненный график)");
    else if (const auto& Made = Analyser.Current(); Made && Made->View().Schedule.Valid)
        Title.Duration = DurationText(Made->View().Schedule.ProjectDuration);
    // The load chart's pages follow the bars' last row of pages, one under
    // each column of them.
    const TLoadChart* Under = ShownLoad.get();
    const TPagedPicture Pages{[&Chart, Under](QSizeF Area) {
                                  const QSize Grid = Chart.PageGrid(Area);
                                  return Under ? QSize(Grid.width(), Grid.height() + 1) : Grid;
                              },
                              [&Chart, Under](QPainter& Painter, int Row, int Column, QSizeF Area) {
                                  if (Row < Chart.PageGrid(Area).height())
                                      Chart.PaintPage(Painter, Row, Column, Area);
                                  else if (Under)
                                      Under->PaintPage(Painter, Chart, Column, Area);
                              }};
    PrintPagedPicture(this, windowTitle(), true, Pages, Title);
}
