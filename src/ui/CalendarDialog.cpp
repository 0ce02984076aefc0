#include "ui/CalendarDialog.h"

#include "messages/ErrorStrings.h"
#include "model/WorkList.h"
#include "ui/Dialogs.h"
#include "ui/EditHistory.h"

#include <QCheckBox>
#include <QDate>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QTime>
#include <QTimeEdit>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

QDate QtDate(TCivilDate Date) {
    int y = 0, m = 0, d = 0;
    Date.ToYmd(y, m, d);
    return QDate(y, m, d);
}

TCivilDate CivilDate(const QDate& Date) {
    return TCivilDate::FromYmd(Date.year(), Date.month(), Date.day());
}

QString Clock(int Minutes) {
    return QStringLiteral("%1:%2")
        .arg(Minutes / 60, 2, 10, QLatin1Char('0'))
        .arg(Minutes % 60, 2, 10, QLatin1Char('0'));
}

// A date of an exception list as the list shows it: the locale's short date
// and the weekday, so that a holiday on a Sunday is seen to change nothing.
QString ExceptionText(const QDate& Date) {
    const QLocale Locale;
    return Locale.toString(Date, QLocale::ShortFormat) + QStringLiteral(", ") +
           Locale.dayName(Date.dayOfWeek(), QLocale::ShortFormat);
}

void FillList(QListWidget* List, const std::vector<TCivilDate>& Dates) {
    for (const TCivilDate Date : Dates) {
        auto* Item = new QListWidgetItem(ExceptionText(QtDate(Date)), List);
        Item->setData(Qt::UserRole, QtDate(Date));
    }
}

std::vector<TCivilDate> ListDates(const QListWidget* List) {
    std::vector<TCivilDate> Dates;
    for (int i = 0; i < List->count(); ++i)
        Dates.push_back(CivilDate(List->item(i)->data(Qt::UserRole).toDate()));
    return Dates;
}

int Row(const QListWidget* List, const QDate& Date) {
    for (int i = 0; i < List->count(); ++i)
        if (List->item(i)->data(Qt::UserRole).toDate() == Date)
            return i;
    return -1;
}

constexpr std::array<const char*, 7> WeekdayNames = {"Пн", "Вт", "Ср", "Чт", "Пт", "Сб", "Вс"};

} // namespace

QString PeriodsText(const std::vector<TWorkPeriod>& Periods) {
    QStringList Parts;
    for (const TWorkPeriod& Period : Periods)
        Parts << Clock(Period.Start) + QStringLiteral("–") + Clock(Period.End);
    return Parts.join(QStringLiteral(", "));
}

std::optional<std::vector<TWorkPeriod>> PeriodsFromText(const QString& Text) {
    static const QRegularExpression Period(
        QStringLiteral("^\\s*(\\d{1,2}):(\\d{2})\\s*[-–—]\\s*(\\d{1,2}):(\\d{2})\\s*$"));
    std::vector<TWorkPeriod> Periods;
    const QStringList Parts = Text.split(QRegularExpression(QStringLiteral("[,;]")));
    for (const QString& Part : Parts) {
        const QRegularExpressionMatch Match = Period.match(Part);
        if (!Match.hasMatch())
            return std::nullopt;
        const int h0 = Match.captured(1).toInt(), m0 = Match.captured(2).toInt();
        const int h1 = Match.captured(3).toInt(), m1 = Match.captured(4).toInt();
        if (m0 > 59 || m1 > 59 || h0 > 23 || h1 > 24 || (h1 == 24 && m1 != 0))
            return std::nullopt;
        Periods.push_back({h0 * 60 + m0, h1 * 60 + m1});
    }
    return Periods;
}

TCalendarDialog::TCalendarDialog(const std::optional<TCalendar>& Current, TDialogs& Dialogs,
                                 QWidget* Parent)
    : QDialog(Parent), Dialogs(Dialogs) {
    setWindowTitle(QStringLiteral("Календарь проекта"));
    TCalendar Shown;
    if (Current) {
        Shown = *Current;
    } else {
        const QDate Today = QDate::currentDate();
        Shown.Start = CivilDate(Today.addDays((8 - Today.dayOfWeek()) % 7));
    }

    UseCalendar = new QGroupBox(QStringLiteral("План в календарных датах"), this);
    UseCalendar->setCheckable(true);
    UseCalendar->setChecked(Current.has_value());
    auto* Form = new QFormLayout(UseCalendar);

    auto* StartRow = new QHBoxLayout;
    StartDate = new QDateEdit(QtDate(Shown.Start), UseCalendar);
    StartDate->setCalendarPopup(true);
    StartDate->setDateRange(QtDate(CalendarFirstDate), QtDate(CalendarLastDate));
    HasStartTime = new QCheckBox(QStringLiteral("с"), UseCalendar);
    HasStartTime->setChecked(Shown.StartTime.has_value());
    StartTime =
        new QTimeEdit(QTime(0, 0).addSecs(60 * Shown.StartTime.value_or(8 * 60)), UseCalendar);
    StartTime->setDisplayFormat(QStringLiteral("HH:mm"));
    StartTime->setEnabled(HasStartTime->isChecked());
    connect(HasStartTime, &QCheckBox::toggled, StartTime, &QWidget::setEnabled);
    StartRow->addWidget(StartDate);
    StartRow->addWidget(HasStartTime);
    StartRow->addWidget(StartTime);
    StartRow->addStretch();
    Form->addRow(QStringLiteral("Начало проекта:"), StartRow);

    auto* DaysRow = new QHBoxLayout;
    for (int i = 0; i < 7; ++i) {
        Weekdays[i] = new QCheckBox(QString::fromUtf8(WeekdayNames[i]), UseCalendar);
        Weekdays[i]->setChecked(Shown.WeekdayWorks(i + 1));
        DaysRow->addWidget(Weekdays[i]);
    }
    DaysRow->addStretch();
    Form->addRow(QStringLiteral("Рабочие дни недели:"), DaysRow);

    Hours = new QLineEdit(PeriodsText(Shown.Periods), UseCalendar);
    Hours->setToolTip(QStringLiteral("Промежутки рабочего времени через запятую, "
                                     "например 08:00–12:00, 13:00–17:00"));
    connect(Hours, &QLineEdit::textEdited, this, [this] { HoursEdited(); });
    Form->addRow(QStringLiteral("Рабочие часы:"), Hours);

    DayHours = new QDoubleSpinBox(UseCalendar);
    DayHours->setRange(1.0 / 60, 24);
    DayHours->setDecimals(2);
    DayHours->setSingleStep(0.5);
    DayHours->setValue(Shown.MinutesPerDay / 60.0);
    DayHours->setToolTip(QStringLiteral("Сколько рабочих часов составляет один день "
                                        "длительности работы"));
    Form->addRow(QStringLiteral("День длительности, ч:"), DayHours);

    auto* Exceptions = new QGridLayout;
    ExceptionDate = new QDateEdit(QtDate(Shown.Start), UseCalendar);
    ExceptionDate->setCalendarPopup(true);
    ExceptionDate->setDateRange(QtDate(CalendarFirstDate), QtDate(CalendarLastDate));
    AddHoliday = new QPushButton(QStringLiteral("Выходной"), UseCalendar);
    AddWorkday = new QPushButton(QStringLiteral("Рабочий"), UseCalendar);
    RemoveException = new QPushButton(QStringLiteral("Удалить"), UseCalendar);
    auto* Buttons = new QHBoxLayout;
    Buttons->addWidget(ExceptionDate);
    Buttons->addWidget(AddHoliday);
    Buttons->addWidget(AddWorkday);
    Buttons->addWidget(RemoveException);
    Buttons->addStretch();
    Holidays = new QListWidget(UseCalendar);
    Workdays = new QListWidget(UseCalendar);
    FillList(Holidays, Shown.Holidays);
    FillList(Workdays, Shown.Workdays);
    Exceptions->addLayout(Buttons, 0, 0, 1, 2);
    Exceptions->addWidget(new QLabel(QStringLiteral("Нерабочие даты:"), UseCalendar), 1, 0);
    Exceptions->addWidget(new QLabel(QStringLiteral("Рабочие даты:"), UseCalendar), 1, 1);
    Exceptions->addWidget(Holidays, 2, 0);
    Exceptions->addWidget(Workdays, 2, 1);
    Form->addRow(Exceptions);
    connect(AddHoliday, &QPushButton::clicked, this, [this] { AddException(Holidays, Workdays); });
    connect(AddWorkday, &QPushButton::clicked, this, [this] { AddException(Workdays, Holidays); });
    connect(RemoveException, &QPushButton::clicked, this, [this] { RemoveSelected(); });

    auto* Box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(Box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* Layout = new QVBoxLayout(this);
    Layout->addWidget(UseCalendar);
    Layout->addWidget(
        new QLabel(QStringLiteral("Без календаря сроки считаются номерами дней."), this));
    Layout->addWidget(Box);
}

void TCalendarDialog::HoursEdited() {
    // The day of duration follows the working hours as they are typed, as
    // long as they make sense; a plan from MS Project may keep another one
    // until the hours are changed.
    const auto Periods = PeriodsFromText(Hours->text());
    if (!Periods)
        return;
    int Minutes = 0;
    for (const TWorkPeriod& Period : *Periods)
        Minutes += std::max(0, Period.End - Period.Start);
    if (Minutes > 0)
        DayHours->setValue(Minutes / 60.0);
}

void TCalendarDialog::AddException(QListWidget* List, QListWidget* Other) {
    const QDate Date = ExceptionDate->date();
    // A date is one or the other: moving it between the lists is what the
    // planner means by clicking the other button.
    if (const int There = Row(Other, Date); There >= 0)
        delete Other->takeItem(There);
    if (Row(List, Date) >= 0)
        return;
    int At = 0;
    while (At < List->count() && List->item(At)->data(Qt::UserRole).toDate() < Date)
        ++At;
    auto* Item = new QListWidgetItem(ExceptionText(Date));
    Item->setData(Qt::UserRole, Date);
    List->insertItem(At, Item);
    List->setCurrentItem(Item);
}

void TCalendarDialog::RemoveSelected() {
    for (QListWidget* List : {Holidays, Workdays})
        for (QListWidgetItem* Item : List->selectedItems())
            delete List->takeItem(List->row(Item));
}

std::optional<TCalendar> TCalendarDialog::Calendar(std::optional<std::string_view>* Problem) const {
    if (Problem)
        *Problem = std::nullopt;
    if (!UseCalendar->isChecked())
        return std::nullopt;
    TCalendar Result;
    Result.Start = CivilDate(StartDate->date());
    if (HasStartTime->isChecked())
        Result.StartTime = StartTime->time().msecsSinceStartOfDay() / 60000;
    Result.Weekdays = 0;
    for (int i = 0; i < 7; ++i)
        if (Weekdays[i]->isChecked())
            Result.Weekdays |= static_cast<std::uint8_t>(1u << i);
    const auto Periods = PeriodsFromText(Hours->text());
    if (!Periods) {
        if (Problem)
            *Problem = Msg::CalendarBadHours;
        return std::nullopt;
    }
    Result.Periods = *Periods;
    Result.MinutesPerDay = static_cast<int>(std::lround(DayHours->value() * 60));
    Result.Holidays = ListDates(Holidays);
    Result.Workdays = ListDates(Workdays);
    NormaliseCalendar(Result);
    if (const auto Why = CalendarProblem(Result)) {
        if (Problem)
            *Problem = *Why;
        return std::nullopt;
    }
    return Result;
}

void TCalendarDialog::accept() {
    std::optional<std::string_view> Problem;
    Calendar(&Problem);
    if (Problem) {
        Dialogs.Notice(*Problem);
        return;
    }
    QDialog::accept();
}

bool EditCalendar(QWidget* Parent, const TWorkList& List, TEditHistory& History,
                  TDialogs& Dialogs) {
    TCalendarDialog Dialog(List.Calendar(), Dialogs, Parent);
    if (Dialog.exec() != QDialog::Accepted)
        return false;
    std::optional<TCalendar> Chosen = Dialog.Calendar();
    if (Chosen == List.Calendar())
        return false;
    return History.SetCalendar(std::move(Chosen));
}
