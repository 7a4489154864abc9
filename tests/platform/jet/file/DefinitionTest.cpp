// Table definitions decode into typed fields and encode back to the exact
// bytes of every Access-made definition.
#include <gtest/gtest.h>

#include "CodecTestSupport.h"
#include "jet/file/FormatError.h"
#include "jet/file/PageFile.h"
#include "jet/file/TableDefinition.h"

namespace {

using jet::file::PageFile;
using jet::file::TableDefinition;

TEST(TableDefinitionFixtures, EveryDefinitionReencodesByteForByte) {
    REQUIRE_FIXTURES();
    size_t definitions = 0, multiPage = 0;
    for (const auto& name : codectest::jet4Fixtures()) {
        SCOPED_TRACE(name);
        PageFile file(testsupport::fixture(name));
        ASSERT_TRUE(file.facts().codecSupported());
        for (const auto& t : codectest::tables(file)) {
            SCOPED_TRACE(t.name);
            const auto def = TableDefinition::read(file, static_cast<uint32_t>(t.id));
            const auto pages = def.encode();
            ASSERT_EQ(pages.size(), def.pages().size());
            for (size_t i = 0; i < pages.size(); ++i)
                EXPECT_TRUE(pages[i] == *file.page(def.pages()[i])) << "page " << def.pages()[i];
            EXPECT_EQ(def.pagesNeeded(), def.pages().size());
            ++definitions;
            if (def.pages().size() > 1) ++multiPage;
        }
    }
    std::cout << definitions << " definitions, " << multiPage << " over several pages\n";
    EXPECT_GT(multiPage, 0u);
}

}  // namespace
