#include "jet/file/FormatError.h"

namespace jet::file {

FormatError::FormatError(const std::string& what, int64_t page)
    : std::runtime_error(page >= 0 ? what + " (page " + std::to_string(page) + ")" : what),
      page_(page) {}

}  // namespace jet::file
