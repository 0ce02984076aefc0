#pragma once
// The detailed view's labels as text: every work's name wrapped onto one, two
// and three lines (as evenly as its words allow) and its duration, measured
// in the label font, for the network layer to place.

#include "core/Real.h"
#include "network/DetailedLabels.h"

#include <QFont>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

class TWorkList;

// By work, by shape (as in TDetailedSizes::Works): the name's lines.
struct TLabelTexts {
    std::vector<std::vector<QStringList>> Lines;
};

QFont LabelFont();
// A time as the detailed view writes it: "—" for one never reached.
QString TimeText(TReal Value, char Separator);
// Fills the label shapes and the font's sizes into Sizes; returns the lines.
TLabelTexts MeasureLabels(const TWorkList& List, char Separator, TDetailedSizes& Sizes);
// The same from the works' names and durations (a snapshot's).
TLabelTexts MeasureLabels(const std::vector<std::string>& Names, const std::vector<TReal>& Durations,
                          char Separator, TDetailedSizes& Sizes);
// The sizes alone, as the picture measures them.
TDetailedSizes DetailedSizes(const TWorkList& List, char Separator = '.');
TDetailedSizes DetailedSizes(const std::vector<std::string>& Names, const std::vector<TReal>& Durations,
                             char Separator = '.');
