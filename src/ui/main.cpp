// korvant: without arguments the program's windows; with a scheme file the
// windows with that scheme loaded; --report, --render, --convert and --help
// answer without a window.

#include "ui/CommandLine.h"
#include "ui/KorvantApplication.h"
#include "ui/MainForm.h"
#include "ui/QtDialogs.h"
#include "ui/StartUp.h"

#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QStringList>
#include <QTranslator>

#include <string>

int main(int argc, char** argv) {
    if (const std::optional<int> Code = RunCommandLine(argc, argv))
        return *Code;

    TKorvantApplication App(argc, argv);
    // The user's settings (the recent schemes) are kept under these names.
    App.setOrganizationName(QStringLiteral("KORVANT"));
    App.setApplicationName(QStringLiteral("korvant"));
    App.setWindowIcon(QIcon(QStringLiteral(":/korvant.svg")));
    // Only the main window ends the program; the other windows merely hide.
    App.setQuitOnLastWindowClosed(false);

    // The program speaks Russian, and so do Qt's own buttons and file dialogs
    // wherever Qt's translations are installed.
    QTranslator QtTexts;
    if (QtTexts.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        App.installTranslator(&QtTexts);

    // The scheme named on the command line (Qt has taken its own options out).
    std::string SchemeFile;
    const QStringList Arguments = App.arguments();
    if (Arguments.size() > 1)
        SchemeFile = Arguments.at(1).toStdString();

    TQtDialogs Dialogs;
    App.SetFaultDialogs(&Dialogs);
    int Result = 0;
    {
        TStartUp Program(Dialogs, PathSign);
        Dialogs.SetOwner(Program.MainForm.get());
        // Closing the main window ends the program, whatever else is open.
        QObject::connect(Program.MainForm.get(), &TMainForm::Closed, &App,
                         [] { QCoreApplication::exit(0); });
        Program.Start(SchemeFile);
        Result = App.exec();
    }
    App.SetFaultDialogs(nullptr);
    return Result;
}
