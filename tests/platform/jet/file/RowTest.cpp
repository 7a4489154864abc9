// Rows decode into field values that agree with mdb-export, and encode back.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <iostream>
#include <map>

#include "CodecTestSupport.h"
#include "MdbTools.h"
#include "jet/file/FormatError.h"
#include "jet/file/PageFile.h"
#include "jet/file/Row.h"
#include "jet/file/TableDefinition.h"
#include "jet/file/TableReader.h"

namespace {

using jet::file::ColumnDef;
using jet::file::PageFile;
using jet::file::TableDefinition;
using jet::file::TableReader;
namespace coltype = jet::file::coltype;

constexpr const char* kNull = "@NULL@";
constexpr const char* kDateFormat = "%Y-%m-%d %H:%M:%S";

std::string hex(const std::string& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

// Decimal digits of a magnitude (32-bit words, most significant first), with
// `scale` of them after a point and at least one before it.
std::string digitsOf(std::vector<uint32_t> words, unsigned scale, bool negative) {
    std::string d;
    auto zero = [&] {
        for (uint32_t w : words)
            if (w) return false;
        return true;
    };
    do {
        uint64_t rest = 0;
        for (auto& w : words) {
            const uint64_t cur = rest << 32 | w;
            w = static_cast<uint32_t>(cur / 10);
            rest = cur % 10;
        }
        d.insert(d.begin(), static_cast<char>('0' + rest));
    } while (!zero());
    while (d.size() < scale + 1) d.insert(d.begin(), '0');
    if (scale > 0) d.insert(d.end() - scale, '.');
    return negative ? "-" + d : d;
}

// A date as mdb-export prints it: whole seconds, rounded; out-of-range
// values print as an all-zero time.
std::string dateText(double td) {
    int year = 1900, month = 1, day = 0, hour = 0, minute = 0, second = 0;
    if (!(td < 0.0 || td > 1e6)) {
        const long whole = static_cast<long>(td);
        const long secs = static_cast<long>((td - static_cast<double>(whole)) * 86400.0 + 0.5);
        hour = static_cast<int>(secs / 3600);
        minute = static_cast<int>(secs / 60 % 60);
        second = static_cast<int>(secs % 60);
        // Civil date of day `whole` counted from 1899-12-30.
        const long z = whole + 693899;  // days since 0000-03-01
        const long era = z / 146097;
        const long doe = z - era * 146097;
        const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
        const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
        const long mp = (5 * doy + 2) / 153;
        day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
        month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
        year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
    }
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour, minute,
                  second);
    return buf;
}

// What mdb-export -b hex -0 @NULL@ prints for a value; nullopt for columns
// it does not print.
std::optional<std::string> exportText(const ColumnDef& c, const jet::FieldValue& v) {
    if (jet::isNull(v)) return kNull;
    char buf[64];
    switch (c.type) {
        case coltype::Boolean:
            return std::get<bool>(v) ? "1" : "0";
        case coltype::Byte:
            return std::to_string(std::get<uint8_t>(v));
        case coltype::Int:
            return std::to_string(std::get<int16_t>(v));
        case coltype::Long:
            return std::to_string(std::get<int32_t>(v));
        case coltype::Float:
            std::snprintf(buf, sizeof buf, "%.8g", static_cast<double>(std::get<float>(v)));
            return buf;
        case coltype::Double:
            std::snprintf(buf, sizeof buf, "%.16g", std::get<double>(v));
            return buf;
        case coltype::Money: {
            const int64_t u = std::get<jet::Currency>(v).units;
            const uint64_t m = u < 0 ? 0 - static_cast<uint64_t>(u) : static_cast<uint64_t>(u);
            return digitsOf({static_cast<uint32_t>(m >> 32), static_cast<uint32_t>(m)}, 4, u < 0);
        }
        case coltype::Numeric: {
            const auto& d = std::get<jet::Decimal>(v);
            return digitsOf({d.high, d.middle, d.low}, d.scale, d.negative);
        }
        case coltype::DateTime:
            return dateText(std::get<jet::DateTime>(v).days);
        case coltype::Text:
        case coltype::Memo: {
            std::string s = std::get<std::string>(v);
            if (auto nul = s.find('\0'); nul != std::string::npos) s.resize(nul);
            if (s.empty()) return kNull;
            return s;
        }
        case coltype::Binary: {
            // Bound as a C string: cut at its first zero byte.
            std::string b = std::get<jet::Binary>(v).bytes;
            if (auto nul = b.find('\0'); nul != std::string::npos) b.resize(nul);
            if (b.empty()) return kNull;
            return hex(b);
        }
        case coltype::Ole: {
            const auto& b = std::get<jet::Binary>(v).bytes;
            if (b.empty()) return kNull;
            return hex(b);
        }
        case coltype::Guid: {
            const auto& g = std::get<jet::Guid>(v).bytes;
            std::snprintf(buf, sizeof buf,
                          "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X%02X%02X}",
                          g[3], g[2], g[1], g[0], g[5], g[4], g[7], g[6], g[8], g[9], g[10], g[11],
                          g[12], g[13], g[14], g[15]);
            return hex(buf);
        }
        default:
            return std::nullopt;
    }
}

std::vector<std::vector<std::string>> mdbExport(const std::string& file, const std::string& table) {
    return mdbtest::parseCsv(
        mdbtest::run("mdb-export -b hex -0 " + std::string(kNull) + " -D " +
                     mdbtest::shellQuote(kDateFormat) + " -T " + mdbtest::shellQuote(kDateFormat) +
                     " " + mdbtest::shellQuote(file) + " " + mdbtest::shellQuote(table)));
}

TEST(RowFixtures, EveryRowAgreesWithMdbExport) {
    REQUIRE_FIXTURES();
    REQUIRE_MDBTOOLS();
    size_t rows = 0, values = 0, tablesChecked = 0, staleCounts = 0;
    for (const auto& name : codectest::jet4Fixtures()) {
        SCOPED_TRACE(name);
        const auto path = testsupport::fixture(name);
        PageFile file(path);
        for (const auto& t : codectest::tables(file)) {
            SCOPED_TRACE(t.name);
            const auto def = TableDefinition::read(file, static_cast<uint32_t>(t.id));
            const auto ours = TableReader(file, def).readAll();
            // Access keeps the count of a user table; system tables' counts
            // lag behind their rows in some files (mdb-export reads the same rows).
            if (def.tableType == jet::file::kUserTable)
                EXPECT_EQ(ours.size(), def.rowCount);
            else if (ours.size() != def.rowCount)
                ++staleCounts;
            const auto theirs = mdbExport(path, t.name);
            ASSERT_FALSE(theirs.empty());
            ASSERT_EQ(theirs.size() - 1, ours.size());
            std::map<std::string, size_t> at;
            for (size_t i = 0; i < theirs[0].size(); ++i) at[theirs[0][i]] = i;
            ++tablesChecked;
            // mdb-export may list a page's rows in another order: compare the
            // rows as sorted lists of what both print.
            std::vector<std::vector<std::string>> mine, expected;
            for (size_t r = 0; r < ours.size(); ++r) {
                std::vector<std::string> a, b;
                for (size_t c = 0; c < def.columns.size(); ++c) {
                    const auto& col = def.columns[c];
                    const auto text = exportText(col, ours[r].second[c]);
                    if (!text) continue;
                    ASSERT_TRUE(at.count(col.name)) << col.name;
                    a.push_back(col.name + "=" + *text);
                    b.push_back(col.name + "=" + theirs[r + 1].at(at[col.name]));
                    ++values;
                }
                mine.push_back(std::move(a));
                expected.push_back(std::move(b));
                ++rows;
            }
            std::sort(mine.begin(), mine.end());
            std::sort(expected.begin(), expected.end());
            for (size_t r = 0; r < mine.size(); ++r)
                for (size_t c = 0; c < mine[r].size(); ++c) EXPECT_EQ(mine[r][c], expected[r][c]);
        }
    }
    std::cout << tablesChecked << " tables, " << rows << " rows, " << values
              << " values checked; " << staleCounts << " system tables with a stale row count\n";
}

}  // namespace

namespace {

bool hasOutOfRowLongValue(const TableDefinition& def, jet::file::ByteSpan row) {
    const auto layout = jet::file::readRowLayout(def, row);
    for (const auto& c : def.columns) {
        if (!jet::file::isLongValueType(c.type) || !layout.notNull(row, c.number)) continue;
        if (c.variableIndex >= layout.variableCount) continue;
        const auto start = layout.variableOffsets[c.variableIndex];
        if (row.size() > start && (row[start + 3] & 0xC0) != jet::file::kLongValueInline)
            return true;
    }
    return false;
}

TEST(RowFixtures, RowsReencodeToTheirValuesAndMostlyToTheirBytes) {
    REQUIRE_FIXTURES();
    size_t rows = 0, identical = 0, outOfRow = 0;
    std::map<std::string, size_t> differing;
    for (const auto& name : codectest::jet4Fixtures()) {
        SCOPED_TRACE(name);
        PageFile file(testsupport::fixture(name));
        for (const auto& t : codectest::tables(file)) {
            SCOPED_TRACE(t.name);
            const auto def = TableDefinition::read(file, static_cast<uint32_t>(t.id));
            std::vector<std::pair<jet::file::Bytes, std::vector<jet::FieldValue>>> all;
            TableReader(file, def).forEachRow([&](const jet::file::TableRow& row) {
                all.emplace_back(jet::file::Bytes(row.bytes.begin(), row.bytes.end()),
                                 jet::file::decodeRow(def, row.bytes, file));
            });
            jet::file::LongValueWriter lv(file);
            for (const auto& [bytes, values] : all) {
                const auto encoded = jet::file::encodeRow(def, values, &lv);
                EXPECT_EQ(jet::file::decodeRow(def, encoded, file), values);
                ++rows;
                if (encoded == bytes) {
                    ++identical;
                } else if (hasOutOfRowLongValue(def, bytes)) {
                    ++outOfRow;
                } else {
                    ++differing[name + " " + t.name];
                }
            }
        }
    }
    std::cout << rows << " rows: " << identical << " re-encode byte for byte, " << outOfRow
              << " point to long values elsewhere\n";
    for (const auto& [where, n] : differing)
        std::cout << "  differ: " << where << ": " << n << "\n";
}

}  // namespace
