#include "jet/testing/SessionEnd.h"

#include "jet/Backend.h"
#include "jet/SessionHook.h"

namespace jet::testing {

struct ScopedSessionEnd::Counts {
    int ended = 0;
};

namespace {

// A session that ends as the plan says once it has changed something.
class EndingBackend : public Backend {
public:
    EndingBackend(std::shared_ptr<Backend> inner, const SessionEnd& end,
                  std::shared_ptr<ScopedSessionEnd::Counts> counts)
        : inner_(std::move(inner)), end_(end), counts_(std::move(counts)) {}

    std::shared_ptr<const CatalogData> catalog() override { return inner_->catalog(); }
    int32_t execute(std::string_view sql) override {
        const int32_t rows = inner_->execute(sql);
        changed_ = true;
        return rows;
    }
    void setColumnProperty(std::string_view table, std::string_view column, int position,
                           const Variant& value) override {
        inner_->setColumnProperty(table, column, position, value);
        changed_ = true;
    }
    int32_t getPermissions(PrincipalKind kind, std::string_view principal,
                           std::string_view objectName, int32_t objectType) override {
        return inner_->getPermissions(kind, principal, objectName, objectType);
    }
    void setPermissions(PrincipalKind kind, std::string_view principal, std::string_view objectName,
                        int32_t objectType, int32_t action, int32_t rights) override {
        inner_->setPermissions(kind, principal, objectName, objectType, action, rights);
        changed_ = true;
    }
    bool readOnly() const override { return inner_->readOnly(); }
    void close() override {
        inner_->close();
        if (!changed_) return;
        ++counts_->ended;
        if (end_.failure) {
            failed_ = true;
            throw *end_.failure;
        }
    }
    std::string closeReport() const override {
        if (!changed_) return inner_->closeReport();
        return failed_ ? std::string() : end_.report;
    }

private:
    std::shared_ptr<Backend> inner_;
    SessionEnd end_;
    std::shared_ptr<ScopedSessionEnd::Counts> counts_;
    bool changed_ = false;
    bool failed_ = false;
};

class EndingHook : public SessionHook {
public:
    EndingHook(SessionEnd end, std::shared_ptr<ScopedSessionEnd::Counts> counts)
        : end_(std::move(end)), counts_(std::move(counts)) {}
    std::shared_ptr<Backend> opened(std::shared_ptr<Backend> backend) const override {
        return std::make_shared<EndingBackend>(std::move(backend), end_, counts_);
    }

private:
    SessionEnd end_;
    std::shared_ptr<ScopedSessionEnd::Counts> counts_;
};

}  // namespace

ScopedSessionEnd::ScopedSessionEnd(SessionEnd end) : counts_(std::make_shared<Counts>()) {
    setSessionHook(std::make_shared<EndingHook>(std::move(end), counts_));
}

ScopedSessionEnd::~ScopedSessionEnd() { setSessionHook(nullptr); }

int ScopedSessionEnd::ended() const { return counts_->ended; }

}  // namespace jet::testing
