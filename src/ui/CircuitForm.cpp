#include "ui/CircuitForm.h"

#include "drawing/Diagram.h"
#include "model/WorkList.h"
#include "ui/Dialogs.h"
#include "ui/FrameCircuit.h"
#include "ui/LocaleText.h"
#include "ui/WindowFrame.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QToolTip>

#include <algorithm>

namespace {

// The list opens this far below the centre of its event: 10 pixels below the
// circle.
constexpr int ListBelowCentre = 20;

void PaintWhite(QWidget& Widget) {
    QPalette White = Widget.palette();
    White.setColor(QPalette::Window, Qt::white);
    Widget.setPalette(White);
    Widget.setBackgroundRole(QPalette::Window);
    Widget.setAutoFillBackground(true);
}

} // namespace

TCircuitImage::TCircuitImage(TCircuitForm& Form, QWidget* Parent) : QWidget(Parent), Form(Form) {
    setAttribute(Qt::WA_OpaquePaintEvent);
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
    if (Form.Drawn())
        PaintCircuit(Painter, Form.Engine.Result(), Event->rect());
}

void TCircuitImage::mousePressEvent(QMouseEvent* Event) {
    const QPoint At = Event->position().toPoint();
    Form.ImMouseDown(Event->button(), At.x(), At.y());
}

TCircuitForm::TCircuitForm(TWorkList& List, TDialogs& Dialogs, const std::int32_t& PathSign,
                           QWidget* MainForm)
    : QWidget(nullptr, Qt::Window), Engine(List), List(List), Dialogs(Dialogs), PathSign(PathSign),
      MainForm(MainForm) {
    setWindowTitle(QStringLiteral("График"));
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

    // Outer 332 x 274, centred on the desktop.
    const QSize Client = ClientSizeOf(332, 274);
    resize(Client);
    Scroller->setGeometry(rect());
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
    List.AddListener([this](TWorkList&, std::int32_t, std::int32_t Kind) { CircuitChanged(Kind); });
}

void TCircuitForm::FormDestroy() {
    Engine.FreeCircuit();
}

void TCircuitForm::CircuitChanged(std::int32_t Kind) {
    if (Kind != ckQuietAdd)
        Rebuild();
}

void TCircuitForm::Rebuild() {
    QPointer<QWidget> Foreground = QApplication::activeWindow();
    const bool WasVisible = isVisible();
    // Also when the build raises a fault: the window comes back as it was,
    // white, and the fault travels on to the box that shows it.
    const auto Restore = qScopeGuard([this, Foreground, WasVisible] {
        if (WasVisible && !isVisible()) {
            // Showing must not take the foreground; it goes back below.
            setAttribute(Qt::WA_ShowWithoutActivating, true);
            show();
            setAttribute(Qt::WA_ShowWithoutActivating, false);
        }
        // Activation raises the window as well.
        if (Foreground)
            Foreground->activateWindow();
    });
    hide();
    ClearImage();
    Engine.PathSign = PathSign;
    Engine.GetCircuit();
    Engine.Analyse();
    // Without a network (fewer than two works, a contour) the picture stays
    // white at its last size.
    PictureDrawn = Engine.Result().HasNetwork;
    if (PictureDrawn)
        ResizeCanvas();
}

void TCircuitForm::ClearImage() {
    Frame1->HideList();
    PictureDrawn = false;
    UpdateSheet();
    Im->update();
}

void TCircuitForm::ResizeCanvas() {
    Im->resize(DrawCircuit(Engine.Result()));
    UpdateSheet();
    ResizeClient(Im->size());
    Im->update();
}

QSize TCircuitForm::LargestClient() const {
    return LargestClientSize(*this);
}

void TCircuitForm::ResizeClient(QSize Client) {
    const QSize Largest = LargestClient();
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
    resize(Client.boundedTo(Largest));

    // The grown window stays on the screen.
    const QScreen* Screen = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!Screen)
        return;
    const QRect Desk = Screen->availableGeometry();
    const QSize Outer = size() - ClientSizeOf(0, 0);
    QPoint At = pos();
    At.setX(std::max(Desk.left(), std::min(At.x(), Desk.right() + 1 - Outer.width())));
    At.setY(std::max(Desk.top(), std::min(At.y(), Desk.bottom() + 1 - Outer.height())));
    if (At != pos())
        move(At);
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
    resize(Client.boundedTo(LargestClient().expandedTo(size())));
}

void TCircuitForm::ListShown() {
    UpdateSheet();
    Scroller->ensureWidgetVisible(Frame1, 0, 0);
}

void TCircuitForm::ImMouseDown(Qt::MouseButton Button, int X, int Y) {
    if (Button != Qt::RightButton) {
        Frame1->HideList();
        UpdateSheet();
        return;
    }
    if (!PictureDrawn)
        return;
    const TViewEvent* Event = EventAt(Engine.Result(), X, Y);
    if (!Event)
        return;
    Frame1->ShowEventWorks(EventCentre(*Event).y() + ListBelowCentre, this, Event->Handle);
}

QString TCircuitForm::ToolTipAt(QPoint At) const {
    if (!PictureDrawn)
        return {};
    const TNetworkView& View = Engine.Result();
    if (const TViewEvent* e = EventAt(View, At.x(), At.y()))
        return QStringLiteral("Событие %1\nРаннее время: %2\nПозднее время: %3\nРезерв: %4")
            .arg(e->Number)
            .arg(DurationText(e->Early), DurationText(e->Late), DurationText(e->Slack));
    QStringList Parts;
    for (const std::size_t a : ArcsAt(View, At.x(), At.y())) {
        const TViewArc& Arc = View.Arcs[a];
        if (Arc.Work < 0 || Arc.Work >= List.Count()) {
            Parts << QStringLiteral("Фиктивная работа %1 – %2")
                         .arg(View.Events[static_cast<std::size_t>(Arc.From)].Number)
                         .arg(Arc.To < 0 ? 0 : View.Events[static_cast<std::size_t>(Arc.To)].Number);
            continue;
        }
        QString Text = QStringLiteral("«%1»\nДлительность: %2")
                           .arg(QString::fromStdString(List.GetWork(Arc.Work).Name), DurationText(Arc.Duration));
        if (View.Schedule.Valid) {
            const TWorkTimes& t = View.Schedule.Works[static_cast<std::size_t>(Arc.Work)];
            Text += QStringLiteral("\nПолный резерв: %1\nСвободный резерв: %2")
                        .arg(DurationText(t.TotalFloat), DurationText(t.FreeFloat));
            if (t.Critical)
                Text += QStringLiteral("\nКритическая работа");
        }
        Parts << Text;
    }
    return Parts.join(QStringLiteral("\n\n"));
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
    Scroller->setGeometry(rect());
}

void TCircuitForm::keyReleaseEvent(QKeyEvent* Event) {
    if (Event->key() == Qt::Key_F2 || Event->key() == Qt::Key_F5) {
        FormKeyUp(Event->key());
        return;
    }
    QWidget::keyReleaseEvent(Event);
}
