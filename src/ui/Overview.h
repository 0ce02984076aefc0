#pragma once
// "Обзор": a small tool window with the whole diagram shrunk to fit and the
// part the diagram window shows framed. A click or a drag moves the view
// there. The shrunk picture is painted once per picture and size, not on
// every scroll: a diagram of hundreds of works is costly to paint whole.

#include <QImage>
#include <QWidget>

class TCircuitForm;
class TPicture;

class TOverview : public QWidget {
    Q_OBJECT

public:
    explicit TOverview(TCircuitForm& Form);

    // The scale of the shrunk picture, and where a point of the window lies
    // in the picture (picture coordinates at scale 1).
    double Scale() const;
    QPointF PictureAt(QPointF At) const;

signals:
    void Closed();

protected:
    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void hideEvent(QHideEvent* Event) override;
    void showEvent(QShowEvent* Event) override;

private:
    // Makes the shrunk picture again when the picture or the size changed.
    void Refresh();

    TCircuitForm& Form;
    QImage Shrunk;
    bool Stale = true;
    QSize ShrunkFor;
};
