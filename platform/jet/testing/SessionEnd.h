#pragma once
// How sessions end, for tests of callers of Connection::Close: the store
// provider writes every change at once and never fails at close, while a
// provider that writes its changes at the end of the session may fail there
// or leave a report. While a ScopedSessionEnd lives, every session opened
// that changes something (a statement run, a column property or permission
// set) ends as it says; sessions that change nothing end as they would.
#include <memory>
#include <optional>
#include <string>

#include "jet/Error.h"

namespace jet::testing {

struct SessionEnd {
    // Thrown by the close, after the provider's own session has ended (the
    // store keeps what it wrote).
    std::optional<Error> failure;
    // What CloseReport gives after a close that succeeded.
    std::string report;
};

class ScopedSessionEnd {
public:
    explicit ScopedSessionEnd(SessionEnd end);
    ~ScopedSessionEnd();
    ScopedSessionEnd(const ScopedSessionEnd&) = delete;
    ScopedSessionEnd& operator=(const ScopedSessionEnd&) = delete;

    // Sessions that ended as `end` says (changed, and closed explicitly or
    // by their connection's destruction).
    [[nodiscard]] int ended() const;

    // Shared with the sessions it wraps; defined where they are.
    struct Counts;

private:
    std::shared_ptr<Counts> counts_;
};

}  // namespace jet::testing
