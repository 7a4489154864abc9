#pragma once
// The comparison program's shared helpers: printing a grid and a wrapped text
// onto a report, and opening a file or link with the desktop.
#include <cstdint>
#include <functional>
#include <string>

#include "report/Document.h"
#include "wizard_core/PrintableGrid.h"

namespace wizard::MFunctions {

// Prints `Grid` as a table from the report's current position: a grey header
// band with the visible columns' captions (on the first page only), then one
// framed row per visible row with each cell's indent, extra icon, icon and
// text, ending every page with a grey "Page n" footer when the next rows might
// not fit and after the last row. Icon n is printed from the bitmap
// `ImageFolder`/(n + 1).bmp, or, when that file is missing, from picture n of
// `ImageList`. Leaves the position at the start x, below the last row.
void PrintGrid(report::Document& Preview, const PrintableGrid& Grid,
               const PrintableImageList& ImageList, const std::string& ImageFolder);

// Prints `Text` (lines separated by CR LF) from the current x in lines no
// wider than `Width` twips, each broken at its last blank that fits, or within
// a word wider than the width. Wrap −1 prints every line; any other value only
// the first piece of the first line. Align 0 left, 1 right, 2 centred within
// the width. With Wrap −1, a grey "Page n" footer ends a page whenever the
// next line might not fit, and a new page follows unless that was the last
// line. Leaves x where it found it.
void PrintWrappedText(report::Document& Preview, const std::string& Text, int32_t Width,
                      int32_t Wrap, int32_t Align);

// One request to the desktop shell.
struct ShellRequest {
    int32_t OwnerWindow = 0;
    std::string Verb;
    std::string File;
    std::string Parameters;
    std::string Folder;
    int32_t ShowMode = 1;
    friend bool operator==(const ShellRequest&, const ShellRequest&) = default;
};

// The shell: `Execute` returns its result code, above 32 (or below 0) when it
// took the request, else the code of the failure; a call that throws counts as
// code 0. `ProgramName` (no folder, no extension) names the failures' source.
struct Shell {
    std::string ProgramName;
    std::function<int32_t(const ShellRequest&)> Execute;
};

struct ShellFailure {
    int32_t Number = 0;
    std::string Source;
    std::string Description;
    friend bool operator==(const ShellFailure&, const ShellFailure&) = default;
};

// The failure for a shell result code from 0 to 32.
[[nodiscard]] ShellFailure ShellFailureFor(int32_t code, const std::string& programName);

// Opens `File` through `shell`. True when the shell took it; false otherwise,
// with the failure in `failure` when one is given. Never throws: a failure
// goes no further than the result.
bool ShellEx(const Shell& shell, const std::string& File, int32_t ShowMode,
             const std::string& Parameters, const std::string& Folder, const std::string& Verb,
             int32_t OwnerWindow, ShellFailure* failure = nullptr);

}  // namespace wizard::MFunctions
