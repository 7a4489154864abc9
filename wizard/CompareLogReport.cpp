#include "wizard/CompareLogReport.h"

#include "wizard_core/TextReport.h"

namespace wizard {

void PrintCompareLog(report::Document& Preview, const std::string& log, const report::Font& font) {
    PrintTextReport(Preview, kCompareLogTitle, log, font);
}

}  // namespace wizard
