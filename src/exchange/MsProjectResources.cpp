#include "exchange/MsProjectResources.h"

#include "model/RealText.h"
#include "model/WorkList.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <cmath>

namespace {

std::string Text(const QString& s) {
    return s.toStdString();
}

// A number of units as MS Project writes it ("1.00", "0.5"); nothing when it
// is no finite number at or above zero.
std::optional<TReal> Units(const QString& Value) {
    bool Ok = false;
    const double d = Value.trimmed().toDouble(&Ok);
    if (!Ok || !std::isfinite(d) || d < 0)
        return std::nullopt;
    return static_cast<TReal>(d);
}

// Reads the simple children of each Element inside the current element into
// the fields Field names.
template <class TItem, class TField>
void ReadItems(QXmlStreamReader& Xml, QLatin1String Element, std::vector<TItem>& Items,
               TField Field) {
    while (Xml.readNextStartElement()) {
        if (Xml.name() != Element) {
            Xml.skipCurrentElement();
            continue;
        }
        TItem& Item = Items.emplace_back();
        while (Xml.readNextStartElement())
            if (QString* Target = Field(Item, Xml.name()))
                *Target = Xml.readElementText();
            else
                Xml.skipCurrentElement();
    }
}

} // namespace

void ReadXmlResources(QXmlStreamReader& Xml, std::vector<TXmlResource>& Resources) {
    ReadItems(Xml, QLatin1String("Resource"), Resources,
              [](TXmlResource& r, QStringView Name) -> QString* {
                  return Name == QLatin1String("UID")        ? &r.Uid
                         : Name == QLatin1String("Name")     ? &r.Name
                         : Name == QLatin1String("Type")     ? &r.Type
                         : Name == QLatin1String("MaxUnits") ? &r.MaxUnits
                                                             : nullptr;
              });
}

void ReadXmlAssignments(QXmlStreamReader& Xml, std::vector<TXmlAssignment>& Assignments) {
    ReadItems(Xml, QLatin1String("Assignment"), Assignments,
              [](TXmlAssignment& a, QStringView Name) -> QString* {
                  return Name == QLatin1String("TaskUID")       ? &a.TaskUid
                         : Name == QLatin1String("ResourceUID") ? &a.ResourceUid
                         : Name == QLatin1String("Units")       ? &a.Units
                                                                : nullptr;
              });
}

std::optional<TXmlStaffing> ResolveStaffing(const std::vector<TXmlResource>& Resources,
                                            const std::vector<TXmlAssignment>& Assignments,
                                            std::vector<std::string>& Warnings,
                                            std::string& Error) {
    TXmlStaffing Staffing;
    std::unordered_map<QString, std::size_t> ByUid;
    for (const TXmlResource& r : Resources) {
        const QString Uid = r.Uid.trimmed();
        const QString Label = "ресурс «" + r.Name + "» (UID " + Uid + ")";
        if (Uid == QLatin1String("0"))
            continue;
        // 1 is a work resource, and so is one without a type.
        if (!r.Type.trimmed().isEmpty() && r.Type.trimmed() != QLatin1String("1")) {
            Warnings.push_back(Text(Label) + " — не трудовой ресурс, пропущен");
            continue;
        }
        const auto Max = r.MaxUnits.isNull() ? std::optional<TReal>(1) : Units(r.MaxUnits);
        if (!Max) {
            Error = Text(Label) + ": MaxUnits «" + Text(r.MaxUnits) + "» не годится";
            return std::nullopt;
        }
        if (!ByUid.emplace(Uid, Staffing.Resources.size()).second) {
            Error = "UID " + Text(Uid) + " носят два ресурса";
            return std::nullopt;
        }
        Staffing.Resources.push_back({Text(r.Name.trimmed()), "", *Max});
        if (ResourceProblem(Staffing.Resources)) {
            Error = Text(Label) + ": схема не может хранить такой ресурс (имя пустое или длиннее " +
                    std::to_string(MaxResourceTextLength) + " байт, или ресурсов больше " +
                    std::to_string(MaxResources) + ")";
            return std::nullopt;
        }
    }
    for (const TXmlAssignment& a : Assignments) {
        const auto Resource = ByUid.find(a.ResourceUid.trimmed());
        bool TaskRead = false;
        const qint64 Task = a.TaskUid.trimmed().toLongLong(&TaskRead);
        if (Resource == ByUid.end() || !TaskRead)
            continue;
        const auto Count = a.Units.isNull() ? std::optional<TReal>(1) : Units(a.Units);
        if (!Count) {
            Error = "назначение ресурса UID " + Text(a.ResourceUid.trimmed()) + " задаче UID " +
                    std::to_string(Task) + ": Units «" + Text(a.Units) + "» не годится";
            return std::nullopt;
        }
        TDemands& Demands = Staffing.Demands[Task];
        Demands.Set(Resource->second, Demands.Of(Resource->second) + *Count);
    }
    return Staffing;
}

void WriteXmlResources(QXmlStreamWriter& Xml, const TWorkList& List) {
    if (List.Resources().empty())
        return;
    Xml.writeStartElement(QStringLiteral("Resources"));
    for (std::size_t k = 0; k < List.Resources().size(); ++k) {
        const TResource& r = List.Resources()[k];
        Xml.writeStartElement(QStringLiteral("Resource"));
        Xml.writeTextElement(QStringLiteral("UID"), QString::number(k + 1));
        Xml.writeTextElement(QStringLiteral("ID"), QString::number(k + 1));
        Xml.writeTextElement(QStringLiteral("Name"), QString::fromStdString(r.Name));
        Xml.writeTextElement(QStringLiteral("Type"), QStringLiteral("1"));
        Xml.writeTextElement(QStringLiteral("MaxUnits"),
                             QString::fromStdString(FormatReal(r.Availability)));
        Xml.writeEndElement();
    }
    Xml.writeEndElement();
    Xml.writeStartElement(QStringLiteral("Assignments"));
    int Uid = 0;
    for (int i = 0; i < List.Count(); ++i)
        for (const auto& [Resource, Units] : List.GetWork(i).Demands.Items()) {
            Xml.writeStartElement(QStringLiteral("Assignment"));
            Xml.writeTextElement(QStringLiteral("UID"), QString::number(++Uid));
            Xml.writeTextElement(QStringLiteral("TaskUID"), QString::number(i + 1));
            Xml.writeTextElement(QStringLiteral("ResourceUID"), QString::number(Resource + 1));
            Xml.writeTextElement(QStringLiteral("Units"),
                                 QString::fromStdString(FormatReal(Units)));
            Xml.writeEndElement();
        }
    Xml.writeEndElement();
}
