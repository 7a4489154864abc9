#include <gtest/gtest.h>

#include <stdexcept>

#include "wizard_core/MFunctions.h"

namespace {

using wizard::MFunctions::Shell;
using wizard::MFunctions::ShellEx;
using wizard::MFunctions::ShellFailure;
using wizard::MFunctions::ShellFailureFor;
using wizard::MFunctions::ShellRequest;

struct RequestCase {
    const char* name;
    std::string file;
    int32_t showMode;
    std::string parameters, folder;
    ShellRequest want;
};

TEST(ShellEx, HandsTheShellItsRequest) {
    const RequestCase cases[] = {
        {"documentOpensNormally",
         "/opt/parabase/Parabase1.chm",
         10,
         "",
         "",
         {0, "open", "/opt/parabase/Parabase1.chm", "", "", 1}},
        {"programWithParameterStartsHidden",
         "setup.exe",
         1,
         "/q",
         "",
         {0, "open", "setup.exe", "/q", "", 0}},
        {"programWithoutArgumentsOpensNormally",
         "setup.exe",
         1,
         "",
         "",
         {0, "open", "setup.exe", "", "", 1}},
        {"exeAnywhereInTheNameCounts",
         "Readme.Exe.txt",
         3,
         "",
         "/tmp",
         {0, "open", "Readme.Exe.txt", "", "/tmp", 0}},
        {"otherFilesKeepTheirShowMode",
         "notes.txt",
         3,
         "",
         "/tmp",
         {0, "open", "notes.txt", "", "/tmp", 3}},
    };
    for (const auto& c : cases) {
        std::vector<ShellRequest> seen;
        const Shell shell{"Parabase1", [&](const ShellRequest& r) {
                              seen.push_back(r);
                              return 42;
                          }};
        EXPECT_TRUE(ShellEx(shell, c.file, c.showMode, c.parameters, c.folder, "open", 0))
            << c.name;
        ASSERT_EQ(seen.size(), 1u) << c.name;
        EXPECT_EQ(seen[0], c.want) << c.name;
    }
}

TEST(ShellEx, TurnsShellFailuresIntoFalseAndTheirFailure) {
    constexpr int32_t base = -2147220456;  // 0x80040418
    const char* general =
        "An error occurred occurred whilst trying to open or print the selected file.";
    struct Case {
        int32_t code;
        bool ok;
        int32_t number;
        const char* description;
    };
    const Case cases[] = {
        {0, false, 7, "Out of memory"},
        {1, false, base + 1, general},
        {2, false, 53, "File not found"},
        {3, false, 76, "Path not found"},
        {4, false, base + 4, general},
        {5, false, 75, "Path/file access error"},
        {8, false, 7, "Out of memory"},
        {11, false, base + 11, "The executable file is invalid or corrupt"},
        {25, false, base + 25, general},
        {26, false, 75, "A sharing violation occurred."},
        {27, false, base + 27, "This file type does not have a valid file association."},
        {28, false, 286,
         "The file could not be opened due to time out.  Please try again in a moment."},
        {29, false, 285,
         "The file could not be opened because the DDE transaction failed.  Please try again in "
         "a moment."},
        {30, false, 285,
         "The file could not be opened because the target application is busy.  Please try "
         "again in a moment."},
        {31, false, base + 31, "No application is associated with this file type."},
        {32, false, 48, "The specified dynamic-link library was not found."},
        {33, true, 0, ""},
        {-1, true, 0, ""},
    };
    for (const auto& c : cases) {
        const Shell shell{"Parabase1", [&](const ShellRequest&) { return c.code; }};
        ShellFailure failure;
        EXPECT_EQ(ShellEx(shell, "x", 1, "", "", "open", 0, &failure), c.ok) << c.code;
        if (c.ok) {
            EXPECT_EQ(failure, ShellFailure{}) << c.code;
            continue;
        }
        EXPECT_EQ(failure, (ShellFailure{c.number, "Parabase1.GShell", c.description})) << c.code;
        EXPECT_EQ(ShellFailureFor(c.code, "Parabase1"), failure);
    }
}

TEST(ShellEx, AShellThatFailsItselfCountsAsCodeZeroAndNeverReachesTheCaller) {
    const Shell throwing{"Parabase1",
                         [](const ShellRequest&) -> int32_t { throw std::runtime_error("gone"); }};
    ShellFailure failure;
    EXPECT_FALSE(ShellEx(throwing, "x", 1, "", "", "open", 0, &failure));
    EXPECT_EQ(failure.Number, 7);
    EXPECT_FALSE(ShellEx(Shell{"Parabase1", {}}, "x", 1, "", "", "open", 0));
}

}  // namespace
