#include "ui/PicturePrint.h"

#include <gtest/gtest.h>

#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <vector>

namespace {

// A diagram two and a half pages wide and one and a half high is cut into
// three columns and two rows of sheets; neighbours overlap, so that nothing
// is lost at a cut, and together they cover the whole picture.
TEST(PicturePrint, ALargePictureIsTiledOverSheetsThatOverlapAndCoverIt) {
    QTemporaryDir Folder;
    QPdfWriter Writer(Folder.filePath(QStringLiteral("tiles.pdf")));
    Writer.setResolution(96);
    Writer.setPageSize(QPageSize(QPageSize::A4));
    Writer.setPageOrientation(QPageLayout::Landscape);
    const QSizeF Page = Writer.pageLayout().paintRectPixels(96).size();
    const QSize Size(static_cast<int>(Page.width() * 2.5), static_cast<int>(Page.height() * 1.5));
    std::vector<QRectF> Parts;
    TPrintTitle Title{QStringLiteral("дом.kcrct"), QStringLiteral("01.12.2026"),
                      QStringLiteral("52"), true};
    const int Pages = PaintPages(
        Writer, Size, [&Parts](QPainter&, const QRectF& Part) { Parts.push_back(Part); },
        TPrintLayout::Tiles, Title);
    EXPECT_EQ(Pages, 6);
    ASSERT_EQ(Parts.size(), 6u);
    EXPECT_LT(Parts[1].left(), Parts[0].right()) << "the second column overlaps the first";
    EXPECT_LT(Parts[3].top(), Parts[0].bottom()) << "the second row overlaps the first";
    EXPECT_GE(Parts[5].right(), Size.width());
    EXPECT_GE(Parts[5].bottom(), Size.height());
    EXPECT_LT(Parts[0].height(), Page.height()) << "the foot of the page holds the sheet's place";

    EXPECT_EQ(SheetLabel(2, 6, 1, 2), QStringLiteral("Лист 2 из 6, ряд 1, колонка 2"));
    QPdfWriter Fitted(Folder.filePath(QStringLiteral("fit.pdf")));
    Fitted.setResolution(96);
    Fitted.setPageSize(QPageSize(QPageSize::A4));
    Fitted.setPageOrientation(QPageLayout::Landscape);
    EXPECT_EQ(PaintPages(
                  Fitted, Size, [](QPainter&, const QRectF&) {}, TPrintLayout::FitWidth),
              1);
}

} // namespace
