#pragma once
// The compare log as a report: a grey centred title, an empty line, then
// every line of the log wrapped to the page width, each page closed by a
// "Page n" footer in the reports' grey when the next line might not fit, and
// the last page after the last line. (The button-face colour of the screen
// came out almost white on paper.)
#include <string>

#include "report/Document.h"

namespace wizard {

inline constexpr const char* kCompareLogTitle = "Comparison Details Report";

// Starts a new report on `Preview` in the log's font and lays the log (lines
// ended by CR LF) out on it. An empty log gives the title alone.
void PrintCompareLog(report::Document& Preview, const std::string& log, const report::Font& font);

}  // namespace wizard
