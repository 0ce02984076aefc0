// The diagram window's ways of finding a place: the marks over the picture
// (the arc under the pointer, the chosen event's arcs, what was found),
// "Найти…" and F3, the tooltips, and the part of the picture in view that
// the overview frames and moves.

#include "ui/CircuitForm.h"

#include "drawing/Marks.h"
#include "model/Calendar.h"
#include "model/SchemeSnapshot.h"
#include "network/Analysis.h"
#include "ui/FindDialog.h"
#include "ui/LocaleText.h"

#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>

#include <cmath>

QRectF TCircuitForm::VisibleRect() const {
    const QSize View = Scroller->viewport()->size();
    return QRectF(Scroller->horizontalScrollBar()->value() / Scale,
                  Scroller->verticalScrollBar()->value() / Scale, View.width() / Scale,
                  View.height() / Scale);
}

void TCircuitForm::CentreOn(QPointF At) {
    const QSize View = Scroller->viewport()->size();
    Scroller->horizontalScrollBar()->setValue(
        static_cast<int>(std::lround(At.x() * Scale - View.width() / 2.0)));
    Scroller->verticalScrollBar()->setValue(
        static_cast<int>(std::lround(At.y() * Scale - View.height() / 2.0)));
}

void TCircuitForm::SetMarks(TMarks& Marks, TMarks New) {
    if (Marks == New)
        return;
    Marks = std::move(New);
    Im->update();
}

void TCircuitForm::ImMouseMove(std::optional<QPoint> At) {
    if (!At || !PictureDrawn || !Picture) {
        SetMarks(Hover, {});
        return;
    }
    const QPointF Point = QPointF(*At) / Scale;
    SetMarks(Hover,
             Picture->EventAt(Point) ? TMarks() : ArcMarks(*Picture, Picture->ArcsAt(Point)));
}

bool TCircuitForm::Find(const QString& Text) {
    FindText = Text;
    FoundAt.reset();
    return FindNext();
}

bool TCircuitForm::FindNext() {
    if (!PictureDrawn || !Picture || FindText.isEmpty())
        return false;
    const std::optional<std::size_t> Place =
        FindInDiagram(Picture->Result(), Names(), FindText, FoundAt);
    if (!Place) {
        SetMarks(Choice, {});
        Status->showMessage(QStringLiteral("«%1» не найдено").arg(FindText), 4000);
        return false;
    }
    ShowFound(*Place);
    return true;
}

void TCircuitForm::ShowFound(std::size_t Place) {
    FoundAt = Place;
    const TNetworkView& View = Picture->Result();
    QPointF At;
    if (Place < View.Events.size()) {
        SetMarks(Choice, TMarks{{}, {static_cast<std::int32_t>(Place)}});
        At = Picture->Centre(View.Events[Place]);
    } else {
        const std::size_t Arc = Place - View.Events.size();
        SetMarks(Choice, ArcMarks(*Picture, {Arc}));
        At = Picture->ArcPath(Arc).boundingRect().center();
    }
    if (!VisibleRect().adjusted(20, 20, -20, -20).contains(At))
        CentreOn(At);
}

void TCircuitForm::FindClick() {
    if (!PictureDrawn)
        return;
    TFindDialog Dialog(this);
    if (const std::optional<QString> Text = Dialog.Ask(FindText))
        Find(*Text);
}

std::optional<TCalendarClock> TCircuitForm::SchemeClock() const {
    const std::optional<TCalendar>& Calendar = Result->Scheme->Calendar;
    if (!Calendar || CalendarProblem(*Calendar))
        return std::nullopt;
    return TCalendarClock(*Calendar);
}

QString TCircuitForm::ToolTipAt(QPoint At) const {
    if (!PictureDrawn || !Picture)
        return {};
    const TNetworkView& View = Result->View();
    const std::vector<std::string>& WorkNames = Result->Scheme->Names;
    const QPointF Point = QPointF(At) / Scale;
    if (const TViewEvent* e = Picture->EventAt(Point)) {
        QString Text =
            QStringLiteral("Событие %1\nРаннее время: %2\nПозднее время: %3\nРезерв: %4")
                .arg(e->Number)
                .arg(DurationText(e->Early), DurationText(e->Late), DurationText(e->Slack));
        // With a calendar the event's times are dates too: the moment the
        // works into it are finished (the project's start for the first).
        if (const std::optional<TCalendarClock> Clock = SchemeClock()) {
            const auto Early = Clock->EventAt(e->Early), Late = Clock->EventAt(e->Late);
            if (Early && Late)
                Text += QStringLiteral("\nРанний срок: %1\nПоздний срок: %2")
                            .arg(MomentText(*Early), MomentText(*Late));
        }
        return Text;
    }
    QStringList Parts;
    for (const std::size_t a : Picture->ArcsAt(Point)) {
        const TViewArc& Arc = View.Arcs[a];
        if (Arc.Work < 0 || Arc.Work >= static_cast<int>(WorkNames.size())) {
            Parts << QStringLiteral("Фиктивная работа %1 – %2")
                         .arg(View.Events[static_cast<std::size_t>(Arc.From)].Number)
                         .arg(Arc.To < 0 ? 0
                                         : View.Events[static_cast<std::size_t>(Arc.To)].Number);
            continue;
        }
        QString Text =
            QStringLiteral("«%1»\nДуга %2 – %3\nДлительность: %4")
                .arg(QString::fromStdString(WorkNames[static_cast<std::size_t>(Arc.Work)]))
                .arg(View.Events[static_cast<std::size_t>(Arc.From)].Number)
                .arg(Arc.To < 0 ? 0 : View.Events[static_cast<std::size_t>(Arc.To)].Number)
                .arg(DurationText(Arc.Duration));
        if (View.Schedule.Valid) {
            const TWorkTimes& t = View.Schedule.Works[static_cast<std::size_t>(Arc.Work)];
            Text += QStringLiteral("\nПолный резерв: %1\nСвободный резерв: %2")
                        .arg(DurationText(t.TotalFloat), DurationText(t.FreeFloat));
            if (const std::optional<TCalendarClock> Clock = SchemeClock()) {
                const auto Start = Clock->StartOf(t.EarlyStart);
                const auto Finish = Clock->FinishOf(t.EarlyFinish);
                if (Start && Finish)
                    Text += QStringLiteral("\nРанние сроки: %1 – %2")
                                .arg(MomentText(*Start), MomentText(*Finish));
            }
            if (t.Critical)
                Text += QStringLiteral("\nКритическая работа");
        }
        Parts << Text;
    }
    return Parts.join(QStringLiteral("\n\n"));
}
