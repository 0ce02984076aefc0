#pragma once
// The dialogs of the running program: Qt message boxes over the active window,
// Qt file dialogs, and a small help window that shows the help document.

#include "ui/Dialogs.h"

#include <QPointer>
#include <QString>

#include <memory>
#include <string_view>

class QTextBrowser;
class QWidget;

// A catalogue text as a box shows it: a lone '\r' becomes a line break.
QString ShownText(std::string_view Text);

// The folder in which the file dialogs start. The schemes of the program's
// first users lived in "D:\TestBak"; that folder is used where it exists (a
// Windows machine that has it), the home folder everywhere else.
QString InitialFolder();

class TQtDialogs : public TDialogs {
public:
    // Owner is the window boxes fall back to when no window of the program is
    // active; it may be none.
    explicit TQtDialogs(QWidget* Owner = nullptr);
    ~TQtDialogs() override;

    void SetOwner(QWidget* Owner) { this->Owner = Owner; }

    void Notice(std::string_view Text) override;
    void FileError(std::string_view Text) override;
    bool Question(std::string_view Text) override;
    TAnswer AskToSave(std::string_view Text) override;
    std::optional<std::string> OpenOtherFileName(std::string_view Caption,
                                                 std::string_view Filters) override;
    std::optional<std::string> OpenFileName() override;
    std::optional<std::string> SaveFileName(const std::string& Proposed) override;
    std::optional<std::string> SaveOtherFileName(std::string_view Caption, std::string_view Filters,
                                                 const std::string& Proposed) override;
    void Error(std::string_view Text) override;
    void Plain(std::string_view Text) override;
    void ShowHelp(const std::string& Path) override;

    // The help window, none before the first ShowHelp that found its document.
    QTextBrowser* HelpWindow() const { return Help.get(); }

private:
    QWidget* BoxParent() const;

    QPointer<QWidget> Owner;
    std::unique_ptr<QTextBrowser> Help;
};
