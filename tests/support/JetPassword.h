#pragma once
// A copy of a Jet file's bytes with a database password written into its
// header the way Jet keeps it (the test programs that use it link the header
// code of jet_format).
#include <cstdint>
#include <cstring>
#include <string>

#include "jet/format/JetHeader.h"

namespace testsupport {

inline std::string withPassword(std::string bytes, const std::u16string& password, bool jet4) {
    std::string page = bytes.substr(0, 4096);
    jet::format::applyHeaderMask(page);
    if (jet4) {
        double date = 0;
        std::memcpy(&date, page.data() + jet::format::kCreationDateOffset, sizeof date);
        const auto whole = static_cast<uint32_t>(static_cast<int32_t>(date));
        for (size_t i = 0; i < 40; ++i) {
            const char16_t unit = i / 2 < password.size() ? password[i / 2] : u'\0';
            const auto byte = static_cast<unsigned char>(i % 2 == 0 ? unit & 0xFF : unit >> 8);
            page[jet::format::kPasswordOffset + i] =
                static_cast<char>(byte ^ ((whole >> (8 * (i % 4))) & 0xFF));
        }
    } else {
        for (size_t i = 0; i < 20; ++i)
            page[jet::format::kPasswordOffset + i] = static_cast<char>(
                i < password.size() ? static_cast<unsigned char>(password[i]) : 0);
    }
    jet::format::applyHeaderMask(page);
    return page + bytes.substr(4096);
}

}  // namespace testsupport
