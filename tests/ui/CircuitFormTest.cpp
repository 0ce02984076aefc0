#include "SchemeBuilder.h"
#include "ScriptedDialogs.h"
#include "UiTestSupport.h"

#include "drawing/Diagram.h"
#include "messages/ErrorStrings.h"
#include "model/SchemeSnapshot.h"
#include "ui/Analyser.h"
#include "ui/CircuitForm.h"
#include "ui/FrameCircuit.h"

#include <QAction>
#include <QDate>
#include <QLabel>
#include <QLocale>
#include <QPainterPath>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>

#include <array>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

using TRows = std::vector<std::string>;

std::string Time(const char* Value) {
    return std::string(Msg::PathTime) + Value + " --";
}
bool AllWhite(const QImage& Picture) {
    for (int y = 0; y < Picture.height(); ++y)
        for (int x = 0; x < Picture.width(); ++x)
            if (Picture.pixel(x, y) != qRgb(255, 255, 255))
                return false;
    return true;
}

const std::string Earlier(Msg::FinishedEarlier);
const std::string Unknown(Msg::UnknownWork);

// K waits for A and B, which start together: A and B end at one event on the
// second level, K at the final event on the third.
const std::vector<TPlannedWork> TwoThenOne = {{"A", 2, {}}, {"B", 3, {}}, {"K", 4, {0, 1}}};

class CircuitForm : public TUiTest {
protected:
    void SetUp() override {
        LastTimeText.clear();
        Analyser = std::make_unique<TAnalyser>(List, Sign, Dialogs);
        // Laid out, as for the shown window, also while the form is hidden.
        Analyser->Want(this, true, false);
        Form = std::make_unique<TCircuitForm>(List, *Analyser, Dialogs, nullptr);
    }
    void TearDown() override {
        Form.reset();
        Analyser.reset();
        TUiTest::TearDown();
    }

    const TCircuitEngine& Engine() const { return Form->Engine(); }
    TRows RowsOf(THandle Event, std::string* TimeText = nullptr) const {
        return RowsIn(Engine(), Event, TimeText);
    }
    TRows RowsIn(const TCircuitEngine& Of, THandle Event, std::string* TimeText = nullptr) const {
        std::string Text;
        TRows Rows = EventWorkRows(Of.Result(), TakeSnapshot(List)->Names, Event, Text);
        if (TimeText)
            *TimeText = Text;
        return Rows;
    }
    void ShowForm() {
        Form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
    }
    void Click(Qt::MouseButton Button, QPoint At) {
        QTest::mouseClick(Form->Im, Button, Qt::NoModifier, At);
    }
    bool ListShown() const { return !Form->Frame1->isHidden(); }
    // 0 the plain view, 1 the detailed one, 2 the time-scaled one, each
    // toggle checked only for its own view.
    void ShowView(int View) {
        if (View == 2)
            Form->SetTimeScaled(true);
        else
            Form->SetDetailed(View == 1);
        const std::array Kinds{TDiagramKind::Plain, TDiagramKind::Detailed,
                               TDiagramKind::TimeScaled};
        EXPECT_EQ(Form->Shown()->Kind(), Kinds[static_cast<std::size_t>(View)]);
        EXPECT_EQ(Form->DetailedAction->isChecked(), View == 1);
        EXPECT_EQ(Form->TimeScaledAction->isChecked(), View == 2);
        EXPECT_EQ(Form->DottedFloatAction->isEnabled(), View == 2);
    }
    TRows ListRows() const { return Form->Frame1->Rows(); }
    QImage Shown() const {
        return Form->Im->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    TWorkList List;
    TScriptedDialogs Dialogs;
    std::int32_t Sign = -1;
    std::unique_ptr<TAnalyser> Analyser;
    std::unique_ptr<TCircuitForm> Form;
};

// --- The rows of an event's list.

TEST_F(CircuitForm, TheStartEventListSaysItFollowsNoWork) {
    EnterScheme(List, TwoThenOne);
    std::string TimeText;
    EXPECT_EQ(RowsOf(StartEvent(Engine()), &TimeText), TRows{std::string(Msg::NoWorksStart)});
    EXPECT_EQ(TimeText, "0");
}

TEST_F(CircuitForm, AnEndEventBeyondTheSecondLevelListsItsWorkThenTheWorksFinishedEarlier) {
    EnterScheme(List, TwoThenOne);
    const THandle Final = FinalEvent(Engine());
    ASSERT_EQ(DataOf(Engine(), Final).TopN, 3);
    EXPECT_EQ(RowsOf(Final), (TRows{Time("7"), "K", Earlier, "A", "B"}));
}

TEST_F(CircuitForm, AnEndEventOnTheSecondLevelListsOnlyTheWorksEndingThere) {
    EnterScheme(List, TwoThenOne);
    const THandle Middle = EndOfWork(Engine(), 0);
    ASSERT_EQ(Middle, EndOfWork(Engine(), 1));
    ASSERT_EQ(DataOf(Engine(), Middle).TopN, 2);
    EXPECT_EQ(RowsOf(Middle), (TRows{Time("3"), "A", "B"}));
}

TEST_F(CircuitForm, TheWorksEndingAtAnEventComeFirstEachGroupInWorkOrder) {
    // D (position 0) and F end at the final event; A, B, C were finished
    // before it.
    EnterScheme(List, {{"D", 1, {3, 4}},
                       {"C", 1, {}},
                       {"A", 1, {}},
                       {"B", 1, {1, 2}},
                       {"E", 1, {}},
                       {"F", 1, {3, 4}}});
    const THandle Final = FinalEvent(Engine());
    ASSERT_EQ(Final, EndOfWork(Engine(), 5));
    const TRows Rows = RowsOf(Final);
    ASSERT_GE(Rows.size(), 3u);
    EXPECT_EQ(TRows(Rows.begin() + 1, Rows.begin() + 3), (TRows{"D", "F"}));
    EXPECT_EQ(Rows[3], Earlier);
    EXPECT_EQ(TRows(Rows.begin() + 4, Rows.end()), (TRows{"C", "A", "B", "E"}));
}

TEST_F(CircuitForm, AnEventWhereSeveralEndEventsMeetListsTheWorksItWaitsFor) {
    // K needs A and B, L only A, M only B: the start event of K has two
    // fictive predecessors and stays an event of its own.
    EnterScheme(List, {{"A", 2, {}}, {"B", 5, {}}, {"K", 1, {0, 1}}, {"L", 1, {0}}, {"M", 1, {1}}});
    THandle Waiting = 0;
    for (const THandle h : EventsOf(Engine()))
        if (Engine().Circuit->Get(h).TypeID == TypePiA && !DataOf(Engine(), h).Mul1->Empty())
            Waiting = h;
    ASSERT_NE(Waiting, 0u);
    EXPECT_EQ(RowsOf(Waiting), (TRows{Time("5"), "A", "B"}));
}

TEST_F(CircuitForm, AWorkTheListDoesNotHoldIsShownAsQuestionMarks) {
    EnterScheme(List, TwoThenOne);
    // A network of its own: the one shown is never changed.
    TCircuitEngine Own(List);
    Own.GetCircuit();
    Own.Analyse();
    TMultitude& Finished = *Own.Circuit->Get(FinalEvent(Own)).Data->Mul3;
    const auto AddWork = [&Own, &Finished](std::int32_t Work, std::int32_t Mark) {
        Finished.Compare = CompareKeys;
        Finished.Sort();
        Finished.Add(TMultitudeElement(Work, Mark));
        Finished.Compare = CompareValues;
        Finished.Sort();
        Own.MakeView();
    };
    AddWork(3, 1);
    EXPECT_EQ(RowsIn(Own, FinalEvent(Own)), (TRows{Time("7"), "K", Earlier, "A", "B", Unknown}));
    AddWork(99, 0);
    EXPECT_EQ(RowsIn(Own, FinalEvent(Own)),
              (TRows{Time("7"), "K", Unknown, Earlier, "A", "B", Unknown}));
}

TEST_F(CircuitForm, TimesAreShownWithoutSignInEitherPathMode) {
    // D waits for A (5) and for C after B (4 + 5).
    EnterScheme(List, {{"A", 5, {}}, {"B", 4, {}}, {"C", 5, {1}}, {"D", 1, {0, 2}}});
    for (const auto& [Mode, Final] : {std::pair{-1, "10"}, std::pair{+1, "6"}}) {
        Sign = Mode;
        List.Changed(0, ckPathMode);
        ASSERT_EQ(Engine().PathSign, Mode);
        for (const THandle Event : EventsOf(Engine())) {
            std::string TimeText;
            RowsOf(Event, &TimeText);
            EXPECT_NE(TimeText.front(), '-') << "event " << Event << " in mode " << Mode;
        }
        EXPECT_EQ(RowsOf(FinalEvent(Engine())).front(), Time(Final)) << "mode " << Mode;
    }
}

// --- The list in the window.

TEST_F(CircuitForm, F3RepeatsTheTimeOfTheLastListShownAndNothingBeforeThat) {
    EnterScheme(List, TwoThenOne);
    ShowForm();
    QTest::keyClick(Form->Frame1->sg1, Qt::Key_F3);
    EXPECT_TRUE(Dialogs.Shown.empty());

    Click(Qt::RightButton, CentreOf(Engine(), FinalEvent(Engine())));
    ASSERT_TRUE(ListShown());
    EXPECT_EQ(LastTimeText, "7");
    QTest::keyClick(Form->Frame1->sg1, Qt::Key_F3);
    // Once the list has gone, the time of the last one is still there.
    List.Changed(0, ckWork);
    QTest::keyClick(Form->Frame1->sg1, Qt::Key_F3);
    EXPECT_EQ(Dialogs.Texts(TShownKind::Plain), (std::vector<std::string>{"7", "7"}));
}

TEST_F(CircuitForm, ARightClickCloserThanTenPixelsToACentreOpensItsList) {
    EnterScheme(List, TwoThenOne);
    ShowForm();
    const QPoint Centre = CentreOf(Engine(), FinalEvent(Engine()));
    for (const QPoint Near : {QPoint(9, 0), QPoint(0, -9), QPoint(6, 7), QPoint(-7, 7)}) {
        Form->Frame1->HideList();
        Click(Qt::RightButton, Centre + Near);
        EXPECT_TRUE(ListShown()) << Near.x() << ", " << Near.y();
        EXPECT_EQ(ListRows().front(), Time("7"));
    }
    for (const QPoint Far : {QPoint(10, 0), QPoint(0, 10), QPoint(6, 8), QPoint(-8, -6)}) {
        Form->Frame1->HideList();
        Click(Qt::RightButton, Centre + Far);
        EXPECT_FALSE(ListShown()) << Far.x() << ", " << Far.y();
    }
}

TEST_F(CircuitForm, TheListOpensTenPixelsBelowItsEventAtTheLeftEdge) {
    EnterScheme(List, TwoThenOne);
    ShowForm();
    const THandle Middle = EndOfWork(Engine(), 0);
    const QPoint Centre = CentreOf(Engine(), Middle);
    Click(Qt::RightButton, Centre);
    ASSERT_TRUE(ListShown());
    EXPECT_EQ(Form->Frame1->geometry(), QRect(0, Centre.y() + 20, 321, 122));
    EXPECT_EQ(ListRows(), RowsOf(Middle));
    EXPECT_EQ(Form->Frame1->sg1->rowHeight(0), 16);
}

TEST_F(CircuitForm, InEveryViewAndAtEveryZoomClicksAndTooltipsFindTheirEvent) {
    EnterScheme(List, TwoThenOne);
    ShowForm();
    const THandle Final = FinalEvent(Engine());
    for (const int View : {0, 1, 2})
        for (const double Zoom : {0.5, 1.0, 2.0}) {
            ShowView(View);
            Form->SetZoom(Zoom, QPoint(0, 0));
            ASSERT_EQ(Form->Zoom(), Zoom);
            const TViewEvent* e = Engine().Result().FindEvent(Final);
            const QPoint At = (Form->Shown()->Centre(*e) * Zoom).toPoint() + QPoint(1, 1);
            Form->Frame1->HideList();
            Click(Qt::RightButton, At);
            ASSERT_TRUE(ListShown()) << View << " at zoom " << Zoom;
            EXPECT_EQ(ListRows(), RowsOf(Final));
            EXPECT_EQ(Form->ToolTipAt(At), QStringLiteral("Событие 3\nРаннее время: 7\n"
                                                          "Позднее время: 7\nРезерв: 0"));
        }
    // With a calendar the event tells its dates too: day 7 from Monday
    // 1 March 2027 ends on Tuesday the 9th at the end of the working day.
    TCalendar Calendar;
    Calendar.Start = TCivilDate::FromYmd(2027, 3, 1);
    ASSERT_TRUE(List.SetCalendar(Calendar));
    const TViewEvent* e = Engine().Result().FindEvent(FinalEvent(Engine()));
    const QPoint At = (Form->Shown()->Centre(*e) * Form->Zoom()).toPoint() + QPoint(1, 1);
    const QString Ninth = QLocale().toString(QDate(2027, 3, 9), QLocale::ShortFormat);
    EXPECT_TRUE(Form->ToolTipAt(At).endsWith(QStringLiteral("Ранний срок: %1 17:00\n"
                                                            "Поздний срок: %1 17:00")
                                                 .arg(Ninth)))
        << Form->ToolTipAt(At).toStdString();
}

TEST_F(CircuitForm, ALeftOrMiddleClickOnThePictureHidesTheListAMissedRightClickDoesNot) {
    EnterScheme(List, TwoThenOne);
    ShowForm();
    const QPoint Centre = CentreOf(Engine(), FinalEvent(Engine()));
    for (const Qt::MouseButton Button : {Qt::LeftButton, Qt::MiddleButton}) {
        Click(Qt::RightButton, Centre);
        ASSERT_TRUE(ListShown());
        Click(Qt::RightButton, Centre + QPoint(25, 0));
        EXPECT_TRUE(ListShown());
        Click(Button, Centre);
        EXPECT_FALSE(ListShown());
    }
}

TEST_F(CircuitForm, ALeftClickOnTheListHidesItOtherButtonsDoNot) {
    EnterScheme(List, TwoThenOne);
    ShowForm();
    Click(Qt::RightButton, CentreOf(Engine(), FinalEvent(Engine())));
    QWidget* Rows = Form->Frame1->sg1->viewport();
    QTest::mouseClick(Rows, Qt::RightButton, Qt::NoModifier, QPoint(10, 5));
    QTest::mouseClick(Rows, Qt::MiddleButton, Qt::NoModifier, QPoint(10, 5));
    EXPECT_TRUE(ListShown());
    QTest::mouseClick(Rows, Qt::LeftButton, Qt::NoModifier, QPoint(10, 5));
    EXPECT_FALSE(ListShown());
    // Escape on the list, which has the focus, hides it too.
    Click(Qt::RightButton, CentreOf(Engine(), FinalEvent(Engine())));
    QTest::keyClick(Form->Frame1->sg1, Qt::Key_Escape);
    EXPECT_FALSE(ListShown());
}

TEST_F(CircuitForm, EveryRebuildHidesTheList) {
    EnterScheme(List, TwoThenOne);
    ShowForm();
    Click(Qt::RightButton, CentreOf(Engine(), FinalEvent(Engine())));
    ASSERT_TRUE(ListShown());
    List.Changed(0, ckPathMode);
    EXPECT_FALSE(ListShown());
    EXPECT_EQ(Form->Sheet->size(), Form->Im->size()) << "the sheet shrinks back to the picture";
}

TEST_F(CircuitForm, ASmallWindowGrowsUntilTheListFits) {
    EnterScheme(List, {{"A", 1, {}}, {"B", 1, {}}});
    ShowForm();
    ASSERT_EQ(Form->size(), QSize(140, 40 + Form->StatusHeight()));
    const QPoint Start = CentreOf(Engine(), StartEvent(Engine()));
    Click(Qt::RightButton, Start);
    ASSERT_TRUE(ListShown());
    EXPECT_EQ(Form->size(), QSize(321, Start.y() + 20 + 122 + Form->StatusHeight()));
    EXPECT_FALSE(Form->Scroller->horizontalScrollBar()->isVisible());
    EXPECT_FALSE(Form->Scroller->verticalScrollBar()->isVisible());
}

TEST_F(CircuitForm, OnlyTheDiagramWindowCanShowTheList) {
    EnterScheme(List, TwoThenOne);
    QWidget Other;
    Form->Frame1->ShowEventWorks(40, &Other, FinalEvent(Engine()));
    EXPECT_FALSE(ListShown());
    EXPECT_TRUE(LastTimeText.empty());
}

TEST_F(CircuitForm, WithOneWorkThePictureIsWhiteAndARightClickDoesNothing) {
    ShowForm();
    List.AddWork(TWorkData{"A", 1, {}}, true);
    EXPECT_FALSE(Form->Drawn());
    EXPECT_EQ(Engine().Circuit, nullptr);
    Click(Qt::RightButton, QPoint(60, 20));
    EXPECT_FALSE(ListShown());
    EXPECT_TRUE(Dialogs.Shown.empty());
    EXPECT_TRUE(AllWhite(Shown()));
}

// --- Rebuilds.

TEST_F(CircuitForm, ItStartsAsLargeAsItsClientAreaWithNothingDrawn) {
    EXPECT_EQ(Form->windowTitle(), QStringLiteral("График"));
    EXPECT_EQ(Form->size(), QSize(324, 240));
    EXPECT_FALSE(Engine().Result().HasNetwork);
    EXPECT_FALSE(Form->Drawn());
    EXPECT_FALSE(Form->isVisible());
    EXPECT_FALSE(ListShown());
}

TEST_F(CircuitForm, TheWindowIsExactlyThePictureAndFollowsEveryEdit) {
    EnterScheme(List, {{"A", 1, {}}, {"B", 1, {}}});
    // The picture and, below it, the status bar with the zoom.
    const int Below = Form->StatusHeight();
    EXPECT_EQ(Form->size(), QSize(140, 40 + Below));
    EXPECT_EQ(Form->Im->size(), QSize(140, 40));
    ShowForm();
    EXPECT_EQ(Shown(), CircuitImage(Engine().Result()));

    List.GetWork(1).Links[0] = LinkDirect;
    List.Changed(1, ckScheme);
    EXPECT_EQ(Engine().Result().Width, 200);
    EXPECT_EQ(Form->size(), QSize(200, 40 + Below));
    EXPECT_EQ(Form->Im->size(), QSize(200, 40));
    EXPECT_EQ(Shown(), CircuitImage(Engine().Result()));
    EXPECT_FALSE(Form->Scroller->horizontalScrollBar()->isVisible());

    List.GetWork(1).Links[0] = LinkFree;
    List.Changed(1, ckScheme);
    EXPECT_EQ(Form->size(), QSize(140, 40 + Below)) << "the window shrinks with its picture";
}

TEST_F(CircuitForm, FewerThanTwoWorksLeaveTheLastPictureWhiteAtItsSize) {
    EnterScheme(List, TwoThenOne);
    const QSize Drawn = Form->size();
    const QSize Picture = Form->Im->size();
    ShowForm();
    // "Новый" empties the list.
    List.Clear();
    EXPECT_FALSE(Form->Drawn());
    EXPECT_EQ(Form->size(), Drawn);
    EXPECT_EQ(Shown().size(), Picture);
    EXPECT_TRUE(AllWhite(Shown()));
}

TEST_F(CircuitForm, ARebuildKeepsTheWindowsVisibilityAndTheForegroundWindow) {
    QWidget Other;
    Other.setWindowTitle(QStringLiteral("other"));
    Other.resize(100, 100);
    Other.show();
    Other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Other));

    EnterScheme(List, TwoThenOne);
    EXPECT_FALSE(Form->isVisible()) << "a hidden window stays hidden";
    EXPECT_EQ(QApplication::activeWindow(), &Other);

    ShowForm();
    Other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Other));
    List.Changed(0, ckPathMode);
    EXPECT_TRUE(Form->isVisible()) << "a shown window is shown again";
    EXPECT_EQ(QApplication::activeWindow(), &Other);

    Form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
    List.Changed(0, ckPathMode);
    EXPECT_TRUE(QTest::qWaitForWindowActive(Form.get()));
}

TEST_F(CircuitForm, AFaultInTheAnalysisKeepsTheWindowWithItsLastPicture) {
    EnterScheme(List, TwoThenOne);
    ShowForm();
    const QImage Before = Shown();
    // A graph row for a work the list does not hold breaks the build.
    TMultitudeElement Stray(7);
    Stray.Subset = std::make_unique<TMultitude>();
    Stray.Subset->AddKey(0);
    List.Graph.Rows.Add(std::move(Stray));
    EXPECT_ANY_THROW(Analyser->Refresh());
    EXPECT_TRUE(Form->isVisible());
    EXPECT_TRUE(Form->Drawn());
    EXPECT_EQ(Shown(), Before);
}

// --- Pictures larger than the screen.

TEST_F(CircuitForm, APictureWiderThanTheScreenScrollsAndAClickHitsTheEventUnderThePointer) {
    const QSize Largest = Form->LargestClient();
    const int Works = Largest.width() / 60 + 2;
    EnterScheme(List, Chain(Works));
    ShowForm();
    EXPECT_GT(Engine().Result().Width, Largest.width());
    EXPECT_EQ(Form->Im->size(), DrawCircuit(Engine().Result()));
    EXPECT_EQ(Form->width(), Largest.width());
    QScrollBar* Across = Form->Scroller->horizontalScrollBar();
    EXPECT_TRUE(Across->isVisible());
    EXPECT_FALSE(Form->Scroller->verticalScrollBar()->isVisible())
        << "the window is higher by the scroll bar";

    Across->setValue(Across->maximum());
    QWidget* View = Form->Scroller->viewport();
    const THandle Last = FinalEvent(Engine());
    const QPoint InView = Form->Im->mapTo(View, CentreOf(Engine(), Last) + QPoint(5, 3));
    ASSERT_TRUE(View->rect().contains(InView));
    QWidget* Under = View->childAt(InView);
    ASSERT_EQ(Under, Form->Im);
    QTest::mouseClick(Under, Qt::RightButton, Qt::NoModifier, Under->mapFrom(View, InView));
    ASSERT_TRUE(ListShown());
    EXPECT_EQ(ListRows().front(), Time(std::to_string(Works).c_str()));
    // The list opens in view, at the left edge of what is shown.
    EXPECT_EQ(Form->Frame1->x(), Across->value());
}

TEST_F(CircuitForm, APictureHigherThanTheScreenScrolls) {
    const QSize Largest = Form->LargestClient();
    // Work 2i + 1 after work 2i: every pair has an event of its own on the
    // second level, one row each.
    std::vector<TPlannedWork> Pairs;
    const int Rows = Largest.height() / 60 + 2;
    for (int i = 0; i < Rows; ++i) {
        Pairs.push_back({"A" + std::to_string(i), 1, {}});
        Pairs.push_back({"B" + std::to_string(i), 1, {2 * i}});
    }
    EnterScheme(List, Pairs);
    ShowForm();
    EXPECT_GT(Engine().Result().Height, Largest.height());
    EXPECT_EQ(Form->height(), Largest.height());
    EXPECT_TRUE(Form->Scroller->verticalScrollBar()->isVisible());
    EXPECT_FALSE(Form->Scroller->horizontalScrollBar()->isVisible());
    EXPECT_LE(Form->frameGeometry().bottom(), Form->screen()->availableGeometry().bottom());
}

// --- Finding one's way.

// The middle of an arc's drawn line, in pixels of the control at zoom 1.
QPoint MiddleOf(const TPicture& Picture, std::size_t Arc) {
    const QPainterPath Path = Picture.ArcPath(Arc);
    return Path.pointAtPercent(0.5).toPoint();
}

TEST_F(CircuitForm, AnArcUnderThePointerIsMarkedWithBothEventsAndAClickedEventWithAllItsArcs) {
    EnterScheme(List, TwoThenOne);
    ShowForm();
    for (const int Shown : {0, 1, 2}) {
        ShowView(Shown);
        const TPicture& Picture = *Form->Shown();
        const TNetworkView& View = Picture.Result();
        const std::size_t K = static_cast<std::size_t>(View.ArcOfWork(2) - View.Arcs.data());
        const QPoint OnK = MiddleOf(Picture, K);
        Form->ImMouseMove(OnK);
        EXPECT_EQ(Form->Hovered().Arcs, std::vector<std::size_t>{K}) << Shown;
        EXPECT_EQ(Form->Hovered().Events,
                  (std::vector<std::int32_t>{View.Arcs[K].From, View.Arcs[K].To}));
        EXPECT_TRUE(Form->ToolTipAt(OnK).contains(QStringLiteral("Дуга 2 – 3")))
            << Form->ToolTipAt(OnK).toStdString();
        Form->ImMouseMove(std::nullopt);
        EXPECT_TRUE(Form->Hovered().Empty());

        // The middle event: A and B end there, the fictive arc or K leaves it.
        const std::int32_t Middle = View.Arcs[K].From;
        Click(Qt::LeftButton,
              Picture.Centre(View.Events[static_cast<std::size_t>(Middle)]).toPoint());
        std::vector<std::size_t> Expected;
        for (std::size_t a = 0; a < View.Arcs.size(); ++a)
            if (View.Arcs[a].From == Middle || View.Arcs[a].To == Middle)
                Expected.push_back(a);
        EXPECT_EQ(Form->Chosen().Arcs, Expected);
        EXPECT_GE(Expected.size(), 3u);
        Click(Qt::LeftButton, QPoint(2, 2));
        EXPECT_TRUE(Form->Chosen().Empty());
    }
}

TEST_F(CircuitForm, FindMarksAWorkByPartOfItsNameOrAnEventByNumberAndF3GoesOn) {
    EnterScheme(List, {{"Стены", 2, {}}, {"Стропила", 3, {0}}, {"Окна", 1, {0}}});
    ShowForm();
    const TNetworkView& View = Form->Shown()->Result();
    const auto ArcOf = [&View](std::int32_t Work) {
        return static_cast<std::size_t>(View.ArcOfWork(Work) - View.Arcs.data());
    };
    ASSERT_TRUE(Form->Find(QStringLiteral("стр")));
    EXPECT_EQ(Form->Chosen().Arcs, std::vector<std::size_t>{ArcOf(1)});
    ASSERT_TRUE(Form->Find(QStringLiteral("ст")));
    const std::vector<std::size_t> First = Form->Chosen().Arcs;
    QTest::keyClick(Form.get(), Qt::Key_F3);
    const std::vector<std::size_t> Second = Form->Chosen().Arcs;
    EXPECT_NE(First, Second);
    EXPECT_EQ((std::set<std::size_t>{First[0], Second[0]}),
              (std::set<std::size_t>{ArcOf(0), ArcOf(1)}));
    QTest::keyClick(Form.get(), Qt::Key_F3);
    EXPECT_EQ(Form->Chosen().Arcs, First) << "round the end back to the start";

    ASSERT_TRUE(Form->Find(QStringLiteral("3")));
    ASSERT_EQ(Form->Chosen().Events.size(), 1u);
    EXPECT_EQ(View.Events[static_cast<std::size_t>(Form->Chosen().Events[0])].Number, 3);
    EXPECT_FALSE(Form->Find(QStringLiteral("Кровля")));
    EXPECT_TRUE(Form->Chosen().Empty());
}

// --- Zoom and the window's size.

TEST_F(CircuitForm, ZoomCommandsShowTheirScaleAndANewSchemeOpensAtFullSize) {
    EnterScheme(List, TwoThenOne);
    ShowForm();
    EXPECT_EQ(Form->ZoomLabel->text(), QStringLiteral("Масштаб 100 %"));
    Form->ZoomInAction->trigger();
    EXPECT_EQ(Form->ZoomLabel->text(), QStringLiteral("Масштаб 125 %"));
    EXPECT_NE(Form->FitAction->shortcut(), Form->ActualAction->shortcut());
    EXPECT_EQ(Form->ActualAction->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_0));
    Form->ActualAction->trigger();
    EXPECT_EQ(Form->Zoom(), 1);
    Form->SetZoom(0.5, QPoint(0, 0));
    Form->NewScheme();
    EXPECT_EQ(Form->Zoom(), 1);
    EXPECT_EQ(Form->ZoomLabel->text(), QStringLiteral("Масштаб 100 %"));
}

TEST_F(CircuitForm, AWindowTheUserHasResizedKeepsItsSizeThroughEdits) {
    EnterScheme(List, TwoThenOne);
    ShowForm();
    EXPECT_FALSE(Form->UserSized()) << "sizing itself to the picture is not the user's doing";
    Form->resize(300, 200);
    EXPECT_TRUE(Form->UserSized());
    List.GetWork(2).Links[0] = LinkFree;
    List.Changed(2, ckScheme);
    Form->SetDetailed(true);
    EXPECT_EQ(Form->size(), QSize(300, 200));
    EXPECT_EQ(Form->Scroller->height(), 200 - Form->StatusHeight());
}

// --- Keys.

TEST_F(CircuitForm, F5ShowsTheWorksArcsWindowAndF2ReturnsToAShownMainWindow) {
    QWidget Main;
    QWidget Arcs;
    Form.reset();
    Form = std::make_unique<TCircuitForm>(List, *Analyser, Dialogs, &Main);
    Form->SetArcWorkForm(&Arcs);
    ShowForm();
    QTest::keyClick(Form.get(), Qt::Key_F5);
    EXPECT_TRUE(Arcs.isVisible());
    QTest::keyClick(Form.get(), Qt::Key_F2);
    EXPECT_FALSE(Main.isVisible()) << "a hidden main window stays hidden";
    Main.show();
    Form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
    QTest::keyClick(Form.get(), Qt::Key_F2);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&Main));
    Form.reset();
}

} // namespace
