#include "exchange/MsProjectXml.h"

#include "exchange/IsoDuration.h"
#include "exchange/LinkConversion.h"
#include "exchange/XmlGuard.h"
#include "model/RealText.h"
#include "model/Schedule.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <unordered_map>

namespace {

const QString Namespace = QStringLiteral("http://schemas.microsoft.com/project");

// ---------------------------------------------------------------- reading

struct TXmlLink {
    QString PredecessorUid;
    QString Type;
    QString Lag;
    QString LagFormat;
};

struct TXmlTask {
    qint64 Uid = 0;
    QString Name;
    std::optional<QString> Duration;
    bool Summary = false;
    bool IsNull = false;
    bool Active = true;
    bool Milestone = false;
    int OutlineLevel = 1;
    std::vector<TXmlLink> Links;
    // Filled once the file has been read.
    int In = -1;       // the node a link to the task goes to
    int Out = -1;      // the node a link from the task comes from
    bool Empty = true; // no task under it
};

std::string Text(const QString& s) {
    return s.toStdString();
}

bool Flag(const QString& Value) {
    const QString v = Value.trimmed();
    return v == QLatin1String("1") || v.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
}

std::string Label(const TXmlTask& Task) {
    return "задача «" + Text(Task.Name) + "» (UID " + std::to_string(Task.Uid) + ")";
}

std::optional<TSpan> ParseSpan(const QString& Value) {
    return ParseIsoDuration(Value.toStdString());
}

class TXmlReader {
public:
    TXmlReader(std::string_view Bytes, std::string_view ASource)
        // The bytes are only read while the reader lives.
        : Xml(QByteArray::fromRawData(Bytes.data(), static_cast<qsizetype>(Bytes.size()))),
          Source(ASource) {}

    std::optional<TPlan> Read(std::string& Error);

private:
    QXmlStreamReader Xml;
    std::string Source;
    QString MinutesPerDay;
    std::vector<TXmlTask> Tasks;

    void Fail(const std::string& Why) { Xml.raiseError(QString::fromStdString(Why)); }
    void ReadProject();
    void ReadTasks();
    void ReadTask();
    void ReadLink(TXmlTask& Task);
    std::optional<TPlan> MakePlan(std::string& Error);
};

// QXmlStreamReader expands the entities a document declares up to its
// entityExpansionLimit (4096 characters per entity by default) and fails
// the document beyond it; XmlRefusal has bounded their sum before. External
// entities are never fetched. The document is read to its end, so that
// anything after the project (a second root, junk) refuses it.
std::optional<TPlan> TXmlReader::Read(std::string& Error) {
    if (Xml.readNextStartElement()) {
        if (Xml.name() != QLatin1String("Project") ||
            (!Xml.namespaceUri().isEmpty() && Xml.namespaceUri() != Namespace))
            Fail("это не файл проекта MS Project XML (нет элемента Project)");
        else
            ReadProject();
    } else if (!Xml.hasError()) {
        Fail("это не файл проекта MS Project XML (нет элемента Project)");
    }
    while (!Xml.atEnd())
        Xml.readNext();
    if (Xml.hasError()) {
        Error = Source + ": ";
        if (Xml.error() != QXmlStreamReader::CustomError)
            Error += "строка " + std::to_string(Xml.lineNumber()) + ": ошибка XML: ";
        Error += Text(Xml.errorString());
        return std::nullopt;
    }
    return MakePlan(Error);
}

void TXmlReader::ReadProject() {
    while (Xml.readNextStartElement()) {
        if (Xml.name() == QLatin1String("MinutesPerDay"))
            MinutesPerDay = Xml.readElementText();
        else if (Xml.name() == QLatin1String("Tasks"))
            ReadTasks();
        else
            Xml.skipCurrentElement();
    }
}

void TXmlReader::ReadTasks() {
    while (Xml.readNextStartElement()) {
        if (Xml.name() == QLatin1String("Task"))
            ReadTask();
        else
            Xml.skipCurrentElement();
    }
}

void TXmlReader::ReadTask() {
    TXmlTask Task;
    const qint64 Line = Xml.lineNumber();
    bool HasUid = false;
    while (Xml.readNextStartElement()) {
        const auto Name = Xml.name();
        if (Name == QLatin1String("UID")) {
            const QString Value = Xml.readElementText();
            Task.Uid = Value.trimmed().toLongLong(&HasUid);
            if (!HasUid)
                return Fail("строка " + std::to_string(Line) + ": UID задачи «" + Text(Value) +
                            "» не целое число");
        } else if (Name == QLatin1String("Name")) {
            Task.Name = Xml.readElementText();
        } else if (Name == QLatin1String("Duration")) {
            Task.Duration = Xml.readElementText();
        } else if (Name == QLatin1String("Summary")) {
            Task.Summary = Flag(Xml.readElementText());
        } else if (Name == QLatin1String("IsNull")) {
            Task.IsNull = Flag(Xml.readElementText());
        } else if (Name == QLatin1String("Active")) {
            Task.Active = Flag(Xml.readElementText());
        } else if (Name == QLatin1String("Milestone")) {
            Task.Milestone = Flag(Xml.readElementText());
        } else if (Name == QLatin1String("OutlineLevel")) {
            bool Ok = false;
            const QString Value = Xml.readElementText();
            Task.OutlineLevel = Value.trimmed().toInt(&Ok);
            if (!Ok || Task.OutlineLevel < 0)
                return Fail("строка " + std::to_string(Line) + ": уровень структуры «" +
                            Text(Value) + "» не годится");
        } else if (Name == QLatin1String("PredecessorLink")) {
            ReadLink(Task);
        } else {
            Xml.skipCurrentElement();
        }
    }
    if (Xml.hasError())
        return;
    if (!HasUid)
        return Fail("строка " + std::to_string(Line) + ": у задачи «" + Text(Task.Name) +
                    "» нет UID");
    Tasks.push_back(std::move(Task));
}

void TXmlReader::ReadLink(TXmlTask& Task) {
    TXmlLink Link;
    Link.Type = QStringLiteral("1");
    Link.Lag = QStringLiteral("0");
    while (Xml.readNextStartElement()) {
        if (Xml.name() == QLatin1String("PredecessorUID"))
            Link.PredecessorUid = Xml.readElementText();
        else if (Xml.name() == QLatin1String("Type"))
            Link.Type = Xml.readElementText();
        else if (Xml.name() == QLatin1String("LinkLag"))
            Link.Lag = Xml.readElementText();
        else if (Xml.name() == QLatin1String("LagFormat"))
            Link.LagFormat = Xml.readElementText();
        else
            Xml.skipCurrentElement();
    }
    Task.Links.push_back(std::move(Link));
}

bool ElapsedFormat(const QString& Format) {
    static const int Elapsed[] = {4, 6, 8, 10, 12, 20, 36, 38, 40, 42, 44, 52};
    bool Ok = false;
    const int Code = Format.trimmed().toInt(&Ok);
    return Ok && std::find(std::begin(Elapsed), std::end(Elapsed), Code) != std::end(Elapsed);
}

// A lag is kept in tenths of minutes: of working time, or of the clock when
// its format is elapsed, which the 8-hour day's 5-day week turns into
// working days.
void AddXmlLink(TLinkedTasks& Graph, const TXmlTask& Before, const TXmlTask& Task,
                const TXmlLink& Link, TReal DayMinutes) {
    const std::string Name = "связь " + Label(Before) + " → " + Label(Task);
    bool TypeRead = false;
    int Type = Link.Type.trimmed().toInt(&TypeRead);
    if (!TypeRead || Type < 0 || Type > 3) {
        Graph.Warn(Name + ": тип «" + Text(Link.Type.trimmed()) +
                   "» не известен, связь перенесена как «окончание — начало»");
        Type = 1;
    }
    bool LagRead = false;
    const double Tenths = Link.Lag.trimmed().toDouble(&LagRead);
    TReal Lag = 0;
    if (!LagRead || !std::isfinite(Tenths)) {
        Graph.Warn(Name + ": задержка «" + Text(Link.Lag.trimmed()) +
                   "» не прочитана, связь перенесена без задержки");
    } else if (ElapsedFormat(Link.LagFormat)) {
        Lag = static_cast<TReal>(Tenths) / (10 * 24 * 60) * 5 / 7;
        if (Lag != 0)
            Graph.Warn(Name + ": задержка в календарном времени перенесена как " + FormatReal(Lag) +
                       " дн. рабочего времени (5 рабочих дней в неделе)");
    } else {
        Lag = static_cast<TReal>(Tenths) / (10 * DayMinutes);
    }
    // A link from the start of a summary task leaves where its works may
    // begin.
    const bool FromStart = Type == 2 || Type == 3;
    Graph.AddLink(FromStart ? Before.In : Before.Out, Task.In, static_cast<TLinkType>(Type), Lag);
}

std::optional<TPlan> TXmlReader::MakePlan(std::string& Error) {
    const std::string Prefix = Source + ": ";
    TReal DayMinutes = 480;
    if (!MinutesPerDay.isNull()) {
        bool Ok = false;
        const int Value = MinutesPerDay.trimmed().toInt(&Ok);
        if (!Ok || Value <= 0 || Value > 1440) {
            Error = Prefix + "число минут в дне «" + Text(MinutesPerDay) + "» не годится";
            return std::nullopt;
        }
        DayMinutes = Value;
    }

    TLinkedTasks Graph;
    std::unordered_map<qint64, std::size_t> ByUid;
    // The summary tasks that enclose the current one, innermost last.
    std::vector<std::size_t> Enclosing;
    for (std::size_t k = 0; k < Tasks.size(); ++k) {
        TXmlTask& Task = Tasks[k];
        if (!ByUid.emplace(Task.Uid, k).second) {
            Error = Prefix + "UID " + std::to_string(Task.Uid) + " носят две задачи";
            return std::nullopt;
        }
        if (Task.IsNull || !Task.Active) {
            Graph.Warn(Label(Task) +
                       " не перенесена: " + (Task.IsNull ? "пустая задача" : "задача неактивна"));
            continue;
        }
        const bool ProjectSummary = Task.Uid == 0;
        if (ProjectSummary)
            Task.OutlineLevel = 0;
        while (!Enclosing.empty() && Tasks[Enclosing.back()].OutlineLevel >= Task.OutlineLevel)
            Enclosing.pop_back();
        if (ProjectSummary || Task.Summary) {
            Task.In = Graph.AddPassage(Label(Task));
            Task.Out = Graph.AddPassage(Label(Task));
            if (!ProjectSummary)
                Graph.Warn(Label(Task) + " — суммарная задача, не работа: её связи отнесены к "
                                         "работам внутри неё");
        } else {
            TSpan Span;
            if (Task.Duration) {
                const auto Parsed = ParseSpan(*Task.Duration);
                if (!Parsed) {
                    Error = Prefix + Label(Task) + ": длительность «" + Text(*Task.Duration) +
                            "» не прочитана";
                    return std::nullopt;
                }
                Span = *Parsed;
            } else if (!Task.Milestone) {
                Error = Prefix + Label(Task) + ": нет длительности";
                return std::nullopt;
            }
            const TReal Days = Span.Days + Span.Seconds / (60 * DayMinutes);
            if (Task.Milestone || (Days == 0 && std::isfinite(Days))) {
                Task.In = Task.Out = Graph.AddPassage(Label(Task), Text(Task.Name));
                Graph.Warn(Label(Task) + " — веха, не работа: работы после неё ждут работ "
                                         "до неё");
            } else if (!DurationAllowed(Days)) {
                Error = Prefix + Label(Task) + ": длительность «" + Text(*Task.Duration) +
                        "» не годится для работы (нужно положительное число дней не больше " +
                        FormatReal(MaxDuration) + ")";
                return std::nullopt;
            } else {
                Task.In = Task.Out = Graph.AddWork(Text(Task.Name), Days, Label(Task));
            }
        }
        if (!Enclosing.empty()) {
            TXmlTask& Parent = Tasks[Enclosing.back()];
            Graph.AddLink(Parent.In, Task.In);
            Graph.AddLink(Task.Out, Parent.Out);
            Parent.Empty = false;
        }
        if (ProjectSummary || Task.Summary)
            Enclosing.push_back(k);
    }
    // A summary task with nothing under it passes its links straight on.
    for (const TXmlTask& Task : Tasks)
        if (Task.Empty && Task.In >= 0 && Task.In != Task.Out)
            Graph.AddLink(Task.In, Task.Out);

    for (const TXmlTask& Task : Tasks)
        for (const TXmlLink& Link : Task.Links) {
            bool Ok = false;
            const qint64 Uid = Link.PredecessorUid.trimmed().toLongLong(&Ok);
            const auto Found = Ok ? ByUid.find(Uid) : ByUid.end();
            if (Found == ByUid.end()) {
                Error = Prefix + Label(Task) + ": нет задачи-предшественника с UID «" +
                        Text(Link.PredecessorUid) + "»";
                return std::nullopt;
            }
            const TXmlTask& Before = Tasks[Found->second];
            // Links of a task left out go with it.
            if (Task.In < 0 || Before.Out < 0)
                continue;
            AddXmlLink(Graph, Before, Task, Link, DayMinutes);
        }
    return ConvertLinks(Graph).Build(Source, Error);
}

// ---------------------------------------------------------------- writing

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

std::optional<TPlan> ReadMsProjectXml(std::string_view Bytes, std::string_view Source,
                                      std::string& Error) {
    if (const auto Why = XmlRefusal(Bytes)) {
        Error = std::string(Source) + ": " + *Why;
        return std::nullopt;
    }
    TXmlReader Reader(Bytes, Source);
    return Reader.Read(Error);
}

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
    const std::optional<TSpan> Span = ParseSpan(QString::fromStdString(Text));
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
    Xml.writeEndElement(); // Project
    Xml.writeEndDocument();
    if (Xml.hasError()) {
        Error = "не удалось составить XML";
        return std::nullopt;
    }
    return Bytes.toStdString();
}
