#pragma once
// Password hashes (libsodium crypto_pwhash_str, interactive limits). A stored
// hash never holds the password, not even an empty one.
#include <string>
#include <string_view>

namespace jet::store {

[[nodiscard]] std::string hashPassword(std::string_view password);
[[nodiscard]] bool verifyPassword(const std::string& hash, std::string_view password);
// A stable security identifier from an account's name and personal ID (hex of a
// unkeyed BLAKE2b hash), so the personal ID itself is not stored.
[[nodiscard]] std::string securityId(std::string_view name, std::string_view pid);

}  // namespace jet::store
