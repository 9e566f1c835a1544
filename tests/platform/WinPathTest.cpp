#include "platform/WinPath.h"

#include <gtest/gtest.h>

using namespace kv;

TEST(WinPath, PartsOfAPath)
{
    struct Case
    {
        const char* path;
        const char* clean;
        const char* parent;
        const char* name;
        bool root;
    };
    const Case cases[] = {
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
    for (const Case& c : cases) {
        const QString path = QString::fromLatin1(c.path);
        EXPECT_EQ(winpath::clean(path), QString::fromLatin1(c.clean)) << c.path;
        EXPECT_EQ(winpath::parent(path), QString::fromLatin1(c.parent)) << c.path;
        EXPECT_EQ(winpath::fileName(path), QString::fromLatin1(c.name)) << c.path;
        EXPECT_EQ(winpath::isRoot(path), c.root) << c.path;
    }
}

TEST(WinPath, JoinAndCompare)
{
    EXPECT_EQ(winpath::join(QStringLiteral("C:\\"), QStringLiteral("a")), QStringLiteral("C:\\a"));
    EXPECT_EQ(winpath::join(QStringLiteral("C:"), QStringLiteral("a")), QStringLiteral("C:\\a"));
    EXPECT_EQ(winpath::join(QStringLiteral("C:\\d"), QStringLiteral("a")),
              QStringLiteral("C:\\d\\a"));
    EXPECT_EQ(winpath::join(QStringLiteral("C:\\d"), QString()), QStringLiteral("C:\\d\\"));

    struct Case
    {
        const char* a;
        const char* b;
        bool same;
        bool aInsideB;
    };
    const Case cases[] = {
        {"C:\\Store\\Inbox.dbx", "c:\\store\\INBOX.DBX", true, false},
        {"C:\\dir\\", "C:\\dir", true, false},
        {"C:\\dir\\sub", "C:\\DIR", false, true},
        {"C:\\dir\\sub", "C:\\", false, true},
        {"C:\\dirt", "C:\\dir", false, false}, // a longer name is not a sub-folder
        {"C:\\dir", "C:\\dir\\sub", false, false},
    };
    for (const Case& c : cases) {
        const QString a = QString::fromLatin1(c.a), b = QString::fromLatin1(c.b);
        EXPECT_EQ(winpath::samePath(a, b), c.same) << c.a << " " << c.b;
        EXPECT_EQ(winpath::isInside(a, b), c.aInsideB) << c.a << " " << c.b;
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
