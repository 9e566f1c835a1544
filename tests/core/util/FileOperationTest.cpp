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
    bool has(const QString& relative) const { return QFileInfo::exists(fs.host(relative)); }
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

TEST_F(FileOpTest, EmptySourceListFailsWithItsErrorAndTouchesNothing)
{
    make("keep.txt");
    FileOperation op(fs);
    op.addSourceFile("C:\\keep.txt");
    op.clearSourceFiles();
    op.addDestFile("C:\\dest");
    EXPECT_FALSE(op.moveFiles() || op.copyFiles() || op.deleteFiles() || op.renameFiles());
    EXPECT_EQ(op.lastError(), 0x800403E8u);
    EXPECT_EQ(op.lastErrorText(), "No source files specified file operation");
    EXPECT_TRUE(fs.calls().isEmpty()) << fs.calls().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(tree(), sl("keep.txt"));
}

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

TEST_F(FileOpTest, CopyAndMoveDestinations)
{
    struct Case
    {
        const char* name;
        const char* sources;
        const char* dests;
        bool ok;
        const char* added; // new entries on C: after the operation
        const char* moved; // entries a move takes away
    };
    // d\f holds a file of its own, so a folder moved or copied into d merges with it.
    const QStringList start = sl("d/|d/f/|d/f/y.txt|f/|f/g/|f/g/x.txt|f/y.txt|one.txt|two.txt");
    const char* folderF = "f/|f/g/|f/g/x.txt|f/y.txt";
    const Case cases[] = {
        {"file into an existing folder", "C:\\one.txt", "C:\\d", true, "d/one.txt", "one.txt"},
        {"file to a new name", "C:\\one.txt", "C:\\d\\renamed.txt", true, "d/renamed.txt",
         "one.txt"},
        {"file into a folder named with a trailing backslash", "C:\\one.txt", "C:\\made\\", true,
         "made/|made/one.txt", "one.txt"},
        {"several files into one new folder", "C:\\one.txt|C:\\two.txt", "C:\\n", true,
         "n/|n/one.txt|n/two.txt", "one.txt|two.txt"},
        {"each file to its own destination", "C:\\one.txt|C:\\two.txt", "C:\\d\\1.txt|C:\\d\\2.txt",
         true, "d/1.txt|d/2.txt", "one.txt|two.txt"},
        {"wild card into a folder", "C:\\f\\*.*", "C:\\d", true, "d/g/|d/g/x.txt|d/y.txt",
         "f/g/|f/g/x.txt|f/y.txt"},
        {"folder to a new name", "C:\\f", "C:\\h", true, "h/|h/g/|h/g/x.txt|h/y.txt", folderF},
        {"folder into an existing folder", "C:\\f", "C:\\d", true, "d/f/g/|d/f/g/x.txt", folderF},
        {"fewer destinations than sources", "C:\\one.txt|C:\\two.txt|C:\\f", "C:\\d\\1|C:\\d\\2",
         false, "", ""},
        {"missing source", "C:\\none.txt", "C:\\d", false, "", ""},
        {"folder into itself", "C:\\f", "C:\\f\\g", false, "", ""},
        {"file onto itself", "C:\\one.txt", "C:\\one.txt", false, "", ""},
        {"into a folder that is a file", "C:\\two.txt", "C:\\one.txt\\x", false, "", ""},
    };
    for (const bool move : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(move ? "move: " : "copy: ") + c.name);
            QDir(fs.driveRoot()).removeRecursively();
            make("d/f/y.txt", "old");
            makeAll("one.txt|two.txt|f/y.txt|f/g/x.txt");
            FileOperation op(fs);
            for (const QString& s : sl(c.sources))
                op.addSourceFile(s);
            for (const QString& d : sl(c.dests))
                op.addDestFile(d);
            EXPECT_EQ(move ? op.moveFiles() : op.copyFiles(), c.ok)
                << op.lastErrorText().toStdString();
            EXPECT_EQ(op.lastError() == 0, c.ok);
            QStringList expected = start + sl(c.added);
            if (move) {
                for (const QString& gone : sl(c.moved))
                    expected.removeAll(gone);
            }
            expected.sort();
            EXPECT_EQ(tree(), expected);
            if (c.ok && sl(c.added).contains("d/f/g/x.txt")) {
                EXPECT_EQ(content("d/f/y.txt"), QByteArray("f/y.txt"));
            }
        }
    }
}

TEST_F(FileOpTest, CollisionsReplaceOrRenameTheNewCopy)
{
    make("a.txt", "new");
    make("d/a.txt", "old");
    FileOperation op(fs);
    op.setRenameOnCollision(true);
    op.addSourceFile("C:\\a.txt");
    op.addDestFile("C:\\d");
    EXPECT_TRUE(op.copyFiles() && op.copyFiles());
    // A copy onto itself makes a renamed copy beside it and never truncates the original.
    op.clearSourceFiles();
    op.clearDestFiles();
    op.addSourceFile("C:\\d\\a.txt");
    op.addDestFile("C:\\d\\a.txt");
    EXPECT_TRUE(op.copyFiles());
    EXPECT_EQ(tree("d"), sl("Copy (2) of a.txt|Copy (3) of a.txt|Copy of a.txt|a.txt"));
    EXPECT_EQ(content("d/Copy of a.txt"), QByteArray("new"));
    EXPECT_EQ(content("d/Copy (3) of a.txt"), QByteArray("old"));

    // Without renaming the existing file is replaced, by a move as by a copy.
    FileOperation replace(fs);
    replace.addSourceFile("C:\\a.txt");
    replace.addDestFile("C:\\d");
    EXPECT_TRUE(replace.moveFiles());
    EXPECT_FALSE(has("a.txt"));
    EXPECT_EQ(content("d/a.txt"), QByteArray("new"));
    EXPECT_EQ(tree("d").size(), 4) << "the replaced file was left behind";
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
        EXPECT_EQ(has("src/sub/b.txt"), copyFails);
        EXPECT_EQ(has("other/sub/b.txt"), !copyFails);
        QDir(fs.host("other")).removeRecursively();
    }
}

TEST_F(FileOpTest, FailuresDoNotStopTheOtherItemsAndRootsAreNeverSources)
{
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
        EXPECT_EQ(tree(), sl("b.txt"));
    }
}

TEST_F(FileOpTest, Rename)
{
    const std::tuple<const char*, const char*, bool, const char*> cases[] = {
        {"C:\\d\\a.txt", "b.txt", true, "d/|d/b.txt|d/taken.txt"},
        {"C:\\d\\a.txt", "A.TXT", true, "d/|d/A.TXT|d/taken.txt"},
        {"C:\\d", "e", true, "e/|e/a.txt|e/taken.txt"},
        {"C:\\d\\a.txt", "taken.txt", false, "d/|d/a.txt|d/taken.txt"},
        {"C:\\d\\*.txt", "x.txt", false, "d/|d/a.txt|d/taken.txt"},
    };
    for (const auto& [source, dest, ok, after] : cases) {
        SCOPED_TRACE(std::string(source) + " -> " + dest);
        QDir(fs.driveRoot()).removeRecursively();
        makeAll("d/a.txt|d/taken.txt");
        FileOperation op(fs);
        op.addSourceFile(QString::fromLatin1(source));
        op.addDestFile(QString::fromLatin1(dest));
        EXPECT_EQ(op.renameFiles(), ok);
        EXPECT_EQ(tree(), sl(after));
    }
}
