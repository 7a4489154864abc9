#pragma once
// A ReadWrite session on a real Jet file. Reading stays the reader's (the
// read-only provider's session on the same file), as cheap and as permissive
// as for any open: a file that Access holds open can still be compared. The
// writer engages at the first statement or column property that would change
// the file; then, and only then, it checks the file (a Jet 4 file, its pages
// encoded or not, no NAME.ldb beside it, not being changed by another run),
// takes the file's lock for the rest of the session, reads the catalog through the
// page codec and checks that every definition re-encodes to its own bytes and
// that its reading of the tables equals the reader's. A refusal fails that
// statement, and every later one, with a text that names the reason, marked
// as the database's (Error::refusesDatabase); nothing is changed.
//
// Statements change an in-memory model only, each all or nothing. The file
// is written once, when the session ends (close): a new file beside the
// original, verified (the reader's view of it against the model, the
// structures of every touched table, the rows, every other page byte for
// byte), the original kept as a backup, the new file renamed over it. A
// session that changed nothing writes nothing. When writing or verifying
// fails, close throws Err::WriteFailed saying why; the original is untouched.
//
// Permission lines (setPermissions, GRANT, REVOKE) name accounts of the
// workgroup the connection names and become MSysACEs entries of the database
// (see FilePermissions.h); until the first change, getPermissions is the
// reader's, and after it the session's own reading of the entries as they
// will be written.
//
// Account statements (CREATE USER / GROUP, ADD USER … TO) change the
// workgroup the connection names instead (Workgroup.h), and never engage the
// database; permission lines may name the accounts they made. A run that
// changed both files writes the workgroup first, then the database, each
// through the same safe replacement; when the workgroup cannot be written
// neither file is, and when the database fails after the workgroup was
// replaced the error says which file holds what.
#include <functional>
#include <memory>
#include <string>

#include "jet/Backend.h"
#include "jet/file/SafeReplace.h"

namespace jet::file {

// `reader` is the read-only session on request.props.dataSource.
[[nodiscard]] std::shared_ptr<Backend> openWritable(const OpenRequest& request,
                                                    std::shared_ptr<Backend> reader);

// For tests: the fault seams of each file's replacement (SafeReplace.h), by
// the path the connection names it with; none in production. Process-wide.
void setReplaceHooks(std::function<ReplaceHooks(const std::string& path)> hooks);

}  // namespace jet::file
