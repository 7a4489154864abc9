#include "host/Site.h"

#include <algorithm>
#include <cstdlib>
#include <type_traits>

#include "host/Scale.h"

namespace host {

bool asBool(const Value& v) {
    return std::visit(
        [](const auto& x) -> bool {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, std::string>)
                return x == "True" || x == "true" || x == "-1" || x == "1";
            else
                return x != 0;
        },
        v);
}

std::int32_t asLong(const Value& v) {
    return std::visit(
        [](const auto& x) -> std::int32_t {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, std::string>)
                return static_cast<std::int32_t>(std::strtol(x.c_str(), nullptr, 10));
            else if constexpr (std::is_same_v<T, bool>)
                return x ? -1 : 0;
            else if constexpr (std::is_same_v<T, float>)
                return CLng(x);
            else
                return x;
        },
        v);
}

float asSingle(const Value& v) {
    return std::visit(
        [](const auto& x) -> float {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, std::string>)
                return std::strtof(x.c_str(), nullptr);
            else if constexpr (std::is_same_v<T, bool>)
                return x ? -1.0f : 0.0f;
            else
                return static_cast<float>(x);
        },
        v);
}

std::string asString(const Value& v) {
    if (const auto* s = std::get_if<std::string>(&v)) return *s;
    return {};
}

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
