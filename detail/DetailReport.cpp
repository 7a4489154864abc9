#include "detail/DetailReport.h"

#include "detail/DetailTree.h"
#include "engine/ComparisonResult.h"
#include "wizard_core/MFunctions.h"
#include "wizard_core/PrintableGridModel.h"

namespace detail {

namespace {

// The picture of a difference code, from its numbered bitmap (list position + 1).
int32_t actionPicture(int32_t action) {
    switch (action) {
        case engine::acDifferent:
            return icon::Different;
        case engine::acOnlyInDestination:
            return icon::OnlyInDestination;
        case engine::acOnlyInSource:
            return icon::OnlyInSource;
        default:
            return icon::Equal;
    }
}

void heading(report::Document& Preview, const char* text) {
    Preview.FontBold(true);
    Preview.PrintLine(text);
    Preview.FontBold(false);
    Preview.PrintLine("");
}

}  // namespace

void PrintDetailReport(report::Document& Preview, const ui::grid::GridModel& grid,
                       const std::string& imageFolder, const DetailReportSource& shown) {
    using wizard::MFunctions::PrintWrappedText;
    constexpr int32_t kWrapAll = -1;
    const std::string title = shown.caption + " Report";
    Preview.NewDocument();
    Preview.DocumentTitle(title);
    Preview.ForeColor(report::kGrey);
    Preview.PrintAligned(title, 2);
    Preview.PrintAligned("", 0);

    const wizard::PrintableGridModel printable(grid);
    const wizard::PrintableImages images("DGridImg", 16);
    wizard::MFunctions::PrintGrid(Preview, printable, images, imageFolder);

    if (shown.kind != engine::okProcedure && shown.kind != engine::okView) return;
    Preview.PrintLine("");
    heading(Preview, "Source Command Text : ");
    PrintWrappedText(Preview, shown.sourceText, Preview.PageWidth(), kWrapAll, 0);
    if (shown.action) {
        const int32_t picture = actionPicture(*shown.action);
        Preview.PrintPicture(imageFolder + "/" + std::to_string(picture + 1) + ".bmp",
                             Preview.CurrentX(), Preview.CurrentY(),
                             report::PictureFallback{images.Name(), picture});
    }
    Preview.PrintLine("");
    Preview.PrintLine("");
    heading(Preview, "Destination Command Text : ");
    PrintWrappedText(Preview, shown.destinationText, Preview.PageWidth(), kWrapAll, 0);
}

}  // namespace detail
