#include "ui/CircuitForm.h"

#include "model/SchemeSnapshot.h"
#include "model/WorkList.h"
#include "ui/Analyser.h"
#include "ui/Dialogs.h"
#include "ui/FrameCircuit.h"
#include "ui/LocaleText.h"
#include "ui/Overview.h"
#include "ui/PicturePrint.h"
#include "ui/WindowFrame.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDate>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace {

// The list opens 10 pixels below the circle of its event.
constexpr int ListBelowCircle = 10;
// One step of zoom, and its bounds.
constexpr double ZoomStep = 1.25;
constexpr double MinZoom = 0.1;
constexpr double MaxZoom = 8;

const char* const PictureFilters =
    "Рисунок PNG (*.png);;Рисунок JPEG (*.jpg *.jpeg);;Рисунок SVG (*.svg);;Документ PDF (*.pdf)";

void PaintWhite(QWidget& Widget) {
    QPalette White = Widget.palette();
    White.setColor(QPalette::Window, Qt::white);
    Widget.setPalette(White);
    Widget.setBackgroundRole(QPalette::Window);
    Widget.setAutoFillBackground(true);
}

} // namespace

// The marks: blue for the arc under the pointer, orange for what was chosen
// or found.
const QColor HoverColour(30, 110, 255);
const QColor ChoiceColour(255, 150, 0);

TCircuitImage::TCircuitImage(TCircuitForm& Form, QWidget* Parent) : QWidget(Parent), Form(Form) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

bool TCircuitImage::event(QEvent* Event) {
    if (Event->type() != QEvent::ToolTip)
        return QWidget::event(Event);
    const auto* Help = static_cast<QHelpEvent*>(Event);
    const QString Text = Form.ToolTipAt(Help->pos());
    if (Text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(Help->globalPos(), Text, this);
    return true;
}

void TCircuitImage::paintEvent(QPaintEvent* Event) {
    QPainter Painter(this);
    Painter.fillRect(Event->rect(), Qt::white);
    if (!Form.Drawn() || !Form.Shown())
        return;
    const double Zoom = Form.Zoom();
    if (Zoom != 1)
        Painter.scale(Zoom, Zoom);
    const QRectF Area(Event->rect());
    // The marks lie beneath the picture: the events' white circles cover
    // the washes of their arcs, and the rings show around them.
    PaintMarks(Painter, *Form.Shown(), Form.Chosen(), ChoiceColour);
    PaintMarks(Painter, *Form.Shown(), Form.Hovered(), HoverColour);
    Form.Shown()->Paint(Painter, QRectF(Area.topLeft() / Zoom, Area.size() / Zoom));
}

void TCircuitImage::mousePressEvent(QMouseEvent* Event) {
    const QPoint At = Event->position().toPoint();
    Form.ImMouseDown(Event->button(), At.x(), At.y());
}

void TCircuitImage::mouseMoveEvent(QMouseEvent* Event) {
    Form.ImMouseMove(Event->position().toPoint());
    QWidget::mouseMoveEvent(Event);
}

void TCircuitImage::leaveEvent(QEvent* Event) {
    Form.ImMouseMove(std::nullopt);
    QWidget::leaveEvent(Event);
}

void TCircuitImage::wheelEvent(QWheelEvent* Event) {
    // Ctrl with the wheel zooms about the pointer; the wheel alone scrolls.
    if (!(Event->modifiers() & Qt::ControlModifier) || Event->angleDelta().y() == 0) {
        Event->ignore();
        return;
    }
    Form.SetZoom(Form.Zoom() * (Event->angleDelta().y() > 0 ? ZoomStep : 1 / ZoomStep),
                 Event->position().toPoint());
    Event->accept();
}

TCircuitForm::TCircuitForm(TWorkList& List, TAnalyser& Analyser, TDialogs& Dialogs,
                           QWidget* MainForm)
    : QWidget(nullptr, Qt::Window), List(List), Analyser(Analyser), Dialogs(Dialogs),
      MainForm(MainForm) {
    UpdateTitle();
    QFont Font(QStringLiteral("MS Sans Serif"));
    Font.setPixelSize(11);
    setFont(Font);
    PaintWhite(*this);

    Scroller = new QScrollArea(this);
    Scroller->setFrameShape(QFrame::NoFrame);
    Scroller->setWidgetResizable(false);
    Scroller->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    PaintWhite(*Scroller->viewport());
    Sheet = new QWidget;
    PaintWhite(*Sheet);
    Im = new TCircuitImage(*this, Sheet);
    Im->setGeometry(0, 0, 25, 33);
    Frame1 = new TFrame1(Dialogs, Sheet);
    Frame1->setGeometry(0, 0, TFrame1::FrameWidth, TFrame1::FrameHeight);
    Frame1->HideList();
    connect(Frame1, &TFrame1::sg1MouseDown, this,
            [this](Qt::MouseButton Button) { Frame1sg1MouseDown(Button); });
    UpdateSheet();
    Scroller->setWidget(Sheet);
    Status = new QStatusBar(this);
    Status->setSizeGripEnabled(false);
    ZoomLabel = new QLabel(Status);
    Status->addWidget(ZoomLabel);
    UpdateZoomLabel();
    Overview = new TOverview(*this);
    for (QScrollBar* Bar : {Scroller->horizontalScrollBar(), Scroller->verticalScrollBar()})
        connect(Bar, &QScrollBar::valueChanged, this, [this] { emit ViewChanged(); });

    // Outer 332 x 274, centred on the desktop.
    const QSize Client = ClientSizeOf(332, 274);
    resize(Client);
    LayoutChildren();
    if (const QScreen* Screen = QGuiApplication::primaryScreen()) {
        const QRect Desk = Screen->availableGeometry();
        move(Desk.x() + (Desk.width() - 332) / 2, Desk.y() + (Desk.height() - 274) / 2);
    }
    FormCreate();
}

TCircuitForm::~TCircuitForm() {
    FormDestroy();
}

void TCircuitForm::FormCreate() {
    Im->setFont(QFont(QStringLiteral("Courier New"), 10));
    CreateActions();
    connect(&Analyser, &TAnalyser::Ready, this, [this] { Rebuild(); });
    connect(&Analyser, &TAnalyser::BusyChanged, this, [this] { UpdateTitle(); });
}

const std::vector<std::string>& TCircuitForm::Names() const {
    static const std::vector<std::string> None;
    return Result ? Result->Scheme->Names : None;
}

const TCircuitEngine& TCircuitForm::Engine() const {
    static const TCircuitEngine None(std::make_shared<const TSchemeSnapshot>());
    return Result ? *Result->Engine : None;
}

void TCircuitForm::UpdateTitle() {
    // The picture shown is of an earlier scheme until the analysis of the
    // list as it stands is handed over.
    setWindowTitle(Analyser.Busy() && isVisible() ? QStringLiteral("График (обновляется…)")
                                                  : QStringLiteral("График"));
}

void TCircuitForm::AskForLayout() {
    const bool Shown = isVisible();
    Analyser.Want(this, Shown, Shown && Kind == TDiagramKind::Detailed);
}

void TCircuitForm::showEvent(QShowEvent* Event) {
    QWidget::showEvent(Event);
    Geometry.Shown();
    AskForLayout();
    UpdateTitle();
}

void TCircuitForm::hideEvent(QHideEvent* Event) {
    QWidget::hideEvent(Event);
    AskForLayout();
}

void TCircuitForm::CreateActions() {
    const auto Add = [this](const char* Text, QList<QKeySequence> Keys, auto Handler) {
        auto* Action = new QAction(QString::fromUtf8(Text), this);
        Action->setShortcuts(Keys);
        connect(Action, &QAction::triggered, this, Handler);
        addAction(Action);
        return Action;
    };
    CreateViewActions();
    ZoomInAction = Add(
        "Крупнее", {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)},
        [this] { ZoomBy(ZoomStep); });
    ZoomOutAction =
        Add("Мельче", {QKeySequence(Qt::CTRL | Qt::Key_Minus)}, [this] { ZoomBy(1 / ZoomStep); });
    ActualAction =
        Add("Масштаб 100 %", {QKeySequence(Qt::CTRL | Qt::Key_0)}, [this] { ZoomActual(); });
    FitAction =
        Add("По размеру окна", {QKeySequence(Qt::CTRL | Qt::Key_9)}, [this] { FitToWindow(); });
    FindAction = Add("Найти…", {QKeySequence::Find}, [this] { FindClick(); });
    // F3 itself is answered on its release, so that the event list, where F3
    // repeats the last time, keeps it while it has the focus.
    FindNextAction = Add("Найти далее\tF3", {}, [this] { FindNext(); });
    OverviewAction = Add("Обзор", {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O)},
                         [this](bool Checked) { Overview->setVisible(Checked); });
    OverviewAction->setCheckable(true);
    connect(Overview, &TOverview::Closed, OverviewAction,
            [this] { OverviewAction->setChecked(false); });
    SaveAction = Add("Сохранить рисунок…", {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
                     [this] { SavePictureClick(); });
    PrintAction = Add("Печать…", {QKeySequence(Qt::CTRL | Qt::Key_P)}, [this] { PrintClick(); });
}

void TCircuitForm::SizeImage() {
    const QSize Size = Picture ? Picture->Size() : QSize();
    Im->resize(static_cast<int>(std::ceil(Size.width() * Scale)),
               static_cast<int>(std::ceil(Size.height() * Scale)));
    UpdateSheet();
}

void TCircuitForm::SetZoom(double NewScale, QPoint At) {
    NewScale = std::clamp(NewScale, MinZoom, MaxZoom);
    if (NewScale == Scale)
        return;
    const QPointF Under = QPointF(At) / Scale;
    const QPoint InView = Im->mapTo(Scroller->viewport(), At);
    Scale = NewScale;
    Frame1->HideList();
    SizeImage();
    Scroller->horizontalScrollBar()->setValue(static_cast<int>(std::lround(Under.x() * Scale)) -
                                              InView.x());
    Scroller->verticalScrollBar()->setValue(static_cast<int>(std::lround(Under.y() * Scale)) -
                                            InView.y());
    UpdateZoomLabel();
    Im->update();
    emit ViewChanged();
}

void TCircuitForm::ZoomActual() {
    ZoomBy(1 / Scale);
}

void TCircuitForm::NewScheme() {
    Hover = {};
    Choice = {};
    FoundAt.reset();
    Scale = 1;
    SizeImage();
    UpdateZoomLabel();
    Scroller->horizontalScrollBar()->setValue(0);
    Scroller->verticalScrollBar()->setValue(0);
    Im->update();
}

void TCircuitForm::UpdateZoomLabel() {
    ZoomLabel->setText(QStringLiteral("Масштаб %1 %").arg(std::lround(Scale * 100)));
}

int TCircuitForm::StatusHeight() const {
    return Status->sizeHint().height();
}

void TCircuitForm::LayoutChildren() {
    const int Below = StatusHeight();
    Scroller->setGeometry(0, 0, width(), std::max(0, height() - Below));
    Status->setGeometry(0, height() - Below, width(), Below);
}

void TCircuitForm::ZoomBy(double Factor) {
    // About the pointer when it is over the picture, about the middle of
    // the view otherwise.
    QWidget* View = Scroller->viewport();
    QPoint In = View->mapFromGlobal(QCursor::pos());
    if (!View->rect().contains(In))
        In = View->rect().center();
    SetZoom(Scale * Factor, Im->mapFrom(View, In));
}

void TCircuitForm::FitToWindow() {
    if (!Picture || Picture->Size().isEmpty())
        return;
    const QSize View = Scroller->viewport()->size();
    const QSize Size = Picture->Size();
    SetZoom(std::min(static_cast<double>(View.width()) / Size.width(),
                     static_cast<double>(View.height()) / Size.height()),
            QPoint(0, 0));
}

bool TCircuitForm::SavePictureTo(const std::string& FileName) {
    if (!Picture || !PictureDrawn)
        return false;
    QString Error;
    if (SavePicture(*Picture, QString::fromStdString(FileName), Error))
        return true;
    Dialogs.FileError("Рисунок не сохранён в файл «" + FileName + "»: " + Error.toStdString());
    return false;
}

void TCircuitForm::SavePictureClick() {
    if (!PictureDrawn)
        return;
    if (const auto Name = Dialogs.SaveOtherFileName("Сохранить рисунок", PictureFilters, ""))
        SavePictureTo(*Name);
}

void TCircuitForm::PrintClick() {
    if (!Picture || !PictureDrawn)
        return;
    const TPicture& Shown = *Picture;
    const TNetworkView& View = Shown.Result();
    TPrintTitle Title;
    const QString File = MainForm ? MainForm->windowFilePath() : QString();
    Title.Scheme = File.isEmpty() ? QStringLiteral("Новая схема") : QFileInfo(File).fileName();
    Title.Printed = QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
    if (View.Schedule.Valid)
        Title.Duration = DurationText(View.Schedule.ProjectDuration);
    Title.Legend = true;
    PrintPicture(
        this, windowTitle(), Shown.Size(),
        [&Shown](QPainter& Painter, const QRectF& Part) {
            Painter.fillRect(Part, Qt::white);
            Shown.Paint(Painter, Part);
        },
        Title);
}

void TCircuitForm::ShowMenu(QPoint Global) {
    auto* Menu = new QMenu(this);
    Menu->setAttribute(Qt::WA_DeleteOnClose);
    Menu->addAction(DetailedAction);
    Menu->addAction(TimeScaledAction);
    Menu->addAction(DottedFloatAction);
    Menu->addSeparator();
    Menu->addAction(ZoomInAction);
    Menu->addAction(ZoomOutAction);
    Menu->addAction(ActualAction);
    Menu->addAction(FitAction);
    Menu->addSeparator();
    Menu->addAction(FindAction);
    Menu->addAction(FindNextAction);
    Menu->addAction(OverviewAction);
    Menu->addSeparator();
    Menu->addAction(SaveAction);
    Menu->addAction(PrintAction);
    Menu->popup(Global);
}

void TCircuitForm::FormDestroy() {
    disconnect(&Analyser, nullptr, this, nullptr);
    Analyser.Want(this, false, false);
}

void TCircuitForm::Rebuild() {
    const std::shared_ptr<const TAnalysis>& Made = Analyser.Current();
    UpdateTitle();
    if (!Made || Made == Result)
        return;
    // An analysis without the layout (made while the window was hidden) has
    // nothing to draw: the one with the layout follows.
    if (Made->View().HasNetwork && !Made->View().HasLayout)
        return;
    if (Kind == TDiagramKind::Detailed && isVisible() && Made->View().HasNetwork && !Made->Detailed)
        return;
    Result = Made;
    // The marks name places of the previous network.
    Hover = {};
    Choice = {};
    FoundAt.reset();
    ClearImage();
    MakePicture();
    // Without a network (fewer than two works, a contour) the picture stays
    // white at its last size.
    PictureDrawn = Result->View().HasNetwork;
    if (PictureDrawn)
        ResizeCanvas();
    emit ViewChanged();
}

void TCircuitForm::ClearImage() {
    Frame1->HideList();
    PictureDrawn = false;
    UpdateSheet();
    Im->update();
}

void TCircuitForm::ResizeCanvas() {
    SizeImage();
    ResizeClient(Im->size());
    // The scroll bars of a shown window are laid out again for its new size.
    UpdateSheet();
    QCoreApplication::sendPostedEvents(Scroller, QEvent::LayoutRequest);
    Im->update();
}

QSize TCircuitForm::LargestClient() const {
    return LargestClientSize(*this);
}

void TCircuitForm::ResizeClient(QSize Client) {
    if (Geometry.Touched()) {
        LayoutChildren();
        return;
    }
    const int Below = StatusHeight();
    const QSize Largest = LargestClient() - QSize(0, Below);
    const int Bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, Scroller);
    // A picture wider than the screen scrolls sideways, and the scroll bar
    // takes room from the height; that can make the other bar needed too.
    bool Across = Client.width() > Largest.width();
    bool Down = Client.height() > Largest.height();
    if (Across)
        Client.rheight() += Bar;
    if (!Down && Client.height() > Largest.height())
        Down = true;
    if (Down)
        Client.rwidth() += Bar;
    if (!Across && Client.width() > Largest.width())
        Client.rheight() += Bar;
    const QSize Own = Client.boundedTo(Largest) + QSize(0, Below);
    Geometry.Resizing(Own);
    resize(Own);
    // A shown window hears of its new size from the window system later;
    // the scroll bars follow the size it has now.
    LayoutChildren();

    // The grown window stays on the screen.
    KeepOnScreen(*this);
    Geometry.MovedItself(pos());
}

void TCircuitForm::UpdateSheet() {
    QRect Extent = Im->geometry();
    if (!Frame1->isHidden())
        Extent |= Frame1->geometry();
    Sheet->resize(Extent.right() + 1, Extent.bottom() + 1);
}

int TCircuitForm::ListLeft() const {
    return Scroller->horizontalScrollBar()->value();
}

void TCircuitForm::GrowClientFor(const QRect& Place) {
    const QSize View = Scroller->viewport()->size();
    const int Right = Place.right() + 1 - Scroller->horizontalScrollBar()->value();
    const int Bottom = Place.bottom() + 1 - Scroller->verticalScrollBar()->value();
    const QSize More(std::max(0, Right - View.width()), std::max(0, Bottom - View.height()));
    if (More.isNull())
        return;
    const QSize Client = size() + More;
    const QSize Own = Client.boundedTo(LargestClient().expandedTo(size()));
    Geometry.Resizing(Own);
    resize(Own);
}

void TCircuitForm::ListShown() {
    UpdateSheet();
    Scroller->ensureWidgetVisible(Frame1, 0, 0);
}

void TCircuitForm::ImMouseDown(Qt::MouseButton Button, int X, int Y) {
    if (Button != Qt::RightButton) {
        Frame1->HideList();
        UpdateSheet();
        // A left click on an event marks all its arcs; elsewhere it takes
        // the marks away.
        if (Button == Qt::LeftButton && PictureDrawn && Picture) {
            const TViewEvent* Event = Picture->EventAt(QPointF(X, Y) / Scale);
            SetMarks(Choice,
                     Event ? EventMarks(*Picture, static_cast<std::int32_t>(
                                                      Event - Picture->Result().Events.data()))
                           : TMarks());
        }
        return;
    }
    if (!PictureDrawn || !Picture)
        return;
    const TViewEvent* Event = Picture->EventAt(QPointF(X, Y) / Scale);
    if (!Event) {
        ShowMenu(Im->mapToGlobal(QPoint(X, Y)));
        return;
    }
    const double Bottom = Picture->Centre(*Event).y() + Picture->Radius();
    Frame1->ShowEventWorks(static_cast<int>(std::lround(Bottom * Scale)) + ListBelowCircle, this,
                           Event->Handle);
}

void TCircuitForm::Frame1sg1MouseDown(Qt::MouseButton Button) {
    if (Button != Qt::LeftButton)
        return;
    Frame1->HideList();
    UpdateSheet();
}

void TCircuitForm::FormKeyUp(int Key) {
    if (Key == Qt::Key_F2 && MainForm && MainForm->isVisible()) {
        MainForm->raise();
        MainForm->activateWindow();
    } else if (Key == Qt::Key_F5 && ArcWorkForm) {
        ArcWorkForm->show();
        ArcWorkForm->raise();
    }
}

void TCircuitForm::resizeEvent(QResizeEvent* Event) {
    QWidget::resizeEvent(Event);
    Geometry.Resized(*this, *Event);
    LayoutChildren();
    emit ViewChanged();
}

void TCircuitForm::moveEvent(QMoveEvent* Event) {
    QWidget::moveEvent(Event);
    Geometry.Moved(*this, *Event);
}

void TCircuitForm::keyPressEvent(QKeyEvent* Event) {
    // The list passes Escape on to the window.
    if (Event->key() == Qt::Key_Escape && !Frame1->isHidden()) {
        Frame1->HideList();
        UpdateSheet();
        return;
    }
    QWidget::keyPressEvent(Event);
}

void TCircuitForm::keyReleaseEvent(QKeyEvent* Event) {
    if (Event->key() == Qt::Key_F2 || Event->key() == Qt::Key_F5) {
        FormKeyUp(Event->key());
        return;
    }
    if (Event->key() == Qt::Key_F3 && Event->modifiers() == Qt::NoModifier) {
        FindNext();
        return;
    }
    QWidget::keyReleaseEvent(Event);
}
