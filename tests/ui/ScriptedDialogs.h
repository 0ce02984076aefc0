#pragma once
// The dialogs of the tests: questions are answered and file dialogs are
// "filled in" from queues the test prepares, and everything shown is recorded
// in order with its kind and text. A question or a file dialog the test did
// not expect fails the test.

#include "ui/Dialogs.h"

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <string>
#include <vector>

enum class TShownKind { Notice, FileError, Question, Error, Plain, Help, OpenDialog, SaveDialog };

struct TShown {
    TShownKind Kind;
    // The box's text; for the save dialog the proposed name, for help the path.
    std::string Text;
    bool operator==(const TShown&) const = default;
};

inline std::ostream& operator<<(std::ostream& Out, const TShown& Shown) {
    static const char* const Names[] = {"Notice", "FileError", "Question",   "Error",
                                        "Plain",  "Help",      "OpenDialog", "SaveDialog"};
    return Out << Names[static_cast<int>(Shown.Kind)] << "(\"" << Shown.Text << "\")";
}

// An answer to a question: true is Yes, false No; the question about unsaved
// changes takes Cancel as well.
struct TReply {
    TAnswer Answer;
    TReply(bool Yes) : Answer(Yes ? TAnswer::Yes : TAnswer::No) {}
    TReply(TAnswer Answer) : Answer(Answer) {}
};

class TScriptedDialogs : public TDialogs {
public:
    std::vector<TShown> Shown;
    // Answers to questions, front first.
    std::deque<TReply> Answers;
    // Names chosen in the open and save dialogs, front first; none = Cancel.
    std::deque<std::optional<std::string>> OpenNames;
    std::deque<std::optional<std::string>> SaveNames;

    void Notice(std::string_view Text) override { Record(TShownKind::Notice, Text); }
    void FileError(std::string_view Text) override { Record(TShownKind::FileError, Text); }
    bool Question(std::string_view Text) override {
        const TAnswer Answer = AskToSave(Text);
        EXPECT_NE(Answer, TAnswer::Cancel) << "a question without Cancel: " << Text;
        return Answer == TAnswer::Yes;
    }
    TAnswer AskToSave(std::string_view Text) override {
        Record(TShownKind::Question, Text);
        if (Answers.empty()) {
            ADD_FAILURE() << "unexpected question: " << Text;
            return TAnswer::Cancel;
        }
        const TAnswer Answer = Answers.front().Answer;
        Answers.pop_front();
        return Answer;
    }
    std::optional<std::string> OpenFileName() override {
        Record(TShownKind::OpenDialog, "");
        return Next(OpenNames, "open");
    }
    std::optional<std::string> SaveFileName(const std::string& Proposed) override {
        Record(TShownKind::SaveDialog, Proposed);
        return Next(SaveNames, "save");
    }
    std::optional<std::string> OpenOtherFileName(std::string_view, std::string_view) override {
        Record(TShownKind::OpenDialog, "");
        return Next(OpenNames, "open");
    }
    std::optional<std::string> SaveOtherFileName(std::string_view, std::string_view,
                                                 const std::string& Proposed) override {
        Record(TShownKind::SaveDialog, Proposed);
        return Next(SaveNames, "save");
    }
    void Error(std::string_view Text) override { Record(TShownKind::Error, Text); }
    void Plain(std::string_view Text) override { Record(TShownKind::Plain, Text); }
    void ShowHelp(const std::string& Path) override { Record(TShownKind::Help, Path); }

    // The texts shown with that kind, in order.
    std::vector<std::string> Texts(TShownKind Kind) const {
        std::vector<std::string> Result;
        for (const TShown& Entry : Shown)
            if (Entry.Kind == Kind)
                Result.push_back(Entry.Text);
        return Result;
    }

private:
    void Record(TShownKind Kind, std::string_view Text) {
        Shown.push_back(TShown{Kind, std::string(Text)});
    }
    static std::optional<std::string> Next(std::deque<std::optional<std::string>>& Queue,
                                           const char* Dialog) {
        if (Queue.empty()) {
            ADD_FAILURE() << "unexpected " << Dialog << " dialog";
            return std::nullopt;
        }
        std::optional<std::string> Name = Queue.front();
        Queue.pop_front();
        return Name;
    }
};
