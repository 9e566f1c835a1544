#include "platform/posix/WindowsCommandLine.h"

#include <gtest/gtest.h>

namespace kv::test {
namespace {

using platform::posix::WindowsCommandLine;

TEST(WindowsCommandLineTest, ProgramIsTheFirstTokenAndTheRestStaysAsWritten)
{
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"notepad C:\\Program Files\\x.log", "notepad", "C:\\Program Files\\x.log"},
        {"\"C:\\Program Files\\Korvane\\KV2000.exe\" \\F", "C:\\Program Files\\Korvane\\KV2000.exe",
         "\\F"},
        {"  regedit   /s  \"a b.reg\"", "regedit", "/s  \"a b.reg\""},
        {"\"unterminated name", "unterminated name", ""},
        {"", "", ""},
    };
    for (const auto& [line, program, rest] : cases) {
        QString p, r;
        WindowsCommandLine::splitProgram(QString::fromUtf8(line), &p, &r);
        EXPECT_EQ(p, QString::fromUtf8(program)) << line;
        EXPECT_EQ(r, QString::fromUtf8(rest)) << line;
    }
}

TEST(WindowsCommandLineTest, ArgumentsSplitAsTheRuntimeSplitsThemAndQuotedOnesComeBack)
{
    const std::pair<const char*, QStringList> cases[] = {
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
    for (const auto& [text, arguments] : cases)
        EXPECT_EQ(WindowsCommandLine::arguments(QString::fromUtf8(text)), arguments) << text;

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
