#pragma once
// What the widget tests share: a fixture that fails a test which leaves a
// window behind, and a way to work a modal dialog from inside its exec().

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWidget>

#include <functional>

class TUiTest : public ::testing::Test {
protected:
    void TearDown() override {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QStringList Left;
        for (QWidget* Window : QApplication::topLevelWidgets())
            Left << QString::fromLatin1(Window->metaObject()->className()) + " " +
                        Window->windowTitle();
        EXPECT_TRUE(Left.isEmpty()) << "windows left: " << Left.join(", ").toStdString();
    }
};

// Runs Script as soon as Dialog's modal loop has started, then Start (which
// calls exec() somewhere). Should the script leave the dialog open, it is
// rejected so that the test never hangs.
inline void WhileModal(QDialog& Dialog, const std::function<void()>& Script,
                       const std::function<void()>& Start) {
    bool Ran = false;
    // A timer of its own, so that it dies with this call if exec() never came.
    QTimer Timer;
    Timer.setSingleShot(true);
    QObject::connect(&Timer, &QTimer::timeout, &Dialog, [&] {
        Ran = true;
        Script();
        if (Dialog.isVisible())
            Dialog.reject();
    });
    Timer.start(0);
    Start();
    EXPECT_TRUE(Ran) << "the dialog was never shown";
}
