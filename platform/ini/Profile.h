#pragma once
// Profile (INI) files as Windows programs read and write them: "[Section]"
// lines, each followed by "Key=Value" lines.
// - Section and key names are matched without regard to case; names and
//   values are trimmed of blanks and tabs; a value enclosed in one pair of
//   double or single quotes is read without them.
// - Lines starting with ";" or "#" are comments; they, blank lines and any
//   other line are kept as they stand when the file is written.
// - A write replaces the key's line in place, or adds the key at the end of
//   its section, or the section at the end of the file, or makes the file.
// - A section that appears twice is one section: reads and writes use the
//   first line of the key wherever it stands, new keys go to the first part.
// Files are read as UTF-8, else as Windows-1252; written as UTF-8 with CR LF,
// always whole through a temporary file (ini/AtomicFile.h), so a failed write
// leaves the file as it was. Nothing is kept open between calls.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ini {

// The value of Key in Section; nothing when the file (a regular, readable
// file), the section or the key is missing. The value is read whole.
[[nodiscard]] std::optional<std::string> readValue(const std::string& path,
                                                   std::string_view section, std::string_view key);

// Sets Key in Section to `value` (written as given; reading trims it). False,
// with the file unchanged, when the file cannot be written (read-only, a
// folder, missing folder) or when a name or the value could not be read back
// as written: an empty name, a line break or NUL anywhere, "=" in a key, "]"
// in a section, a key that would read as a comment or a section. Writing the
// value a key already holds writes nothing, and fails only as any write to
// that file would (a read-only file).
[[nodiscard]] bool writeValue(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view value);

// What to write for `value` so that readValue gives it back exactly: the value
// itself, or, when reading would change it (blanks or tabs at either end, or
// one pair of outer quotes), the value inside one more pair of double quotes.
[[nodiscard]] std::string quotedForReading(std::string_view value);

// Removes every line of Key in Section. True also when there was nothing to
// remove (no file is made for it); false when the file cannot be written,
// whether or not there was anything to remove.
[[nodiscard]] bool deleteKey(const std::string& path, std::string_view section,
                             std::string_view key);

// Removes the section with all its lines (every part of it), as deleteKey.
[[nodiscard]] bool deleteSection(const std::string& path, std::string_view section);

// The names of the sections, or of the keys of one section, in file order,
// each once (as first written); empty when the file or section is missing.
[[nodiscard]] std::vector<std::string> sectionNames(const std::string& path);
[[nodiscard]] std::vector<std::string> keyNames(const std::string& path, std::string_view section);

}  // namespace ini
