#include "wizard_core/TextReport.h"

#include "wizard_core/MFunctions.h"

namespace wizard {

std::vector<std::string_view> SplitAtCrLf(std::string_view text) {
    std::vector<std::string_view> lines;
    if (text.empty()) return lines;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back(text.substr(start));
            return lines;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
}

void PrintTextReport(report::Document& Preview, const std::string& title, std::string_view text,
                     const report::Font& font, report::Colour footerColour) {
    constexpr int32_t kWrapAll = -1;
    const std::vector<std::string_view> lines = SplitAtCrLf(text);
    Preview.NewDocument();
    Preview.Font(font);
    Preview.DocumentTitle(title);
    Preview.ForeColor(report::kGrey);
    Preview.PrintAligned(Preview.DocumentTitle(), 2);
    Preview.PrintAligned("", 0);
    Preview.ForeColor(report::kBlack);
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string line(lines[i]);
        MFunctions::PrintWrappedText(Preview, line, Preview.PageWidth(), kWrapAll, 0);
        const bool last = i + 1 == lines.size();
        const double height = Preview.TextHeight(line);
        if (Preview.CurrentY() + 3 * height > Preview.PageHeight() || last) {
            Preview.CurrentY(Preview.PageHeight() - height);
            Preview.ForeColor(footerColour);
            Preview.PrintAligned("Page " + std::to_string(Preview.CurrentPage()), 2);
            Preview.ForeColor(report::kBlack);
            if (!last) Preview.NewPage();
        }
    }
}

}  // namespace wizard
