#pragma once
// One field's value as Jet's types hold it, whatever a provider stores: the
// rows a statement converts, checks or indexes, the values a page codec reads
// and writes. Text is UTF-8 (providers convert at their boundary); binary
// values (BINARY, VARBINARY, OLEOBJECT) are raw bytes in a std::string.
#include <array>
#include <cstdint>
#include <string>
#include <variant>

namespace jet {

// CURRENCY: a 64-bit count of ten-thousandths.
struct Currency {
    int64_t units = 0;
    friend bool operator==(const Currency&, const Currency&) = default;
};

// DATETIME: days since 1899-12-30 with the time as the fraction, as Jet keeps
// it (before that day the whole part is negative and the fraction still counts
// forward from midnight).
struct DateTime {
    double days = 0;
    friend bool operator==(const DateTime&, const DateTime&) = default;
};

// GUID: the 16 bytes as stored (the first three groups little-endian).
struct Guid {
    std::array<uint8_t, 16> bytes{};
    friend bool operator==(const Guid&, const Guid&) = default;
};

// DECIMAL: sign and a 96-bit magnitude scaled by 10^scale.
struct Decimal {
    bool negative = false;
    uint8_t scale = 0;
    uint32_t low = 0, middle = 0, high = 0;  // magnitude, least significant word first
    friend bool operator==(const Decimal&, const Decimal&) = default;
};

struct Binary {
    std::string bytes;
    friend bool operator==(const Binary&, const Binary&) = default;
};

// The alternatives in this order; index() is stable and may be stored.
using FieldValue = std::variant<std::monostate,  // null
                                bool,            // YESNO
                                uint8_t,         // BYTE
                                int16_t,         // SMALLINT
                                int32_t,         // INTEGER, COUNTER
                                Currency,        // CURRENCY
                                float,           // SINGLE
                                double,          // DOUBLE
                                DateTime,        // DATETIME
                                std::string,     // TEXT, CHAR, MEMO (UTF-8)
                                Binary,          // BINARY, VARBINARY, OLEOBJECT
                                Guid,            // GUID
                                Decimal>;        // DECIMAL

[[nodiscard]] inline bool isNull(const FieldValue& v) {
    return std::holds_alternative<std::monostate>(v);
}

}  // namespace jet
