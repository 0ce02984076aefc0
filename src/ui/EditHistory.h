#pragma once
// Every change of the scheme made from the windows, as commands that can be
// undone and redone (Qt's undo stack). A command keeps what it changes (a
// work's old and new name and duration, a deleted work's row and column, a
// cell), never a copy of the scheme. The scheme counts as modified unless the
// history stands where the scheme was last saved, loaded or made anew.

#include "core/Real.h"
#include "model/Calendar.h"
#include "model/Resources.h"

#include <QObject>
#include <QUndoStack>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class TWorkList;

class TEditHistory : public QObject {
    Q_OBJECT

public:
    explicit TEditHistory(TWorkList& List, QObject* Parent = nullptr);

    QUndoStack Stack;

    void AddWork(const std::string& Name, TReal Duration);
    void EditWork(int Index, const std::string& Name, TReal Duration);
    void DeleteWork(int Index);
    void InsertWork(int Index, const std::string& Name, TReal Duration);
    void MoveWork(int From, int To);
    // The dependency table's click; false when the cell cannot change so, and
    // then nothing enters the history.
    bool SetDependency(int i, int j, bool Enter);
    // The path switch: Apply(Critical) sets the mode and announces it; undo
    // applies the other mode.
    void SwitchPath(bool Critical, std::function<void(bool Critical)> Apply);
    // The resources and a work's demands; false when the list refuses them,
    // and then nothing enters the history.
    bool SetResources(std::vector<TResource> Resources);
    bool SetDemands(int Index, TDemands Demands);
    // The project calendar (nothing: the plan in day numbers); false when the
    // list refuses it, and then nothing enters the history.
    bool SetCalendar(std::optional<TCalendar> Calendar);
    // The resources dialog's OK: the new list, where NewPlace[r] says where
    // the old resource r now stands (-1: deleted, with every demand of it),
    // as one step; false when the list refuses it.
    bool ReplaceResources(std::vector<TResource> Resources, const std::vector<int>& NewPlace);

    // A history with nothing to undo, standing where the scheme was loaded or
    // made anew; with Saved false (an imported plan) the scheme counts as
    // modified until it is saved.
    void Reset(bool Saved = true);
    // The scheme as it stands is the one saved.
    void MarkSaved();

signals:
    // The modified mark may have changed (after a command, an undo or redo).
    void ModifiedChanged();

private:
    TWorkList& List;
};
