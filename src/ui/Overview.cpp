#include "ui/Overview.h"

#include "ui/CircuitForm.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace {

constexpr int Border = 4;

} // namespace

TOverview::TOverview(TCircuitForm& Form) : QWidget(&Form, Qt::Tool), Form(Form) {
    setWindowTitle(QStringLiteral("Обзор"));
    resize(320, 200);
    setCursor(Qt::PointingHandCursor);
    connect(&Form, &TCircuitForm::ViewChanged, this, [this] {
        if (isVisible())
            update();
    });
    connect(&Form, &TCircuitForm::PictureChanged, this, [this] { Stale = true; });
}

double TOverview::Scale() const {
    const TPicture* Picture = Form.Drawn() ? Form.Shown() : nullptr;
    if (!Picture || Picture->Size().isEmpty())
        return 0;
    const QSize Whole = Picture->Size();
    return std::min(static_cast<double>(width() - 2 * Border) / Whole.width(),
                    static_cast<double>(height() - 2 * Border) / Whole.height());
}

QPointF TOverview::PictureAt(QPointF At) const {
    const double s = Scale();
    return s > 0 ? (At - QPointF(Border, Border)) / s : QPointF();
}

void TOverview::Refresh() {
    const TPicture* Picture = Form.Drawn() ? Form.Shown() : nullptr;
    if (!Stale && size() == ShrunkFor)
        return;
    Stale = false;
    ShrunkFor = size();
    Shrunk = QImage();
    const double s = Scale();
    if (!Picture || s <= 0)
        return;
    const QSize Whole = Picture->Size();
    // Painted three times as large and then shrunk smoothly: thin lines
    // painted straight at a small scale would mostly vanish.
    const double Fine = std::min(1.0, 3 * s);
    QImage Large(std::max(1, static_cast<int>(Whole.width() * Fine)),
                 std::max(1, static_cast<int>(Whole.height() * Fine)), QImage::Format_RGB32);
    Large.fill(Qt::white);
    {
        QPainter Painter(&Large);
        Painter.scale(Fine, Fine);
        Picture->Paint(Painter, QRectF(QPointF(0, 0), QSizeF(Whole)));
    }
    Shrunk = Large.scaled(std::max(1, static_cast<int>(Whole.width() * s)),
                          std::max(1, static_cast<int>(Whole.height() * s)), Qt::IgnoreAspectRatio,
                          Qt::SmoothTransformation);
}

void TOverview::paintEvent(QPaintEvent*) {
    Refresh();
    QPainter Painter(this);
    Painter.fillRect(rect(), palette().window());
    if (Shrunk.isNull())
        return;
    Painter.drawImage(QPointF(Border, Border), Shrunk);
    const double s = Scale();
    const QRectF Visible = Form.VisibleRect();
    const QRectF Frame(QPointF(Border, Border) + Visible.topLeft() * s, Visible.size() * s);
    Painter.setPen(QPen(QColor(30, 110, 255), 2));
    Painter.setBrush(QColor(30, 110, 255, 40));
    Painter.drawRect(Frame &
                     QRectF(QPointF(Border, Border), QSizeF(Shrunk.size())).adjusted(-1, -1, 1, 1));
}

void TOverview::mousePressEvent(QMouseEvent* Event) {
    if (Event->button() == Qt::LeftButton && Scale() > 0)
        Form.CentreOn(PictureAt(Event->position()));
}

void TOverview::mouseMoveEvent(QMouseEvent* Event) {
    if ((Event->buttons() & Qt::LeftButton) && Scale() > 0)
        Form.CentreOn(PictureAt(Event->position()));
}

void TOverview::showEvent(QShowEvent* Event) {
    QWidget::showEvent(Event);
    // Beside the diagram window's top right corner, where it hides little.
    const QRect Frame = Form.frameGeometry();
    move(Frame.right() - width() - 16, Frame.top() + 40);
}

void TOverview::hideEvent(QHideEvent* Event) {
    QWidget::hideEvent(Event);
    emit Closed();
}
