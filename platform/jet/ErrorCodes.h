#pragma once
// The one table of the data-access layer's error numbers and texts. Numbers are
// HRESULT-style values of the OLE DB family (signed 32-bit); texts may carry the
// placeholders %1 … %9, filled by jet::raise / jet::makeError. Nothing else in the
// project writes these numbers or texts: add a row here when a new failure needs one.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace jet {

enum class Err {
    // Connection strings and opening.
    ProviderNotFound,
    BadInitString,
    UnknownKey,
    NoDataSource,
    FileNotFound,
    FileNotReadable,
    UnknownFormat,
    Damaged,
    WorkgroupMissing,
    WorkgroupInvalid,
    LogonFailed,
    NoWorkgroupForUser,
    BadDatabasePassword,
    ReadOnly,
    DatabaseExists,
    CannotCreate,
    // Objects and collections.
    ItemNotFound,
    ObjectClosed,
    ObjectOpen,
    NoActiveConnection,
    NoWorkgroup,
    NotSupported,
    InvalidArgument,
    TypeMismatch,
    PropertyValueInvalid,
    // Jet SQL.
    NoCommandText,
    SyntaxError,
    FieldDefinitionSyntax,
    InvalidStatement,
    TableExists,
    ObjectExists,
    TableNotFound,
    FieldExists,
    FieldNotFound,
    IndexExists,
    IndexNotFound,
    PrimaryKeyExists,
    ConstraintNotFound,
    IndexInRelationship,
    TableInRelationship,
    FieldInIndex,
    CounterOnData,
    SecondCounter,
    ConversionFailed,
    DuplicateValues,
    NullNotAllowed,
    IndexNullNotAllowed,
    NoRelatedRecord,
    HasRelatedRecords,
    RelationshipViolation,
    // Security.
    AccountExists,
    AccountNotFound,
    PermissionObjectNotFound,
    // Anything else: the text is the whole of %1.
    General,
    // Store provider: values, names and accounts.
    DataTypeMismatch,
    FieldTooSmall,
    LastColumn,
    NoUniqueIndex,
    RelationshipColumns,
    PropertyReadOnly,
    ReservedName,
    AlreadyMember,
    NotMember,
    // Jet file provider.
    ReaderFailed,
    // Store provider.
    FieldInRelationship,
    // Jet's rules and limits on names and statements.
    InvalidName,
    TooManyFields,
    TooManyIndexFields,
    TooManyIndexes,
    StatementTooLong,
    QueryTooComplex,
    UndefinedFunction,
    TooFewParameters,
    // Jet file provider: changing a real Jet file. Each refusal leaves the file as it was.
    FormatNotWritable,
    NotWritableDefinition,
    TextNotInCodePage,
    UnprovenIndexKeys,
    UnprovenNameKeys,
    UnprovenIndexKeyType,
    CounterSeedTooLow,
    NotWrittenYet,
    WriteFailed,
    QueryNotStorable,
    FolderNotWritable,
};

// Jet's limits, which the store provider keeps (the texts below name them).
namespace limit {
inline constexpr size_t NameLength = 64;  // characters (UTF-16 code units)
inline constexpr size_t ColumnsPerTable = 255;
inline constexpr size_t ColumnsPerIndex = 10;
// Every index of a table counts, and so does the entry Jet keeps on a table
// for each enforced relationship that refers to it.
inline constexpr size_t IndexesPerTable = 32;
inline constexpr size_t StatementLength = 64000;  // characters
// Parentheses, subqueries and function calls inside each other; and the
// depth of an expression's tree (operators in a row count one level each).
inline constexpr size_t NestingDepth = 50;
inline constexpr size_t ExpressionDepth = 500;
}  // namespace limit

struct ErrorEntry {
    Err id;
    int32_t number;
    std::string_view text;
};

namespace hr {
// The HRESULT values the table uses, for tests and callers that test numbers.
inline constexpr int32_t Fail = static_cast<int32_t>(0x80004005);
inline constexpr int32_t SyntaxError = static_cast<int32_t>(0x80040E14);
inline constexpr int32_t NoTable = static_cast<int32_t>(0x80040E37);
inline constexpr int32_t AuthFailed = static_cast<int32_t>(0x80040E4D);
inline constexpr int32_t NoCommand = static_cast<int32_t>(0x80040E0C);
inline constexpr int32_t ErrorsOccurred = static_cast<int32_t>(0x80040E21);
inline constexpr int32_t ItemNotFound = static_cast<int32_t>(0x800A0CC1);
inline constexpr int32_t InvalidArgument = static_cast<int32_t>(0x800A0BB9);
inline constexpr int32_t FeatureNotAvailable = static_cast<int32_t>(0x800A0CB3);
inline constexpr int32_t ObjectClosed = static_cast<int32_t>(0x800A0E78);
inline constexpr int32_t ObjectOpen = static_cast<int32_t>(0x800A0E79);
inline constexpr int32_t InvalidConnection = static_cast<int32_t>(0x800A0E7D);
inline constexpr int32_t ProviderNotFound = static_cast<int32_t>(0x800A0E7A);
inline constexpr int32_t TypeMismatch = static_cast<int32_t>(0x80020005);
inline constexpr int32_t CantConvertValue = static_cast<int32_t>(0x80040E07);
inline constexpr int32_t ParameterMissing = static_cast<int32_t>(0x80040E10);
}  // namespace hr

inline constexpr ErrorEntry kErrorTable[] = {
    {Err::ProviderNotFound, hr::ProviderNotFound,
     "Provider '%1' cannot be found. It may not be properly installed."},
    {Err::BadInitString, hr::Fail,
     "Format of the initialization string does not conform to the OLE DB specification: %1"},
    {Err::UnknownKey, hr::Fail, "Unknown key '%1' in the connection string."},
    {Err::NoDataSource, hr::Fail, "The connection string names no Data Source."},
    {Err::FileNotFound, hr::Fail, "Could not find file '%1'."},
    {Err::FileNotReadable, hr::Fail, "Cannot open the file '%1': %2."},
    {Err::UnknownFormat, hr::Fail, "Unrecognized database format '%1'."},
    {Err::Damaged, hr::Fail, "The database file is damaged or is not a Jet database."},
    {Err::WorkgroupMissing, hr::Fail,
     "Cannot start your application. The workgroup information file '%1' is missing or "
     "opened exclusively by another user."},
    {Err::WorkgroupInvalid, hr::Fail, "The file '%1' is not a workgroup information file."},
    {Err::LogonFailed, hr::AuthFailed, "Not a valid account name or password."},
    {Err::NoWorkgroupForUser, hr::AuthFailed,
     "The user '%1' cannot log on: the connection names no workgroup file "
     "(Jet OLEDB:System database)."},
    {Err::BadDatabasePassword, hr::AuthFailed, "Not a valid password."},
    {Err::ReadOnly, hr::Fail, "Cannot update. Database or object is read-only."},
    {Err::DatabaseExists, hr::Fail, "Database '%1' already exists."},
    {Err::CannotCreate, hr::Fail, "Cannot create the file '%1': %2."},
    {Err::ItemNotFound, hr::ItemNotFound,
     "Item cannot be found in the collection corresponding to the requested name or ordinal."},
    {Err::ObjectClosed, hr::ObjectClosed, "Operation is not allowed when the object is closed."},
    {Err::ObjectOpen, hr::ObjectOpen, "Operation is not allowed when the object is open."},
    {Err::NoActiveConnection, hr::InvalidConnection,
     "The connection cannot be used to perform this operation. It is either closed or invalid "
     "in this context."},
    {Err::NoWorkgroup, hr::FeatureNotAvailable,
     "Users and groups are available only when the connection names a workgroup file "
     "(Jet OLEDB:System database)."},
    {Err::NotSupported, hr::FeatureNotAvailable,
     "Object or provider is not capable of performing requested operation."},
    {Err::InvalidArgument, hr::InvalidArgument,
     "Arguments are of the wrong type, are out of acceptable range, or are in conflict with one "
     "another."},
    {Err::TypeMismatch, hr::TypeMismatch, "Type mismatch: '%1' is not a valid %2."},
    {Err::PropertyValueInvalid, hr::ErrorsOccurred,
     "The value '%1' cannot be stored in the column property '%2'."},
    {Err::NoCommandText, hr::NoCommand, "Command text was not set for the command object."},
    {Err::SyntaxError, hr::SyntaxError, "Syntax error in %1 statement at position %2: %3"},
    {Err::FieldDefinitionSyntax, hr::SyntaxError, "Syntax error in field definition."},
    {Err::InvalidStatement, hr::SyntaxError,
     "Invalid SQL statement at position %1; expected 'DELETE', 'INSERT', 'PROCEDURE', "
     "'SELECT', or 'UPDATE'."},
    {Err::TableExists, hr::SyntaxError, "Table '%1' already exists."},
    {Err::ObjectExists, hr::Fail, "Object '%1' already exists."},
    {Err::TableNotFound, hr::NoTable,
     "The Microsoft Jet database engine cannot find the input table or query '%1'. Make sure "
     "it exists and that its name is spelled correctly."},
    {Err::FieldExists, hr::Fail, "Field '%1' already exists in table '%2'."},
    {Err::FieldNotFound, hr::Fail, "Field '%1' does not exist in table '%2'."},
    {Err::IndexExists, hr::Fail, "Index '%1' already exists on table '%2'."},
    {Err::IndexNotFound, hr::Fail, "Index '%1' does not exist on table '%2'."},
    {Err::PrimaryKeyExists, hr::Fail, "Table '%1' already has a primary key."},
    {Err::ConstraintNotFound, hr::Fail, "Constraint '%1' does not exist on table '%2'."},
    {Err::IndexInRelationship, hr::Fail,
     "Cannot delete this index or table. It is either the current index or is used in a "
     "relationship."},
    {Err::TableInRelationship, hr::Fail,
     "Cannot delete table '%1': it is used in a relationship with table '%2'."},
    {Err::FieldInIndex, hr::Fail,
     "Cannot delete a field that is part of an index or is needed by the system."},
    {Err::CounterOnData, hr::Fail,
     "Cannot change field '%1' to an AutoNumber field: table '%2' contains data."},
    {Err::SecondCounter, hr::Fail,
     "Resultant table not allowed to have more than one AutoNumber field."},
    {Err::ConversionFailed, hr::Fail,
     "Data type conversion error: a value of field '%1' does not fit the type %2."},
    {Err::DuplicateValues, hr::Fail,
     "The changes you requested to the table were not successful because they would create "
     "duplicate values in the index, primary key, or relationship."},
    {Err::NullNotAllowed, hr::Fail,
     "The field '%1' cannot contain a Null value because the Required property for this field "
     "is set to True."},
    {Err::IndexNullNotAllowed, hr::Fail, "Index or primary key cannot contain a Null value."},
    {Err::NoRelatedRecord, hr::Fail,
     "You cannot add or change a record because a related record is required in table '%1'."},
    {Err::HasRelatedRecords, hr::Fail,
     "The record cannot be deleted or changed because table '%1' includes related records."},
    {Err::RelationshipViolation, hr::Fail,
     "Cannot create the relationship '%1': the data in table '%2' violates referential "
     "integrity rules."},
    {Err::AccountExists, hr::Fail, "The account name '%1' already exists."},
    {Err::AccountNotFound, hr::Fail, "User or group account '%1' does not exist."},
    {Err::PermissionObjectNotFound, hr::NoTable, "Cannot find object '%1' of object type %2."},
    {Err::General, hr::Fail, "%1"},
    {Err::DataTypeMismatch, hr::CantConvertValue, "Data type mismatch in criteria expression."},
    {Err::FieldTooSmall, hr::Fail,
     "The field is too small to accept the amount of data you attempted to add. Try inserting "
     "or pasting less data."},
    {Err::LastColumn, hr::Fail,
     "Cannot delete field '%1': table '%2' must keep at least one field."},
    {Err::NoUniqueIndex, hr::Fail,
     "No unique index found for the referenced field of the primary table."},
    {Err::RelationshipColumns, hr::Fail,
     "The relationship '%1' must be on the same number of fields as the key it refers to."},
    {Err::PropertyReadOnly, hr::ErrorsOccurred, "The column property '%1' cannot be changed."},
    {Err::ReservedName, hr::Fail, "The name '%1' is reserved for the database's own tables."},
    {Err::AlreadyMember, hr::Fail, "The user '%1' is already a member of the group '%2'."},
    {Err::NotMember, hr::Fail, "The user '%1' is not a member of the group '%2'."},
    {Err::ReaderFailed, hr::Fail,
     "Cannot read the file '%1': the Jet file reader could not be started (%2)."},
    {Err::FieldInRelationship, hr::Fail,
     "Cannot change field '%1'. It is part of one or more relationships."},
    {Err::InvalidName, hr::Fail,
     "'%1' is not a valid name. Make sure that it does not include invalid characters or "
     "punctuation and that it is not too long."},
    {Err::TooManyFields, hr::Fail, "Too many fields defined."},
    {Err::TooManyIndexFields, hr::Fail, "Cannot have more than 10 fields in an index."},
    {Err::TooManyIndexes, hr::Fail,
     "The operation failed. There are too many indexes on table '%1'. Delete some of the "
     "indexes on the table and try the operation again."},
    {Err::StatementTooLong, hr::Fail,
     "The SQL statement is too long: it has %1 characters, and a statement may have at most %2."},
    {Err::QueryTooComplex, hr::Fail, "Query is too complex."},
    {Err::UndefinedFunction, hr::Fail, "Undefined function '%1' in expression."},
    {Err::TooFewParameters, hr::ParameterMissing, "Too few parameters. Expected %1."},
    {Err::FormatNotWritable, hr::Fail,
     "'%1' is a database of a later Access format (%2), which cannot be changed yet; it was "
     "not changed."},
    {Err::NotWritableDefinition, hr::Fail, "The database was not changed: %1"},
    {Err::TextNotInCodePage, hr::Fail,
     "The statement changed nothing: %1. Access 97 databases store text in their code page "
     "alone."},
    {Err::UnprovenIndexKeys, hr::Fail,
     "Index '%1' on table '%2' cannot be built: its text keys in the database's sort order "
     "(%3) cannot be written exactly yet. The statement changed nothing."},
    {Err::UnprovenIndexKeyType, hr::Fail,
     "Index '%1' on table '%2' cannot be built: the keys of field '%3' (%4) cannot be written "
     "exactly yet. The statement changed nothing."},
    {Err::UnprovenNameKeys, hr::Fail,
     "%1 '%2' cannot be made: the key of the name '%3' in the database's sort order (%4) cannot "
     "be written exactly yet. The statement changed nothing."},
    {Err::CounterSeedTooLow, hr::Fail,
     "The counter of field '%1' cannot start at %2: table '%3' already holds %4, so a new row "
     "would repeat a number. The statement changed nothing."},
    {Err::NotWrittenYet, hr::Fail,
     "%1 cannot be written into Access files yet; the database was not changed by it."},
    {Err::WriteFailed, hr::Fail, "The database was not changed: %1"},
    {Err::QueryNotStorable, hr::Fail,
     "Query '%1' was not written: %2 The database was not changed by it."},
    {Err::FolderNotWritable, hr::Fail,
     "Cannot update. The database '%1' can be written, but its folder '%2' cannot, and the "
     "changed database is made in that folder before it takes the original's place. Make the "
     "folder writable and try again."},
};

[[nodiscard]] const ErrorEntry& errorEntry(Err id);

}  // namespace jet
