// The widget tests run on Qt's offscreen platform inside the program's own
// application object, whose fault handler some of them exercise.

#include "ui/Analyser.h"
#include "ui/KorvantApplication.h"

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TKorvantApplication App(argc, argv);
    // What the program remembers between runs goes to a folder of the tests'
    // own, never to the user's settings.
    QTemporaryDir Settings;
    App.setOrganizationName(QStringLiteral("korvant-tests"));
    App.setApplicationName(QStringLiteral("ui_tests"));
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, Settings.path());
    // The windows' tests see every analysis finished inside the change that
    // asked for it; AnalyserTest runs it off the window's thread.
    TAnalyser::RunInlineByDefault = true;
    return RUN_ALL_TESTS();
}
