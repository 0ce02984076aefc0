#pragma once
// "Календарь проекта…": the scheme's calendar as a planner sets it — whether
// the plan is in dates at all, the start date (and time), the working
// weekdays, the working hours of a day, the length of a day of duration, and
// the exceptions: holidays and extra working dates. The dialog only edits a
// copy; EditCalendar puts what was accepted into the undo history as one
// step, so that one undo gives back the calendar as it was.

#include "model/Calendar.h"

#include <QDialog>
#include <QString>

#include <array>
#include <optional>
#include <vector>

class QCheckBox;
class QDateEdit;
class QDoubleSpinBox;
class QGroupBox;
class QListWidget;
class QLineEdit;
class QPushButton;
class QTimeEdit;
class QWidget;
class TDialogs;
class TEditHistory;
class TWorkList;

// The working periods of a day as the dialog writes them: "08:00–12:00,
// 13:00–17:00".
QString PeriodsText(const std::vector<TWorkPeriod>& Periods);
// Reads that text back (a hyphen or a dash between the times, commas or
// semicolons between the periods, "24:00" as the end of the day); nothing
// for a text that is not such a list. Whether the periods make a valid day
// is the calendar's own check.
std::optional<std::vector<TWorkPeriod>> PeriodsFromText(const QString& Text);

class TCalendarDialog : public QDialog {
    Q_OBJECT

public:
    // Starts from Current, or from a Monday-to-Friday calendar starting today
    // (switched off) when the scheme has none.
    TCalendarDialog(const std::optional<TCalendar>& Current, TDialogs& Dialogs, QWidget* Parent);

    // The calendar the dialog holds now: nothing when the plan is to stay in
    // day numbers. Problem says why the fields do not make a calendar.
    std::optional<TCalendar> Calendar(std::optional<std::string_view>* Problem = nullptr) const;

    // Accepts only what makes a valid calendar; otherwise says why and stays.
    void accept() override;

    QGroupBox* UseCalendar;
    QDateEdit* StartDate;
    QCheckBox* HasStartTime;
    QTimeEdit* StartTime;
    std::array<QCheckBox*, 7> Weekdays{};
    QLineEdit* Hours;
    QDoubleSpinBox* DayHours;
    QDateEdit* ExceptionDate;
    QListWidget* Holidays;
    QListWidget* Workdays;
    QPushButton* AddHoliday;
    QPushButton* AddWorkday;
    QPushButton* RemoveException;

private:
    void AddException(QListWidget* List, QListWidget* Other);
    void RemoveSelected();
    void HoursEdited();

    TDialogs& Dialogs;
};

// Shows the dialog for List's calendar; an accepted change enters History as
// one step. True when the calendar changed.
bool EditCalendar(QWidget* Parent, const TWorkList& List, TEditHistory& History, TDialogs& Dialogs);
