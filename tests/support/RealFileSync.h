#pragma once
// Syncs copies of two databases as a user does with the two programs: compare
// them with the comparison engine (the Options page as the program opens it),
// select every object, write the script in one direction, save it as a script
// file and apply it with the script runner to the copy it changes, letting
// every failed statement pass and keeping each one. Files of either kind (Jet
// files and store files) are copied first into the harness's own temporary
// folder: the originals, fixtures among them, are never touched.
#include <cstdint>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "script/Script.h"
#include "wizard/OptionRules.h"

namespace oracles {

// A copy of `file` named `name` in `dir`, readable and writable by its owner
// (fixtures are read-only).
std::string writableCopy(const std::string& file, const testsupport::TempDir& dir,
                         const std::string& name);

struct StatementFailure {
    std::string statement;
    int32_t number = 0;
    std::string description;
};

struct RunResult {
    bool finished = false;  // what RunScript returned
    std::string thrown;     // what it threw (the database did not open, a block line was refused)
    std::vector<StatementFailure> failures;
    std::string closeFailure;  // the runner's CloseFailure()
    std::string closeReport;   // the runner's CloseReport()

    // Every statement ran, none failed, nothing was thrown, the close succeeded.
    [[nodiscard]] bool clean() const {
        return finished && thrown.empty() && failures.empty() && closeFailure.empty();
    }
    // What went wrong, one line each; empty when clean().
    [[nodiscard]] std::string problems() const;
};

// Saves `scriptText` with script::WriteScriptFile at `scriptFile` and runs it
// with runner::CScriptRunner on the database of `connectionString`.
[[nodiscard]] RunResult applyScript(const std::string& scriptText, const std::string& scriptFile,
                                    const std::string& connectionString);

struct SyncRequest {
    std::string source;
    std::string destination;
    std::string sourceWorkgroup;       // optional; copied too
    std::string destinationWorkgroup;  // optional; copied too
    script::ScriptDirection direction = script::sdSourceToDestination;
    // Every table, view, procedure, user and group selected; otherwise the
    // selection the engine leaves.
    bool selectAll = true;
    // The Options page's "Drop Opposite Objects" box.
    bool dropOppositeObjects = false;
    // The other boxes, as the window opens them unless a test sets them.
    wizard::OptionRules options;
};

struct SyncResult {
    std::string sourceCopy;
    std::string destinationCopy;
    std::string sourceConnection;
    std::string destinationConnection;
    std::string target;               // the copy the script changes
    std::string compareErrors;        // the lines of errors the engine reported
    std::string scriptText;           // the script file's text
    std::vector<std::string> report;  // what the generator left out, and why
    RunResult run;
};

class SyncHarness {
public:
    // Copies both sides (and their workgroups) into a folder of its own for
    // this sync, then compares, writes the script and runs it. Failures of
    // the compare or of writing the script are thrown as they come.
    [[nodiscard]] SyncResult sync(const SyncRequest& request);
    [[nodiscard]] const testsupport::TempDir& dir() const { return dir_; }

private:
    testsupport::TempDir dir_;
    int syncs_ = 0;
};

}  // namespace oracles
