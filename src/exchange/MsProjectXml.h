#pragma once
// Microsoft Project's XML interchange format (MSPDI), as MS Project 2013 and
// later, ProjectLibre and GanttProject read and write it.
//
// Reading keeps the tasks and their predecessor links, the work resources and
// the assignments (MsProjectResources.h), the project calendar with the
// project's start (MsProjectCalendar.h), and passes over every other element
// (other calendars, extended attributes, baselines). A task is a work unless
// it is the project's summary (UID 0), a summary task, a null task, an
// inactive task or a milestone of zero duration. A link to or from a summary
// task stands for links to or from every work under it (by OutlineLevel in
// file order); the works after a milestone wait for the works before it.
// Links of every type with their lags become parts of works, waits and
// dependencies (LinkConversion.h). Durations and lags are counted in days of
// the project's MinutesPerDay (480 when absent); a D in a duration is one
// such day. Elapsed ones hold the working time of the project calendar
// where they fall in the early schedule (ElapsedSpans.h), 5 working days to
// 7 days of the clock in a plan without a calendar.
//
// Writing gives one project. A scheme with a calendar is written on it: its
// start, weekdays, hours and exceptions, and durations in days of its
// MinutesPerDay; a plan whose dates would fall outside what MS Project holds
// (1984-01-01 to 2149-12-31) is refused. A scheme without one is written on
// a standard calendar (Monday to Friday, 08:00 to 12:00 and 13:00 to 17:00,
// 480 minutes a day) starting on Monday 2026-01-05 at 08:00. Every work is a
// task (UID and ID its position from 1) with its duration, its entered
// dependencies as finish-to-start links without lag, and the critical-path
// schedule: the early and late dates in that calendar, rounded to the minute
// (a finish at the end of a day falls on the end of that day's work), the
// floats in tenths of a minute and the critical flag. A scheme whose
// dependencies hold a contour, or without a calendar whose schedule would
// end past the year 9000, is written without dates, floats and flags.

#include "exchange/Plan.h"

#include <optional>
#include <string>
#include <string_view>

// Source names the file in the error text.
std::optional<TPlan> ReadMsProjectXml(std::string_view Bytes, std::string_view Source,
                                      std::string& Error);

// The file's bytes for an analysed list, or nothing (with Error) when a name
// holds a character XML cannot carry or the dates of a list with a calendar
// fall outside MS Project's years.
std::optional<std::string> WriteMsProjectXml(const TWorkList& List, std::string& Error);

// A duration in days as MSPDI writes it: hours, minutes and seconds of
// DayMinutes-minute days, the seconds with as many decimals as it takes to read the
// same number of days back (1.5 days is "PT12H0M0S").
std::string MsProjectDuration(TReal Days, int DayMinutes = 480);
