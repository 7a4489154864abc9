#include "jet/ConnectionString.h"

#include "jet/Error.h"
#include "jet/Variant.h"
#include "text/CaseFold.h"
#include "text/Trim.h"

namespace jet {

namespace {

std::string_view trimBlanks(std::string_view s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

void assign(ConnectionProperties& p, std::string_view key, std::string value) {
    if (text::equalNoCase(key, "Provider"))
        p.provider = std::move(value);
    else if (text::equalNoCase(key, "Data Source"))
        p.dataSource = std::move(value);
    else if (text::equalNoCase(key, "Jet OLEDB:System database"))
        p.systemDatabase = std::move(value);
    else if (text::equalNoCase(key, "User ID"))
        p.userId = std::move(value);
    else if (text::equalNoCase(key, "Password"))
        p.password = std::move(value);
    else if (text::equalNoCase(key, "Jet OLEDB:Database Password"))
        p.databasePassword = std::move(value);
    else if (text::equalNoCase(key, "Jet OLEDB:Create System Database"))
        p.createSystemDatabase = toBool(Variant(std::move(value)));
    else if (text::equalNoCase(key, "Persist Security Info"))
        ;  // accepted and ignored
    else
        raise(Err::UnknownKey, {key});
}

}  // namespace

ConnectionProperties parseConnectionString(std::string_view text) {
    ConnectionProperties props;
    bool sawProvider = false;
    size_t i = 0;
    while (i <= text.size()) {
        // One segment: up to the next ";" outside quotes.
        const size_t eq = text.find_first_of("=;", i);
        if (eq == std::string_view::npos || text[eq] == ';') {
            const size_t end = eq == std::string_view::npos ? text.size() : eq;
            if (!trimBlanks(text.substr(i, end - i)).empty())
                raise(Err::BadInitString, {"a segment without '=' near position " +
                                               std::to_string(i + 1)});
            if (eq == std::string_view::npos) break;
            i = eq + 1;
            continue;
        }
        const auto key = trimBlanks(text.substr(i, eq - i));
        if (key.empty())
            raise(Err::BadInitString, {"an empty key at position " + std::to_string(i + 1)});
        size_t j = eq + 1;
        while (j < text.size() && (text[j] == ' ' || text[j] == '\t')) ++j;
        std::string value;
        size_t next;
        if (j < text.size() && text[j] == '"') {
            // Quoted value: "" stands for one quote; only blanks may follow.
            size_t k = j + 1;
            bool closed = false;
            while (k < text.size()) {
                if (text[k] == '"') {
                    if (k + 1 < text.size() && text[k + 1] == '"') {
                        value.push_back('"');
                        k += 2;
                        continue;
                    }
                    closed = true;
                    ++k;
                    break;
                }
                value.push_back(text[k++]);
            }
            if (!closed)
                raise(Err::BadInitString,
                      {"an unclosed quote for key '" + std::string(key) + "'"});
            while (k < text.size() && (text[k] == ' ' || text[k] == '\t')) ++k;
            if (k < text.size() && text[k] != ';')
                raise(Err::BadInitString,
                      {"text after the closing quote of key '" + std::string(key) + "'"});
            next = k;
        } else {
            next = text.find(';', eq + 1);
            if (next == std::string_view::npos) next = text.size();
            value = std::string(trimBlanks(text.substr(eq + 1, next - eq - 1)));
        }
        if (text::equalNoCase(key, "Provider")) sawProvider = true;
        assign(props, key, std::move(value));
        if (next >= text.size()) break;
        i = next + 1;
    }
    if (!sawProvider || !text::equalNoCase(trimBlanks(props.provider), kJetProvider))
        raise(Err::ProviderNotFound, {sawProvider ? props.provider : std::string("(none)")});
    if (props.dataSource.empty()) raise(Err::NoDataSource);
    return props;
}

std::string quoteConnectionValue(std::string_view value) {
    const bool outerBlank = !value.empty() && (value.front() == ' ' || value.front() == '\t' ||
                                               value.back() == ' ' || value.back() == '\t');
    if (!outerBlank && value.find_first_of(";=\"") == std::string_view::npos)
        return std::string(value);
    std::string out = "\"";
    for (char c : value) {
        if (c == '"') out.push_back('"');
        out.push_back(c);
    }
    out.push_back('"');
    return out;
}

std::string userConnectionString(std::string_view databaseField, std::string_view workgroupField,
                                 std::string_view userField, std::string_view passwordField,
                                 std::string_view afterSource) {
    const auto database = text::trimSpaces(databaseField);
    const auto workgroup = text::trimSpaces(workgroupField);
    const auto user = text::trimSpaces(userField);
    const auto password = text::trimSpaces(passwordField);

    std::string s = "Provider=";
    s += kJetProvider;
    s += ";Data Source=" + quoteConnectionValue(database);
    s += afterSource;
    if (!workgroup.empty()) s += ";Jet OLEDB:System database=" + quoteConnectionValue(workgroup);
    if (!user.empty())
        s += ";User ID=" + quoteConnectionValue(user) + ";Password=" + quoteConnectionValue(password);
    else if (!password.empty())
        s += ";Jet OLEDB:Database Password=" + quoteConnectionValue(password);
    return s;
}

std::string buildConnectionString(const ConnectionProperties& props) {
    std::string s = "Provider=" + quoteConnectionValue(props.provider) +
                    ";Data Source=" + quoteConnectionValue(props.dataSource);
    auto add = [&s](std::string_view key, const std::optional<std::string>& v) {
        if (!v) return;
        s += ';';
        s += key;
        s += '=';
        s += quoteConnectionValue(*v);
    };
    add("Jet OLEDB:System database", props.systemDatabase);
    add("User ID", props.userId);
    add("Password", props.password);
    add("Jet OLEDB:Database Password", props.databasePassword);
    if (props.createSystemDatabase) s += ";Jet OLEDB:Create System Database=True";
    return s;
}

}  // namespace jet
