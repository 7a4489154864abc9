#include "detail/MFunctions.h"

namespace detail::MFunctions {

std::string_view ColumnTypeName(int16_t type) {
    switch (type) {
        case 2:
            return "Integer";
        case 3:
            return "Long Integer";
        case 4:
            return "Single";
        case 5:
            return "Double";
        case 6:
            return "Currency";
        case 7:
        case 135:
            return "Date/Time";
        case 11:
            return "Yes/No";
        case 17:
            return "Byte";
        // 204 is the code of a binary column, yet it has always been shown as
        // a replication ID, as 72 is.
        case 72:
        case 204:
            return "Replication ID";
        case 131:
            return "Decimal";
        case 200:
        case 202:
            return "Text";
        case 201:
        case 203:
            return "Memo";
        case 205:
            return "OLE Object";
        default:
            return "";
    }
}

std::string_view KeyTypeName(int16_t type) {
    switch (type) {
        case 1:
            return "Primary Key";
        case 2:
            return "Foreign Key";
        case 3:
            return "Unique Key";
        default:
            return "";
    }
}

std::string_view RuleName(int16_t rule) {
    switch (rule) {
        case 0:
            return "None";
        case 1:
            return "Cascade";
        case 2:
            return "Set Null";
        case 3:
            return "Set Default";
        default:
            return "";
    }
}

std::string_view IndexNullsName(int16_t nulls) {
    switch (nulls) {
        case 0:
            return "Allow";
        case 1:
            return "DisAllow";
        case 2:
            return "Ignore";
        case 4:
            return "Ignore Any";
        default:
            return "";
    }
}

std::string_view SortOrderName(int16_t order) {
    switch (order) {
        case 1:
            return "Ascending";
        case 2:
            return "Descending";
        default:
            return "";
    }
}

}  // namespace detail::MFunctions
