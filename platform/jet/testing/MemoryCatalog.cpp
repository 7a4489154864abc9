#include "jet/testing/MemoryCatalog.h"

#include "jet/Error.h"
#include "text/CaseFold.h"

namespace jet::testing {

namespace {

class MemoryBackend : public Backend {
public:
    MemoryBackend(CatalogData data, PermissionMap permissions) : permissions_(std::move(permissions)) {
        normalize(data);
        data_ = std::make_shared<const CatalogData>(std::move(data));
    }
    std::shared_ptr<const CatalogData> catalog() override {
        live();
        return data_;
    }
    int32_t execute(std::string_view) override { raise(Err::ReadOnly); }
    void setColumnProperty(std::string_view, std::string_view, int, const Variant&) override {
        raise(Err::ReadOnly);
    }
    int32_t getPermissions(PrincipalKind kind, std::string_view principal,
                           std::string_view objectName, int32_t objectType) override {
        live();
        const auto it = permissions_.find(permissionKey(kind, principal, objectType, objectName));
        return it == permissions_.end() ? 0 : it->second;
    }
    void setPermissions(PrincipalKind, std::string_view, std::string_view, int32_t, int32_t,
                        int32_t) override {
        raise(Err::ReadOnly);
    }
    bool readOnly() const override { return true; }
    void close() override { closed_ = true; }

private:
    void live() const {
        if (closed_) raise(Err::ObjectClosed);
    }
    std::shared_ptr<const CatalogData> data_;
    PermissionMap permissions_;
    bool closed_ = false;
};

}  // namespace

std::tuple<PrincipalKind, std::string, int32_t, std::string> permissionKey(
    PrincipalKind kind, std::string_view principal, int32_t objectType, std::string_view object) {
    return {kind, text::fold(principal), objectType,
            objectType == objtype::Database ? std::string() : text::fold(object)};
}

std::shared_ptr<Backend> memoryBackend(CatalogData data, PermissionMap permissions) {
    return std::make_shared<MemoryBackend>(std::move(data), std::move(permissions));
}

Catalog memoryCatalog(CatalogData data, PermissionMap permissions) {
    Catalog c;
    c.bindBackend(memoryBackend(std::move(data), std::move(permissions)));
    return c;
}

}  // namespace jet::testing
