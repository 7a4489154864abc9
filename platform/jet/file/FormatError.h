#pragma once
// What the page codec throws when bytes of a file do not hold what the format
// says they must (a damaged or unknown structure), and what it refuses to
// write (a structure it cannot prove it re-encodes exactly). The provider turns
// both into a jet::Error whose text says that nothing was changed.
#include <cstdint>
#include <stdexcept>
#include <string>

namespace jet::file {

class FormatError : public std::runtime_error {
public:
    // `page` is the page the fault was found on, when one is known.
    explicit FormatError(const std::string& what, int64_t page = -1);
    [[nodiscard]] int64_t page() const { return page_; }

private:
    int64_t page_;
};

}  // namespace jet::file
