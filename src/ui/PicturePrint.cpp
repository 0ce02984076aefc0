#include "ui/PicturePrint.h"

#include <QComboBox>
#include <QPageLayout>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QToolBar>

#include <algorithm>
#include <cmath>

namespace {

constexpr double ScreenDpi = 96;
// Neighbouring tiles share this part of a page, so that nothing is lost at
// the cut.
constexpr double Overlap = 0.05;

} // namespace

int PaintPages(QPagedPaintDevice& Device, QSize Size, const TPaintPart& Paint, TPrintLayout Layout) {
    if (Size.isEmpty())
        return 0;
    const int Dpi = Device.logicalDpiX();
    const QRectF Page = Device.pageLayout().paintRectPixels(Dpi);
    const double Scale =
        Layout == TPrintLayout::FitWidth ? Page.width() / Size.width() : Dpi / ScreenDpi;
    // One page holds this much of the picture, and the next starts Step on.
    const QSizeF Piece(Page.width() / Scale, Page.height() / Scale);
    const QSizeF Step = Layout == TPrintLayout::Tiles ? Piece * (1 - Overlap) : Piece;
    const auto Count = [](double Whole, double Piece, double Step) {
        return Whole <= Piece ? 1 : 1 + static_cast<int>(std::ceil((Whole - Piece) / Step));
    };
    const int Across = Layout == TPrintLayout::FitWidth ? 1 : Count(Size.width(), Piece.width(), Step.width());
    const int Down = Count(Size.height(), Piece.height(), Step.height());
    QPainter Painter(&Device);
    int Pages = 0;
    for (int Row = 0; Row < Down; ++Row)
        for (int Column = 0; Column < Across; ++Column) {
            if (Pages++ > 0)
                Device.newPage();
            const QRectF Part(QPointF(Column * Step.width(), Row * Step.height()), Piece);
            Painter.save();
            Painter.scale(Scale, Scale);
            Painter.translate(-Part.topLeft());
            Painter.setClipRect(Part & QRectF(QPointF(0, 0), QSizeF(Size)));
            Paint(Painter, Part);
            Painter.restore();
        }
    return Pages;
}

void PrintPicture(QWidget* Parent, const QString& Title, QSize Size, const TPaintPart& Paint) {
    // The picture's fonts are sized for 96 dots per inch, as on the screen
    // and in the picture files; lines and text stay vectors on the page.
    QPrinter Printer(QPrinter::ScreenResolution);
    Printer.setResolution(static_cast<int>(ScreenDpi));
    Printer.setDocName(Title);
    Printer.setPageOrientation(Size.width() > Size.height() ? QPageLayout::Landscape
                                                            : QPageLayout::Portrait);
    QPrintPreviewDialog Preview(&Printer, Parent);
    Preview.setWindowTitle(Title);
    auto Layout = std::make_shared<TPrintLayout>(TPrintLayout::FitWidth);
    if (auto* Bar = Preview.findChild<QToolBar*>()) {
        auto* Choice = new QComboBox(Bar);
        Choice->addItem(QStringLiteral("По ширине страницы"));
        Choice->addItem(QStringLiteral("На нескольких страницах"));
        Bar->addSeparator();
        Bar->addWidget(Choice);
        QObject::connect(Choice, &QComboBox::currentIndexChanged, &Preview, [&Preview, Layout](int Index) {
            *Layout = Index == 0 ? TPrintLayout::FitWidth : TPrintLayout::Tiles;
            if (auto* Widget = Preview.findChild<QPrintPreviewWidget*>())
                Widget->updatePreview();
        });
    }
    QObject::connect(&Preview, &QPrintPreviewDialog::paintRequested, &Preview,
                     [&Size, &Paint, Layout](QPrinter* Target) { PaintPages(*Target, Size, Paint, *Layout); });
    Preview.exec();
}
