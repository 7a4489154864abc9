#pragma once
// Engaging the writer on a Jet file (see FileProvider.h): the file's checks,
// its lock, its catalog read through the page codec, every definition the
// writer may rewrite proven to re-encode to its own bytes, the codec's
// reading of the tables proven equal to the reader's, and the session's
// first state. A refusal throws the Error the statement fails with.
#include <memory>
#include <string>

#include "jet/Backend.h"
#include "jet/file/FileCatalog.h"
#include "jet/file/PageFile.h"
#include "jet/file/SessionLock.h"
#include "jet/statement/Model.h"
#include "jet/writer/FileState.h"

namespace jet::file {

// A session's hold on the file, once engaged.
struct Engaged {
    explicit Engaged(const std::string& path) : lock(path), file(path), catalog(file) {}
    SessionLock lock;
    PageFile file;
    FileCatalog catalog;
    statement::Model model;
    FileState state;
};

// `reader` is the read-only session on `path`, whose reading the codec's must equal.
[[nodiscard]] std::unique_ptr<Engaged> engageFile(const std::string& path, Backend& reader);

}  // namespace jet::file
