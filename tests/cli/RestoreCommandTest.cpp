// kv2000-cli restore on a generated environment: a backup is made once, the store is changed,
// and the command must bring back exactly what it was asked for, or change nothing at all.
#include "ProgramRun.h"

#include "support/TempDir.h"

#include <QDir>
#include <QMap>
#include <QRegularExpression>

namespace {

using kv::test::ProgramRun;
using kv::test::readFile;
using kv::test::runCli;
using kv::test::TempDir;

using Snapshot = QMap<QString, QByteArray>; // file name -> bytes, the store's top level

class RestoreCommand : public ::testing::Test
{
protected:
    struct Shared
    {
        TempDir dir;
        QString prefix, store, archive, archiveHost, profile, inboxRow; // Inbox: its `items` row
        Snapshot original;
    };

    static void SetUpTestSuite()
    {
        s = new Shared;
        s->prefix = s->dir.file("pfx");
        const ProgramRun made =
            kv::test::runProgram("tools/mkenv/kv2000-mkenv", {"--identities", "1", s->prefix});
        ASSERT_EQ(made.code, 0) << made.err.toStdString();
        auto line = [&](const char* pattern) {
            return QRegularExpression(pattern, QRegularExpression::MultilineOption)
                .match(made.out)
                .captured(1);
        };
        s->store = s->prefix + "/drive_c/" + line("^identity: .* \\{[^}]+\\} C:\\\\(.*)$");
        s->store.replace('\\', '/');
        s->profile = s->prefix + "/drive_c/users/" + line("^user: (.*)$");
        // The environment registers an address book without making it: make it, to back it up.
        TempDir::writeHostFile(addressBook(), "the address book at backup time");
        ASSERT_TRUE(QDir().mkpath(s->prefix + "/drive_c/Backups"));
        const ProgramRun backup = runCli({"backup", "--prefix", s->prefix, "--to", "C:\\Backups"});
        ASSERT_EQ(backup.code, 0) << backup.err.toStdString();
        s->archive = backup.outLines().value(0).mid(9);
        s->archiveHost = backup.outLines().value(1).mid(6);
        s->original = snapshot();
        const ProgramRun items = runCli({"archive", "--prefix", s->prefix, "items", s->archive});
        ASSERT_EQ(items.code, 0) << items.err.toStdString();
        for (const QString& l : items.outLines())
            if (const QStringList f = l.split('\t');
                f.size() == 7 && f[2] == "2" && f[6] == "Inbox.dbx")
                s->inboxRow = f[0];
    }
    static void TearDownTestSuite() { delete s; }

    static Snapshot snapshot()
    {
        Snapshot files;
        for (const QString& name : QDir(s->store).entryList(QDir::Files))
            files.insert(name, readFile(s->store + '/' + name));
        return files;
    }
    static QString addressBook()
    {
        return s->profile + "/AppData/Roaming/Microsoft/Address Book/" +
               s->profile.section('/', -1) + ".wab";
    }
    static void put(const QString& file, const QByteArray& bytes)
    {
        TempDir::writeHostFile(s->store + '/' + file, bytes);
    }
    static ProgramRun restore(const QStringList& args, const QString& archive = {})
    {
        return runCli(QStringList{"restore", archive.isEmpty() ? s->archive : archive, "--prefix",
                                  s->prefix} +
                      args);
    }

    static inline Shared* s = nullptr;
};

TEST_F(RestoreCommand, BringsBackOneFolderByRowOrNameAndRedirectsAnother)
{
    ASSERT_FALSE(s->inboxRow.isEmpty());
    put("Inbox.dbx", "changed after the backup");
    const ProgramRun byRow = restore({"--only", s->inboxRow, "--yes"});
    ASSERT_EQ(byRow.code, 0) << byRow.err.toStdString();
    EXPECT_EQ(readFile(s->store + "/Inbox.dbx"), s->original.value("Inbox.dbx"));
    EXPECT_TRUE(byRow.out.startsWith("restored: 1 items, skipped files: 0, failed steps: 0, log: "))
        << byRow.out.toStdString();

    // The same folder by its name, written into another current folder's file.
    const ProgramRun redirected = restore({"--to", "inbox=Sent Items", "--yes"});
    ASSERT_EQ(redirected.code, 0) << redirected.err.toStdString();
    EXPECT_EQ(readFile(s->store + "/Sent Items.dbx"), s->original.value("Inbox.dbx"));
    EXPECT_EQ(readFile(s->store + "/Inbox.dbx"), s->original.value("Inbox.dbx"));
    put("Sent Items.dbx", s->original.value("Sent Items.dbx"));
}

// Each question nobody answered, and each refusal, has its exit code; a refusal changes nothing.
TEST_F(RestoreCommand, ExitCodesTellWhatWasLeftUndone)
{
    put("Inbox.dbx", "changed after the backup");
    const Snapshot changed = snapshot();
    const QByteArray bytes = readFile(s->archiveHost);
    ASSERT_GT(bytes.size(), 1000);
    TempDir::writeHostFile(s->prefix + "/drive_c/Backups/truncated.eaz",
                           bytes.left(bytes.size() / 2));
    QByteArray damaged = bytes;
    const QByteArray name = "Outlook Express/Inbox.dbx";
    const qsizetype at = damaged.indexOf(name) + name.size() + 400; // in the local entry's data
    ASSERT_GT(at, 400);
    damaged[at] = char(damaged[at] ^ 0x5a);
    TempDir::writeHostFile(s->prefix + "/drive_c/Backups/damaged.eaz", damaged);
    const QString wab = "Windows Address Book (WAB)";
    const struct
    {
        QStringList args;
        const char* archive; // nullptr: the backup
        int code;
        const char* message;
    } cases[] = {
        {{"--all"}, nullptr, 3, "give --yes"}, // the offer of a copy of the store
        {{"--only", "Nowhere"}, nullptr, 2, "no backup row is named 'Nowhere'"},
        {{"--only", "999"}, nullptr, 2, "there is no backup row 999"},
        {{"--to", "Inbox=Nowhere"}, nullptr, 2, "no current folder row is named 'Nowhere'"},
        {{"--only", wab}, nullptr, 2, "give --wab normal"},
        {{"--only", "Inbox", "--yes"}, "C:\\Backups\\truncated.eaz", 2, "cannot be read"},
        {{"--only", "Signatures"}, nullptr, 1, "give --yes"}, // the settings import unanswered
        {{"--only", "Inbox,Drafts"},
         "C:\\Backups\\damaged.eaz",
         1,
         "restored: 1 items, skipped files: 1,"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const ProgramRun r = restore(c.args, QString::fromLatin1(c.archive));
        EXPECT_EQ(r.code, c.code);
        EXPECT_TRUE((r.out + r.err).contains(c.message)) << r.err.toStdString();
        if (!c.archive || c.code == 2) {
            EXPECT_EQ(snapshot(), changed);
        }
        EXPECT_TRUE(c.code != 2 || r.out.isEmpty()) << r.out.toStdString();
    }

    put("folders.dbx", "changed after the backup");
    const ProgramRun full = restore({"--all", "--yes"});
    ASSERT_EQ(full.code, 0) << full.err.toStdString();
    EXPECT_EQ(snapshot(), s->original);

    // --wab temp leaves the registered book alone and writes the backed-up one aside.
    TempDir::writeHostFile(addressBook(), "changed");
    const ProgramRun temp = restore({"--only", wab, "--wab", "temp"});
    EXPECT_EQ(temp.code, 0) << temp.err.toStdString();
    EXPECT_EQ(readFile(s->profile + "/Documents/RestoredAddressBook.wab"),
              "the address book at backup time");
    EXPECT_EQ(readFile(addressBook()), "changed");
}

} // namespace
