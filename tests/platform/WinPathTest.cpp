#include "platform/WinPath.h"

#include <gtest/gtest.h>

using namespace kv;

TEST(WinPath, PartsOfAPath)
{
    // path, clean, parent, name, root
    const std::tuple<const char*, const char*, const char*, const char*, bool> cases[] = {
        {"C:\\dir\\file.txt", "C:\\dir\\file.txt", "C:\\dir", "file.txt", false},
        {"C:\\dir\\", "C:\\dir", "C:\\", "dir", false},
        {"C:\\dir\\\\", "C:\\dir", "C:\\", "dir", false},
        {"C:\\dir\\*.*", "C:\\dir\\*.*", "C:\\dir", "*.*", false},
        {"C:\\*.*", "C:\\*.*", "C:\\", "*.*", false},
        {"C:\\", "C:\\", "C:\\", "", true},
        {"C:", "C:\\", "C:\\", "", true},
        {"c:\\\\", "c:\\", "c:\\", "", true},
        {"\\\\server\\share", "\\\\server\\share", "\\\\server\\share", "", true},
        {"\\\\server\\share\\dir", "\\\\server\\share\\dir", "\\\\server\\share", "dir", false},
        {"name.txt", "name.txt", "", "name.txt", false},
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
    for (const auto& [base, joined] : {std::pair{"C:\\", "C:\\a"},
                                       {"C:", "C:\\a"},
                                       {"C:\\d", "C:\\d\\a"},
                                       {"C:\\d\\", "C:\\d\\a"}})
        EXPECT_EQ(winpath::join(QLatin1String(base), QStringLiteral("a")), QLatin1String(joined));
    EXPECT_EQ(winpath::join(QStringLiteral("C:\\d"), QString()), QStringLiteral("C:\\d\\"));

    // a, b, same, a inside b
    const std::tuple<const char*, const char*, bool, bool> cases[] = {
        {"C:\\Store\\Inbox.dbx", "c:\\store\\INBOX.DBX", true, false},
        {"C:\\dir\\", "C:\\dir", true, false},
        {"C:\\dir\\sub", "C:\\DIR", false, true},
        {"C:\\dir\\sub", "C:\\", false, true},
        {"C:\\dirt", "C:\\dir", false, false}, // a longer name is not a sub-folder
        {"C:\\dir", "C:\\dir\\sub", false, false},
    };
    for (const auto& [a, b, same, inside] : cases) {
        EXPECT_EQ(winpath::samePath(QLatin1String(a), QLatin1String(b)), same) << a << " " << b;
        EXPECT_EQ(winpath::isInside(QLatin1String(a), QLatin1String(b)), inside) << a << " " << b;
    }
}

TEST(WinPath, TrailingBackslashAndDrive)
{
    // path, one backslash removed, one ensured, without the drive
    const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
        {"C:\\", "C:", "C:\\", ""},
        {"C:\\\\", "C:\\", "C:\\\\", ""},
        {"C:\\a\\b.dbx", "C:\\a\\b.dbx", "C:\\a\\b.dbx\\", "a\\b.dbx"},
        {"a:/x.dbx", "a:/x.dbx", "a:/x.dbx\\", "x.dbx"},
        {"\\\\server\\share\\f", "\\\\server\\share\\f", "\\\\server\\share\\f\\",
         "server\\share\\f"},
        {"", "", "\\", ""}};
    for (const auto& [path, removed, ensured, withoutDrive] : cases) {
        const QString p = QString::fromLatin1(path);
        EXPECT_EQ(winpath::removeTrailingBackslash(p), QLatin1String(removed)) << path;
        EXPECT_EQ(winpath::withTrailingBackslash(p), QLatin1String(ensured)) << path;
        EXPECT_EQ(winpath::withoutDrive(p), QLatin1String(withoutDrive)) << path;
    }
}
