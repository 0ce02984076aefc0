// The one file writer against a device that fails at each of its steps: the
// old file keeps every byte, nothing is left beside it, and the reason is the
// system's text for the error of the step that failed.

#include "Recorder.h"

#include "model/AtomicFile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace {

struct TStepFault {
    const char* Name;
    TFileStep Step;
    int Nth;
    int Error;
};

void PrintTo(const TStepFault& Fault, std::ostream* Out) {
    *Out << Fault.Name;
}

class FailingDevice : public ::testing::TestWithParam<TStepFault> {
protected:
    TTempFolder Folder;
};

TEST_P(FailingDevice, LeavesTheOldFileAndNoLitterAndTellsWhy) {
    const TStepFault& Case = GetParam();
    const std::string Name = Folder.File("plan.xml");
    const std::string Old = "old content that must survive";
    WriteBytes(Name, Old);
    const std::string New(5000, 'n');
    std::string Reason;
    bool Written = true;
    {
        TFileFault Fault(Case.Step, Case.Nth, Case.Error);
        Written = ReplaceFileWith(Name, New, Reason);
        EXPECT_TRUE(Fault.Struck());
    }
    EXPECT_FALSE(Written);
    EXPECT_EQ(Reason, std::strerror(Case.Error));
    EXPECT_EQ(ReadBytes(Name), Old);
    EXPECT_EQ(Entries(Folder.Path), (std::vector<std::string>{"plan.xml"}));
    // The device is sound again: the same write goes through.
    EXPECT_TRUE(ReplaceFileWith(Name, New, Reason)) << Reason;
    EXPECT_EQ(ReadBytes(Name), New);
    EXPECT_EQ(Entries(Folder.Path), (std::vector<std::string>{"plan.xml"}));
}

INSTANTIATE_TEST_SUITE_P(EachStep, FailingDevice,
                         ::testing::Values(TStepFault{"Create", TFileStep::Create, 1, ENOSPC},
                                           TStepFault{"Write", TFileStep::Write, 1, ENOSPC},
                                           TStepFault{"Mode", TFileStep::Mode, 1, EPERM},
                                           TStepFault{"Sync", TFileStep::Sync, 1, EIO},
                                           TStepFault{"Close", TFileStep::Close, 1, EDQUOT},
                                           TStepFault{"Rename", TFileStep::Rename, 1, EXDEV}),
                         [](const auto& Info) { return std::string(Info.param.Name); });

TEST(AtomicFile, InterruptedShortAndCollidingCallsAreRepeatedUntilAllIsWritten) {
    TTempFolder Folder;
    const std::string Name = Folder.File("picture.svg");
    const std::string New = "<svg>the whole picture</svg>";
    const std::vector<TStepFault> Cases = {{"interrupted write", TFileStep::Write, 1, EINTR},
                                           {"short write", TFileStep::Write, 1, 0},
                                           {"name taken", TFileStep::Create, 1, EEXIST}};
    for (const TStepFault& Case : Cases) {
        std::filesystem::remove(Name);
        std::string Reason;
        TFileFault Fault(Case.Step, Case.Nth, Case.Error);
        EXPECT_TRUE(ReplaceFileWith(Name, New, Reason)) << Case.Name << ": " << Reason;
        EXPECT_TRUE(Fault.Struck()) << Case.Name;
        EXPECT_EQ(ReadBytes(Name), New) << Case.Name;
        EXPECT_EQ(Entries(Folder.Path), (std::vector<std::string>{"picture.svg"})) << Case.Name;
    }
}

TEST(AtomicFile, TargetsThatMayNotBeReplacedAreRefusedWithTheReason) {
    TTempFolder Folder;
    std::filesystem::create_directory(Folder.Path / "dir.csv");
    std::string Reason;
    EXPECT_FALSE(ReplaceFileWith(Folder.File("dir.csv"), "x", Reason));
    EXPECT_EQ(Reason, std::strerror(EISDIR));
    EXPECT_FALSE(ReplaceFileWith(Folder.File("no/such/folder.csv"), "x", Reason));
    EXPECT_EQ(Reason, std::strerror(ENOENT));
    EXPECT_FALSE(ReplaceFileWith("", "x", Reason));
    EXPECT_EQ(Entries(Folder.Path), (std::vector<std::string>{"dir.csv"}));
}

} // namespace
