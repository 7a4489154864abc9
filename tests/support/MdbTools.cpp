#include "MdbTools.h"

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <stdexcept>

#include "OracleCache.h"

namespace mdbtest {

namespace {

// The mdbtools programs that only read the file they are given.
const std::set<std::string> kReadingPrograms = {"mdb-count",  "mdb-export", "mdb-json",
                                                "mdb-prop",   "mdb-queries", "mdb-schema",
                                                "mdb-tables", "mdb-ver"};

// The words of a simple command as the shell splits them (quotes and
// backslashes undone); nullopt when it holds anything else the shell reads
// (pipes, redirections, expansions).
std::optional<std::vector<std::string>> words(const std::string& command) {
    std::vector<std::string> out;
    std::string word;
    bool inWord = false;
    for (size_t i = 0; i < command.size(); ++i) {
        const char c = command[i];
        if (c == '\'') {
            const size_t end = command.find('\'', i + 1);
            if (end == std::string::npos) return std::nullopt;
            word += command.substr(i + 1, end - i - 1);
            inWord = true;
            i = end;
        } else if (c == '\\' && i + 1 < command.size()) {
            word += command[++i];
            inWord = true;
        } else if (c == ' ' || c == '\t') {
            if (inWord) out.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else if (std::string_view("|&;<>()$`\"*?[#~\n").find(c) != std::string_view::npos) {
            return std::nullopt;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) out.push_back(std::move(word));
    return out;
}

std::string runFresh(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen((command + " 2>/dev/null").c_str(), "r"),
                                               &::pclose);
    if (!pipe) throw std::runtime_error("cannot run " + command);
    std::string out;
    std::array<char, 65536> buf{};
    size_t n = 0;
    while ((n = std::fread(buf.data(), 1, buf.size(), pipe.get())) > 0) out.append(buf.data(), n);
    const int status = ::pclose(pipe.release());
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("command failed: " + command);
    return out;
}

}  // namespace

// A reading program's output for fixture files comes from the oracle cache.
std::string run(const std::string& command) {
    const auto w = words(command);
    if (!w || w->empty() || !kReadingPrograms.count(w->front())) return runFresh(command);
    std::vector<std::string> files;
    for (size_t i = 1; i < w->size(); ++i) {
        std::error_code ec;
        if (std::filesystem::is_regular_file((*w)[i], ec)) files.push_back((*w)[i]);
    }
    return oraclecache::reading("run\0" + oraclecache::programDigest(w->front()) + "\0" + command,
                                files, [&] { return runFresh(command); });
}

std::string shellQuote(const std::string& arg) {
    std::string q = "'";
    for (char c : arg) {
        if (c == '\'')
            q += "'\\''";
        else
            q += c;
    }
    return q + "'";
}

bool haveMdbTools() {
    static const bool have = [] {
        try {
            run("command -v mdb-tables && command -v mdb-schema && command -v mdb-export && "
                "command -v mdb-queries && command -v mdb-prop");
            return true;
        } catch (const std::exception&) {
            return false;
        }
    }();
    return have;
}

std::vector<std::vector<std::optional<std::string>>> parseCsvCells(const std::string& text) {
    std::vector<std::vector<std::optional<std::string>>> rows;
    std::vector<std::optional<std::string>> row;
    std::string field;
    bool inQuotes = false, quoted = false, any = false;
    const auto endField = [&] {
        if (quoted || !field.empty())
            row.emplace_back(std::move(field));
        else
            row.emplace_back(std::nullopt);
        field.clear();
        quoted = false;
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inQuotes) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                inQuotes = false;
            } else {
                field += c;
            }
            continue;
        }
        if (c == '"') {
            inQuotes = quoted = any = true;
        } else if (c == ',') {
            endField();
            any = true;
        } else if (c == '\n') {
            endField();
            rows.push_back(std::move(row));
            row.clear();
            any = false;
        } else if (c != '\r') {
            field += c;
            any = true;
        }
    }
    if (inQuotes) throw std::runtime_error("mdb-export: a quoted field does not end");
    if (any) {
        endField();
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<std::vector<std::string>> parseCsv(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    for (auto& cells : parseCsvCells(text)) {
        std::vector<std::string> row;
        for (auto& c : cells) row.push_back(c.value_or(std::string()));
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<std::vector<std::string>> exportTable(const std::string& file, const std::string& table,
                                                  bool hexBinary) {
    return parseCsv(run(std::string("mdb-export ") + (hexBinary ? "-b hex " : "") +
                        shellQuote(file) + " " + shellQuote(table)));
}

}  // namespace mdbtest
