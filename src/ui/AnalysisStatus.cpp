#include "ui/AnalysisStatus.h"

#include "ui/Analyser.h"

#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QStatusBar>

TAnalysisStatus::TAnalysisStatus(TAnalyser& Analyser, QMainWindow& Window)
    : QObject(&Window), Window(Window) {
    connect(&Analyser, &TAnalyser::LongRun, this, [this](bool Long) { Show(Long); });
}

bool TAnalysisStatus::Shown() const {
    return Text && Window.statusBar()->isVisible();
}

void TAnalysisStatus::Show(bool Long) {
    if (!Text) {
        if (!Long)
            return;
        QStatusBar* Status = Window.statusBar();
        Text = new QLabel(QStringLiteral("Анализ схемы…"), Status);
        Bar = new QProgressBar(Status);
        // No end is known: the bar only moves.
        Bar->setRange(0, 0);
        Bar->setMaximumWidth(120);
        Status->addWidget(Text);
        Status->addWidget(Bar);
    }
    Window.statusBar()->setVisible(Long);
}
