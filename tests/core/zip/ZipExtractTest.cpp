// Extraction: the names entries are written under; damaged or hostile archives write nothing.
#include "ZipFixture.h"

#include <QDir>
#include <QFile>

using namespace kv::test;
using namespace kv::zip;

namespace {

const QByteArray kInbox = mailText(150'000, 21);

class ZipExtractTest : public ZipFixture
{
protected:
    void SetUp() override
    {
        put(u"C:\\Store\\Inbox.dbx"_s, kInbox);
        put(u"C:\\Store\\Sent.dbx"_s, mailText(20'000, 22));
        put(u"C:\\WINDOWS\\Favorites\\Links\\a.url"_s, "a");
        put(u"C:\\WINDOWS\\Favorites\\b.url"_s, "b");
        put(u"C:\\News\\acct\\g.nch"_s, "news");
        put(u"C:\\AB\\me.wab"_s, "wab");
        put(u"C:\\Prog\\KorvaneBackup.log"_s, "V5 list");
        m_zip.setArchiveName(u"D:\\b.eaz"_s);
        m_zip.setFilesToProcess(
            u"C:\\Store\\Inbox.dbx\rC:\\Store\\Sent.dbx\rC:\\WINDOWS\\Favorites\\*\r"
            u"C:\\News\\acct\\*\rC:\\AB\\me.wab\rC:\\Prog\\KorvaneBackup.log"_s);
        ASSERT_EQ(m_zip.zip(), kZipSuccess);
    }
};

TEST_F(ZipExtractTest, PathModeNamesTheExtractedFiles)
{
    // label, files, mode, result, files written (and the names the extracting event gives)
    const std::tuple<const char*, const char*, PathMode, int, const char*> cases[] = {
        {"item list, default mode", "KorvaneBackup.log", PathMode::FileNameOnly, kZipSuccess,
         "KorvaneBackup.log"},
        {"mail folders", "inbox.DBX|Sent.dbx", PathMode::FromMatch, kZipSuccess,
         "Inbox.dbx|Sent.dbx"},
        {"favorites keep the stored path from the match", "WINDOWS\\Favorites\\*.*",
         PathMode::FromMatch, kZipSuccess, "WINDOWS/Favorites/Links/a.url|WINDOWS/Favorites/b.url"},
        {"a full path with its drive", "C:\\News\\acct\\g.nch", PathMode::FromMatch, kZipSuccess,
         "News/acct/g.nch"},
        {"a folder's name alone, or part of it, picks nothing", "acct|cct\\*.*",
         PathMode::FromMatch, kZipFilesSkipped, ""},
        {"everything with full paths", "", PathMode::FullPath, kZipSuccess,
         "AB/me.wab|News/acct/g.nch|Prog/KorvaneBackup.log|Store/Inbox.dbx|Store/Sent.dbx|"
         "WINDOWS/Favorites/Links/a.url|WINDOWS/Favorites/b.url"},
        {"a missing name is skipped", "Sent.dbx|Gone.dbx", PathMode::FromMatch, kZipFilesSkipped,
         "Sent.dbx"},
        {"a pattern that matches nothing", "*.zzz", PathMode::FromMatch, kZipNothingToDo, ""},
    };
    int n = 0;
    for (const auto& [label, files, mode, result, written] : cases) {
        SCOPED_TRACE(label);
        m_events = RecordingListener();
        const QString dest = u"D:\\out%1"_s.arg(n++);
        EXPECT_EQ(unzipTo(dest, QString::fromLatin1(files).replace(u'|', u'\r'), mode), result);
        EXPECT_EQ(filesBelow(host(dest)),
                  QString::fromLatin1(written).split(u'|', Qt::SkipEmptyParts));
        QStringList hooks = m_events.extracted;
        hooks.sort();
        EXPECT_EQ(hooks.join(u'|').replace(u'\\', u'/'), QString::fromLatin1(written));
    }
    EXPECT_EQ(get(u"D:\\out1\\Inbox.dbx"_s), kInbox);
}

TEST_F(ZipExtractTest, HookChoosesTheDestinationName)
{
    m_events.onExtracting = [](const QString& entry, QString& dest) {
        if (entry.startsWith(u"WINDOWS\\Favorites\\"_s, Qt::CaseInsensitive))
            dest = entry.mid(18);
        else if (entry == u"Sent.dbx"_s)
            dest = u"..\\escape.dbx"_s; // a hook error must not escape either
    };
    EXPECT_EQ(unzipTo(u"D:\\out"_s, u"WINDOWS\\Favorites\\*.*\rSent.dbx"_s, PathMode::FromMatch),
              kZipFilesSkipped);
    EXPECT_EQ(filesBelow(host(u"D:\\out"_s)), (QStringList{u"Links/a.url"_s, u"b.url"_s}));
    ASSERT_EQ(m_events.skipped.size(), 1);
    EXPECT_EQ(m_events.skipped[0].second, int(SkipReason::Corrupted));
    EXPECT_FALSE(QFile::exists(host(u"D:\\escape.dbx"_s)));
}

// Damaged archives and fuzzer findings (data/): refused or skipped; an existing file stays.
TEST_F(ZipExtractTest, DamageInEveryRegionIsReportedAndWritesNothingFinal)
{
    const QByteArray good = get(u"D:\\b.eaz"_s);
    const qsizetype end = good.lastIndexOf(QByteArray("PK\x05\x06", 4));
    const qsizetype central = good.indexOf(QByteArray("PK\x01\x02", 4));
    const qsizetype secondLocal = good.indexOf(QByteArray("PK\x03\x04", 4), 4);
    ASSERT_GT(qMin(end, central), 0);
    const auto flip = [&good](qsizetype at, char bits) {
        QByteArray b = good;
        b[at] = char(b[at] ^ bits);
        return b;
    };
    const QDir findings(QStringLiteral(KV_ZIP_TEST_DATA));
    // label, archive, test result, the first skip's possible reasons (none: unreadable archive)
    QList<std::tuple<QString, QByteArray, int, QList<int>>> cases = {
        {u"truncated"_s, good.left(good.size() - 30), kZipNotAZip, {}},
        {u"not a zip at all"_s, "just some text\r\n", kZipNotAZip, {}},
        {u"local header signature"_s, flip(1, 0x20), kZipFilesSkipped, {6}},
        {u"deflated data"_s, flip(secondLocal / 2, 0x55), kZipFilesSkipped, {2, 6}},
        {u"central directory signature"_s, flip(central + 2, 0x0B), kZipNotAZip, {}},
        {u"central directory CRC"_s, flip(central + 16, 0x01), kZipFilesSkipped, {2}},
        {u"central directory name length"_s, flip(central + 29, 0x70), kZipNotAZip, {}},
        {u"end record entry count"_s, flip(end + 10, 0x70), kZipNotAZip, {}},
        {u"end record directory offset"_s, flip(end + 19, 0x40), kZipNotAZip, {}}};
    for (const QString& name : findings.entryList(QDir::Files))
        cases.append({name, readFile(findings.filePath(name)), kZipNotAZip, {}});
    ASSERT_GT(cases.size(), 9) << "no fuzzer findings";
    int n = 0;
    for (const auto& [label, bytes, testResult, reasons] : cases) {
        SCOPED_TRACE(label.toStdString());
        const QString name = u"D:\\bad%1.eaz"_s.arg(n);
        put(name, bytes);
        m_events = RecordingListener();
        m_zip.setArchiveName(name);
        EXPECT_EQ(m_zip.test(), testResult);
        if (!reasons.isEmpty()) {
            ASSERT_FALSE(m_events.skipped.isEmpty());
            EXPECT_TRUE(reasons.contains(m_events.skipped[0].second));
        }
        const QString dest = u"D:\\dmg%1"_s.arg(n++);
        put(dest + u"\\Inbox.dbx"_s, "previous");
        EXPECT_NE(unzipTo(dest, u"Inbox.dbx"_s, PathMode::FromMatch), kZipSuccess);
        EXPECT_EQ(get(dest + u"\\Inbox.dbx"_s), QByteArray("previous"));
        EXPECT_EQ(filesBelow(host(dest)), QStringList{u"Inbox.dbx"_s}); // no temporary left
    }
}

TEST_F(ZipExtractTest, HostileEntryNamesNeverLeaveTheDestination)
{
    KV_REQUIRE_PROGRAMS("python3");
    const QString script = QStringLiteral(
        "import sys, zipfile\n"
        "z = zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED)\n"
        "for n in ['../up.txt', '..\\\\up2.txt', '/abs.txt', 'C:/drive.txt', 'a/../../up3.txt',\n"
        "          'c:evil.txt', 'sub/ok.txt']:\n"
        "    z.writestr(zipfile.ZipInfo(n), b'payload ' + n.encode())\n"
        "z.close()\n");
    const auto [made, output] = runTool(u"python3"_s, {u"-c"_s, script, host(u"D:\\h.zip"_s)});
    ASSERT_EQ(made, 0) << output;

    m_zip.setArchiveName(u"D:\\h.zip"_s);
    EXPECT_EQ(m_zip.test(), kZipFilesSkipped);
    for (PathMode mode : {PathMode::FullPath, PathMode::FromMatch, PathMode::FileNameOnly}) {
        SCOPED_TRACE(int(mode));
        m_events = RecordingListener();
        EXPECT_EQ(unzipTo(u"D:\\h\\dest"_s, {}, mode), kZipFilesSkipped);
        EXPECT_EQ(m_events.skipped.size(), 6);
        for (const auto& s : m_events.skipped)
            EXPECT_EQ(s.second, int(SkipReason::Corrupted)) << s.first.toStdString();
        // Only the harmless entry was written, and nothing outside the destination.
        const QString ok =
            mode == PathMode::FileNameOnly ? u"h/dest/ok.txt"_s : u"h/dest/sub/ok.txt"_s;
        EXPECT_EQ(filesBelow(host(u"D:\\"_s)), (QStringList{u"b.eaz"_s, u"h.zip"_s, ok}));
        EXPECT_EQ(filesBelow(host(u"C:\\"_s)).size(), 7); // the sources only
        QDir(host(u"D:\\h"_s)).removeRecursively();
    }
}

} // namespace
