// The detailed view and picture files, on the bundled example: where events
// and arcs are hit, parallel works drawn apart, and files written whole or
// not at all.

#include "ConstructionExample.h"

#include "drawing/Picture.h"
#include "model/AtomicFile.h"
#include "model/WorkList.h"
#include "network/CircuitEngine.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <set>

namespace {

class DetailedPicture : public ::testing::Test {
protected:
    void SetUp() override {
        FillConstructionExample(List);
        Engine.GetCircuit();
        Engine.Analyse();
    }
    int WorkNamed(const char* Name) const {
        for (int i = 0; i < List.Count(); ++i)
            if (List.GetWork(i).Name == Name)
                return i;
        return -1;
    }
    TWorkList List;
    TCircuitEngine Engine{List};
};

TEST_F(DetailedPicture, EveryEventIsHitInsideItsCircleAtEveryPoint) {
    const TPicture Picture(Engine.Result(), List, TDiagramKind::Detailed);
    const TPicture Plain(Engine.Result(), List, TDiagramKind::Plain);
    EXPECT_GT(Picture.Size().width(), Plain.Size().width());
    for (const TViewEvent& e : Engine.Result().Events) {
        const QPointF c = Picture.Centre(e);
        EXPECT_EQ(Picture.EventAt(c), &e);
        EXPECT_EQ(Picture.EventAt(c + QPointF(Picture.Radius() - 1, 0)), &e);
        EXPECT_NE(Picture.EventAt(c + QPointF(Picture.Radius() + 2, 0)), &e);
    }
}

// Roof (5), electrical works (6) and plumbing (5) run between the same two
// events: three arcs apart, found one at a time, the electrical one red.
TEST_F(DetailedPicture, ParallelWorksAreArcsOfTheirOwnAndOnlyTheCriticalOneIsRed) {
    const TPicture Picture(Engine.Result(), List, TDiagramKind::Detailed);
    const TNetworkView& View = Engine.Result();
    const TViewArc* Electrical = View.ArcOfWork(WorkNamed("Электромонтажные работы"));
    ASSERT_TRUE(Electrical);
    const QPointF From = Picture.Centre(View.Events[static_cast<std::size_t>(Electrical->From)]);
    const QPointF To = Picture.Centre(View.Events[static_cast<std::size_t>(Electrical->To)]);
    QImage Image(Picture.Size(), QImage::Format_RGB32);
    Image.fill(Qt::white);
    QPainter Painter(&Image);
    Picture.Paint(Painter, QRectF(QPointF(0, 0), Picture.Size()));
    Painter.end();

    // Down the middle between the two events: each arc alone, in turn.
    const double x = (From.x() + To.x()) / 2;
    std::set<int> Works;
    std::set<int> RedWorks;
    for (double y = From.y() - 60; y <= From.y() + 60; y += 1) {
        const std::vector<std::size_t> Found = Picture.ArcsAt(QPointF(x, y));
        if (Found.size() != 1)
            continue;
        const int Work = View.Arcs[Found[0]].Work;
        Works.insert(Work);
        const QColor Pixel = Image.pixelColor(static_cast<int>(x), static_cast<int>(y));
        if (Pixel.red() > 200 && Pixel.green() < 120)
            RedWorks.insert(Work);
    }
    EXPECT_EQ(Works, (std::set<int>{WorkNamed("Устройство кровли"), WorkNamed("Электромонтажные работы"),
                                    WorkNamed("Сантехнические работы")}));
    EXPECT_EQ(RedWorks, std::set<int>{WorkNamed("Электромонтажные работы")});
}

TEST_F(DetailedPicture, EachFormatIsWrittenWholeAndAFailureLeavesNothing) {
    const TPicture Picture(Engine.Result(), List, TDiagramKind::Detailed);
    QTemporaryDir Dir;
    const auto Bytes = [&Dir](const char* Name) {
        QFile File(Dir.filePath(QString::fromUtf8(Name)));
        return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray();
    };
    QString Error;
    for (const char* Name : {"d.png", "d.jpeg", "d.svg", "d.pdf"})
        EXPECT_TRUE(SavePicture(Picture, Dir.filePath(QString::fromUtf8(Name)), Error))
            << Name << ": " << Error.toStdString();
    EXPECT_TRUE(Bytes("d.png").startsWith("\x89PNG"));
    EXPECT_TRUE(Bytes("d.jpeg").startsWith("\xFF\xD8"));
    EXPECT_TRUE(Bytes("d.pdf").startsWith("%PDF"));
    // SVG keeps its text as text.
    const QString Svg = QString::fromUtf8(Bytes("d.svg"));
    EXPECT_TRUE(Svg.contains(QStringLiteral("<svg")));
    // Names wrap onto several lines, each its own text.
    EXPECT_TRUE(Svg.contains(QStringLiteral("Электромонтажные")));

    EXPECT_FALSE(SavePicture(Picture, Dir.filePath(QStringLiteral("no/such/folder/d.png")), Error));
    EXPECT_FALSE(Error.isEmpty());
    EXPECT_FALSE(SavePicture(Picture, Dir.filePath(QStringLiteral("d.gif")), Error));
    EXPECT_FALSE(QFile::exists(Dir.filePath(QStringLiteral("d.gif"))));
    EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files).size(), 4);
}

TEST_F(DetailedPicture, AWriteTheDeviceRefusesLeavesTheOldPictureInEveryFormat) {
    const TPicture Picture(Engine.Result(), List, TDiagramKind::Plain);
    QTemporaryDir Dir;
    for (const char* Name : {"d.png", "d.jpg", "d.svg", "d.pdf"}) {
        const QString Path = Dir.filePath(QString::fromUtf8(Name));
        QFile Old(Path);
        ASSERT_TRUE(Old.open(QIODevice::WriteOnly));
        Old.write("old");
        Old.close();
        QString Error;
        {
            const TFileFault Fault(TFileStep::Write, 1, ENOSPC);
            EXPECT_FALSE(SavePicture(Picture, Path, Error)) << Name;
        }
        EXPECT_EQ(Error.toStdString(), std::strerror(ENOSPC)) << Name;
        ASSERT_TRUE(Old.open(QIODevice::ReadOnly));
        EXPECT_EQ(Old.readAll(), QByteArray("old")) << Name;
    }
    EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 4);
}

} // namespace
