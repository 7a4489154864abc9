#include "MdbTools.h"

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <memory>
#include <stdexcept>

namespace mdbtest {

std::string run(const std::string& command) {
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

std::vector<std::vector<std::string>> parseCsv(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::string field;
    bool quoted = false, any = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
            continue;
        }
        if (c == '"') {
            quoted = true;
            any = true;
        } else if (c == ',') {
            row.push_back(std::move(field));
            field.clear();
            any = true;
        } else if (c == '\n') {
            row.push_back(std::move(field));
            field.clear();
            rows.push_back(std::move(row));
            row.clear();
            any = false;
        } else if (c != '\r') {
            field += c;
            any = true;
        }
    }
    if (any) {
        row.push_back(std::move(field));
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
