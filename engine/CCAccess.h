#pragma once
// The comparison engine: compares the schemas of two Jet databases (tables with
// their columns, indexes and keys; procedures; views; users and groups with
// membership and permissions) and keeps every difference in one result record
// (ComparisonResult.h), raising progress and error events as it goes.
//
// Made and held only through std::shared_ptr (CCAccess::create). A run of
// CompareDatabases keeps its engine alive to its end, so an event receiver may
// drop or replace the engine it holds from inside an event.
//
// Single-threaded: every call, and every event, happens on the caller's thread.
// Events are raised synchronously; the engine expects no call on itself from a
// receiver other than the getters (CompareDatabases called from inside a run
// fails with Err::ObjectOpen).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "engine/ComparisonResult.h"
#include "jet/Catalog.h"

namespace engine {

// The receiver of the engine's two events. Arguments are copies: changing them
// changes nothing in the engine.
class CCAccessEvents {
public:
    virtual ~CCAccessEvents() = default;
    // Once for every object visited, just before it is compared. ObjectType is an
    // ObjectKind; CurrentObjectNo already counts this object.
    virtual void Comparing(std::string ObjectName, int32_t ObjectType, int32_t TotalObjectCount,
                           int32_t CurrentObjectNo);
    // Once for every line of an error report (three lines per failure).
    virtual void ErrorOccured(std::string Description);
};

// Makes the catalog of one side, bound to the database that the connection
// string names. Throws jet::Error when the database cannot be opened.
using CatalogFactory = std::function<jet::Catalog(CompareSide side, const std::string& connectionString)>;

// The default factory: a jet::Catalog bound with ActiveConnection(connectionString).
[[nodiscard]] jet::Catalog bindCatalog(CompareSide side, const std::string& connectionString);

class CCAccess : public std::enable_shared_from_this<CCAccess> {
    struct Token {};

public:
    // A new engine: Include options true, the other options false, both
    // connection strings empty, the five arrays of the record empty.
    [[nodiscard]] static std::shared_ptr<CCAccess> create();
    explicit CCAccess(Token);

    CCAccess(const CCAccess&) = delete;
    CCAccess& operator=(const CCAccess&) = delete;

    // The fourteen options. Setters store the value unchanged; CompareDatabases
    // switches an Include option off when the list of its kind cannot be read.
    [[nodiscard]] bool MatchColumns() const { return options_.matchColumns; }
    void MatchColumns(bool value) { options_.matchColumns = value; }
    [[nodiscard]] bool CompareIncrementAndSeed() const { return options_.compareIncrementAndSeed; }
    void CompareIncrementAndSeed(bool value) { options_.compareIncrementAndSeed = value; }
    [[nodiscard]] bool DropOppositeObjects() const { return dropOppositeObjects_; }
    void DropOppositeObjects(bool value) { dropOppositeObjects_ = value; }
    [[nodiscard]] bool SkipAutoIncrementColumns() const { return skipAutoIncrementColumns_; }
    void SkipAutoIncrementColumns(bool value) { skipAutoIncrementColumns_ = value; }
    [[nodiscard]] bool IncludeTables() const { return includeTables_; }
    void IncludeTables(bool value) { includeTables_ = value; }
    [[nodiscard]] bool IncludeIndexes() const { return options_.includeIndexes; }
    void IncludeIndexes(bool value) { options_.includeIndexes = value; }
    [[nodiscard]] bool IncludeKeys() const { return options_.includeKeys; }
    void IncludeKeys(bool value) { options_.includeKeys = value; }
    [[nodiscard]] bool IncludeProcedures() const { return includeProcedures_; }
    void IncludeProcedures(bool value) { includeProcedures_ = value; }
    [[nodiscard]] bool IncludeViews() const { return includeViews_; }
    void IncludeViews(bool value) { includeViews_ = value; }
    [[nodiscard]] bool IncludeUsers() const { return includeUsers_; }
    void IncludeUsers(bool value) { includeUsers_ = value; }
    [[nodiscard]] bool IncludeGroups() const { return includeGroups_; }
    void IncludeGroups(bool value) { includeGroups_ = value; }
    [[nodiscard]] const std::string& SourceDatabaseConnectionString() const { return sourceConnection_; }
    void SourceDatabaseConnectionString(std::string value) { sourceConnection_ = std::move(value); }
    // Spelled with three n, as the rest of the program knows it.
    [[nodiscard]] const std::string& DestinationDatabaseConnnectionString() const {
        return destinationConnection_;
    }
    void DestinationDatabaseConnnectionString(std::string value) {
        destinationConnection_ = std::move(value);
    }
    [[nodiscard]] bool IncludeIncrementAndSeed() const { return includeIncrementAndSeed_; }
    void IncludeIncrementAndSeed(bool value) { includeIncrementAndSeed_ = value; }

    // Binds both catalogs (source first), counts the objects of the included
    // kinds, then compares tables, procedures, views, users and groups, each in
    // a forward and a reverse pass. Returns true, also after reported failures
    // (an unreadable list, a failed column, index or key step of a table). Any
    // other failure (a database that cannot be opened, a catalog read outside
    // those steps) is thrown as it came (jet::Error, or std::exception); the
    // record then keeps what was written before it.
    bool CompareDatabases();

    // A complete, independent copy of the result record.
    [[nodiscard]] TComparisonResult Differences() const { return result_; }
    // Replaces the result record by a complete copy of `result`; no check is made.
    void Differences(const TComparisonResult& result) { result_ = result; }
    // The record in place, for readers inside the program (the script generator).
    [[nodiscard]] const TComparisonResult& Result() const { return result_; }

    // The event receiver; not owned, null for none. Read afresh for every
    // event, so a receiver may detach itself from inside an event.
    void setEvents(CCAccessEvents* receiver) { events_ = receiver; }
    // Replaces how catalogs are made and bound (tests hand in memory and
    // fault-injecting catalogs). An empty function restores the default.
    void setCatalogFactory(CatalogFactory factory);

    // The catalogs of the last CompareDatabases; they stay bound until the
    // engine goes. Unbound before the first comparison.
    [[nodiscard]] const jet::Catalog& SourceCatalog() const { return sourceCatalog_; }
    [[nodiscard]] const jet::Catalog& DestinationCatalog() const { return destinationCatalog_; }

    // Progress: the number of objects the comparison will visit (only ever
    // increased) and the number visited so far.
    [[nodiscard]] int32_t ProgressTotal() const { return progressTotal_; }
    [[nodiscard]] int32_t ProgressPosition() const { return progressPosition_; }

    // The options that the per-kind comparisons read, at the time they read them.
    struct CompareOptions {
        bool matchColumns = false;
        bool compareIncrementAndSeed = false;
        bool includeIndexes = true;
        bool includeKeys = true;
    };

private:
    friend class EngineRun;

    CompareOptions options_;
    bool dropOppositeObjects_ = false;
    bool skipAutoIncrementColumns_ = false;
    bool includeTables_ = true;
    bool includeProcedures_ = true;
    bool includeViews_ = true;
    bool includeUsers_ = true;
    bool includeGroups_ = true;
    std::string sourceConnection_;
    std::string destinationConnection_;
    bool includeIncrementAndSeed_ = false;

    TComparisonResult result_;
    jet::Catalog sourceCatalog_;
    jet::Catalog destinationCatalog_;
    int32_t progressTotal_ = 0;
    int32_t progressPosition_ = 0;

    CCAccessEvents* events_ = nullptr;
    CatalogFactory factory_;
    bool running_ = false;
};

}  // namespace engine
