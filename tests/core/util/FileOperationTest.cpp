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
        tmp.write(QStringLiteral("drive_c/") + relative,
                  content.isNull() ? relative.toUtf8() : content);
    }
    void makeFolder(const QString& relative) { QDir().mkpath(fs.host(relative)); }
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
                       (it.fileInfo().isDir() ? QStringLiteral("/") : QString()));
        }
        out.sort();
        return out;
    }
    QStringList trash() const
    {
        return QDir(fs.trashFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    }

    test::TempDir tmp;
    FaultInjectingFileSystem fs;
};

QStringList sl(std::initializer_list<const char*> items)
{
    QStringList out;
    for (const char* s : items)
        out.append(QString::fromUtf8(s));
    return out;
}

} // namespace

TEST_F(FileOpTest, DefaultsAndFlagWord)
{
    FileOperation op(fs);
    EXPECT_FALSE(op.AllowUndo());
    EXPECT_TRUE(op.ConfirmMakeDir());
    EXPECT_TRUE(op.ConfirmOperation());
    EXPECT_EQ(op.CustomText(), QString());
    EXPECT_TRUE(op.IncludeDirectories());
    EXPECT_EQ(op.ParentWnd(), 0u);
    EXPECT_FALSE(op.RenameOnCollision());
    EXPECT_FALSE(op.SilentMode());
    EXPECT_EQ(op.Flags(), 0);

    struct Case
    {
        const char* name;
        std::function<void(FileOperation&)> set;
        quint16 flags;
    };
    const Case cases[] = {
        {"AllowUndo", [](FileOperation& o) { o.setAllowUndo(true); }, 0x0040},
        {"ConfirmMakeDir off", [](FileOperation& o) { o.setConfirmMakeDir(false); }, 0x0200},
        {"ConfirmOperation off", [](FileOperation& o) { o.setConfirmOperation(false); }, 0x0010},
        {"CustomText", [](FileOperation& o) { o.setCustomText(QStringLiteral("Copying")); },
         0x0100},
        {"IncludeDirectories off", [](FileOperation& o) { o.setIncludeDirectories(false); },
         0x0080},
        {"RenameOnCollision", [](FileOperation& o) { o.setRenameOnCollision(true); }, 0x0008},
        {"SilentMode", [](FileOperation& o) { o.setSilentMode(true); }, 0x0004},
        {"ParentWnd", [](FileOperation& o) { o.setParentWnd(0x1234); }, 0},
        {"one destination", [](FileOperation& o) { o.AddDestFile(QStringLiteral("C:\\a")); }, 0},
        {"two destinations",
         [](FileOperation& o) {
             o.AddDestFile(QStringLiteral("C:\\a"));
             o.AddDestFile(QStringLiteral("C:\\b"));
         },
         0x0001},
        {"destinations cleared",
         [](FileOperation& o) {
             o.AddDestFile(QStringLiteral("C:\\a"));
             o.AddDestFile(QStringLiteral("C:\\b"));
             o.ClearDestFiles();
         },
         0},
        {"everything",
         [](FileOperation& o) {
             o.setAllowUndo(true);
             o.setConfirmMakeDir(false);
             o.setConfirmOperation(false);
             o.setCustomText(QStringLiteral("x"));
             o.setIncludeDirectories(false);
             o.setRenameOnCollision(true);
             o.setSilentMode(true);
             o.AddDestFile(QStringLiteral("C:\\a"));
             o.AddDestFile(QStringLiteral("C:\\b"));
         },
         0x03DD},
    };
    for (const Case& c : cases) {
        FileOperation o(fs);
        c.set(o);
        EXPECT_EQ(o.Flags(), c.flags) << c.name;
    }
}

TEST_F(FileOpTest, EmptySourceListFailsWithItsErrorAndTouchesNothing)
{
    make(QStringLiteral("keep.txt"));
    FileOperation op(fs);
    op.AddSourceFile(QStringLiteral("C:\\keep.txt"));
    op.ClearSourceFiles();
    op.AddDestFile(QStringLiteral("C:\\dest"));
    const std::function<bool()> operations[] = {
        [&] { return op.MoveFiles(); }, [&] { return op.CopyFiles(); },
        [&] { return op.DeleteFiles(); }, [&] { return op.RenameFiles(); }};
    for (const auto& run : operations) {
        EXPECT_FALSE(run());
        EXPECT_EQ(op.LastError(), 0x800403E8u);
        EXPECT_EQ(op.LastErrorText(), QStringLiteral("No source files specified file operation"));
    }
    EXPECT_TRUE(fs.calls().isEmpty()) << fs.calls().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(tree(), sl({"keep.txt"}));
}

TEST_F(FileOpTest, WildCardDeleteWithAndWithoutFolders)
{
    struct Case
    {
        bool includeDirectories;
        QStringList remaining;
    };
    const Case cases[] = {
        {true, sl({"dir/"})},
        {false,
         sl({"dir/", "dir/sub/", "dir/sub/deeper/", "dir/sub/deeper/y.txt", "dir/sub/x.txt"})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.includeDirectories);
        QDir(fs.driveRoot()).removeRecursively();
        makeFolder(QString());
        make(QStringLiteral("dir/a.txt"));
        make(QStringLiteral("dir/no extension"));
        make(QStringLiteral("dir/sub/x.txt"));
        make(QStringLiteral("dir/sub/deeper/y.txt"));
        FileOperation op(fs);
        op.setSilentMode(true);
        op.setConfirmOperation(false);
        op.setIncludeDirectories(c.includeDirectories);
        op.AddSourceFile(QStringLiteral("C:\\dir\\*.*"));
        EXPECT_TRUE(op.DeleteFiles()) << op.LastErrorText().toStdString();
        EXPECT_EQ(tree(), c.remaining);
        EXPECT_TRUE(trash().isEmpty());
        // Nothing left to match is not an error.
        EXPECT_TRUE(op.DeleteFiles());
    }
}

TEST_F(FileOpTest, AllowUndoSendsDeletionsToTheRecycleBin)
{
    for (const bool undo : {true, false}) {
        SCOPED_TRACE(undo);
        make(QStringLiteral("a.txt"));
        make(QStringLiteral("folder/inner.txt"));
        FileOperation op(fs);
        op.setAllowUndo(undo);
        op.AddSourceFile(QStringLiteral("C:\\a.txt"));
        op.AddSourceFile(QStringLiteral("C:\\folder"));
        EXPECT_TRUE(op.DeleteFiles());
        EXPECT_TRUE(tree().isEmpty());
        EXPECT_EQ(trash(), undo ? sl({"a.txt", "folder"}) : QStringList());
        QDir(fs.trashFolder()).removeRecursively();
        QDir().mkpath(fs.trashFolder());
    }
}

TEST_F(FileOpTest, CopyAndMoveDestinations)
{
    struct Case
    {
        const char* name;
        QStringList sources;
        QStringList dests;
        bool ok;
        QStringList added; // new entries on C: after the operation
        QStringList moved; // entries a move takes away
    };
    const QStringList start =
        sl({"d/", "f/", "f/g/", "f/g/x.txt", "f/y.txt", "one.txt", "two.txt"});
    const QStringList folderF = sl({"f/", "f/g/", "f/g/x.txt", "f/y.txt"});
    const Case cases[] = {
        {"file into an existing folder", sl({"C:\\one.txt"}), sl({"C:\\d"}), true,
         sl({"d/one.txt"}), sl({"one.txt"})},
        {"file to a new name", sl({"C:\\one.txt"}), sl({"C:\\d\\renamed.txt"}), true,
         sl({"d/renamed.txt"}), sl({"one.txt"})},
        {"file to a name in missing folders", sl({"C:\\one.txt"}), sl({"C:\\new\\deep\\1.txt"}),
         true, sl({"new/", "new/deep/", "new/deep/1.txt"}), sl({"one.txt"})},
        {"file into a folder named with a trailing backslash", sl({"C:\\one.txt"}),
         sl({"C:\\made\\"}), true, sl({"made/", "made/one.txt"}), sl({"one.txt"})},
        {"several files into one new folder", sl({"C:\\one.txt", "C:\\two.txt"}), sl({"C:\\n"}),
         true, sl({"n/", "n/one.txt", "n/two.txt"}), sl({"one.txt", "two.txt"})},
        {"each file to its own destination", sl({"C:\\one.txt", "C:\\two.txt"}),
         sl({"C:\\d\\1.txt", "C:\\d\\2.txt"}), true, sl({"d/1.txt", "d/2.txt"}),
         sl({"one.txt", "two.txt"})},
        {"own destinations, one an existing folder", sl({"C:\\one.txt", "C:\\two.txt"}),
         sl({"C:\\d\\1.txt", "C:\\d"}), true, sl({"d/1.txt", "d/two.txt"}),
         sl({"one.txt", "two.txt"})},
        {"wild card into a folder", sl({"C:\\f\\*.*"}), sl({"C:\\d"}), true,
         sl({"d/g/", "d/g/x.txt", "d/y.txt"}), sl({"f/g/", "f/g/x.txt", "f/y.txt"})},
        {"folder to a new name", sl({"C:\\f"}), sl({"C:\\h"}), true,
         sl({"h/", "h/g/", "h/g/x.txt", "h/y.txt"}), folderF},
        {"folder into an existing folder", sl({"C:\\f"}), sl({"C:\\d"}), true,
         sl({"d/f/", "d/f/g/", "d/f/g/x.txt", "d/f/y.txt"}), folderF},
        {"fewer destinations than sources",
         sl({"C:\\one.txt", "C:\\two.txt", "C:\\f"}),
         sl({"C:\\d\\1", "C:\\d\\2"}),
         false,
         {},
         {}},
        {"no destination", sl({"C:\\one.txt"}), {}, false, {}, {}},
        {"missing source", sl({"C:\\none.txt"}), sl({"C:\\d"}), false, {}, {}},
        {"folder into itself", sl({"C:\\f"}), sl({"C:\\f\\g"}), false, {}, {}},
        {"file onto itself", sl({"C:\\one.txt"}), sl({"C:\\one.txt"}), false, {}, {}},
        {"into a folder that is a file",
         sl({"C:\\two.txt"}),
         sl({"C:\\one.txt\\x"}),
         false,
         {},
         {}},
    };
    for (const bool move : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(move ? "move: " : "copy: ") + c.name);
            QDir(fs.driveRoot()).removeRecursively();
            makeFolder(QStringLiteral("d"));
            make(QStringLiteral("one.txt"));
            make(QStringLiteral("two.txt"));
            make(QStringLiteral("f/y.txt"));
            make(QStringLiteral("f/g/x.txt"));
            FileOperation op(fs);
            for (const QString& s : c.sources)
                op.AddSourceFile(s);
            for (const QString& d : c.dests)
                op.AddDestFile(d);
            EXPECT_EQ(move ? op.MoveFiles() : op.CopyFiles(), c.ok)
                << op.LastErrorText().toStdString();
            EXPECT_EQ(op.LastError() == 0, c.ok);
            QStringList expected = start + c.added;
            if (move) {
                for (const QString& gone : c.moved)
                    expected.removeAll(gone);
            }
            expected.sort();
            EXPECT_EQ(tree(), expected);
            // Contents travel with the names.
            if (c.added.contains(QStringLiteral("d/one.txt"))) {
                EXPECT_EQ(content(QStringLiteral("d/one.txt")), QByteArray("one.txt"));
            }
            if (c.added.contains(QStringLiteral("d/2.txt"))) {
                EXPECT_EQ(content(QStringLiteral("d/2.txt")), QByteArray("two.txt"));
            }
            if (c.added.contains(QStringLiteral("h/g/x.txt"))) {
                EXPECT_EQ(content(QStringLiteral("h/g/x.txt")), QByteArray("f/g/x.txt"));
            }
        }
    }
}

TEST_F(FileOpTest, CollisionsReplaceOrRenameTheNewCopy)
{
    make(QStringLiteral("a.txt"), "new");
    make(QStringLiteral("d/a.txt"), "old");
    FileOperation op(fs);
    op.setRenameOnCollision(true);
    op.AddSourceFile(QStringLiteral("C:\\a.txt"));
    op.AddDestFile(QStringLiteral("C:\\d"));
    EXPECT_TRUE(op.CopyFiles());
    EXPECT_TRUE(op.CopyFiles());
    EXPECT_EQ(tree(QStringLiteral("d")), sl({"Copy (2) of a.txt", "Copy of a.txt", "a.txt"}));
    EXPECT_EQ(content(QStringLiteral("d/a.txt")), QByteArray("old"));
    EXPECT_EQ(content(QStringLiteral("d/Copy of a.txt")), QByteArray("new"));

    // A copy onto itself makes a renamed copy beside it, and never truncates the original.
    FileOperation self(fs);
    self.setRenameOnCollision(true);
    self.AddSourceFile(QStringLiteral("C:\\d\\a.txt"));
    self.AddDestFile(QStringLiteral("C:\\d\\a.txt"));
    EXPECT_TRUE(self.CopyFiles());
    EXPECT_EQ(content(QStringLiteral("d/Copy (3) of a.txt")), QByteArray("old"));
    EXPECT_EQ(content(QStringLiteral("d/a.txt")), QByteArray("old"));

    // Without renaming the existing file is replaced, by a copy and by a move.
    FileOperation replace(fs);
    replace.AddSourceFile(QStringLiteral("C:\\a.txt"));
    replace.AddDestFile(QStringLiteral("C:\\d"));
    EXPECT_TRUE(replace.CopyFiles());
    EXPECT_EQ(content(QStringLiteral("d/a.txt")), QByteArray("new"));
    make(QStringLiteral("a.txt"), "newer");
    EXPECT_TRUE(replace.MoveFiles());
    EXPECT_FALSE(has(QStringLiteral("a.txt")));
    EXPECT_EQ(content(QStringLiteral("d/a.txt")), QByteArray("newer"));
    EXPECT_EQ(tree(QStringLiteral("d")).size(), 4) << "the replaced file was left behind";
}

TEST_F(FileOpTest, MoveMergesIntoAnExistingFolder)
{
    make(QStringLiteral("src/f/a.txt"), "moved a");
    make(QStringLiteral("src/f/sub/b.txt"), "moved b");
    make(QStringLiteral("dst/f/a.txt"), "old a");
    make(QStringLiteral("dst/f/c.txt"), "kept c");
    FileOperation op(fs);
    op.AddSourceFile(QStringLiteral("C:\\src\\f"));
    op.AddDestFile(QStringLiteral("C:\\dst"));
    EXPECT_TRUE(op.MoveFiles()) << op.LastErrorText().toStdString();
    EXPECT_EQ(tree(), sl({"dst/", "dst/f/", "dst/f/a.txt", "dst/f/c.txt", "dst/f/sub/",
                          "dst/f/sub/b.txt", "src/"}));
    EXPECT_EQ(content(QStringLiteral("dst/f/a.txt")), QByteArray("moved a"));
    EXPECT_EQ(content(QStringLiteral("dst/f/c.txt")), QByteArray("kept c"));
}

TEST_F(FileOpTest, MoveThatCannotRenameCopiesAndKeepsTheOriginalUntilTheCopyIsWhole)
{
    make(QStringLiteral("src/a.txt"));
    make(QStringLiteral("src/sub/b.txt"));
    fs.failOn(test::FileCall::MoveFile, QStringLiteral("C:\\src"));
    {
        FileOperation op(fs);
        op.AddSourceFile(QStringLiteral("C:\\src"));
        op.AddDestFile(QStringLiteral("C:\\other"));
        fs.failOn(test::FileCall::CopyFile, QStringLiteral("C:\\src\\sub\\b.txt"));
        EXPECT_FALSE(op.MoveFiles());
        EXPECT_EQ(op.LastError(), 5u);
        EXPECT_TRUE(has(QStringLiteral("src/a.txt")));
        EXPECT_TRUE(has(QStringLiteral("src/sub/b.txt")));
    }
    QDir(fs.host(QStringLiteral("other"))).removeRecursively();
    FaultInjectingFileSystem fresh(tmp.path());
    fresh.failOn(test::FileCall::MoveFile, QStringLiteral("C:\\src"));
    FileOperation op(fresh);
    op.AddSourceFile(QStringLiteral("C:\\src"));
    op.AddDestFile(QStringLiteral("C:\\other"));
    EXPECT_TRUE(op.MoveFiles()) << op.LastErrorText().toStdString();
    EXPECT_EQ(tree(), sl({"other/", "other/a.txt", "other/sub/", "other/sub/b.txt"}));
}

TEST_F(FileOpTest, FailuresDoNotStopTheOtherItems)
{
    make(QStringLiteral("a.txt"));
    make(QStringLiteral("b.txt"));
    make(QStringLiteral("c.txt"));
    fs.failOn(test::FileCall::RemoveFile, QStringLiteral("C:\\b.txt"));
    FileOperation op(fs);
    op.AddSourceFile(QStringLiteral("C:\\missing.txt"));
    op.AddSourceFile(QStringLiteral("C:\\*.txt"));
    EXPECT_FALSE(op.DeleteFiles());
    EXPECT_EQ(op.LastError(), 2u) << "the first failure is the one kept";
    EXPECT_EQ(tree(), sl({"b.txt"}));
}

TEST_F(FileOpTest, RootsAreNeverTheSourceOfADeleteOrMove)
{
    make(QStringLiteral("a.txt"));
    for (const char* root : {"C:\\", "C:", "c:\\\\"}) {
        FileOperation op(fs);
        op.AddSourceFile(QString::fromLatin1(root));
        op.AddDestFile(QStringLiteral("C:\\x"));
        EXPECT_FALSE(op.DeleteFiles()) << root;
        EXPECT_FALSE(op.MoveFiles()) << root;
        EXPECT_EQ(tree(), sl({"a.txt"}));
    }
}

TEST_F(FileOpTest, Rename)
{
    struct Case
    {
        const char* source;
        const char* dest;
        bool ok;
        QStringList after;
    };
    const Case cases[] = {
        {"C:\\d\\a.txt", "b.txt", true, sl({"d/", "d/b.txt", "d/taken.txt"})},
        {"C:\\d\\a.txt", "C:\\d\\c.txt", true, sl({"d/", "d/c.txt", "d/taken.txt"})},
        {"C:\\d\\a.txt", "A.TXT", true, sl({"d/", "d/A.TXT", "d/taken.txt"})},
        {"C:\\d", "e", true, sl({"e/", "e/a.txt", "e/taken.txt"})},
        {"C:\\d\\a.txt", "taken.txt", false, sl({"d/", "d/a.txt", "d/taken.txt"})},
        {"C:\\d\\none.txt", "x.txt", false, sl({"d/", "d/a.txt", "d/taken.txt"})},
        {"C:\\d\\*.txt", "x.txt", false, sl({"d/", "d/a.txt", "d/taken.txt"})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.source) + " -> " + c.dest);
        QDir(fs.driveRoot()).removeRecursively();
        make(QStringLiteral("d/a.txt"));
        make(QStringLiteral("d/taken.txt"));
        FileOperation op(fs);
        op.AddSourceFile(QString::fromLatin1(c.source));
        op.AddDestFile(QString::fromLatin1(c.dest));
        EXPECT_EQ(op.RenameFiles(), c.ok);
        EXPECT_EQ(tree(), c.after);
    }
}
