#include "RealFileSync.h"

#include <filesystem>
#include <stdexcept>

#include "JetOracles.h"
#include "engine/CCAccess.h"
#include "jet/Error.h"
#include "runner/CScriptRunner.h"
#include "script/ScriptFile.h"

namespace oracles {

namespace fs = std::filesystem;

std::string writableCopy(const std::string& file, const testsupport::TempDir& dir,
                         const std::string& name) {
    const fs::path to = dir.path() / name;
    fs::create_directories(to.parent_path());
    fs::copy_file(file, to, fs::copy_options::overwrite_existing);
    fs::permissions(to, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add);
    return to.string();
}

std::string RunResult::problems() const {
    std::string s;
    if (!thrown.empty()) s += "the run stopped: " + thrown + "\n";
    for (const auto& f : failures)
        s += "failed (" + std::to_string(f.number) + "): " + f.statement + " -> " + f.description +
             "\n";
    if (!closeFailure.empty()) s += "the close failed: " + closeFailure + "\n";
    if (!finished && s.empty()) s += "the run did not reach the end of the script\n";
    return s;
}

namespace {

// Keeps every failed statement and lets the run go on.
class FailureLog : public runner::ScriptRunnerEvents {
public:
    explicit FailureLog(std::vector<StatementFailure>& failures) : failures_(failures) {}
    void ShowStatement(const std::string& statement) override {
        const auto first = statement.find_first_not_of(" \t\r\n");
        const auto last = statement.find_last_not_of(" \t\r\n");
        last_ =
            first == std::string::npos ? std::string() : statement.substr(first, last - first + 1);
    }
    void OnError(int32_t ErrNo, std::string ErrDesc, bool& Continue) override {
        failures_.push_back({last_, ErrNo, std::move(ErrDesc)});
        last_.clear();
        Continue = true;
    }

private:
    std::vector<StatementFailure>& failures_;
    std::string last_;
};

class ErrorLines : public engine::CCAccessEvents {
public:
    void ErrorOccured(std::string Description) override { text += Description + "\n"; }
    std::string text;
};

}  // namespace

RunResult applyScript(const std::string& scriptText, const std::string& scriptFile,
                      const std::string& connectionString) {
    script::WriteScriptFile(scriptFile, scriptText);
    RunResult result;
    runner::CScriptRunner runner;
    FailureLog log(result.failures);
    runner.ConnectionString(connectionString);
    runner.ScriptFile(scriptFile);
    runner.Events(&log);
    try {
        result.finished = runner.RunScript();
    } catch (const jet::Error& e) {
        result.thrown = e.description();
    } catch (const std::exception& e) {
        result.thrown = e.what();
    }
    result.closeFailure = runner.CloseFailure();
    result.closeReport = runner.CloseReport();
    return result;
}

SyncResult SyncHarness::sync(const SyncRequest& request) {
    const std::string folder = "sync-" + std::to_string(++syncs_) + "/";
    const auto copy = [&](const std::string& file, const char* side) {
        return file.empty()
                   ? std::string()
                   : writableCopy(file, dir_,
                                  folder + side + "-" + fs::path(file).filename().string());
    };
    SyncResult r;
    r.sourceCopy = copy(request.source, "source");
    r.destinationCopy = copy(request.destination, "destination");
    r.sourceConnection = connectionFor(r.sourceCopy, copy(request.sourceWorkgroup, "source"));
    r.destinationConnection =
        connectionFor(r.destinationCopy, copy(request.destinationWorkgroup, "destination"));
    const bool toDestination = request.direction == script::sdSourceToDestination;
    r.target = toDestination ? r.destinationCopy : r.sourceCopy;

    wizard::OptionRules options = request.options;
    if (request.dropOppositeObjects) options.SetValue(wizard::OptionBox::DObject, wizard::kChecked);
    {
        // The engine keeps both catalogs bound while it lives: it goes before the
        // runner opens the target.
        const auto e = engine::CCAccess::create();
        wizard::ApplyCompareOptions(*e, options);
        e->SourceDatabaseConnectionString(r.sourceConnection);
        e->DestinationDatabaseConnnectionString(r.destinationConnection);
        ErrorLines errors;
        e->setEvents(&errors);
        e->CompareDatabases();
        e->setEvents(nullptr);
        r.compareErrors = errors.text;

        // As the results page does before it writes a script.
        wizard::ApplyScriptOptions(*e, options);
        if (request.selectAll) {
            engine::TComparisonResult all = e->Differences();
            for (auto& t : all.Tables) t.Selected = true;
            for (auto& v : all.Views) v.Selected = true;
            for (auto& q : all.Procedures) q.Selected = true;
            for (auto& u : all.Users) u.Selected = true;
            for (auto& g : all.Groups) g.Selected = true;
            e->Differences(all);
        }
        const script::TScript s =
            script::GenerateScript(*e, request.direction, options.IsOn(wizard::OptionBox::CMatch));
        r.scriptText = script::ScriptFileText(s);
        r.report = s.Report;
    }
    r.run = applyScript(r.scriptText, (dir_.path() / folder / "sync.psx").string(),
                        toDestination ? r.destinationConnection : r.sourceConnection);
    return r;
}

}  // namespace oracles
