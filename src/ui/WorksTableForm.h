#pragma once
// The dependency table window "Таблица связей": the matrix of the work list
// drawn on a bitmap, one cell per pair of works, in which the user enters a
// dependency with the left button and removes one with the right. It redraws
// on every change of the list, hidden or not, and hides itself when the list
// becomes empty.

#include "ui/WorksTableDrawing.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

class TWorkList;
class TWorksTableForm;

// The image control that shows the window's bitmap and passes the mouse on.
class TTabImage : public QWidget {
    Q_OBJECT

public:
    TTabImage(TWorksTableForm& Form, QWidget* Parent);

    QImage Bitmap;

protected:
    void paintEvent(QPaintEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;

private:
    TWorksTableForm& Form;
};

class TWorksTableForm : public QWidget {
    Q_OBJECT

public:
    // Registers the window's listener with List. MainForm is the window F2
    // returns to.
    TWorksTableForm(TWorkList& List, QWidget* MainForm);

    // Draws the whole matrix of List and fits the window to it.
    void Redraw(const TWorkList& List);

    void TabImMouseMove(int X, int Y);
    // Works from the last mouse position, not from where the button was
    // released.
    void TabImMouseUp(Qt::MouseButton Button);

    TTableMetrics Metrics() const { return TTableMetrics{HeaderSize, CellSize, TableSize}; }
    const QImage& Bitmap() const { return TabIm->Bitmap; }

    int HeaderSize = 0;
    int CellSize = 0;
    int TableSize = 0;
    int LastX = 0;
    int LastY = 0;

    TTabImage* TabIm;

protected:
    void keyReleaseEvent(QKeyEvent* Event) override;

private:
    void FormCreate();

    TWorkList& List;
    QPointer<QWidget> MainForm;
    QFont CanvasFont;
};
