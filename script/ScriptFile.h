#pragma once
// The script file: the statements, one CR LF, then the blocks; UTF-8 text whose
// lines end in CR LF. The runner reads it line by line:
//   - a line reading "RUN" (outer spaces aside) runs the statement text
//     gathered since the previous one;
//   - "<JET:COLUMNS>" … "</JET:COLUMNS>" enclose column property lines
//     "table;column;position;value" (positions 1 default, 13 allow zero
//     length, 2 description; the value runs to the line end);
//   - "<JET:USERS>" / "<JET:GROUPS>" … enclose permission lines
//     "principal;object;object type;action;rights".
#include <stdexcept>
#include <string>
#include <string_view>

#include "script/Script.h"

namespace script {

// The text of a script file: Statements, CR LF, Blocks. An empty script is a
// single CR LF.
[[nodiscard]] std::string ScriptFileText(const TScript& script);

// A failure to write a script file; what() names the file and the cause.
class ScriptFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Writes `text` unchanged (it is UTF-8 and already ends its lines in CR LF) to
// `path`: first whole to a new file beside it, then renamed over it, so the
// file at `path` is either the old one or the complete new one. A file there
// keeps its permission bits. Throws ScriptFileError; on failure the temporary
// file is removed and `path` is untouched.
void WriteScriptFile(const std::string& path, std::string_view text);

}  // namespace script
