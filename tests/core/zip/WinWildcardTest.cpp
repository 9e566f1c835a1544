// One wildcard rule for the file search and the archive: a pattern picks the same names from a
// folder (find), for a new archive (expandFiles) and from an archive's entries (matchEntry).
#include "ZipFixture.h"
#include "support/QtPrinters.h"
#include "zip/ZipNames.h"

using namespace kv;

namespace {

QStringList sorted(QStringList names)
{
    names.sort(Qt::CaseInsensitive);
    return names;
}

using WinWildcard = test::ZipFixture;

TEST_F(WinWildcard, FindAndTheArchiveSelectionPickTheSameNames)
{
    const QStringList names =
        u"name|name.txt|ab|abc|abcd|ab.txt|abc.txt|a.txt|a.b.c|Inbox.DBX|a.txt.bak"_s.split(u'|');
    for (const QString& name : names)
        put(u"C:\\W\\"_s + name, name.toLatin1());

    const std::pair<const char*, const char*> cases[] = {
        {"*.*", "name|name.txt|ab|abc|abcd|ab.txt|abc.txt|a.txt|a.b.c|Inbox.DBX|a.txt.bak"},
        {"name.*", "name|name.txt"},   // "." before wildcards also matches the end of a name
        {"ab?", "ab|abc"},             // "?" at the end may match nothing
        {"ab?.txt", "ab.txt|abc.txt"}, // and so may "?" before the dot
        {"a??.txt", "a.txt|ab.txt|abc.txt"},
        {"*.txt", "name.txt|ab.txt|abc.txt|a.txt"},
        {"*.", "name|ab|abc|abcd"}, // "*" before a "." never takes the last dot
        {"a*.b*", "a.b.c|a.txt.bak"},
        {"inbox.dbx", "Inbox.DBX"},
        {"?", ""},
    };
    for (const auto& [pattern, picked] : cases) {
        SCOPED_TRACE(pattern);
        const QString p = QString::fromLatin1(pattern);
        const QStringList expected =
            sorted(QString::fromLatin1(picked).split(QLatin1Char('|'), Qt::SkipEmptyParts));
        QStringList found, added, selected, selectedWithFolder;
        for (const platform::FileEntry& e : m_fs.find(u"C:\\W\\"_s + p))
            found << e.name;
        for (const zip::FileToAdd& f :
             zip::expandFiles(m_fs, {u"C:\\W\\"_s + p}, [](const QString&) {}))
            added << f.info.name;
        for (const QString& name : names) {
            if (zip::matchEntry(u"W\\"_s + name, p))
                selected << name;
            if (zip::matchEntry(u"W\\"_s + name, u"W\\"_s + p))
                selectedWithFolder << name;
        }
        EXPECT_EQ(sorted(found), expected) << "find";
        EXPECT_EQ(sorted(added), expected) << "zip";
        EXPECT_EQ(sorted(selected), expected) << "unzip by file name";
        EXPECT_EQ(sorted(selectedWithFolder), expected) << "unzip by path";
    }
}

} // namespace
