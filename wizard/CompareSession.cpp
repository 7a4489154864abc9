#include "wizard/CompareSession.h"

#include <exception>
#include <optional>
#include <string_view>

#include "jet/Connection.h"
#include "jet/Error.h"

namespace wizard {

namespace {

constexpr std::string_view kCrLf = "\r\n";

// Thrown from an event of a comparison that is no longer wanted (its engine
// was dropped, or the program is ending) to end it there. Deliberately not a
// std::exception: no failure handler, the engine's or this file's, may take it
// for a failure of the comparison.
struct RunAbandoned {};

void openAndClose(const std::string& connectionString) {
    jet::Connection c;
    c.Open(connectionString, {}, {}, -1);
    c.Close();
}

// The current-object text of a kind, before the object's name.
std::optional<std::string_view> kindText(int32_t kind) {
    switch (kind) {
        case engine::okTable:
            return "Table (";
        case engine::okProcedure:
            return "Procedure (";
        case engine::okView:
            return "View (";
        case engine::okUser:
            return "User (";
        case engine::okGroup:
            return "Group (";
        default:
            return std::nullopt;
    }
}

std::string line(std::string_view text) {
    std::string s(text);
    s += kCrLf;
    return s;
}

}  // namespace

// The receiver of one comparison's events; it names the engine that raises
// them, so that events of a dropped engine are told apart.
class CompareSession::RunEvents final : public engine::CCAccessEvents {
public:
    RunEvents(CompareSession& session, const engine::CCAccess* engine)
        : session_(session), engine_(engine) {}

    void Comparing(std::string ObjectName, int32_t ObjectType, int32_t TotalObjectCount,
                   int32_t CurrentObjectNo) override {
        session_.Access_Comparing(engine_, ObjectName, ObjectType, TotalObjectCount,
                                  CurrentObjectNo);
    }
    void ErrorOccured(std::string Description) override {
        session_.Access_ErrorOccured(engine_, Description);
    }

private:
    CompareSession& session_;
    const engine::CCAccess* engine_;
};

CompareSession::CompareSession(CompareView& view, EngineFactory makeEngine,
                               ConnectionTest testConnection)
    : view_(view),
      makeEngine_(makeEngine ? std::move(makeEngine) : EngineFactory(engine::CCAccess::create)),
      testConnection_(testConnection ? std::move(testConnection) : ConnectionTest(openAndClose)) {
    options_.OnInvalidate([this] { InvalidateResults(); });
    access_ = makeEngine_();
}

CompareSession::~CompareSession() = default;

void CompareSession::replaceEngine() {
    // A running comparison holds its own reference: its engine lives on until
    // CompareDatabases has unwound.
    access_ = makeEngine_();
    view_.ResultsDropped();
}

void CompareSession::InvalidateResults() {
    if (!compared_) return;
    replaceEngine();
    processLabel_.clear();
    view_.SetProcessLabel(processLabel_);
    view_.SetProgressValue(0);
    compared_ = false;
}

void CompareSession::Shutdown() { shutdown_ = true; }

bool CompareSession::abandoned(const engine::CCAccess* engine) const {
    return shutdown_ || access_.get() != engine;
}

void CompareSession::CmdCompare_Click(const DatabaseSettings& settings) {
    // The request yields; a second click let through meanwhile waits for it.
    if (running_ || shutdown_) return;
    running_ = true;
    struct Idle {
        bool& flag;
        ~Idle() { flag = false; }
    } idle{running_};

    replaceEngine();
    if (!HasWorkgroup(settings.Source) || !HasWorkgroup(settings.Destination)) {
        options_.SetValue(OptionBox::CUser, kUnchecked);
        options_.SetValue(OptionBox::CGroup, kUnchecked);
    }
    // Taken after the rules above, which may have replaced the engine once more.
    const std::shared_ptr<engine::CCAccess> engine = access_;

    // Nothing of an earlier run stays on show while this one opens its databases.
    processLabel_.clear();
    view_.SetProcessLabel(processLabel_);
    view_.SetProgressValue(0);
    view_.SetLog(line("Compare process started..."));
    view_.AppendLog(line("Checking database connections..."));

    const std::string source = BuildConnectionString(settings.Source);
    if (!testSide(source, "source")) return;
    engine->SourceDatabaseConnectionString(source);
    const std::string destination = BuildConnectionString(settings.Destination);
    if (!testSide(destination, "destination")) return;
    ApplyCompareOptions(*engine, options_);
    engine->DestinationDatabaseConnnectionString(destination);

    compared_ = true;
    view_.SetCompareEnabled(false);
    // Enabled again on every way out but the program's end, after the last box.
    struct Enable {
        CompareSession& s;
        ~Enable() {
            if (s.shutdown_) return;
            try {
                s.view_.SetCompareEnabled(true);
            } catch (...) {
                // A window that fails here has a worse problem to report.
            }
        }
    } enable{*this};

    if (!runComparison(engine) || shutdown_) return;
    processLabel_ = "Compare process completed...";
    view_.SetProcessLabel(processLabel_);
    view_.AppendLog(processLabel_);
    view_.MsgBox("Successfully compared databases!", BoxIcon::Information, kProgramTitle);
}

bool CompareSession::testSide(const std::string& connectionString, const char* side) {
    int32_t number = 0;
    std::string description;
    try {
        testConnection_(connectionString);
        return true;
    } catch (const jet::Error& e) {
        number = e.number();
        description = e.description();
    } catch (const std::exception& e) {
        number = jet::errorEntry(jet::Err::General).number;
        description = e.what();
    }
    view_.AppendLog(line(std::string("Can't connect to the ") + side + " database..."));
    logFailure(number, description);
    view_.MsgBox(std::string("Can't connect to the ") + side +
                     " database.Please check your settings and try again!",
                 BoxIcon::Critical, "Connection error!");
    return false;
}

void CompareSession::logFailure(int32_t number, const std::string& description) {
    view_.AppendLog(line("Error No : " + std::to_string(number)));
    view_.AppendLog(line("Error Description : " + description));
    view_.AppendLog(line("Process stopped..."));
}

bool CompareSession::runComparison(const std::shared_ptr<engine::CCAccess>& engine) {
    // Repaint before the engine holds the thread; a setting changed meanwhile
    // drops the engine before it compares anything.
    view_.DoEvents();
    if (abandoned(engine.get())) {
        if (!shutdown_) view_.AppendLog(line("Process stopped..."));
        return false;
    }

    RunEvents events(*this, engine.get());
    engine->setEvents(&events);
    struct Detach {
        engine::CCAccess& e;
        ~Detach() { e.setEvents(nullptr); }
    } detach{*engine};

    int32_t number = 0;
    std::string description;
    try {
        return engine->CompareDatabases();
    } catch (const RunAbandoned&) {
        if (!shutdown_) view_.AppendLog(line("Process stopped..."));
        return false;
    } catch (const jet::Error& e) {
        number = e.number();
        description = e.description();
    } catch (const std::exception& e) {
        number = jet::errorEntry(jet::Err::General).number;
        description = e.what();
    }
    if (abandoned(engine.get())) return false;
    // What the engine read before it failed is no result: it goes with its engine.
    logFailure(number, description);
    InvalidateResults();
    view_.MsgBox(description, BoxIcon::Critical, kProgramTitle);
    return false;
}

void CompareSession::Access_Comparing(const engine::CCAccess* engine, const std::string& ObjectName,
                                      int32_t ObjectType, int32_t TotalObjectCount,
                                      int32_t CurrentObjectNo) {
    if (abandoned(engine)) throw RunAbandoned{};
    view_.SetProgressMaximum(TotalObjectCount);
    view_.SetProgressValue(CurrentObjectNo);
    if (const auto kind = kindText(ObjectType)) {
        processLabel_ = std::string(*kind) + ObjectName + ")...";
        view_.SetProcessLabel(processLabel_);
    }
    view_.AppendLog(line("Comparing : " + processLabel_));
    view_.DoEvents();
    if (abandoned(engine)) throw RunAbandoned{};
}

void CompareSession::Access_ErrorOccured(const engine::CCAccess* engine,
                                         const std::string& Description) {
    if (abandoned(engine)) throw RunAbandoned{};
    view_.AppendLog(line(Description));
}

std::string FailureText(const std::exception_ptr& failure) {
    try {
        if (failure) std::rethrow_exception(failure);
    } catch (const jet::Error& e) {
        return e.description();
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
    }
    return "An unexpected error occurred.";
}

}  // namespace wizard
