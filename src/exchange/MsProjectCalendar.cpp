// A scheme's calendar has one set of working hours for every working day and
// a list of exceptional dates; an MS Project calendar has hours per weekday,
// base calendars it inherits from and exceptions that recur. Coming in, the
// weekdays and exceptions are resolved along the base chain (the derived
// calendar's word counts), recurring exceptions are expanded to dates, and
// whatever the scheme cannot keep is said in a warning.

#include "exchange/MsProjectCalendar.h"

#include "messages/ErrorStrings.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <array>
#include <map>

namespace {

std::string Text(const QString& s) {
    return s.toStdString();
}

bool Flag(const QString& Value) {
    const QString v = Value.trimmed();
    return v == QLatin1String("1") || v.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
}

// ------------------------------------------------------------------ reading

void ReadPairs(QXmlStreamReader& Xml, QLatin1String Element, QLatin1String First,
               QLatin1String Second, std::vector<std::pair<QString, QString>>& Pairs, bool Single) {
    const auto ReadOne = [&](std::pair<QString, QString>& Pair) {
        while (Xml.readNextStartElement()) {
            if (Xml.name() == First)
                Pair.first = Xml.readElementText();
            else if (Xml.name() == Second)
                Pair.second = Xml.readElementText();
            else
                Xml.skipCurrentElement();
        }
    };
    if (Single)
        return ReadOne(Pairs.emplace_back());
    while (Xml.readNextStartElement()) {
        if (Xml.name() == Element)
            ReadOne(Pairs.emplace_back());
        else
            Xml.skipCurrentElement();
    }
}

void ReadDay(QXmlStreamReader& Xml, TXmlCalendarDay& Day) {
    while (Xml.readNextStartElement()) {
        const auto Name = Xml.name();
        if (Name == QLatin1String("DayType")) {
            bool Ok = false;
            Day.DayType = Xml.readElementText().trimmed().toInt(&Ok);
            if (!Ok)
                Day.DayType = -2;
        } else if (Name == QLatin1String("TimePeriod")) {
            std::vector<std::pair<QString, QString>> Period;
            ReadPairs(Xml, {}, QLatin1String("FromDate"), QLatin1String("ToDate"), Period, true);
            Day.FromDate = Period.front().first;
            Day.ToDate = Period.front().second;
        } else if (Name == QLatin1String("WorkingTimes")) {
            ReadPairs(Xml, QLatin1String("WorkingTime"), QLatin1String("FromTime"),
                      QLatin1String("ToTime"), Day.Times, false);
        } else if (QString* Field = Name == QLatin1String("DayWorking") ? &Day.Working
                                    : Name == QLatin1String("Name")     ? &Day.Name
                                    : Name == QLatin1String("Type")     ? &Day.Type
                                    : Name == QLatin1String("Period")   ? &Day.Period
                                    : Name == QLatin1String("Month")    ? &Day.Month
                                    : Name == QLatin1String("MonthDay") ? &Day.MonthDay
                                                                        : nullptr) {
            *Field = Xml.readElementText();
        } else {
            Xml.skipCurrentElement();
        }
    }
}

void ReadDays(QXmlStreamReader& Xml, QLatin1String Element, std::vector<TXmlCalendarDay>& Days) {
    while (Xml.readNextStartElement()) {
        if (Xml.name() == Element)
            ReadDay(Xml, Days.emplace_back());
        else
            Xml.skipCurrentElement();
    }
}

void ReadCalendar(QXmlStreamReader& Xml, TXmlCalendar& Calendar) {
    while (Xml.readNextStartElement()) {
        const auto Name = Xml.name();
        if (Name == QLatin1String("UID"))
            Calendar.Uid = Xml.readElementText().trimmed();
        else if (Name == QLatin1String("Name"))
            Calendar.Name = Xml.readElementText();
        else if (Name == QLatin1String("BaseCalendarUID"))
            Calendar.BaseUid = Xml.readElementText().trimmed();
        else if (Name == QLatin1String("WeekDays"))
            ReadDays(Xml, QLatin1String("WeekDay"), Calendar.WeekDays);
        else if (Name == QLatin1String("Exceptions"))
            ReadDays(Xml, QLatin1String("Exception"), Calendar.Exceptions);
        else if (Name == QLatin1String("WorkWeeks"))
            while (Xml.readNextStartElement()) {
                Calendar.WorkWeeks += Xml.name() == QLatin1String("WorkWeek") ? 1 : 0;
                Xml.skipCurrentElement();
            }
        else
            Xml.skipCurrentElement();
    }
}

// ---------------------------------------------------------------- resolving

// Minutes after midnight of "HH:MM:SS"; as the end of a working time,
// 00:00 is the midnight that ends the day.
std::optional<int> ClockMinutes(const QString& Value, bool End) {
    const QString v = Value.trimmed();
    if (v.size() < 5 || v[2] != QLatin1Char(':'))
        return std::nullopt;
    bool HourOk = false, MinuteOk = false;
    const int Hour = v.left(2).toInt(&HourOk);
    const int Minute = v.mid(3, 2).toInt(&MinuteOk);
    if (!HourOk || !MinuteOk || Hour < 0 || Hour > 23 || Minute < 0 || Minute > 59)
        return std::nullopt;
    const int Result = Hour * 60 + Minute;
    return End && Result == 0 ? 24 * 60 : Result;
}

struct TDateTime {
    TCivilDate Date;
    int Minute = 0;
};

// "2027-03-01T08:00:00" or "2027-03-01".
std::optional<TDateTime> ParseDateTime(const QString& Value) {
    const QString v = Value.trimmed();
    const auto Date = ParseIsoDate(Text(v.left(10)));
    if (!Date)
        return std::nullopt;
    TDateTime Result{*Date, 0};
    if (v.size() > 10) {
        const auto Minute =
            v[10] == QLatin1Char('T') ? ClockMinutes(v.mid(11), false) : std::nullopt;
        if (!Minute)
            return std::nullopt;
        Result.Minute = *Minute;
    }
    return Result;
}

struct TDayRule {
    bool Working = false;
    std::vector<TWorkPeriod> Periods;
};

class TCalendarResolver {
public:
    TCalendarResolver(std::vector<const TXmlCalendar*> AChain, std::vector<std::string>& AWarnings)
        : Chain(std::move(AChain)), Warnings(AWarnings) {}

    // Why is a text for the warning when the calendar cannot be kept.
    std::optional<TCalendar> Resolve(const QString& StartDate, int MinutesPerDay, std::string& Why);

private:
    std::vector<const TXmlCalendar*> Chain; // the project calendar first
    std::vector<std::string>& Warnings;
    std::map<std::int32_t, bool> Exceptions; // date -> worked
    // Dates put, repeated ones counted again: a file of many exceptions over
    // the same long period must not keep the reader busy for long.
    std::size_t Puts = 0;
    std::vector<TWorkPeriod> Hours; // of every working day
    std::string Why;

    std::optional<TDayRule> RuleOf(const TXmlCalendarDay& Day);
    bool Weekdays(TCalendar& Calendar);
    bool Expand(const TXmlCalendarDay& Day);
    bool Put(TCivilDate Date, bool Working);
};

std::optional<TDayRule> TCalendarResolver::RuleOf(const TXmlCalendarDay& Day) {
    TDayRule Rule;
    Rule.Working = Flag(Day.Working);
    if (!Rule.Working)
        return Rule;
    // A working day without working times keeps the standard hours.
    if (Day.Times.empty())
        Rule.Periods = TCalendar{}.Periods;
    for (const auto& [From, To] : Day.Times) {
        const auto Start = ClockMinutes(From, false);
        const auto End = ClockMinutes(To, true);
        if (!Start || !End) {
            Why = "рабочее время «" + Text(From) + "» — «" + Text(To) + "» не прочитано";
            return std::nullopt;
        }
        Rule.Periods.push_back({*Start, *End});
    }
    std::sort(Rule.Periods.begin(), Rule.Periods.end(),
              [](const TWorkPeriod& a, const TWorkPeriod& b) { return a.Start < b.Start; });
    return Rule;
}

// Days a calendar does not describe come from its base, and past the last
// base from MS Project's standard week.
bool TCalendarResolver::Weekdays(TCalendar& Calendar) {
    std::array<std::optional<TDayRule>, 8> Rules; // by DayType, 1 Sunday .. 7 Saturday
    for (const TXmlCalendar* c : Chain)
        for (const TXmlCalendarDay& Day : c->WeekDays) {
            if (Day.DayType == 0)
                continue;
            if (Day.DayType < 1 || Day.DayType > 7) {
                Why = "день недели неизвестного типа";
                return false;
            }
            if (!Rules[static_cast<std::size_t>(Day.DayType)]) {
                auto Rule = RuleOf(Day);
                if (!Rule)
                    return false;
                Rules[static_cast<std::size_t>(Day.DayType)] = std::move(Rule);
            }
        }
    static const char* const Names[] = {"понедельник", "вторник", "среда",      "четверг",
                                        "пятница",     "суббота", "воскресенье"};
    Calendar.Weekdays = 0;
    int First = 0; // the ISO weekday whose hours every working day gets
    for (int Iso = 1; Iso <= 7; ++Iso) {
        const auto& Given = Rules[static_cast<std::size_t>(Iso % 7 + 1)];
        const TDayRule Rule =
            Given ? *Given
                  : TDayRule{Iso <= 5, Iso <= 5 ? TCalendar{}.Periods : std::vector<TWorkPeriod>{}};
        if (!Rule.Working)
            continue;
        Calendar.Weekdays |= static_cast<std::uint8_t>(1u << (Iso - 1));
        if (First == 0) {
            First = Iso;
            Calendar.Periods = Hours = Rule.Periods;
        } else if (Rule.Periods != Calendar.Periods) {
            Warnings.push_back(std::string("календарь проекта: рабочие часы дня «") +
                               Names[Iso - 1] + "» не такие, как у дня «" + Names[First - 1] +
                               "»; перенесены часы дня «" + Names[First - 1] +
                               "», одни для всех рабочих дней");
        }
    }
    return true;
}

bool TCalendarResolver::Put(TCivilDate Date, bool Working) {
    Exceptions[Date.Days] = Working;
    if (Exceptions.size() > MaxCalendarExceptions || ++Puts > 20 * MaxCalendarExceptions) {
        Why = std::string(Msg::CalendarTooManyExceptions);
        return false;
    }
    return true;
}

// The dates of one exception: a daily one (or an old WeekDay of DayType 0)
// every Period-th day of its time period, a yearly one on its day of each
// year of it. Other recurrences are passed over with a warning.
bool TCalendarResolver::Expand(const TXmlCalendarDay& Day) {
    const std::string Label = Day.Name.isEmpty() ? "исключение с " + Text(Day.FromDate.left(10))
                                                 : "исключение «" + Text(Day.Name) + "»";
    const auto From = ParseDateTime(Day.FromDate);
    const auto To = ParseDateTime(Day.ToDate);
    if (!From || !To) {
        Why = Label + ": период «" + Text(Day.FromDate) + "» — «" + Text(Day.ToDate) +
              "» не прочитан";
        return false;
    }
    TCivilDate Last = To->Date;
    // A period that ends at midnight ends with the day before.
    if (To->Minute == 0 && Last > From->Date)
        --Last.Days;
    if (From->Date < CalendarFirstDate || Last > CalendarLastDate) {
        Why = std::string(Msg::CalendarDateOutOfRange);
        return false;
    }
    const bool Working = Flag(Day.Working);
    if (Working && !Day.Times.empty()) {
        const auto Rule = RuleOf(Day);
        if (!Rule)
            return false;
        if (Rule->Periods != Hours)
            Warnings.push_back("календарь проекта: " + Label +
                               " — рабочий день со своими часами; перенесены часы рабочих дней "
                               "календаря");
    }
    bool Ok = true;
    const int Type = Day.Type.trimmed().isEmpty() ? 1 : Day.Type.trimmed().toInt(&Ok);
    const int Period = Day.Period.trimmed().isEmpty() ? 1 : Day.Period.trimmed().toInt(&Ok);
    if (Ok && (Type == 1 || Type == 9) && Period >= 1 && Period <= 100000) {
        for (TCivilDate d = From->Date; d <= Last; d.Days += Period)
            if (!Put(d, Working))
                return false;
        return true;
    }
    const int Month = Day.Month.trimmed().toInt(&Ok) + 1;
    bool DayOk = false;
    const int MonthDay = Day.MonthDay.trimmed().toInt(&DayOk);
    if (Type == 2 && Ok && DayOk) {
        int FirstYear = 0, LastYear = 0, m = 0, d = 0;
        From->Date.ToYmd(FirstYear, m, d);
        Last.ToYmd(LastYear, m, d);
        for (int Year = FirstYear; Year <= LastYear; ++Year) {
            const TCivilDate Date = TCivilDate::FromYmd(Year, Month, MonthDay);
            int y = 0;
            Date.ToYmd(y, m, d);
            // 29 February only in leap years.
            if (m == Month && d == MonthDay && Date >= From->Date && Date <= Last &&
                !Put(Date, Working))
                return false;
        }
        return true;
    }
    Warnings.push_back("календарь проекта: " + Label + " (повторение вида «" +
                       Text(Day.Type.trimmed()) + "») не перенесено");
    return true;
}

std::optional<TCalendar> TCalendarResolver::Resolve(const QString& StartDate, int MinutesPerDay,
                                                    std::string& Reason) {
    TCalendar Calendar;
    Calendar.MinutesPerDay = MinutesPerDay;
    const auto Start = ParseDateTime(StartDate);
    bool Ok = Weekdays(Calendar);
    if (Ok && !Start)
        Why = StartDate.isNull() ? std::string("нет даты начала проекта (StartDate)")
                                 : "дата начала проекта «" + Text(StartDate) + "» не прочитана";
    Ok = Ok && Start;
    // The base's exceptions first, so that the derived calendar's win.
    for (auto c = Chain.rbegin(); Ok && c != Chain.rend(); ++c) {
        if ((*c)->WorkWeeks > 0)
            Warnings.push_back("календарь проекта: рабочие недели календаря «" + Text((*c)->Name) +
                               "» на отдельные периоды не перенесены");
        for (const TXmlCalendarDay& Day : (*c)->WeekDays)
            if (Ok && Day.DayType == 0)
                Ok = Expand(Day);
        for (const TXmlCalendarDay& Day : (*c)->Exceptions)
            if (Ok)
                Ok = Expand(Day);
    }
    if (!Ok) {
        Reason = Why;
        return std::nullopt;
    }
    Calendar.Start = Start->Date;
    // A start at midnight or at the beginning of the working day is simply
    // the start of that day.
    if (Start->Minute != 0 && Start->Minute != Calendar.Periods.front().Start)
        Calendar.StartTime = Start->Minute;
    for (const auto& [Date, Working] : Exceptions)
        (Working ? Calendar.Workdays : Calendar.Holidays).push_back(TCivilDate{Date});
    if (const auto Problem = CalendarProblem(Calendar)) {
        Reason = std::string(*Problem);
        return std::nullopt;
    }
    return Calendar;
}

// ------------------------------------------------------------------ writing

void WriteTimes(QXmlStreamWriter& Xml, const std::vector<TWorkPeriod>& Periods) {
    Xml.writeStartElement(QStringLiteral("WorkingTimes"));
    for (const TWorkPeriod& p : Periods) {
        Xml.writeStartElement(QStringLiteral("WorkingTime"));
        Xml.writeTextElement(QStringLiteral("FromTime"), XmlClock(p.Start));
        Xml.writeTextElement(QStringLiteral("ToTime"), XmlClock(p.End));
        Xml.writeEndElement();
    }
    Xml.writeEndElement();
}

// Runs of consecutive exceptional dates of one kind.
struct TRun {
    TCivilDate First;
    TCivilDate Last;
    bool Working = false;
};

std::vector<TRun> Runs(const TCalendar& Calendar) {
    std::map<std::int32_t, bool> Dates;
    for (const TCivilDate d : Calendar.Holidays)
        Dates[d.Days] = false;
    for (const TCivilDate d : Calendar.Workdays)
        Dates[d.Days] = true;
    std::vector<TRun> Result;
    for (const auto& [Day, Working] : Dates) {
        if (!Result.empty() && Result.back().Working == Working &&
            Result.back().Last.Days + 1 == Day)
            Result.back().Last.Days = Day;
        else
            Result.push_back({TCivilDate{Day}, TCivilDate{Day}, Working});
    }
    return Result;
}

void WritePeriod(QXmlStreamWriter& Xml, const TRun& Run) {
    Xml.writeStartElement(QStringLiteral("TimePeriod"));
    Xml.writeTextElement(QStringLiteral("FromDate"), XmlDateTime(Run.First, 0));
    Xml.writeTextElement(QStringLiteral("ToDate"), XmlDateTime(Run.Last, 23 * 60 + 59));
    Xml.writeEndElement();
}

QString Bit(bool Value) {
    return Value ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

void ReadXmlCalendars(QXmlStreamReader& Xml, std::vector<TXmlCalendar>& Calendars) {
    while (Xml.readNextStartElement()) {
        if (Xml.name() == QLatin1String("Calendar"))
            ReadCalendar(Xml, Calendars.emplace_back());
        else
            Xml.skipCurrentElement();
    }
}

std::optional<TCalendar> ResolveProjectCalendar(const std::vector<TXmlCalendar>& Calendars,
                                                const QString& CalendarUid,
                                                const QString& StartDate, int MinutesPerDay,
                                                std::vector<std::string>& Warnings) {
    const QString Uid = CalendarUid.trimmed();
    if (Uid.isEmpty())
        return std::nullopt;
    const auto Find = [&Calendars](const QString& u) -> const TXmlCalendar* {
        for (const TXmlCalendar& c : Calendars)
            if (c.Uid == u)
                return &c;
        return nullptr;
    };
    const TXmlCalendar* Project = Find(Uid);
    if (!Project) {
        Warnings.push_back("календаря проекта с UID «" + Text(Uid) +
                           "» нет в файле: план перенесён без календаря");
        return std::nullopt;
    }
    const std::string Label = "календарь проекта «" + Text(Project->Name) + "» (UID " + Text(Uid) +
                              ") не перенесён, план перенесён без календаря: ";
    std::vector<const TXmlCalendar*> Chain{Project};
    for (QString Base = Project->BaseUid; !Base.isEmpty() && Base != QLatin1String("-1");
         Base = Chain.back()->BaseUid) {
        const TXmlCalendar* Next = Find(Base);
        if (!Next || std::find(Chain.begin(), Chain.end(), Next) != Chain.end()) {
            Warnings.push_back(Label + (Next
                                            ? "базовые календари ссылаются друг на друга по кругу"
                                            : "нет базового календаря с UID «" + Text(Base) + "»"));
            return std::nullopt;
        }
        Chain.push_back(Next);
    }
    std::string Why;
    auto Calendar =
        TCalendarResolver(std::move(Chain), Warnings).Resolve(StartDate, MinutesPerDay, Why);
    if (!Calendar)
        Warnings.push_back(Label + Why);
    return Calendar;
}

QString XmlClock(int Minute) {
    return QStringLiteral("%1:%2:00")
        .arg(Minute / 60 % 24, 2, 10, QLatin1Char('0'))
        .arg(Minute % 60, 2, 10, QLatin1Char('0'));
}

QString XmlDateTime(TCivilDate Date, int Minute) {
    return QString::fromStdString(Date.Iso()) + QLatin1Char('T') + XmlClock(Minute);
}

void WriteXmlCalendar(QXmlStreamWriter& Xml, const TCalendar& Calendar) {
    Xml.writeStartElement(QStringLiteral("Calendars"));
    Xml.writeStartElement(QStringLiteral("Calendar"));
    Xml.writeTextElement(QStringLiteral("UID"), QStringLiteral("1"));
    Xml.writeTextElement(QStringLiteral("Name"), QStringLiteral("Standard"));
    Xml.writeTextElement(QStringLiteral("IsBaseCalendar"), QStringLiteral("1"));
    Xml.writeTextElement(QStringLiteral("BaseCalendarUID"), QStringLiteral("-1"));
    Xml.writeStartElement(QStringLiteral("WeekDays"));
    // DayType 1 is Sunday, 7 Saturday.
    for (int Day = 1; Day <= 7; ++Day) {
        const bool Working = Calendar.WeekdayWorks(Day == 1 ? 7 : Day - 1);
        Xml.writeStartElement(QStringLiteral("WeekDay"));
        Xml.writeTextElement(QStringLiteral("DayType"), QString::number(Day));
        Xml.writeTextElement(QStringLiteral("DayWorking"), Bit(Working));
        if (Working)
            WriteTimes(Xml, Calendar.Periods);
        Xml.writeEndElement();
    }
    // The exceptions as versions before Project 2007 read them.
    const std::vector<TRun> Exceptional = Runs(Calendar);
    for (const TRun& Run : Exceptional) {
        Xml.writeStartElement(QStringLiteral("WeekDay"));
        Xml.writeTextElement(QStringLiteral("DayType"), QStringLiteral("0"));
        Xml.writeTextElement(QStringLiteral("DayWorking"), Bit(Run.Working));
        WritePeriod(Xml, Run);
        if (Run.Working)
            WriteTimes(Xml, Calendar.Periods);
        Xml.writeEndElement();
    }
    Xml.writeEndElement(); // WeekDays
    if (!Exceptional.empty()) {
        Xml.writeStartElement(QStringLiteral("Exceptions"));
        for (const TRun& Run : Exceptional) {
            Xml.writeStartElement(QStringLiteral("Exception"));
            Xml.writeTextElement(QStringLiteral("EnteredByOccurrences"), QStringLiteral("0"));
            WritePeriod(Xml, Run);
            Xml.writeTextElement(QStringLiteral("Occurrences"),
                                 QString::number(Run.Last.Days - Run.First.Days + 1));
            Xml.writeTextElement(QStringLiteral("Name"), Run.Working
                                                             ? QStringLiteral("Рабочий день")
                                                             : QStringLiteral("Выходной"));
            Xml.writeTextElement(QStringLiteral("Type"), QStringLiteral("1"));
            Xml.writeTextElement(QStringLiteral("DayWorking"), Bit(Run.Working));
            if (Run.Working)
                WriteTimes(Xml, Calendar.Periods);
            Xml.writeEndElement();
        }
        Xml.writeEndElement(); // Exceptions
    }
    Xml.writeEndElement(); // Calendar
    Xml.writeEndElement(); // Calendars
}
