#pragma once
// The detail report, without Qt: what the detail window shows, printed onto
// a report document: a grey centred heading, the tree as it stands (its shown
// rows only, with their icons), and for a procedure or view the two command
// texts with the element's picture between them.
#include <cstdint>
#include <optional>
#include <string>

#include "report/Document.h"
#include "ui/grid/GridModel.h"

namespace detail {

// What the window shows besides its grid.
struct DetailReportSource {
    std::string caption;  // the window's caption
    int32_t kind = 0;     // the kind of the last request
    // The difference code of the procedure or view shown; nothing when the
    // element is not in the window's copy (no picture is printed then).
    std::optional<int32_t> action;
    // The command-text boxes as they stand.
    std::string sourceText;
    std::string destinationText;
};

// Makes the report in `Preview` anew. Pictures come from the numbered
// bitmaps in `imageFolder` ("…/Detail Images"), or from the image list where
// a file is missing.
void PrintDetailReport(report::Document& Preview, const ui::grid::GridModel& grid,
                       const std::string& imageFolder, const DetailReportSource& shown);

}  // namespace detail
