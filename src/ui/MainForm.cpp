#include "ui/MainForm.h"

#include "messages/ErrorStrings.h"
#include "model/WorkList.h"
#include "ui/Dialogs.h"
#include "ui/LocaleText.h"
#include "ui/WindowFrame.h"
#include "ui/WorkEditForm.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTableWidget>

#include <algorithm>

namespace {

constexpr int NameColumn = 0;
constexpr int DurationColumn = 1;

} // namespace

TMainForm::TMainForm(TWorkList& List, TDialogs& Dialogs, std::int32_t& PathSign)
    : List(List), Dialogs(Dialogs), PathSign(PathSign) {
    setWindowTitle(QStringLiteral("KORVANT — сетевой график работ"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    // Beside the program in the build tree, under share/korvant where it is
    // installed.
    const QString Dir = QCoreApplication::applicationDirPath();
    HelpFile = Dir + QStringLiteral("/korvant-help.html");
    const QString Installed = Dir + QStringLiteral("/../share/korvant/korvant-help.html");
    if (!QFileInfo::exists(HelpFile) && QFileInfo::exists(Installed))
        HelpFile = QFileInfo(Installed).canonicalFilePath();

    auto* Client = new QWidget(this);
    setCentralWidget(Client);
    WorksEditor = new QTableWidget(1, 2, Client);
    WorksEditor->setGeometry(0, 0, 500, 425);
    WorksEditor->setHorizontalHeaderLabels(
        {QStringLiteral("Наименование работы"), QStringLiteral("Длительность работы")});
    WorksEditor->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    WorksEditor->horizontalHeader()->setStretchLastSection(false);
    WorksEditor->horizontalHeader()->setHighlightSections(false);
    WorksEditor->setColumnWidth(NameColumn, 364);
    WorksEditor->setColumnWidth(DurationColumn, 130);
    WorksEditor->verticalHeader()->hide();
    WorksEditor->verticalHeader()->setDefaultSectionSize(18);
    WorksEditor->setShowGrid(true);
    WorksEditor->setSelectionBehavior(QAbstractItemView::SelectRows);
    WorksEditor->setSelectionMode(QAbstractItemView::SingleSelection);
    WorksEditor->setEditTriggers(QAbstractItemView::NoEditTriggers);
    const QString Hint =
        QStringLiteral("Список работ, двойной щелчок позволит редактировать работу");
    WorksEditor->setToolTip(Hint);
    WorksEditor->viewport()->setToolTip(Hint);
    WorksEditor->installEventFilter(this);
    WorksEditor->viewport()->installEventFilter(this);
    EmptyGrid();

    CreateMenus();

    // Outer 508 x 480 at (173, 168): the width is fixed, the height at least 120.
    const QSize Client0 = ClientSizeOf(508, 480);
    setFixedWidth(Client0.width());
    setMinimumHeight(ClientSizeOf(508, 120).height());
    resize(Client0);
    move(173, 168);
}

TMainForm::~TMainForm() = default;

void TMainForm::CreateMenus() {
    QMenuBar* MainMenu1 = menuBar();
    const auto Item = [this](QMenu* Menu, const QString& Caption, const QKeySequence& Shortcut,
                             void (TMainForm::*Handler)()) {
        QAction* Action = Menu->addAction(Caption);
        Action->setShortcut(Shortcut);
        connect(Action, &QAction::triggered, this, [this, Handler] { (this->*Handler)(); });
        return Action;
    };

    FileMenu = MainMenu1->addMenu(QStringLiteral("Файл"));
    N4 = Item(FileMenu, QStringLiteral("Новый"), QKeySequence(QStringLiteral("Ctrl+N")),
              &TMainForm::N4Click);
    FileSaveMenu = Item(FileMenu, QStringLiteral("Сохранить"),
                        QKeySequence(QStringLiteral("Ctrl+S")), &TMainForm::FileSaveMenuClick);
    FileLoadMenu = Item(FileMenu, QStringLiteral("Загрузить"),
                        QKeySequence(QStringLiteral("Ctrl+L")), &TMainForm::FileLoadMenuClick);
    ExitMenu = Item(FileMenu, QStringLiteral("Выход"), QKeySequence(QStringLiteral("Ctrl+E")),
                    &TMainForm::ExitMenuClick);

    DataMenu = MainMenu1->addMenu(QStringLiteral("Данные"));
    AddWorkBtn = Item(DataMenu, QStringLiteral("Добавить работу"),
                      QKeySequence(QStringLiteral("Ctrl+A")), &TMainForm::AddWorkBtnClick);
    DependenceBtn = Item(DataMenu, QStringLiteral("Ввести зависимости"),
                         QKeySequence(QStringLiteral("Ctrl+R")), &TMainForm::DependenceBtnClick);
    N3 = Item(DataMenu, QStringLiteral("Просмотреть график"),
              QKeySequence(QStringLiteral("Ctrl+G")), &TMainForm::N3Click);

    // The debug menu is never shown; its command is reached by Ctrl+D alone,
    // which works because the action belongs to the window as well.
    N5 = MainMenu1->addMenu(QStringLiteral("Отладка"));
    N6 = Item(N5, QStringLiteral("Граф"), QKeySequence(QStringLiteral("Ctrl+D")),
              &TMainForm::N6Click);
    N5->menuAction()->setVisible(false);
    addAction(N6);

    OptionsMenu = MainMenu1->addMenu(QStringLiteral("Доп. опции"));
    CrtFastPathMenu = OptionsMenu->addAction(QStringLiteral("Критический путь/Кратчайший путь"));
    CrtFastPathMenu->setCheckable(true);
    CrtFastPathMenu->setChecked(true);
    connect(CrtFastPathMenu, &QAction::triggered, this, [this] { CrtFastPathMenuClick(); });

    HelpMenu = MainMenu1->addMenu(QStringLiteral("Справка"));
    N9 = HelpMenu->addAction(QStringLiteral("Инструкции по применению"));
    connect(N9, &QAction::triggered, this, [this] { N9Click(); });
}

int TMainForm::RowCount() const {
    return WorksEditor->rowCount() + 1;
}

QString TMainForm::Cell(int Column, int Row) const {
    const QTableWidgetItem* Item = WorksEditor->item(Row - 1, Column);
    return Item ? Item->text() : QString();
}

void TMainForm::SetCell(int Column, int Row, const QString& Text) {
    WorksEditor->setItem(Row - 1, Column, new QTableWidgetItem(Text));
}

void TMainForm::AppendRow(const QString& Name, const QString& Duration) {
    // The first work takes the place of the blank row.
    if (FilledRows > 0)
        WorksEditor->insertRow(WorksEditor->rowCount());
    ++FilledRows;
    SetCell(NameColumn, FilledRows, Name);
    SetCell(DurationColumn, FilledRows, Duration);
}

void TMainForm::EmptyGrid() {
    WorksEditor->clearContents();
    WorksEditor->setRowCount(1);
    FilledRows = 0;
    SetCell(NameColumn, 1, QString());
    SetCell(DurationColumn, 1, QString());
    WorksEditor->setCurrentCell(0, NameColumn);
}

void TMainForm::FillGrid() {
    for (int i = 0; i < List.Count(); ++i) {
        const TWorkData& Work = List.GetWork(i);
        AppendRow(QString::fromStdString(Work.Name), DurationText(Work.Duration));
    }
}

bool TMainForm::IsNameTaken(const std::string& Name, std::int32_t Index, TReal,
                            std::string& Message) const {
    Message = Msg::NamesNotUnique;
    const int R = RowCount();
    for (int Row = 1; Row < R; ++Row) {
        if (Index < R && Row == Index)
            continue;
        if (Cell(NameColumn, Row).toStdString() == Name)
            return true;
    }
    return false;
}

void TMainForm::AddWorkBtnClick() {
    if (!WorkEditor)
        return;
    std::string Name;
    TReal Duration = 0;
    if (WorkEditor->ExecuteNew(Name, Duration, RowCount()) != mrOk)
        return;
    AppendRow(QString::fromStdString(Name), DurationText(Duration));
    List.AddWork(TWorkData{Name, Duration, {}}, true);
}

void TMainForm::WorksEditorDblClick() {
    const int Row = std::max(WorksEditor->currentRow(), 0) + 1;
    if (Cell(NameColumn, Row).isEmpty()) {
        AddWorkBtnClick();
        return;
    }
    if (!WorkEditor)
        return;
    std::string Name = Cell(NameColumn, Row).toStdString();
    // The text shows what the user sees; a duration that has no decimal text
    // (a damaged file's infinity) is taken from the work itself, and the
    // editor then refuses it until a number is typed.
    TReal Duration =
        DurationFromText(Cell(DurationColumn, Row)).value_or(List.GetWork(Row - 1).Duration);
    if (WorkEditor->Execute(Name, Duration, Row) != mrOk)
        return;
    SetCell(NameColumn, Row, QString::fromStdString(Name));
    SetCell(DurationColumn, Row, DurationText(Duration));
    TWorkData& Work = List.GetWork(Row - 1);
    Work.Name = Name;
    Work.Duration = Duration;
    List.Changed(Row - 1, ckWork);
}

void TMainForm::WorksEditorKeyUp(int) {
    // Works cannot be deleted one by one; no key changes the list.
}

void TMainForm::ShowWindow(QWidget* Window) {
    if (!Window)
        return;
    Window->show();
    Window->raise();
    Window->activateWindow();
    Window->setFocus(Qt::OtherFocusReason);
}

void TMainForm::DependenceBtnClick() {
    if (!HoldsWorks()) {
        Dialogs.Notice(Msg::NoWorksForTable);
        return;
    }
    ShowWindow(WorksTable);
}

void TMainForm::N3Click() {
    if (!HoldsWorks()) {
        Dialogs.Notice(Msg::NoWorksForDiagram);
        return;
    }
    ShowWindow(CircuitForm);
}

void TMainForm::N6Click() {
    ShowWindow(DebugForm);
}

void TMainForm::CrtFastPathMenuClick() {
    // The action has toggled its check mark already.
    PathSign = CrtFastPathMenu->isChecked() ? -1 : +1;
    List.Changed(0, ckPathMode);
}

void TMainForm::N9Click() {
    Dialogs.ShowHelp(HelpFile.toStdString());
}

void TMainForm::FileSaveMenuClick() {
    if (!HoldsWorks()) {
        Dialogs.Notice(Msg::NothingToSave);
        return;
    }
    const std::optional<std::string> Chosen = Dialogs.SaveFileName(SaveName);
    if (!Chosen)
        return;
    SaveName = *Chosen;
    List.SaveToFile(*Chosen);
}

void TMainForm::N4Click() {
    if (HoldsWorks() && List.Modified && Dialogs.Question(Msg::SaveBeforeNew))
        FileSaveMenuClick();
    EmptyGrid();
    List.Clear();
    SaveName.clear();
}

void TMainForm::FileLoadMenuClick() {
    if (HoldsWorks() && List.Modified && Dialogs.Question(Msg::SaveBeforeExit))
        FileSaveMenuClick();
    const std::optional<std::string> Chosen = Dialogs.OpenFileName();
    if (!Chosen)
        return;
    LoadScheme(*Chosen);
}

void TMainForm::LoadScheme(const std::string& FileName) {
    EmptyGrid();
    SaveName = FileName;
    try {
        List.LoadFromFile(FileName);
    } catch (...) {
        // A fault in a window's rebuild comes after the works were read: the
        // grid must still show them, or its rows and the works' positions
        // would part company.
        FillGrid();
        List.Modified = false;
        throw;
    }
    FillGrid();
    List.Modified = false;
}

void TMainForm::ExitMenuClick() {
    close();
}

void TMainForm::FormCloseQuery() {
    // Closing is always allowed; a cancelled or failed save does not stop it.
    if (HoldsWorks() && List.Modified && Dialogs.Question(Msg::SaveBeforeExit))
        FileSaveMenuClick();
}

void TMainForm::closeEvent(QCloseEvent* Event) {
    FormCloseQuery();
    Event->accept();
    emit Closed();
}

void TMainForm::FormResize() {
    WorksEditor->resize(WorksEditor->width(), centralWidget()->height() - 1);
}

void TMainForm::resizeEvent(QResizeEvent* Event) {
    QMainWindow::resizeEvent(Event);
    FormResize();
}

bool TMainForm::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched == WorksEditor->viewport() && Event->type() == QEvent::MouseButtonDblClick) {
        WorksEditorDblClick();
        return true;
    }
    if (Watched == WorksEditor && Event->type() == QEvent::KeyRelease)
        WorksEditorKeyUp(static_cast<QKeyEvent*>(Event)->key());
    return QMainWindow::eventFilter(Watched, Event);
}
