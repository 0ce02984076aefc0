#pragma once
// "Найти…" in the diagram window: what to look for is asked in a small
// dialog, and FindInDiagram walks the diagram for it. A text of digits alone
// finds the event of that number first; any text finds the works whose names
// hold it, case ignored. F3 goes on from the last place found.

#include "network/NetworkView.h"

#include <QDialog>
#include <QString>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

class QLineEdit;

// Places are counted events first (positions in Events), then arcs
// (Events.size() + the arc's position in Arcs). The first place after After
// (from the first place when there is none) that matches, round the end back
// to the start; none when nothing does.
std::optional<std::size_t> FindInDiagram(const TNetworkView& View,
                                         const std::vector<std::string>& Names, const QString& Text,
                                         std::optional<std::size_t> After);

class TFindDialog : public QDialog {
    Q_OBJECT

public:
    explicit TFindDialog(QWidget* Parent);

    // The text to find, starting from Last; none when cancelled.
    std::optional<QString> Ask(const QString& Last);

    QLineEdit* TextEdit;
};
