// Property blobs decode into every chunk and property, encode back to their
// own bytes, agree with mdb-prop, and take the changes the writer makes.
#include <gtest/gtest.h>

#include <iostream>
#include <map>

#include "CodecTestSupport.h"
#include "MdbTools.h"
#include "jet/file/FormatError.h"
#include "jet/file/PageFile.h"
#include "jet/file/PropertyBlob.h"
#include "jet/file/TableDefinition.h"

namespace {

using jet::file::Bytes;
using jet::file::PropertyBlob;
namespace coltype = jet::file::coltype;

Bytes bytesOf(const std::string& s) { return Bytes(s.begin(), s.end()); }

// mdb-prop's listing: per chunk name ("(none)" for the object), its
// properties and their printed values.
std::map<std::string, std::map<std::string, std::string>> mdbProp(const std::string& file,
                                                                  const std::string& object) {
    const std::string out =
        mdbtest::run("mdb-prop " + mdbtest::shellQuote(file) + " " + mdbtest::shellQuote(object));
    std::map<std::string, std::map<std::string, std::string>> chunks;
    std::map<std::string, std::string>* current = nullptr;
    std::string* last = nullptr;
    size_t at = 0;
    while (at < out.size()) {
        size_t end = out.find('\n', at);
        if (end == std::string::npos) end = out.size();
        const std::string line = out.substr(at, end - at);
        at = end + 1;
        if (line.rfind("name: ", 0) == 0) {
            current = &chunks[line.substr(6)];
            last = nullptr;
        } else if (!line.empty() && line[0] == '\t' && current) {
            const auto colon = line.find(": ");
            last = &(*current)[line.substr(1, colon - 1)];
            *last = line.substr(colon + 2);
        } else if (last && !line.empty()) {
            *last += "\n" + line;  // a value that holds a line break
        }
    }
    return chunks;
}

// What mdb-prop prints for a property; nullopt where its printing is not
// compared (dates, floating point, GUIDs).
std::optional<std::string> propText(const std::string& name, const jet::file::Property& p,
                                    const jet::file::TextCodec& codec) {
    if (auto b = p.boolean()) return *b ? "yes" : "no";
    if (auto i = p.integer()) return std::to_string(*i);
    if (auto t = p.text(codec)) return *t;
    if (p.type == coltype::Binary && name == "GUID" && p.value.size() == 16) return std::nullopt;
    if (p.type == coltype::Binary || p.type == coltype::Ole)
        return "(binary data of length " + std::to_string(p.value.size()) + ")";
    return std::nullopt;
}

TEST(PropertyBlobFixtures, EveryBlobReencodesAndAgreesWithMdbProp) {
    REQUIRE_FIXTURES();
    size_t blobs = 0, compared = 0;
    for (const auto& name : codectest::codecFixtures()) {
        SCOPED_TRACE(name);
        const auto path = testsupport::fixture(name);
        jet::file::PageFile file(path);
        const auto catalog = codectest::readCatalog(file);
        // mdb-prop names an object by its name alone: nwind.mdb's table
        // Categories shares its name with a form, whose properties it lists.
        std::map<std::string, size_t> named;
        for (const auto& entry : catalog) ++named[entry.name];
        for (const auto& entry : catalog) {
            if (!entry.lvProp) continue;
            SCOPED_TRACE(entry.name);
            const Bytes raw = bytesOf(*entry.lvProp);
            const auto blob =
                PropertyBlob::decode(raw, file.layout(), jet::file::TextCodec::of(file));
            EXPECT_EQ(blob.encode(), raw);
            ++blobs;
            if (entry.type != 1 || named[entry.name] > 1 || !mdbtest::haveMdbTools()) continue;
            const auto theirs = mdbProp(path, entry.name);
            for (const auto& chunk : blob.chunks) {
                if (chunk.type == jet::file::kPropertyNamesChunk) continue;
                const std::string key = chunk.target.empty() ? "(none)" : chunk.target;
                ASSERT_TRUE(theirs.count(key)) << key;
                const auto& props = theirs.at(key);
                EXPECT_EQ(props.size(), chunk.properties.size()) << key;
                for (const auto& p : chunk.properties) {
                    const auto propName = blob.nameOf(chunk, p);
                    ASSERT_TRUE(props.count(propName)) << key << "." << propName;
                    if (auto text = propText(propName, p, blob.text())) {
                        EXPECT_EQ(*text, props.at(propName)) << key << "." << propName;
                        ++compared;
                    }
                }
            }
        }
    }
    std::cout << blobs << " property blobs, " << compared << " values compared with mdb-prop\n";
}

}  // namespace

namespace {

// The blob of testUnicodeCompV2003's table "Table": columns ID and Unicode.
PropertyBlob tableBlob() {
    jet::file::PageFile file(testsupport::fixture("jackcess/testUnicodeCompV2003.mdb"));
    for (const auto& e : codectest::readCatalog(file))
        if (e.name == "Table" && e.lvProp) return PropertyBlob::decode(bytesOf(*e.lvProp));
    throw std::runtime_error("no blob for Table");
}

TEST(PropertyBlobChanges, ReadsAndSetsPropertiesByName) {
    REQUIRE_FIXTURES();
    auto blob = tableBlob();
    ASSERT_TRUE(blob.find("unicode", "unicodecompression"));
    EXPECT_EQ(blob.find("Unicode", "UnicodeCompression")->boolean(), true);
    EXPECT_EQ(blob.find("Unicode", "AllowZeroLength")->boolean(), true);
    EXPECT_EQ(blob.find("ID", "Description"), nullptr);
    const uint8_t ddl = blob.find("Unicode", "Required")->ddl;
    blob.setBoolean("Unicode", "Required", true);
    blob.setText("ID", "Description", "the key");
    blob.setText("", "Description", "a table");
    auto again = PropertyBlob::decode(blob.encode());
    EXPECT_EQ(again.find("Unicode", "Required")->boolean(), true);
    EXPECT_EQ(again.find("Unicode", "Required")->ddl, ddl);  // kept when not given
    EXPECT_EQ(again.find("ID", "Description")->text(), "the key");
    EXPECT_EQ(again.find("ID", "Description")->type, coltype::Text);
    EXPECT_EQ(again.find("", "Description")->text(), "a table");
    EXPECT_EQ(again.encode(), blob.encode());
    // A name the blob did not know joins its list once.
    const auto names = again.chunks.front().names.size();
    again.setText("Unicode", "Description", "letters");
    EXPECT_EQ(again.chunks.front().names.size(), names);
    EXPECT_TRUE(again.remove("Unicode", "description"));
    EXPECT_FALSE(again.remove("Unicode", "Description"));
    EXPECT_EQ(again.find("Unicode", "Description"), nullptr);
}

TEST(PropertyBlobChanges, ColumnChunksAreAddedRemovedAndRenamed) {
    REQUIRE_FIXTURES();
    auto blob = tableBlob();
    auto& added = blob.addColumn("Extra");
    EXPECT_EQ(added.target, "Extra");
    EXPECT_THROW(blob.addColumn("extra"), jet::file::FormatError);
    blob.setText("Extra", "DefaultValue", "\"x\"", 1);
    EXPECT_TRUE(blob.renameColumn("Unicode", "Letters"));
    EXPECT_FALSE(blob.renameColumn("Nothing", "Else"));
    EXPECT_TRUE(blob.removeColumn("ID"));
    auto again = PropertyBlob::decode(blob.encode());
    EXPECT_EQ(again.chunkOf("ID"), nullptr);
    EXPECT_EQ(again.chunkOf("Unicode"), nullptr);
    EXPECT_EQ(again.find("Letters", "UnicodeCompression")->boolean(), true);
    EXPECT_EQ(again.find("Extra", "DefaultValue")->text(), "\"x\"");
    EXPECT_EQ(again.find("Extra", "DefaultValue")->ddl, 1);
    EXPECT_EQ(again.find("Extra", "DefaultValue")->type, coltype::Memo);
    // The table's own chunk is untouched.
    EXPECT_EQ(again.chunkOf("")->properties.size(), tableBlob().chunkOf("")->properties.size());
}

TEST(PropertyBlobChanges, ABlobMadeFromNothingHoldsItsProperties) {
    PropertyBlob blob;
    blob.setBoolean("Name", "Required", true, 1);
    blob.setText("", "Description", "made here");
    auto again = PropertyBlob::decode(blob.encode());
    ASSERT_EQ(again.chunks.size(), 3u);
    EXPECT_EQ(again.chunks[0].type, jet::file::kPropertyNamesChunk);
    EXPECT_EQ(again.chunks[1].type, jet::file::kTablePropertiesChunk);
    EXPECT_EQ(again.find("name", "required")->boolean(), true);
    EXPECT_EQ(again.find("", "Description")->text(), "made here");
}

}  // namespace
