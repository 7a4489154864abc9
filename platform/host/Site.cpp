#include "host/Site.h"

#include <algorithm>

namespace host {

Value MemoryBag::ReadProperty(const std::string& name, const Value& defaultValue) {
    const auto it = values_.find(name);
    return it == values_.end() ? defaultValue : it->second;
}

void MemoryBag::WriteProperty(const std::string& name, const Value& value,
                              const Value& defaultValue) {
    if (value == defaultValue) {
        if (values_.erase(name) > 0) order_.erase(std::find(order_.begin(), order_.end(), name));
        return;
    }
    put(name, value);
}

void MemoryBag::put(const std::string& name, Value value) {
    if (values_.count(name) == 0) order_.push_back(name);
    values_[name] = std::move(value);
}

}  // namespace host
