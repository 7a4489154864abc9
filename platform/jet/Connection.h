#pragma once
// A connection to one database (ADO's Connection). Not copyable; Commands and
// Catalogs bound to it share its provider session, so a change made through
// any of them is visible at once through the others.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "jet/Backend.h"

namespace jet {

enum class ObjectState { Closed = 0, Open = 1 };

class Connection {
public:
    Connection() = default;
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    Connection(Connection&&) noexcept = default;
    Connection& operator=(Connection&&) noexcept = default;

    // The version of the data-access interface this layer offers, as
    // "major.minor" ("2.8"). Programs that need a minimum version read it at
    // start-up; it names the interface, not a build, and never fails.
    [[nodiscard]] static std::string Version();

    // The access asked for at the next Open; ReadWrite makes Open fail with
    // Err::ReadOnly on a database that cannot be changed.
    void Mode(ConnectMode mode) { mode_ = mode; }
    [[nodiscard]] ConnectMode Mode() const { return mode_; }

    // Opens the database the connection string names. A non-empty userId or
    // password overrides the string's "User ID" / "Password". Throws jet::Error;
    // on failure the connection stays closed.
    void Open(std::string_view connectionString, std::string_view userId = {},
              std::string_view password = {}, int32_t options = -1);
    // Ends the session. A provider that writes its changes when the session
    // ends (a real Jet file) writes them here; when that fails Close throws,
    // the connection is closed all the same, and the description says that the
    // database was not changed and why. Closing by destruction writes too,
    // but cannot tell of a failure: close explicitly.
    void Close();
    // What the last Close left for the user to know (empty when nothing, and
    // after a failed Close): for a changed Jet file, where its earlier version
    // is kept.
    [[nodiscard]] const std::string& CloseReport() const { return closeReport_; }
    [[nodiscard]] ObjectState State() const {
        return backend_ ? ObjectState::Open : ObjectState::Closed;
    }
    [[nodiscard]] const std::string& ConnectionString() const { return connectionString_; }

    // Runs one Jet SQL statement; returns the rows affected (-1 for DDL).
    int32_t Execute(std::string_view commandText);

    // Layer-internal: the provider session (null while closed).
    [[nodiscard]] const std::shared_ptr<Backend>& backend() const { return backend_; }

private:
    ConnectMode mode_ = ConnectMode::Unknown;
    std::string connectionString_;
    std::shared_ptr<Backend> backend_;
    std::string closeReport_;
};

}  // namespace jet
