#include <gtest/gtest.h>

#include "detail/MFunctions.h"

namespace {

using Name = std::string_view (*)(int16_t);

struct NameCase {
    const char* function;
    Name name;
    int16_t code;
    const char* expected;
};

void PrintTo(const NameCase& c, std::ostream* os) { *os << c.function << "(" << c.code << ")"; }

class DisplayName : public ::testing::TestWithParam<NameCase> {};

TEST_P(DisplayName, IsTheFixedTextOrEmpty) {
    const NameCase& c = GetParam();
    EXPECT_EQ(c.name(c.code), c.expected);
}

using namespace detail::MFunctions;

#define TYPE(code, text) \
    NameCase { "ColumnTypeName", &ColumnTypeName, code, text }
INSTANTIATE_TEST_SUITE_P(ColumnTypes, DisplayName,
                         ::testing::Values(TYPE(2, "Integer"), TYPE(3, "Long Integer"),
                                           TYPE(4, "Single"), TYPE(5, "Double"),
                                           TYPE(6, "Currency"), TYPE(7, "Date/Time"),
                                           TYPE(11, "Yes/No"), TYPE(17, "Byte"),
                                           TYPE(72, "Replication ID"), TYPE(131, "Decimal"),
                                           TYPE(135, "Date/Time"), TYPE(200, "Text"),
                                           TYPE(201, "Memo"), TYPE(202, "Text"), TYPE(203, "Memo"),
                                           TYPE(204, "Replication ID"), TYPE(205, "OLE Object"),
                                           // Codes without a name.
                                           TYPE(0, ""), TYPE(8, ""), TYPE(129, ""), TYPE(130, ""),
                                           TYPE(-1, ""), TYPE(32767, ""), TYPE(-32768, "")));
#undef TYPE

#define KEY(code, text) \
    NameCase { "KeyTypeName", &KeyTypeName, code, text }
#define RULE(code, text) \
    NameCase { "RuleName", &RuleName, code, text }
#define NULLS(code, text) \
    NameCase { "IndexNullsName", &IndexNullsName, code, text }
#define ORDER(code, text) \
    NameCase { "SortOrderName", &SortOrderName, code, text }
INSTANTIATE_TEST_SUITE_P(KeysRulesIndexes, DisplayName,
                         ::testing::Values(KEY(1, "Primary Key"), KEY(2, "Foreign Key"),
                                           KEY(3, "Unique Key"), KEY(0, ""), KEY(4, ""),
                                           RULE(0, "None"), RULE(1, "Cascade"), RULE(2, "Set Null"),
                                           RULE(3, "Set Default"), RULE(-1, ""), RULE(4, ""),
                                           NULLS(0, "Allow"), NULLS(1, "DisAllow"),
                                           NULLS(2, "Ignore"), NULLS(3, ""), NULLS(4, "Ignore Any"),
                                           NULLS(5, ""), ORDER(1, "Ascending"),
                                           ORDER(2, "Descending"), ORDER(0, ""), ORDER(3, "")));
#undef KEY
#undef RULE
#undef NULLS
#undef ORDER

}  // namespace
