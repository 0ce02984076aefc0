#include "ui/PicturePrint.h"

#include <QComboBox>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QToolBar>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

constexpr double ScreenDpi = 96;
// Neighbouring tiles share this part of a page, so that nothing is lost at
// the cut.
constexpr double Overlap = 0.05;
// The band at the foot of every page, and the crop marks, in inches.
constexpr double BandInches = 0.62;
constexpr double MarkInches = 0.2;

// The grid of pages a layout makes of a picture.
struct TGrid {
    double Scale = 1;
    QSizeF Piece; // one page's part of the picture
    QSizeF Step;  // from one page's part to the next
    int Across = 1;
    int Down = 1;
};

TGrid GridOf(QSize Size, const QRectF& Area, int Dpi, TPrintLayout Layout) {
    TGrid g;
    g.Scale = Layout == TPrintLayout::FitWidth ? Area.width() / Size.width() : Dpi / ScreenDpi;
    g.Piece = QSizeF(Area.width() / g.Scale, Area.height() / g.Scale);
    g.Step = Layout == TPrintLayout::Tiles ? g.Piece * (1 - Overlap) : g.Piece;
    const auto Count = [](double Whole, double Piece, double Step) {
        return Whole <= Piece ? 1 : 1 + static_cast<int>(std::ceil((Whole - Piece) / Step));
    };
    g.Across =
        Layout == TPrintLayout::FitWidth ? 1 : Count(Size.width(), g.Piece.width(), g.Step.width());
    g.Down = Count(Size.height(), g.Piece.height(), g.Step.height());
    return g;
}

// Short ticks at the corners of the printed part, and where the next sheet
// to the right and below begins: the line to cut along before taping.
void PaintCropMarks(QPainter& Painter, const QRectF& Printed, double Mark,
                    std::optional<double> CutX, std::optional<double> CutY) {
    Painter.setPen(QPen(QColor(90, 90, 90), 0));
    const QPointF Corners[] = {Printed.topLeft(), Printed.topRight(), Printed.bottomLeft(),
                               Printed.bottomRight()};
    for (const QPointF& c : Corners) {
        const double dx = c.x() == Printed.left() ? Mark : -Mark;
        const double dy = c.y() == Printed.top() ? Mark : -Mark;
        Painter.drawLine(c, c + QPointF(dx, 0));
        Painter.drawLine(c, c + QPointF(0, dy));
    }
    Painter.setPen(QPen(QColor(90, 90, 90), 0, Qt::DashLine));
    if (CutX) {
        Painter.drawLine(QPointF(*CutX, Printed.top()), QPointF(*CutX, Printed.top() + Mark));
        Painter.drawLine(QPointF(*CutX, Printed.bottom()), QPointF(*CutX, Printed.bottom() - Mark));
    }
    if (CutY) {
        Painter.drawLine(QPointF(Printed.left(), *CutY), QPointF(Printed.left() + Mark, *CutY));
        Painter.drawLine(QPointF(Printed.right(), *CutY), QPointF(Printed.right() - Mark, *CutY));
    }
}

// The legend of the diagram's lines, from At along its baseline; Unit is an
// inch of the device.
void PaintLegend(QPainter& Painter, QPointF At, double Unit) {
    struct TEntry {
        QColor Colour;
        Qt::PenStyle Style;
        const char* Text;
    };
    const TEntry Entries[] = {{QColor(255, 0, 0), Qt::SolidLine, "критический путь"},
                              {QColor(0, 0, 0), Qt::SolidLine, "работа"},
                              {QColor(0, 0, 0), Qt::DotLine, "фиктивная работа (зависимость)"}};
    const QFontMetricsF Metrics(Painter.font());
    for (const TEntry& e : Entries) {
        Painter.setPen(QPen(e.Colour, Unit / 48, e.Style));
        const double y = At.y() - Metrics.ascent() / 3;
        Painter.drawLine(QPointF(At.x(), y), QPointF(At.x() + Unit / 2, y));
        At.rx() += Unit / 2 + Unit / 12;
        Painter.setPen(Qt::black);
        const QString Text = QString::fromUtf8(e.Text);
        Painter.drawText(At, Text);
        At.rx() += Metrics.horizontalAdvance(Text) + Unit / 5;
    }
}

// The band at the foot of a page: the sheet's place, and on the first page
// the title block.
void PaintBand(QPainter& Painter, const QRectF& Band, int Dpi, const QString& Label,
               const TPrintTitle* Title) {
    QFont Font(QStringLiteral("Arial"));
    Font.setPointSizeF(8);
    Painter.setFont(Font);
    Painter.setPen(QPen(Qt::black, 0));
    const QFontMetricsF Metrics(Font, Painter.device());
    const double Line = Metrics.height();
    Painter.drawLine(Band.topLeft(), Band.topRight());
    Painter.drawText(QRectF(Band.left(), Band.top() + Line / 3, Band.width(), Line),
                     Qt::AlignRight | Qt::AlignTop, Label);
    if (!Title || Title->Scheme.isEmpty())
        return;
    QString Head = Title->Scheme + QStringLiteral("   Напечатано: ") + Title->Printed;
    if (!Title->Duration.isEmpty())
        Head += QStringLiteral("   Продолжительность проекта: ") + Title->Duration;
    Painter.drawText(QRectF(Band.left(), Band.top() + Line / 3, Band.width(), Line),
                     Qt::AlignLeft | Qt::AlignTop, Head);
    if (Title->Legend)
        PaintLegend(Painter, QPointF(Band.left(), Band.top() + Line / 3 + 2 * Line), Dpi);
}

} // namespace

QString SheetLabel(int Sheet, int Sheets, int Row, int Column) {
    return QStringLiteral("Лист %1 из %2, ряд %3, колонка %4")
        .arg(Sheet)
        .arg(Sheets)
        .arg(Row)
        .arg(Column);
}

int PaintPages(QPagedPaintDevice& Device, QSize Size, const TPaintPart& Paint, TPrintLayout Layout,
               const TPrintTitle& Title) {
    if (Size.isEmpty())
        return 0;
    const int Dpi = Device.logicalDpiX();
    const QRectF Page = Device.pageLayout().paintRectPixels(Dpi);
    const double Band = BandInches * Dpi;
    const QRectF Area(0, 0, Page.width(), std::max(1.0, Page.height() - Band));
    const TGrid g = GridOf(Size, Area, Dpi, Layout);
    const int Sheets = g.Across * g.Down;
    QPainter Painter(&Device);
    int Pages = 0;
    for (int Row = 0; Row < g.Down; ++Row)
        for (int Column = 0; Column < g.Across; ++Column) {
            if (Pages++ > 0)
                Device.newPage();
            const QRectF Part(QPointF(Column * g.Step.width(), Row * g.Step.height()), g.Piece);
            const QRectF Shown = Part & QRectF(QPointF(0, 0), QSizeF(Size));
            Painter.save();
            Painter.scale(g.Scale, g.Scale);
            Painter.translate(-Part.topLeft());
            Painter.setClipRect(Shown);
            Paint(Painter, Part);
            Painter.restore();
            // The printed part on the page, and where its neighbours begin.
            const QRectF Printed((Shown.topLeft() - Part.topLeft()) * g.Scale,
                                 Shown.size() * g.Scale);
            std::optional<double> CutX;
            std::optional<double> CutY;
            if (Column + 1 < g.Across)
                CutX = g.Step.width() * g.Scale;
            if (Row + 1 < g.Down && Layout == TPrintLayout::Tiles)
                CutY = g.Step.height() * g.Scale;
            if (Sheets > 1)
                PaintCropMarks(Painter, Printed, MarkInches * Dpi, CutX, CutY);
            PaintBand(Painter, QRectF(0, Area.bottom() + Band * 0.1, Page.width(), Band * 0.9), Dpi,
                      SheetLabel(Pages, Sheets, Row + 1, Column + 1),
                      Pages == 1 ? &Title : nullptr);
        }
    return Pages;
}

void PrintPicture(QWidget* Parent, const QString& Title, QSize Size, const TPaintPart& Paint,
                  const TPrintTitle& Heading) {
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
        QObject::connect(Choice, &QComboBox::currentIndexChanged, &Preview,
                         [&Preview, Layout](int Index) {
                             *Layout = Index == 0 ? TPrintLayout::FitWidth : TPrintLayout::Tiles;
                             if (auto* Widget = Preview.findChild<QPrintPreviewWidget*>())
                                 Widget->updatePreview();
                         });
    }
    QObject::connect(&Preview, &QPrintPreviewDialog::paintRequested, &Preview,
                     [&Size, &Paint, Layout, &Heading](QPrinter* Target) {
                         PaintPages(*Target, Size, Paint, *Layout, Heading);
                     });
    Preview.exec();
}

int PaintPagedPicture(QPagedPaintDevice& Device, const TPagedPicture& Picture,
                      const TPrintTitle& Title) {
    const int Dpi = Device.logicalDpiX();
    const QRectF Page = Device.pageLayout().paintRectPixels(Dpi);
    const double Band = BandInches * Dpi;
    const double Scale = Dpi / ScreenDpi;
    const QSizeF Area(Page.width() / Scale, std::max(1.0, Page.height() - Band) / Scale);
    const QSize Grid = Picture.Grid(Area);
    const int Sheets = Grid.width() * Grid.height();
    if (Sheets <= 0)
        return 0;
    QPainter Painter(&Device);
    int Pages = 0;
    for (int Row = 0; Row < Grid.height(); ++Row)
        for (int Column = 0; Column < Grid.width(); ++Column) {
            if (Pages++ > 0)
                Device.newPage();
            Painter.save();
            Painter.scale(Scale, Scale);
            Painter.setClipRect(QRectF(QPointF(0, 0), Area));
            Picture.Paint(Painter, Row, Column, Area);
            Painter.restore();
            PaintBand(
                Painter, QRectF(0, Area.height() * Scale + Band * 0.1, Page.width(), Band * 0.9),
                Dpi, SheetLabel(Pages, Sheets, Row + 1, Column + 1), Pages == 1 ? &Title : nullptr);
        }
    return Pages;
}

void PrintPagedPicture(QWidget* Parent, const QString& Title, bool Landscape,
                       const TPagedPicture& Picture, const TPrintTitle& Heading) {
    QPrinter Printer(QPrinter::ScreenResolution);
    Printer.setResolution(static_cast<int>(ScreenDpi));
    Printer.setDocName(Title);
    Printer.setPageOrientation(Landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    QPrintPreviewDialog Preview(&Printer, Parent);
    Preview.setWindowTitle(Title);
    QObject::connect(
        &Preview, &QPrintPreviewDialog::paintRequested, &Preview,
        [&Picture, &Heading](QPrinter* Target) { PaintPagedPicture(*Target, Picture, Heading); });
    Preview.exec();
}
