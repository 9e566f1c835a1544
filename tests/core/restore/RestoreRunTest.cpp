#include "restore/RestoreRun.h"

#include "../backup/BackupFixture.h"
#include "backup/RunLog.h"
#include "grid/TreeListModel.h"
#include "restore/ItemListReader.h"
#include "restore/RestoreZipListener.h"
#include "shell/GuardedRegistry.h"
#include "support/FakeRegistry.h"
#include "zip/ZipComponent.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>

using namespace kv;
using namespace Qt::StringLiterals;

namespace {

const QString kProgram = u"C:\\Program Files\\Korvane"_s;
const QString kWab = u"C:\\users\\tester\\Application Data\\Microsoft\\Address Book\\tester.wab"_s;
const QString kFavorites = u"C:\\users\\tester\\Favorites"_s;
const QString kRestoreLog = kProgram + u"\\Main Identity.LastRestore.log"_s;

class HeldRegistry : public test::FakeRegistry
{
public:
    bool heldByAnotherProgram() const override { return true; }
};

// Every file below a host folder with a digest of its bytes.
QMap<QString, QByteArray> snapshot(const QString& hostFolder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(hostFolder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        files.insert(QDir(hostFolder).relativeFilePath(path).toLower(),
                     QCryptographicHash::hash(f.readAll(), QCryptographicHash::Md5));
    }
    return files;
}

} // namespace

namespace kv::test {

class RestoreRunTest : public BackupFixture
{
protected:
    // Backs the generated store up and reads the archive's item list, nothing marked.
    void backUp(bool oe5)
    {
        Store store;
        store.oe5 = oe5;
        store.news = !oe5;
        makeEnvironment(store);
        runBackup();
        ASSERT_TRUE(exists(archivePath()));
        zip::ZipComponent zip(m_fs);
        zip.setArchiveName(archivePath());
        zip.setDestination(u"C:\\itemlist"_s);
        zip.setFilesToProcess(u"KorvaneBackup.log"_s);
        ASSERT_EQ(zip.unzip(), 0);
        TreeListModel grid;
        const ItemListReader::Result read =
            ItemListReader::fill(readFile(u"C:\\itemlist\\KorvaneBackup.log"_s), {}, grid);
        ASSERT_TRUE(read.ok);
        m_items = restoreItemsOf(grid);
        for (RestoreItem& item : m_items)
            item.marked = false;

        m_context = {};
        m_context.oe5 = oe5;
        m_context.archivePath = archivePath();
        m_context.storeFolder = m_state.env.storeFolder;
        m_context.oe4MailFolder = m_state.env.oe4.mailFolder;
        m_context.oe4NewsFolder = m_state.env.oe4.newsFolder;
        m_context.currentWabPath = kWab;
        m_context.favoritesFolder = kFavorites;
        m_context.documentsFolder = u"C:\\users\\tester\\My Documents"_s;
        m_context.tempFolder = u"C:\\windows\\temp\\"_s;
        m_context.archiveWabName = read.addressBookFile;
        m_context.backupIdentityId = read.identityId;
        m_context.currentIdentityId = m_state.env.chosenId;
        m_context.programFolder = kProgram;
        m_context.programTitle = u"Korvane 2000"_s;
        m_context.versionText = u"1.0 rev 0.0"_s;
        m_context.restoreLogPath = kRestoreLog;
        m_ui = ScriptedUi();
    }

    RestoreItem& item(int kind, int nth = 0)
    {
        for (RestoreItem& i : m_items)
            if (i.kind == kind && nth-- == 0)
                return i;
        ADD_FAILURE() << "no row of kind " << kind;
        return m_items.first();
    }
    QString storeFile(const QString& name) const { return m_context.storeFolder + name; }

    RestoreOutcome restore()
    {
        RestoreRun run(m_platform, m_ui, m_progress);
        return run.run(m_context, m_items);
    }
    QStringList logLines() { return fileLines(kRestoreLog); }
    // What the Recycle Bin holds: name -> bytes.
    QMap<QString, QByteArray> trash()
    {
        QMap<QString, QByteArray> out;
        for (const QFileInfo& f : QDir(m_fs.trashFolder()).entryInfoList(QDir::Files)) {
            QFile file(f.filePath());
            file.open(QIODevice::ReadOnly);
            out.insert(f.fileName().toLower(), file.readAll());
        }
        return out;
    }
    // Flips the central directory's CRC of the entry whose name ends so: a bad-CRC entry.
    bool breakCrc(const QString& nameEnd)
    {
        QByteArray zip = readFile(archivePath());
        bool found = false;
        for (qsizetype at = zip.indexOf("PK\x01\x02"); at >= 0;
             at = zip.indexOf("PK\x01\x02", at + 4)) {
            const int length = quint8(zip[at + 28]) | quint8(zip[at + 29]) << 8;
            const QString name = QString::fromLatin1(zip.mid(at + 46, length)).replace(u'/', u'\\');
            if (name.endsWith(nameEnd, Qt::CaseInsensitive)) {
                zip[at + 16] = char(zip[at + 16] ^ 0x01);
                found = true;
            }
        }
        return found && m_fs.writeFile(archivePath(), zip);
    }

    QList<RestoreItem> m_items;
    RestoreContext m_context;
};

// The names the hook gives each entry, step by step.
TEST_F(RestoreRunTest, HookNamesEntriesByRowRedirectAndPrefix)
{
    using Step = RestoreZipListener::Step;
    QList<RestoreItem> items = {
        {2, u"Inbox.mbx"_s, u"Inbox"_s, true, true, u"Work.mbx"_s},
        {2, u"Sent.dbx"_s, u"Sent Items"_s, true, false, QString()},
        {2, u"Odd.dbx"_s, u"Odd"_s, true, false, u"..\\Odd.dbx"_s},
    };
    RestoreContext context;
    context.oe5 = false;
    RunLog log(m_fs);
    std::atomic<bool> cancel{false};
    RestoreZipListener listener(m_fs, m_ui, m_progress, log, context, items, cancel);
    listener.setAddressBookTarget(u"RestoredAddressBook.wab"_s, u"C:\\x.bak"_s);
    zip::ZipComponent zip(m_fs);
    const struct
    {
        Step step;
        QString entry;
        QString dest;     // "" refused
        QString progress; // after "Restoring: "
    } cases[] = {
        {Step::MailFolders, u"Inbox.mbx"_s, u"Work.mbx"_s, u"Inbox"_s},
        {Step::MailFolders, u"INBOX.IDX"_s, u"Work.idx"_s, u"Inbox - Index"_s},
        {Step::MailFolders, u"Sent.dbx"_s, u"Sent.dbx"_s, u"Sent Items"_s},
        {Step::MailFolders, u"folders.nch"_s, u"folders.nch"_s, u"folders.nch"_s},
        {Step::MailFolders, u"Odd.dbx"_s, QString(), QString()},
        {Step::AddressBook, u"tester.WAB"_s, u"RestoredAddressBook.wab"_s,
         u"Windows Address Book"_s},
        {Step::News, u"news.example.com\\1.nch"_s, u"news.example.com\\1.nch"_s,
         u"news.example.com"_s},
        {Step::Favorites, u"users\\tester\\Favorites\\Links\\Home.url"_s, u"Links\\Home.url"_s,
         u"Links\\Home.url"_s},
        {Step::Favorites, u"USERS\\Tester\\favorites\\a.url"_s, u"a.url"_s, u"a.url"_s},
        {Step::Favorites, u"users\\tester\\Favorites\\\\evil.url"_s, QString(), QString()},
        {Step::Favorites, u"other\\b.url"_s, u"other\\b.url"_s, u"other"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry.toStdString());
        listener.beginStep(c.step, zip);
        if (c.step == Step::Favorites)
            listener.setFavoritesPrefix(u"users\\tester\\Favorites\\"_s);
        m_progress.texts.clear();
        QString dest = c.entry;
        listener.extractingFile(c.entry, dest);
        EXPECT_EQ(dest, c.dest);
        EXPECT_EQ(m_progress.texts.value(0),
                  c.progress.isEmpty() ? QString() : u"Restoring: "_s + c.progress);
    }
}

// A redirected folder lands under the target's name (version 4: its index too); what it
// replaces is in the Recycle Bin, the source folder is untouched.
TEST_F(RestoreRunTest, RedirectedFolderReplacesTheTargetWhichGoesToTheTrash)
{
    for (const bool oe5 : {true, false}) {
        SCOPED_TRACE(oe5 ? "version 5" : "version 4");
        backUp(oe5);
        RestoreItem& source = item(int(ItemKind::MailFolder), 0);
        RestoreItem& target = item(int(ItemKind::MailFolder), 1);
        ASSERT_EQ(source.hasIndex, !oe5);
        const QString idx = source.fileName.chopped(3) + u"idx"_s;
        const QString targetIdx = target.fileName.chopped(3) + u"idx"_s;
        const QByteArray original = readFile(storeFile(source.fileName));
        const QByteArray originalIdx = oe5 ? QByteArray() : readFile(storeFile(idx));
        ASSERT_TRUE(m_fs.writeFile(storeFile(target.fileName), "current target"));
        if (!oe5) {
            ASSERT_TRUE(m_fs.writeFile(storeFile(targetIdx), "current index"));
        }
        source.marked = true;
        source.restoreToName = target.fileName;

        const RestoreOutcome outcome = restore();
        EXPECT_EQ(outcome.status, RestoreOutcome::Status::Completed);
        EXPECT_EQ(outcome.skippedFiles, 0);
        EXPECT_EQ(readFile(storeFile(target.fileName)), original);
        EXPECT_EQ(readFile(storeFile(source.fileName)), original);
        const auto bin = trash();
        EXPECT_EQ(bin.value(target.fileName.toLower()), "current target");
        const QString as = u" --- as Folder: "_s + target.fileName.chopped(4);
        EXPECT_TRUE(logLines().contains(u"Restored Folder: "_s + source.displayName + as));
        if (!oe5) {
            EXPECT_EQ(readFile(storeFile(targetIdx)), originalIdx);
            EXPECT_EQ(bin.value(targetIdx.toLower()), "current index");
            EXPECT_TRUE(logLines().contains(u"Restored Folder: "_s + source.displayName +
                                            u" - Index"_s + as));
        }
        EXPECT_EQ(m_ui.messages().last(), u"Restore is Complete"_s);
        EXPECT_FALSE(exists(RunLog::tempPath(kProgram)));
        QDir(m_fs.trashFolder()).removeRecursively();
    }
}

// A damaged entry skips with its reason-2 line, and the user's file stays where it was.
TEST_F(RestoreRunTest, CorruptedEntryKeepsTheExistingFileInPlace)
{
    const struct
    {
        const char* label;
        int kind;
        bool wab;
    } cases[] = {{"address book", int(ItemKind::AddressBook), true},
                 {"mail folder", int(ItemKind::MailFolder), false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        backUp(true);
        RestoreItem& row = item(c.kind);
        row.marked = true;
        const QString path = c.wab ? kWab : storeFile(row.fileName);
        const QString entryEnd = c.wab ? u"tester.wab"_s : row.fileName;
        ASSERT_TRUE(breakCrc(u"\\"_s + entryEnd));
        ASSERT_TRUE(m_fs.writeFile(path, "the user's current file"));
        if (c.wab)
            m_ui.answerWabRestore(WabRestoreTarget::NormalLocation);

        const RestoreOutcome outcome = restore();
        EXPECT_EQ(outcome.skippedFiles, 1);
        EXPECT_EQ(readFile(path), "the user's current file");
        EXPECT_FALSE(exists(kWab.chopped(1) + u'x'));
        EXPECT_TRUE(trash().isEmpty());
        const QStringList lines = logLines();
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const QString& l) {
            return l.startsWith(u"Skipping File: '"_s) &&
                   l.endsWith(entryEnd + u"' has a bad CRC. Skipping this file."_s);
        })) << lines.join(u'\n').toStdString();
        EXPECT_FALSE(lines.join(u'\n').contains(u"Restored Folder"_s));
        QDir(m_fs.trashFolder()).removeRecursively();
    }
}

TEST_F(RestoreRunTest, AddressBookRestoredTwiceKeepsOnlyTheLatestPreviousFile)
{
    backUp(true);
    const QByteArray archived = readFile(kWab);
    item(int(ItemKind::AddressBook)).marked = true;
    for (const QByteArray& current : {QByteArray("version one"), QByteArray("version two")}) {
        ASSERT_TRUE(m_fs.writeFile(kWab, current));
        m_ui.answerWabRestore(WabRestoreTarget::NormalLocation);
        EXPECT_EQ(restore().status, RestoreOutcome::Status::Completed);
        EXPECT_EQ(readFile(kWab), archived);
        EXPECT_EQ(readFile(kWab.chopped(1) + u'x'), current);
    }
    const QStringList kept = QDir(host(kWab).section(u'/', 0, -2)).entryList(QDir::Files);
    EXPECT_EQ(kept, (QStringList{u"tester.wab"_s, u"tester.wax"_s}));
    EXPECT_TRUE(logLines().contains(u"Restored Address Book to: "_s + kWab));
}

TEST_F(RestoreRunTest, FullRestoreWithoutSafetyCopyStillReplacesTheStoreFiles)
{
    backUp(true);
    m_context.restoreType = 2;
    const QByteArray folders = readFile(storeFile(u"folders.dbx"_s));
    ASSERT_FALSE(folders.isEmpty());
    ASSERT_TRUE(m_fs.writeFile(storeFile(u"folders.dbx"_s), "changed since"));
    m_ui.answerMessage(MsgResult::No);

    const RestoreOutcome outcome = restore();
    EXPECT_EQ(outcome.status, RestoreOutcome::Status::Completed);
    EXPECT_EQ(readFile(storeFile(u"folders.dbx"_s)), folders);
    EXPECT_EQ(trash().value(u"folders.dbx"_s), "changed since");
    const QStringList lines = logLines();
    EXPECT_TRUE(lines.contains(u"A backup copy of mail folders was NOT made"_s));
    EXPECT_TRUE(lines.contains(u"Message Folders Restore Complete"_s));
    EXPECT_EQ(lines.first(), u"V5 - Korvane Restore -- Sun Dec 06, 2026 @ 10:30 AM"_s);
    EXPECT_EQ(lines.value(1), u"Identity key: "_s + m_context.currentIdentityId);
    EXPECT_EQ(lines.last(), u"Korvane 2000 Version: 1.0 rev 0.0"_s);
    EXPECT_EQ(m_ui.pendingAnswers(), 0);
}

TEST_F(RestoreRunTest, CancelAtTheSafetyCopyQuestionChangesNothingAndKeepsTheTemporaryLog)
{
    backUp(true);
    m_context.restoreType = 2;
    ASSERT_TRUE(m_fs.writeFile(storeFile(u"folders.dbx"_s), "changed since"));
    m_ui.answerMessage(MsgResult::Cancel);
    const RestoreOutcome outcome = restore();
    EXPECT_EQ(outcome.status, RestoreOutcome::Status::Cancelled);
    EXPECT_EQ(readFile(storeFile(u"folders.dbx"_s)), "changed since");
    EXPECT_TRUE(exists(RunLog::tempPath(kProgram)));
    EXPECT_FALSE(exists(kRestoreLog));
}

TEST_F(RestoreRunTest, HeldRegistryStopsTheRunBeforeAnythingChanges)
{
    backUp(true);
    item(int(ItemKind::MailFolder)).marked = true;
    item(int(ItemKind::Accounts)).marked = true;
    const auto before = snapshot(m_fs.driveRoot());
    HeldRegistry held;
    platform::Platform platform{held, m_fs, m_system, m_processes};
    RestoreRun run(platform, m_ui, m_progress);

    EXPECT_EQ(run.run(m_context, m_items).status, RestoreOutcome::Status::RegistryHeld);
    EXPECT_EQ(m_ui.messages(), QStringList{GuardedRegistry::lockedText()});
    EXPECT_EQ(snapshot(m_fs.driveRoot()), before);
}

// Names from the archive or its item list that would reach outside their destination are
// refused; nothing outside the folders a restore writes changes.
TEST_F(RestoreRunTest, HostileNamesTouchNothingOutsideTheDestination)
{
    backUp(true);
    QByteArray zip = readFile(archivePath());
    // Same length, so the archive stays readable: one Favorites entry climbs two folders up.
    for (const char sep : {'/', '\\'}) {
        const QByteArray from = QByteArray("Favorites/Links/Home.url").replace('/', sep);
        zip.replace(from, QByteArray("Favorites/../../Home.url").replace('/', sep));
    }
    ASSERT_TRUE(m_fs.writeFile(archivePath(), zip));
    item(int(ItemKind::Favorites)).marked = true;
    RestoreItem& mail = item(int(ItemKind::MailFolder), 0);
    mail.marked = true;
    mail.restoreToName = u"..\\..\\escaped.dbx"_s;
    RestoreItem& climbing = item(int(ItemKind::MailFolder), 1);
    climbing.marked = true;
    climbing.fileName = u"..\\"_s + climbing.fileName;
    QDir(host(kFavorites)).removeRecursively();
    const auto before = snapshot(m_fs.driveRoot());

    const RestoreOutcome outcome = restore();
    EXPECT_EQ(outcome.status, RestoreOutcome::Status::Completed);
    const auto after = snapshot(m_fs.driveRoot());
    const QString favorites = u"users/tester/favorites/"_s;
    for (auto it = after.begin(); it != after.end(); ++it) {
        if (before.value(it.key()) == it.value())
            continue;
        const bool allowed =
            it.key().startsWith(favorites) || it.key().startsWith(u"program files/korvane/"_s);
        EXPECT_TRUE(allowed) << it.key().toStdString();
    }
    EXPECT_TRUE(exists(kFavorites + u"\\News.url"_s));
    EXPECT_FALSE(exists(u"C:\\users\\Home.url"_s));
    const QString log = logLines().join(u'\n');
    EXPECT_TRUE(log.contains(u"Home.url' is corrupted. Skipping this file."_s))
        << log.toStdString();
    EXPECT_EQ(log.count(u"Refused: '"_s), 2) << log.toStdString();

    // A Favorites row naming a whole drive would take every entry of the archive.
    backUp(true);
    RestoreItem& root = item(int(ItemKind::Favorites));
    root.marked = true;
    root.fileName = u"C:\\"_s;
    QDir(host(kFavorites)).removeRecursively();
    EXPECT_EQ(restore().failedSteps, 1);
    EXPECT_FALSE(exists(kFavorites + u"\\News.url"_s));
}

} // namespace kv::test
