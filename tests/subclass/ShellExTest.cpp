#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "subclass/ShellEx.h"

namespace {

using subclass::ShellEx;
using subclass::ShellFailure;

struct Call {
    std::int32_t owner;
    std::string operation, file, parameters, directory;
    std::int32_t show;
};

class FakeShell : public subclass::Shell {
public:
    std::int32_t result = 42;
    std::vector<Call> calls;
    std::int32_t ShellExecute(std::int32_t owner, const std::string& operation,
                              const std::string& file, const std::string& parameters,
                              const std::string& directory, std::int32_t showCmd) override {
        calls.push_back({owner, operation, file, parameters, directory, showCmd});
        return result;
    }
};

struct ShowCase {
    const char* file;
    const char* parameters;
    const char* directory;
    std::int32_t asked;
    std::int32_t passed;
};

class ShowMode : public ::testing::TestWithParam<ShowCase> {};

TEST_P(ShowMode, IsTheCallersUnlessAProgramOrNoParametersAndFolder) {
    const ShowCase& c = GetParam();
    FakeShell shell;
    std::optional<ShellFailure> failure;
    EXPECT_TRUE(
        ShellEx(shell, "Bollard2", c.file, c.asked, c.parameters, c.directory, "open", 7, failure));
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].show, c.passed);
    EXPECT_EQ(shell.calls[0].file, c.file);
    EXPECT_EQ(shell.calls[0].operation, "open");
    EXPECT_EQ(shell.calls[0].owner, 7);
    EXPECT_FALSE(failure);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ShowMode,
    ::testing::Values(
        // Links pass neither parameters nor a folder: always a normal window.
        ShowCase{"mailto:support@example.org", "", "", 10, 1}, ShowCase{"tool.exe", "", "", 10, 1},
        ShowCase{"notes.txt", "-x", "", 3, 3}, ShowCase{"notes.txt", "", "/tmp", 10, 10},
        // A program is started hidden, whatever the case of its name.
        ShowCase{"tool.EXE", "-x", "", 10, 0}, ShowCase{"Tool.Exe", "", "/tmp", 10, 0},
        ShowCase{"my.exe.txt", "-x", "", 10, 0}));

struct CodeCase {
    std::int32_t code;
    std::int32_t number;
    const char* description;
};

class FailureCode : public ::testing::TestWithParam<CodeCase> {};

TEST_P(FailureCode, LeavesItsRecordAndReturnsFalse) {
    const CodeCase& c = GetParam();
    FakeShell shell;
    shell.result = c.code;
    std::optional<ShellFailure> failure;
    EXPECT_FALSE(ShellEx(shell, "Bollard2", "x", 10, "", "", "open", 0, failure));
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->number, c.number);
    EXPECT_EQ(failure->description, c.description);
    EXPECT_EQ(failure->source, "Bollard2.GShell");
}

constexpr std::int32_t base(std::int32_t code) {
    return static_cast<std::int32_t>(0x80040418u) + code;
}

INSTANTIATE_TEST_SUITE_P(
    Codes, FailureCode,
    ::testing::Values(
        CodeCase{0, 7, "Out of memory"}, CodeCase{2, 53, "File not found"},
        CodeCase{3, 76, "Path not found"}, CodeCase{5, 75, "Path/file access error"},
        CodeCase{8, 7, "Out of memory"},
        CodeCase{11, base(11), "The executable file is invalid or corrupt"},
        CodeCase{26, 75, "A sharing violation occurred."},
        CodeCase{27, base(27), "This file type does not have a valid file association."},
        CodeCase{28, 286,
                 "The file could not be opened due to time out.  Please try again in a moment."},
        CodeCase{29, 285,
                 "The file could not be opened because the DDE transaction failed.  Please try "
                 "again in a moment."},
        CodeCase{30, 285,
                 "The file could not be opened because the target application is busy.  Please "
                 "try again in a moment."},
        CodeCase{31, base(31), "No application is associated with this file type."},
        CodeCase{32, 48, "The specified dynamic-link library was not found."},
        CodeCase{1, static_cast<std::int32_t>(0x80040419u),
                 "An error occurred occurred whilst trying to open or print the selected file."},
        CodeCase{20, base(20),
                 "An error occurred occurred whilst trying to open or print the selected file."}));

TEST(ShellEx, ResultsAbove32OrBelowZeroAreSuccess) {
    for (const std::int32_t code : {33, 42, 1000, -1}) {
        FakeShell shell;
        shell.result = code;
        std::optional<ShellFailure> failure;
        EXPECT_TRUE(ShellEx(shell, "Scalora2", "x", 10, "", "", "open", 0, failure)) << code;
        EXPECT_FALSE(failure);
    }
}

TEST(ShellEx, AShellThatFailsOutrightIsAFailureNotAnError) {
    struct Throwing : subclass::Shell {
        std::int32_t ShellExecute(std::int32_t, const std::string&, const std::string&,
                                  const std::string&, const std::string&, std::int32_t) override {
            throw std::runtime_error("no desktop");
        }
    } shell;
    std::optional<ShellFailure> failure;
    EXPECT_FALSE(ShellEx(shell, "Scalora2", "x", 10, "", "", "open", 0, failure));
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->number, 7);
    EXPECT_EQ(failure->source, "Scalora2.GShell");
}

}  // namespace
