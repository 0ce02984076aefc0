#include "ui/WorkEditForm.h"

#include "messages/ErrorStrings.h"
#include "model/Cp1251.h"
#include "model/RealText.h"
#include "ui/Dialogs.h"
#include "ui/LocaleText.h"
#include "ui/MainForm.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// An edit that receives the focus shows its whole text selected, so typing
// replaces it (the "0" of a new work, for one).
void FocusEdit(QLineEdit* Edit) {
    Edit->setFocus(Qt::OtherFocusReason);
    Edit->selectAll();
}

bool IsEnter(const QEvent* Event) {
    if (Event->type() != QEvent::KeyPress)
        return false;
    const int Key = static_cast<const QKeyEvent*>(Event)->key();
    return Key == Qt::Key_Return || Key == Qt::Key_Enter;
}

} // namespace

TWorkEditForm::TWorkEditForm(TDialogs& Dialogs, TMainForm* MainForm)
    : QDialog(MainForm), Dialogs(Dialogs) {
    setWindowTitle(QStringLiteral("Создание или изменение работы"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    setFixedSize(348, 79);
    move(203, 174);

    LabelNameWork = new QLabel(QStringLiteral("Наименование работы:"), this);
    LabelNameWork->move(0, 0);
    LabelNameWork->adjustSize();
    NameWorkEdit = new QLineEdit(this);
    NameWorkEdit->setGeometry(0, 16, 345, 21);
    LabelValEdit = new QLabel(QStringLiteral("Время работы:"), this);
    LabelValEdit->move(0, 40);
    LabelValEdit->adjustSize();
    DurationEdit = new QLineEdit(this);
    DurationEdit->setGeometry(0, 56, 121, 21);
    OkBtn = new QPushButton(QStringLiteral("Принять"), this);
    OkBtn->setGeometry(192, 46, 75, 25);
    CancelBtn = new QPushButton(QStringLiteral("Отменить"), this);
    CancelBtn->setGeometry(272, 46, 75, 25);
    DemandsBtn = new QPushButton(QStringLiteral("Ресурсы…"), this);
    DemandsBtn->setGeometry(126, 46, 62, 25);
    DemandsBtn->setToolTip(QStringLiteral("Потребности работы в ресурсах"));
    DemandsBtn->hide();

    // Enter never closes the dialog by itself: it moves from edit to edit and
    // presses only the button that has the focus.
    for (QPushButton* Button : {OkBtn, CancelBtn, DemandsBtn}) {
        Button->setAutoDefault(false);
        Button->setDefault(false);
        Button->installEventFilter(this);
    }
    setTabOrder(NameWorkEdit, DurationEdit);
    setTabOrder(DurationEdit, OkBtn);
    setTabOrder(OkBtn, CancelBtn);
    setTabOrder(CancelBtn, DemandsBtn);

    connect(NameWorkEdit, &QLineEdit::returnPressed, this, [this] { NameWorkEditKeyPress(); });
    connect(DurationEdit, &QLineEdit::returnPressed, this, [this] { DurationEditKeyPress(); });
    connect(OkBtn, &QPushButton::clicked, this, [this] { ButtonPressed(mrOk); });
    connect(CancelBtn, &QPushButton::clicked, this, [this] { ButtonPressed(mrCancel); });
    connect(DemandsBtn, &QPushButton::clicked, this, [this] {
        if (OnEditDemands && !NewWork)
            OnEditDemands(EditIndex - 1);
    });

    FormCreate(MainForm);
}

void TWorkEditForm::FormCreate(TMainForm* MainForm) {
    if (MainForm)
        OnCheckName = [MainForm](const std::string& Name, std::int32_t Index, TReal Value,
                                 std::string& Message) {
            return MainForm->IsNameTaken(Name, Index, Value, Message);
        };
}

int TWorkEditForm::Execute(std::string& Name, TReal& Duration, std::int32_t Index) {
    NameWorkEdit->setText(QString::fromStdString(Name));
    DurationEdit->setText(DurationText(Duration));
    EditIndex = Index;
    ModalResult = 0;
    const int Result = exec() == QDialog::Accepted ? mrOk : mrCancel;
    Name = NameWorkEdit->text().toStdString();
    Duration = this->Duration;
    return Result;
}

int TWorkEditForm::ExecuteNew(std::string& Name, TReal& Duration, std::int32_t Index) {
    Name.clear();
    Duration = 0;
    NewWork = true;
    const int Result = Execute(Name, Duration, Index);
    NewWork = false;
    return Result;
}

void TWorkEditForm::FormShow() {
    Accepted = false;
    DemandsBtn->setVisible(static_cast<bool>(OnEditDemands));
    DemandsBtn->setEnabled(!NewWork);
    FocusEdit(NameWorkEdit);
}

void TWorkEditForm::showEvent(QShowEvent* Event) {
    QDialog::showEvent(Event);
    FormShow();
}

void TWorkEditForm::NameWorkEditKeyPress() {
    FocusEdit(DurationEdit);
}

void TWorkEditForm::DurationEditKeyPress() {
    OkBtn->setFocus(Qt::OtherFocusReason);
}

void TWorkEditForm::OkBtnClick() {
    Accepted = false;
    const QString Name = NameWorkEdit->text();
    // A name of blanks is a name: nothing is trimmed.
    if (Name.isEmpty()) {
        Dialogs.Notice(Msg::EmptyWorkName);
        FocusEdit(NameWorkEdit);
        return;
    }
    const std::optional<TReal> Value = DurationFromText(DurationEdit->text());
    if (Value)
        Duration = *Value;
    if (!Value || !DurationAllowed(*Value)) {
        Dialogs.Notice(Msg::BadDuration);
        FocusEdit(DurationEdit);
        return;
    }
    const std::string NameText = Name.toStdString();
    // A name the scheme file cannot hold would be lost at the next save.
    if (!IsStorableName(NameText)) {
        Dialogs.Notice(Msg::NameNotStorable);
        FocusEdit(NameWorkEdit);
        return;
    }
    if (OnCheckName) {
        std::string Message;
        if (OnCheckName(NameText, EditIndex, Duration, Message)) {
            Dialogs.Notice(Message);
            return;
        }
    }
    Accepted = true;
}

bool TWorkEditForm::FormCloseQuery() const {
    return ModalResult != mrOk || Accepted;
}

void TWorkEditForm::ButtonPressed(int Result) {
    ModalResult = Result;
    if (Result == mrOk)
        OkBtnClick();
    if (!FormCloseQuery()) {
        ModalResult = 0;
        return;
    }
    done(Result == mrOk ? QDialog::Accepted : QDialog::Rejected);
}

void TWorkEditForm::keyPressEvent(QKeyEvent* Event) {
    // Escape is Cancel: the work stays as it was.
    if (Event->key() == Qt::Key_Escape && Event->modifiers() == Qt::NoModifier) {
        Event->accept();
        ButtonPressed(mrCancel);
        return;
    }
    QDialog::keyPressEvent(Event);
}

bool TWorkEditForm::eventFilter(QObject* Watched, QEvent* Event) {
    if ((Watched == OkBtn || Watched == CancelBtn || Watched == DemandsBtn) && IsEnter(Event)) {
        static_cast<QPushButton*>(Watched)->click();
        return true;
    }
    return QDialog::eventFilter(Watched, Event);
}
