#include "jet/Error.h"

#include <vector>

namespace jet {

Error::Error(int32_t number, std::string description, std::string source)
    : std::runtime_error(description),
      number_(number),
      description_(std::move(description)),
      source_(std::move(source)) {}

const ErrorEntry& errorEntry(Err id) {
    for (const auto& e : kErrorTable)
        if (e.id == id) return e;
    // Every enumerator has a row; reaching here is a programming error.
    throw std::logic_error("jet::Err without a row in kErrorTable");
}

Error makeError(Err id, std::initializer_list<std::string_view> args) {
    const ErrorEntry& e = errorEntry(id);
    const std::vector<std::string_view> values(args);
    std::string text;
    text.reserve(e.text.size() + 32);
    for (size_t i = 0; i < e.text.size(); ++i) {
        const char c = e.text[i];
        if (c == '%' && i + 1 < e.text.size() && e.text[i + 1] >= '1' && e.text[i + 1] <= '9') {
            const auto n = static_cast<size_t>(e.text[i + 1] - '1');
            if (n < values.size()) text.append(values[n]);
            ++i;
        } else {
            text.push_back(c);
        }
    }
    return Error(e.number, std::move(text));
}

void raise(Err id, std::initializer_list<std::string_view> args) { throw makeError(id, args); }

}  // namespace jet
