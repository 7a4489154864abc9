#include "jet/writer/FileProvider.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <map>

#include "jet/Error.h"
#include "jet/QueryText.h"
#include "jet/file/Checker.h"
#include "jet/file/FileCatalog.h"
#include "jet/file/PageFile.h"
#include "jet/file/ReplaceError.h"
#include "jet/file/SafeReplace.h"
#include "jet/file/SessionLock.h"
#include "jet/file/Text.h"
#include "jet/format/JetHeader.h"
#include "jet/mdb/JetRights.h"
#include "jet/statement/Dml.h"
#include "jet/statement/Executor.h"
#include "jet/statement/Statement.h"
#include "jet/writer/Accounts.h"
#include "jet/writer/EngagedSession.h"
#include "jet/writer/FileQueries.h"
#include "jet/writer/FileSchema.h"
#include "jet/writer/FilePermissions.h"
#include "jet/writer/FileState.h"
#include "jet/writer/FileStorage.h"
#include "jet/writer/FileVerify.h"
#include "jet/writer/Planner.h"
#include "jet/writer/Workgroup.h"
#include "text/CaseFold.h"

namespace jet::file {

namespace {

std::function<ReplaceHooks(const std::string&)>& replaceHooks() {
    static std::function<ReplaceHooks(const std::string&)> hooks;
    return hooks;
}

ReplaceHooks hooksFor(const std::string& path) {
    return replaceHooks() ? replaceHooks()(path) : ReplaceHooks{};
}

std::string fileName(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

std::string hexOf(std::string_view s) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (unsigned char c : s) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

// The DML reader writes its text through a dialect; this provider needs only
// what the reader finds, not the text.
class NoDialect final : public statement::Dialect {
public:
    std::string name(std::string_view n) override { return std::string(n); }
    std::string text(std::string value, bool) override { return value; }
    std::string date(DateTime) override { return {}; }
    std::string call(std::string_view f, const std::vector<std::string>&) override {
        return std::string(f);
    }
    [[nodiscard]] std::string_view concatenation() const override { return "&"; }
    [[nodiscard]] std::string_view modulo() const override { return "Mod"; }
};

// Now, as Jet dates what it changes: local time in days since 1899-12-30.
DateTime localNow() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    const std::time_t asUtc = timegm(&tm);
    // 25569 days lie between 1899-12-30 and 1970-01-01.
    return DateTime{static_cast<double>(asUtc) / 86400.0 + 25569.0};
}

class WritableSession final : public Backend {
public:
    WritableSession(const OpenRequest& request, std::shared_ptr<Backend> reader)
        : path_(request.props.dataSource),
          workgroupPath_(request.props.systemDatabase.value_or("")),
          reader_(std::move(reader)) {}

    [[nodiscard]] std::shared_ptr<const CatalogData> catalog() override {
        checkOpen();
        auto base = reader_->catalog();
        const bool accounts = wg_ && wg_->changed();
        if (!w_ && !accounts) return base;
        if (cached_ && cachedBase_ == base && cachedGeneration_ == generation_) return cached_;
        auto data = std::make_shared<CatalogData>(*base);
        if (accounts) showAccounts(*data);
        if (!w_) {
            cached_ = data;
            cachedBase_ = base;
            cachedGeneration_ = generation_;
            return cached_;
        }
        std::erase_if(data->tables, [](const TableData& t) { return t.type == "TABLE"; });
        for (const auto& [key, t] : w_->model.tables)
            data->tables.push_back(statement::tableData(t));
        // normalize() adds a VIEW entry for every view; the reader's are there already.
        std::erase_if(data->tables, [](const TableData& t) { return t.type == "VIEW"; });
        // The queries as the reader will read them back from the written file.
        data->views.clear();
        data->procedures.clear();
        for (const auto& [key, q] : w_->state.queries) addSavedQuery(*data, q.name, q.text);
        normalize(*data);
        cached_ = data;
        cachedBase_ = base;
        cachedGeneration_ = generation_;
        return cached_;
    }

    int32_t execute(std::string_view sql) override {
        checkOpen();
        const statement::Parsed p = statement::parseStatement(sql);
        const statement::Statement& st = p.statement;
        // Accounts live in the workgroup: the database is not engaged for them.
        if (statement::isAccountStatement(st)) {
            accountStatement(st);
            return -1;
        }
        engage();
        storableText(sql, "the statement");
        if (const auto* g = std::get_if<statement::GrantRevoke>(&st)) {
            grantRevoke(*g);
            return -1;
        }
        if (std::holds_alternative<statement::AlterDatabasePassword>(st))
            raise(Err::NotWrittenYet, {"A database password"});
        if (statement::isSchemaStatement(st)) {
            const bool keysFixed = !w_->catalog.relationships.unreadable.empty();
            const std::string keys = keysFixed ? foreignKeysOf(w_->model) : std::string();
            allOrNothing([&](FileStorage& storage) {
                statement::Executor(w_->model, storage).run(st);
                withoutCompression();
                if (keysFixed && foreignKeysOf(w_->model) != keys)
                    raise(Err::NotWrittenYet,
                          {"A relationship of a database whose MSysRelationships holds a row "
                           "that cannot be read"});
                reseed(st, storage);
                seedAfterNumbering(st, storage);
                generatedGuids(st, storage);
                return 0;
            });
            dropLinesOfGoneObjects(w_->state, w_->catalog, w_->model);
            return -1;
        }
        if (const auto* d = std::get_if<statement::Dml>(&st)) return dml(p, *d);
        raise(Err::NotWrittenYet, {"This statement"});
    }

    void setColumnProperty(std::string_view table, std::string_view column, int position,
                           const Variant& value) override {
        checkOpen();
        if (position < 0 || position >= prop::Count) raise(Err::ItemNotFound);
        engage();
        const std::string propName(kColumnPropertyNames[static_cast<size_t>(position)]);
        if (const auto* text = std::get_if<std::string>(&value))
            storableText(*text, "the value of " + propName);
        bool changed = false;
        allOrNothing([&](FileStorage& storage) {
            statement::TableDef* t = w_->model.table(table);
            if (!t) raise(Err::TableNotFound, {table});
            statement::ColumnDef* c = t->column(column);
            if (!c) raise(Err::FieldNotFound, {column, t->name});
            TableState& s = storage.stateOf(*t);
            const bool wasChanged = s.propsChanged;
            const auto asInt = [&](const std::string& name) {
                try {
                    return toInt32(value);
                } catch (const Error&) {
                    raise(Err::PropertyValueInvalid, {toText(value), name});
                }
            };
            const auto asBool = [&]() {
                try {
                    return toBool(value);
                } catch (const Error&) {
                    raise(Err::PropertyValueInvalid, {toText(value), propName});
                }
            };
            const auto setText = [&](std::string& field, const char* name, uint8_t type) {
                const std::string v = toText(value);
                if (v == field) return;
                field = v;
                changed = true;
                if (!s.props) s.props.emplace(w_->file.layout(), TextCodec::of(w_->file));
                if (v.empty())
                    s.props->remove(c->name, name);
                else
                    s.props->set(c->name, name, type, s.props->text().encodeName(v), 1);
                s.propsChanged = true;
            };
            const auto setBool = [&](bool& field, const char* name, bool v) {
                if (v == field) return;
                field = v;
                changed = true;
                if (!s.props) s.props.emplace(w_->file.layout(), TextCodec::of(w_->file));
                s.props->setBoolean(c->name, name, v, 1);
                s.propsChanged = true;
            };
            switch (position) {
                case prop::Default:
                    setText(c->defaultValue, "DefaultValue", coltype::Memo);
                    if (generateGuid(storage, *t, *c)) changed = true;
                    break;
                case prop::Description:
                    setText(c->description, "Description", coltype::Text);
                    break;
                case prop::ValidationText:
                    setText(c->validationText, "ValidationText", coltype::Text);
                    break;
                case prop::ValidationRule:
                    setText(c->validationRule, "ValidationRule", coltype::Text);
                    break;
                case prop::AllowZeroLength:
                    setBool(c->allowZeroLength, "AllowZeroLength", asBool());
                    break;
                case prop::Nullable: {
                    const bool required = !asBool();
                    if (required && !c->required && storage.hasNull(*t, {c->name}))
                        raise(Err::NullNotAllowed, {c->name});
                    setBool(c->required, "Required", required);
                    break;
                }
                case prop::Seed: {
                    if (!c->autoIncrement) raise(Err::PropertyReadOnly, {propName});
                    const int32_t v = asInt(propName);
                    if (v == c->seed) break;
                    // As in Jet, the next new row takes the seed.
                    storage.setCounter(*t, *c, v);
                    c->seed = v;
                    changed = true;
                    break;
                }
                case prop::Increment:
                    if (!c->autoIncrement) raise(Err::PropertyReadOnly, {propName});
                    if (asInt(propName) != 1)
                        raise(Err::NotWrittenYet, {"A counter whose increment is not 1"});
                    break;
                case prop::CompressedUnicode:
                case prop::Hyperlink:
                    raise(Err::NotWrittenYet, {"The column property '" + propName + "'"});
                default:
                    raise(Err::PropertyReadOnly, {propName});
            }
            changed = changed || s.propsChanged != wasChanged;
            if (changed) w_->state.changedAnything = true;
            return 0;
        }, false);
        if (changed) patchCached(table, column);
    }

    [[nodiscard]] int32_t getPermissions(PrincipalKind kind, std::string_view principal,
                                         std::string_view objectName, int32_t objectType) override {
        checkOpen();
        // Until the first change the file is as the reader read it; an
        // account the session made has no rights there yet.
        if (!w_) {
            if (wg_ && wg_->sidOf(principal, kind == PrincipalKind::Group) &&
                !accountSid(*reader_->catalog(), principal, kind))
                return right::None;
            return reader_->getPermissions(kind, principal, objectName, objectType);
        }
        const auto accounts = accountsData();
        if (!accounts->hasWorkgroup) raise(Err::NoWorkgroup);
        const auto sid = accountSid(*accounts, principal, kind);
        if (!sid) raise(Err::AccountNotFound, {principal});
        const PermissionTarget target =
            permissionTarget(w_->catalog, w_->state, w_->model, objectName, objectType, false);
        if (sid->empty()) return right::None;
        const uint32_t mask = currentMask(w_->catalog, w_->state, target, storedSid(*sid));
        return mdb::adoxRights(static_cast<int32_t>(mask), objectType);
    }

    void setPermissions(PrincipalKind kind, std::string_view principal,
                        std::string_view objectName, int32_t objectType, int32_t action,
                        int32_t rights) override {
        checkOpen();
        if (!reader_->catalog()->hasWorkgroup) raise(Err::NoWorkgroup);
        engage();
        permissionLines([&] {
            permissionLine(kind, principal, objectName, objectType, action, rights);
        });
    }

    [[nodiscard]] bool readOnly() const override { return false; }

    void close() override {
        checkOpen();
        closed_ = true;
        // The session ends whatever happens below; the reader's with it.
        struct CloseReader {
            Backend& reader;
            ~CloseReader() {
                try {
                    reader.close();
                } catch (...) {
                }
            }
        } closeReader{*reader_};
        // The files' locks and pages go with the session, written or not.
        const std::unique_ptr<Engaged> w = std::move(w_);
        const std::unique_ptr<WorkgroupFile> wg = std::move(wg_);
        const bool database = w && w->state.changedAnything;
        const bool workgroup = wg && wg->changed();
        if (!database && !workgroup) return;
        // The workgroup first: a database whose permissions name accounts
        // the workgroup lacks is worse off than accounts without rights.
        std::string workgroupReport;
        if (workgroup) workgroupReport = writeWorkgroup(*wg, database);
        if (database) {
            try {
                write(*w);
            } catch (const Error& e) {
                if (!workgroup) throw;
                // Replaced, only its folder not synced: both files hold the run.
                if (databaseReplaced_)
                    raise(Err::General, {workgroupReport + " " + e.description()});
                raise(Err::General,
                      {workgroupReport + " " + e.description() +
                       " So the workgroup holds the run's new accounts and memberships, and the "
                       "database " + fileName(path_) +
                       " holds none of the run's changes; a run of the same script again meets "
                       "the accounts it made as existing ones."});
            }
        }
        report_ = database && workgroup ? report_ + " " + workgroupReport
                  : database            ? report_
                                        : workgroupReport;
    }

    [[nodiscard]] std::string closeReport() const override { return report_; }

private:
    void checkOpen() const {
        if (closed_) raise(Err::ObjectClosed);
    }

    // An account statement, on the workgroup the connection names, engaged
    // at the first one; a refusal there stays for the session's account
    // statements, the database's own statements go on.
    void accountStatement(const statement::Statement& st) {
        if (workgroupPath_.empty()) raise(Err::NoWorkgroup);
        if (!wg_) {
            if (workgroupRefusal_) throw *workgroupRefusal_;
            try {
                wg_ = std::make_unique<WorkgroupFile>(workgroupPath_);
            } catch (const Error& e) {
                workgroupRefusal_ = e;
                throw;
            }
        }
        wg_->execute(st);
        ++generation_;
    }

    // The accounts permission lines look up: the reader's, and once the
    // session changed the workgroup, its accounts as the session leaves them.
    std::shared_ptr<const CatalogData> accountsData() {
        auto base = reader_->catalog();
        if (!wg_ || !wg_->changed()) return base;
        if (accounts_ && accountsGeneration_ == generation_) return accounts_;
        auto data = std::make_shared<CatalogData>();
        data->hasWorkgroup = base->hasWorkgroup;
        showAccounts(*data);
        accounts_ = data;
        accountsGeneration_ = generation_;
        return accounts_;
    }

    // The accounts as the session leaves them, as the reader lists them.
    void showAccounts(CatalogData& data) const {
        data.users.clear();
        data.groups.clear();
        std::map<std::string, PrincipalData*> bySid;
        for (const auto& a : wg_->accounts()) {
            auto& list = a.group ? data.groups : data.users;
            list.push_back({a.name, {}, hexOf(a.sid)});
        }
        for (auto* list : {&data.users, &data.groups})
            for (auto& p : *list) bySid[p.sid] = &p;
        for (const auto& m : wg_->memberships()) {
            auto g = bySid.find(hexOf(m.groupSid));
            auto u = bySid.find(hexOf(m.userSid));
            if (g == bySid.end() || u == bySid.end()) continue;
            u->second->members.push_back(g->second->name);
            g->second->members.push_back(u->second->name);
        }
        for (auto* list : {&data.users, &data.groups})
            for (auto& p : *list)
                std::stable_sort(p.members.begin(), p.members.end(),
                                 [](const std::string& a, const std::string& b) {
                                     return text::compareNoCase(a, b) < 0;
                                 });
    }

    // Returns what the end-of-run report says of the workgroup. When it
    // cannot be written, neither file is: the database's changes may rely
    // on its accounts.
    std::string writeWorkgroup(WorkgroupFile& wg, bool database) {
        const std::string name = fileName(wg.path());
        const std::string neither =
            database ? "; neither it nor the database " + fileName(path_) + " was changed."
                     : "; it was not changed.";
        std::string backup, afterNote;
        try {
            backup = wg.write(hooksFor(wg.path()));
        } catch (const ReplaceError& e) {
            if (!e.databaseChanged())
                raise(Err::General, {"The workgroup " + name + " could not be written (" +
                                     e.what() + ")" + neither});
            backup = e.backupPath();
            afterNote = std::string(" ") + e.what();
        } catch (const FormatError& e) {
            raise(Err::General, {"The workgroup " + name +
                                 " could not be written (its changes could not be laid out: " +
                                 e.what() + ")" + neither});
        } catch (const std::exception& e) {
            raise(Err::General,
                  {"The workgroup " + name + " could not be written (" + e.what() + ")" + neither});
        }
        std::string made;
        for (const auto& n : wg.createdNames()) made += (made.empty() ? "" : ", ") + n;
        std::string out = "The workgroup " + name +
                          " was changed; its earlier version is kept as " + backup + ".";
        if (!made.empty())
            out += " Accounts made: " + made +
                   ". Their security IDs are new: they match no account made elsewhere, "
                   "not even one of the same name, and a database secured with another "
                   "workgroup does not know them.";
        return out + afterNote;
    }

    // The writer's checks, at the first change; a refusal stays for the
    // session and is marked as the database's, not the statement's.
    void engage() {
        if (w_) return;
        if (refusal_) throw *refusal_;
        try {
            w_ = engageFile(path_, *reader_);
        } catch (Error& e) {
            e.markRefusesDatabase();
            refusal_ = e;
            throw;
        }
    }

    // A script sets its columns' properties one by one and reads the catalog
    // between them: the column is brought up to date in the snapshot while
    // nobody else holds it, instead of the snapshot being made anew each time.
    void patchCached(std::string_view table, std::string_view column) {
        const statement::TableDef* t = w_->model.table(table);
        const statement::ColumnDef* c = t ? t->column(column) : nullptr;
        if (c && cached_ && cached_.use_count() == 1)
            for (auto& td : cached_->tables)
                if (td.type == "TABLE" && text::equalNoCase(td.name, t->name))
                    for (auto& cd : td.columns)
                        if (text::equalNoCase(cd.name, c->name)) {
                            cd = statement::columnData(*c);
                            return;
                        }
        ++generation_;
    }

    template <class F>
    int32_t allOrNothing(F&& body, bool catalogChanges = true) {
        statement::Model model = w_->model;
        FileState state = w_->state;
        try {
            FileStorage storage(w_->state, w_->file);
            const int32_t result = body(storage);
            if (catalogChanges) ++generation_;
            return result;
        } catch (const FormatError& e) {
            w_->model = std::move(model);
            w_->state = std::move(state);
            raise(Err::NotWritableDefinition,
                  {"a structure of the file cannot be changed (" + std::string(e.what()) + ")."});
        } catch (const Error&) {
            w_->model = std::move(model);
            w_->state = std::move(state);
            throw;
        } catch (const std::exception& e) {
            // Whatever else fails part-way fails the statement like Jet's own
            // errors, with the same all-or-nothing.
            w_->model = std::move(model);
            w_->state = std::move(state);
            raise(Err::General, {std::string("The statement failed and changed nothing (") +
                                 e.what() + ")."});
        }
    }

    // Access 97 keeps names, defaults, descriptions and query texts in its
    // code page: a statement or value with a character the code page lacks
    // fails before anything changes, rather than when the file is written.
    void storableText(std::string_view text, const std::string& what) {
        const TextCodec codec = TextCodec::of(w_->file);
        if (!codec.singleByte()) return;
        const std::string bad = codec.unstorable(text);
        const std::string page = std::to_string(codec.codePageNumber());
        if (!bad.empty())
            raise(Err::TextNotInCodePage, {what + " holds the character \"" + bad +
                                           "\", which the database's code page (" + page +
                                           ") cannot store"});
        // U+0080 to U+009F stand for bytes the code page leaves undefined.
        // Such bytes already in the file are kept as they are, but the
        // readers a written file is checked with cannot read them: new text
        // holding one is refused here rather than by that check.
        for (size_t i = 0; i + 1 < text.size(); ++i) {
            const auto lead = static_cast<unsigned char>(text[i]);
            const auto next = static_cast<unsigned char>(text[i + 1]);
            if (lead != 0xC2 || next < 0x80 || next > 0x9F) continue;
            char codePoint[8];
            std::snprintf(codePoint, sizeof codePoint, "U+%04X", unsigned{next});
            raise(Err::TextNotInCodePage,
                  {what + " holds the control character " + codePoint +
                   ", a byte the database's code page (" + page +
                   ") leaves undefined, which no reader can check"});
        }
    }

    // Access 97 stores text uncompressed and its definitions have no such
    // flag: a statement that asks for compression (every script made from a
    // Jet 4 file does) leaves the columns as the file holds them.
    void withoutCompression() {
        if (!TextCodec::of(w_->file).singleByte()) return;
        for (auto& [key, t] : w_->model.tables)
            for (auto& c : t.columns) c.compressed = false;
    }

    // The foreign keys of the model, as one text to compare.
    static std::string foreignKeysOf(const statement::Model& model) {
        std::string out;
        for (const auto& [key, t] : model.tables)
            for (const auto& fk : t.foreignKeys) {
                out += key + '\n' + text::fold(fk.name) + '\n' + text::fold(fk.relatedTable) +
                       '\n' + std::to_string(fk.updateRule) + ' ' + std::to_string(fk.deleteRule);
                for (const auto& c : fk.columns)
                    out += '\n' + text::fold(c.name) + '=' + text::fold(c.relatedColumn);
                out += '\n';
            }
        return out;
    }

    // A SID as the file stores it: masked in Jet 4.
    [[nodiscard]] std::string storedSid(const std::string& plain) const {
        return w_->state.sidKey ? format::unmaskSid(plain, *w_->state.sidKey) : plain;
    }

    // Runs `body`, whose lines change the session's permissions, all or nothing.
    template <class F>
    void permissionLines(F&& body) {
        const auto lines = w_->state.permissions;
        const bool changed = w_->state.changedAnything;
        try {
            body();
        } catch (...) {
            w_->state.permissions = lines;
            w_->state.changedAnything = changed;
            throw;
        }
    }

    // One account's rights on one object, as Jet's MSysACEs entry will hold
    // them; an account or object that does not exist fails with the store's
    // error, changing nothing.
    void permissionLine(PrincipalKind kind, std::string_view principal,
                        std::string_view objectName, int32_t objectType, int32_t action,
                        int32_t rights) {
        const auto sid = accountSid(*accountsData(), principal, kind);
        if (!sid) raise(Err::AccountNotFound, {principal});
        const PermissionTarget target =
            permissionTarget(w_->catalog, w_->state, w_->model, objectName, objectType, true);
        // A store workgroup's SIDs are its own: Access would know none of them.
        if (!jetWorkgroup_) jetWorkgroup_ = isJetWorkgroup(workgroupPath_);
        if (!*jetWorkgroup_ || sid->empty())
            raise(Err::NotWrittenYet,
                  {"Permissions of the accounts of a workgroup that is not an Access workgroup "
                   "file"});
        const PermissionKey key{target.object, target.name, storedSid(*sid)};
        const uint32_t now = currentMask(w_->catalog, w_->state, target, key.sid);
        const uint32_t next = maskAfter(now, objectType, action, rights);
        if (next == now) return;
        w_->state.permissions[key] = next;
        w_->state.changedAnything = true;
    }

    // GRANT and REVOKE, as the store reads them: the object is a table, a
    // saved query or (CONTAINER / DATABASE) the database; each name a user,
    // else a group.
    void grantRevoke(const statement::GrantRevoke& s) {
        const auto accounts = accountsData();
        if (!accounts->hasWorkgroup) raise(Err::NoWorkgroup);
        int32_t type = objtype::Database;
        if (s.target != 2) {
            type = objtype::Table;
            if (!w_->model.table(s.object))
                if (const statement::QueryDef* q = w_->model.query(s.object))
                    type = q->view ? objtype::View : objtype::Procedure;
        }
        permissionLines([&] {
            for (const auto& p : s.principals) {
                PrincipalKind kind = PrincipalKind::User;
                if (!accountSid(*accounts, p, kind)) {
                    kind = PrincipalKind::Group;
                    if (!accountSid(*accounts, p, kind)) raise(Err::AccountNotFound, {p});
                }
                permissionLine(kind, p, s.object, type, s.grant ? access::Grant : access::Revoke,
                               s.rights);
            }
        });
    }

    // ALTER COLUMN … COUNTER(seed, 1) on a table with rows: the executor
    // leaves a populated table's counter as it was, which would leave the
    // script's seed unapplied while the catalog shows it. The file's counter
    // takes it, or the statement fails when the seed would repeat a number
    // the table holds.
    void reseed(const statement::Statement& st, FileStorage& storage) {
        const auto* a = std::get_if<statement::AlterColumn>(&st);
        if (!a || !a->column.type.counter) return;
        const statement::TableDef* t = w_->model.table(a->table);
        const statement::ColumnDef* c = t ? t->column(a->column.name) : nullptr;
        if (!c || !c->autoIncrement || !storage.hasRows(*t)) return;
        const TableState& s = storage.stateOf(*t);
        const uint32_t last = s.lastCounter ? *s.lastCounter : s.def.nextCounterValue;
        if (static_cast<int64_t>(last) + 1 == a->column.type.seed) return;
        storage.setCounter(*t, *c, a->column.type.seed);
    }

    // A GUID column whose default is GenGUID() is what Access makes a
    // Replication ID AutoNumber: the column carries the flag that says its
    // values are generated, as Access writes it. Returns true when it did not
    // before.
    static bool generateGuid(FileStorage& storage, const statement::TableDef& t,
                             statement::ColumnDef& c) {
        if (c.type != adtype::GUID || c.autoGenerate) return false;
        std::string d;
        for (char ch : c.defaultValue)
            if (!std::isspace(static_cast<unsigned char>(ch))) d += ch;
        if (!d.empty() && d[0] == '=') d.erase(0, 1);
        if (!text::equalNoCase(d, "GenGUID()")) return false;
        TableState& s = storage.stateOf(t);
        for (auto& fc : s.def.columns)
            if (text::equalNoCase(fc.name, c.name)) fc.flags |= colflag::AutoGuid;
        c.autoGenerate = true;
        return true;
    }

    void generatedGuids(const statement::Statement& st, FileStorage& storage) {
        std::string table;
        std::vector<std::string> columns;
        if (const auto* a = std::get_if<statement::CreateTable>(&st)) {
            table = a->name;
            for (const auto& c : a->columns) columns.push_back(c.name);
        } else if (const auto* b = std::get_if<statement::AddColumn>(&st)) {
            table = b->table;
            columns.push_back(b->column.name);
        } else if (const auto* c = std::get_if<statement::AlterColumn>(&st)) {
            table = c->table;
            columns.push_back(c->column.name);
        }
        statement::TableDef* t = table.empty() ? nullptr : w_->model.table(table);
        if (!t) return;
        for (const auto& name : columns)
            if (statement::ColumnDef* c = t->column(name)) (void)generateGuid(storage, *t, *c);
    }

    // A counter added to a table with rows numbered them: the table's next
    // number comes after them, and the reader reads it as the column's seed.
    void seedAfterNumbering(const statement::Statement& st, FileStorage& storage) {
        const auto* a = std::get_if<statement::AddColumn>(&st);
        if (!a || !a->column.type.counter) return;
        statement::TableDef* t = w_->model.table(a->table);
        statement::ColumnDef* c = t ? t->column(a->column.name) : nullptr;
        if (!c || !c->autoIncrement) return;
        const TableState& s = storage.stateOf(*t);
        if (s.lastCounter) c->seed = static_cast<int32_t>(*s.lastCounter + 1u);
    }

    int32_t dml(const statement::Parsed& p, const statement::Dml& d) {
        if (d.kind != statement::Dml::Kind::Update) raise(Err::NotWrittenYet, {"This statement"});
        NoDialect dialect;
        const auto parts = statement::readUpdate(p, d, w_->model, dialect);
        std::vector<std::pair<std::string, std::string>> sets;
        for (const auto& a : parts.sets) {
            if (!a.value.column)
                raise(Err::NotWrittenYet, {"An UPDATE that sets a field to anything but another "
                                           "field's value"});
            sets.emplace_back(a.column->name, a.value.column->name);
        }
        if (parts.where) raise(Err::NotWrittenYet, {"An UPDATE with a WHERE clause"});
        return allOrNothing([&](FileStorage& storage) {
            return storage.copyColumns(*parts.table, sets);
        });
    }

    void write(Engaged& w) {
        PlanResult plan;
        try {
            FileStorage storage(w.state, w.file);
            plan = writePlan(w.file, w.catalog, w.state, w.model, storage, localNow());
            std::vector<PageWrite> writes;
            // Encoded again where the file's pages are encoded.
            std::vector<Bytes> hold;
            const std::vector<uint32_t> changed = w.file.changedPages();
            hold.reserve(changed.size());
            for (uint32_t n : changed) {
                hold.push_back(w.file.stored(n));
                writes.push_back({n, hold.back()});
            }
            const auto expected = expectedTables(w.model);
            std::vector<ExpectedQuery> queries;
            for (const auto& [key, q] : w.state.queries)
                queries.push_back({q.name, q.text, q.codecText});
            const Verify verify = [&](const std::string& newFile) {
                return verifyWritten(newFile, path_, w.file, expected, plan, w.state, queries);
            };
            // Statements that end as the file began (an index dropped and made
            // again) leave nothing to write.
            if (writes.empty()) return;
            // The other names of a file with hard links keep the old file
            // when the new one takes this name's place.
            struct stat st {};
            const nlink_t links = ::fstat(w.lock.fd(), &st) == 0 ? st.st_nlink : 1;
            const std::string backup = safeReplace(w.lock, writes, verify, hooksFor(path_));
            report_ = "The database was changed; its earlier version is kept as " + backup +
                      ". Compacting the database in Access is recommended." + otherLinksNote(links);
        } catch (const ReplaceError& e) {
            databaseReplaced_ = e.databaseChanged();
            if (e.databaseChanged()) raise(Err::General, {e.what()});
            raise(Err::WriteFailed, {e.what()});
        } catch (const FormatError& e) {
            raise(Err::WriteFailed, {"its changes could not be laid out (" + std::string(e.what()) +
                                     ")."});
        } catch (const Error& e) {
            raise(Err::WriteFailed, {e.description()});
        } catch (const std::exception& e) {
            // Before the replacement nothing touched the user's file.
            raise(Err::WriteFailed, {std::string("its changes could not be written (") + e.what() +
                                     ")."});
        }
    }

    std::string otherLinksNote(nlink_t links) const {
        if (links <= 1) return {};
        const std::string name = std::filesystem::path(path_).filename().string();
        if (links == 2)
            return " The file had a second name (a hard link) besides " + name +
                   ": that name still shows the earlier version, not the changed database.";
        return " The file had " + std::to_string(links - 1) + " other names (hard links) besides " +
               name + ": they still show the earlier version, not the changed database.";
    }

    static std::vector<TableData> expectedTables(const statement::Model& model) {
        std::vector<TableData> out;
        for (const auto& [key, t] : model.tables) out.push_back(statement::tableData(t));
        return out;
    }

    std::string path_;
    std::string workgroupPath_;
    std::optional<bool> jetWorkgroup_;
    std::shared_ptr<Backend> reader_;
    std::unique_ptr<Engaged> w_;
    std::unique_ptr<WorkgroupFile> wg_;
    std::optional<Error> refusal_;
    std::optional<Error> workgroupRefusal_;
    bool closed_ = false;
    uint64_t generation_ = 0;
    std::shared_ptr<CatalogData> cached_;
    std::shared_ptr<const CatalogData> cachedBase_;
    std::shared_ptr<const CatalogData> accounts_;
    uint64_t accountsGeneration_ = 0;
    uint64_t cachedGeneration_ = 0;
    std::string report_;
    bool databaseReplaced_ = false;
};

}  // namespace

void setReplaceHooks(std::function<ReplaceHooks(const std::string& path)> hooks) {
    replaceHooks() = std::move(hooks);
}

std::shared_ptr<Backend> openWritable(const OpenRequest& request, std::shared_ptr<Backend> reader) {
    return std::make_shared<WritableSession>(request, std::move(reader));
}

}  // namespace jet::file
