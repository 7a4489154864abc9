#include "engine/CCAccess.h"

#include <optional>
#include <string_view>

#include "engine/detail/Comparison.h"
#include "jet/Error.h"
#include "text/CaseFold.h"

namespace engine {

void CCAccessEvents::Comparing(std::string, int32_t, int32_t, int32_t) {}
void CCAccessEvents::ErrorOccured(std::string) {}

jet::Catalog bindCatalog(CompareSide, const std::string& connectionString) {
    jet::Catalog catalog;
    catalog.ActiveConnection(connectionString);
    return catalog;
}

std::shared_ptr<CCAccess> CCAccess::create() { return std::make_shared<CCAccess>(Token{}); }

CCAccess::CCAccess(Token) : factory_(bindCatalog) {}

void CCAccess::setCatalogFactory(CatalogFactory factory) {
    factory_ = factory ? std::move(factory) : CatalogFactory(bindCatalog);
}

namespace {

enum class Kind { Tables, Procedures, Views, Users, Groups };

constexpr std::string_view kWorkgroupKey = "Jet OLEDB:System database=";

std::string_view listMessage(Kind kind) {
    switch (kind) {
        case Kind::Tables: return "Couldn't get tables list, skipping table comparison...";
        case Kind::Procedures:
            return "Couldn't get procedures list, skipping procedure comparison...";
        case Kind::Views: return "Couldn't get views list, skipping view comparison...";
        case Kind::Users: return "Couldn't get users list, skipping user comparison...";
        case Kind::Groups: return "Couldn't get groups list, skipping group comparison...";
    }
    return {};
}

// Entries of a catalog's Tables collection that are ordinary tables.
void countTables(const jet::Catalog& catalog, int32_t& total) {
    const auto tables = catalog.Tables();
    const int32_t n = tables.Count();
    for (int32_t i = 0; i < n; ++i)
        if (detail::isTable(tables.Item(i))) ++total;
}

}  // namespace

// One run of CompareDatabases: counting, the per-kind passes, and the events.
class EngineRun final : public detail::Progress {
public:
    explicit EngineRun(CCAccess& engine) : e_(engine) {}

    void run() {
        e_.sourceCatalog_ = e_.factory_(csSource, e_.sourceConnection_);
        e_.destinationCatalog_ = e_.factory_(csDestination, e_.destinationConnection_);

        for (Kind kind : {Kind::Tables, Kind::Procedures, Kind::Views, Kind::Users, Kind::Groups})
            if (included(kind)) count(kind);

        e_.progressPosition_ = 0;

        const jet::Catalog& s = e_.sourceCatalog_;
        const jet::Catalog& d = e_.destinationCatalog_;
        TComparisonResult& r = e_.result_;
        if (included(Kind::Tables)) {
            detail::CompareTables(s.Tables(), d.Tables(), false, r, e_.options_, *this);
            detail::CompareTables(s.Tables(), d.Tables(), true, r, e_.options_, *this);
        } else {
            r.Tables.Clear();
        }
        if (included(Kind::Procedures)) {
            detail::CompareProcedures(s.Procedures(), d.Procedures(), false, r.Procedures, *this);
            detail::CompareProcedures(s.Procedures(), d.Procedures(), true, r.Procedures, *this);
        } else {
            r.Procedures.Clear();
        }
        if (included(Kind::Views)) {
            detail::CompareViews(s.Views(), d.Views(), false, r.Views, *this);
            detail::CompareViews(s.Views(), d.Views(), true, r.Views, *this);
        } else {
            r.Views.Clear();
        }
        if (included(Kind::Users)) {
            detail::CompareUsers(s.Users(), d.Users(), false, r, *this);
            detail::CompareUsers(s.Users(), d.Users(), true, r, *this);
        } else {
            r.Users.Clear();
        }
        if (included(Kind::Groups)) {
            detail::CompareGroups(s.Groups(), d.Groups(), false, r, *this);
            detail::CompareGroups(s.Groups(), d.Groups(), true, r, *this);
        } else {
            r.Groups.Clear();
        }
    }

    void visit(const std::string& name, ObjectKind kind) override {
        ++e_.progressPosition_;
        // Copies of the counters: a receiver cannot change the engine's numbering.
        if (CCAccessEvents* events = e_.events_)
            events->Comparing(name, kind, e_.progressTotal_, e_.progressPosition_);
    }

    void report(std::string_view message, const detail::Failure& failure) override {
        raiseError(std::string(message));
        raiseError("Error Number : " + std::to_string(failure.number));
        raiseError("Error Description : " + failure.description);
    }

private:
    void raiseError(std::string line) {
        if (CCAccessEvents* events = e_.events_) events->ErrorOccured(std::move(line));
    }

    // Evaluated afresh at each use: counting may switch a kind off. Users and
    // groups need a workgroup named in the source connection string.
    [[nodiscard]] bool included(Kind kind) const {
        switch (kind) {
            case Kind::Tables: return e_.includeTables_;
            case Kind::Procedures: return e_.includeProcedures_;
            case Kind::Views: return e_.includeViews_;
            case Kind::Users:
                return e_.includeUsers_ && text::containsNoCase(e_.sourceConnection_, kWorkgroupKey);
            case Kind::Groups:
                return e_.includeGroups_ && text::containsNoCase(e_.sourceConnection_, kWorkgroupKey);
        }
        return false;
    }

    // Adds the kind's objects of both catalogs to the total. A list that cannot
    // be read is reported once, after both sides were tried, and switches the
    // kind off; what was added before the failure stays.
    void count(Kind kind) {
        std::optional<detail::Failure> held;
        for (const jet::Catalog* catalog : {&e_.sourceCatalog_, &e_.destinationCatalog_}) {
            int32_t& total = e_.progressTotal_;
            detail::deferred(held, [&] {
                switch (kind) {
                    case Kind::Tables: countTables(*catalog, total); break;
                    case Kind::Procedures: total += catalog->Procedures().Count(); break;
                    case Kind::Views: total += catalog->Views().Count(); break;
                    case Kind::Users: total += catalog->Users().Count(); break;
                    case Kind::Groups: total += catalog->Groups().Count(); break;
                }
            });
        }
        if (!held) return;
        report(listMessage(kind), *held);
        switch (kind) {
            case Kind::Tables: e_.includeTables_ = false; break;
            case Kind::Procedures: e_.includeProcedures_ = false; break;
            case Kind::Views: e_.includeViews_ = false; break;
            case Kind::Users: e_.includeUsers_ = false; break;
            case Kind::Groups: e_.includeGroups_ = false; break;
        }
    }

    CCAccess& e_;
};

bool CCAccess::CompareDatabases() {
    if (running_) jet::raise(jet::Err::ObjectOpen);
    // A receiver may release its last reference to this engine inside an event.
    const std::shared_ptr<CCAccess> self = shared_from_this();
    running_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{running_};
    EngineRun(*this).run();
    return true;
}

}  // namespace engine
