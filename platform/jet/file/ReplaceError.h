#pragma once
// What a write session on the user's database throws: a refusal before
// anything was written, or a failure of one of the steps that replace the
// file. Its text is meant for the user as it stands: it says what to do and
// whether the database was changed. The provider turns it into a jet::Error.
#include <stdexcept>
#include <string>
#include <vector>

namespace jet::file {

class ReplaceError : public std::runtime_error {
public:
    enum class Reason {
        InUse,        // open in Access (NAME.ldb), or another run holds the lock
        NotWritable,  // the file is read-only, or its folder cannot be written
        Changed,      // another program changed or replaced the file meanwhile
        Rejected,     // the changed copy did not pass its verification
        Failed,       // a system call failed, or the request itself was wrong
    };

    ReplaceError(Reason reason, const std::string& what);

    // After the rename: the database holds the new contents and `backup` the
    // old ones, but a later step failed (the text says which).
    static ReplaceError afterReplace(const std::string& what, std::string backup);
    static ReplaceError rejected(const std::string& what, std::vector<std::string> findings);

    [[nodiscard]] Reason reason() const { return reason_; }
    // False for every failure before the rename: the original is untouched.
    [[nodiscard]] bool databaseChanged() const { return databaseChanged_; }
    // The backup's path when the database was changed.
    [[nodiscard]] const std::string& backupPath() const { return backup_; }
    // What the verification found, when it rejected the changed copy.
    [[nodiscard]] const std::vector<std::string>& findings() const { return findings_; }

private:
    Reason reason_;
    bool databaseChanged_ = false;
    std::string backup_;
    std::vector<std::string> findings_;
};

}  // namespace jet::file
