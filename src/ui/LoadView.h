#pragma once
// The load chart under the Gantt chart's bars: it scrolls across with the
// bars (the Gantt view's horizontal position is its own), down on its own
// when the resources do not fit, and keeps the name column in place.

#include <QAbstractScrollArea>

class TLoadChart;

class TLoadView : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit TLoadView(QWidget* Parent);
    // The chart shown (none: an empty view); it must outlive its showing.
    void SetChart(const TLoadChart* Chart);
    // Pixels of the axis scrolled out of view on the left.
    void SetOffset(int X);
    // The height that shows the whole chart, for the window's first split.
    int WholeHeight() const;

signals:
    // Ctrl and the wheel over the chart: its time axis is the bars', which
    // zoom with it, about the point X of the view.
    void ZoomAsked(bool In, double X);

protected:
    void paintEvent(QPaintEvent* Event) override;
    void wheelEvent(QWheelEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;

private:
    void UpdateRange();

    const TLoadChart* Chart = nullptr;
    int OffsetX = 0;
};
