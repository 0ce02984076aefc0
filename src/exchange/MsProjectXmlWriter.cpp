#include "exchange/MsProjectCalendar.h"
#include "exchange/MsProjectResources.h"
#include "exchange/MsProjectXml.h"

#include "exchange/IsoDuration.h"
#include "model/RealText.h"
#include "model/Schedule.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QXmlStreamWriter>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>

namespace {

const QString Namespace = QStringLiteral("http://schemas.microsoft.com/project");

constexpr int StandardDayMinutes = 480;
const QDate StartDay(2026, 1, 5); // a Monday
// The days MS Project can schedule.
const TCivilDate MsProjectFirstDate = TCivilDate::FromYmd(1984, 1, 1);
const TCivilDate MsProjectLastDate = TCivilDate::FromYmd(2149, 12, 31);

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
    long long Minutes = std::llround(static_cast<double>(Days * StandardDayMinutes));
    long long Day = Minutes / StandardDayMinutes;
    long long Rest = Minutes % StandardDayMinutes;
    if (Finish && Rest == 0 && Day > 0) {
        --Day;
        Rest = StandardDayMinutes;
    }
    const bool Morning = Finish ? Rest <= 240 : Rest < 240;
    const long long Clock = Morning ? 8 * 60 + Rest : 13 * 60 + (Rest - 240);
    const QDate Date = StartDay.addDays(Day / 5 * 7 + Day % 5);
    return Date.toString(QStringLiteral("yyyy-MM-dd")) +
           QStringLiteral("T%1:%2:00")
               .arg(Clock / 60, 2, 10, QLatin1Char('0'))
               .arg(Clock % 60, 2, 10, QLatin1Char('0'));
}

QString TenthsOfMinutes(TReal Days, int DayMinutes) {
    return QString::number(std::llround(static_cast<double>(Days * DayMinutes * 10)));
}

bool XmlCanCarry(const std::string& Name) {
    for (const char c : Name)
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n')
            return false;
    return true;
}

// The dates of the file: on the scheme's calendar, or without one on the
// standard calendar from the fixed start.
class TXmlDates {
public:
    explicit TXmlDates(const std::optional<TCalendar>& Calendar) {
        if (Calendar)
            Clock.emplace(*Calendar);
    }
    // Only for days whose dates the plan has been checked to have.
    QString Start(TReal Day) const {
        return Clock ? Text(Clock->StartOf(Day)) : WorkingDate(Day, false);
    }
    QString Finish(TReal Day) const {
        return Clock ? Text(Clock->FinishOf(Day)) : WorkingDate(Day, true);
    }

private:
    std::optional<TCalendarClock> Clock;

    static QString Text(const std::optional<TMoment>& m) {
        return m ? XmlDateTime(m->Date, m->Minute) : QString();
    }
};

// Why MS Project could not hold the dates of a plan on Calendar, or nothing.
std::optional<std::string> OutOfMsProjectYears(const TCalendar& Calendar,
                                               const TSchedule& Schedule) {
    const TCalendarClock Clock(Calendar);
    const std::optional<TMoment> Last =
        Clock.FinishOf(Schedule.Valid ? Schedule.ProjectDuration : TReal{0});
    if (Calendar.Start >= MsProjectFirstDate && Last && Last->Date <= MsProjectLastDate)
        return std::nullopt;
    return "даты плана выходят за годы, которые может хранить MS Project (с 1984-01-01 по "
           "2149-12-31): начало " +
           Calendar.Start.Iso() + ", окончание " + (Last ? Last->Date.Iso() : "после 9999 года");
}

// The calendar as written: exceptions outside MS Project's years cannot touch
// a date of a plan that has been checked to lie within them, and MS Project
// could not hold them.
TCalendar WrittenCalendar(TCalendar Calendar) {
    for (std::vector<TCivilDate>* Dates : {&Calendar.Holidays, &Calendar.Workdays})
        std::erase_if(*Dates,
                      [](TCivilDate d) { return d < MsProjectFirstDate || d > MsProjectLastDate; });
    return Calendar;
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
TReal SpanDays(const std::string& Text, int DayMinutes) {
    const std::optional<TSpan> Span = ParseIsoDuration(Text);
    return Span ? Span->Days + Span->Seconds / (60 * DayMinutes) : -1;
}

std::string MsProjectDuration(TReal Days, int DayMinutes) {
    const TReal Total = Days * DayMinutes * 60;
    // The shortest text that the reader takes back as exactly Days: from 15
    // significant digits of the whole span up to 21, which tell every value
    // of the 80-bit type apart. The reader's sum and division may still land
    // a unit off; then the seconds are moved by what it would miss.
    const int Whole = Total > 0 ? static_cast<int>(std::floor(std::log10(Total))) + 1 : 0;
    for (int Digits = 15; Digits < 21; ++Digits) {
        const std::string Text = SpanText(Total, std::clamp(Digits - Whole, 0, 4900));
        if (SpanDays(Text, DayMinutes) == Days)
            return Text;
    }
    const int Decimals = std::clamp(21 - Whole, 0, 4900);
    TReal Seconds = Total;
    std::string Text = SpanText(Seconds, Decimals);
    for (int Step = 0; Step < 8; ++Step) {
        const TReal Back = SpanDays(Text, DayMinutes);
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
    if (FormatReal(SpanDays(Text, DayMinutes)) == Shown)
        return Text;
    const TReal Unit = std::pow(10.0L, static_cast<TReal>(-Decimals));
    for (int k = 1; k <= 64; ++k)
        for (const int Sign : {-1, +1}) {
            const TReal Near = Seconds + Sign * k * Unit;
            if (Near < 0)
                continue;
            std::string Candidate = SpanText(Near, Decimals);
            if (FormatReal(SpanDays(Candidate, DayMinutes)) == Shown)
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
    const std::optional<TCalendar>& Calendar = List.Calendar();
    // Without a calendar the plan is dated on the standard one from the
    // writer's start day; either way a plan MS Project could not hold is
    // refused rather than written without its dates.
    TCalendar Standard;
    Standard.Start = TCivilDate::FromYmd(StartDay.year(), StartDay.month(), StartDay.day());
    if (auto Why = OutOfMsProjectYears(Calendar ? *Calendar : Standard, Schedule)) {
        Error = std::move(*Why);
        return std::nullopt;
    }
    const bool Dated = Schedule.Valid;
    const TXmlDates Dates(Calendar);
    const TCalendar Written = Calendar ? WrittenCalendar(*Calendar) : TCalendar{};
    const int DayLength = Written.MinutesPerDay;
    const QString Start =
        Calendar
            ? XmlDateTime(Written.Start, Written.StartTime.value_or(Written.Periods.front().Start))
            : Dates.Start(0);

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
        Xml.writeTextElement(QStringLiteral("FinishDate"), Dates.Finish(Schedule.ProjectDuration));
    // The 2007 schema requires the currency; a scheme has none, so the
    // rouble, as its planners count.
    Xml.writeTextElement(QStringLiteral("CurrencyCode"), QStringLiteral("RUB"));
    Xml.writeTextElement(QStringLiteral("CalendarUID"), QStringLiteral("1"));
    Xml.writeTextElement(QStringLiteral("DefaultStartTime"),
                         XmlClock(Written.Periods.front().Start));
    Xml.writeTextElement(QStringLiteral("DefaultFinishTime"), XmlClock(Written.Periods.back().End));
    Xml.writeTextElement(QStringLiteral("MinutesPerDay"), QString::number(DayLength));
    Xml.writeTextElement(QStringLiteral("MinutesPerWeek"),
                         QString::number(std::popcount(Written.Weekdays) * DayLength));
    Xml.writeTextElement(QStringLiteral("DaysPerMonth"), QStringLiteral("20"));
    Xml.writeTextElement(QStringLiteral("DurationFormat"), QStringLiteral("7"));
    WriteXmlCalendar(Xml, Written);

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
            Xml.writeTextElement(QStringLiteral("Start"), Dates.Start(Times->EarlyStart));
            Xml.writeTextElement(QStringLiteral("Finish"), Dates.Finish(Times->EarlyFinish));
        }
        Xml.writeTextElement(QStringLiteral("Duration"),
                             QString::fromStdString(MsProjectDuration(Work.Duration, DayLength)));
        Xml.writeTextElement(QStringLiteral("DurationFormat"), QStringLiteral("7"));
        Xml.writeTextElement(QStringLiteral("Milestone"), QStringLiteral("0"));
        Xml.writeTextElement(QStringLiteral("Summary"), QStringLiteral("0"));
        if (Times) {
            Xml.writeTextElement(QStringLiteral("Critical"),
                                 Times->Critical ? QStringLiteral("1") : QStringLiteral("0"));
            Xml.writeTextElement(QStringLiteral("EarlyStart"), Dates.Start(Times->EarlyStart));
            Xml.writeTextElement(QStringLiteral("EarlyFinish"), Dates.Finish(Times->EarlyFinish));
            Xml.writeTextElement(QStringLiteral("LateStart"), Dates.Start(Times->LateStart));
            Xml.writeTextElement(QStringLiteral("LateFinish"), Dates.Finish(Times->LateFinish));
            Xml.writeTextElement(QStringLiteral("FreeSlack"),
                                 TenthsOfMinutes(Times->FreeFloat, DayLength));
            Xml.writeTextElement(QStringLiteral("TotalSlack"),
                                 TenthsOfMinutes(Times->TotalFloat, DayLength));
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
