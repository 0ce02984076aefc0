#include "ui/KorvantApplication.h"

#include "ui/Dialogs.h"

#include <cstdio>
#include <exception>

TKorvantApplication::TKorvantApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TKorvantApplication::notify(QObject* Receiver, QEvent* Event) {
    try {
        return QApplication::notify(Receiver, Event);
    } catch (const std::exception& Fault) {
        ShowFault(Fault.what());
    }
    return false;
}

void TKorvantApplication::ShowFault(std::string_view Text) {
    if (FaultDialogs) {
        FaultDialogs->Error(Text);
        return;
    }
    std::fprintf(stderr, "korvant: %.*s\n", static_cast<int>(Text.size()), Text.data());
}
