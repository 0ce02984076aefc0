#pragma once
// The project calendar of MS Project XML. In: the calendar the project names
// (CalendarUID), with the weekdays, working times and exceptions it inherits
// from its base calendars, the project's StartDate and MinutesPerDay become
// the scheme's calendar. Out: the scheme's calendar is written as the one
// base calendar of the project, its exceptions both as Project 2007 writes
// them (Exceptions) and as older versions did (WeekDay of DayType 0).

#include "model/Calendar.h"

#include <QString>

#include <optional>
#include <string>
#include <vector>

class QXmlStreamReader;
class QXmlStreamWriter;

// A WeekDay of a calendar, or one of its Exceptions (DayType -1).
struct TXmlCalendarDay {
    int DayType = -1;
    QString Working;
    QString FromDate;
    QString ToDate;
    // Exceptions only: how the exception recurs in its time period.
    QString Name;
    QString Type;
    QString Period;
    QString Month;
    QString MonthDay;
    std::vector<std::pair<QString, QString>> Times; // FromTime, ToTime
};

struct TXmlCalendar {
    QString Uid;
    QString Name;
    QString BaseUid;
    std::vector<TXmlCalendarDay> WeekDays;
    std::vector<TXmlCalendarDay> Exceptions;
    int WorkWeeks = 0; // periods with a week of their own
};

// The children of <Calendars>, the reader standing on its start.
void ReadXmlCalendars(QXmlStreamReader& Xml, std::vector<TXmlCalendar>& Calendars);

// The scheme's calendar for the project calendar CalendarUid names, starting
// at StartDate ("2027-03-01T08:00:00"). Nothing, without a word, when the
// file names no project calendar; nothing, with a warning saying why, when
// the calendar cannot be kept (the plan then comes in without one, as from
// a file without a calendar).
std::optional<TCalendar> ResolveProjectCalendar(const std::vector<TXmlCalendar>& Calendars,
                                                const QString& CalendarUid,
                                                const QString& StartDate, int MinutesPerDay,
                                                std::vector<std::string>& Warnings);

// "HH:MM:00" for a minute of the day (midnight for 1440, the end of a day).
QString XmlClock(int Minute);
// "YYYY-MM-DDTHH:MM:SS" for a moment of the site's clock.
QString XmlDateTime(TCivilDate Date, int Minute);

// The one <Calendar> of the project (UID 1, "Standard") for Calendar.
void WriteXmlCalendar(QXmlStreamWriter& Xml, const TCalendar& Calendar);
