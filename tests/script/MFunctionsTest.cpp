#include <gtest/gtest.h>

#include "script/MFunctions.h"

namespace {

struct TypeCase {
    int16_t type;
    int32_t size;
    bool seeded;
    bool autoIncrement;
    int32_t increment;
    int32_t seed;
    uint8_t scale;
    uint8_t precision;
    const char* expected;
};

class ColumnTypeDdl : public ::testing::TestWithParam<TypeCase> {};

TEST_P(ColumnTypeDdl, GivesTheJetSqlTypeText) {
    const TypeCase& c = GetParam();
    EXPECT_EQ(script::MFunctions::ColumnTypeDdl(c.type, c.size, c.seeded, c.autoIncrement,
                                                c.increment, c.seed, c.scale, c.precision),
              c.expected)
        << "type code " << c.type;
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ColumnTypeDdl,
    ::testing::Values(TypeCase{11, 2, false, false, 1, 0, 0, 0, "YESNO"},
                      TypeCase{6, 8, false, false, 1, 0, 4, 19, "CURRENCY"},
                      TypeCase{7, 8, false, false, 1, 0, 0, 0, "DATETIME"},
                      TypeCase{135, 8, false, false, 1, 0, 0, 0, "DATETIME"},
                      TypeCase{5, 8, false, false, 1, 0, 0, 15, "DOUBLE"},
                      TypeCase{72, 16, false, false, 1, 0, 0, 0, "GUID"},
                      TypeCase{3, 4, false, false, 1, 0, 0, 10, "INTEGER"},
                      TypeCase{3, 4, true, false, 5, 100, 0, 10, "INTEGER"},
                      TypeCase{3, 4, false, true, 5, 100, 0, 10, "COUNTER"},
                      TypeCase{3, 4, true, true, 5, 100, 0, 10, "COUNTER(100,5)"},
                      TypeCase{3, 4, true, true, 1, -1, 0, 10, "COUNTER(-1,1)"},
                      TypeCase{3, 4, true, true, -2, 7, 0, 10, "COUNTER(7,-2)"},
                      TypeCase{205, 0, false, false, 1, 0, 0, 0, "OLEOBJECT"},
                      TypeCase{201, 0, false, false, 1, 0, 0, 0, "MEMO"},
                      TypeCase{203, 0, false, false, 1, 0, 0, 0, "MEMO"},
                      TypeCase{131, 19, false, false, 1, 0, 4, 18, "DECIMAL(18,4)"},
                      TypeCase{4, 4, false, false, 1, 0, 0, 7, "SINGLE"},
                      TypeCase{4, 4, true, true, 1, 0, 0, 7,
                               "SINGLE"},  // auto-increment only for code 3
                      TypeCase{2, 2, false, false, 1, 0, 0, 5, "SMALLINT"},
                      TypeCase{17, 1, false, false, 1, 0, 0, 3, "BYTE"},
                      // Binary and fixed-length types keep their nature and size.
                      TypeCase{204, 16, false, false, 1, 0, 0, 0, "VARBINARY(16)"},
                      TypeCase{128, 8, false, false, 1, 0, 0, 0, "BINARY(8)"},
                      TypeCase{129, 10, false, false, 1, 0, 0, 0, "CHAR(10)"},
                      TypeCase{130, 10, false, false, 1, 0, 0, 0, "CHAR(10)"},
                      TypeCase{200, 255, false, false, 1, 0, 0, 0, "TEXT(255)"},
                      TypeCase{202, 255, false, false, 1, 0, 0, 0, "TEXT(255)"},
                      TypeCase{202, 0, false, false, 1, 0, 0, 0, "TEXT(0)"},
                      TypeCase{14, 0, false, false, 1, 0, 0, 0, ""},
                      TypeCase{16, 0, false, false, 1, 0, 0, 0, ""},
                      TypeCase{20, 0, false, false, 1, 0, 0, 0, ""},
                      TypeCase{0, 0, false, false, 1, 0, 0, 0, ""}));

}  // namespace
