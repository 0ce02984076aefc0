#pragma once
// "Ресурсы…": the scheme's resources as a small table (name, unit,
// availability) in which they are added, renamed, deleted and given their
// availability. Nothing reaches the scheme before OK, which applies the whole
// list as one step of the history, together with the demands of the
// resources deleted; Cancel leaves the scheme as it was. Input the scheme
// cannot take is refused at OK with a notice, the table keeping what was
// typed.

#include "model/Resources.h"

#include <QDialog>

#include <optional>
#include <vector>

class QPushButton;
class QTableWidget;
class TDialogs;
class TEditHistory;
class TWorkList;

class TResourcesDialog : public QDialog {
    Q_OBJECT

public:
    TResourcesDialog(const TWorkList& List, TEditHistory& History, TDialogs& Dialogs,
                     QWidget* Parent = nullptr);

    // Runs modally; true when OK changed the resources.
    bool Execute();

    // A new row at the end, its name ready to be typed.
    void AddBtnClick();
    // Takes the current row away; a resource that works demand goes only
    // after the question, with their demands.
    void DeleteBtnClick();
    // Checks the table and applies it; false, with a notice, when the scheme
    // cannot take it.
    bool OkBtnClick();

    QTableWidget* Table;
    QPushButton* AddBtn;
    QPushButton* DeleteBtn;
    QPushButton* OkBtn;
    QPushButton* CancelBtn;

private:
    void Fill();
    // The list the table holds, or none after a notice about the first row
    // that cannot stand.
    std::optional<std::vector<TResource>> ReadTable();
    // Shows Text and puts the cursor into the cell to mend.
    void Refuse(std::string_view Text, int Row, int Column);
    // Works that demand the resource at Place in the scheme's list.
    int DemandingWorks(int Place) const;

    const TWorkList& List;
    TEditHistory& History;
    TDialogs& Dialogs;
    // For each row, the resource it shows as the scheme has it (its place in
    // the scheme's list), or none for a row added here.
    std::vector<std::optional<int>> Origin;
    bool Applied = false;
};

// "Ресурс «Name» нужен N работам…": the question before a demanded
// resource is deleted, with the count's word in agreement.
std::string DeleteDemandedQuestion(const std::string& Name, int Works);
