#include "host/Error.h"

namespace host {

namespace {

std::string message(std::int32_t number, const std::string& source, const std::string& text) {
    std::string m = "Error " + std::to_string(number) + ": " + text;
    if (!source.empty()) m += " (" + source + ")";
    return m;
}

}  // namespace

std::string standardText(std::int32_t number) {
    switch (number) {
        case 5:
            return "Invalid procedure call or argument";
        case 6:
            return "Overflow";
        case 7:
            return "Out of memory";
        case 9:
            return "Subscript out of range";
        case 13:
            return "Type mismatch";
        case 380:
            return "Invalid property value";
        case 424:
            return "Object required";
        case 438:
            return "Object doesn't support this property or method";
        default:
            return "Application-defined or object-defined error";
    }
}

Error::Error(std::int32_t number, std::string source, std::string description)
    : std::runtime_error(
          message(number, source, description.empty() ? standardText(number) : description)),
      number_(number),
      source_(std::move(source)),
      description_(description.empty() ? standardText(number) : std::move(description)) {}

}  // namespace host
