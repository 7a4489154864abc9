// Jet 4 text: compression as Access applies it, and round trips.
#include <gtest/gtest.h>

#include "jet/file/FormatError.h"
#include "jet/file/Text.h"

namespace {

using jet::file::Bytes;
using jet::file::decodeText;
using jet::file::encodeText;

struct TextCase {
    const char* name;
    std::string text;
    bool compress;
    Bytes stored;
};

class TextEncoding : public ::testing::TestWithParam<TextCase> {};

TEST_P(TextEncoding, StoresAsAccessDoesAndReadsBack) {
    const auto& c = GetParam();
    EXPECT_EQ(encodeText(c.text, c.compress), c.stored);
    EXPECT_EQ(decodeText(c.stored), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextEncoding,
    ::testing::Values(
        TextCase{"Empty", "", true, {}},
        TextCase{"AsciiCompressed", "abc", true, {0xFF, 0xFE, 'a', 'b', 'c'}},
        TextCase{"AsciiWithoutCompression", "abc", false, {'a', 0, 'b', 0, 'c', 0}},
        // One character: the marker makes the compressed form no shorter.
        TextCase{"SingleCharacterStaysUcs2", "a", true, {'a', 0}},
        TextCase{
            "LatinOneCompressed", "\xC3\xA4\xC3\xA9\xC3\xBC", true, {0xFF, 0xFE, 0xE4, 0xE9, 0xFC}},
        // Two characters: four bytes either way, so UCS-2.
        TextCase{"NoShorterStaysUcs2", "\xC3\xA4\xC3\xA9", true, {0xE4, 0, 0xE9, 0}},
        TextCase{"CyrillicStaysUcs2",
                 "\xD0\x9C\xD0\xB8\xD1\x80",
                 true,
                 {0x1C, 0x04, 0x38, 0x04, 0x40, 0x04}},
        // A run of wide characters inside a long narrow text: switch and back.
        TextCase{
            "MixedSwitchesModes",
            "abcd\xD0\x9C\xD0\xB8xyzw",
            true,
            {0xFF, 0xFE, 'a', 'b', 'c', 'd', 0, 0x1C, 0x04, 0x38, 0x04, 0, 'x', 'y', 'z', 'w'}},
        // A character whose low byte is zero cannot be stored compressed.
        TextCase{"LowByteZeroBlocksCompression", "ab\xC4\x80", true, {'a', 0, 'b', 0, 0x00, 0x01}},
        TextCase{"SurrogatePair", "\xF0\x9F\x98\x80", false, {0x3D, 0xD8, 0x00, 0xDE}},
        // A lone surrogate survives as its three-byte form.
        TextCase{"LoneSurrogate", "\xED\xA0\x80", false, {0x00, 0xD8}},
        // U+FEFF first would read as the compression marker: compressed it
        // is (a switch back for one character would save nothing).
        TextCase{
            "LeadingMarkerCharacter", "\xEF\xBB\xBFz", false, {0xFF, 0xFE, 0, 0xFF, 0xFE, 'z', 0}}),
    [](const ::testing::TestParamInfo<TextCase>& p) { return std::string(p.param.name); });

TEST(TextDecoding, RefusesBytesThatEndInsideACharacter) {
    EXPECT_THROW((void)decodeText(Bytes{'a', 0, 'b'}), jet::file::FormatError);
    EXPECT_THROW((void)decodeText(Bytes{0xFF, 0xFE, 'a', 0, 0x1C}), jet::file::FormatError);
}

TEST(TextEncodingErrors, RefusesTextThatIsNotUtf8) {
    for (const char* bad : {"\xC3", "\x80", "\xC0\xAF", "\xF4\x90\x80\x80"})
        EXPECT_THROW((void)encodeText(bad, true), jet::file::FormatError) << bad;
}

}  // namespace
