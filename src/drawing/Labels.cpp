// The labels' texts and sizes. A name is split at spaces only, so no word is
// ever broken; for two and three lines the split with the narrowest widest
// line is taken, found on the words' widths added up, then the lines
// measured whole.

#include "drawing/Labels.h"

#include "model/RealText.h"
#include "model/WorkList.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

// The best split of Widths (words with a space of Space between them) into
// Count lines: the first word of each line after the first.
std::vector<int> Split(const std::vector<double>& Widths, double Space, int Count) {
    const int n = static_cast<int>(Widths.size());
    std::vector<double> Sum(Widths.size() + 1, 0);
    std::partial_sum(Widths.begin(), Widths.end(), Sum.begin() + 1);
    const auto LineWidth = [&](int From, int To) {
        return Sum[static_cast<std::size_t>(To)] - Sum[static_cast<std::size_t>(From)] +
               Space * (To - From - 1);
    };
    std::vector<int> Best;
    double Narrowest = -1;
    if (Count == 2) {
        for (int i = 1; i < n; ++i) {
            const double w = std::max(LineWidth(0, i), LineWidth(i, n));
            if (Narrowest < 0 || w < Narrowest) {
                Narrowest = w;
                Best = {i};
            }
        }
    } else {
        for (int i = 1; i < n; ++i)
            for (int j = i + 1; j < n; ++j) {
                const double w = std::max({LineWidth(0, i), LineWidth(i, j), LineWidth(j, n)});
                if (Narrowest < 0 || w < Narrowest) {
                    Narrowest = w;
                    Best = {i, j};
                }
            }
    }
    return Best;
}

} // namespace

// A narrow face: names wrap less and their columns stay narrow. Where it is
// missing fontconfig gives another, and the layout measures that one.
QFont LabelFont() {
    QFont Font(QStringLiteral("Arial Narrow"));
    Font.setStyleHint(QFont::SansSerif);
    Font.setPointSizeF(8.5);
    return Font;
}

QString TimeText(TReal Value, char Separator) {
    return std::isinf(Value) ? QStringLiteral("—")
                             : QString::fromStdString(FormatReal(Value, Separator));
}

TLabelTexts MeasureLabels(const TWorkList& List, char Separator, TDetailedSizes& Sizes) {
    std::vector<std::string> Names;
    std::vector<TReal> Durations;
    for (int i = 0; i < List.Count(); ++i) {
        Names.push_back(List.GetWork(i).Name);
        Durations.push_back(List.GetWork(i).Duration);
    }
    return MeasureLabels(Names, Durations, Separator, Sizes);
}

TLabelTexts MeasureLabels(const std::vector<std::string>& Names, const std::vector<TReal>& Durations,
                          char Separator, TDetailedSizes& Sizes) {
    const QFontMetricsF Metrics(LabelFont());
    Sizes.LineHeight = Metrics.height();
    Sizes.RowStep = 2 * Sizes.Radius + 2 * Sizes.LineHeight + 24;
    const double Space = Metrics.horizontalAdvance(QLatin1Char(' '));
    TLabelTexts Texts;
    Sizes.Works.assign(Names.size(), {});
    Texts.Lines.assign(Names.size(), {});
    for (std::size_t i = 0; i < Names.size(); ++i) {
        const QStringList Words =
            QString::fromStdString(Names[i]).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const double TimeWidth = Metrics.horizontalAdvance(TimeText(Durations[i], Separator));
        std::vector<double> Widths;
        for (const QString& Word : Words)
            Widths.push_back(Metrics.horizontalAdvance(Word));
        auto& Shapes = Sizes.Works[i];
        auto& Lines = Texts.Lines[i];
        for (int Count = 1;
             Count <= std::min(3, static_cast<int>(std::max<qsizetype>(1, Words.size())));
             ++Count) {
            QStringList Shape;
            if (Count == 1) {
                Shape.push_back(Words.join(QLatin1Char(' ')));
            } else {
                const std::vector<int> Breaks = Split(Widths, Space, Count);
                qsizetype From = 0;
                for (std::size_t b = 0; b <= Breaks.size(); ++b) {
                    const qsizetype To = b < Breaks.size() ? Breaks[b] : Words.size();
                    Shape.push_back(Words.mid(From, To - From).join(QLatin1Char(' ')));
                    From = To;
                }
            }
            double Widest = 0;
            for (const QString& Line : Shape)
                Widest = std::max(Widest, Metrics.horizontalAdvance(Line));
            Shapes.push_back({std::ceil(Widest), Count * Sizes.LineHeight, std::ceil(TimeWidth)});
            Lines.push_back(std::move(Shape));
        }
    }
    return Texts;
}

TDetailedSizes DetailedSizes(const TWorkList& List, char Separator) {
    TDetailedSizes Sizes;
    MeasureLabels(List, Separator, Sizes);
    return Sizes;
}

TDetailedSizes DetailedSizes(const std::vector<std::string>& Names, const std::vector<TReal>& Durations,
                             char Separator) {
    TDetailedSizes Sizes;
    MeasureLabels(Names, Durations, Separator, Sizes);
    return Sizes;
}
