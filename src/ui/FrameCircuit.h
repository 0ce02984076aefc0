#pragma once
// The pop-up list of the diagram window: a right click on an event shows,
// below its circle, the event's path time and the works it stands for; F3 in
// the list repeats the time of the last event shown.

#include "core/LinkObject.h"

#include <QFrame>

#include <string>
#include <vector>

class QTableWidget;
class TDialogs;
class TWorkList;
struct TNetworkView;

// The path time of the last event whose list was shown; empty until then.
extern std::string LastTimeText;

// The rows of an event's list: the start event has one row saying it follows
// no work; any other event a line with its path time, then its works. An end
// event lists the works that end at it first and, after a line of its own,
// the works finished earlier. A work the list does not hold is shown as
// "-- ?? --". TimeText receives the time, without sign in either path mode.
std::vector<std::string> EventWorkRows(const TNetworkView& View, const std::vector<std::string>& Names,
                                       THandle Event, std::string& TimeText);

class TFrame1 : public QFrame {
    Q_OBJECT

public:
    static constexpr int FrameWidth = 321;
    static constexpr int FrameHeight = 122;
    static constexpr int RowHeight = 16;

    TFrame1(TDialogs& Dialogs, QWidget* Parent);

    // Fills the list for Event and shows it with its top at Top, growing the
    // diagram window if the list would not fit. Window must be the diagram
    // window; any other window is ignored.
    void ShowEventWorks(int Top, QWidget* Window, THandle Event);
    void HideList();
    void sg1KeyUp(int Key);

    // The list's rows as shown.
    std::vector<std::string> Rows() const;

    QTableWidget* sg1;

signals:
    // A mouse button went down on the list.
    void sg1MouseDown(Qt::MouseButton Button);

protected:
    void resizeEvent(QResizeEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void FrameResize();

    TDialogs& Dialogs;
};
