#pragma once
// The application object of the program. It is the one place where internal
// faults are caught: whatever event handler raised one, the operation in
// progress is abandoned, the fault's text is shown in an error box and the
// program goes on.

#include <QApplication>

#include <string_view>

class TDialogs;

class TKorvantApplication : public QApplication {
    Q_OBJECT

public:
    TKorvantApplication(int& argc, char** argv);

    // Where faults are shown; without dialogs they go to the standard error.
    void SetFaultDialogs(TDialogs* Dialogs) { FaultDialogs = Dialogs; }

    bool notify(QObject* Receiver, QEvent* Event) override;

private:
    void ShowFault(std::string_view Text);

    TDialogs* FaultDialogs = nullptr;
};
