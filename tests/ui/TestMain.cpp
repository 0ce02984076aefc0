// The widget tests run on Qt's offscreen platform inside the program's own
// application object, whose fault handler some of them exercise.

#include "ui/KorvantApplication.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TKorvantApplication App(argc, argv);
    return RUN_ALL_TESTS();
}
