#pragma once
// The modal dialog in which a work's name and duration are typed, for a new
// work and for an existing one. It refuses to close with OK until the input
// passes every check; it never touches the work list, its caller stores the
// result.

#include "core/Real.h"

#include <QDialog>

#include <cstdint>
#include <functional>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;
class TDialogs;
class TMainForm;

// Modal results of Execute.
inline constexpr int mrOk = 1;
inline constexpr int mrCancel = 2;

class TWorkEditForm : public QDialog {
    Q_OBJECT

public:
    // Whether Name is taken by another work; Message receives the text to
    // show when it is.
    using TCheckName = std::function<bool(const std::string& Name, std::int32_t Index,
                                          TReal Duration, std::string& Message)>;

    // Connects the name check to MainForm's IsNameTaken; without a main
    // window the check stays unset. The dialog is modal over MainForm.
    explicit TWorkEditForm(TDialogs& Dialogs, TMainForm* MainForm = nullptr);

    // Shows Name and Duration, runs modally, and hands back what the edits
    // and the last accepted OK left, whatever the result (mrOk or mrCancel).
    // Index is the grid row the name check skips.
    virtual int Execute(std::string& Name, TReal& Duration, std::int32_t Index);
    // Execute with an empty name and the duration 0.
    virtual int ExecuteNew(std::string& Name, TReal& Duration, std::int32_t Index);

    void OkBtnClick();
    bool FormCloseQuery() const;

    TCheckName OnCheckName;
    // Opens the demands of the work at that position ("Ресурсы…", shown only
    // when set and pressable only for a work already in the list); the
    // demands change at once, each as a step of its own, whatever the editor
    // ends with.
    std::function<void(int Work)> OnEditDemands;
    // The last press of OK passed every check.
    bool Accepted = false;
    // The duration converted by the last press of OK.
    TReal Duration = 0;
    std::int32_t EditIndex = 0;

    QLabel* LabelNameWork;
    QLineEdit* NameWorkEdit;
    QLabel* LabelValEdit;
    QLineEdit* DurationEdit;
    QPushButton* OkBtn;
    QPushButton* CancelBtn;
    QPushButton* DemandsBtn;

protected:
    void showEvent(QShowEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void FormCreate(TMainForm* MainForm);
    void FormShow();
    void NameWorkEditKeyPress();
    void DurationEditKeyPress();
    void ButtonPressed(int Result);

    TDialogs& Dialogs;
    int ModalResult = 0;
    // ExecuteNew is running: the work is not in the list yet.
    bool NewWork = false;
};
