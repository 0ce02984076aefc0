#pragma once
// The dependency table window "Таблица связей": the matrix of the work list,
// one cell per pair of works, in which the user enters a dependency with the
// left button and removes one with the right. It redraws on every change of
// the list, hidden or not, and hides itself when the list becomes empty.
// A matrix that fits the screen is drawn whole on a bitmap and the window
// takes its size; a larger one (a thousand works make 17,000 pixels) scrolls
// in a window as large as the screen allows, and only the part in view is
// painted, when it comes into view, by the same drawing code.

#include "ui/WorksTableDrawing.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <string>
#include <vector>

class QAction;
class QScrollArea;
class TDialogs;
class TEditHistory;
class TWorkList;
class TWorksTableForm;

// The image control that shows the window's bitmap, or paints the part of a
// scrolled matrix in view, and passes the mouse on in picture coordinates.
class TTabImage : public QWidget {
    Q_OBJECT

public:
    TTabImage(TWorksTableForm& Form, QWidget* Parent);

    QImage Bitmap;

protected:
    void paintEvent(QPaintEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
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

    // Where the picture's save dialog and errors go; none drops them.
    void SetDialogs(TDialogs* Boxes) { Dialogs = Boxes; }
    // The history the clicks go through, so that each can be undone; without
    // one they change the list directly.
    void SetHistory(TEditHistory* Steps) { History = Steps; }
    // The matrix as a picture: written whole to a file whose suffix names
    // the format (a failure in an error box), and printed through a preview.
    bool SavePictureTo(const std::string& FileName);
    void SavePictureClick();
    void PrintClick();
    // The window's menu, which a right click outside the cells opens.
    void ShowMenu(QPoint Global);

    QAction* SaveAction;
    QAction* PrintAction;

    void TabImMouseMove(int X, int Y);
    // Works from the last mouse position, not from where the button was
    // released.
    void TabImMouseUp(Qt::MouseButton Button);

    TTableMetrics Metrics() const { return TTableMetrics{HeaderSize, CellSize, TableSize}; }
    // Empty while the matrix scrolls.
    const QImage& Bitmap() const { return TabIm->Bitmap; }
    // Whether the matrix is larger than the screen and scrolls.
    bool Scrolled() const { return ScrolledMatrix; }
    const TWorkList& Works() const { return List; }
    const QFont& Font() const { return CanvasFont; }
    // The largest client area the screen leaves for the window.
    QSize LargestClient() const;

    int HeaderSize = 0;
    int CellSize = 0;
    int TableSize = 0;
    int LastX = 0;
    int LastY = 0;

    TTabImage* TabIm;
    QScrollArea* Scroller;

protected:
    void keyReleaseEvent(QKeyEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;

private:
    void FormCreate();

    TWorkList& List;
    QPointer<QWidget> MainForm;
    QFont CanvasFont;
    bool ScrolledMatrix = false;
    TDialogs* Dialogs = nullptr;
    TEditHistory* History = nullptr;
    // The names in the matrix's headers as last drawn.
    std::vector<std::string> DrawnNames;
};
