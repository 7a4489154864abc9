#include "jet/file/TableReader.h"

#include <set>
#include <string>

#include "jet/file/DataPage.h"
#include "jet/file/Row.h"

namespace jet::file {

namespace {

// Overflow pointers lead from a row's slot to its data; Access moves a row at
// most once, so a few steps are plenty and more is a loop.
constexpr int kMaxOverflowSteps = 8;

}  // namespace

TableReader::TableReader(const PageFile& file, const TableDefinition& def)
    : file_(file), def_(def), owned_(UsageMap::read(file, def.ownedPages)) {}

std::vector<uint32_t> TableReader::dataPages() const {
    std::vector<uint32_t> out;
    for (uint32_t p : owned_.pages()) {
        if (p >= file_.pageCount())
            throw FormatError("the table's pages run past the end of the file", p);
        const auto bytes = file_.page(p);
        if ((*bytes)[0] == kDataPageType && le32(bytes->data() + 4) == def_.firstPage())
            out.push_back(p);
    }
    return out;
}

size_t TableReader::countRows(size_t atMost) const {
    size_t n = 0;
    if (n >= atMost) return n;
    for (uint32_t p : owned_.pages()) {
        if (p >= file_.pageCount())
            throw FormatError("the table's pages run past the end of the file", p);
        const auto bytes = file_.page(p);
        if ((*bytes)[0] != kDataPageType || le32(bytes->data() + 4) != def_.firstPage()) continue;
        const DataPage page(*bytes, p);
        for (uint16_t r = 0; r < page.rowCount(); ++r)
            if (!page.slot(r).deleted() && ++n >= atMost) return n;
    }
    return n;
}

void TableReader::forEachRow(const std::function<void(const TableRow&)>& visit) const {
    for (uint32_t p : dataPages()) {
        const auto bytes = file_.page(p);
        const DataPage page(*bytes, p);
        for (uint16_t r = 0; r < page.rowCount(); ++r) {
            RowSlot slot = page.slot(r);
            if (slot.deleted()) continue;
            if (!slot.overflow()) {
                visit({makeRowId(p, static_cast<uint8_t>(r)), page.row(r)});
                continue;
            }
            // The slot holds a pointer; the row it names is marked deleted
            // so that a scan does not meet it twice.
            RowPointer at = readRowPointer(page.row(r));
            PageFile::PageRef hold;
            for (int step = 0;; ++step) {
                if (step == kMaxOverflowSteps) throw FormatError("overflow pointers loop", p);
                hold = file_.page(at.page);
                const DataPage target(*hold, at.page);
                if (target.owner() != def_.firstPage())
                    throw FormatError("an overflow pointer leads to another table's page", p);
                if (at.row >= target.rowCount())
                    throw FormatError("an overflow pointer names row " + std::to_string(at.row) +
                                          ", which is not on its page",
                                      at.page);
                const RowSlot next = target.slot(at.row);
                if (!next.overflow()) {
                    visit({makeRowId(p, static_cast<uint8_t>(r)), target.row(at.row)});
                    break;
                }
                at = readRowPointer(target.row(at.row));
            }
        }
    }
}

void TableReader::forEachValues(
    const std::function<void(uint32_t, const std::vector<jet::FieldValue>&)>& visit) const {
    forEachRow([&](const TableRow& row) { visit(row.rowId, decodeRow(def_, row.bytes, file_)); });
}

std::vector<std::pair<uint32_t, std::vector<jet::FieldValue>>> TableReader::readAll() const {
    std::vector<std::pair<uint32_t, std::vector<jet::FieldValue>>> out;
    forEachValues(
        [&](uint32_t id, const std::vector<jet::FieldValue>& v) { out.emplace_back(id, v); });
    return out;
}

}  // namespace jet::file
