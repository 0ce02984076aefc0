#include "ui/WorksTableForm.h"

#include "drawing/Picture.h"
#include "model/WorkList.h"
#include "ui/Dialogs.h"
#include "ui/EditHistory.h"
#include "ui/PicturePrint.h"
#include "ui/WindowFrame.h"

#include <QAction>
#include <QCursor>
#include <QMenu>

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>

#include <algorithm>

namespace {

// The window cannot be narrower than the room its caption and buttons need;
// a matrix narrower than that sits in the top-left corner of a white square.
const int NarrowestClientWidth = ClientSizeOf(123, 60).width();

} // namespace

TTabImage::TTabImage(TWorksTableForm& Form, QWidget* Parent) : QWidget(Parent), Form(Form) {
    setMouseTracking(true);
    Bitmap = QImage(10, 10, QImage::Format_RGB32);
    Bitmap.fill(Qt::white);
}

void TTabImage::paintEvent(QPaintEvent* Event) {
    QPainter Painter(this);
    if (!Form.Scrolled()) {
        Painter.drawImage(0, 0, Bitmap);
        return;
    }
    const QRect Part = Event->rect();
    Painter.setClipRect(Part);
    Painter.fillRect(Part, Qt::white);
    DrawWorksTablePart(Painter, Form.Works(), Form.Metrics(), Form.Font(), Part);
}

void TTabImage::mouseMoveEvent(QMouseEvent* Event) {
    const QPoint At = Event->position().toPoint();
    Form.TabImMouseMove(At.x(), At.y());
}

// Scrolling moves the picture under a pointer that stays put, and no move
// follows; the press says where the pointer is.
void TTabImage::mousePressEvent(QMouseEvent* Event) {
    const QPoint At = Event->position().toPoint();
    Form.TabImMouseMove(At.x(), At.y());
}

void TTabImage::mouseReleaseEvent(QMouseEvent* Event) {
    Form.TabImMouseUp(Event->button());
}

TWorksTableForm::TWorksTableForm(TWorkList& List, QWidget* MainForm)
    : QWidget(nullptr, Qt::Window), List(List), MainForm(MainForm) {
    setWindowTitle(QStringLiteral("Таблица связей"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    QPalette Background = palette();
    Background.setColor(QPalette::Window, Background.color(QPalette::HighlightedText));
    setPalette(Background);
    setAutoFillBackground(true);
    setMinimumWidth(NarrowestClientWidth);
    resize(ClientSizeOf(123, 60));
    move(43, 471);
    Scroller = new QScrollArea(this);
    Scroller->setFrameShape(QFrame::NoFrame);
    Scroller->setWidgetResizable(false);
    Scroller->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Scroller->viewport()->setPalette(Background);
    Scroller->viewport()->setAutoFillBackground(true);
    Scroller->setGeometry(rect());
    TabIm = new TTabImage(*this, nullptr);
    TabIm->setGeometry(0, 0, 10, 10);
    Scroller->setWidget(TabIm);
    FormCreate();
}

void TWorksTableForm::FormCreate() {
    TableSize = width();
    CanvasFont = TableFont();
    SaveAction = new QAction(QStringLiteral("Сохранить рисунок…"), this);
    SaveAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    connect(SaveAction, &QAction::triggered, this, [this] { SavePictureClick(); });
    addAction(SaveAction);
    PrintAction = new QAction(QStringLiteral("Печать…"), this);
    PrintAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    connect(PrintAction, &QAction::triggered, this, [this] { PrintClick(); });
    addAction(PrintAction);
    List.AddListener([this](TWorkList& Changed, std::int32_t Index, std::int32_t Kind) {
        // The path switch and a new duration leave the matrix as it is
        // drawn; a new name is written in its headers.
        if (Kind == ckQuietAdd || Kind == ckPathMode)
            return;
        if (Kind == ckWork && Index >= 0 && Index < Changed.Count() &&
            static_cast<std::size_t>(Index) < DrawnNames.size() &&
            DrawnNames[static_cast<std::size_t>(Index)] == Changed.GetWork(Index).Name &&
            static_cast<int>(DrawnNames.size()) == Changed.Count())
            return;
        Redraw(Changed);
    });
}

void TWorksTableForm::Redraw(const TWorkList& Works) {
    QImage& Bitmap = TabIm->Bitmap;
    if (!Bitmap.isNull()) {
        QPainter Painter(&Bitmap);
        ClearWorksTable(Painter, TableSize);
    }
    const int n = Works.Count();
    DrawnNames.clear();
    for (int i = 0; i < n; ++i)
        DrawnNames.push_back(Works.GetWork(i).Name);
    if (n == 0) {
        hide();
        TabIm->update();
        return;
    }
    const TTableMetrics Measured = MeasureWorksTable(Works, CanvasFont, TabIm);
    HeaderSize = Measured.HeaderSize;
    CellSize = Measured.CellSize;
    TableSize = Measured.TableSize;

    const QSize Largest = LargestClient();
    ScrolledMatrix = TableSize > Largest.width() || TableSize > Largest.height();
    if (ScrolledMatrix) {
        // No bitmap: the part in view is painted when it is exposed.
        Bitmap = QImage();
        TabIm->resize(TableSize, TableSize);
        const int Bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, Scroller);
        // A bar across takes room from the height and one down from the
        // width, so a side that fits gets room for the other's bar.
        QSize Client(TableSize, TableSize);
        if (TableSize > Largest.width())
            Client.rheight() += Bar;
        if (TableSize > Largest.height())
            Client.rwidth() += Bar;
        resize(Client.boundedTo(Largest));
        KeepOnScreen(*this);
        TabIm->update();
        return;
    }

    resize(TableSize, height());
    if (width() > TableSize)
        TableSize = width();
    resize(width(), TableSize);
    KeepOnScreen(*this);
    TabIm->setGeometry(0, 0, TableSize, TableSize);
    // The old picture is white already; the bitmap only changes its size.
    Bitmap = QImage(TableSize, TableSize, QImage::Format_RGB32);
    Bitmap.fill(Qt::white);

    QPainter Painter(&Bitmap);
    DrawWorksTable(Painter, Works, Metrics(), CanvasFont);
    Painter.end();
    TabIm->update();
}

QSize TWorksTableForm::LargestClient() const {
    return LargestClientSize(*this);
}

void TWorksTableForm::resizeEvent(QResizeEvent* Event) {
    Scroller->setGeometry(rect());
    QWidget::resizeEvent(Event);
}

void TWorksTableForm::TabImMouseMove(int X, int Y) {
    LastX = X;
    LastY = Y;
}

void TWorksTableForm::TabImMouseUp(Qt::MouseButton Button) {
    const std::optional<TTableCell> At = CellAt(Metrics(), List.Count(), LastX, LastY);
    if (!At) {
        // Off the cells (the names, the corner) the right button opens the
        // window's menu.
        if (Button == Qt::RightButton && List.Count() > 0)
            ShowMenu(QCursor::pos());
        return;
    }
    if (Button != Qt::LeftButton && Button != Qt::RightButton)
        return;
    if (History)
        History->SetDependency(At->Row, At->Column, Button == Qt::LeftButton);
    else
        List.SetDependency(At->Row, At->Column, Button == Qt::LeftButton);
}

bool TWorksTableForm::SavePictureTo(const std::string& FileName) {
    if (List.Count() == 0)
        return false;
    const TTableMetrics M = Metrics();
    QString Error;
    const bool Saved = SavePainting(
        QSize(M.TableSize, M.TableSize),
        [this, M](QPainter& Painter, const QRectF& Part) {
            Painter.save();
            Painter.setClipRect(Part);
            DrawWorksTablePart(Painter, List, M, CanvasFont, Part.toAlignedRect());
            Painter.restore();
        },
        QString::fromStdString(FileName), Error);
    if (!Saved && Dialogs)
        Dialogs->FileError("Рисунок не сохранён в файл «" + FileName + "»: " + Error.toStdString());
    return Saved;
}

void TWorksTableForm::SavePictureClick() {
    if (!Dialogs || List.Count() == 0)
        return;
    if (const auto Name = Dialogs->SaveOtherFileName(
            "Сохранить рисунок",
            "Рисунок PNG (*.png);;Рисунок JPEG (*.jpg *.jpeg);;Рисунок SVG (*.svg);;Документ PDF (*.pdf)", ""))
        SavePictureTo(*Name);
}

void TWorksTableForm::PrintClick() {
    if (List.Count() == 0)
        return;
    const TTableMetrics M = Metrics();
    PrintPicture(this, windowTitle(), QSize(M.TableSize, M.TableSize),
                 [this, M](QPainter& Painter, const QRectF& Part) {
                     Painter.fillRect(Part, Qt::white);
                     DrawWorksTablePart(Painter, List, M, CanvasFont, Part.toAlignedRect());
                 });
}

void TWorksTableForm::ShowMenu(QPoint Global) {
    auto* Menu = new QMenu(this);
    Menu->setAttribute(Qt::WA_DeleteOnClose);
    Menu->addAction(SaveAction);
    Menu->addAction(PrintAction);
    Menu->popup(Global);
}

void TWorksTableForm::keyReleaseEvent(QKeyEvent* Event) {
    if (Event->key() == Qt::Key_F2 && MainForm && MainForm->isVisible()) {
        MainForm->raise();
        MainForm->activateWindow();
        return;
    }
    QWidget::keyReleaseEvent(Event);
}
