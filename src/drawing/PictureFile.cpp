// Pictures in files: PNG and JPEG as images, SVG and PDF as vector drawings
// whose text stays text, all painted by the same code as the window. Every
// file is made whole in memory and handed to the one file writer, which puts
// it in place only when it is on the disk.

#include "drawing/Picture.h"

#include "drawing/Diagram.h"
#include "model/AtomicFile.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

namespace {

// Pictures are drawn at the resolution of an ordinary screen.
constexpr int ScreenDpi = 96;

void PaintWhole(QPainter& Painter, QSize Size, const TPaintPart& Paint) {
    const QRectF Whole(QPointF(0, 0), Size);
    Painter.fillRect(Whole, Qt::white);
    Paint(Painter, Whole);
}

QImage RasterOf(QSize Size, const TPaintPart& Paint) {
    QImage Image(Size, QImage::Format_RGB32);
    if (Image.isNull())
        return {};
    Image.setDotsPerMeterX(3780);
    Image.setDotsPerMeterY(3780);
    QPainter Painter(&Image);
    PaintWhole(Painter, Size, Paint);
    return Image;
}

// The plain diagram's own image, pixel for pixel as the window shows it.
QImage RasterImage(const TPicture& Picture, QSize Size) {
    if (Picture.Kind() == TDiagramKind::Plain && Picture.Result().HasNetwork)
        return CircuitImage(Picture.Result());
    return RasterOf(Size, [&Picture](QPainter& Painter, const QRectF& Part) { Picture.Paint(Painter, Part); });
}

// The file's whole content in memory, so that it reaches the disk in one
// checked write: a device that fails halfway cannot leave half a picture.
// Image is the raster picture for PNG and JPEG.
bool Encode(TPictureFormat Format, QSize Size, const TPaintPart& Paint, const QImage& Image,
            QByteArray& Bytes, QString& Error) {
    QBuffer Buffer(&Bytes);
    Buffer.open(QIODevice::WriteOnly);
    switch (Format) {
    case TPictureFormat::Png:
    case TPictureFormat::Jpeg: {
        QImageWriter Writer(&Buffer, Format == TPictureFormat::Png ? "png" : "jpeg");
        if (Format == TPictureFormat::Jpeg)
            Writer.setQuality(92);
        if (Writer.write(Image))
            return true;
        Error = Writer.errorString();
        return false;
    }
    case TPictureFormat::Svg: {
        QSvgGenerator Generator;
        Generator.setOutputDevice(&Buffer);
        Generator.setSize(Size);
        Generator.setViewBox(QRect(QPoint(0, 0), Size));
        Generator.setResolution(ScreenDpi);
        Generator.setTitle(QStringLiteral("KORVANT"));
        QPainter Painter;
        if (!Painter.begin(&Generator))
            return false;
        PaintWhole(Painter, Size, Paint);
        // The generator writes the document as the painter ends.
        return Painter.end();
    }
    case TPictureFormat::Pdf: {
        QPdfWriter Writer(&Buffer);
        Writer.setCreator(QStringLiteral("KORVANT"));
        Writer.setResolution(ScreenDpi);
        Writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        Writer.setPageSize(QPageSize(QSizeF(Size) * 72.0 / ScreenDpi, QPageSize::Point, QString(),
                                     QPageSize::ExactMatch));
        QPainter Painter;
        if (!Painter.begin(&Writer))
            return false;
        PaintWhole(Painter, Size, Paint);
        return Painter.end();
    }
    case TPictureFormat::None:
        break;
    }
    return false;
}

} // namespace

TPictureFormat PictureFormatOf(const QString& FileName) {
    const QString Suffix = QFileInfo(FileName).suffix().toLower();
    if (Suffix == QLatin1String("png"))
        return TPictureFormat::Png;
    if (Suffix == QLatin1String("jpg") || Suffix == QLatin1String("jpeg"))
        return TPictureFormat::Jpeg;
    if (Suffix == QLatin1String("svg"))
        return TPictureFormat::Svg;
    if (Suffix == QLatin1String("pdf"))
        return TPictureFormat::Pdf;
    return TPictureFormat::None;
}

QString PictureSuffixes() {
    return QStringLiteral(".png, .jpg, .jpeg, .svg, .pdf");
}

bool SavePicture(const TPicture& Picture, const QString& FileName, QString& Error, QSize Blank) {
    const QSize Size = Picture.Result().HasNetwork ? Picture.Size() : Blank;
    QImage Raster;
    const TPictureFormat Format = PictureFormatOf(FileName);
    if (!Size.isEmpty() && (Format == TPictureFormat::Png || Format == TPictureFormat::Jpeg))
        Raster = RasterImage(Picture, Size);
    return SavePainting(
        Size, [&Picture](QPainter& Painter, const QRectF& Part) { Picture.Paint(Painter, Part); },
        FileName, Error, Raster);
}

bool SavePainting(QSize Size, const TPaintPart& Paint, const QString& FileName, QString& Error,
                  const QImage& Raster) {
    const TPictureFormat Format = PictureFormatOf(FileName);
    if (Format == TPictureFormat::None) {
        Error = QStringLiteral("unknown picture format; known suffixes: ") + PictureSuffixes();
        return false;
    }
    if (Size.isEmpty()) {
        Error = QStringLiteral("there is no picture to save");
        return false;
    }
    QImage Image;
    if (Format == TPictureFormat::Png || Format == TPictureFormat::Jpeg) {
        Image = Raster.isNull() ? RasterOf(Size, Paint) : Raster;
        if (Image.isNull()) {
            Error = QStringLiteral("the picture (%1 x %2 pixels) is too large for one image")
                        .arg(Size.width())
                        .arg(Size.height());
            return false;
        }
    }
    QByteArray Bytes;
    if (!Encode(Format, Size, Paint, Image, Bytes, Error)) {
        if (Error.isEmpty())
            Error = QStringLiteral("the picture could not be drawn");
        return false;
    }
    std::string Reason;
    if (!ReplaceFileWith(
            QFile::encodeName(FileName).toStdString(),
            std::string_view(Bytes.constData(), static_cast<std::size_t>(Bytes.size())), Reason)) {
        Error = QString::fromLocal8Bit(Reason);
        return false;
    }
    return true;
}
