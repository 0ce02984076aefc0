// The main window's menus: every command with its caption and shortcut, and
// the undo and redo captions that follow the history.

#include "ui/MainForm.h"

#include "model/WorkList.h"
#include "ui/CalendarDialog.h"
#include "ui/Dialogs.h"
#include "ui/RecentFiles.h"
#include "ui/ResourcesDialog.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

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
    FileSaveMenu = FileMenu->addAction(QStringLiteral("Сохранить"));
    FileSaveMenu->setShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
    connect(FileSaveMenu, &QAction::triggered, this, [this] { FileSaveMenuClick(); });
    FileSaveAsMenu = FileMenu->addAction(QStringLiteral("Сохранить как…"));
    FileSaveAsMenu->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+S")));
    connect(FileSaveAsMenu, &QAction::triggered, this, [this] { FileSaveAsMenuClick(); });
    FileLoadMenu = Item(FileMenu, QStringLiteral("Загрузить"),
                        QKeySequence(QStringLiteral("Ctrl+L")), &TMainForm::FileLoadMenuClick);
    FileLoadMenu->setShortcuts({QKeySequence(QStringLiteral("Ctrl+L")), QKeySequence::Open});
    RecentMenu = FileMenu->addMenu(QStringLiteral("Последние схемы"));
    Recent = new TRecentFiles(*RecentMenu, this);
    connect(Recent, &TRecentFiles::Chosen, this,
            [this](const QString& Name) { OpenRecent(Name.toStdString()); });
    ImportMenu = Item(FileMenu, QStringLiteral("Импорт…"), QKeySequence(), &TMainForm::ImportClick);
    ExportMenu =
        Item(FileMenu, QStringLiteral("Экспорт…"), QKeySequence(), &TMainForm::ExportClick);
    ExitMenu = Item(FileMenu, QStringLiteral("Выход"), QKeySequence(QStringLiteral("Ctrl+E")),
                    &TMainForm::ExitMenuClick);
    ExitMenu->setShortcuts(
        {QKeySequence(QStringLiteral("Ctrl+E")), QKeySequence(QStringLiteral("Ctrl+Q"))});

    // Undo and redo name what they would take back or do again.
    EditMenu = MainMenu1->addMenu(QStringLiteral("Правка"));
    UndoAction = EditMenu->addAction(QStringLiteral("Отменить"));
    UndoAction->setShortcut(QKeySequence(QStringLiteral("Ctrl+Z")));
    RedoAction = EditMenu->addAction(QStringLiteral("Вернуть"));
    RedoAction->setShortcuts(
        {QKeySequence(QStringLiteral("Ctrl+Y")), QKeySequence(QStringLiteral("Ctrl+Shift+Z"))});
    UndoAction->setEnabled(false);
    RedoAction->setEnabled(false);
    connect(UndoAction, &QAction::triggered, &History.Stack, &QUndoStack::undo);
    connect(RedoAction, &QAction::triggered, &History.Stack, &QUndoStack::redo);
    connect(&History.Stack, &QUndoStack::canUndoChanged, UndoAction, &QAction::setEnabled);
    connect(&History.Stack, &QUndoStack::canRedoChanged, RedoAction, &QAction::setEnabled);
    connect(&History.Stack, &QUndoStack::undoTextChanged, UndoAction, [this](const QString& Text) {
        UndoAction->setText(Text.isEmpty() ? QStringLiteral("Отменить")
                                           : QStringLiteral("Отменить: ") + Text);
    });
    connect(&History.Stack, &QUndoStack::redoTextChanged, RedoAction, [this](const QString& Text) {
        RedoAction->setText(Text.isEmpty() ? QStringLiteral("Вернуть")
                                           : QStringLiteral("Вернуть: ") + Text);
    });

    DataMenu = MainMenu1->addMenu(QStringLiteral("Данные"));
    AddWorkBtn = Item(DataMenu, QStringLiteral("Добавить работу"),
                      QKeySequence(QStringLiteral("Ctrl+A")), &TMainForm::AddWorkBtnClick);
    InsertWorkBtn = Item(DataMenu, QStringLiteral("Вставить работу"), QKeySequence(Qt::Key_Insert),
                         &TMainForm::InsertWorkClick);
    DeleteWorkBtn = Item(DataMenu, QStringLiteral("Удалить работу"), QKeySequence(Qt::Key_Delete),
                         &TMainForm::DeleteWorkClick);
    MoveUpBtn = DataMenu->addAction(QStringLiteral("Выше"));
    MoveUpBtn->setShortcut(QKeySequence(QStringLiteral("Ctrl+Up")));
    connect(MoveUpBtn, &QAction::triggered, this, [this] { MoveWorkClick(-1); });
    MoveDownBtn = DataMenu->addAction(QStringLiteral("Ниже"));
    MoveDownBtn->setShortcut(QKeySequence(QStringLiteral("Ctrl+Down")));
    connect(MoveDownBtn, &QAction::triggered, this, [this] { MoveWorkClick(+1); });
    DataMenu->addSeparator();
    DependenceBtn = Item(DataMenu, QStringLiteral("Ввести зависимости"),
                         QKeySequence(QStringLiteral("Ctrl+R")), &TMainForm::DependenceBtnClick);
    N3 = Item(DataMenu, QStringLiteral("Просмотреть график"),
              QKeySequence(QStringLiteral("Ctrl+G")), &TMainForm::N3Click);
    WorksArcsMenu = Item(DataMenu, QStringLiteral("Таблица «Работы-Дуги»"),
                         QKeySequence(Qt::Key_F5), &TMainForm::WorksArcsClick);
    GanttMenu = Item(DataMenu, QStringLiteral("Диаграмма Ганта"),
                     QKeySequence(QStringLiteral("Ctrl+T")), &TMainForm::GanttClick);
    DataMenu->addSeparator();
    CalendarMenu = DataMenu->addAction(QStringLiteral("Календарь проекта…"));
    connect(CalendarMenu, &QAction::triggered, this,
            [this] { EditCalendar(this, List, History, Dialogs); });
    ResourcesMenu = DataMenu->addAction(QStringLiteral("Ресурсы…"));
    connect(ResourcesMenu, &QAction::triggered, this,
            [this] { TResourcesDialog(List, History, Dialogs, this).Execute(); });
    DemandsMenu = DataMenu->addAction(QStringLiteral("Потребности в ресурсах"));
    connect(DemandsMenu, &QAction::triggered, this, [this] { ShowWindow(DemandsTable); });
    LevelMenu = DataMenu->addAction(QStringLiteral("Выровнять по ресурсам"));
    connect(LevelMenu, &QAction::triggered, this, &TMainForm::LevelAsked);

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
    AboutMenu = HelpMenu->addAction(QStringLiteral("О программе"));
    connect(AboutMenu, &QAction::triggered, this, [this] { AboutClick(); });
}
