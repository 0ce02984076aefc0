#pragma once
// How the model and the windows tell the user something. The program answers
// with message boxes; tests answer with a recorder. The model itself shows
// nothing: it reports file errors and the contour message through this.

#include <cstdio>
#include <string_view>

class TMessenger {
public:
    virtual ~TMessenger() = default;
    // Information box with OK: the operation that was asked for is not done.
    virtual void Notice(std::string_view Text) = 0;
    // Error box with OK: a file operation stopped (also the contour message).
    virtual void FileError(std::string_view Text) = 0;
    // Confirmation with Yes and No; true for Yes.
    virtual bool Question(std::string_view Text) = 0;
};

// For the small command-line tools: every text on standard error, every
// question answered No.
class TStderrMessenger : public TMessenger {
public:
    void Notice(std::string_view Text) override { Print(Text); }
    void FileError(std::string_view Text) override { Print(Text); }
    bool Question(std::string_view) override { return false; }

private:
    static void Print(std::string_view Text) {
        std::fprintf(stderr, "%.*s\n", static_cast<int>(Text.size()), Text.data());
    }
};
