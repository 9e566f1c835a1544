#include "msgstore/MessageExport.h"

#include "MessageFolder.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace kv::msgstore;
using kv::test::TempDir;

namespace {

TEST(MessageExport, FileNamesAreCleanedSubjectsCutTo25AndTheRow)
{
    const struct
    {
        QString subject;
        qint64 row;
        QString name;
    } cases[] = {
        {"Meeting notes", 17, "Meeting notes.17.eml"},
        {"Meeting notes", 18, "Meeting notes.18.eml"},
        {"Re: Lunch today?", 3, "Re Lunch today.3.eml"},
        {"", 12, ".12.eml"},
        {"a\\b/c:d*e?f\"g<h>i|j.k", 1, "abcdefghijk.1.eml"},
        // Cut after cleaning: the removed characters do not count.
        {"1.2.3.4.5.6.7.8.9.10.11.12.13.14.15.16.17.18", 9, "1234567891011121314151617.9.eml"},
        {"This subject is longer than twenty-five", 40, "This subject is longer th.40.eml"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MessageExport::messageFileName(c.subject, c.row), c.name)
            << c.subject.toStdString();
    EXPECT_EQ(MessageExport::cleanName("Work/2002.old"), "Work2002old");
}

TEST(MessageExport, OnlyTheProgramsOwnFolderBelowTheDocumentsFolderIsTheTarget)
{
    const struct
    {
        QString documents;
        QString target; // "" when there is none
    } targets[] = {
        {"C:\\Docs", "C:\\Docs\\Korvane-Synchronize\\"},
        {"c:/docs/", "c:\\docs\\Korvane-Synchronize\\"},
        {"\\\\server\\share\\Docs", "\\\\server\\share\\Docs\\Korvane-Synchronize\\"},
        {"", ""},
        {"C:\\", ""},
        {"C:", ""},
        {"\\\\server\\share", ""},
        {"Docs", ""},
        {"C:Docs", ""},
        {"\\Docs", ""},
        {"C:\\Docs\\..", ""},
    };
    for (const auto& t : targets)
        EXPECT_EQ(MessageExport::targetFolderFor(t.documents), t.target)
            << t.documents.toStdString();

    const struct
    {
        QString path;
        QString documents;
        bool own;
    } cases[] = {
        {"C:\\Docs\\Korvane-Synchronize", "C:\\Docs", true},
        {"c:\\DOCS\\korvane-synchronize\\\\", "C:\\Docs", true},
        {"C:/Docs/Korvane-Synchronize", "C:\\Docs", true},
        {"C:\\Docs", "C:\\Docs", false},
        {"C:\\", "C:\\Docs", false},
        {"C:\\Korvane-Synchronize", "C:\\", false},
        {"C:\\Korvane-Synchronize", "", false},
        {"Korvane-Synchronize", "Docs", false},
        {"C:\\Docs\\Korvane-Synchronize\\Inbox", "C:\\Docs", false},
        {"C:\\Docs\\Korvane-Synchronize\\..", "C:\\Docs", false},
        {"C:\\Other\\Korvane-Synchronize", "C:\\Docs", false},
        {"", "C:\\Docs", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MessageExport::isOwnTargetFolder(c.path, c.documents), c.own)
            << c.path.toStdString() << " / " << c.documents.toStdString();
}

QByteArray mail(const char* subject, const char* body)
{
    return QByteArray("From: Ann <ann@example.com>\r\nSubject: ") + subject +
           "\r\nDate: Mon, 7 Dec 2026 10:00:00 +0000\r\n\r\n" + body + "\r\n";
}

const QByteArray kFirst = mail("Re: Lunch today?", "Yes.");
const QByteArray kSecond = mail("Budget", "Attached.");

void writeFolder(const QString& path, StoreFormat format, const QList<QByteArray>& raws)
{
    ASSERT_TRUE(kv::test::writeMessageFolder(path, format, raws));
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

TEST(MessageExport, WritesEachFormatAsThePartsSayAndNeverReadsAnotherFolderFile)
{
    for (const StoreFormat format : {StoreFormat::Dbx, StoreFormat::Mbx}) {
        SCOPED_TRACE(format == StoreFormat::Dbx ? "dbx" : "mbx");
        const TempDir dir;
        const QString ext = format == StoreFormat::Dbx ? ".dbx" : ".mbx";
        writeFolder(dir.file("prior/Inbox" + ext), format, {kFirst, kSecond});
        const QString target = dir.file("target");
        MessageExport exporter(format, dir.file("prior"));

        const MessageExport::Result r =
            exporter.write({"Inbox/Mine.", "Inbox" + ext, 1, 17}, target);
        ASSERT_EQ(r.status, MessageExport::Status::Written) << r.error.toStdString();
        EXPECT_EQ(r.filePath, target + "/InboxMine/Re Lunch today.17.eml");
        // The version-4 record's text keeps its NUL fill, and CR LF follows it.
        const QByteArray written = readAll(r.filePath);
        if (format == StoreFormat::Dbx) {
            EXPECT_EQ(written, kFirst);
        } else {
            EXPECT_TRUE(written.startsWith(kFirst));
            EXPECT_TRUE(written.endsWith("\r\n"));
            EXPECT_EQ(written.mid(kFirst.size()).chopped(2).count('\0'),
                      written.size() - kFirst.size() - 2);
        }
        MessageExport::Status status;
        QString error;
        EXPECT_EQ(exporter.messageBytes({"Inbox", "Inbox" + ext, 2, 1}, &status, &error), kSecond);

        // A folder whose file was not extracted is skipped, though another file is open.
        for (int n : {1, 2}) {
            const MessageExport::Result missing =
                exporter.write({"Drafts", "Drafts" + ext, n, 20 + n}, target);
            EXPECT_EQ(missing.status, MessageExport::Status::FolderMissing);
            EXPECT_FALSE(missing.error.isEmpty());
            EXPECT_TRUE(
                exporter.messageBytes({"Drafts", "Drafts" + ext, n, 1}, &status, &error).isEmpty());
            EXPECT_EQ(status, MessageExport::Status::FolderMissing);
        }
        EXPECT_FALSE(QFileInfo::exists(target + "/Drafts"));
        // A file name that would reach outside the prior folder is not opened either.
        EXPECT_EQ(exporter.write({"Up", "../prior/Inbox" + ext, 1, 1}, target).status,
                  MessageExport::Status::FolderMissing);

        EXPECT_EQ(exporter.write({"Inbox", "Inbox" + ext, 3, 30}, target).status,
                  MessageExport::Status::MessageMissing);
        // The folder is found again after the others.
        EXPECT_EQ(exporter.write({"Inbox", "Inbox" + ext, 2, 31}, target).status,
                  MessageExport::Status::Written);
        EXPECT_EQ(readAll(target + "/Inbox/Budget.31.eml").left(kSecond.size()), kSecond);

        // A target that cannot be made is a write failure, not a missing message.
        kv::test::TempDir::writeHostFile(dir.file("blocked"), "a file, not a folder");
        EXPECT_EQ(exporter.write({"Inbox", "Inbox" + ext, 1, 1}, dir.file("blocked")).status,
                  MessageExport::Status::WriteFailed);
    }
}

} // namespace
