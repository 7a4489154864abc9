#include "jet/Connection.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "jet/Error.h"
#include "jet/SessionHook.h"
#include "jet/writer/FileProvider.h"
#include "text/CaseFold.h"

namespace jet {

FileKind probeFile(const std::string& path) {
    std::error_code ec;
    if (path.empty() || !std::filesystem::exists(path, ec)) return FileKind::Missing;
    // Only a regular file is read: opening a FIFO would wait for a writer, and a
    // device may never end.
    if (!std::filesystem::is_regular_file(path, ec)) return FileKind::Unreadable;
    std::ifstream in(path, std::ios::binary);
    if (!in) return FileKind::Unreadable;
    char head[20] = {};
    in.read(head, sizeof head);
    const auto got = static_cast<size_t>(in.gcount());
    if (got >= 16 && std::memcmp(head, "SQLite format 3\0", 16) == 0) return FileKind::Store;
    // Workgroup files made by Access carry "Jet System DB" in the same place.
    if (got >= 19 && (std::memcmp(head + 4, "Standard Jet DB", 15) == 0 ||
                      std::memcmp(head + 4, "Standard ACE DB", 15) == 0 ||
                      std::memcmp(head + 4, "Jet System DB", 13) == 0))
        return FileKind::Jet;
    return FileKind::Unknown;
}

std::shared_ptr<Workgroup> openWorkgroup(const std::string& path) {
    switch (probeFile(path)) {
        case FileKind::Store:
            return store::openWorkgroup(path);
        case FileKind::Jet:
            return mdb::openWorkgroup(path);
        case FileKind::Missing:
        case FileKind::Unreadable:
            raise(Err::WorkgroupMissing, {path});
        case FileKind::Unknown:
            break;
    }
    raise(Err::WorkgroupInvalid, {path});
}

namespace {

// Checked in this order: provider (by the parser), data source, workgroup,
// then credentials (database password by the provider, the user's log-on here).
std::shared_ptr<Backend> openChecked(const OpenRequest& request) {
    const auto& props = request.props;
    const FileKind kind = probeFile(props.dataSource);
    switch (kind) {
        case FileKind::Missing:
            raise(Err::FileNotFound, {props.dataSource});
        case FileKind::Unreadable:
            raise(Err::FileNotReadable, {props.dataSource, "it is not a readable file"});
        case FileKind::Unknown:
            raise(Err::UnknownFormat, {props.dataSource});
        case FileKind::Jet:
        case FileKind::Store:
            break;
    }
    std::shared_ptr<Workgroup> workgroup;
    if (props.systemDatabase && !props.systemDatabase->empty())
        workgroup = openWorkgroup(*props.systemDatabase);
    auto backend =
        kind == FileKind::Jet ? mdb::open(request, workgroup) : store::open(request, workgroup);
    // Writing a real Jet file is the writer's, over the reader's session on it.
    if (kind == FileKind::Jet && request.mode == ConnectMode::ReadWrite)
        backend = file::openWritable(request, std::move(backend));
    const std::string user = props.userId.value_or("");
    if (workgroup) {
        workgroup->logOn(user.empty() ? std::string("admin") : user, props.password.value_or(""));
    } else if (!user.empty() && !text::equalNoCase(user, "admin")) {
        raise(Err::NoWorkgroupForUser, {user});
    }
    return backend;
}

std::shared_ptr<const SessionHook>& sessionHook() {
    static std::shared_ptr<const SessionHook> hook;
    return hook;
}

}  // namespace

void setSessionHook(std::shared_ptr<const SessionHook> hook) { sessionHook() = std::move(hook); }

std::shared_ptr<Backend> openBackend(const OpenRequest& request) {
    std::shared_ptr<Backend> backend = openChecked(request);
    if (const auto& hook = sessionHook()) return hook->opened(std::move(backend));
    return backend;
}

std::string Connection::Version() { return "2.8"; }

Connection::~Connection() {
    if (backend_) {
        try {
            backend_->close();
        } catch (...) {
            // Closing on destruction must not throw; the session is gone either way.
        }
    }
}

void Connection::Open(std::string_view connectionString, std::string_view userId,
                      std::string_view password, int32_t /*options*/) {
    if (backend_) raise(Err::ObjectOpen);
    OpenRequest request;
    request.props = parseConnectionString(connectionString);
    request.mode = mode_;
    if (!userId.empty()) request.props.userId = std::string(userId);
    if (!password.empty()) request.props.password = std::string(password);
    backend_ = openBackend(request);
    connectionString_ = std::string(connectionString);
}

void Connection::Close() {
    if (!backend_) raise(Err::ObjectClosed);
    auto backend = std::move(backend_);
    backend_.reset();
    closeReport_.clear();
    backend->close();
    closeReport_ = backend->closeReport();
}

int32_t Connection::Execute(std::string_view commandText) {
    if (!backend_) raise(Err::ObjectClosed);
    if (commandText.empty()) raise(Err::NoCommandText);
    return backend_->execute(commandText);
}

}  // namespace jet
