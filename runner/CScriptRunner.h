#pragma once
// Applies one synchronisation script file to one database: the statement text
// gathered between "RUN" lines is executed one statement at a time, in file
// order, and the lines of "<JET:COLUMNS>", "<JET:USERS>" and "<JET:GROUPS>"
// blocks are applied through the catalog. There is no transaction: what ran
// before a failure stays done.
#include <cstdint>
#include <string>

namespace runner {

// What the runner tells its owner during a run; both run synchronously, inside
// RunScript, on the caller's thread.
class ScriptRunnerEvents {
public:
    virtual ~ScriptRunnerEvents() = default;
    // A statement failed: its text, to be shown to the user before OnError, with
    // the values of a PASSWORD clause masked (see StatementMask.h).
    virtual void ShowStatement(const std::string& statement) { (void)statement; }
    // Raised once for every failed statement. ErrNo and ErrDesc are copies;
    // Continue arrives false, and set to true the run goes on with the next line.
    virtual void OnError(int32_t ErrNo, std::string ErrDesc, bool& Continue) {
        (void)ErrNo, (void)ErrDesc, (void)Continue;
    }
};

class CScriptRunner {
public:
    CScriptRunner() = default;

    // The connection string of the database to change; it is opened for
    // writing, so a database that cannot be changed fails at the open.
    void ConnectionString(std::string value) { connectionString_ = std::move(value); }
    // The path of the script file.
    void ScriptFile(std::string value) { scriptFile_ = std::move(value); }
    // Receives the events of later runs; not owned, null detaches. Without a
    // receiver the first failed statement ends the run with false.
    void Events(ScriptRunnerEvents* events) { events_ = events; }

    // Runs the whole file. True: the end of the file was reached (every failed
    // statement on the way was let pass by OnError). False: OnError left
    // Continue false and the run stopped at that statement. Non-blank statement
    // text after the last RUN line fails like a statement (kErrTextAfterLastRun,
    // naming its first line) once the end of the file is reached. Throws jet::Error
    // when the database does not open, a block line is refused or closing fails
    // after the end of the file; RunnerError when the script file cannot be
    // read or a block line holds a field that is not a whole number. On every
    // exit the file, catalog, command and connection are released.
    [[nodiscard]] bool RunScript();

private:
    std::string connectionString_;
    std::string scriptFile_;
    ScriptRunnerEvents* events_ = nullptr;
};

}  // namespace runner
