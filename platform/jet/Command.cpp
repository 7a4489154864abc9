#include "jet/Command.h"

namespace jet {

std::string Parameter::Name() const {
    ctx_.check(kObject, "Name");
    return d_->name;
}
int32_t Parameter::Type() const {
    ctx_.check(kObject, "Type");
    return d_->type;
}
int32_t Parameter::Size() const {
    ctx_.check(kObject, "Size");
    return d_->size;
}

Command::Command(detail::Ctx ctx, const QueryData* query)
    : ctx_(std::move(ctx)), query_(query), text_(query->commandText) {}

void Command::ActiveConnection(const Connection& connection) {
    if (!connection.backend()) raise(Err::NoActiveConnection);
    ctx_.backend = connection.backend();
}

std::string Command::CommandText() const {
    ctx_.check("Command", "CommandText");
    return text_;
}

int32_t Command::Execute() {
    if (!ctx_.backend) raise(Err::NoActiveConnection);
    if (text_.empty()) raise(Err::NoCommandText);
    return ctx_.backend->execute(text_);
}

Collection<Parameter> Command::Parameters() const {
    ctx_.check("Command", "Parameters");
    if (!query_) return Collection<Parameter>(ctx_, {});
    return Collection<Parameter>(ctx_, pointersTo(query_->parameters));
}

}  // namespace jet
