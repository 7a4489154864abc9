#pragma once
// Permission lines on a Jet 4 file: what a line names (an account's entry on
// the database, a table or a saved query), the access mask (MSysACEs.ACM) the
// entry holds as the session now stands, and the mask a line leaves. The
// planner writes the masks into MSysACEs at the end of the session.
//
// ADOX's rights map onto the mask by jet/mdb/JetRights.h, the table the
// reader reads them back by. Set (2) gives the entry exactly the rights asked
// for and keeps the mask's bits no right stands for (Access's masks hold such
// bits: 0xFFEFF beside 0xFFFFF); grant (1) adds the rights; revoke (4) and
// deny (3) take them away, as the store does. Full stands for every bit of
// 0xFFFFF.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "jet/file/FileCatalog.h"
#include "jet/statement/Model.h"
#include "jet/writer/FileState.h"

namespace jet::file {

// The object of a permission line as the session has it: its key, and its
// MSysObjects id when it is an object of the file (none for one the session
// made, whose entries are the Tables container's inheritable ones until the
// file is written).
struct PermissionTarget {
    PermissionKey::Object object = PermissionKey::Object::Database;
    std::string name;  // folded; empty for the database
    std::optional<int32_t> fileId;
};

// The object `name` of `objectType` (jet::objtype). A view or a procedure
// must be named by its own type when `ownType` is set (a line sets rights,
// as the store checks); reading accepts either, as the reader does, for
// which both are saved queries. Throws Err::PermissionObjectNotFound (the
// store's text), Err::NotSupported for a column (Jet keeps no rights on
// columns), Err::InvalidArgument for an unknown type.
[[nodiscard]] PermissionTarget permissionTarget(const FileCatalog& catalog, const FileState& state,
                                                const statement::Model& model,
                                                std::string_view name, int32_t objectType,
                                                bool ownType);

// The mask the entries of the account with the stored SID `sid` on `target`
// hold as the session now stands: a line's, else the file's entries (ORed,
// as the reader reads them), else for an object the session made the
// entries it inherits.
[[nodiscard]] uint32_t currentMask(const FileCatalog& catalog, const FileState& state,
                                   const PermissionTarget& target, const std::string& sid);

// The mask a line leaves on an entry holding `now`. Throws
// Err::InvalidArgument for an unknown action, and Err::NotWrittenYet for a
// right to be set or granted that no bit of the object's mask stands for
// (the reader could not read it back).
[[nodiscard]] uint32_t maskAfter(uint32_t now, int32_t objectType, int32_t action,
                                 int32_t rights);

// Takes back the lines on tables and queries the session no longer has
// (dropped by a statement): a table made again under the name starts afresh.
void dropLinesOfGoneObjects(FileState& state, const FileCatalog& catalog,
                            const statement::Model& model);

// The access entries a new object takes: the Tables container's
// inheritable ones, less the placeholder (as Access writes them).
[[nodiscard]] bool inheritedEntry(const FileCatalog& catalog, const StoredRow& ace);

}  // namespace jet::file
