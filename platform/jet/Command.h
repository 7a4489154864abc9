#pragma once
// ADO's Command: a statement text run on a connection; for a view or procedure
// of a catalog, the query's text and its parameters.
#include <cstdint>
#include <string>
#include <string_view>

#include "jet/Collection.h"
#include "jet/Connection.h"

namespace jet {

class Parameter {
public:
    using Data = ParameterData;
    static constexpr std::string_view kObject = "Parameter";
    static constexpr std::string_view kCollection = "Parameters";

    [[nodiscard]] std::string Name() const;
    [[nodiscard]] int32_t Type() const;
    [[nodiscard]] int32_t Size() const;

    Parameter(detail::Ctx ctx, const ParameterData* d, const void*) : ctx_(std::move(ctx)), d_(d) {}

private:
    detail::Ctx ctx_;
    const ParameterData* d_;
};

class Command {
public:
    Command() = default;

    void ActiveConnection(const Connection& connection);
    void CommandText(std::string text) { text_ = std::move(text); }
    [[nodiscard]] std::string CommandText() const;

    // Runs CommandText on the active connection; returns the rows affected.
    // Throws Err::NoActiveConnection, Err::NoCommandText or the provider's error.
    int32_t Execute();

    // The query's parameters (empty for a command made by the caller).
    [[nodiscard]] Collection<Parameter> Parameters() const;

    // Layer-internal: the command of a catalog's view or procedure.
    Command(detail::Ctx ctx, const QueryData* query);

private:
    detail::Ctx ctx_;
    const QueryData* query_ = nullptr;
    std::string text_;
};

}  // namespace jet
