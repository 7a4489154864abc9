#include "jet/store/Password.h"

#include <sodium.h>

#include "jet/Error.h"

namespace jet::store {

namespace {

void ensureSodium() {
    static const int ready = sodium_init();
    if (ready < 0) raise(Err::General, {"The password library could not be started."});
}

}  // namespace

std::string hashPassword(std::string_view password) {
    ensureSodium();
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(out, password.data(), password.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        raise(Err::General, {"Not enough memory to hash a password."});
    return out;
}

bool verifyPassword(const std::string& hash, std::string_view password) {
    ensureSodium();
    return crypto_pwhash_str_verify(hash.c_str(), password.data(), password.size()) == 0;
}

std::string securityId(std::string_view name, std::string_view pid) {
    ensureSodium();
    unsigned char digest[16];
    crypto_generichash_state st;
    crypto_generichash_init(&st, nullptr, 0, sizeof digest);
    crypto_generichash_update(&st, reinterpret_cast<const unsigned char*>(name.data()), name.size());
    const unsigned char sep = 0;
    crypto_generichash_update(&st, &sep, 1);
    crypto_generichash_update(&st, reinterpret_cast<const unsigned char*>(pid.data()), pid.size());
    crypto_generichash_final(&st, digest, sizeof digest);
    char hex[sizeof digest * 2 + 1];
    sodium_bin2hex(hex, sizeof hex, digest, sizeof digest);
    return hex;
}

}  // namespace jet::store
