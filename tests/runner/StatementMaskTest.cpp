#include <gtest/gtest.h>

#include "runner/StatementMask.h"

namespace {

struct MaskCase {
    const char* statement;
    const char* shown;
};

TEST(StatementMask, HidesPasswordsAndNothingElse) {
    const MaskCase cases[] = {
        {"ALTER USER [ann] PASSWORD newpw oldpw", "ALTER USER [ann] PASSWORD ***** *****"},
        {"alter user ann password [new pw];\r\n\r\n", "alter user ann password *****;\r\n\r\n"},
        {"ALTER USER [ann]\r\nPASSWORD 'it''s' \"x\"\r\n",
         "ALTER USER [ann]\r\nPASSWORD ***** *****\r\n"},
        {"ALTER DATABASE PASSWORD NULL [old]", "ALTER DATABASE PASSWORD ***** *****"},
        {"ALTER DATABASE PASSWORD 12345", "ALTER DATABASE PASSWORD *****"},
        // A user named Password is a name, not the clause.
        {"ALTER USER [Password] PASSWORD a b", "ALTER USER [Password] PASSWORD ***** *****"},
        // An unclosed value runs to the end of the text and is hidden whole.
        {"ALTER USER u PASSWORD 'unclosed; more", "ALTER USER u PASSWORD *****"},
        {"CREATE USER [ann] pw pid, [bob], [cy] pw2",
         "CREATE USER [ann] ***** pid, [bob], [cy] *****"},
        {"CREATE USER ann", "CREATE USER ann"},
        // A password the store cannot read as one token (the statement fails and
        // is shown) is hidden whole, up to a blank, "," or ";".
        {"ALTER USER [ann] PASSWORD my-s3cret! old@pw;", "ALTER USER [ann] PASSWORD ***** *****;"},
        {"ALTER USER ann PASSWORD @new", "ALTER USER ann PASSWORD *****"},
        {"ALTER DATABASE PASSWORD 'a'b [c]d e", "ALTER DATABASE PASSWORD ***** ***** e"},
        {"ALTER USER [ann]PASSWORD x.y", "ALTER USER [ann]PASSWORD *****"},
        {"CREATE USER ann p#w pid, [bob]x y$z", "CREATE USER ann ***** pid, [bob]x *****"},
        // Other statements keep words that look like the clause.
        {"CREATE TABLE [U] ([Name] TEXT, Password TEXT(20))",
         "CREATE TABLE [U] ([Name] TEXT, Password TEXT(20))"},
        {"UPDATE [U] SET Password = 'x'", "UPDATE [U] SET Password = 'x'"},
        {"GRANT DBPASSWORD ON DATABASE TO [ann]", "GRANT DBPASSWORD ON DATABASE TO [ann]"},
        {"ALTER TABLE [U] ADD COLUMN Password TEXT", "ALTER TABLE [U] ADD COLUMN Password TEXT"},
        {"ALTER USER [ann] PASSWORD", "ALTER USER [ann] PASSWORD"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(runner::maskPasswords(c.statement), c.shown) << c.statement;
}

}  // namespace
