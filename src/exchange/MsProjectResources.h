#pragma once
// Resources and assignments of MS Project XML: the work resources with their
// MaxUnits become the plan's resources, each assignment's Units the demand of
// its task's work; a scheme's resources go out the same way.

#include "model/Resources.h"

#include <QString>

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class QXmlStreamReader;
class QXmlStreamWriter;
class TWorkList;

struct TXmlResource {
    QString Uid;
    QString Name;
    QString Type;
    QString MaxUnits;
};

struct TXmlAssignment {
    QString TaskUid;
    QString ResourceUid;
    QString Units;
};

// The children of <Resources> and <Assignments>, the reader standing on the
// element's start.
void ReadXmlResources(QXmlStreamReader& Xml, std::vector<TXmlResource>& Resources);
void ReadXmlAssignments(QXmlStreamReader& Xml, std::vector<TXmlAssignment>& Assignments);

struct TXmlStaffing {
    std::vector<TResource> Resources;
    // By task UID.
    std::unordered_map<qint64, TDemands> Demands;
};

// The work resources (UID 0, MS Project's placeholder, and material and cost
// resources are passed over, the latter with a warning) and the demands of
// the tasks; Error for a number that cannot be read or a resource the
// scheme cannot keep.
std::optional<TXmlStaffing> ResolveStaffing(const std::vector<TXmlResource>& Resources,
                                            const std::vector<TXmlAssignment>& Assignments,
                                            std::vector<std::string>& Warnings, std::string& Error);

// <Resources> and <Assignments> for the list's resources and demands, the
// task of work i having UID i + 1; nothing for a list without resources.
void WriteXmlResources(QXmlStreamWriter& Xml, const TWorkList& List);
