#include "util/FileOperation.h"

#include "support/FaultInjectingFileSystem.h"
#include "support/TempDir.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace kv;
using kv::test::FaultInjectingFileSystem;

namespace {

class FileOpTest : public testing::Test
{
protected:
    FileOpTest() : fs(tmp.path()) {}

    // Files are given with "/" below C:; their content is their own name unless stated.
    void make(const QString& relative, const QByteArray& content = {})
    {
        tmp.write("drive_c/" + relative, content.isNull() ? relative.toUtf8() : content);
    }
    void makeAll(const char* names)
    {
        for (const QString& name : QString::fromUtf8(names).split(u'|'))
            make(name);
    }
    QByteArray content(const QString& relative) const { return test::readFile(fs.host(relative)); }
    // Every entry below a folder ("" for C:), as sorted relative paths, folders ending in "/".
    QStringList tree(const QString& relative = {}) const
    {
        const QString root = relative.isEmpty() ? fs.driveRoot() : fs.host(relative);
        QStringList out;
        QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            it.next();
            out.append(QDir(root).relativeFilePath(it.filePath()) +
                       (it.fileInfo().isDir() ? "/" : ""));
        }
        out.sort();
        return out;
    }

    test::TempDir tmp;
    FaultInjectingFileSystem fs;
};

// "a|b|c" as a list.
QStringList sl(const char* items)
{
    return QString::fromUtf8(items).split(QLatin1Char('|'), Qt::SkipEmptyParts);
}

} // namespace

TEST_F(FileOpTest, DeleteWithWildCardsFoldersAndTheRecycleBin)
{
    // include folders, to the Recycle Bin, what stays on C:, what goes to the bin
    const std::tuple<bool, bool, QStringList, QStringList> cases[] = {
        {true, false, sl("dir/"), {}},
        {false, false, sl("dir/|dir/sub/|dir/sub/x.txt"), {}},
        {true, true, sl("dir/"), sl("a.txt|no extension|sub")},
    };
    for (const auto& [folders, undo, remaining, recycled] : cases) {
        SCOPED_TRACE(std::to_string(folders) + std::to_string(undo));
        QDir(fs.driveRoot()).removeRecursively();
        QDir(fs.trashFolder()).removeRecursively();
        QDir().mkpath(fs.trashFolder());
        makeAll("dir/a.txt|dir/no extension|dir/sub/x.txt");
        FileOperation op(fs);
        op.setIncludeDirectories(folders);
        op.setAllowUndo(undo);
        op.addSourceFile("C:\\dir\\*.*");
        EXPECT_TRUE(op.deleteFiles()) << op.lastErrorText().toStdString();
        EXPECT_EQ(tree(), remaining);
        EXPECT_EQ(QDir(fs.trashFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                  recycled);
        EXPECT_TRUE(op.deleteFiles()) << "nothing left to match is no error";
    }
}

// The copy the restore makes; moves and renames go through the same destination rules.
TEST_F(FileOpTest, CopyDestinations)
{
    // d\f holds a file of its own, so a folder copied into d merges with it.
    const QStringList start = sl("d/|d/f/|d/f/y.txt|f/|f/g/|f/g/x.txt|f/y.txt|one.txt|two.txt");
    // sources, destinations, success, new entries on C: after the copy
    const std::tuple<const char*, const char*, bool, const char*> cases[] = {
        {"C:\\one.txt", "C:\\d", true, "d/one.txt"},
        {"C:\\one.txt", "C:\\d\\renamed.txt", true, "d/renamed.txt"},
        {"C:\\one.txt|C:\\two.txt", "C:\\n", true, "n/|n/one.txt|n/two.txt"},
        {"C:\\f\\*.*", "C:\\d", true, "d/g/|d/g/x.txt|d/y.txt"},
        {"C:\\f", "C:\\d", true, "d/f/g/|d/f/g/x.txt"},
        {"C:\\one.txt|C:\\two.txt|C:\\f", "C:\\d\\1|C:\\d\\2", false, ""}, // too few destinations
        {"C:\\f", "C:\\f\\g", false, ""},                                  // a folder into itself
        {"C:\\one.txt", "C:\\one.txt", false, ""},                         // a file onto itself
        {"C:\\two.txt", "C:\\one.txt\\x", false, ""}, // into a folder that is a file
    };
    for (const auto& [sources, dests, ok, added] : cases) {
        SCOPED_TRACE(std::string(sources) + " -> " + dests);
        QDir(fs.driveRoot()).removeRecursively();
        make("d/f/y.txt", "old");
        makeAll("one.txt|two.txt|f/y.txt|f/g/x.txt");
        FileOperation op(fs);
        for (const QString& s : sl(sources))
            op.addSourceFile(s);
        for (const QString& d : sl(dests))
            op.addDestFile(d);
        EXPECT_EQ(op.copyFiles(), ok) << op.lastErrorText().toStdString();
        QStringList expected = start + sl(added);
        expected.sort();
        EXPECT_EQ(tree(), expected);
        EXPECT_EQ(content("one.txt"), QByteArray("one.txt")) << "a source was changed";
        EXPECT_EQ(content("d/f/y.txt"),
                  QByteArray(QString(added).contains("d/f/g") ? "f/y.txt" : "old"));
    }
}

TEST_F(FileOpTest, MoveThatCannotRenameCopiesAndKeepsTheOriginalUntilTheCopyIsWhole)
{
    makeAll("src/a.txt|src/sub/b.txt");
    for (const bool copyFails : {true, false}) {
        FaultInjectingFileSystem files(tmp.path());
        files.failOn(test::FileCall::MoveFile, "C:\\src");
        if (copyFails)
            files.failOn(test::FileCall::CopyFile, "C:\\src\\sub\\b.txt");
        FileOperation op(files);
        op.addSourceFile("C:\\src");
        op.addDestFile("C:\\other");
        EXPECT_EQ(op.moveFiles(), !copyFails) << op.lastErrorText().toStdString();
        EXPECT_EQ(QFileInfo::exists(fs.host("src/sub/b.txt")), copyFails);
        EXPECT_EQ(QFileInfo::exists(fs.host("other/sub/b.txt")), !copyFails);
        QDir(fs.host("other")).removeRecursively();
    }
}

// No sources, a root as source, or one failing item: the rest goes on, nothing else is touched.
TEST_F(FileOpTest, NoSourcesRootsAndFailuresOfOneItem)
{
    FileOperation none(fs);
    none.addDestFile("C:\\dest");
    EXPECT_FALSE(none.moveFiles() || none.copyFiles() || none.deleteFiles() || none.renameFiles());
    EXPECT_EQ(none.lastError(), 0x800403E8u);
    EXPECT_TRUE(fs.calls().isEmpty()) << fs.calls().join(QLatin1Char('\n')).toStdString();
    makeAll("a.txt|b.txt|c.txt");
    fs.failOn(test::FileCall::RemoveFile, "C:\\b.txt");
    FileOperation op(fs);
    op.addSourceFile("C:\\missing.txt");
    op.addSourceFile("C:\\*.txt");
    EXPECT_FALSE(op.deleteFiles());
    EXPECT_EQ(op.lastError(), 2u) << "the first failure is the one kept";
    EXPECT_EQ(tree(), sl("b.txt"));
    for (const char* root : {"C:\\", "C:", "c:\\\\"}) {
        FileOperation rootOp(fs);
        rootOp.addSourceFile(QString::fromLatin1(root));
        rootOp.addDestFile("C:\\x");
        EXPECT_FALSE(rootOp.deleteFiles()) << root;
        EXPECT_FALSE(rootOp.moveFiles()) << root;
        EXPECT_EQ(rootOp.lastError(), quint32(platform::kErrorAccessDenied)) << "refused up front";
        EXPECT_EQ(tree(), sl("b.txt"));
    }
}
