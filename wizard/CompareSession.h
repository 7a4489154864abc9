#pragma once
// The wizard's comparison engine and what happens to it: the engine held in
// `Access`, the `Compared` mark, the option boxes whose changes drop a result,
// and the compare request with its test connections, progress and log.
//
// Single-threaded. The compare request yields to the window after every
// compared object (CompareView::DoEvents), so any handler may run inside it:
// a setting changed then drops the running comparison's engine (it is kept
// alive until the comparison has unwound, which happens at its next event, and
// nothing of it is shown or reported afterwards); Shutdown ends the running
// comparison the same way. Keep the session and its view alive until
// CmdCompare_Click has returned.
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "engine/CCAccess.h"
#include "wizard/CompareView.h"
#include "wizard/DatabaseSettings.h"
#include "wizard/OptionRules.h"

namespace wizard {

// The title of the program's message boxes.
inline constexpr const char* kProgramTitle = "Orvel! Parabase";

// What a failure caught at an event handler's boundary tells the user: a data
// access error's description, another error's text, or that it was unexpected.
[[nodiscard]] std::string FailureText(const std::exception_ptr& failure);

class CompareSession {
public:
    // Makes a fresh engine (tests hand in engines bound to their own catalogs).
    using EngineFactory = std::function<std::shared_ptr<engine::CCAccess>()>;
    // Opens and closes a connection with the string; throws jet::Error (or
    // another std::exception) when the database cannot be opened.
    using ConnectionTest = std::function<void(const std::string& connectionString)>;

    // Makes the first engine. Run CheckDataAccess before: making an engine
    // needs the data-access layer. Empty functions take the defaults
    // (CCAccess::create, and an open of a jet::Connection).
    explicit CompareSession(CompareView& view, EngineFactory makeEngine = {},
                            ConnectionTest testConnection = {});
    ~CompareSession();
    CompareSession(const CompareSession&) = delete;
    CompareSession& operator=(const CompareSession&) = delete;

    // The Options page's boxes; their rules invalidate this session's results.
    [[nodiscard]] OptionRules& Options() { return options_; }
    [[nodiscard]] const OptionRules& Options() const { return options_; }

    // The present engine; never null. Replaced by every compare request and by
    // every invalidation after a comparison, so hold the pointer only as long
    // as one handler runs.
    [[nodiscard]] const std::shared_ptr<engine::CCAccess>& Access() const { return access_; }
    // A comparison was started on the present engine and not invalidated since.
    [[nodiscard]] bool Compared() const { return compared_; }
    // A compare request is under way (from its start to its last box): script
    // and detail requests, and another compare request, wait for its end.
    [[nodiscard]] bool Comparing() const { return running_; }

    // The results are stale: when a comparison was made, the engine is replaced
    // by a fresh one (its result dropped), the current-object box emptied, the
    // progress value set to 0 and Compared cleared; otherwise nothing. The log
    // and the progress maximum stay. Every change of a database field calls it;
    // the comparison boxes' rules call it themselves.
    void InvalidateResults();

    // The Compare button: a fresh engine; users and groups switched off unless
    // both sides name a workgroup; the current-object box emptied, the
    // progress value set to 0 and the log started afresh; each side's
    // connection string built and tested (a side that does not open is logged
    // and reported, and the request ends); the options and strings handed to
    // the engine; then the comparison, its progress and log, and the success
    // box. A comparison that fails is logged and reported, its partial result
    // dropped. Does nothing while a request runs or after Shutdown.
    void CmdCompare_Click(const DatabaseSettings& settings);

    // The program is ending: a running comparison stops at its next event and
    // its request returns without touching the view again; later requests do
    // nothing.
    void Shutdown();

private:
    class RunEvents;
    friend class RunEvents;

    void replaceEngine();
    [[nodiscard]] bool testSide(const std::string& connectionString, const char* side);
    [[nodiscard]] bool runComparison(const std::shared_ptr<engine::CCAccess>& engine);
    void logFailure(int32_t number, const std::string& description);
    [[nodiscard]] bool abandoned(const engine::CCAccess* engine) const;

    void Access_Comparing(const engine::CCAccess* engine, const std::string& ObjectName,
                          int32_t ObjectType, int32_t TotalObjectCount, int32_t CurrentObjectNo);
    void Access_ErrorOccured(const engine::CCAccess* engine, const std::string& Description);

    CompareView& view_;
    EngineFactory makeEngine_;
    ConnectionTest testConnection_;
    OptionRules options_;
    std::shared_ptr<engine::CCAccess> access_;
    bool compared_ = false;
    bool running_ = false;
    bool shutdown_ = false;
    std::string processLabel_;
};

}  // namespace wizard
