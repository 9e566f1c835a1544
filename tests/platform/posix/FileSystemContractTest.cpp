// What every IFileSystem does, checked on the prefix's file system and on the fault-injecting
// one that tests of the core use, so that the wrapper stays the real thing when no fault is set.
#include "platform/posix/WineFileSystem.h"
#include "support/FaultInjectingFileSystem.h"
#include "support/TestPrefix.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace kv::test {
namespace {

using namespace kv::platform;

struct WineFiles
{
    TestPrefix prefix;
    posix::WineFileSystem files{prefix.prefix(), prefix.registry()};
    QString driveC() const { return prefix.driveC(); }
};

struct InjectingFiles
{
    FaultInjectingFileSystem files;
    QString driveC() const { return files.driveRoot(); }
};

QStringList names(const QList<FileEntry>& entries)
{
    QStringList out;
    for (const FileEntry& e : entries)
        out.append(e.name);
    return out;
}

template <typename Factory> class FileSystemContract : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const auto& [name, bytes] : {std::pair{"Inbox.dbx", "inbox"},
                                          {"Folders.dbx", "folders"},
                                          {"README", "readme"},
                                          {"a.b.c", "abc"},
                                          {".hidden", "h"}})
            write(QStringLiteral("Store/") + QLatin1String(name), bytes);
        QDir().mkpath(host(QStringLiteral("Store/Sub.dir")));
    }
    QString host(const QString& relative) const { return factory.driveC() + u'/' + relative; }
    void write(const QString& relative, const QByteArray& bytes)
    {
        QDir().mkpath(QFileInfo(host(relative)).path());
        QFile f(host(relative));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray content(const QString& relative) const { return readFile(host(relative)); }
    bool exists(const QString& relative) const { return QFileInfo::exists(host(relative)); }
    WinError error() const { return fs.lastError(); }

    Factory factory;
    IFileSystem& fs = factory.files;
};

using Implementations = ::testing::Types<WineFiles, InjectingFiles>;
TYPED_TEST_SUITE(FileSystemContract, Implementations);

TYPED_TEST(FileSystemContract, FindMatchesPatternsAsWindowsDoesInNameOrder)
{
    const QStringList all{".hidden", "a.b.c", "Folders.dbx", "Inbox.dbx", "README", "Sub.dir"};
    const struct
    {
        const char* pattern;
        QStringList expected;
        WinError error;
    } cases[] = {
        {"C:\\Store\\*", all, kErrorSuccess},
        {"C:\\store\\*.*", all, kErrorSuccess},
        {"C:\\Store\\*.DBX", {"Folders.dbx", "Inbox.dbx"}, kErrorSuccess},
        {"C:\\Store\\?nbox.dbx", {"Inbox.dbx"}, kErrorSuccess},
        {"C:\\Store\\inbox.dbx?", {"Inbox.dbx"}, kErrorSuccess}, // "?" may match nothing at the end
        {"C:\\Store\\*.c", {"a.b.c"}, kErrorSuccess},
        {"C:\\Store\\readme.*", {"README"}, kErrorSuccess},
        {"C:\\Store\\*.eml", {}, kErrorFileNotFound},
        {"C:\\Nowhere\\*.*", {}, kErrorPathNotFound},
        {"C:\\Store\\Inbox.dbx\\*", {}, kErrorPathNotFound},
        {"Q:\\*", {}, kErrorPathNotFound},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(names(this->fs.find(QString::fromLatin1(c.pattern))), c.expected) << c.pattern;
        EXPECT_EQ(this->error(), c.error) << c.pattern;
    }
    const QList<FileEntry> found = this->fs.find(QStringLiteral("C:\\Store\\*"));
    ASSERT_EQ(found.size(), 6);
    for (const FileEntry& e : found) {
        EXPECT_EQ(e.isDirectory(), e.name == QLatin1String("Sub.dir")) << e.name.toStdString();
        EXPECT_EQ(e.modified.timeSpec(), Qt::UTC);
    }
    EXPECT_EQ(found[3].size, 5u);
}

TYPED_TEST(FileSystemContract, StatAndOpenFindNamesWithoutRegardToCase)
{
    FileEntry entry;
    ASSERT_TRUE(this->fs.stat(QStringLiteral("c:\\STORE\\inbox.DBX"), &entry));
    EXPECT_EQ(entry.name, QStringLiteral("Inbox.dbx"));
    EXPECT_EQ(entry.size, 5u);
    ASSERT_TRUE(this->fs.stat(QStringLiteral("C:\\"), &entry));
    EXPECT_TRUE(entry.isDirectory());
    auto in = this->fs.open(QStringLiteral("C:\\store\\FOLDERS.dbx"), QIODevice::ReadOnly);
    ASSERT_TRUE(in);
    EXPECT_EQ(in->readAll(), QByteArray("folders"));
    auto out = this->fs.open(QStringLiteral("C:\\STORE\\INBOX.DBX"), QIODevice::WriteOnly);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->write("new"), 3);
    out.reset();
    EXPECT_EQ(this->content(QStringLiteral("Store/Inbox.dbx")), QByteArray("new"));
    EXPECT_FALSE(this->exists(QStringLiteral("Store/INBOX.DBX")));

    const struct
    {
        const char* path;
        QIODevice::OpenMode mode;
        WinError error;
    } failures[] = {
        {"C:\\Store\\missing.dbx", QIODevice::ReadOnly, kErrorFileNotFound},
        {"C:\\NoFolder\\missing.dbx", QIODevice::ReadOnly, kErrorPathNotFound},
        {"C:\\Store\\Sub.dir", QIODevice::ReadOnly, kErrorAccessDenied},
        {"C:\\NoFolder\\new.txt", QIODevice::WriteOnly, kErrorPathNotFound},
        {"C:\\Store\\bad?name.txt", QIODevice::WriteOnly, kErrorInvalidName},
    };
    for (const auto& f : failures) {
        EXPECT_FALSE(this->fs.open(QString::fromLatin1(f.path), f.mode)) << f.path;
        EXPECT_EQ(this->error(), f.error) << f.path;
    }
    EXPECT_FALSE(this->fs.stat(QStringLiteral("C:\\NoFolder\\missing.dbx"), &entry));
    EXPECT_EQ(this->error(), kErrorPathNotFound);
}

TYPED_TEST(FileSystemContract, FoldersAreCreatedAndRemovedWithWindowsErrors)
{
    IFileSystem& fs = this->fs;
    EXPECT_TRUE(fs.createDirectory(QStringLiteral("C:\\store\\New")));
    EXPECT_TRUE(QFileInfo(this->host(QStringLiteral("Store/New"))).isDir());
    // The last component without a trailing "\" is a file name and is not created.
    EXPECT_TRUE(fs.makeSurePath(QStringLiteral("C:\\STORE\\deep\\er\\file.txt")));
    EXPECT_TRUE(QFileInfo(this->host(QStringLiteral("Store/deep/er"))).isDir());
    EXPECT_FALSE(this->exists(QStringLiteral("Store/deep/er/file.txt")));
    EXPECT_TRUE(fs.removeDirectory(QStringLiteral("C:\\Store\\DEEP\\er")));
    EXPECT_TRUE(fs.removeFile(QStringLiteral("C:\\Store\\readme")));
    EXPECT_FALSE(this->exists(QStringLiteral("Store/README")));

    const struct
    {
        const char* label;
        std::function<bool()> call;
        WinError error;
    } failures[] = {
        {"existing folder", [&] { return fs.createDirectory(QStringLiteral("C:\\Store\\new")); },
         kErrorAlreadyExists},
        {"missing parent", [&] { return fs.createDirectory(QStringLiteral("C:\\Missing\\New")); },
         kErrorPathNotFound},
        {"not empty", [&] { return fs.removeDirectory(QStringLiteral("C:\\Store")); },
         kErrorDirNotEmpty},
        {"gone folder", [&] { return fs.removeDirectory(QStringLiteral("C:\\Store\\deep\\er")); },
         kErrorFileNotFound},
        {"folder as file", [&] { return fs.removeFile(QStringLiteral("C:\\Store\\Sub.dir")); },
         kErrorAccessDenied},
        {"gone file", [&] { return fs.removeFile(QStringLiteral("C:\\Store\\readme")); },
         kErrorFileNotFound},
    };
    for (const auto& f : failures) {
        EXPECT_FALSE(f.call()) << f.label;
        EXPECT_EQ(this->error(), f.error) << f.label;
    }
    EXPECT_FALSE(fs.makeSurePath(QStringLiteral("C:\\Store\\Inbox.dbx\\below\\")));
}

TYPED_TEST(FileSystemContract, FailedMovesAndCopiesTouchNeitherFile)
{
    IFileSystem& fs = this->fs;
    const auto move = [&](const char* from, const char* to) {
        return fs.moveFile(QString::fromLatin1(from), QString::fromLatin1(to));
    };
    const auto copy = [&](const char* from, const char* to, bool failIfExists) {
        return fs.copyFile(QString::fromLatin1(from), QString::fromLatin1(to), failIfExists);
    };
    const struct
    {
        const char* label;
        std::function<bool()> call;
        WinError error;
    } failures[] = {
        {"move onto a file", [&] { return move("C:\\Store\\Inbox.dbx", "C:\\Store\\folders.DBX"); },
         kErrorAlreadyExists},
        {"move a missing file", [&] { return move("C:\\Store\\Gone", "C:\\Store\\x"); },
         kErrorFileNotFound},
        {"move into no folder", [&] { return move("C:\\Store\\Inbox.dbx", "C:\\No\\x"); },
         kErrorPathNotFound},
        {"copy onto a file",
         [&] { return copy("C:\\Store\\Inbox.dbx", "C:\\Store\\folders.dbx", true); },
         kErrorFileExists},
        {"copy onto itself",
         [&] { return copy("C:\\Store\\Inbox.dbx", "C:\\Store\\INBOX.DBX", false); },
         kErrorSharingViolation},
        {"copy a folder", [&] { return copy("C:\\Store\\Sub.dir", "C:\\Store\\x", false); },
         kErrorAccessDenied},
        {"copy a missing file", [&] { return copy("C:\\Store\\none", "C:\\Store\\x", false); },
         kErrorFileNotFound},
    };
    for (const auto& f : failures) {
        EXPECT_FALSE(f.call()) << f.label;
        EXPECT_EQ(this->error(), f.error) << f.label;
        EXPECT_EQ(this->content(QStringLiteral("Store/Inbox.dbx")), QByteArray("inbox")) << f.label;
        EXPECT_EQ(this->content(QStringLiteral("Store/Folders.dbx")), QByteArray("folders"))
            << f.label;
    }
    EXPECT_FALSE(this->exists(QStringLiteral("Store/x")));
}

TYPED_TEST(FileSystemContract, MovesRenameAndCopiesKeepTheSourcesTime)
{
    IFileSystem& fs = this->fs;
    const QDateTime stamp = QDateTime(QDate(2000, 5, 3), QTime(14, 5, 0), Qt::UTC);
    ASSERT_TRUE(fs.setModified(QStringLiteral("C:\\Store\\Inbox.dbx"), stamp));
    EXPECT_TRUE(fs.copyFile(QStringLiteral("C:\\Store\\Inbox.dbx"),
                            QStringLiteral("C:\\Store\\folders.dbx"), false));
    EXPECT_EQ(this->content(QStringLiteral("Store/Folders.dbx")), QByteArray("inbox"));
    FileEntry entry;
    ASSERT_TRUE(fs.stat(QStringLiteral("C:\\Store\\Folders.dbx"), &entry));
    EXPECT_EQ(entry.modified, stamp);
    EXPECT_EQ(fs.find(QStringLiteral("C:\\Store\\*")).size(), 6) << "no staging file left";

    EXPECT_TRUE(fs.moveFile(QStringLiteral("C:\\Store\\INBOX.dbx"),
                            QStringLiteral("C:\\Store\\Sub.dir\\Old.dbx")));
    EXPECT_EQ(this->content(QStringLiteral("Store/Sub.dir/Old.dbx")), QByteArray("inbox"));
    EXPECT_FALSE(this->exists(QStringLiteral("Store/Inbox.dbx")));
    // A change of case only renames.
    EXPECT_TRUE(fs.moveFile(QStringLiteral("C:\\Store\\Folders.dbx"),
                            QStringLiteral("C:\\Store\\FOLDERS.DBX")));
    EXPECT_EQ(names(fs.find(QStringLiteral("C:\\Store\\*.dbx"))),
              QStringList{QStringLiteral("FOLDERS.DBX")});
    EXPECT_TRUE(fs.moveFile(QStringLiteral("C:\\Store\\Sub.dir"), QStringLiteral("C:\\Moved")));
    EXPECT_EQ(this->content(QStringLiteral("Moved/Old.dbx")), QByteArray("inbox"));
}

} // namespace
} // namespace kv::test
