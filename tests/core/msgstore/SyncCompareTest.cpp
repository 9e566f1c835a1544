#include "msgstore/SyncComparison.h"

#include "MessageFolder.h"
#include "MessageGenerator.h"
#include "support/TempDir.h"
#include "util/FieldList.h"

#include <gtest/gtest.h>

using namespace kv::msgstore;
using kv::test::TempDir;

namespace {

QByteArray mail(const char* from, const char* subject, const char* date, const char* body = "Hi")
{
    return QByteArray("From: ") + from + "\r\nTo: you@example.com\r\nSubject: " + subject +
           "\r\nDate: " + date + "\r\n\r\n" + body + "\r\n";
}

const QByteArray kA = mail("Ann <ann@example.com>", "Lunch", "Mon, 7 Dec 2026 10:00:00 +0000");
const QByteArray kB = mail("Bob <bob@example.com>", "Budget", "Mon, 7 Dec 2026 11:00:00 +0000");
const QByteArray kC = mail("Cy <cy@example.com>", "Minutes", "Tue, 8 Dec 2026 09:30:00 +0000");
// The same headers with a body long enough to make the .mbx record longer.
const QByteArray kALong = mail("Ann <ann@example.com>", "Lunch", "Mon, 7 Dec 2026 10:00:00 +0000",
                               "Hi, and a good deal more text than before, to grow the record.");
const QByteArray kADateEdited =
    mail("Ann <ann@example.com>", "Lunch", "Mon, 7 Dec 2026 10:00:01 +0000");
// Two spaces more after the name, two characters less in the body: the same record length.
const QByteArray kASpacedAfterName =
    mail("Ann <ann@example.com>", "Lunch", "  Mon, 7 Dec 2026 10:00:00 +0000", "");
const QByteArray kASpacedInside =
    mail("Ann <ann@example.com>", "Lunch", "Mon,  7 Dec 2026 10:00:00 +0000");
const QByteArray kASubjectCase =
    mail("Ann <ann@example.com>", "LUNCH", "Mon, 7 Dec 2026 10:00:00 +0000");
const QByteArray kABodyEdited =
    mail("Ann <ann@example.com>", "Lunch", "Mon, 7 Dec 2026 10:00:00 +0000", "Ho");

QString writeFolder(const TempDir& dir, const QString& name, StoreFormat format,
                    const QList<QByteArray>& messages)
{
    EXPECT_TRUE(kv::test::writeMessageFolder(dir.file(name), format, messages)) << name.toStdString();
    return dir.file(name);
}

// The comparison as the original search makes it: the current records joined with code 3 and
// searched from the first field for every backup message.
std::vector<qint32> quadraticCompare(const SyncMessageList& prior, const SyncMessageList& current)
{
    const QChar sep(3);
    QString records;
    QString sizes;
    for (size_t k = 0; k < current.records.size(); ++k) {
        kv::FieldList::appendField(records, current.records[k], sep);
        kv::FieldList::appendField(sizes, current.sizes[k], sep);
    }
    std::vector<qint32> listed;
    for (size_t i = 0; i < prior.records.size(); ++i) {
        const qsizetype k = kv::FieldList::findField(records, prior.records[i], sep);
        if (k == 0 ||
            kv::FieldList::getField(sizes, k, sep).compare(prior.sizes[i], Qt::CaseInsensitive) !=
                0)
            listed.push_back(qint32(i + 1));
    }
    return listed;
}

} // namespace

TEST(SyncCompare, ListsTheBackupMessagesMissingOrChanged)
{
    using Numbers = std::vector<qint32>;
    struct Case
    {
        const char* name;
        QList<QByteArray> prior;
        QList<QByteArray> current;
        Numbers dbx;
        Numbers mbx;
    };
    const Case cases[] = {
        {"removed message", {kA, kB, kC}, {kA, kC}, {2}, {2}},
        {"nothing changed", {kA, kB}, {kB, kA}, {}, {}},
        {"two identical backup messages match the first current one", {kA, kA, kB}, {kA}, {3}, {3}},
        {"edited Date", {kA, kB}, {kADateEdited, kB}, {1}, {1}},
        {"longer record decides for .mbx only", {kA}, {kALong}, {}, {1}},
        {"only the first current message with the record counts", {kALong}, {kA, kALong}, {}, {1}},
        {"spacing after the header name is trimmed", {kA}, {kASpacedAfterName}, {}, {}},
        {"spacing inside the value is kept", {kA}, {kASpacedInside}, {1}, {1}},
        {"letter case of a value counts", {kA}, {kASubjectCase}, {1}, {1}},
        {"empty backup folder", {}, {kA}, {}, {}},
    };
    for (const Case& c : cases) {
        for (const StoreFormat format : {StoreFormat::Dbx, StoreFormat::Mbx}) {
            const TempDir dir;
            const char* ext = format == StoreFormat::Dbx ? "Inbox.dbx" : "Inbox.mbx";
            writeFolder(dir, QStringLiteral("prior/") + ext, format, c.prior);
            writeFolder(dir, QStringLiteral("current/") + ext, format, c.current);
            SyncComparison comparison(
                {dir.file(QStringLiteral("current")), dir.file(QStringLiteral("prior")), format});
            SyncFolderResult result;
            ASSERT_TRUE(
                comparison.compareFolder({QStringLiteral("Inbox"), QLatin1String(ext)}, &result));
            Numbers listed;
            for (const SyncListedMessage& m : result.listed)
                listed.push_back(m.number);
            EXPECT_EQ(listed, format == StoreFormat::Dbx ? c.dbx : c.mbx) << c.name << " " << ext;
            EXPECT_EQ(result.priorCount, c.prior.size()) << c.name;
            EXPECT_EQ(result.currentCount, c.current.size()) << c.name;
        }
    }
}

TEST(SyncCompare, MissingCopiesCountAsEmptyFolders)
{
    const TempDir dir;
    // A TAB inside a value must not shift the columns.
    const QByteArray tabbed = mail("Bob\t<bob@example.com>", "Tab\there", "Mon, 7 Dec 2026");
    writeFolder(dir, QStringLiteral("prior/Inbox.dbx"), StoreFormat::Dbx, {kA, tabbed});
    writeFolder(dir, QStringLiteral("current/Sent.dbx"), StoreFormat::Dbx, {kA});
    SyncComparison comparison(
        {dir.file(QStringLiteral("current")), dir.file(QStringLiteral("prior"))});
    std::vector<SyncFolderResult> results;
    ASSERT_TRUE(comparison.run({{QStringLiteral("Inbox"), QStringLiteral("Inbox.dbx")},
                                {QStringLiteral("Sent Items"), QStringLiteral("Sent.dbx")}},
                               &results));
    ASSERT_EQ(results.size(), 2u);
    // No current copy: every backup message is listed, with its columns.
    EXPECT_FALSE(results[0].currentOpened);
    ASSERT_EQ(results[0].listed.size(), 2u);
    EXPECT_EQ(results[0].listed[1].number, 2);
    EXPECT_EQ(results[0].listed[1].from, QStringLiteral("Bob\t<bob@example.com>"));
    EXPECT_EQ(results[0].listed[1].subject, QStringLiteral("Tab\there"));
    EXPECT_EQ(results[0].listed[1].date, QStringLiteral("Mon, 7 Dec 2026"));
    // No backup copy: nothing to list, and the caller can tell why.
    EXPECT_FALSE(results[1].priorOpened);
    EXPECT_TRUE(results[1].listed.empty());
}

// The exact comparison looks at every byte: a changed body is listed although the headers agree.
TEST(SyncCompare, ExactModeComparesWholeMessages)
{
    for (const StoreFormat format : {StoreFormat::Dbx, StoreFormat::Mbx}) {
        const TempDir dir;
        const QString name =
            format == StoreFormat::Dbx ? QStringLiteral("Inbox.dbx") : QStringLiteral("Inbox.mbx");
        writeFolder(dir, QStringLiteral("prior/") + name, format, {kA, kB, kC, kC});
        writeFolder(dir, QStringLiteral("current/") + name, format, {kC, kABodyEdited, kB});
        const SyncControl none;
        const SyncMessageList prior = readSyncMessageList(dir.file(QStringLiteral("prior/") + name),
                                                          format, none, SyncReadMode::Digests);
        const SyncMessageList current = readSyncMessageList(
            dir.file(QStringLiteral("current/") + name), format, none, SyncReadMode::Digests);
        EXPECT_EQ(compareSyncLists(prior, current, SyncCompareMode::Exact, none),
                  std::vector<qint32>{1})
            << int(format);
        EXPECT_TRUE(compareSyncLists(prior, current, SyncCompareMode::Records, none).empty())
            << int(format);
    }
}

// On realistic generated folders (encoded and folded headers, long header blocks, attachments),
// with messages removed, one Date edited and duplicates added, the indexed comparison lists
// exactly what the search of the joined list lists.
TEST(SyncCompare, AgreesWithTheSearchOfTheJoinedList)
{
    const kv::storegen::MessageGenerator gen(11);
    QList<QByteArray> prior;
    for (int i = 0; i < 300; ++i)
        prior << gen.message(std::uint64_t(i)).raw;
    prior << prior[5] << prior[6];
    QList<QByteArray> current = prior;
    current.removeAt(200);
    current.removeAt(40);
    current[10].replace("Date: ", "Date:  X ");
    current.prepend(current[100] + QByteArray(32, 'x') +
                    "\r\n"); // first with that record, longer in .mbx
    for (const StoreFormat format : {StoreFormat::Dbx, StoreFormat::Mbx}) {
        const TempDir dir;
        writeFolder(dir, QStringLiteral("p"), format, prior);
        writeFolder(dir, QStringLiteral("c"), format, current);
        const SyncControl none;
        const SyncMessageList p = readSyncMessageList(dir.file(QStringLiteral("p")), format, none);
        const SyncMessageList c = readSyncMessageList(dir.file(QStringLiteral("c")), format, none);
        ASSERT_EQ(p.count, prior.size());
        const std::vector<qint32> listed = compareSyncLists(p, c, SyncCompareMode::Records, none);
        EXPECT_EQ(listed, quadraticCompare(p, c)) << int(format);
        // The removed, the edited and (for .mbx) the one behind a longer first duplicate.
        EXPECT_EQ(listed.size(), format == StoreFormat::Dbx ? 3u : 4u) << int(format);
    }
}
