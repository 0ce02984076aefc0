#include "exchange/MsProjectXml.h"
#include "exchange/MsProjectResources.h"

#include "exchange/IsoDuration.h"
#include "model/RealText.h"
#include "model/Schedule.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QXmlStreamWriter>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

const QString Namespace = QStringLiteral("http://schemas.microsoft.com/project");

constexpr int DayMinutes = 480;
const QDate StartDay(2026, 1, 5); // a Monday
// Beyond this many working days the dates would pass the year 9000.
constexpr TReal MaxDatedDays = 1.8e6L;

std::string Fixed(TReal Value, int Decimals) {
    char Buffer[5000];
    const auto Result =
        std::to_chars(Buffer, Buffer + sizeof Buffer, Value, std::chars_format::fixed, Decimals);
    if (Result.ec != std::errc())
        return FormatReal(Value);
    std::string s(Buffer, Result.ptr);
    if (s.find('.') != std::string::npos) {
        while (s.back() == '0')
            s.pop_back();
        if (s.back() == '.')
            s.pop_back();
    }
    return s;
}

// A moment Days working days after the start, in the standard calendar.
QString WorkingDate(TReal Days, bool Finish) {
    long long Minutes = std::llround(static_cast<double>(Days * DayMinutes));
    long long Day = Minutes / DayMinutes;
    long long Rest = Minutes % DayMinutes;
    if (Finish && Rest == 0 && Day > 0) {
        --Day;
        Rest = DayMinutes;
    }
    const bool Morning = Finish ? Rest <= 240 : Rest < 240;
    const long long Clock = Morning ? 8 * 60 + Rest : 13 * 60 + (Rest - 240);
    const QDate Date = StartDay.addDays(Day / 5 * 7 + Day % 5);
    return Date.toString(QStringLiteral("yyyy-MM-dd")) +
           QStringLiteral("T%1:%2:00")
               .arg(Clock / 60, 2, 10, QLatin1Char('0'))
               .arg(Clock % 60, 2, 10, QLatin1Char('0'));
}

QString TenthsOfMinutes(TReal Days) {
    return QString::number(std::llround(static_cast<double>(Days * DayMinutes * 10)));
}

bool XmlCanCarry(const std::string& Name) {
    for (const char c : Name)
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n')
            return false;
    return true;
}

void WriteCalendar(QXmlStreamWriter& Xml) {
    Xml.writeStartElement(QStringLiteral("Calendars"));
    Xml.writeStartElement(QStringLiteral("Calendar"));
    Xml.writeTextElement(QStringLiteral("UID"), QStringLiteral("1"));
    Xml.writeTextElement(QStringLiteral("Name"), QStringLiteral("Standard"));
    Xml.writeTextElement(QStringLiteral("IsBaseCalendar"), QStringLiteral("1"));
    Xml.writeTextElement(QStringLiteral("BaseCalendarUID"), QStringLiteral("-1"));
    Xml.writeStartElement(QStringLiteral("WeekDays"));
    // DayType 1 is Sunday, 7 Saturday.
    for (int Day = 1; Day <= 7; ++Day) {
        const bool Working = Day != 1 && Day != 7;
        Xml.writeStartElement(QStringLiteral("WeekDay"));
        Xml.writeTextElement(QStringLiteral("DayType"), QString::number(Day));
        Xml.writeTextElement(QStringLiteral("DayWorking"),
                             Working ? QStringLiteral("1") : QStringLiteral("0"));
        if (Working) {
            Xml.writeStartElement(QStringLiteral("WorkingTimes"));
            for (const auto& [From, To] :
                 {std::pair{"08:00:00", "12:00:00"}, std::pair{"13:00:00", "17:00:00"}}) {
                Xml.writeStartElement(QStringLiteral("WorkingTime"));
                Xml.writeTextElement(QStringLiteral("FromTime"), QLatin1String(From));
                Xml.writeTextElement(QStringLiteral("ToTime"), QLatin1String(To));
                Xml.writeEndElement();
            }
            Xml.writeEndElement();
        }
        Xml.writeEndElement();
    }
    Xml.writeEndElement(); // WeekDays
    Xml.writeEndElement(); // Calendar
    Xml.writeEndElement(); // Calendars
}

} // namespace

// The text of a span of Seconds (not negative) as hours, minutes and seconds
// with Decimals decimals of the seconds.
std::string SpanText(TReal Seconds, int Decimals) {
    TReal Hours = std::floor(Seconds / 3600);
    TReal Rest = Seconds - Hours * 3600;
    if (Rest < 0) {
        Hours -= 1;
        Rest += 3600;
    }
    TReal Minutes = std::floor(Rest / 60);
    TReal Left = Rest - Minutes * 60;
    if (Left < 0) {
        Minutes -= 1;
        Left += 60;
    }
    std::string SecondsText = Fixed(Left, Decimals);
    // Seconds a hair below a whole minute print as 60: carry them.
    if (ParseReal(SecondsText).value_or(0) >= 60) {
        SecondsText = "0";
        Minutes += 1;
        if (Minutes >= 60) {
            Minutes -= 60;
            Hours += 1;
        }
    }
    return "PT" + Fixed(Hours, 0) + "H" + Fixed(Minutes, 0) + "M" + SecondsText + "S";
}

// The days a span's text stands for, as the reader counts them.
TReal SpanDays(const std::string& Text) {
    const std::optional<TSpan> Span = ParseIsoDuration(Text);
    return Span ? Span->Days + Span->Seconds / (60 * DayMinutes) : -1;
}

std::string MsProjectDuration(TReal Days) {
    const TReal Total = Days * DayMinutes * 60;
    // The shortest text that the reader takes back as exactly Days: from 15
    // significant digits of the whole span up to 21, which tell every value
    // of the 80-bit type apart. The reader's sum and division may still land
    // a unit off; then the seconds are moved by what it would miss.
    const int Whole = Total > 0 ? static_cast<int>(std::floor(std::log10(Total))) + 1 : 0;
    for (int Digits = 15; Digits < 21; ++Digits) {
        const std::string Text = SpanText(Total, std::clamp(Digits - Whole, 0, 4900));
        if (SpanDays(Text) == Days)
            return Text;
    }
    const int Decimals = std::clamp(21 - Whole, 0, 4900);
    TReal Seconds = Total;
    std::string Text = SpanText(Seconds, Decimals);
    for (int Step = 0; Step < 8; ++Step) {
        const TReal Back = SpanDays(Text);
        if (Back == Days)
            return Text;
        Seconds += (Days - Back) * DayMinutes * 60;
        if (Seconds < 0)
            break;
        Text = SpanText(Seconds, Decimals);
    }
    // Where a unit of the reader's seconds is more than a unit of the days
    // (in about a quarter of the binades), some values cannot come back
    // exactly: the neighbours of the last text are tried for one that comes
    // back as the same number where a duration shows it.
    const std::string Shown = FormatReal(Days);
    if (FormatReal(SpanDays(Text)) == Shown)
        return Text;
    const TReal Unit = std::pow(10.0L, static_cast<TReal>(-Decimals));
    for (int k = 1; k <= 64; ++k)
        for (const int Sign : {-1, +1}) {
            const TReal Near = Seconds + Sign * k * Unit;
            if (Near < 0)
                continue;
            std::string Candidate = SpanText(Near, Decimals);
            if (FormatReal(SpanDays(Candidate)) == Shown)
                return Candidate;
        }
    return Text;
}

std::optional<std::string> WriteMsProjectXml(const TWorkList& List, std::string& Error) {
    for (int i = 0; i < List.Count(); ++i)
        if (!XmlCanCarry(List.GetWork(i).Name)) {
            Error = "имя работы " + std::to_string(i + 1) +
                    " содержит управляющие символы, которых нет в XML";
            return std::nullopt;
        }
    const TSchedule Schedule = ComputeSchedule(List);
    const bool Dated = Schedule.Valid && Schedule.ProjectDuration <= MaxDatedDays;
    const QString Start = WorkingDate(0, false);

    QByteArray Bytes;
    QXmlStreamWriter Xml(&Bytes);
    Xml.setAutoFormatting(true);
    Xml.setAutoFormattingIndent(1);
    Xml.writeStartDocument(QStringLiteral("1.0"), true);
    Xml.writeDefaultNamespace(Namespace);
    Xml.writeStartElement(Namespace, QStringLiteral("Project"));
    Xml.writeTextElement(QStringLiteral("SaveVersion"), QStringLiteral("14"));
    Xml.writeTextElement(QStringLiteral("ScheduleFromStart"), QStringLiteral("1"));
    Xml.writeTextElement(QStringLiteral("StartDate"), Start);
    if (Dated)
        Xml.writeTextElement(QStringLiteral("FinishDate"),
                             WorkingDate(Schedule.ProjectDuration, true));
    // The 2007 schema requires the currency; a scheme has none, so the
    // rouble, as its planners count.
    Xml.writeTextElement(QStringLiteral("CurrencyCode"), QStringLiteral("RUB"));
    Xml.writeTextElement(QStringLiteral("CalendarUID"), QStringLiteral("1"));
    Xml.writeTextElement(QStringLiteral("DefaultStartTime"), QStringLiteral("08:00:00"));
    Xml.writeTextElement(QStringLiteral("DefaultFinishTime"), QStringLiteral("17:00:00"));
    Xml.writeTextElement(QStringLiteral("MinutesPerDay"), QString::number(DayMinutes));
    Xml.writeTextElement(QStringLiteral("MinutesPerWeek"), QString::number(5 * DayMinutes));
    Xml.writeTextElement(QStringLiteral("DaysPerMonth"), QStringLiteral("20"));
    Xml.writeTextElement(QStringLiteral("DurationFormat"), QStringLiteral("7"));
    WriteCalendar(Xml);

    // The children of a task in the order of the schema's sequence.
    Xml.writeStartElement(QStringLiteral("Tasks"));
    for (int i = 0; i < List.Count(); ++i) {
        const TWorkData& Work = List.GetWork(i);
        const QString Id = QString::number(i + 1);
        Xml.writeStartElement(QStringLiteral("Task"));
        Xml.writeTextElement(QStringLiteral("UID"), Id);
        Xml.writeTextElement(QStringLiteral("ID"), Id);
        Xml.writeTextElement(QStringLiteral("Name"), QString::fromStdString(Work.Name));
        Xml.writeTextElement(QStringLiteral("OutlineNumber"), Id);
        Xml.writeTextElement(QStringLiteral("OutlineLevel"), QStringLiteral("1"));
        const TWorkTimes* Times = Dated ? &Schedule.Works[static_cast<std::size_t>(i)] : nullptr;
        if (Times) {
            Xml.writeTextElement(QStringLiteral("Start"), WorkingDate(Times->EarlyStart, false));
            Xml.writeTextElement(QStringLiteral("Finish"), WorkingDate(Times->EarlyFinish, true));
        }
        Xml.writeTextElement(QStringLiteral("Duration"),
                             QString::fromStdString(MsProjectDuration(Work.Duration)));
        Xml.writeTextElement(QStringLiteral("DurationFormat"), QStringLiteral("7"));
        Xml.writeTextElement(QStringLiteral("Milestone"), QStringLiteral("0"));
        Xml.writeTextElement(QStringLiteral("Summary"), QStringLiteral("0"));
        if (Times) {
            Xml.writeTextElement(QStringLiteral("Critical"),
                                 Times->Critical ? QStringLiteral("1") : QStringLiteral("0"));
            Xml.writeTextElement(QStringLiteral("EarlyStart"),
                                 WorkingDate(Times->EarlyStart, false));
            Xml.writeTextElement(QStringLiteral("EarlyFinish"),
                                 WorkingDate(Times->EarlyFinish, true));
            Xml.writeTextElement(QStringLiteral("LateStart"), WorkingDate(Times->LateStart, false));
            Xml.writeTextElement(QStringLiteral("LateFinish"),
                                 WorkingDate(Times->LateFinish, true));
            Xml.writeTextElement(QStringLiteral("FreeSlack"), TenthsOfMinutes(Times->FreeFloat));
            Xml.writeTextElement(QStringLiteral("TotalSlack"), TenthsOfMinutes(Times->TotalFloat));
        }
        Xml.writeTextElement(QStringLiteral("ConstraintType"), QStringLiteral("0"));
        for (int j = 0; j < List.Count() && static_cast<std::size_t>(j) < Work.Links.size(); ++j) {
            const auto Cell = Work.Links[static_cast<std::size_t>(j)];
            if (Cell != LinkDirect && Cell != LinkRedundant)
                continue;
            Xml.writeStartElement(QStringLiteral("PredecessorLink"));
            Xml.writeTextElement(QStringLiteral("PredecessorUID"), QString::number(j + 1));
            Xml.writeTextElement(QStringLiteral("Type"), QStringLiteral("1"));
            Xml.writeTextElement(QStringLiteral("LinkLag"), QStringLiteral("0"));
            Xml.writeTextElement(QStringLiteral("LagFormat"), QStringLiteral("7"));
            Xml.writeEndElement();
        }
        Xml.writeEndElement(); // Task
    }
    Xml.writeEndElement(); // Tasks
    WriteXmlResources(Xml, List);
    Xml.writeEndElement(); // Project
    Xml.writeEndDocument();
    if (Xml.hasError()) {
        Error = "не удалось составить XML";
        return std::nullopt;
    }
    return Bytes.toStdString();
}
