// parabase-make-sample: makes one sample store database and its workgroup from
// a Jet SQL file, at build time.
//
//   parabase-make-sample <file.sql> <database> <workgroup>
//
// The file holds Jet SQL statements separated by ";" (account statements
// first, then the schema, then GRANTs), run in order as the workgroup's
// "admin"; a line that starts with "--" is a note for the reader and skipped. Column properties
// that Jet SQL cannot state follow in a
// "<JET:COLUMNS>" … "</JET:COLUMNS>" block of "table;column;position;value"
// lines, as in a script file. Both files are made beside their targets and
// renamed over them only when everything succeeded.
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "jet/Catalog.h"
#include "jet/Connection.h"
#include "jet/ConnectionString.h"
#include "jet/Error.h"
#include "jet/Variant.h"
#include "jet/testing/StoreBuilder.h"
#include "runner/LineGrammar.h"
#include "text/TextDecoding.h"

namespace {

namespace fs = std::filesystem;

struct Sample {
    std::string statements;            // the Jet SQL before the block
    std::vector<std::string> columns;  // the block's lines
};

Sample readSample(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    Sample s;
    bool inBlock = false;
    for (const std::string& line : text::splitLines(text::decodeText(bytes.str()))) {
        switch (runner::classifyLine(line)) {
            case runner::LineKind::OpenColumns:
                inBlock = true;
                continue;
            case runner::LineKind::CloseColumns:
                inBlock = false;
                continue;
            default:
                break;
        }
        const size_t first = line.find_first_not_of(' ');
        if (first != std::string::npos && line.compare(first, 2, "--") == 0) continue;
        if (inBlock) {
            if (first != std::string::npos) s.columns.push_back(line);
        } else {
            s.statements += line;
            s.statements += '\n';
        }
    }
    return s;
}

std::string connectionString(const std::string& path, const std::string& workgroup,
                             bool createWorkgroup = false) {
    jet::ConnectionProperties p;
    p.provider = std::string(jet::kJetProvider);
    p.dataSource = path;
    if (!workgroup.empty()) p.systemDatabase = workgroup;
    p.createSystemDatabase = createWorkgroup;
    return jet::buildConnectionString(p);
}

void build(const Sample& sample, const std::string& database, const std::string& workgroup) {
    jet::Catalog::Create(connectionString(workgroup, "", true));
    jet::Catalog::Create(connectionString(database, ""));
    const std::string connection = connectionString(database, workgroup);

    jet::Connection c;
    c.Open(connection);
    const auto statements = jet::testing::splitStatements(sample.statements);
    for (size_t i = 0; i < statements.size(); ++i) {
        try {
            (void)c.Execute(statements[i]);
        } catch (const jet::Error& e) {
            throw std::runtime_error("statement " + std::to_string(i + 1) + " (" + statements[i] +
                                     "): " + e.description());
        }
    }
    c.Close();

    jet::Catalog catalog;
    catalog.ActiveConnection(connection);
    for (size_t i = 0; i < sample.columns.size(); ++i) {
        const std::string& line = sample.columns[i];
        try {
            const int32_t position =
                runner::fieldToLong(runner::GetField(line, 3), "property position", i + 1);
            catalog.Tables()
                .Item(runner::GetField(line, 1))
                .Columns()
                .Item(runner::GetField(line, 2))
                .Properties()
                .Item(position)
                .Value(jet::Variant(runner::GetField(line, 4, true)));
        } catch (const jet::Error& e) {
            throw std::runtime_error("column line " + std::to_string(i + 1) + " (" + line +
                                     "): " + e.description());
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: parabase-make-sample <file.sql> <database> <workgroup>\n";
        return 2;
    }
    const std::string database = argv[2];
    const std::string workgroup = argv[3];
    const std::string newDatabase = database + ".new";
    const std::string newWorkgroup = workgroup + ".new";
    std::error_code ec;
    fs::remove(newDatabase, ec);
    fs::remove(newWorkgroup, ec);
    try {
        build(readSample(argv[1]), newDatabase, newWorkgroup);
        fs::rename(newDatabase, database);
        fs::rename(newWorkgroup, workgroup);
    } catch (const std::exception& e) {
        fs::remove(newDatabase, ec);
        fs::remove(newWorkgroup, ec);
        std::cerr << "parabase-make-sample: " << argv[1] << ": " << e.what() << "\n";
        return 1;
    }
    return 0;
}
