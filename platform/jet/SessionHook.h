#pragma once
// Test seam of the sessions: while a hook is installed, every session that
// openBackend opens is handed to it, and the layer works on the backend the
// hook returns (the same one, or a decorator of it). jet::testing builds
// hooks; production installs none and pays one null test per open.
#include <memory>

namespace jet {

class Backend;

class SessionHook {
public:
    virtual ~SessionHook() = default;
    [[nodiscard]] virtual std::shared_ptr<Backend> opened(
        std::shared_ptr<Backend> backend) const = 0;
};

// Installs `hook` for the whole process (null removes it). Sessions opened
// before keep what they had. Not synchronised: install from one thread,
// while no other opens a session.
void setSessionHook(std::shared_ptr<const SessionHook> hook);

}  // namespace jet
