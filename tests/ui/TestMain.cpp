// The widget tests run on Qt's offscreen platform inside the program's own
// application object, whose fault handler some of them exercise.

#include "ui/Analyser.h"
#include "ui/KorvantApplication.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TKorvantApplication App(argc, argv);
    // The windows' tests see every analysis finished inside the change that
    // asked for it; AnalyserTest runs it off the window's thread.
    TAnalyser::RunInlineByDefault = true;
    return RUN_ALL_TESTS();
}
