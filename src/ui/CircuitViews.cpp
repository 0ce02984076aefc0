// The diagram window's views: the plain, detailed and time-scaled pictures
// of the analysis shown, and switching between them. The time-scaled view
// needs nothing the analyser lays out beyond the plain analysis; its layout
// is made here from the result, with the list's calendar for its axis.

#include "ui/CircuitForm.h"

#include "model/SchemeSnapshot.h"
#include "model/WorkList.h"
#include "ui/Analyser.h"
#include "ui/FrameCircuit.h"
#include "ui/LocaleText.h"

#include <QAction>
#include <QKeySequence>

void TCircuitForm::CreateViewActions() {
    const auto Add = [this](const QString& Text, QKeySequence Key) {
        auto* Action = new QAction(Text, this);
        Action->setShortcut(Key);
        Action->setCheckable(true);
        addAction(Action);
        return Action;
    };
    DetailedAction = Add(QStringLiteral("Подробная схема"), QKeySequence(Qt::CTRL | Qt::Key_D));
    connect(DetailedAction, &QAction::triggered, this, [this](bool On) { SetDetailed(On); });
    TimeScaledAction = Add(QStringLiteral("Масштаб времени"), QKeySequence(Qt::CTRL | Qt::Key_M));
    connect(TimeScaledAction, &QAction::triggered, this, [this](bool On) { SetTimeScaled(On); });
    DottedFloatAction = Add(QStringLiteral("Резерв пунктиром"), QKeySequence());
    DottedFloatAction->setEnabled(false);
    connect(DottedFloatAction, &QAction::triggered, this, [this] {
        MakePicture();
        Im->update();
    });
}

void TCircuitForm::MakePicture() {
    emit PictureChanged();
    if (!Result) {
        Picture.reset();
        return;
    }
    if (Kind == TDiagramKind::TimeScaled) {
        Picture = std::make_unique<TPicture>(Result->View(), Result->Scheme->Names, Result->Scheme->Calendar,
                                             DecimalSeparator(), DottedFloatAction->isChecked());
        return;
    }
    const TDetailedPicture* Laid = Result->Detailed ? &*Result->Detailed : nullptr;
    Picture = std::make_unique<TPicture>(Result->View(), Result->Scheme->Names,
                                         Result->Scheme->Durations, Kind, DecimalSeparator(), Laid);
}

void TCircuitForm::SetDetailed(bool Detailed) {
    ShowKind(Detailed ? TDiagramKind::Detailed : TDiagramKind::Plain);
}

void TCircuitForm::SetTimeScaled(bool TimeScaled) {
    ShowKind(TimeScaled ? TDiagramKind::TimeScaled : TDiagramKind::Plain);
}

void TCircuitForm::ShowKind(TDiagramKind NewKind) {
    Kind = NewKind;
    DetailedAction->setChecked(Kind == TDiagramKind::Detailed);
    TimeScaledAction->setChecked(Kind == TDiagramKind::TimeScaled);
    DottedFloatAction->setEnabled(Kind == TDiagramKind::TimeScaled);
    Frame1->HideList();
    AskForLayout();
    // A shown window waits for the rows the analyser lays out off this
    // thread; a hidden one has nobody waiting for it.
    if (isVisible() && Kind == TDiagramKind::Detailed && Result && Result->View().HasNetwork &&
        !Result->Detailed)
        return;
    MakePicture();
    // The window grows to the new picture as after a rebuild.
    if (PictureDrawn)
        ResizeCanvas();
    Im->update();
}
