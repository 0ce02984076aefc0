// The diagram as pixels: colours, pen widths and dotted lines sampled from the
// picture the diagram window shows.

#include "network/NetworkTestSupport.h"

#include "drawing/Diagram.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

using namespace NetworkTest;

namespace {

const QRgb Red = qRgb(255, 0, 0);
const QRgb Black = qRgb(0, 0, 0);
const QRgb White = qRgb(255, 255, 255);

struct TDrawn {
    std::unique_ptr<TWorkList> List;
    std::unique_ptr<TCircuitEngine> Engine;
    QImage Image;
};

TDrawn Draw(const TScheme& Scheme, int PathSign = -1) {
    TDrawn D;
    D.List = MakeList(Scheme);
    D.Engine = std::make_unique<TCircuitEngine>(*D.List);
    D.Engine->PathSign = PathSign;
    D.Engine->GetCircuit();
    D.Engine->Analyse();
    D.Image = CircuitImage(D.Engine->Result());
    return D;
}

THandle HandleAt(const TDrawn& D, int x, int y) {
    const TViewEvent* e = EventAt(D.Engine->Result(), x, y);
    return e ? e->Handle : 0;
}

QPoint Centre(const TCircuitEngine& Engine, THandle h) {
    const TLinkData& d = DataOf(Engine, h);
    return {TCircuitEngine::XCoord(d.TopN, CoordCentre), TCircuitEngine::YCoord(d.Y, CoordCentre)};
}

THandle EventNumbered(const TCircuitEngine& Engine, int Number) {
    for (THandle h : Events(Engine))
        if (DataOf(Engine, h).Number == Number)
            return h;
    return 0;
}

// Pixels of one colour on the straight line between two points, and how many
// pixels of it are white (the gaps of a dotted line).
struct TLineSample {
    int Coloured = 0;
    int Gaps = 0;
    QRgb Colour = White;
};

TLineSample SampleLine(const QImage& Image, QPoint From, QPoint To) {
    TLineSample s;
    const int Steps = std::max(std::abs(To.x() - From.x()), std::abs(To.y() - From.y()));
    // Leave out the parts covered by the two circles.
    for (int i = 0; i <= Steps; ++i) {
        const int x = From.x() + (To.x() - From.x()) * i / Steps;
        const int y = From.y() + (To.y() - From.y()) * i / Steps;
        if (std::hypot(x - From.x(), y - From.y()) < 13 || std::hypot(x - To.x(), y - To.y()) < 13)
            continue;
        const QRgb p = Image.pixel(x, y) & 0xFFFFFF;
        if ((p | 0xFF000000) == White) {
            ++s.Gaps;
        } else {
            ++s.Coloured;
            s.Colour = Image.pixel(x, y);
        }
    }
    return s;
}

// Width of the circle's outline above its centre (arcs never run vertically,
// so no segment crosses this line).
int OutlineWidth(const QImage& Image, QPoint c, QRgb Colour) {
    int Width = 0;
    for (int y = c.y() - 13; y < c.y() - 7; ++y)
        if (Image.pixel(c.x(), y) == Colour)
            ++Width;
    return Width;
}

// The bounding box of the black pixels (the number) inside an event's circle.
QRect TextBox(const QImage& Image, QPoint c) {
    QRect Box;
    for (int y = c.y() - 8; y <= c.y() + 8; ++y)
        for (int x = c.x() - 8; x <= c.x() + 8; ++x)
            if (Image.pixel(x, y) == Black)
                Box = Box.united(QRect(x, y, 1, 1));
    return Box;
}

} // namespace

TEST(Drawing, ThreeEventChainIsTwoRedSegmentsAndThreeBoldRedCircles) {
    const TDrawn D = Draw({{3, 4}, {{}, {0}}});
    ASSERT_EQ(D.Image.size(), QSize(200, 40));
    for (int n = 1; n <= 3; ++n) {
        const THandle e = EventNumbered(*D.Engine, n);
        ASSERT_NE(e, 0u) << n;
        const QPoint c = Centre(*D.Engine, e);
        EXPECT_EQ(c, QPoint(60 * n, 20)) << "events left to right in the order of their numbers";
        EXPECT_GE(OutlineWidth(D.Image, c, Red), 2) << n;
        EXPECT_EQ(D.Image.pixel(c.x(), c.y() - 7), White) << "a circle is filled white";
        EXPECT_FALSE(TextBox(D.Image, c).isEmpty()) << "the number is written in the circle";
    }
    for (int n = 1; n <= 2; ++n) {
        const TLineSample s = SampleLine(D.Image, QPoint(60 * n, 20), QPoint(60 * n + 60, 20));
        EXPECT_GT(s.Coloured, 30);
        EXPECT_EQ(s.Gaps, 0) << "a real arc is solid";
        EXPECT_EQ(s.Colour, Red);
    }
}

TEST(Drawing, FictiveArcIsDottedAndRedWhenOnThePath) {
    // K after A and B, L after B only: one fictive arc from the end of B to
    // the end of A. With B long, the path runs through it.
    for (const TReal B : {TReal(0.5), TReal(5)}) {
        const TDrawn D = Draw({{1, B, 1, 1}, {{}, {}, {0, 1}, {1}}});
        const THandle x = HeadOfWork(*D.Engine, 0);
        const THandle y = HeadOfWork(*D.Engine, 1);
        ASSERT_TRUE(DataOf(*D.Engine, y).FictOut->HasKey(static_cast<std::int32_t>(x)));
        const TLineSample s = SampleLine(D.Image, Centre(*D.Engine, y), Centre(*D.Engine, x));
        EXPECT_GT(s.Coloured, 3);
        EXPECT_GT(s.Gaps, 3) << "a fictive arc is dotted";
        EXPECT_EQ(s.Colour, B == 5 ? Red : Black) << "B = " << static_cast<double>(B);
    }
}

TEST(Drawing, ArcOverTwoLevelsIsTwoSegmentsThroughItsChainNodeWithoutACircle) {
    // A then B; C alone runs from the start to the end, over level 2.
    const TDrawn D = Draw({{1, 1, 1}, {{}, {0}, {}}});
    THandle Chain = 0;
    for (THandle h : NodeOf(*D.Engine, D.Engine->GethALL(TypeAllRoot)).OutLinks)
        if (NodeOf(*D.Engine, h).TypeID == TypeRealChain)
            Chain = h;
    ASSERT_NE(Chain, 0u);
    const QPoint c = Centre(*D.Engine, Chain);
    const QPoint Start = Centre(*D.Engine, TailOfWork(*D.Engine, 2));
    const QPoint End = Centre(*D.Engine, HeadOfWork(*D.Engine, 2));
    EXPECT_GT(SampleLine(D.Image, Start, c).Coloured, 20);
    EXPECT_GT(SampleLine(D.Image, c, End).Coloured, 20);
    EXPECT_NE(D.Image.pixel(c) | 0xFF000000, White) << "the segments meet at the chain node";
    // Where a circle would be, left and right of the node, there is nothing.
    EXPECT_EQ(D.Image.pixel(c.x(), c.y() - 9), White);
    EXPECT_EQ(D.Image.pixel(c.x(), c.y() + 9), White);
}

TEST(Drawing, EventOffThePathIsBlackWithAThinPen) {
    // B and C after A; C is shorter, so the end of C is off the path, and the
    // end of A's long rival...
    const TDrawn D = Draw({{1, 5, 1, 1}, {{}, {0}, {0}, {2}}});
    const THandle Off = HeadOfWork(*D.Engine, 2); // end of C, where D starts
    ASSERT_TRUE(DataOf(*D.Engine, Off).CritOut->Empty());
    const QPoint c = Centre(*D.Engine, Off);
    EXPECT_EQ(OutlineWidth(D.Image, c, Black), 1);
    EXPECT_EQ(OutlineWidth(D.Image, c, Red), 0);
}

TEST(Drawing, NumbersOfOneTwoAndThreeDigitsAreCentredInTheirCircles) {
    TScheme Chain;
    for (int i = 0; i < 105; ++i) {
        Chain.Durations.push_back(1);
        Chain.Deps.push_back(i == 0 ? std::vector<int>{} : std::vector<int>{i - 1});
    }
    const TDrawn D = Draw(Chain);
    ASSERT_FALSE(D.Image.isNull());
    for (int n : {1, 7, 10, 42, 100, 106}) {
        const THandle e = EventNumbered(*D.Engine, n);
        ASSERT_NE(e, 0u) << n;
        const QPoint c = Centre(*D.Engine, e);
        const QRect Box = TextBox(D.Image, c);
        ASSERT_FALSE(Box.isEmpty()) << n;
        const double Mid = (Box.left() + Box.right()) / 2.0;
        EXPECT_LE(std::abs(Mid - c.x()), 1.5) << "number " << n << " box " << Box.left() << ".."
                                              << Box.right() << " around " << c.x();
        const double MidY = (Box.top() + Box.bottom()) / 2.0;
        EXPECT_LE(std::abs(MidY - c.y()), 2.5) << "number " << n;
    }
}

TEST(Drawing, PaintingAPartGivesTheSamePixelsAsTheWholePicture) {
    const TDrawn D = Draw({{1, 5, 1, 1}, {{}, {0}, {0}, {2}}});
    const QRect Part(70, 0, 90, D.Image.height());
    QImage Piece(D.Image.size(), QImage::Format_RGB32);
    Piece.setDotsPerMeterX(D.Image.dotsPerMeterX());
    Piece.setDotsPerMeterY(D.Image.dotsPerMeterY());
    Piece.fill(Qt::white);
    {
        QPainter Painter(&Piece);
        Painter.setClipRect(Part);
        PaintCircuit(Painter, D.Engine->Result(), Part);
    }
    for (int y = Part.top(); y <= Part.bottom(); ++y)
        for (int x = Part.left(); x <= Part.right(); ++x)
            ASSERT_EQ(Piece.pixel(x, y), D.Image.pixel(x, y)) << x << "," << y;
}

TEST(Drawing, OneWorkLeavesNothingToDraw) {
    const TDrawn D = Draw({{1}, {{}}});
    EXPECT_EQ(D.Engine->Result().Width, 0);
    EXPECT_TRUE(D.Image.isNull());
}

TEST(Drawing, RightClickFindsTheFirstEventStrictlyWithinTenPixels) {
    const TDrawn D = Draw({{3, 4}, {{}, {0}}});
    const THandle First = EventNumbered(*D.Engine, 1);
    EXPECT_EQ(HandleAt(D, 60 + 9, 20), First);
    EXPECT_EQ(HandleAt(D, 60 + 6, 20 + 6), First); // 72 < 100
    EXPECT_EQ(HandleAt(D, 60 + 10, 20), 0u);
    EXPECT_EQ(HandleAt(D, 60 + 6, 20 + 8), 0u); // exactly 10
}

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication App(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
