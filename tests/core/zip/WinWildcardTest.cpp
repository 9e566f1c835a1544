// One wildcard rule: find, expandFiles and matchEntry pick the same names.
#include "ZipFixture.h"
#include "support/QtPrinters.h"
#include "zip/ZipNames.h"

using namespace kv;

namespace {

using WinWildcard = test::ZipFixture;

TEST_F(WinWildcard, FindAndTheArchiveSelectionPickTheSameNames)
{
    const QStringList names =
        u"name|name.txt|ab|abc|ab.txt|a.txt|a.b.c|Inbox.DBX|a.txt.bak"_s.split(u'|');
    for (const QString& name : names)
        put(u"C:\\W\\"_s + name, name.toLatin1());
    const std::pair<const char*, const char*> cases[] = {
        {"name.*", "name|name.txt"}, // "." before wildcards also matches the end of a name
        {"ab?", "ab|abc"},           // "?" at the end may match nothing
        {"a??.txt", "a.txt|ab.txt"}, // and so may "?" before the dot
        {"*.", "name|ab|abc"},       // "*" before a "." never takes the last dot
        {"a*.b*", "a.b.c|a.txt.bak"},
        {"inbox.dbx", "Inbox.DBX"},
        {"?", ""},
    };
    for (const auto& [pattern, picked] : cases) {
        SCOPED_TRACE(pattern);
        const QString p = QString::fromLatin1(pattern);
        QStringList expected = QString::fromLatin1(picked).split(u'|', Qt::SkipEmptyParts);
        QStringList found, added, selected, selectedWithFolder;
        for (const platform::FileEntry& e : m_fs.find(u"C:\\W\\"_s + p))
            found << e.name;
        for (const zip::FileToAdd& f : zip::expandFiles(m_fs, {u"C:\\W\\"_s + p}, [](auto&) {}))
            added << f.info.name;
        for (const QString& name : names) {
            if (zip::matchEntry(u"W\\"_s + name, p))
                selected << name;
            if (zip::matchEntry(u"W\\"_s + name, u"W\\"_s + p))
                selectedWithFolder << name;
        }
        for (QStringList* list : {&expected, &found, &added, &selected, &selectedWithFolder})
            list->sort(Qt::CaseInsensitive);
        EXPECT_EQ(found, expected) << "find";
        EXPECT_EQ(added, expected) << "zip";
        EXPECT_EQ(selected, expected) << "unzip by file name";
        EXPECT_EQ(selectedWithFolder, expected) << "unzip by path";
    }
}

} // namespace
