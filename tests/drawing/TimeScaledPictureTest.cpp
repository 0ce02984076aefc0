// The time-scaled picture: labels that never meet one another nor an event's
// circle at any zoom, whole labels for the bundled example at the scale the
// picture picks, events hit at their centres, the critical path painted red
// along its row.

#include "ConstructionExample.h"
#include "network/NetworkTestSupport.h"

#include "drawing/TimeScaledPicture.h"
#include "model/WorkList.h"

#include <QColor>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

std::vector<std::string> NamesOf(const TWorkList& List) {
    std::vector<std::string> Names;
    for (int i = 0; i < List.Count(); ++i)
        Names.push_back(List.GetWork(i).Name);
    return Names;
}

TCalendar March() {
    TCalendar Calendar;
    Calendar.Start = TCivilDate::FromYmd(2027, 3, 1);
    Calendar.Holidays = {TCivilDate::FromYmd(2027, 3, 8)};
    return Calendar;
}

void ExpectLabelsApart(const TTimeScaledPicture& Picture, const std::string& What) {
    const std::vector<TTimeScaledPicture::TLabel>& Labels = Picture.Labels();
    const QRectF Whole(QPointF(0, 0), QSizeF(Picture.Size()));
    const double R = Picture.Radius();
    for (std::size_t i = 0; i < Labels.size(); ++i) {
        EXPECT_TRUE(Whole.contains(Labels[i].Box)) << What << ": " << Labels[i].Text.toStdString();
        for (std::size_t j = i + 1; j < Labels.size(); ++j)
            EXPECT_FALSE(Labels[i].Box.intersects(Labels[j].Box))
                << What << ": " << Labels[i].Text.toStdString() << " / "
                << Labels[j].Text.toStdString();
        for (std::size_t e = 0; e < Picture.Layout().Events.size(); ++e) {
            const QPointF c = Picture.Centre(static_cast<int>(e));
            EXPECT_FALSE(Labels[i].Box.intersects(QRectF(c.x() - R, c.y() - R, 2 * R, 2 * R)))
                << What << ": " << Labels[i].Text.toStdString();
        }
    }
}

} // namespace

TEST(TimeScaledPicture, LabelsNeverMeetAtAnyZoom) {
    std::mt19937 Random(2804);
    for (int Case = 0; Case < 12; ++Case) {
        const NetworkTest::TScheme Scheme =
            NetworkTest::RandomScheme(Random, 40, Case % 2 ? 0.1 : 0.2, Case % 3 == 0);
        const auto List = NetworkTest::MakeList(Scheme);
        TCircuitEngine Engine(*List);
        Engine.GetCircuit();
        Engine.Analyse();
        for (const double Scale : {0.0, 3.0, 40.0}) {
            TTimeScaledOptions Options;
            Options.PixelsPerDay = Scale;
            const TTimeScaledPicture Picture(Engine.Result(), NamesOf(*List),
                                             Case % 2 ? std::optional(March()) : std::nullopt,
                                             Options);
            ExpectLabelsApart(Picture, NetworkTest::Describe(Scheme));
        }
    }
}

TEST(TimeScaledPicture, TheExampleReadsWholeWithItsCriticalPathRedOnTheTopRow) {
    TWorkList List;
    FillConstructionExample(List);
    TCircuitEngine Engine(List);
    Engine.GetCircuit();
    Engine.Analyse();
    const TNetworkView& View = Engine.Result();
    const TTimeScaledPicture Picture(View, NamesOf(List), March());
    ExpectLabelsApart(Picture, "the example");
    EXPECT_EQ(Picture.Labels().size(), View.RealArcCount) << "every work labelled";
    for (const TTimeScaledPicture::TLabel& Label : Picture.Labels())
        EXPECT_FALSE(Label.Text.contains(QChar(0x2026))) << Label.Text.toStdString();
    for (std::size_t e = 0; e < View.Events.size(); ++e) {
        const QPointF c = Picture.Centre(static_cast<int>(e));
        EXPECT_EQ(Picture.EventAt(c), static_cast<int>(e));
        EXPECT_DOUBLE_EQ(c.x(), Picture.TimeAxis().EventX(View.Events[e].Early));
    }

    QImage Image(Picture.Size(), QImage::Format_RGB32);
    Image.fill(Qt::white);
    QPainter Painter(&Image);
    Picture.Paint(Painter, QRectF(QPointF(0, 0), QSizeF(Picture.Size())));
    Painter.end();
    int Red = 0;
    for (std::size_t a = 0; a < View.Arcs.size(); ++a) {
        const TTimeScaledArc& Arc = Picture.Layout().Arcs[a];
        if (!Arc.Critical || Arc.Lane != 0 || Arc.End == Arc.Start)
            continue;
        const double Mid =
            (Picture.TimeAxis().EventX(Arc.Start) + Picture.TimeAxis().EventX(Arc.End)) / 2;
        const double Y = Picture.Centre(View.Arcs[a].From).y();
        const QColor Pixel = Image.pixelColor(static_cast<int>(Mid), static_cast<int>(Y));
        EXPECT_GT(Pixel.red(), 150);
        EXPECT_LT(Pixel.green(), 100);
        ++Red;
    }
    EXPECT_GE(Red, 5);
}
