// kv2000-cli sync on a generated environment: a backup is made, the Inbox is rewritten without
// two of its messages and with one Date edited, and exactly those three must be listed and
// written out again with the backup's bytes.
#include "ProgramRun.h"

#include "support/TempDir.h"

#include <QDir>
#include <QDirIterator>
#include <QRegularExpression>
#include <QSet>

namespace {

using kv::test::ProgramRun;
using kv::test::runCli;
using kv::test::runProgram;

class SyncCommand : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_prefix = m_dir.file("pfx");
        const ProgramRun made =
            runProgram("tools/mkenv/kv2000-mkenv", {"--identities", "1", m_prefix});
        ASSERT_EQ(made.code, 0) << made.err.toStdString();
        const QString store = QRegularExpression(QStringLiteral("^identity: .* \\{[^}]+\\} (.*)$"),
                                                 QRegularExpression::MultilineOption)
                                  .match(made.out)
                                  .captured(1);
        ASSERT_TRUE(store.startsWith("C:\\")) << made.out.toStdString();
        m_store = m_prefix + "/drive_c/" + store.mid(3).replace('\\', '/');
        ASSERT_TRUE(QDir().mkpath(m_prefix + "/drive_c/Backups"));
        const ProgramRun backup = runCli({"backup", "--prefix", m_prefix, "--to", "C:\\Backups"});
        ASSERT_EQ(backup.code, 0) << backup.err.toStdString();
        m_archive = backup.outLines().value(0).mid(QStringLiteral("archive: ").size());
        // The backup's Inbox messages, 000001.eml ...
        const ProgramRun extracted =
            runCli({"extract", m_store + "/Inbox.dbx", m_dir.file("backup-inbox")});
        ASSERT_EQ(extracted.code, 0) << extracted.err.toStdString();
    }

    ProgramRun sync(const QStringList& args)
    {
        return runCli(QStringList{"sync", m_archive, "--prefix", m_prefix} + args);
    }
    QByteArray backupMessage(int n) const
    {
        return kv::test::readFile(
            m_dir.file(QString("backup-inbox/%1.eml").arg(n, 6, 10, QChar('0'))));
    }
    // The Inbox rewritten from the backup's messages: some left out, one Date edited.
    void rewriteInbox(const QSet<int>& removed, int dateEdited)
    {
        const QString dir = m_dir.file("changed-inbox");
        for (int n = 1;
             QFile::exists(m_dir.file(QString("backup-inbox/%1.eml").arg(n, 6, 10, QChar('0'))));
             ++n) {
            if (removed.contains(n))
                continue;
            QByteArray bytes = backupMessage(n);
            if (n == dateEdited) {
                const qsizetype at = bytes.indexOf("\nDate: ");
                ASSERT_GT(at, 0);
                bytes.insert(at + 7, "Sun, 31 Dec 2000 23:59:59 +0000 (was ");
                bytes.insert(bytes.indexOf("\r\n", at + 1), ")");
            }
            kv::test::TempDir::writeHostFile(dir + QString("/%1.eml").arg(n, 6, 10, QChar('0')),
                                             bytes);
        }
        const ProgramRun w =
            runProgram("tools/mkstore/kv2000-mkstore",
                       {"dbx", m_store + "/Inbox.dbx", "--eml", dir, "--name", "Inbox"});
        ASSERT_EQ(w.code, 0) << w.err.toStdString();
    }
    // Every scratch folder the command made below the prefix's temporary folder.
    QStringList leftOverScratch() const
    {
        QStringList found;
        QDirIterator it(m_prefix + "/drive_c", {"kv2000-sync-*"}, QDir::Dirs,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            found << it.next();
        return found;
    }

    kv::test::TempDir m_dir;
    QString m_prefix, m_store, m_archive;
};

// An unchanged store lists nothing; then two messages go and one Date is edited.
TEST_F(SyncCommand, ListsRemovedAndEditedMessagesAndWritesThemOut)
{
    const ProgramRun same = sync({"--folders", "inbox,Sent Items.dbx"});
    ASSERT_EQ(same.code, 0) << same.err.toStdString();
    const QStringList summary = same.outLines();
    ASSERT_EQ(summary.size(), 2) << same.out.toStdString();
    EXPECT_TRUE(summary[0].startsWith("folder: Inbox\tfile: Inbox.dbx\tlisted: 0\tbackup: "));
    EXPECT_TRUE(summary[1].startsWith("folder: Sent Items\tfile: Sent Items.dbx\tlisted: 0\t"));
    // By default every folder of the backup that the store still has.
    const ProgramRun all = sync({"--exact"});
    ASSERT_EQ(all.code, 0) << all.err.toStdString();
    EXPECT_GT(all.outLines().size(), 2);
    for (const QString& line : all.outLines())
        EXPECT_TRUE(line.contains("\tlisted: 0\t")) << line.toStdString();

    const struct
    {
        QStringList args;
        const char* message;
    } refused[] = {
        {{"--folders", "Nowhere"}, "the backup has no mail folder named 'Nowhere'"},
        {{"--folders", "Archive"}, "'Archive' names 2 folders of the backup"},
    };
    for (const auto& c : refused) {
        const ProgramRun bad = sync(c.args);
        EXPECT_EQ(bad.code, 2);
        EXPECT_TRUE(bad.err.contains(c.message)) << bad.err.toStdString();
        EXPECT_TRUE(bad.out.isEmpty());
    }

    rewriteInbox({5, 10}, 3);
    const QString out = m_dir.file("out");
    const QString mbox = m_dir.file("listed.mbox");
    for (const QStringList& mode : {QStringList{}, QStringList{"--exact"}}) {
        SCOPED_TRACE(mode.join(' ').toStdString());
        QDir(out).removeRecursively();
        const ProgramRun r =
            sync(QStringList{"--folders", "Inbox", "--extract", out, "--mbox", mbox} + mode);
        ASSERT_EQ(r.code, 1) << r.err.toStdString();
        const QStringList lines = r.outLines();
        ASSERT_EQ(lines.size(), 4) << r.out.toStdString();
        EXPECT_TRUE(lines[3].startsWith("folder: Inbox\tfile: Inbox.dbx\tlisted: 3\tbackup: "))
            << lines[3].toStdString();
        const int numbers[] = {3, 5, 10};
        QStringList expectedNames;
        for (int i = 0; i < 3; ++i) {
            const QStringList f = lines[i].split('\t');
            ASSERT_EQ(f.size(), 5) << lines[i].toStdString();
            EXPECT_EQ(f[0], "Inbox");
            EXPECT_EQ(f[1].toInt(), numbers[i]);
            EXPECT_TRUE(backupMessage(numbers[i]).contains(("Date: " + f[4]).toUtf8()));
            // Named by the cleaned subject's first 25 characters and the line's number.
            expectedNames << QString(f[3]).remove(QRegularExpression(R"([\\/:*?"<>|.])")).left(25) +
                                 '.' + QString::number(i + 1) + ".eml";
        }
        QStringList names = QDir(out + "/Inbox").entryList(QDir::Files);
        names.sort();
        expectedNames.sort();
        EXPECT_EQ(names, expectedNames);
        for (int i = 0; i < 3; ++i) {
            const QStringList matching =
                QDir(out + "/Inbox").entryList({QString("*.%1.eml").arg(i + 1)}, QDir::Files);
            ASSERT_EQ(matching.size(), 1);
            EXPECT_EQ(kv::test::readFile(out + "/Inbox/" + matching[0]), backupMessage(numbers[i]));
        }

        // The mbox holds the same messages in the same order (its reading back by an
        // independent reader is the writer's own test).
        const QByteArray box = kv::test::readFile(mbox);
        qsizetype at = 0;
        for (int n : numbers) {
            at = box.indexOf(backupMessage(n), at);
            EXPECT_GT(at, 0) << n;
        }
    }
    EXPECT_EQ(leftOverScratch(), QStringList());
}

} // namespace
