// Windows paths, the ANSI code page and registry data: the value types every layer shares.
#include "platform/WinPath.h"
#include "platform/Ansi.h"
#include "platform/RegValue.h"

#include <gtest/gtest.h>

using namespace kv;
using namespace kv::platform;

TEST(WinPath, PartsOfAPath)
{
    // path, clean, parent, name, root
    const std::tuple<const char*, const char*, const char*, const char*, bool> cases[] = {
        {"C:\\dir\\file.txt", "C:\\dir\\file.txt", "C:\\dir", "file.txt", false},
        {"C:\\dir\\\\", "C:\\dir", "C:\\", "dir", false},
        {"C:", "C:\\", "C:\\", "", true},
        {"\\\\server\\share", "\\\\server\\share", "\\\\server\\share", "", true},
        {"\\\\server\\share\\dir", "\\\\server\\share\\dir", "\\\\server\\share", "dir", false},
        {"", "", "", "", false},
    };
    for (const auto& [path, clean, parent, name, root] : cases) {
        const QString p = QString::fromLatin1(path);
        EXPECT_EQ(winpath::clean(p), QLatin1String(clean)) << path;
        EXPECT_EQ(winpath::parent(p), QLatin1String(parent)) << path;
        EXPECT_EQ(winpath::fileName(p), QLatin1String(name)) << path;
        EXPECT_EQ(winpath::isRoot(p), root) << path;
    }
}

TEST(WinPath, JoinAndCompare)
{
    EXPECT_EQ(winpath::join(QStringLiteral("C:"), QStringLiteral("a")), QStringLiteral("C:\\a"));
    // a, b, same, a inside b
    const std::tuple<const char*, const char*, bool, bool> cases[] = {
        {"C:\\Store\\Inbox.dbx", "c:\\store\\INBOX.DBX", true, false},
        {"C:\\dir\\sub", "C:\\DIR", false, true},
        {"C:\\dirt", "C:\\dir", false, false}, // a longer name is not a sub-folder
        {"C:\\dir", "C:\\dir\\sub", false, false},
    };
    for (const auto& [a, b, same, inside] : cases) {
        EXPECT_EQ(winpath::samePath(QLatin1String(a), QLatin1String(b)), same) << a << " " << b;
        EXPECT_EQ(winpath::isInside(QLatin1String(a), QLatin1String(b)), inside) << a << " " << b;
    }
}

TEST(Ansi, EveryByteSurvivesARoundTripThroughTheCodePageNotLatin1)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString text = ansi::toUnicode(all);
    EXPECT_EQ(ansi::fromUnicode(text), all);
    EXPECT_EQ(text.at(0x80), QChar(0x20AC));
    const QString wide = QStringLiteral("a\u4E2Db\u0100");
    EXPECT_FALSE(ansi::isRepresentable(wide));
    EXPECT_EQ(ansi::narrow(wide), QStringLiteral("a?b?"));
}

TEST(RegValue, StringsEndAtTheirFirstNulAndShortDataReadsAsZeroes)
{
    EXPECT_EQ((RegValue{kRegSz, QByteArray("a\0b\0\0\0c\0", 8)}).toString(), QStringLiteral("ab"));
    EXPECT_EQ((RegValue{kRegSz, QByteArray("x\0y", 3)}).toString(), QStringLiteral("x"));
    EXPECT_EQ((RegValue{kRegBinary, QByteArray("\x01\x02", 2)}).toDword(), 0x0201u);
}
