#include "wizard/CompareLogReport.h"

#include <vector>

#include "wizard/MFunctions.h"

namespace wizard {

namespace {

// The log's lines as the report counts them: none for an empty log, else
// every piece between CR LF pairs (a final CR LF leaves an empty last line).
std::vector<std::string> logLines(const std::string& log) {
    std::vector<std::string> lines;
    if (log.empty()) return lines;
    size_t start = 0;
    for (size_t at; (at = log.find("\r\n", start)) != std::string::npos; start = at + 2)
        lines.push_back(log.substr(start, at - start));
    lines.push_back(log.substr(start));
    return lines;
}

}  // namespace

void PrintCompareLog(report::Document& Preview, const std::string& log, const report::Font& font) {
    const std::vector<std::string> lines = logLines(log);
    Preview.NewDocument();
    Preview.Font(font);
    Preview.DocumentTitle(kCompareLogTitle);
    Preview.ForeColor(report::kGrey);
    Preview.PrintAligned(Preview.DocumentTitle(), 2);
    Preview.PrintAligned("", 0);
    Preview.ForeColor(report::kBlack);
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        MFunctions::PrintWrappedText(Preview, line, Preview.PageWidth(), -1, 0);
        const bool last = i + 1 == lines.size();
        const double height = Preview.TextHeight(line);
        if (Preview.CurrentY() + 3 * height > Preview.PageHeight() || last) {
            Preview.CurrentY(Preview.PageHeight() - height);
            Preview.ForeColor(report::kButtonFace);
            Preview.PrintAligned("Page " + std::to_string(Preview.CurrentPage()), 2);
            Preview.ForeColor(report::kBlack);
            if (!last) Preview.NewPage();
        }
    }
}

}  // namespace wizard
