#pragma once
// What the codec's tests share: the Access-made Jet 4 and Jet 3 fixtures and the
// catalog (MSysObjects) of a file read through the codec itself.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "jet/FieldValue.h"
#include "jet/file/PageFile.h"
#include "jet/file/TableDefinition.h"

namespace codectest {

// The Jet 4 fixtures (paths relative to the fixtures folder), sorted.
std::vector<std::string> jet4Fixtures();
// The Access 97 (Jet 3) fixtures of oracles::kJet3Fixtures that are there.
std::vector<std::string> jet3Fixtures();
// Both: every Access-made file the codec reads and writes, Jet 4's first.
std::vector<std::string> codecFixtures();
// The Jet 4 fixtures kept in sort orders other than General and French
// (locales/), sorted.
std::vector<std::string> localeFixtures();

struct CatalogEntry {
    std::string name;
    int32_t id = 0;
    int16_t type = 0;
    int32_t flags = 0;
    std::optional<std::string> lvProp;  // MSysObjects.LvProp, when not null
};

// Every row of MSysObjects (whose definition is on page 2).
std::vector<CatalogEntry> readCatalog(const jet::file::PageFile& file);
// The local tables of the catalog (type 1), system tables included.
std::vector<CatalogEntry> tables(const jet::file::PageFile& file);

// Writes every page of `file` as the writer sees it (overlay included) to a
// new file at `path`.
void saveAs(const jet::file::PageFile& file, const std::string& path);

// The value of column `name` in a decoded row of `def`.
const jet::FieldValue& valueOf(const jet::file::TableDefinition& def,
                               const std::vector<jet::FieldValue>& row, const std::string& name);

}  // namespace codectest
