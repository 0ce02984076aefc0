#include "exchange/MsProjectXml.h"

#include "exchange/ElapsedSpans.h"
#include "exchange/IsoDuration.h"
#include "exchange/LinkConversion.h"
#include "exchange/MsProjectCalendar.h"
#include "exchange/MsProjectResources.h"
#include "exchange/XmlGuard.h"
#include "model/RealText.h"

#include <QByteArray>
#include <QString>
#include <QXmlStreamReader>

#include <algorithm>
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
    QString DurationFormat;
    bool External = false;
    bool Manual = false;
    QString Constraint;
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
    QString StartDate;
    QString CalendarUid;
    std::vector<TXmlCalendar> Calendars;
    std::vector<TXmlTask> Tasks;
    std::vector<TXmlResource> Resources;
    std::vector<TXmlAssignment> Assignments;

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
        else if (Xml.name() == QLatin1String("StartDate"))
            StartDate = Xml.readElementText();
        else if (Xml.name() == QLatin1String("CalendarUID"))
            CalendarUid = Xml.readElementText();
        else if (Xml.name() == QLatin1String("Calendars"))
            ReadXmlCalendars(Xml, Calendars);
        else if (Xml.name() == QLatin1String("Tasks"))
            ReadTasks();
        else if (Xml.name() == QLatin1String("Resources"))
            ReadXmlResources(Xml, Resources);
        else if (Xml.name() == QLatin1String("Assignments"))
            ReadXmlAssignments(Xml, Assignments);
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
        } else if (Name == QLatin1String("DurationFormat")) {
            Task.DurationFormat = Xml.readElementText();
        } else if (Name == QLatin1String("ExternalTask")) {
            Task.External = Flag(Xml.readElementText());
        } else if (Name == QLatin1String("Manual")) {
            Task.Manual = Flag(Xml.readElementText());
        } else if (Name == QLatin1String("ConstraintType")) {
            Task.Constraint = Xml.readElementText().trimmed();
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

// What the arrow diagram cannot keep of how MS Project schedules a task:
// its start is always the earliest its links allow.
void WarnOfScheduling(TLinkedTasks& Graph, const TXmlTask& Task) {
    if (Task.External)
        Graph.Warn(Label(Task) + " — внешняя задача другого проекта: перенесена как работа этого");
    if (Task.Manual)
        Graph.Warn(Label(Task) + " планируется вручную: перенесена с её длительностью, а начало "
                                 "рассчитано по связям");
    static const char* const Constraints[] = {"",
                                              "«как можно позже»",
                                              "«фиксированное начало»",
                                              "«фиксированное окончание»",
                                              "«начало не ранее»",
                                              "«начало не позднее»",
                                              "«окончание не ранее»",
                                              "«окончание не позднее»"};
    bool Ok = false;
    const int Type = Task.Constraint.toInt(&Ok);
    if (!Task.Constraint.isEmpty() && !(Ok && Type == 0))
        Graph.Warn(Label(Task) + ": ограничение " +
                   (Ok && Type > 0 && Type < 8 ? std::string(Constraints[Type])
                                               : "«" + Text(Task.Constraint) + "»") +
                   " не перенесено, работа начинается как можно раньше");
}

// A lag is kept in tenths of minutes: of working time, or of the clock when
// its format is elapsed. Without a project calendar a week of the clock
// holds 5 working days; with one, an elapsed lag goes to Elapsed, to be
// placed on the calendar once every link is known.
void AddXmlLink(TLinkedTasks& Graph, const TXmlTask& Before, const TXmlTask& Task,
                const TXmlLink& Link, TReal DayMinutes, std::vector<TElapsedSpan>* Elapsed) {
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
        if (Lag != 0 && Elapsed)
            Elapsed->push_back({true,
                                static_cast<int>(Graph.Links.size()),
                                static_cast<TReal>(Tenths) / 10,
                                Name,
                                {}});
        else if (Lag != 0)
            Graph.Warn(Name + ": задержка в календарном времени перенесена как " + FormatReal(Lag) +
                       " дн. рабочего времени (5 рабочих дней в неделе)");
    } else {
        Lag = static_cast<TReal>(Tenths) / (10 * DayMinutes);
    }
    if (std::fabs(Lag) > MaxDuration) {
        Graph.Warn(Name + ": задержка " + FormatReal(Lag) +
                   " дн. длиннее самой долгой работы, связь перенесена без задержки");
        Lag = 0;
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

    std::vector<std::string> StaffWarnings;
    auto Staffing = ResolveStaffing(Resources, Assignments, StaffWarnings, Error);
    if (!Staffing) {
        Error = Prefix + Error;
        return std::nullopt;
    }
    std::optional<TCalendar> Calendar = ResolveProjectCalendar(
        Calendars, CalendarUid, StartDate, static_cast<int>(DayMinutes), StaffWarnings);
    TLinkedTasks Graph;
    std::vector<TElapsedSpan> Elapsed;
    for (std::string& Warning : StaffWarnings)
        Graph.Warn(std::move(Warning));
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
        WarnOfScheduling(Graph, Task);
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
            TReal Days = Span.Days + Span.Seconds / (60 * DayMinutes);
            bool ElapsedWork = false;
            if (ElapsedFormat(Task.DurationFormat) && Days != 0) {
                Days = (Span.Days + Span.Seconds / (24 * 60 * 60)) * 5 / 7;
                ElapsedWork = Calendar.has_value();
                if (!ElapsedWork)
                    Graph.Warn(Label(Task) + ": длительность в календарном времени «" +
                               Text(*Task.Duration) + "» перенесена как " + FormatReal(Days) +
                               " дн. рабочего времени (5 рабочих дней в неделе)");
            }
            // An elapsed span's working days are known only once it is placed.
            if (Task.Milestone && Days > 0)
                Graph.Warn(
                    Label(Task) + " — веха с длительностью " +
                    (ElapsedWork ? "«" + Text(*Task.Duration) + "»" : FormatReal(Days) + " дн.") +
                    ": перенесена как работа");
            if ((Task.Milestone && !Task.Duration) || (Days == 0 && std::isfinite(Days))) {
                Task.In = Task.Out = Graph.AddPassage(Label(Task), Text(Task.Name));
                Graph.Warn(Label(Task) + " — веха, не работа: работы после неё ждут работ "
                                         "до неё");
            } else if (!DurationAllowed(Days)) {
                Error = Prefix + Label(Task) + ": длительность «" + Text(*Task.Duration) +
                        "» не годится для работы (нужно положительное число дней не больше " +
                        FormatReal(MaxDuration) + ")";
                return std::nullopt;
            } else {
                const auto Demands = Staffing->Demands.find(Task.Uid);
                if (ElapsedWork)
                    Elapsed.push_back({false, static_cast<int>(Graph.Tasks.size()),
                                       (Span.Days * 24 * 60 + Span.Seconds / 60), Label(Task),
                                       Text(*Task.Duration)});
                Task.In = Task.Out = Graph.AddWork(
                    Text(Task.Name), Days, Label(Task),
                    Demands == Staffing->Demands.end() ? TDemands{} : std::move(Demands->second));
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
            AddXmlLink(Graph, Before, Task, Link, DayMinutes, Calendar ? &Elapsed : nullptr);
        }
    if (Calendar && !Elapsed.empty())
        PlaceElapsedSpans(Graph, Elapsed, *Calendar);
    auto Plan = ConvertLinks(Graph).Build(Source, Error);
    if (Plan) {
        Plan->Resources = std::move(Staffing->Resources);
        Plan->Calendar = std::move(Calendar);
    }
    return Plan;
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
