#pragma once
// A text printed as a report, line by line: the title centred in grey, an
// empty line, then each line of the text (lines end at CR LF) wrapped to the
// page width, with a "Page n" footer wherever the next line might not fit and
// after the last line. The script window prints its script this way, and the
// compare page its log.
#include <string>
#include <string_view>
#include <vector>

#include "report/Document.h"

namespace wizard {

// The lines of a text split at every CR LF, as many as there are CR LF pairs
// plus one; an empty text has none.
[[nodiscard]] std::vector<std::string_view> SplitAtCrLf(std::string_view text);

// Starts a new report on `Preview` in `font`, titled `title`, and prints
// `text` on it (see above). The footers are printed in `footerColour`.
void PrintTextReport(report::Document& Preview, const std::string& title, std::string_view text,
                     const report::Font& font, report::Colour footerColour = report::kGrey);

}  // namespace wizard
