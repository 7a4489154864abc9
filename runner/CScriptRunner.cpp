#include "runner/CScriptRunner.h"

#include <optional>

#include "jet/Catalog.h"
#include "jet/Command.h"
#include "jet/Connection.h"
#include "jet/Error.h"
#include "jet/Types.h"
#include "runner/LineGrammar.h"
#include "runner/RunnerError.h"
#include "runner/ScriptReader.h"
#include "runner/StatementMask.h"
#include "text/Trim.h"

namespace runner {

namespace {

const std::string kLineBreak = "\r\n";

void applyColumnProperty(const jet::Catalog& catalog, const std::string& line, size_t lineNumber) {
    const std::string table = GetField(line, 1);
    const std::string column = GetField(line, 2);
    // Numbers are converted before the catalog is touched, so a blank line fails
    // as a bad number rather than as a missing table.
    const int32_t position = fieldToLong(GetField(line, 3), "property position", lineNumber);
    const std::string value = GetField(line, 4, true);
    catalog.Tables().Item(table).Columns().Item(column).Properties().Item(position).Value(
        jet::Variant(value));
}

void applyPermission(const jet::Catalog& catalog, const std::string& line, size_t lineNumber,
                     jet::PrincipalKind kind) {
    const std::string principal = GetField(line, 1);
    const std::string object = GetField(line, 2);
    const int32_t objectType = fieldToLong(GetField(line, 3), "object type", lineNumber);
    const int32_t action = fieldToLong(GetField(line, 4), "action", lineNumber);
    const int32_t rights = fieldToLong(GetField(line, 5, true), "rights", lineNumber);
    if (kind == jet::PrincipalKind::User)
        catalog.Users().Item(principal).SetPermissions(object, objectType, action, rights);
    else
        catalog.Groups().Item(principal).SetPermissions(object, objectType, action, rights);
}

}  // namespace

bool CScriptRunner::RunScript() {
    closeFailure_.clear();
    closeReport_.clear();
    refusal_.clear();
    failedStatements_ = 0;
    jet::Connection connection;
    connection.Mode(jet::ConnectMode::ReadWrite);
    connection.Open(connectionString_, {}, {}, -1);
    bool result = false;
    try {
        result = runLines(connection);
    } catch (...) {
        // What ran before the failure is written all the same; the failure
        // that ended the run is the one the caller hears of.
        (void)close(connection);
        throw;
    }
    return close(connection) && result;
}

bool CScriptRunner::close(jet::Connection& connection) {
    try {
        connection.Close();
    } catch (const jet::Error& e) {
        closeFailure_ = e.description();
        return false;
    }
    closeReport_ = connection.CloseReport();
    return true;
}

bool CScriptRunner::runLines(jet::Connection& connection) {
    // Declared in this order so that, on a failure, the catalog goes before
    // the command; both go before the caller closes the connection.
    std::optional<jet::Command> command;
    std::optional<jet::Catalog> catalog(std::in_place);

    std::string gathered;
    size_t firstTextLine = 0;  // of the gathered text's first non-blank line; 0: none
    bool columns = false, users = false, groups = false;

    command.emplace();
    command->ActiveConnection(connection);
    catalog->ActiveConnection(connection);

    bool result = true;
    bool declined = false;
    // Shows the statement and asks the owner whether to go on; false stops the run.
    const auto failed = [&](const std::string& statement, int32_t number,
                            const std::string& description) {
        bool go = false;
        if (events_) {
            events_->ShowStatement(maskPasswords(statement));
            events_->OnError(number, description, go);
        }
        if (go)
            ++failedStatements_;
        else {
            result = false;
            declined = true;
        }
        return go;
    };
    const std::vector<std::string> lines = readScriptLines(scriptFile_);

    for (size_t i = 0; i < lines.size() && !declined; ++i) {
        const std::string& line = lines[i];
        const size_t lineNumber = i + 1;
        switch (classifyLine(line)) {
            case LineKind::Run: {
                command->CommandText(gathered);
                try {
                    command->Execute();
                } catch (const jet::Error& e) {
                    if (e.refusesDatabase()) {
                        // Said once: the run ends here, with nothing to ask.
                        refusal_ = e.description();
                        result = false;
                        declined = true;
                        break;
                    }
                    if (!failed(command->CommandText(), e.number(), e.description())) break;
                }
                gathered.clear();
                firstTextLine = 0;
                break;
            }
            case LineKind::OpenColumns:
                columns = true;
                break;
            case LineKind::OpenUsers:
                users = true;
                break;
            case LineKind::OpenGroups:
                groups = true;
                break;
            case LineKind::CloseColumns:
                columns = false;
                break;
            case LineKind::CloseUsers:
                users = false;
                break;
            case LineKind::CloseGroups:
                groups = false;
                break;
            case LineKind::Other:
                if (columns)
                    applyColumnProperty(*catalog, line, lineNumber);
                else if (users)
                    applyPermission(*catalog, line, lineNumber, jet::PrincipalKind::User);
                else if (groups)
                    applyPermission(*catalog, line, lineNumber, jet::PrincipalKind::Group);
                else {
                    if (firstTextLine == 0 && !text::trimWhite(line).empty())
                        firstTextLine = lineNumber;
                    gathered += line + kLineBreak;
                }
                break;
        }
    }
    // Statement text that no RUN line follows was never run: a file cut short or
    // half copied. It fails like a statement, so that the user decides.
    if (!declined && firstTextLine != 0)
        (void)failed(gathered, kErrTextAfterLastRun,
                     "Line " + std::to_string(firstTextLine) +
                         " of the script file: the statement text from this line to the end "
                         "of the file has no RUN line after it and was not run.");

    return result;
}

}  // namespace runner
