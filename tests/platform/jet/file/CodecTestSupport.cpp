#include "CodecTestSupport.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "FixtureLists.h"
#include "jet/file/TableReader.h"

namespace codectest {

std::vector<std::string> jet4Fixtures() {
    std::vector<std::string> out;
    const auto root = testsupport::fixturesDir();
    if (root.empty()) return out;
    for (const char* folder : {"jackcess", "teaching"}) {
        if (!std::filesystem::is_directory(root / folder)) continue;
        for (const auto& entry : std::filesystem::directory_iterator(root / folder)) {
            const std::string name = entry.path().filename().string();
            if (entry.path().extension() != ".mdb") continue;
            const bool jet4 = std::string(folder) == "teaching" ||
                              name.find("V2000") != std::string::npos ||
                              name.find("V2003") != std::string::npos || name == "emptyJet4.mdb" ||
                              name == "adox_jet4.mdb";
            if (jet4) out.push_back(std::string(folder) + "/" + name);
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<std::string> jet3Fixtures() {
    std::vector<std::string> out;
    const auto root = testsupport::fixturesDir();
    if (root.empty()) return out;
    for (const char* name : oracles::kJet3Fixtures)
        if (std::filesystem::exists(root / name)) out.emplace_back(name);
    return out;
}

std::vector<std::string> codecFixtures() {
    auto out = jet4Fixtures();
    for (auto& name : jet3Fixtures()) out.push_back(std::move(name));
    return out;
}

std::vector<std::string> localeFixtures() {
    std::vector<std::string> out;
    const auto root = testsupport::fixturesDir();
    if (root.empty() || !std::filesystem::is_directory(root / "locales")) return out;
    for (const auto& entry : std::filesystem::directory_iterator(root / "locales"))
        if (entry.path().extension() == ".mdb")
            out.push_back("locales/" + entry.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

const jet::FieldValue& valueOf(const jet::file::TableDefinition& def,
                               const std::vector<jet::FieldValue>& row, const std::string& name) {
    for (size_t i = 0; i < def.columns.size(); ++i)
        if (def.columns[i].name == name) return row.at(i);
    throw std::runtime_error("no column " + name);
}

void saveAs(const jet::file::PageFile& file, const std::string& path) {
    std::string out;
    out.reserve(static_cast<size_t>(file.pageCount()) * file.pageSize());
    // As stored: encoded again where the file's pages are encoded.
    for (uint32_t p = 0; p < file.pageCount(); ++p) {
        const jet::file::Bytes page = file.stored(p);
        out.append(reinterpret_cast<const char*>(page.data()), page.size());
    }
    testsupport::writeFile(path, out);
}

std::vector<CatalogEntry> readCatalog(const jet::file::PageFile& file) {
    const auto def = jet::file::TableDefinition::read(file, 2);
    std::vector<CatalogEntry> out;
    jet::file::TableReader(file, def).forEachValues(
        [&](uint32_t, const std::vector<jet::FieldValue>& row) {
            CatalogEntry e;
            e.name = std::get<std::string>(valueOf(def, row, "Name"));
            e.id = std::get<int32_t>(valueOf(def, row, "Id"));
            e.type = std::get<int16_t>(valueOf(def, row, "Type"));
            const auto& flags = valueOf(def, row, "Flags");
            if (!jet::isNull(flags)) e.flags = std::get<int32_t>(flags);
            const auto& prop = valueOf(def, row, "LvProp");
            if (!jet::isNull(prop)) e.lvProp = std::get<jet::Binary>(prop).bytes;
            out.push_back(std::move(e));
        });
    return out;
}

std::vector<CatalogEntry> tables(const jet::file::PageFile& file) {
    auto all = readCatalog(file);
    std::erase_if(all, [](const CatalogEntry& e) { return e.type != 1; });
    return all;
}

}  // namespace codectest
