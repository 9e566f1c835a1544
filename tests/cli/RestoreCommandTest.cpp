// kv2000-cli restore on a generated environment: a backup is made once, the store is changed,
// and the command must bring back exactly what it was asked for, or change nothing at all.
#include "ProgramRun.h"

#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QRegularExpression>

namespace {

using kv::test::ProgramRun;
using kv::test::runCli;
using kv::test::runProgram;

using Snapshot = QMap<QString, QByteArray>; // file name -> bytes, the store's top level

class RestoreCommand : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = new kv::test::TempDir;
        s_prefix = s_dir->file("pfx");
        const ProgramRun made =
            runProgram("tools/mkenv/kv2000-mkenv", {"--identities", "1", s_prefix});
        ASSERT_EQ(made.code, 0) << made.err.toStdString();
        const QRegularExpression identity(QStringLiteral("^identity: .* \\{[^}]+\\} (.*)$"),
                                          QRegularExpression::MultilineOption);
        const QString store = identity.match(made.out).captured(1);
        ASSERT_TRUE(store.startsWith("C:\\")) << made.out.toStdString();
        s_store = s_prefix + "/drive_c/" + store.mid(3).replace('\\', '/');
        const QString user =
            QRegularExpression(QStringLiteral("^user: (.*)$"), QRegularExpression::MultilineOption)
                .match(made.out)
                .captured(1);
        s_profile = s_prefix + "/drive_c/users/" + user;
        // The environment registers an address book without making it: make it, to back it up.
        kv::test::TempDir::writeHostFile(addressBook(), "the address book at backup time");
        ASSERT_TRUE(QDir().mkpath(s_prefix + "/drive_c/Backups"));
        const ProgramRun backup = runCli({"backup", "--prefix", s_prefix, "--to", "C:\\Backups"});
        ASSERT_EQ(backup.code, 0) << backup.err.toStdString();
        s_archive = backup.outLines().value(0).mid(QStringLiteral("archive: ").size());
        s_archiveHost = backup.outLines().value(1).mid(QStringLiteral("host: ").size());
        s_original = new Snapshot(snapshot());

        const ProgramRun items = runCli({"archive", "--prefix", s_prefix, "items", s_archive});
        ASSERT_EQ(items.code, 0) << items.err.toStdString();
        s_rows = new QList<QStringList>;
        for (const QString& line : items.outLines())
            if (line.count('\t') == 6)
                s_rows->append(line.split('\t'));
    }
    static void TearDownTestSuite()
    {
        delete s_rows;
        delete s_original;
        delete s_dir;
    }

    static Snapshot snapshot()
    {
        Snapshot files;
        for (const QString& name : QDir(s_store).entryList(QDir::Files))
            files.insert(name, kv::test::readFile(s_store + '/' + name));
        return files;
    }
    // The number `archive items` gives the mail-folder row of that file, "" when none.
    static QString rowOf(const QString& file)
    {
        for (const QStringList& row : *s_rows)
            if (row[2] == "2" && row[6] == file)
                return row[0];
        return {};
    }
    static QString addressBook()
    {
        return s_profile + "/AppData/Roaming/Microsoft/Address Book/" + s_profile.section('/', -1) +
               ".wab";
    }
    static void put(const QString& file, const QByteArray& bytes)
    {
        QFile f(s_store + '/' + file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }
    static void spoil(const QString& file) { put(file, "changed after the backup"); }
    static ProgramRun restore(const QStringList& args)
    {
        return runCli(QStringList{"restore", s_archive, "--prefix", s_prefix} + args);
    }

    static inline kv::test::TempDir* s_dir = nullptr;
    static inline QString s_prefix, s_store, s_archive, s_archiveHost, s_profile;
    static inline Snapshot* s_original = nullptr;
    static inline QList<QStringList>* s_rows = nullptr;
};

TEST_F(RestoreCommand, BringsBackOneFolderByRowOrNameAndRedirectsAnother)
{
    const QString inbox = rowOf("Inbox.dbx");
    ASSERT_FALSE(inbox.isEmpty());
    spoil("Inbox.dbx");
    const ProgramRun byRow = restore({"--only", inbox, "--yes"});
    ASSERT_EQ(byRow.code, 0) << byRow.err.toStdString();
    EXPECT_EQ(kv::test::readFile(s_store + "/Inbox.dbx"), s_original->value("Inbox.dbx"));
    const QStringList out = byRow.outLines();
    ASSERT_EQ(out.size(), 1) << byRow.out.toStdString();
    EXPECT_TRUE(out[0].startsWith("restored: 1 items, skipped files: 0, failed steps: 0, log: "))
        << out[0].toStdString();
    EXPECT_TRUE(out[0].endsWith(".LastRestore.log")) << out[0].toStdString();

    // The same folder by its name, written into another current folder's file.
    const ProgramRun redirected = restore({"--to", "inbox=Sent Items", "--yes"});
    ASSERT_EQ(redirected.code, 0) << redirected.err.toStdString();
    EXPECT_EQ(kv::test::readFile(s_store + "/Sent Items.dbx"), s_original->value("Inbox.dbx"));
    EXPECT_EQ(kv::test::readFile(s_store + "/Inbox.dbx"), s_original->value("Inbox.dbx"));
    put("Sent Items.dbx", s_original->value("Sent Items.dbx"));
}

// Each question nobody answered, and each refusal, has its exit code; a refusal changes nothing.
TEST_F(RestoreCommand, ExitCodesTellWhatWasLeftUndone)
{
    spoil("Inbox.dbx");
    const Snapshot changed = snapshot();
    const QByteArray bytes = kv::test::readFile(s_archiveHost);
    ASSERT_GT(bytes.size(), 1000);
    kv::test::TempDir::writeHostFile(s_prefix + "/drive_c/Backups/truncated.eaz",
                                     bytes.left(bytes.size() / 2));
    QByteArray damaged = bytes;
    const QByteArray name = "Outlook Express/Inbox.dbx";
    const qsizetype at = damaged.indexOf(name) + name.size() + 400; // in the local entry's data
    ASSERT_GT(at, 400);
    damaged[at] = char(damaged[at] ^ 0x5a);
    kv::test::TempDir::writeHostFile(s_prefix + "/drive_c/Backups/damaged.eaz", damaged);
    const QString wab = "Windows Address Book (WAB)";
    const struct
    {
        QStringList args; // after the archive; a first "C:" argument names another archive
        int code;
        const char* message;
        bool unchanged;
    } cases[] = {
        {{"--all"}, 3, "give --yes", true}, // the offer of a copy of the store
        {{"--only", "Nowhere"}, 2, "no backup row is named 'Nowhere'", true},
        {{"--only", "999"}, 2, "there is no backup row 999", true},
        {{"--to", "Inbox=Nowhere"}, 2, "no current folder row is named 'Nowhere'", true},
        {{"--only", "Inbox", "--yes", "--wab", "sideways"}, 2, "--wab takes normal or temp", true},
        {{"--only", wab}, 2, "give --wab normal", true},
        {{"C:\\Backups\\truncated.eaz", "--only", "Inbox", "--yes"}, 2, "cannot be read", true},
        {{"--only", "Signatures"}, 1, "give --yes", true}, // the settings import is not answered
        {{"C:\\Backups\\damaged.eaz", "--only", "Inbox,Drafts"},
         1,
         "restored: 1 items, skipped files: 1,",
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const bool other = c.args.first().startsWith("C:");
        const ProgramRun r = runCli(
            QStringList{"restore", other ? c.args.first() : s_archive, "--prefix", s_prefix} +
            c.args.mid(other ? 1 : 0));
        EXPECT_EQ(r.code, c.code);
        EXPECT_TRUE((r.out + r.err).contains(c.message)) << r.err.toStdString();
        if (c.unchanged) {
            EXPECT_EQ(snapshot(), changed);
        }
        if (c.code == 2) {
            EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
        }
    }

    spoil("folders.dbx");
    const ProgramRun full = restore({"--all", "--yes"});
    ASSERT_EQ(full.code, 0) << full.err.toStdString();
    EXPECT_EQ(snapshot(), *s_original);
    const ProgramRun settings = restore({"--only", "Signatures", "--yes"});
    EXPECT_EQ(settings.code, 0) << settings.err.toStdString();
    EXPECT_TRUE(settings.out.startsWith("restored: 1 items,")) << settings.out.toStdString();

    // --wab temp leaves the registered book alone and writes the backed-up one aside.
    kv::test::TempDir::writeHostFile(addressBook(), "changed");
    const ProgramRun temp = restore({"--only", wab, "--wab", "temp"});
    EXPECT_EQ(temp.code, 0) << temp.err.toStdString();
    EXPECT_EQ(kv::test::readFile(s_profile + "/Documents/RestoredAddressBook.wab"),
              "the address book at backup time");
    EXPECT_EQ(kv::test::readFile(addressBook()), "changed");
}

} // namespace
