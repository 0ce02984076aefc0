#include "ui/LoadView.h"

#include "drawing/LoadChart.h"

#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

TLoadView::TLoadView(QWidget* Parent) : QAbstractScrollArea(Parent) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setAutoFillBackground(true);
    QPalette White = viewport()->palette();
    White.setColor(QPalette::Window, Qt::white);
    White.setColor(QPalette::Base, Qt::white);
    viewport()->setPalette(White);
}

void TLoadView::SetChart(const TLoadChart* AChart) {
    Chart = AChart && !AChart->Empty() ? AChart : nullptr;
    UpdateRange();
}

void TLoadView::SetOffset(int X) {
    if (X == OffsetX)
        return;
    OffsetX = X;
    viewport()->update();
}

void TLoadView::wheelEvent(QWheelEvent* Event) {
    const int Steps = Event->angleDelta().y();
    if (!(Event->modifiers() & Qt::ControlModifier) || Steps == 0) {
        QAbstractScrollArea::wheelEvent(Event);
        return;
    }
    emit ZoomAsked(Steps > 0, Event->position().x());
    Event->accept();
}

int TLoadView::WholeHeight() const {
    return Chart ? Chart->Size().height() + 2 * frameWidth() : 0;
}

void TLoadView::UpdateRange() {
    const int Height = Chart ? Chart->Size().height() : 0;
    verticalScrollBar()->setRange(0, std::max(0, Height - viewport()->height()));
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setSingleStep(Chart ? static_cast<int>(Chart->BandHeight() / 4) : 1);
    viewport()->update();
}

void TLoadView::paintEvent(QPaintEvent*) {
    if (!Chart)
        return;
    QPainter Painter(viewport());
    Chart->PaintView(Painter, QPointF(Chart->NameWidth() + OffsetX, verticalScrollBar()->value()),
                     viewport()->size());
}

void TLoadView::resizeEvent(QResizeEvent* Event) {
    QAbstractScrollArea::resizeEvent(Event);
    UpdateRange();
}
