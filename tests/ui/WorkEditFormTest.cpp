#include "ScriptedDialogs.h"
#include "UiTestSupport.h"

#include "messages/ErrorStrings.h"
#include "ui/WorkEditForm.h"

#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTest>

#include <string>
#include <vector>

namespace {

class WorkEditForm : public TUiTest {
protected:
    void TearDown() override {
        QLocale::setDefault(QLocale::c());
        TUiTest::TearDown();
    }

    // Runs the editor for a new work, types Name and Duration over what it
    // shows, presses OK and, should OK not close it, Cancel.
    int TypeAndPressOk(TWorkEditForm& Editor, const QString& Name, const QString& Duration,
                       std::string& NameOut, TReal& DurationOut) {
        int Result = 0;
        WhileModal(
            Editor,
            [&] {
                Editor.NameWorkEdit->setText(Name);
                Editor.DurationEdit->setText(Duration);
                QTest::mouseClick(Editor.OkBtn, Qt::LeftButton);
                StillOpenAfterOk = Editor.isVisible();
                FocusAfterOk = Editor.focusWidget();
                if (StillOpenAfterOk)
                    QTest::mouseClick(Editor.CancelBtn, Qt::LeftButton);
            },
            [&] { Result = Editor.ExecuteNew(NameOut, DurationOut, 1); });
        return Result;
    }

    TScriptedDialogs Dialogs;
    bool StillOpenAfterOk = false;
    QWidget* FocusAfterOk = nullptr;
};

TEST_F(WorkEditForm, HasItsControlsWhereTheWindowPutsThem) {
    TWorkEditForm Editor(Dialogs);
    EXPECT_EQ(Editor.windowTitle(), QStringLiteral("Создание или изменение работы"));
    EXPECT_EQ(Editor.size(), QSize(348, 79));
    EXPECT_EQ(Editor.minimumSize(), Editor.maximumSize());
    EXPECT_EQ(Editor.LabelNameWork->text(), QStringLiteral("Наименование работы:"));
    EXPECT_EQ(Editor.LabelValEdit->text(), QStringLiteral("Время работы:"));
    EXPECT_EQ(Editor.NameWorkEdit->geometry(), QRect(0, 16, 345, 21));
    EXPECT_EQ(Editor.DurationEdit->geometry(), QRect(0, 56, 121, 21));
    EXPECT_EQ(Editor.OkBtn->geometry(), QRect(192, 46, 75, 25));
    EXPECT_EQ(Editor.CancelBtn->geometry(), QRect(272, 46, 75, 25));
    EXPECT_EQ(Editor.OkBtn->text(), QStringLiteral("Принять"));
    EXPECT_EQ(Editor.CancelBtn->text(), QStringLiteral("Отменить"));
    const auto NextByTab = [](QWidget* From) {
        QWidget* Next = From->nextInFocusChain();
        while (!(Next->focusPolicy() & Qt::TabFocus))
            Next = Next->nextInFocusChain();
        return Next;
    };
    EXPECT_EQ(NextByTab(Editor.NameWorkEdit), Editor.DurationEdit);
    EXPECT_EQ(NextByTab(Editor.DurationEdit), Editor.OkBtn);
    EXPECT_EQ(NextByTab(Editor.OkBtn), Editor.CancelBtn);
    for (QPushButton* Button : {Editor.OkBtn, Editor.CancelBtn}) {
        EXPECT_FALSE(Button->isDefault());
        EXPECT_FALSE(Button->autoDefault());
    }
    EXPECT_FALSE(Editor.OnCheckName) << "no main window, no name check";
}

TEST_F(WorkEditForm, NewWorkShowsAnEmptyNameAndTheDurationZeroWithTheFocusOnTheName) {
    TWorkEditForm Editor(Dialogs);
    std::string Name = "left over";
    TReal Duration = 7;
    QString ShownName, ShownDuration;
    QWidget* Focus = nullptr;
    WhileModal(
        Editor,
        [&] {
            ShownName = Editor.NameWorkEdit->text();
            ShownDuration = Editor.DurationEdit->text();
            Focus = Editor.focusWidget();
        },
        [&] { EXPECT_EQ(Editor.ExecuteNew(Name, Duration, 1), mrCancel); });
    EXPECT_EQ(ShownName, QString());
    EXPECT_EQ(ShownDuration, QStringLiteral("0"));
    EXPECT_EQ(Focus, Editor.NameWorkEdit);
    EXPECT_TRUE(Dialogs.Shown.empty());
}

TEST_F(WorkEditForm, OkWithoutTypingReportsTheEmptyNameBeforeTheDurationZero) {
    TWorkEditForm Editor(Dialogs);
    std::string Name;
    TReal Duration = 0;
    int Result = 0;
    WhileModal(
        Editor,
        [&] {
            QTest::mouseClick(Editor.OkBtn, Qt::LeftButton);
            StillOpenAfterOk = Editor.isVisible();
            FocusAfterOk = Editor.focusWidget();
            EXPECT_FALSE(Editor.Accepted);
            QTest::mouseClick(Editor.CancelBtn, Qt::LeftButton);
        },
        [&] { Result = Editor.ExecuteNew(Name, Duration, 1); });
    EXPECT_EQ(Result, mrCancel);
    EXPECT_TRUE(StillOpenAfterOk);
    EXPECT_EQ(FocusAfterOk, Editor.NameWorkEdit);
    EXPECT_EQ(Dialogs.Shown,
              (std::vector<TShown>{{TShownKind::Notice, std::string(Msg::EmptyWorkName)}}));
}

TEST_F(WorkEditForm, NameOfBlanksIsNotEmpty) {
    TWorkEditForm Editor(Dialogs);
    std::string Name;
    TReal Duration = 0;
    EXPECT_EQ(TypeAndPressOk(Editor, QStringLiteral("  "), QStringLiteral("1"), Name, Duration),
              mrOk);
    EXPECT_EQ(Name, "  ");
    EXPECT_TRUE(Dialogs.Shown.empty());
}

struct TBadDuration {
    const char* Text;
    const char* Why;
};

void PrintTo(const TBadDuration& Case, std::ostream* Out) {
    *Out << '"' << Case.Text << '"';
}

class WorkEditFormBadDuration : public WorkEditForm,
                                public ::testing::WithParamInterface<TBadDuration> {};

TEST_P(WorkEditFormBadDuration, IsRefusedWithTheDurationNoticeAndTheFocusOnTheDuration) {
    TWorkEditForm Editor(Dialogs);
    std::string Name;
    TReal Duration = 0;
    EXPECT_EQ(TypeAndPressOk(Editor, QStringLiteral("Кладка"), QString::fromUtf8(GetParam().Text),
                             Name, Duration),
              mrCancel)
        << GetParam().Why;
    EXPECT_TRUE(StillOpenAfterOk);
    EXPECT_EQ(FocusAfterOk, Editor.DurationEdit);
    EXPECT_EQ(Dialogs.Shown,
              (std::vector<TShown>{{TShownKind::Notice, std::string(Msg::BadDuration)}}));
}

INSTANTIATE_TEST_SUITE_P(
    Durations, WorkEditFormBadDuration,
    ::testing::Values(TBadDuration{"0", "Zero"}, TBadDuration{"-1", "Negative"},
                      TBadDuration{"-0", "NegativeZero"}, TBadDuration{"abc", "NoNumber"},
                      TBadDuration{"", "Empty"}, TBadDuration{"1,5.0", "TwoSeparators"},
                      TBadDuration{"inf", "Infinity"}, TBadDuration{"nan", "NotANumber"},
                      TBadDuration{"0x10", "Hexadecimal"},
                      TBadDuration{"1e5000", "BeyondTheExtendedRange"},
                      TBadDuration{"1.000000000000001e15", "AboveTheLargestDuration"},
                      TBadDuration{"1e-4940", "Subnormal"}),
    [](const ::testing::TestParamInfo<TBadDuration>& Info) { return std::string(Info.param.Why); });

TEST_F(WorkEditForm, ReadsTheDurationWithACommaOrAPointInAnyLocale) {
    std::string Name;
    TReal Duration = 0;
    {
        TWorkEditForm Editor(Dialogs);
        EXPECT_EQ(
            TypeAndPressOk(Editor, QStringLiteral("A"), QStringLiteral("1.5"), Name, Duration),
            mrOk);
        EXPECT_EQ(Duration, 1.5L);
    }
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    {
        TWorkEditForm Editor(Dialogs);
        EXPECT_EQ(
            TypeAndPressOk(Editor, QStringLiteral("A"), QStringLiteral("2,5"), Name, Duration),
            mrOk);
        EXPECT_EQ(Duration, 2.5L);
        EXPECT_EQ(
            TypeAndPressOk(Editor, QStringLiteral("A"), QStringLiteral("1.5"), Name, Duration),
            mrOk);
        EXPECT_EQ(Duration, 1.5L);
        EXPECT_TRUE(Dialogs.Shown.empty());
    }
}

TEST_F(WorkEditForm, ShowsAnExistingDurationWithTheLocalesSeparator) {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    TWorkEditForm Editor(Dialogs);
    std::string Name = "Кровля";
    TReal Duration = 0.25L;
    QString Shown;
    WhileModal(
        Editor, [&] { Shown = Editor.DurationEdit->text(); },
        [&] { Editor.Execute(Name, Duration, 1); });
    EXPECT_EQ(Shown, QStringLiteral("0,25"));
}

TEST_F(WorkEditForm, RefusesANameTheSchemeFileCannotHoldAfterTheDurationCheck) {
    TWorkEditForm Editor(Dialogs);
    std::string Name;
    TReal Duration = 0;
    const QString Snowman = QStringLiteral("Снег \u2603");
    EXPECT_EQ(TypeAndPressOk(Editor, Snowman, QStringLiteral("0"), Name, Duration), mrCancel);
    EXPECT_EQ(TypeAndPressOk(Editor, Snowman, QStringLiteral("3"), Name, Duration), mrCancel);
    EXPECT_EQ(FocusAfterOk, Editor.NameWorkEdit);
    EXPECT_EQ(Dialogs.Texts(TShownKind::Notice),
              (std::vector<std::string>{std::string(Msg::BadDuration),
                                        std::string(Msg::NameNotStorable)}));
    // Every Cyrillic letter has its byte in the file.
    EXPECT_EQ(TypeAndPressOk(Editor, QStringLiteral("Ёлка №1 — «ель»"), QStringLiteral("3"), Name,
                             Duration),
              mrOk);
}

TEST_F(WorkEditForm, AsksTheNameCheckLastWithItsRowIndexAndShowsItsMessage) {
    TWorkEditForm Editor(Dialogs);
    std::vector<std::string> Asked;
    std::int32_t AskedIndex = -1;
    bool Taken = true;
    Editor.OnCheckName = [&](const std::string& Name, std::int32_t Index, TReal,
                             std::string& Message) {
        EXPECT_TRUE(Message.empty());
        Asked.push_back(Name);
        AskedIndex = Index;
        Message = "занято";
        return Taken;
    };
    std::string Name;
    TReal Duration = 0;
    // Refused earlier checks never reach it.
    TypeAndPressOk(Editor, QString(), QStringLiteral("1"), Name, Duration);
    TypeAndPressOk(Editor, QStringLiteral("B"), QStringLiteral("0"), Name, Duration);
    EXPECT_TRUE(Asked.empty());

    QWidget* Focus = nullptr;
    WhileModal(
        Editor,
        [&] {
            Editor.NameWorkEdit->setText(QStringLiteral("B"));
            Editor.DurationEdit->setText(QStringLiteral("4"));
            Editor.DurationEdit->setFocus();
            QTest::mouseClick(Editor.OkBtn, Qt::LeftButton);
            Focus = Editor.focusWidget();
            Taken = false;
            QTest::mouseClick(Editor.OkBtn, Qt::LeftButton);
        },
        [&] {
            std::string Edited = "A";
            TReal Value = 1;
            EXPECT_EQ(Editor.Execute(Edited, Value, 3), mrOk);
            EXPECT_EQ(Edited, "B");
            EXPECT_EQ(Value, 4.0L);
        });
    EXPECT_EQ(Asked, (std::vector<std::string>{"B", "B"}));
    EXPECT_EQ(AskedIndex, 3);
    EXPECT_EQ(Dialogs.Texts(TShownKind::Notice).back(), "занято");
    // A taken name leaves the focus where it was; the mouse click on OK had
    // moved it there.
    EXPECT_EQ(Focus, Editor.OkBtn);
}

TEST_F(WorkEditForm, EnterMovesFromNameToDurationToOkAndOnlyThenPresses) {
    TWorkEditForm Editor(Dialogs);
    std::string Name;
    TReal Duration = 0;
    std::vector<QWidget*> Focus;
    std::vector<bool> Open;
    int Result = 0;
    WhileModal(
        Editor,
        [&] {
            QTest::keyClicks(Editor.NameWorkEdit, QStringLiteral("Walls"));
            QTest::keyClick(Editor.NameWorkEdit, Qt::Key_Return);
            Focus.push_back(Editor.focusWidget());
            // The "0" is selected, so typing replaces it.
            QTest::keyClicks(Editor.DurationEdit, QStringLiteral("12"));
            QTest::keyClick(Editor.DurationEdit, Qt::Key_Enter);
            Focus.push_back(Editor.focusWidget());
            Open.push_back(Editor.isVisible());
            QTest::keyClick(Editor.OkBtn, Qt::Key_Return);
            Open.push_back(Editor.isVisible());
        },
        [&] { Result = Editor.ExecuteNew(Name, Duration, 1); });
    EXPECT_EQ(Focus, (std::vector<QWidget*>{Editor.DurationEdit, Editor.OkBtn}));
    EXPECT_EQ(Open, (std::vector<bool>{true, false}));
    EXPECT_EQ(Result, mrOk);
    EXPECT_EQ(Name, "Walls");
    EXPECT_EQ(Duration, 12.0L);
    EXPECT_TRUE(Dialogs.Shown.empty());
}

TEST_F(WorkEditForm, EscapeClosesWithoutAChangeLikeCancel) {
    TWorkEditForm Editor(Dialogs);
    std::string Name = "Old";
    TReal Duration = 3;
    int Result = 0;
    WhileModal(
        Editor,
        [&] {
            Editor.NameWorkEdit->setText(QStringLiteral("New"));
            QTest::keyClick(Editor.NameWorkEdit, Qt::Key_Escape);
        },
        [&] { Result = Editor.Execute(Name, Duration, 1); });
    EXPECT_FALSE(Editor.isVisible());
    EXPECT_EQ(Result, mrCancel) << "the caller keeps the work as it was";
}

TEST_F(WorkEditForm, EnterOnTheFocusedCancelButtonCancels) {
    TWorkEditForm Editor(Dialogs);
    std::string Name;
    TReal Duration = 0;
    int Result = 0;
    WhileModal(
        Editor,
        [&] {
            Editor.NameWorkEdit->setText(QStringLiteral("X"));
            Editor.CancelBtn->setFocus();
            QTest::keyClick(Editor.CancelBtn, Qt::Key_Return);
        },
        [&] { Result = Editor.ExecuteNew(Name, Duration, 1); });
    EXPECT_EQ(Result, mrCancel);
    EXPECT_TRUE(Dialogs.Shown.empty());
}

TEST_F(WorkEditForm, ClosingTheWindowCancelsEvenWithBadInput) {
    TWorkEditForm Editor(Dialogs);
    std::string Name;
    TReal Duration = 0;
    int Result = 0;
    WhileModal(
        Editor,
        [&] {
            Editor.DurationEdit->setText(QStringLiteral("abc"));
            Editor.close();
        },
        [&] { Result = Editor.ExecuteNew(Name, Duration, 1); });
    EXPECT_EQ(Result, mrCancel);
    EXPECT_FALSE(Editor.isVisible());
    EXPECT_TRUE(Dialogs.Shown.empty());
}

TEST_F(WorkEditForm, KeepsNoStateBetweenUses) {
    TWorkEditForm Editor(Dialogs);
    std::string Name;
    TReal Duration = 0;
    ASSERT_EQ(TypeAndPressOk(Editor, QStringLiteral("A"), QStringLiteral("2"), Name, Duration),
              mrOk);
    QString ShownName;
    WhileModal(
        Editor,
        [&] {
            ShownName = Editor.NameWorkEdit->text();
            EXPECT_FALSE(Editor.Accepted);
        },
        [&] { Editor.ExecuteNew(Name, Duration, 1); });
    EXPECT_EQ(ShownName, QString());
}

TEST_F(WorkEditForm, ResourcesButtonOpensTheDemandsOfAnExistingWorkOnly) {
    TWorkEditForm Editor(Dialogs);
    std::vector<int> Opened;
    Editor.OnEditDemands = [&](int Work) { Opened.push_back(Work); };
    std::string Name = "Кладка";
    TReal Duration = 3;
    bool Enabled = false;
    WhileModal(
        Editor,
        [&] {
            Enabled = Editor.DemandsBtn->isVisible() && Editor.DemandsBtn->isEnabled();
            QTest::mouseClick(Editor.DemandsBtn, Qt::LeftButton);
            EXPECT_TRUE(Editor.isVisible()) << "the editor stays open";
        },
        [&] { Editor.Execute(Name, Duration, 3); });
    EXPECT_TRUE(Enabled);
    EXPECT_EQ(Opened, std::vector<int>{2}) << "grid row 3 is the work at position 2";
    WhileModal(
        Editor, [&] { Enabled = Editor.DemandsBtn->isEnabled(); },
        [&] { Editor.ExecuteNew(Name, Duration, 4); });
    EXPECT_FALSE(Enabled) << "a new work has no demands yet";
}

} // namespace
