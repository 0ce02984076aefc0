// "Календарь проекта…": what the fields make, what is refused, and that an
// accepted change is one step of the undo history.

#include "ScriptedDialogs.h"
#include "UiTestSupport.h"

#include "messages/ErrorStrings.h"
#include "model/WorkList.h"
#include "ui/CalendarDialog.h"
#include "ui/EditHistory.h"

#include <QCheckBox>
#include <QDate>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTime>
#include <QTimeEdit>

#include <gtest/gtest.h>

namespace {

TCivilDate Day(int y, int m, int d) {
    return TCivilDate::FromYmd(y, m, d);
}

TEST(WorkingHoursText, ReadsWhatItWritesAndRefusesTheRest) {
    const std::vector<TWorkPeriod> Standard = {{480, 720}, {780, 1020}};
    EXPECT_EQ(PeriodsText(Standard), QStringLiteral("08:00–12:00, 13:00–17:00"));
    EXPECT_EQ(PeriodsFromText(PeriodsText(Standard)), Standard);
    EXPECT_EQ(PeriodsFromText(QStringLiteral(" 8:00-12:00;13:00 - 17:00 ")), Standard);
    EXPECT_EQ(PeriodsFromText(QStringLiteral("00:00–24:00")),
              (std::vector<TWorkPeriod>{{0, 1440}}));
    for (const char* Bad :
         {"", "8-12", "08:00–12:60", "25:00–26:00", "08:00–24:30", "08:00–12:00,", "08:00 12:00"})
        EXPECT_FALSE(PeriodsFromText(QString::fromUtf8(Bad))) << Bad;
}

class CalendarDialog : public TUiTest {
protected:
    TWorkList List;
    TScriptedDialogs Dialogs;
};

TEST_F(CalendarDialog, MakesTheCalendarOfItsFieldsAsOneUndoableStep) {
    TEditHistory History(List);
    TCalendarDialog Dialog(List.Calendar(), Dialogs, nullptr);
    // A scheme without a calendar stays in day numbers until asked.
    EXPECT_FALSE(Dialog.UseCalendar->isChecked());
    EXPECT_FALSE(Dialog.Calendar());

    Dialog.UseCalendar->setChecked(true);
    Dialog.StartDate->setDate(QDate(2027, 3, 1));
    Dialog.HasStartTime->setChecked(true);
    Dialog.StartTime->setTime(QTime(9, 30));
    Dialog.Weekdays[5]->setChecked(true); // Saturdays worked
    Dialog.Hours->setText(QStringLiteral("07:00–11:00, 12:00–16:00"));
    Dialog.DayHours->setValue(8);
    // Entered out of order, and one date moved from one list to the other.
    for (const QDate Date : {QDate(2027, 5, 9), QDate(2027, 3, 8), QDate(2027, 5, 1)}) {
        Dialog.ExceptionDate->setDate(Date);
        Dialog.AddHoliday->click();
    }
    Dialog.ExceptionDate->setDate(QDate(2027, 3, 14));
    Dialog.AddWorkday->click();
    Dialog.ExceptionDate->setDate(QDate(2027, 5, 1));
    Dialog.AddWorkday->click();

    const std::optional<TCalendar> Made = Dialog.Calendar();
    ASSERT_TRUE(Made);
    EXPECT_EQ(Made->Start, Day(2027, 3, 1));
    EXPECT_EQ(Made->StartTime, 9 * 60 + 30);
    EXPECT_EQ(Made->Weekdays, 0x3F);
    EXPECT_EQ(Made->Periods, (std::vector<TWorkPeriod>{{420, 660}, {720, 960}}));
    EXPECT_EQ(Made->MinutesPerDay, 480);
    EXPECT_EQ(Made->Holidays, (std::vector<TCivilDate>{Day(2027, 3, 8), Day(2027, 5, 9)}));
    EXPECT_EQ(Made->Workdays, (std::vector<TCivilDate>{Day(2027, 3, 14), Day(2027, 5, 1)}));

    ASSERT_TRUE(History.SetCalendar(Made));
    EXPECT_EQ(List.Calendar(), Made);
    EXPECT_TRUE(List.Modified);
    History.Stack.undo();
    EXPECT_FALSE(List.Calendar());
    History.Stack.redo();
    EXPECT_EQ(List.Calendar(), Made);

    // Reopened, it shows that calendar; switched off, the plan is in day
    // numbers again.
    TCalendarDialog Again(List.Calendar(), Dialogs, nullptr);
    EXPECT_EQ(Again.Calendar(), Made);
    Again.UseCalendar->setChecked(false);
    EXPECT_FALSE(Again.Calendar());
    EXPECT_TRUE(Dialogs.Shown.empty());
}

TEST_F(CalendarDialog, RefusesWhatMakesNoCalendarAndStaysOpen) {
    TCalendar Standard;
    Standard.Start = Day(2027, 3, 1);
    ASSERT_TRUE(List.SetCalendar(Standard));
    TEditHistory History(List);
    struct TCase {
        std::function<void(TCalendarDialog&)> Spoil;
        std::string_view Why;
    };
    const TCase Cases[] = {
        {[](TCalendarDialog& d) { d.Hours->setText(QStringLiteral("восемь часов")); },
         Msg::CalendarBadHours},
        {[](TCalendarDialog& d) { d.Hours->setText(QStringLiteral("12:00–08:00")); },
         Msg::CalendarBadHours},
        {[](TCalendarDialog& d) {
             for (QCheckBox* Box : d.Weekdays)
                 Box->setChecked(false);
         },
         Msg::CalendarNoWorkingDay},
    };
    for (const TCase& Case : Cases) {
        Dialogs.Shown.clear();
        TCalendarDialog Dialog(List.Calendar(), Dialogs, nullptr);
        Dialog.show();
        Case.Spoil(Dialog);
        Dialog.accept();
        EXPECT_TRUE(Dialog.isVisible()) << Case.Why;
        EXPECT_EQ(Dialogs.Shown,
                  (std::vector<TShown>{{TShownKind::Notice, std::string(Case.Why)}}));
    }
    EXPECT_EQ(List.Calendar(), Standard);
    EXPECT_EQ(History.Stack.count(), 0);
}

} // namespace
