#include "messages/ErrorStrings.h"

#include <array>

namespace Msg {

std::span<const std::string_view> All() {
    static constexpr std::array texts{
        EmptyWorkName,      BadDuration,      NamesNotUnique,    WriteError,
        NoMemoryToSave,     ReadError,        NoMemoryToRead,    CountMismatch,
        Contour,            RenumberIncomplete, TransposeRowMissing, NotASet,
        PiANotFound,        NodeNotFound,     RootNotFound,      TopSortFailed,
        WorkNotInPiA,       NoArcWeight,      UnreachedVertex,   NoOutArcDuration,
        PiARealInArc,       PiAFictiveOut,    NoInArcDuration,   NoWorksForTable,
        NoWorksForDiagram,  NothingToSave,    UnknownWork,       SaveBeforeNew,
        SaveBeforeExit,     FinishedEarlier,  NoWorksStart,      PathTime,
        NameNotStorable,    ImportChanges,    CalendarNoWorkingDay, CalendarDateOutOfRange,
        CalendarTooManyExceptions, CalendarBadHours, CalendarBadDayLength, CalendarBadStartTime,
        CalendarExceptionClash, ExtensionDamaged, ExtensionTooNew, TooManyWorks, SaveBeforeLoad, WorkLimitReached,
    };
    return texts;
}

} // namespace Msg
