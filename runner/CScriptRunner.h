#pragma once
// Applies one synchronisation script file to one database: the statement text
// gathered between "RUN" lines is executed one statement at a time, in file
// order, and the lines of "<JET:COLUMNS>", "<JET:USERS>" and "<JET:GROUPS>"
// blocks are applied through the catalog. There is no transaction: what ran
// before a failure stays done.
#include <cstddef>
#include <cstdint>
#include <string>

namespace jet {
class Connection;
}

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
    // statement on the way was let pass by OnError) and the database was
    // closed. False: OnError left Continue false and the run stopped at that
    // statement, the database refused to be changed at all (Refusal), or
    // closing the database failed (CloseFailure). A statement that fails with
    // a refusal of the database (jet::Error::refusesDatabase) ends the run at
    // once, without ShowStatement or OnError: every later statement would meet
    // the same refusal. Non-blank
    // statement text after the last RUN line fails like a statement
    // (kErrTextAfterLastRun, naming its first line) once the end of the file is
    // reached. Throws jet::Error when the database does not open or a block
    // line is refused; RunnerError when the script file cannot be read or a
    // block line holds a field that is not a whole number.
    // Once the database is open, every way out closes it explicitly (after the
    // catalog and the command are released), so that a provider that writes
    // its changes at the end of the session writes what ran; a failed close
    // never passes for success, not even after the user declined.
    [[nodiscard]] bool RunScript();

    // What the last run's close left: the description of its failure (the
    // database was not changed, and why), or, after a close that succeeded,
    // what the user should know (where the earlier version of a changed
    // database is kept). Both empty before the close and when there is
    // nothing to say.
    [[nodiscard]] const std::string& CloseFailure() const { return closeFailure_; }
    [[nodiscard]] const std::string& CloseReport() const { return closeReport_; }
    // Why the last run's database refused to be changed, when a refusal of
    // the database ended it; empty otherwise.
    [[nodiscard]] const std::string& Refusal() const { return refusal_; }
    // How many failed statements the last run went on past (each let pass by
    // OnError), statement text after the last RUN line included.
    [[nodiscard]] size_t FailedStatements() const { return failedStatements_; }

private:
    // The lines of the file, on an open connection; the command and catalog
    // are its own and gone when it returns or throws.
    [[nodiscard]] bool runLines(jet::Connection& connection);
    // Closes the connection, keeping the failure or the report. False when
    // the close failed.
    bool close(jet::Connection& connection);

    std::string connectionString_;
    std::string scriptFile_;
    ScriptRunnerEvents* events_ = nullptr;
    std::string closeFailure_;
    std::string closeReport_;
    std::string refusal_;
    size_t failedStatements_ = 0;
};

}  // namespace runner
