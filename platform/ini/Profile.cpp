#include "ini/Profile.h"

#include <sys/stat.h>

#include <cerrno>
#include <fstream>
#include <iterator>

#include "ini/AtomicFile.h"
#include "text/CaseFold.h"
#include "text/TextDecoding.h"

namespace ini {

namespace {

std::string_view trim(std::string_view s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

enum class Kind { Other, Section, Key };

struct Line {
    std::string text;
    Kind kind = Kind::Other;
    std::string name;   // the section's or key's name, trimmed
    std::string value;  // a key's value, trimmed
};

Line classify(std::string text) {
    Line line;
    line.text = std::move(text);
    const std::string_view t = trim(line.text);
    if (t.empty() || t.front() == ';' || t.front() == '#') return line;
    if (t.front() == '[') {
        std::string_view name = t.substr(1);
        if (const auto close = name.find(']'); close != std::string_view::npos)
            name = name.substr(0, close);
        line.kind = Kind::Section;
        line.name = std::string(trim(name));
        return line;
    }
    const auto equals = t.find('=');
    if (equals == std::string_view::npos) return line;
    const std::string_view key = trim(t.substr(0, equals));
    if (key.empty()) return line;
    line.kind = Kind::Key;
    line.name = std::string(key);
    line.value = std::string(trim(t.substr(equals + 1)));
    return line;
}

struct File {
    // A file that is there but cannot be read must never be written over.
    bool unreadable = false;
    std::vector<Line> lines;

    // The first line of each part of `section` (its header).
    [[nodiscard]] std::vector<size_t> sectionStarts(std::string_view section) const {
        std::vector<size_t> out;
        for (size_t i = 0; i < lines.size(); ++i)
            if (lines[i].kind == Kind::Section && text::equalNoCase(lines[i].name, trim(section)))
                out.push_back(i);
        return out;
    }
    // The end of the part that starts at header `start` (the next header).
    [[nodiscard]] size_t partEnd(size_t start) const {
        size_t i = start + 1;
        while (i < lines.size() && lines[i].kind != Kind::Section) ++i;
        return i;
    }
    // Every line of `key` in `section`, in file order.
    [[nodiscard]] std::vector<size_t> keyLines(std::string_view section,
                                               std::string_view key) const {
        std::vector<size_t> out;
        for (size_t start : sectionStarts(section))
            for (size_t i = start + 1; i < partEnd(start); ++i)
                if (lines[i].kind == Kind::Key && text::equalNoCase(lines[i].name, trim(key)))
                    out.push_back(i);
        return out;
    }
};

// A missing file has no lines. Anything there that cannot be read as a file
// (a folder, a FIFO, no permission) reads as no lines too, and is unreadable.
File load(const std::string& path) {
    File file;
    struct stat st {};
    if (path.empty()) {
        file.unreadable = true;
        return file;
    }
    if (::stat(path.c_str(), &st) != 0) {
        file.unreadable = errno != ENOENT;
        return file;
    }
    file.unreadable = true;
    if (!S_ISREG(st.st_mode)) return file;
    std::ifstream in(path, std::ios::binary);
    if (!in) return file;
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) return file;
    try {
        for (std::string& l : text::splitLines(text::decodeText(bytes)))
            file.lines.push_back(classify(std::move(l)));
    } catch (const text::DecodeError&) {
        file.lines.clear();
        return file;
    }
    file.unreadable = false;
    return file;
}

bool save(const std::string& path, const File& file) {
    std::string bytes;
    for (const Line& line : file.lines) {
        bytes += line.text;
        bytes += "\r\n";
    }
    return writeFileAtomically(path, bytes);
}

// A write that finds nothing to change answers as writing would: a file that
// is there but cannot be written fails it (a missing one is not made).
bool nothingToWrite(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) != 0 || isWritableFile(path);
}

bool holdsLineBreakOrNul(std::string_view s) {
    return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

bool validSection(std::string_view section) {
    return !trim(section).empty() && !holdsLineBreakOrNul(section) &&
           section.find(']') == std::string_view::npos;
}

bool validKey(std::string_view key) {
    const std::string_view k = trim(key);
    return !k.empty() && !holdsLineBreakOrNul(key) && key.find('=') == std::string_view::npos &&
           k.front() != '[' && k.front() != ';' && k.front() != '#';
}

std::string unquoted(const std::string& value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

}  // namespace

std::optional<std::string> readValue(const std::string& path, std::string_view section,
                                     std::string_view key) {
    const File file = load(path);
    const std::vector<size_t> found = file.keyLines(section, key);
    if (found.empty()) return std::nullopt;
    return unquoted(file.lines[found.front()].value);
}

bool writeValue(const std::string& path, std::string_view section, std::string_view key,
                std::string_view value) {
    if (!validSection(section) || !validKey(key) || holdsLineBreakOrNul(value)) return false;
    File file = load(path);
    if (file.unreadable) return false;
    const std::string sectionName(trim(section));
    const std::string keyName(trim(key));

    if (const auto found = file.keyLines(section, key); !found.empty()) {
        Line& line = file.lines[found.front()];
        // The key keeps its spelling in the file.
        Line replaced = classify(line.name + "=" + std::string(value));
        if (replaced.text == line.text) return nothingToWrite(path);
        line = std::move(replaced);
        return save(path, file);
    }

    Line entry = classify(keyName + "=" + std::string(value));
    if (const auto starts = file.sectionStarts(section); !starts.empty()) {
        // After the part's last line that is not blank, so that a blank line
        // before the next section stays where it is.
        size_t at = file.partEnd(starts.front());
        while (at > starts.front() + 1 && trim(file.lines[at - 1].text).empty()) --at;
        file.lines.insert(file.lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(entry));
    } else {
        if (!file.lines.empty() && !trim(file.lines.back().text).empty())
            file.lines.push_back(classify(""));
        file.lines.push_back(classify("[" + sectionName + "]"));
        file.lines.push_back(std::move(entry));
    }
    return save(path, file);
}

std::string quotedForReading(std::string_view value) {
    const std::string plain(value);
    if (trim(value).size() == value.size() && unquoted(plain) == plain) return plain;
    return "\"" + plain + "\"";
}

bool deleteKey(const std::string& path, std::string_view section, std::string_view key) {
    File file = load(path);
    if (file.unreadable) return false;
    const std::vector<size_t> found = file.keyLines(section, key);
    if (found.empty()) return nothingToWrite(path);
    for (auto it = found.rbegin(); it != found.rend(); ++it)
        file.lines.erase(file.lines.begin() + static_cast<std::ptrdiff_t>(*it));
    return save(path, file);
}

bool deleteSection(const std::string& path, std::string_view section) {
    File file = load(path);
    if (file.unreadable) return false;
    const std::vector<size_t> starts = file.sectionStarts(section);
    if (starts.empty()) return nothingToWrite(path);
    for (auto it = starts.rbegin(); it != starts.rend(); ++it)
        file.lines.erase(file.lines.begin() + static_cast<std::ptrdiff_t>(*it),
                         file.lines.begin() + static_cast<std::ptrdiff_t>(file.partEnd(*it)));
    return save(path, file);
}

std::vector<std::string> sectionNames(const std::string& path) {
    std::vector<std::string> out;
    for (const Line& line : load(path).lines) {
        if (line.kind != Kind::Section) continue;
        bool seen = false;
        for (const std::string& name : out) seen = seen || text::equalNoCase(name, line.name);
        if (!seen) out.push_back(line.name);
    }
    return out;
}

std::vector<std::string> keyNames(const std::string& path, std::string_view section) {
    const File file = load(path);
    std::vector<std::string> out;
    for (size_t start : file.sectionStarts(section)) {
        for (size_t i = start + 1; i < file.partEnd(start); ++i) {
            const Line& line = file.lines[i];
            if (line.kind != Kind::Key) continue;
            bool seen = false;
            for (const std::string& name : out) seen = seen || text::equalNoCase(name, line.name);
            if (!seen) out.push_back(line.name);
        }
    }
    return out;
}

}  // namespace ini
