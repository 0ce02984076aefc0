#pragma once
// Everything the windows show in boxes of their own or ask through standard
// dialogs: notices, file errors and questions (through TMessenger, which the
// model uses too), the file dialogs, the top-level fault box, a plain box and
// the help window. The program answers with Qt's dialogs (TQtDialogs); tests
// answer from a script and record what was shown.
//
// Texts are UTF-8; a lone '\r' in a text is a line break.

#include "model/Messenger.h"

#include <optional>
#include <string>
#include <string_view>

enum class TAnswer { Yes, No, Cancel };

class TDialogs : public TMessenger {
public:
    // The question about unsaved changes, with a third answer, Cancel, that
    // leaves everything as it was.
    virtual TAnswer AskToSave(std::string_view Text) {
        return Question(Text) ? TAnswer::Yes : TAnswer::No;
    }
    // The file name chosen in the open dialog, or nothing when it was
    // cancelled. The name need not exist: loading it then fails as a read.
    virtual std::optional<std::string> OpenFileName() = 0;
    // The file name chosen in the save dialog, which starts with Proposed
    // (empty: no name), or nothing when it was cancelled. An existing file is
    // replaced without a question.
    virtual std::optional<std::string> SaveFileName(const std::string& Proposed) = 0;
    // A save dialog for files other than schemes: Filters lists the choices
    // as Qt writes them ("Рисунок PNG (*.png);;…"); the suffix of the chosen
    // filter is added to a name without one. Nothing when cancelled (and
    // where no dialog can be shown).
    virtual std::optional<std::string> SaveOtherFileName(std::string_view /*Caption*/,
                                                         std::string_view /*Filters*/,
                                                         const std::string& /*Proposed*/) {
        return std::nullopt;
    }
    // An open dialog for files other than schemes, with Filters as above.
    // Nothing when cancelled (and where no dialog can be shown).
    virtual std::optional<std::string> OpenOtherFileName(std::string_view /*Caption*/,
                                                         std::string_view /*Filters*/) {
        return std::nullopt;
    }
    // The box of the top-level fault handler: an internal fault that ended
    // the operation in progress.
    virtual void Error(std::string_view Text) = 0;
    // A box with the text alone and an OK button.
    virtual void Plain(std::string_view Text) = 0;
    // Opens the help document; a missing document is reported in an error
    // box.
    virtual void ShowHelp(const std::string& Path) = 0;
};
