#include "ui/EditHistory.h"

#include "model/WorkList.h"

#include <QUndoCommand>

#include <utility>

namespace {

QString Quoted(const std::string& Name) {
    return QStringLiteral("«") + QString::fromStdString(Name) + QStringLiteral("»");
}

class TAddCommand : public QUndoCommand {
public:
    TAddCommand(TWorkList& List, std::string Name, TReal Duration)
        : List(List), Name(std::move(Name)), Duration(Duration) {
        setText(QStringLiteral("добавление ") + Quoted(this->Name));
    }
    void redo() override { List.AddWork(TWorkData{Name, Duration, {}}, true); }
    void undo() override { List.DeleteWork(List.Count() - 1); }

private:
    TWorkList& List;
    std::string Name;
    TReal Duration;
};

class TEditCommand : public QUndoCommand {
public:
    TEditCommand(TWorkList& List, int Index, std::string Name, TReal Duration)
        : List(List), Index(Index), NewName(std::move(Name)), NewDuration(Duration),
          OldName(List.GetWork(Index).Name), OldDuration(List.GetWork(Index).Duration) {
        setText(QStringLiteral("изменение ") + Quoted(OldName));
    }
    void redo() override { Set(NewName, NewDuration); }
    void undo() override { Set(OldName, OldDuration); }

private:
    void Set(const std::string& Name, TReal Duration) {
        TWorkData& Work = List.GetWork(Index);
        Work.Name = Name;
        Work.Duration = Duration;
        List.Changed(Index, ckWork);
    }
    TWorkList& List;
    int Index;
    std::string NewName;
    TReal NewDuration;
    std::string OldName;
    TReal OldDuration;
};

class TDeleteCommand : public QUndoCommand {
public:
    TDeleteCommand(TWorkList& List, int Index) : List(List), Index(Index) {
        setText(QStringLiteral("удаление ") + Quoted(List.GetWork(Index).Name));
    }
    void redo() override { Removed = List.DeleteWork(Index); }
    void undo() override { List.RestoreWork(Removed); }

private:
    TWorkList& List;
    int Index;
    TRemovedWork Removed;
};

class TInsertCommand : public QUndoCommand {
public:
    TInsertCommand(TWorkList& List, int Index, std::string Name, TReal Duration)
        : List(List), Index(Index), Name(std::move(Name)), Duration(Duration) {
        setText(QStringLiteral("вставка ") + Quoted(this->Name));
    }
    void redo() override { List.InsertWork(Index, Name, Duration); }
    void undo() override { List.DeleteWork(Index); }

private:
    TWorkList& List;
    int Index;
    std::string Name;
    TReal Duration;
};

class TMoveCommand : public QUndoCommand {
public:
    TMoveCommand(TWorkList& List, int From, int To) : List(List), From(From), To(To) {
        setText(QStringLiteral("перемещение ") + Quoted(List.GetWork(From).Name));
    }
    void redo() override { List.MoveWork(From, To); }
    void undo() override { List.MoveWork(To, From); }

private:
    TWorkList& List;
    int From;
    int To;
};

class TDependencyCommand : public QUndoCommand {
public:
    TDependencyCommand(TWorkList& List, int i, int j, bool Enter)
        : List(List), i(i), j(j), Enter(Enter) {
        setText(
            (Enter ? QStringLiteral("ввод зависимости ") : QStringLiteral("снятие зависимости ")) +
            Quoted(List.GetWork(i).Name) + QStringLiteral(" от ") + Quoted(List.GetWork(j).Name));
    }
    // A click that changes nothing leaves no step behind.
    void redo() override { setObsolete(!List.SetDependency(i, j, Enter)); }
    void undo() override { List.SetDependency(i, j, !Enter); }

private:
    TWorkList& List;
    int i;
    int j;
    bool Enter;
};

class TPathCommand : public QUndoCommand {
public:
    TPathCommand(bool Critical, std::function<void(bool)> Apply)
        : Critical(Critical), Apply(std::move(Apply)) {
        setText(QStringLiteral("переключение пути"));
    }
    void redo() override { Apply(Critical); }
    void undo() override { Apply(!Critical); }

private:
    bool Critical;
    std::function<void(bool)> Apply;
};

// The list refused nothing when the command was pushed, and undo and redo put
// back states it held, so neither can be refused.
class TResourcesCommand : public QUndoCommand {
public:
    TResourcesCommand(TWorkList& List, std::vector<TResource> Resources)
        : List(List), New(std::move(Resources)), Old(List.Resources()) {
        setText(QStringLiteral("изменение ресурсов"));
    }
    void redo() override { List.SetResources(New); }
    void undo() override { List.SetResources(Old); }

private:
    TWorkList& List;
    std::vector<TResource> New;
    std::vector<TResource> Old;
};

class TDemandsCommand : public QUndoCommand {
public:
    TDemandsCommand(TWorkList& List, int Index, TDemands Demands)
        : List(List), Index(Index), New(std::move(Demands)), Old(List.GetWork(Index).Demands) {
        setText(QStringLiteral("потребность ") + Quoted(List.GetWork(Index).Name));
    }
    void redo() override { List.SetDemands(Index, New); }
    void undo() override { List.SetDemands(Index, Old); }

private:
    TWorkList& List;
    int Index;
    TDemands New;
    TDemands Old;
};

class TCalendarCommand : public QUndoCommand {
public:
    TCalendarCommand(TWorkList& List, std::optional<TCalendar> Calendar)
        : List(List), New(std::move(Calendar)), Old(List.Calendar()) {
        setText(QStringLiteral("изменение календаря"));
    }
    void redo() override { List.SetCalendar(New); }
    void undo() override { List.SetCalendar(Old); }

private:
    TWorkList& List;
    std::optional<TCalendar> New;
    std::optional<TCalendar> Old;
};

// A new resource list with the demands it moved or took away; it keeps the
// demands of the works it changed, before and after.
class TResourceListCommand : public QUndoCommand {
public:
    TResourceListCommand(TWorkList& List, std::vector<TResource> Resources,
                         std::vector<TWorkDemands> Before, std::vector<TWorkDemands> After)
        : List(List), New(std::move(Resources)), Old(List.Resources()), Before(std::move(Before)),
          After(std::move(After)) {
        setText(QStringLiteral("изменение ресурсов"));
    }
    void redo() override { List.ReplaceResources(New, After); }
    void undo() override { List.ReplaceResources(Old, Before); }

private:
    TWorkList& List;
    std::vector<TResource> New;
    std::vector<TResource> Old;
    std::vector<TWorkDemands> Before;
    std::vector<TWorkDemands> After;
};

} // namespace

TEditHistory::TEditHistory(TWorkList& List, QObject* Parent) : QObject(Parent), List(List) {
    connect(&Stack, &QUndoStack::indexChanged, this, [this] {
        this->List.Modified = !Stack.isClean();
        emit ModifiedChanged();
    });
}

void TEditHistory::AddWork(const std::string& Name, TReal Duration) {
    Stack.push(new TAddCommand(List, Name, Duration));
}

void TEditHistory::EditWork(int Index, const std::string& Name, TReal Duration) {
    Stack.push(new TEditCommand(List, Index, Name, Duration));
}

void TEditHistory::DeleteWork(int Index) {
    Stack.push(new TDeleteCommand(List, Index));
}

void TEditHistory::InsertWork(int Index, const std::string& Name, TReal Duration) {
    Stack.push(new TInsertCommand(List, Index, Name, Duration));
}

void TEditHistory::MoveWork(int From, int To) {
    Stack.push(new TMoveCommand(List, From, To));
}

bool TEditHistory::SetDependency(int i, int j, bool Enter) {
    if (i < 0 || i >= List.Count() || j < 0 || j >= List.Count())
        return false;
    // A click that cannot change the cell must not cut off what could be
    // redone.
    const std::int8_t Cell = List.GetWork(i).Links[static_cast<std::size_t>(j)];
    const bool Changes = Enter ? Cell == LinkFree || Cell == LinkImplied
                               : Cell == LinkDirect || Cell == LinkRedundant;
    if (!Changes)
        return false;
    Stack.push(new TDependencyCommand(List, i, j, Enter));
    return true;
}

void TEditHistory::SwitchPath(bool Critical, std::function<void(bool)> Apply) {
    Stack.push(new TPathCommand(Critical, std::move(Apply)));
}

bool TEditHistory::SetResources(std::vector<TResource> Resources) {
    if (ResourceProblem(Resources))
        return false;
    for (int i = 0; i < List.Count(); ++i)
        if (!DemandsFit(List.GetWork(i).Demands, Resources.size()))
            return false;
    Stack.push(new TResourcesCommand(List, std::move(Resources)));
    return true;
}

bool TEditHistory::SetDemands(int Index, TDemands Demands) {
    if (Index < 0 || Index >= List.Count() || !DemandsFit(Demands, List.Resources().size()))
        return false;
    Stack.push(new TDemandsCommand(List, Index, std::move(Demands)));
    return true;
}

bool TEditHistory::SetCalendar(std::optional<TCalendar> Calendar) {
    if (Calendar) {
        NormaliseCalendar(*Calendar);
        if (CalendarProblem(*Calendar))
            return false;
    }
    Stack.push(new TCalendarCommand(List, std::move(Calendar)));
    return true;
}

bool TEditHistory::ReplaceResources(std::vector<TResource> Resources,
                                    const std::vector<int>& NewPlace) {
    if (ResourceProblem(Resources))
        return false;
    std::vector<TWorkDemands> Before;
    std::vector<TWorkDemands> After;
    for (int i = 0; i < List.Count(); ++i) {
        const TDemands& Old = List.GetWork(i).Demands;
        TDemands New = RemapDemands(Old, NewPlace);
        if (!DemandsFit(New, Resources.size()))
            return false;
        if (New == Old)
            continue;
        Before.push_back({i, Old});
        After.push_back({i, std::move(New)});
    }
    Stack.push(
        new TResourceListCommand(List, std::move(Resources), std::move(Before), std::move(After)));
    return true;
}

void TEditHistory::Reset(bool Saved) {
    Stack.clear();
    if (Saved)
        Stack.setClean();
    else
        Stack.resetClean();
    List.Modified = !Saved;
    emit ModifiedChanged();
}

void TEditHistory::MarkSaved() {
    Stack.setClean();
    List.Modified = false;
    emit ModifiedChanged();
}
