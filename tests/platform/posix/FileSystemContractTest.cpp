// What every IFileSystem does, on the prefix's file system and on the fault-injecting one.
#include "platform/posix/WineFileSystem.h"
#include "support/FaultInjectingFileSystem.h"
#include "support/TestPrefix.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace kv::test {
namespace {

using namespace kv::platform;
using namespace Qt::StringLiterals;

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
        for (const char* name : {"Inbox.dbx", "Folders.dbx", "README", "a.b.c", ".hidden"})
            TempDir::writeHostFile(host(u"Store/"_s + QLatin1String(name)),
                                   QByteArray(name).toLower().split('.').front());
        QDir().mkpath(host(u"Store/Sub.dir"_s));
    }
    QString host(const QString& relative) const { return factory.driveC() + u'/' + relative; }
    QByteArray content(const QString& relative) const { return readFile(host(relative)); }
    bool exists(const QString& relative) const { return QFileInfo::exists(host(relative)); }
    WinError error() const { return fs.lastError(); }
    // The error of a call that failed; a call that succeeded gives -1, which no check expects.
    WinError failure(bool ok) const { return ok ? -1 : fs.lastError(); }

    Factory factory;
    IFileSystem& fs = factory.files;
};

using Implementations = ::testing::Types<WineFiles, InjectingFiles>;
TYPED_TEST_SUITE(FileSystemContract, Implementations);

TYPED_TEST(FileSystemContract, FindMatchesPatternsAsWindowsDoesInNameOrder)
{
    const QStringList all{".hidden", "a.b.c", "Folders.dbx", "Inbox.dbx", "README", "Sub.dir"};
    const std::tuple<const char*, QStringList, WinError> cases[] = {
        {"C:\\store\\*.*", all, kErrorSuccess},
        {"C:\\Store\\*.DBX", {"Folders.dbx", "Inbox.dbx"}, kErrorSuccess},
        {"C:\\Store\\inbox.dbx?", {"Inbox.dbx"}, kErrorSuccess}, // "?" may match nothing at the end
        {"C:\\Store\\*.c", {"a.b.c"}, kErrorSuccess},
        {"C:\\Store\\readme.*", {"README"}, kErrorSuccess},
        {"C:\\Store\\*.eml", {}, kErrorFileNotFound},
        {"C:\\Nowhere\\*.*", {}, kErrorPathNotFound},
        {"C:\\Store\\Inbox.dbx\\*", {}, kErrorPathNotFound},
    };
    for (const auto& [pattern, expected, error] : cases) {
        EXPECT_EQ(names(this->fs.find(QString::fromLatin1(pattern))), expected) << pattern;
        EXPECT_EQ(this->error(), error) << pattern;
    }
    const QList<FileEntry> found = this->fs.find(u"C:\\Store\\*"_s);
    ASSERT_EQ(found.size(), 6);
    for (const FileEntry& e : found)
        EXPECT_EQ(e.isDirectory(), e.name == QLatin1String("Sub.dir")) << e.name.toStdString();
    EXPECT_EQ(found[3].size, 5u);
}

TYPED_TEST(FileSystemContract, StatAndOpenFindNamesWithoutRegardToCase)
{
    FileEntry entry;
    ASSERT_TRUE(this->fs.stat(u"c:\\STORE\\inbox.DBX"_s, &entry));
    EXPECT_EQ(entry.name, u"Inbox.dbx"_s);
    EXPECT_EQ(entry.size, 5u);
    ASSERT_TRUE(this->fs.stat(u"C:\\"_s, &entry));
    EXPECT_TRUE(entry.isDirectory());
    auto in = this->fs.open(u"C:\\store\\FOLDERS.dbx"_s, QIODevice::ReadOnly);
    ASSERT_TRUE(in);
    EXPECT_EQ(in->readAll(), QByteArray("folders"));
    auto out = this->fs.open(u"C:\\STORE\\INBOX.DBX"_s, QIODevice::WriteOnly);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->write("new"), 3);
    out.reset();
    EXPECT_EQ(this->content(u"Store/Inbox.dbx"_s), QByteArray("new"));
    EXPECT_FALSE(this->exists(u"Store/INBOX.DBX"_s));

    const std::tuple<const char*, QIODevice::OpenMode, WinError> failures[] = {
        {"C:\\Store\\missing.dbx", QIODevice::ReadOnly, kErrorFileNotFound},
        {"C:\\NoFolder\\missing.dbx", QIODevice::ReadOnly, kErrorPathNotFound},
        {"C:\\Store\\Sub.dir", QIODevice::ReadOnly, kErrorAccessDenied},
        {"C:\\NoFolder\\new.txt", QIODevice::WriteOnly, kErrorPathNotFound},
        {"C:\\Store\\bad?name.txt", QIODevice::WriteOnly, kErrorInvalidName},
    };
    for (const auto& [path, mode, error] : failures) {
        EXPECT_FALSE(this->fs.open(QString::fromLatin1(path), mode)) << path;
        EXPECT_EQ(this->error(), error) << path;
    }
    EXPECT_FALSE(this->fs.stat(u"C:\\NoFolder\\missing.dbx"_s, &entry));
    EXPECT_EQ(this->error(), kErrorPathNotFound);
}

TYPED_TEST(FileSystemContract, FoldersAreCreatedAndRemovedWithWindowsErrors)
{
    IFileSystem& fs = this->fs;
    EXPECT_TRUE(fs.createDirectory(u"C:\\store\\New"_s));
    EXPECT_TRUE(QFileInfo(this->host(u"Store/New"_s)).isDir());
    // The last component without a trailing "\" is a file name and is not created.
    EXPECT_TRUE(fs.makeSurePath(u"C:\\STORE\\deep\\er\\file.txt"_s));
    EXPECT_TRUE(QFileInfo(this->host(u"Store/deep/er"_s)).isDir());
    EXPECT_FALSE(this->exists(u"Store/deep/er/file.txt"_s));
    EXPECT_TRUE(fs.removeDirectory(u"C:\\Store\\DEEP\\er"_s));
    EXPECT_TRUE(fs.removeFile(u"C:\\Store\\readme"_s));
    EXPECT_FALSE(this->exists(u"Store/README"_s));

    const std::pair<WinError, WinError> failures[] = {
        {this->failure(fs.createDirectory(u"C:\\Store\\new"_s)), kErrorAlreadyExists},
        {this->failure(fs.createDirectory(u"C:\\Missing\\New"_s)), kErrorPathNotFound},
        {this->failure(fs.removeDirectory(u"C:\\Store"_s)), kErrorDirNotEmpty},
        {this->failure(fs.removeDirectory(u"C:\\Store\\deep\\er"_s)), kErrorFileNotFound},
        {this->failure(fs.removeFile(u"C:\\Store\\Sub.dir"_s)), kErrorAccessDenied},
        {this->failure(fs.removeFile(u"C:\\Store\\readme"_s)), kErrorFileNotFound},
    };
    for (int i = 0; i < int(std::size(failures)); ++i)
        EXPECT_EQ(failures[i].first, failures[i].second) << i;
    EXPECT_FALSE(fs.makeSurePath(u"C:\\Store\\Inbox.dbx\\below\\"_s));
}

TYPED_TEST(FileSystemContract, FailedMovesAndCopiesTouchNeitherFile)
{
    IFileSystem& fs = this->fs;
    const auto move = [&](const char* from, const char* to) {
        return this->failure(fs.moveFile(QString::fromLatin1(from), QString::fromLatin1(to)));
    };
    const auto copy = [&](const char* from, const char* to, bool failIfExists) {
        return this->failure(
            fs.copyFile(QString::fromLatin1(from), QString::fromLatin1(to), failIfExists));
    };
    const std::pair<WinError, WinError> failures[] = {
        {move("C:\\Store\\Inbox.dbx", "C:\\Store\\folders.DBX"), kErrorAlreadyExists},
        {move("C:\\Store\\Gone", "C:\\Store\\x"), kErrorFileNotFound},
        {move("C:\\Store\\Inbox.dbx", "C:\\No\\x"), kErrorPathNotFound},
        {copy("C:\\Store\\Inbox.dbx", "C:\\Store\\folders.dbx", true), kErrorFileExists},
        {copy("C:\\Store\\Inbox.dbx", "C:\\Store\\INBOX.DBX", false), kErrorSharingViolation},
        {copy("C:\\Store\\Sub.dir", "C:\\Store\\x", false), kErrorAccessDenied},
        {copy("C:\\Store\\none", "C:\\Store\\x", false), kErrorFileNotFound},
    };
    for (int i = 0; i < int(std::size(failures)); ++i)
        EXPECT_EQ(failures[i].first, failures[i].second) << i;
    EXPECT_EQ(this->content(u"Store/Inbox.dbx"_s), QByteArray("inbox"));
    EXPECT_EQ(this->content(u"Store/Folders.dbx"_s), QByteArray("folders"));
    EXPECT_FALSE(this->exists(u"Store/x"_s));
}

TYPED_TEST(FileSystemContract, MovesRenameAndCopiesKeepTheSourcesTime)
{
    IFileSystem& fs = this->fs;
    const QDateTime stamp = QDateTime(QDate(2000, 5, 3), QTime(14, 5, 0), Qt::UTC);
    ASSERT_TRUE(fs.setModified(u"C:\\Store\\Inbox.dbx"_s, stamp));
    EXPECT_TRUE(fs.copyFile(u"C:\\Store\\Inbox.dbx"_s, u"C:\\Store\\folders.dbx"_s, false));
    EXPECT_EQ(this->content(u"Store/Folders.dbx"_s), QByteArray("inbox"));
    FileEntry entry;
    ASSERT_TRUE(fs.stat(u"C:\\Store\\Folders.dbx"_s, &entry));
    EXPECT_EQ(entry.modified, stamp);
    EXPECT_EQ(fs.find(u"C:\\Store\\*"_s).size(), 6) << "no staging file left";

    EXPECT_TRUE(fs.moveFile(u"C:\\Store\\INBOX.dbx"_s, u"C:\\Store\\Sub.dir\\Old.dbx"_s));
    EXPECT_EQ(this->content(u"Store/Sub.dir/Old.dbx"_s), QByteArray("inbox"));
    EXPECT_FALSE(this->exists(u"Store/Inbox.dbx"_s));
    // A change of case only renames.
    EXPECT_TRUE(fs.moveFile(u"C:\\Store\\Folders.dbx"_s, u"C:\\Store\\FOLDERS.DBX"_s));
    EXPECT_EQ(names(fs.find(u"C:\\Store\\*.dbx"_s)), QStringList{u"FOLDERS.DBX"_s});
    EXPECT_TRUE(fs.moveFile(u"C:\\Store\\Sub.dir"_s, u"C:\\Moved"_s));
    EXPECT_EQ(this->content(u"Moved/Old.dbx"_s), QByteArray("inbox"));
}

} // namespace
} // namespace kv::test
