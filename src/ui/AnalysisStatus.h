#pragma once
// The sign of life of a long analysis: while a run has gone on for more than
// half a second, the main window's status bar says that the scheme is being
// analysed, with a busy bar; it goes when the result is handed over. The
// status bar is there only while it says so.

#include <QObject>

class QLabel;
class QMainWindow;
class QProgressBar;
class TAnalyser;

class TAnalysisStatus : public QObject {
    Q_OBJECT

public:
    TAnalysisStatus(TAnalyser& Analyser, QMainWindow& Window);

    bool Shown() const;

private:
    void Show(bool Long);

    QMainWindow& Window;
    QLabel* Text = nullptr;
    QProgressBar* Bar = nullptr;
};
