#pragma once
// The comparison result record: for every table, view, procedure, user and group
// of either database one element that says whether it exists in both and is
// equal, exists in both and differs, or exists on one side only, with what was
// read from each side. Plain data with value semantics: copying a record copies
// everything.
//
// Every array holds its elements at 1 … UBound(); element 0 is never filled and
// never read, and UBound() == 0 means the array holds nothing.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace engine {

enum ActionCode : int32_t {
    acEqual = 0,
    acDifferent = 1,
    acOnlyInDestination = 2,
    acOnlyInSource = 3,
};

enum ObjectKind : int32_t {
    okTable = 0,
    okProcedure = 4,
    okView = 5,
    okUser = 6,
    okGroup = 7,
};

enum CompareSide : int32_t {
    csSource = 0,
    csDestination = 1,
};

// A 1-based array in the record's convention. Index access is bounds-checked
// (std::out_of_range), so a bad element index is a failure, never a stray read.
//
// A moved-from array is a valid empty one (UBound() == 0). Its storage may then
// lack element 0 until it grows again, which nothing can observe: element 0 is
// never read.
template <class T>
class ElementArray {
public:
    ElementArray() : items_(1) {}
    ElementArray(const ElementArray&) = default;
    ElementArray& operator=(const ElementArray&) = default;
    ElementArray(ElementArray&& other) noexcept : items_(std::move(other.items_)) {
        other.items_.clear();
    }
    ElementArray& operator=(ElementArray&& other) noexcept {
        if (this != &other) {
            items_ = std::move(other.items_);
            other.items_.clear();
        }
        return *this;
    }
    ~ElementArray() = default;

    [[nodiscard]] int32_t UBound() const {
        return items_.empty() ? 0 : static_cast<int32_t>(items_.size()) - 1;
    }
    [[nodiscard]] bool empty() const { return items_.size() <= 1; }

    T& operator[](int32_t i) { return items_.at(static_cast<size_t>(i)); }
    const T& operator[](int32_t i) const { return items_.at(static_cast<size_t>(i)); }

    // Makes the array anew with elements 0 … ub, all fresh (what it held is dropped).
    void Redim(int32_t ub) { items_.assign(static_cast<size_t>(ub < 0 ? 0 : ub) + 1, T{}); }
    // Grows or shrinks to upper bound ub, keeping the elements that remain.
    void RedimPreserve(int32_t ub) { items_.resize(static_cast<size_t>(ub < 0 ? 0 : ub) + 1); }
    // Appends a fresh element and returns it (its index is the new UBound()).
    T& Append() {
        if (items_.empty()) items_.emplace_back();  // element 0 of a moved-from array
        return items_.emplace_back();
    }
    // Back to holding only element 0.
    void Clear() { Redim(0); }

    // Iteration over the elements 1 … UBound().
    auto begin() { return items_.empty() ? items_.end() : items_.begin() + 1; }
    auto end() { return items_.end(); }
    auto begin() const { return items_.empty() ? items_.end() : items_.begin() + 1; }
    auto end() const { return items_.end(); }

    // Equal when elements 1 … UBound() are.
    bool operator==(const ElementArray& other) const {
        return std::equal(begin(), end(), other.begin(), other.end());
    }

private:
    std::vector<T> items_;
};

struct TColumnProps {
    int16_t Type = 0;
    std::string Description;
    uint8_t NumericScale = 0;
    uint8_t Precision = 0;
    bool AutoIncrement = false;
    int32_t Increment = 0;
    int32_t Seed = 0;
    int32_t DefinedSize = 0;
    bool NotNull = false;
    bool AllowZeroLength = false;
    std::string Default;
    bool Compressed = false;
    bool operator==(const TColumnProps&) const = default;
};

struct TColumn {
    std::string Name;
    std::string DestinationName;
    TColumnProps Source;
    int32_t Action = acEqual;
    TColumnProps Destination;
    bool operator==(const TColumn&) const = default;
};

struct TKeyColumn {
    std::string Name;
    std::string RelatedColumn;
    int32_t Action = acEqual;
    bool operator==(const TKeyColumn&) const = default;
};

struct TKeyProps {
    ElementArray<TKeyColumn> Columns;
    std::string RelatedTable;
    int16_t Type = 0;
    int16_t UpdateRule = 0;
    int16_t DeleteRule = 0;
    bool operator==(const TKeyProps&) const = default;
};

struct TKey {
    std::string Name;
    TKeyProps Source;
    int32_t Action = acEqual;
    TKeyProps Destination;
    bool operator==(const TKey&) const = default;
};

struct TIndexColumn {
    std::string Name;
    int16_t SortOrder = 0;
    int32_t Action = acEqual;
    bool operator==(const TIndexColumn&) const = default;
};

struct TIndexProps {
    ElementArray<TIndexColumn> Columns;
    bool Unique = false;
    bool PrimaryKey = false;
    int16_t IndexNulls = 0;
    bool operator==(const TIndexProps&) const = default;
};

struct TIndex {
    std::string Name;
    TIndexProps Source;
    int32_t Action = acEqual;
    TIndexProps Destination;
    bool operator==(const TIndex&) const = default;
};

struct TTable {
    std::string Name;
    int32_t Action = acEqual;
    ElementArray<TColumn> Columns;
    ElementArray<TKey> Keys;
    ElementArray<TIndex> Indexes;
    bool Selected = false;
    bool operator==(const TTable&) const = default;
};

struct TViewProps {
    std::string CommandText;
    bool operator==(const TViewProps&) const = default;
};

struct TView {
    std::string Name;
    TViewProps Source;
    int32_t Action = acEqual;
    TViewProps Destination;
    bool Selected = false;
    bool operator==(const TView&) const = default;
};

struct TParameter {
    std::string Name;
    int16_t Type = 0;
    int32_t Size = 0;
    int32_t Action = acEqual;
    bool operator==(const TParameter&) const = default;
};

struct TProcedureProps {
    ElementArray<TParameter> Parameters;
    std::string CommandText;
    bool operator==(const TProcedureProps&) const = default;
};

struct TProcedure {
    std::string Name;
    TProcedureProps Source;
    int32_t Action = acEqual;
    TProcedureProps Destination;
    bool Selected = false;
    bool operator==(const TProcedure&) const = default;
};

struct TMember {
    std::string Name;
    int32_t Action = acEqual;
    bool operator==(const TMember&) const = default;
};

struct TPermission {
    int32_t Action = acEqual;
    std::string ObjectName;
    int16_t ObjectType = 0;
    int32_t ObjectIndex = 0;
    int32_t Rights = 0;
    bool operator==(const TPermission&) const = default;
};

struct TPrincipalProps {
    ElementArray<TMember> Members;
    ElementArray<TPermission> Permissions;
    bool operator==(const TPrincipalProps&) const = default;
};

struct TPrincipal {
    std::string Name;
    TPrincipalProps Source;
    int32_t Action = acEqual;
    TPrincipalProps Destination;
    bool Selected = false;
    bool operator==(const TPrincipal&) const = default;
};

struct TComparisonResult {
    ElementArray<TTable> Tables;
    ElementArray<TView> Views;
    ElementArray<TProcedure> Procedures;
    ElementArray<TPrincipal> Users;
    ElementArray<TPrincipal> Groups;
    bool operator==(const TComparisonResult&) const = default;
};

}  // namespace engine
