#include "platform/posix/WindowsCommandLine.h"

#include <gtest/gtest.h>

namespace kv::test {
namespace {

using platform::posix::WindowsCommandLine;

TEST(WindowsCommandLineTest, ProgramIsTheFirstTokenAndTheRestStaysAsWritten)
{
    const struct
    {
        const char* line;
        const char* program;
        const char* rest;
    } cases[] = {
        {"notepad C:\\Program Files\\x.log", "notepad", "C:\\Program Files\\x.log"},
        {"\"C:\\Program Files\\Korvane\\KV2000.exe\" \\F", "C:\\Program Files\\Korvane\\KV2000.exe",
         "\\F"},
        {"  regedit   /s  \"a b.reg\"", "regedit", "/s  \"a b.reg\""},
        {"\"unterminated name", "unterminated name", ""},
        {"", "", ""},
    };
    for (const auto& test : cases) {
        QString program;
        QString rest;
        WindowsCommandLine::splitProgram(QString::fromUtf8(test.line), &program, &rest);
        EXPECT_EQ(program, QString::fromUtf8(test.program)) << test.line;
        EXPECT_EQ(rest, QString::fromUtf8(test.rest)) << test.line;
    }
}

TEST(WindowsCommandLineTest, ArgumentsSplitAsTheRuntimeSplitsThem)
{
    const struct
    {
        const char* text;
        QStringList arguments;
    } cases[] = {
        {"a b\tc", {"a", "b", "c"}},
        {"\"a b\" c", {"a b", "c"}},
        {"a\"b c\"d", {"ab cd"}},
        {"\\\\server\\share", {"\\\\server\\share"}},
        {"\"C:\\dir\\\\\" x", {"C:\\dir\\", "x"}},
        {"a\\\"b", {"a\"b"}},
        {"\"\"", {""}},
        {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
        {"   ", {}},
    };
    for (const auto& test : cases)
        EXPECT_EQ(WindowsCommandLine::arguments(QString::fromUtf8(test.text)), test.arguments)
            << test.text;
}

TEST(WindowsCommandLineTest, QuotedArgumentsComeBackUnchanged)
{
    const QStringList arguments = {
        "plain",    "with space",          "",      "C:\\dir\\", "quote\"inside",
        "tail\\\\", "\\\\server\\share\\", "a\\\"b"};
    QStringList quoted;
    for (const QString& a : arguments)
        quoted.append(WindowsCommandLine::quote(a));
    EXPECT_EQ(WindowsCommandLine::arguments(quoted.join(' ')), arguments);
}

} // namespace
} // namespace kv::test
