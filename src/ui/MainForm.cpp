#include "ui/MainForm.h"

#include "exchange/Exchange.h"
#include "messages/ErrorStrings.h"
#include "model/SchemeFile.h"
#include "model/WorkList.h"
#include "ui/About.h"
#include "ui/Dialogs.h"
#include "ui/LocaleText.h"
#include "ui/RecentFiles.h"
#include "ui/WindowFrame.h"
#include "ui/WorkEditForm.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
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
    : History(List), List(List), Dialogs(Dialogs), PathSign(PathSign) {
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
    connect(WorksEditor, &QTableWidget::currentCellChanged, this,
            [this] { emit WorkSelected(SelectedWork()); });

    CreateMenus();
    List.AddListener(
        [this](TWorkList&, std::int32_t Index, std::int32_t Kind) { ListChanged(Index, Kind); });
    connect(&History, &TEditHistory::ModifiedChanged, this, &TMainForm::UpdateTitle);
    UpdateTitle();

    // Outer 508 x 480 at (173, 168): the width is fixed, the height at least 120.
    const QSize Client0 = ClientSizeOf(508, 480);
    setFixedWidth(Client0.width());
    setMinimumHeight(ClientSizeOf(508, 120).height());
    resize(Client0);
    move(173, 168);
}

TMainForm::~TMainForm() = default;

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

void TMainForm::EmptyGrid() {
    WorksEditor->clearContents();
    WorksEditor->setRowCount(1);
    FilledRows = 0;
    SetCell(NameColumn, 1, QString());
    SetCell(DurationColumn, 1, QString());
    WorksEditor->setCurrentCell(0, NameColumn);
}

void TMainForm::SyncGrid() {
    const int n = List.Count();
    if (n == 0) {
        if (FilledRows > 0)
            EmptyGrid();
        return;
    }
    WorksEditor->setRowCount(n);
    FilledRows = n;
    // Only the rows that differ are set again: an edit touches one or two.
    for (int i = 0; i < n; ++i) {
        const TWorkData& Work = List.GetWork(i);
        const QString Name = QString::fromStdString(Work.Name);
        const QString Duration = DurationText(Work.Duration);
        if (Cell(NameColumn, i + 1) != Name || !WorksEditor->item(i, NameColumn))
            SetCell(NameColumn, i + 1, Name);
        if (Cell(DurationColumn, i + 1) != Duration || !WorksEditor->item(i, DurationColumn))
            SetCell(DurationColumn, i + 1, Duration);
    }
}

void TMainForm::ListChanged(int Index, int Kind) {
    if (Kind != ckPathMode)
        SyncGrid();
    if (Kind == ckAdd || Kind == ckWork || Kind == ckInsert || Kind == ckMove || Kind == ckDelete)
        SelectRow(Index);
    UpdateTitle();
}

void TMainForm::SelectRow(int Index) {
    if (FilledRows == 0)
        return;
    WorksEditor->setCurrentCell(std::clamp(Index, 0, FilledRows - 1), NameColumn);
}

int TMainForm::SelectedWork() const {
    if (FilledRows == 0)
        return -1;
    return std::clamp(WorksEditor->currentRow(), 0, FilledRows - 1);
}

void TMainForm::UpdateTitle() {
    const QString Name = SchemeFile.empty()
                             ? QStringLiteral("Новая схема")
                             : QFileInfo(QString::fromStdString(SchemeFile)).fileName();
    setWindowTitle(Name + QStringLiteral("[*] — KORVANT"));
    // The other windows name the scheme by it (the printed title block).
    setWindowFilePath(QString::fromStdString(SchemeFile));
    setWindowModified(List.Modified);
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

bool TMainForm::RoomForAWork() {
    // A scheme the file cannot hold would be saved, but never opened again.
    if (List.Count() < MaxWorks)
        return true;
    Dialogs.Notice(std::string(Msg::WorkLimitReached) + ": " + std::to_string(MaxWorks));
    return false;
}

void TMainForm::AddWorkBtnClick() {
    if (!WorkEditor || !RoomForAWork())
        return;
    std::string Name;
    TReal Duration = 0;
    if (WorkEditor->ExecuteNew(Name, Duration, RowCount()) != mrOk)
        return;
    History.AddWork(Name, Duration);
}

void TMainForm::InsertWorkClick() {
    const int Index = SelectedWork();
    if (Index < 0 || !WorkEditor) {
        AddWorkBtnClick();
        return;
    }
    if (!RoomForAWork())
        return;
    std::string Name;
    TReal Duration = 0;
    if (WorkEditor->ExecuteNew(Name, Duration, RowCount()) != mrOk)
        return;
    History.InsertWork(Index, Name, Duration);
}

void TMainForm::DeleteWorkClick() {
    const int Index = SelectedWork();
    if (Index >= 0)
        History.DeleteWork(Index);
}

void TMainForm::MoveWorkClick(int Step) {
    const int From = SelectedWork();
    const int To = From + Step;
    if (From < 0 || To < 0 || To >= List.Count())
        return;
    History.MoveWork(From, To);
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
    History.EditWork(Row - 1, Name, Duration);
}

void TMainForm::WorksEditorKeyUp(int) {
    // The keys that change the list (Delete, Insert, Ctrl+Up, Ctrl+Down) are
    // the shortcuts of the "Данные" menu.
}

void TMainForm::ShowWindow(QWidget* Window) {
    if (!Window)
        return;
    Window->show();
    KeepOnScreen(*Window);
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

void TMainForm::WorksArcsClick() {
    if (!HoldsWorks()) {
        Dialogs.Notice(Msg::NoWorksForDiagram);
        return;
    }
    ShowWindow(WorksArcs);
}

void TMainForm::GanttClick() {
    if (!HoldsWorks()) {
        Dialogs.Notice(Msg::NoWorksForDiagram);
        return;
    }
    ShowWindow(Gantt);
}

void TMainForm::AboutClick() {
    Dialogs.Plain(AboutText());
}

void TMainForm::N6Click() {
    ShowWindow(DebugForm);
}

void TMainForm::CrtFastPathMenuClick() {
    // The action has toggled its check mark already; undo sets it back.
    History.SwitchPath(CrtFastPathMenu->isChecked(), [this](bool Critical) {
        CrtFastPathMenu->setChecked(Critical);
        PathSign = Critical ? -1 : +1;
        List.Changed(0, ckPathMode);
    });
}

void TMainForm::N9Click() {
    Dialogs.ShowHelp(HelpFile.toStdString());
}

bool TMainForm::FileSaveMenuClick() {
    if (SchemeFile.empty() || !HoldsWorks())
        return FileSaveAsMenuClick();
    return SaveTo(SchemeFile);
}

bool TMainForm::FileSaveAsMenuClick() {
    if (!HoldsWorks()) {
        Dialogs.Notice(Msg::NothingToSave);
        return false;
    }
    const std::optional<std::string> Chosen = Dialogs.SaveFileName(SaveName);
    if (!Chosen)
        return false;
    SaveName = *Chosen;
    return SaveTo(*Chosen);
}

bool TMainForm::SaveTo(const std::string& FileName) {
    if (!List.SaveToFile(FileName))
        return false;
    SchemeFile = FileName;
    Recent->Add(QString::fromStdString(FileName));
    History.MarkSaved();
    UpdateTitle();
    return true;
}

bool TMainForm::FormCloseQuery(std::string_view Question) {
    if (!HoldsWorks() || !List.Modified)
        return true;
    switch (Dialogs.AskToSave(Question)) {
    case TAnswer::Yes:
        // A cancelled or failed save keeps the scheme.
        return FileSaveMenuClick();
    case TAnswer::No:
        return true;
    case TAnswer::Cancel:
        break;
    }
    return false;
}

void TMainForm::N4Click() {
    if (!FormCloseQuery(Msg::SaveBeforeNew))
        return;
    emit SchemeReplaced();
    List.Clear();
    SaveName.clear();
    SchemeFile.clear();
    History.Reset();
}

void TMainForm::FileLoadMenuClick() {
    if (!FormCloseQuery(Msg::SaveBeforeLoad))
        return;
    const std::optional<std::string> Chosen = Dialogs.OpenFileName();
    if (!Chosen)
        return;
    LoadScheme(*Chosen);
}

void TMainForm::OpenRecent(const std::string& FileName) {
    if (FormCloseQuery(Msg::SaveBeforeLoad))
        LoadScheme(FileName);
}

void TMainForm::LoadScheme(const std::string& FileName) {
    emit SchemeReplaced();
    SaveName = FileName;
    SchemeFile = FileName;
    // Nothing read from the file can be undone: the history starts here.
    bool Read = false;
    try {
        Read = List.LoadFromFile(FileName);
    } catch (...) {
        // A fault in a window's rebuild comes after the works were read: the
        // grid must still show them, or its rows and the works' positions
        // would part company.
        SyncGrid();
        History.Reset();
        throw;
    }
    // A file that could not be read is not the scheme's own: "Сохранить"
    // asks where to write what the user makes next.
    if (Read)
        Recent->Add(QString::fromStdString(FileName));
    else
        SchemeFile.clear();
    SyncGrid();
    History.Reset();
}

namespace {

constexpr std::string_view ImportFilters =
    "Планы (*.xml *.csv *.sm *.kcrct);;MS Project XML (*.xml);;CSV (*.csv);;PSPLIB (*.sm);;"
    "Схемы KORVANT (*.kcrct);;Все файлы (*)";
constexpr std::string_view ExportFilters =
    "MS Project XML (*.xml);;CSV (*.csv);;Схема KORVANT (*.kcrct)";

// Path with its suffix, if any, replaced by Suffix (".kcrct").
std::string WithSuffix(const std::string& Path, const char* Suffix) {
    const QFileInfo Info(QString::fromStdString(Path));
    return (Info.dir().filePath(Info.completeBaseName()) + QLatin1String(Suffix)).toStdString();
}

} // namespace

void TMainForm::ImportClick() {
    if (!FormCloseQuery(Msg::SaveBeforeLoad))
        return;
    const std::optional<std::string> Chosen =
        Dialogs.OpenOtherFileName("Импорт плана", ImportFilters);
    if (!Chosen)
        return;
    // The plan is read whole before the scheme is touched: a file that fails
    // leaves the scheme as it was.
    std::string Error;
    std::optional<TPlan> Plan = ReadPlan(*Chosen, PlanFormatOf(*Chosen), Error);
    if (!Plan) {
        Dialogs.FileError(std::string(Msg::ReadError) + "\r" + Error);
        return;
    }
    const std::vector<std::string> Warnings = std::move(Plan->Warnings);
    // Not a scheme file yet: saving proposes one beside the plan.
    SaveName = WithSuffix(*Chosen, ".kcrct");
    SchemeFile.clear();
    emit SchemeReplaced();
    try {
        FillWorkList(List, std::move(*Plan));
    } catch (...) {
        SyncGrid();
        History.Reset(false);
        throw;
    }
    SyncGrid();
    History.Reset(false);
    if (!Warnings.empty()) {
        std::string Text(Msg::ImportChanges);
        for (const std::string& Line : Warnings)
            Text += "\r" + Line;
        Dialogs.Notice(Text);
    }
}

void TMainForm::ExportClick() {
    if (!HoldsWorks()) {
        Dialogs.Notice(Msg::NothingToSave);
        return;
    }
    const std::string Proposed = SaveName.empty() ? std::string() : WithSuffix(SaveName, ".xml");
    const std::optional<std::string> Chosen =
        Dialogs.SaveOtherFileName("Экспорт плана", ExportFilters, Proposed);
    if (!Chosen)
        return;
    std::string Error;
    if (!WritePlan(List, *Chosen, PlanFormatOf(*Chosen), Error))
        Dialogs.FileError(std::string(Msg::WriteError) + "\r" + Error);
}

void TMainForm::ExitMenuClick() {
    close();
}

void TMainForm::closeEvent(QCloseEvent* Event) {
    // Cancel, or a save that was cancelled or failed, keeps the program open.
    if (!FormCloseQuery(Msg::SaveBeforeExit)) {
        Event->ignore();
        return;
    }
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
