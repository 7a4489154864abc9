#include "script/MFunctions.h"

namespace script::MFunctions {

namespace {
std::string sized(const char* name, int32_t size) {
    return std::string(name) + "(" + std::to_string(size) + ")";
}
}  // namespace

std::string ColumnTypeDdl(int16_t type, int32_t definedSize, bool includeIncrementAndSeed,
                          bool autoIncrement, int32_t increment, int32_t seed, uint8_t numericScale,
                          uint8_t precision) {
    switch (type) {
        case 11:
            return "YESNO";
        case 6:
            return "CURRENCY";
        case 7:
        case 135:
            return "DATETIME";
        case 5:
            return "DOUBLE";
        case 72:
            return "GUID";
        case 3:
            if (!autoIncrement) return "INTEGER";
            if (!includeIncrementAndSeed) return "COUNTER";
            return "COUNTER(" + std::to_string(seed) + "," + std::to_string(increment) + ")";
        case 205:
            return "OLEOBJECT";
        case 201:
        case 203:
            return "MEMO";
        case 131:
            return "DECIMAL(" + std::to_string(precision) + "," + std::to_string(numericScale) +
                   ")";
        case 4:
            return "SINGLE";
        case 2:
            return "SMALLINT";
        case 17:
            return "BYTE";
        // Binary columns keep their bytes: a GUID type would reinterpret them.
        case 204:
            return sized("VARBINARY", definedSize);
        case 128:
            return sized("BINARY", definedSize);
        case 129:
        case 130:
            return sized("CHAR", definedSize);
        case 200:
        case 202:
            return sized("TEXT", definedSize);
        default:
            return {};
    }
}

}  // namespace script::MFunctions
