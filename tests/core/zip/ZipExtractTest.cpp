// Extraction: which entries a name or pattern selects, the names they are written under, and
// what damaged or hostile archives do to the destination (nothing).
#include "ZipFixture.h"

#include <QDir>
#include <QFile>

using namespace kv::test;
using namespace kv::zip;

namespace {

const QByteArray kInbox = mailText(150'000, 21);
const QByteArray kSent = mailText(20'000, 22);

class ZipExtractTest : public ZipFixture
{
protected:
    void SetUp() override
    {
        put(QStringLiteral("C:\\Store\\Inbox.dbx"), kInbox);
        put(QStringLiteral("C:\\Store\\Sent.dbx"), kSent);
        put(QStringLiteral("C:\\WINDOWS\\Favorites\\Links\\a.url"), "a");
        put(QStringLiteral("C:\\WINDOWS\\Favorites\\b.url"), "b");
        put(QStringLiteral("C:\\News\\acct\\g.nch"), "news");
        put(QStringLiteral("C:\\AB\\me.wab"), "wab");
        put(QStringLiteral("C:\\Prog\\KorvaneBackup.log"), "V5 list");
        m_zip.setArchiveName(QStringLiteral("D:\\b.eaz"));
        m_zip.setFilesToProcess(
            QStringLiteral("C:\\Store\\Inbox.dbx\rC:\\Store\\Sent.dbx\rC:\\WINDOWS\\Favorites\\*\r"
                           "C:\\News\\acct\\*\rC:\\AB\\me.wab\rC:\\Prog\\KorvaneBackup.log"));
        ASSERT_EQ(m_zip.zip(), kZipSuccess);
    }

    int extract(const QString& files, PathMode mode,
                const QString& dest = QStringLiteral("D:\\out"),
                const QString& archive = QStringLiteral("D:\\b.eaz"))
    {
        m_zip.setArchiveName(archive);
        m_zip.setFilesToProcess(files);
        m_zip.setDestination(dest);
        m_zip.setPathMode(mode);
        return m_zip.unzip();
    }

    // The archive's bytes, for damaging a copy.
    QByteArray archiveBytes() { return get(QStringLiteral("D:\\b.eaz")); }
};

// Which entries a name picks is the wildcard table's business; here, the names they get.
TEST_F(ZipExtractTest, PathModeNamesTheExtractedFiles)
{
    // label, files ("|" between them), mode, result, files written below the destination,
    // which are also the names the extracting event hands over
    const std::tuple<const char*, const char*, PathMode, int, const char*> cases[] = {
        {"item list, default mode", "KorvaneBackup.log", PathMode::FileNameOnly, kZipSuccess,
         "KorvaneBackup.log"},
        {"mail folders", "inbox.DBX|Sent.dbx", PathMode::FromMatch, kZipSuccess,
         "Inbox.dbx|Sent.dbx"},
        {"favorites keep the stored path from the match", "WINDOWS\\Favorites\\*.*",
         PathMode::FromMatch, kZipSuccess, "WINDOWS/Favorites/Links/a.url|WINDOWS/Favorites/b.url"},
        {"news account folder", "acct\\*.*", PathMode::FromMatch, kZipSuccess, "acct/g.nch"},
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
        const QString dest = QStringLiteral("D:\\out%1").arg(n++);
        EXPECT_EQ(extract(QString::fromLatin1(files).replace(QLatin1Char('|'), QLatin1Char('\r')),
                          mode, dest),
                  result);
        const QStringList names =
            QString::fromLatin1(written).split(QLatin1Char('|'), Qt::SkipEmptyParts);
        EXPECT_EQ(filesBelow(host(dest)), names);
        QStringList hooks = m_events.extracted;
        hooks.sort();
        EXPECT_EQ(hooks.join(QLatin1Char('|')).replace(QLatin1Char('\\'), QLatin1Char('/')),
                  QString::fromLatin1(written));
    }
    EXPECT_EQ(get(QStringLiteral("D:\\out1\\Inbox.dbx")), kInbox);
}

TEST_F(ZipExtractTest, HookChoosesTheDestinationName)
{
    m_events.onExtracting = [](const QString& entry, QString& dest) {
        if (entry.endsWith(QLatin1String("wab"), Qt::CaseInsensitive))
            dest = QStringLiteral("RestoredAddressBook.wab");
        else if (entry.startsWith(QLatin1String("WINDOWS\\Favorites\\"), Qt::CaseInsensitive))
            dest = entry.mid(18);
        else if (entry == QLatin1String("Sent.dbx"))
            dest = QStringLiteral("..\\escape.dbx"); // a hook error must not escape either
    };
    EXPECT_EQ(
        extract(QStringLiteral("*.wab\rWINDOWS\\Favorites\\*.*\rSent.dbx"), PathMode::FromMatch),
        kZipFilesSkipped);
    EXPECT_EQ(filesBelow(host(QStringLiteral("D:\\out"))),
              (QStringList{QStringLiteral("Links/a.url"), QStringLiteral("RestoredAddressBook.wab"),
                           QStringLiteral("b.url")}));
    ASSERT_EQ(m_events.skipped.size(), 1);
    EXPECT_EQ(m_events.skipped[0].second, int(SkipReason::Corrupted));
    EXPECT_FALSE(QFile::exists(host(QStringLiteral("D:\\escape.dbx"))));
}

TEST_F(ZipExtractTest, DamageInEveryRegionIsReportedAndWritesNothingFinal)
{
    const QByteArray good = archiveBytes();
    const qsizetype end = good.lastIndexOf(QByteArray("PK\x05\x06", 4));
    const qsizetype central = good.indexOf(QByteArray("PK\x01\x02", 4));
    const qsizetype secondLocal = good.indexOf(QByteArray("PK\x03\x04", 4), 4);
    ASSERT_GT(end, 0);
    ASSERT_GT(central, 0);

    // label, byte changed (XOR), test result, first entry's skip reason (-1: unreadable
    // archive, -2: a CRC or a data error)
    const std::tuple<const char*, qsizetype, char, int, int> flips[] = {
        {"local header signature", 1, 0x20, kZipFilesSkipped, 6},
        {"deflated data", secondLocal / 2, 0x55, kZipFilesSkipped, -2},
        {"central directory signature", central + 2, 0x0B, kZipNotAZip, -1},
        {"central directory CRC", central + 16, 0x01, kZipFilesSkipped, 2},
        {"central directory name length", central + 29, 0x70, kZipNotAZip, -1},
        {"end record signature", end, 0x02, kZipNotAZip, -1},
        {"end record entry count", end + 10, 0x70, kZipNotAZip, -1},
        {"end record directory offset", end + 17, 0x01, kZipNotAZip, -1}};
    struct Case
    {
        const char* label;
        std::function<void(QByteArray&)> damage;
        int testResult;
        int reason;
    };
    QList<Case> cases = {
        {"truncated", [](QByteArray& b) { b.chop(30); }, kZipNotAZip, -1},
        {"not a zip at all", [](QByteArray& b) { b = "just some text\r\n"; }, kZipNotAZip, -1}};
    for (const auto& [label, at, flip, result, reason] : flips)
        cases.append(
            {label, [at, flip](QByteArray& b) { b[at] = char(b[at] ^ flip); }, result, reason});
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        QByteArray bytes = good;
        c.damage(bytes);
        const QString name = QStringLiteral("D:\\bad%1.eaz").arg(n);
        put(name, bytes);
        m_events = RecordingListener();
        m_zip.setArchiveName(name);
        EXPECT_EQ(m_zip.test(), c.testResult);
        if (c.reason >= 0) {
            ASSERT_FALSE(m_events.skipped.isEmpty());
            EXPECT_EQ(m_events.skipped[0].second, c.reason);
        } else if (c.reason == -2) {
            ASSERT_FALSE(m_events.skipped.isEmpty());
            EXPECT_TRUE(m_events.skipped[0].second == 2 || m_events.skipped[0].second == 6);
        }

        // An existing file of a damaged entry's name stays as it was; no temporary is left.
        const QString dest = QStringLiteral("D:\\dmg%1").arg(n++);
        put(dest + QStringLiteral("\\Inbox.dbx"), "previous");
        m_zip.setDestination(dest);
        m_zip.setFilesToProcess(QStringLiteral("Inbox.dbx"));
        m_zip.setPathMode(PathMode::FromMatch);
        const int rc = m_zip.unzip();
        EXPECT_NE(rc, kZipSuccess);
        EXPECT_EQ(get(dest + QStringLiteral("\\Inbox.dbx")), QByteArray("previous"));
        EXPECT_EQ(filesBelow(host(dest)), QStringList{QStringLiteral("Inbox.dbx")});
    }
}

TEST_F(ZipExtractTest, MissingArchiveAndMissingArgumentsHaveTheirCodes)
{
    m_zip.setArchiveName(QStringLiteral("D:\\none.eaz"));
    EXPECT_EQ(m_zip.test(), kZipCannotOpen);
    m_zip.setDestination(QStringLiteral("D:\\o"));
    EXPECT_EQ(m_zip.unzip(), kZipCannotOpen);
    m_zip.setArchiveName(QString());
    EXPECT_EQ(m_zip.unzip(), kZipBadArguments);
    m_zip.setArchiveName(QStringLiteral("D:\\b.eaz"));
    m_zip.setDestination(QString());
    EXPECT_EQ(m_zip.unzip(), kZipBadArguments);
}

// Entry names written by another tool that try to leave the destination.
TEST_F(ZipExtractTest, HostileEntryNamesNeverLeaveTheDestination)
{
    if (!haveTool(QStringLiteral("python3")))
        GTEST_SKIP() << "python3 missing";
    const QString archive = host(QStringLiteral("D:\\hostile.zip"));
    const QString script = QStringLiteral(
        "import sys, zipfile\n"
        "z = zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED)\n"
        "for n in ['../up.txt', '..\\\\up2.txt', '/abs.txt', 'C:/drive.txt', 'a/../../up3.txt',\n"
        "          'c:evil.txt', 'sub/ok.txt']:\n"
        "    z.writestr(zipfile.ZipInfo(n), b'payload ' + n.encode())\n"
        "z.close()\n");
    const ToolRun made =
        runTool(QStringLiteral("python3"), {QStringLiteral("-c"), script, archive});
    ASSERT_EQ(made.exitCode, 0) << made.output.toStdString();

    for (PathMode mode : {PathMode::FullPath, PathMode::FromMatch, PathMode::FileNameOnly}) {
        SCOPED_TRACE(int(mode));
        m_zip.setArchiveName(QStringLiteral("D:\\hostile.zip"));
        EXPECT_EQ(m_zip.test(), kZipFilesSkipped);
        m_events = RecordingListener();
        EXPECT_EQ(extract(QString(), mode, QStringLiteral("D:\\h\\dest"),
                          QStringLiteral("D:\\hostile.zip")),
                  kZipFilesSkipped);
        EXPECT_EQ(m_events.skipped.size(), 6);
        for (const auto& s : m_events.skipped)
            EXPECT_EQ(s.second, int(SkipReason::Corrupted)) << s.first.toStdString();
        // Only the harmless entry was written, and nothing outside the destination.
        const QString ok = mode == PathMode::FileNameOnly ? QStringLiteral("h/dest/ok.txt")
                                                          : QStringLiteral("h/dest/sub/ok.txt");
        EXPECT_EQ(filesBelow(host(QStringLiteral("D:\\"))),
                  (QStringList{QStringLiteral("b.eaz"), ok, QStringLiteral("hostile.zip")}));
        EXPECT_EQ(filesBelow(host(QStringLiteral("C:\\"))).size(), 7); // the sources only
        QDir(host(QStringLiteral("D:\\h"))).removeRecursively();
    }
}

// Archives the fuzzer found troublesome: each is refused or skipped cleanly.
TEST_F(ZipExtractTest, FuzzerFindingsAreRefusedCleanly)
{
    const QDir data(QStringLiteral(KV_ZIP_TEST_DATA));
    const QStringList names = data.entryList(QDir::Files);
    ASSERT_FALSE(names.isEmpty());
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        put(QStringLiteral("D:\\f.zip"), readFile(data.filePath(name)));
        m_zip.setArchiveName(QStringLiteral("D:\\f.zip"));
        EXPECT_NE(m_zip.test(), kZipSuccess);
        m_zip.setDestination(QStringLiteral("D:\\fz"));
        m_zip.setFilesToProcess(QString());
        m_zip.setPathMode(PathMode::FullPath);
        EXPECT_NE(m_zip.unzip(), kZipSuccess);
    }
}

} // namespace
