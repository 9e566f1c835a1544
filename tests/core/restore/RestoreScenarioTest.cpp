// Restores of archives the real backup made, over generated stores that changed since: what comes
// back equals what was saved, byte for byte, and whatever the restore replaced is kept where the
// user can find it. Damaged and hostile archives change nothing outside the destination.
#include "../backup/BackupFixture.h"

#include "StoreBuilder.h"
#include "backup/ItemGrid.h"
#include "backup/SettingsExport.h"
#include "grid/TreeListModel.h"
#include "platform/posix/WineRegistry.h"
#include "restore/RestoreContext.h"
#include "restore/RestoreRun.h"
#include "restore/RestoreSelection.h"
#include "restore/RestoreSkipLines.h"
#include "restore/RestoreStart.h"
#include "support/RequiredPrograms.h"
#include "support/WineRunner.h"
#include "zip/ZipComponent.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QtEndian>

// Store files are large and binary: a failure names their size and a digest, not every byte.
inline void PrintTo(const QByteArray& bytes, std::ostream* os)
{
    *os << bytes.size() << " bytes, crc " << qChecksum(bytes);
}

namespace kv::test {
namespace {

using namespace Qt::StringLiterals;
using platform::Hive;

const QString kProgram = u"C:\\Program Files\\Korvane"_s;
const QString kWab = u"C:\\users\\tester\\Application Data\\Microsoft\\Address Book\\tester.wab"_s;
const QString kFavorites = u"C:\\users\\tester\\Favorites"_s;
const QString kStoreRoot = u"C:\\users\\tester\\Mail\\Main"_s;
const QString kOtherId = u"{6A3C1F20-5B2E-4D11-9C11-000000000002}"_s;
const ItemKind kGroups[] = {ItemKind::Rules, ItemKind::Accounts, ItemKind::Signatures};

// Relative path ("/" separators) -> bytes of every file below a host folder.
using Files = QMap<QString, QByteArray>;

// Wine finds files without regard to case: so does the comparison.
QByteArray noCase(const Files& files, const QString& name)
{
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        if (it.key().compare(name, Qt::CaseInsensitive) == 0)
            return it.value();
    return {};
}

Files filesBelow(const QString& hostFolder)
{
    Files files;
    QDirIterator it(hostFolder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        files.insert(QDir(hostFolder).relativeFilePath(path),
                     f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>"));
    }
    return files;
}

// Every key below path with its values, one comparable text.
QString dump(platform::IRegistry& registry, const QString& path)
{
    QString out = u"[%1]\n"_s.arg(path);
    QList<platform::RegNamedValue> values;
    registry.enumValues(Hive::CurrentUser, path, &values);
    for (const platform::RegNamedValue& v : std::as_const(values))
        out += u"%1 %2=%3\n"_s.arg(v.name)
                   .arg(v.value.type)
                   .arg(QString::fromLatin1(v.value.data.toHex()));
    QStringList keys;
    registry.enumSubKeys(Hive::CurrentUser, path, &keys);
    for (const QString& key : std::as_const(keys))
        out += dump(registry, path + u'\\' + key);
    return out;
}

// Rewrites a zip with Python's own zipfile: entries whose stored name ends in a key are
// replaced by that file's bytes (dropped for ""), the other keys are added as new entries.
bool rewriteArchive(const QString& source, const QString& target,
                    const QList<std::pair<QString, QString>>& entries, QString* output)
{
    const QString script = u"import sys, zipfile\n"
                           "src = zipfile.ZipFile(sys.argv[1])\n"
                           "dst = zipfile.ZipFile(sys.argv[2], 'w', zipfile.ZIP_DEFLATED)\n"
                           "pairs = [a.split('=', 1) for a in sys.argv[3:]]\n"
                           "done = set()\n"
                           "for info in src.infolist():\n"
                           "    hit = [p for p in pairs if info.filename.replace('\\\\', '/')"
                           ".endswith(p[0])]\n"
                           "    if not hit:\n"
                           "        dst.writestr(info, src.read(info))\n"
                           "        continue\n"
                           "    done.add(hit[0][0])\n"
                           "    if hit[0][1]:\n"
                           "        dst.writestr(info, open(hit[0][1], 'rb').read())\n"
                           "for name, path in pairs:\n"
                           "    if name not in done:\n"
                           "        dst.writestr(zipfile.ZipInfo(name), open(path, 'rb').read())\n"
                           "dst.close()\n"_s;
    QStringList args{u"-c"_s, script, source, target};
    for (const auto& [name, path] : entries)
        args << name + u'=' + path;
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(u"python3"_s, args);
    const bool ok = p.waitForFinished(60000) && p.exitCode() == 0;
    *output = QString::fromLocal8Bit(p.readAll());
    return ok;
}

class RestoreScenarioTest : public BackupFixture
{
protected:
    struct Snapshot
    {
        Files store;
        QStringList registry; // one dump per key of each group
        QByteArray wab;
        Files favorites;
        bool operator==(const Snapshot&) const = default;
    };

    // The environment with its settings in the registry, backed up by the real backup run.
    void backUp(bool oe5)
    {
        m_store.oe5 = oe5;
        makeEnvironment(m_store);
        if (HasFatalFailure())
            return;
        for (ItemKind kind : kGroups) {
            const QString key = settingsGroupKeys(kind, oe5, m_store.identityId).first();
            registry().setString(Hive::CurrentUser, key + u"\\Entry 1"_s, u"Name"_s,
                                 u"saved "_s + settingsGroup(kind)->rowText);
            registry().setDword(Hive::CurrentUser, key, u"Count"_s, 1);
        }
        // The backup saves the scripts the inventory exported: do as it does.
        const SettingsExportResult exported =
            SettingsExport(m_platform).run({kProgram, oe5, m_store.identityId});
        ASSERT_TRUE(exported.errors.isEmpty());
        for (const ExportedGroup& g : exported.groups)
            if (const int r = row(g.rowText); r >= 0)
                m_grid.setCell(r, cell::MbxName, g.regPath);
        runBackup();
        ASSERT_TRUE(exists(archivePath()));
        m_saved = snapshot();
    }

    FakeRegistry& registry() { return m_fs.prefix().registry(); }
    QString storeFolder() const { return m_state.env.storeFolder; }

    Snapshot snapshot(const QString& identityId = {})
    {
        Snapshot s;
        s.store = filesBelow(host(kStoreRoot));
        const QString id = identityId.isEmpty() ? m_store.identityId : identityId;
        // The group's own key: the accounts' export also writes them under the identity's key
        // when it has none of its own, so that key is expected to differ after a restore.
        for (ItemKind kind : kGroups)
            s.registry << dump(registry(), settingsGroupKeys(kind, m_store.oe5, id).first());
        s.wab = readFile(kWab);
        s.favorites = filesBelow(host(kFavorites));
        return s;
    }

    // What a user does after the backup: messages come and go, a folder is deleted, settings
    // change, the address book is replaced and a favourite goes.
    void changeEnvironment()
    {
        storegen::StoreShape shape;
        shape.messagesPerFolder = 3;
        shape.userFolders = 1;
        storegen::StoreBuilder builder(m_store.seed, shape);
        storegen::StoreSummary summary;
        const bool written = m_store.oe5 ? builder.writeOe5(host(kStoreRoot), &summary)
                                         : builder.writeOe4(host(kStoreRoot), &summary);
        ASSERT_TRUE(written) << builder.error().toStdString();
        m_deleted = storeFolder() + u"Sent Items"_s + (m_store.oe5 ? u".dbx"_s : u".mbx"_s);
        ASSERT_TRUE(m_fs.removeFile(m_deleted));
        const QString rules =
            settingsGroupKeys(ItemKind::Rules, m_store.oe5, m_store.identityId)[0];
        ASSERT_EQ(registry().deleteKeyTree(Hive::CurrentUser, rules), platform::kErrorSuccess);
        const QString sigs =
            settingsGroupKeys(ItemKind::Signatures, m_store.oe5, m_store.identityId)[0];
        registry().setString(Hive::CurrentUser, sigs + u"\\Entry 1"_s, u"Name"_s, u"changed"_s);
        registry().setString(Hive::CurrentUser, sigs + u"\\Entry 2"_s, u"Name"_s, u"added"_s);
        ASSERT_TRUE(m_fs.writeFile(kWab, "a new address book"));
        ASSERT_TRUE(m_fs.removeFile(kFavorites + u"\\Links\\Home.url"_s));
        ASSERT_TRUE(m_fs.writeFile(kFavorites + u"\\News.url"_s, "[url]changed"));
        m_changed = snapshot();
        ASSERT_NE(m_changed.store, m_saved.store);
    }

    RestoreContext context(int restoreType, const QString& archive = {})
    {
        RestoreContext c;
        c.restoreType = restoreType;
        c.oe5 = m_store.oe5;
        c.archivePath = archive.isEmpty() ? archivePath() : archive;
        c.storeFolder = storeFolder();
        if (!m_store.oe5) {
            c.oe4MailFolder = m_state.env.oe4.mailFolder;
            c.oe4NewsFolder = m_state.env.oe4.newsFolder;
        }
        c.currentWabPath = kWab;
        c.favoritesFolder = kFavorites;
        c.documentsFolder = u"C:\\users\\tester\\My Documents"_s;
        c.tempFolder = u"C:\\windows\\temp\\"_s;
        c.currentIdentityId = m_store.oe5 ? m_store.identityId : QString();
        c.programFolder = kProgram;
        c.programTitle = m_state.programTitle;
        c.versionText = m_state.versionText;
        c.restoreLogPath = kProgram + u"\\LastRestore.log"_s;
        return c;
    }

    // The start of a restore: the archive's list on the page, the current folders loaded.
    bool open(RestoreContext context)
    {
        m_context = context;
        RestoreStart start(*m_restorePlatform, m_ui);
        const RestoreStart::ListLoad load =
            start.loadItemList(m_context, {false, m_store.oe5, true, false}, m_page);
        if (load.status != RestoreStart::ListStatus::Loaded)
            return false;
        m_context.archiveWabName = load.list.addressBookFile;
        m_context.backupIdentityId = load.list.identityId;
        const bool loaded = start.loadCurrentFolders(m_context, m_settings, m_current);
        m_selection =
            std::make_unique<RestoreSelection>(m_context, m_fs, m_ui, m_page, m_current, loaded);
        if (m_context.restoreType == 2)
            m_selection->markAllFolders();
        return true;
    }
    int pageRow(const QString& name) const
    {
        for (int r = 1; r < m_page.totalRowCount(); ++r)
            if (m_page.text(r).section(u'\t', 0, 0) == name)
                return r;
        ADD_FAILURE() << "no row " << name.toStdString();
        return -1;
    }
    void mark(const QStringList& names)
    {
        for (const QString& name : names)
            m_selection->markClicked(pageRow(name));
    }
    void markOtherItems()
    {
        mark({u"Windows Address Book (WAB)"_s, u"IE Favorites"_s, u"Rules Wizard"_s, u"Accounts"_s,
              u"Signatures"_s});
    }
    RestoreOutcome restore()
    {
        RestoreRun run(*m_restorePlatform, m_ui, m_progress);
        return run.run(m_context, restoreItemsOf(m_page));
    }
    void answerImports(int count)
    {
        for (int n = 0; n < count; ++n)
            m_ui.answerMessage(MsgResult::Yes);
    }

    // The bytes of the trash's files (their names may be made unique).
    QList<QByteArray> trash() { return filesBelow(m_fs.trashFolder()).values(); }
    Files storeFiles(const QString& relativeFolder)
    {
        return filesBelow(host(kStoreRoot + u'\\' + relativeFolder));
    }
    QStringList safetyCopies()
    {
        return QDir(host(kProgram))
            .entryList({u"* before restore 2026-12-06 *.reg"_s}, QDir::Files);
    }

    void fullRestore(bool oe5)
    {
        backUp(oe5);
        changeEnvironment();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(open(context(2)));
        markOtherItems();
        if (!oe5)
            m_selection->markClicked(m_page.findCell(cell::Type, u"20"_s));
        m_ui.answerWabRestore(WabRestoreTarget::NormalLocation);
        if (oe5)
            m_ui.answerMessage(MsgResult::Yes); // a copy of the store first
        answerImports(3);
        const RestoreOutcome outcome = restore();
        EXPECT_EQ(outcome.status, RestoreOutcome::Status::Completed);
        EXPECT_EQ(outcome.skippedFiles, 0);
        EXPECT_EQ(outcome.failedSteps, 0);
        EXPECT_EQ(m_ui.pendingAnswers(), 0);
        EXPECT_EQ(m_ui.messages().value(m_ui.messages().size() - 1), u"Restore is Complete"_s);

        const Snapshot now = snapshot();
        for (auto it = m_saved.store.cbegin(); it != m_saved.store.cend(); ++it)
            EXPECT_EQ(noCase(now.store, it.key()), it.value()) << it.key().toStdString();
        EXPECT_EQ(now.registry, m_saved.registry);
        EXPECT_EQ(now.wab, m_saved.wab);
        EXPECT_EQ(now.favorites, m_saved.favorites);

        EXPECT_EQ(readFile(kWab.chopped(1) + u'x'), m_changed.wab);
        // The rules' key was deleted by the user: nothing to keep of it.
        EXPECT_EQ(safetyCopies().size(), 2) << safetyCopies().join(u", ").toStdString();
        const QString sigsCopy = safetyCopies().filter(u"Signatures"_s).value(0);
        EXPECT_TRUE(readFile(kProgram + u'\\' + sigsCopy).contains("added"));
        // Version 5 copies the store aside on Yes and bins the replaced files; version 4 moves
        // its mail and news folders aside whole.
        Files kept = storeFiles(oe5 ? u"backup2026-12-06"_s : QString());
        for (auto it = m_changed.store.cbegin(); it != m_changed.store.cend(); ++it) {
            if (it.key().contains(u"backup"_s))
                continue;
            QString aside = it.key();
            if (!oe5)
                aside.replace(QRegularExpression(u"^(Mail|News/[^/]+)/"_s), u"\\1_001/"_s);
            EXPECT_EQ(kept.value(aside), it.value()) << aside.toStdString();
        }
        if (oe5) {
            EXPECT_TRUE(trash().contains(m_changed.store.value(u"Inbox.dbx"_s)));
        }
        const QStringList log = fileLines(m_context.restoreLogPath);
        EXPECT_TRUE(log.contains(u"Message Folders Restore Complete"_s));
        EXPECT_TRUE(log.contains(u"Internet Explorer Favorites Restored"_s));
    }

    // The restore may write another registry than the backup read (a real prefix's).
    platform::Platform* m_restorePlatform = &m_platform;
    Store m_store;
    Snapshot m_saved, m_changed;
    QString m_deleted; // the folder file the user deleted after the backup
    RestoreContext m_context;
    TreeListModel m_page, m_current;
    std::unique_ptr<RestoreSelection> m_selection;
};

// Full restores in both versions: everything saved comes back; what was there before survives
// in the trash, the ".wax" book, the "_001" folders (version 4) or the dated store copy
// (version 5), and a dated copy of each replaced settings group.
TEST_F(RestoreScenarioTest, FullRestoreOfVersion5)
{
    fullRestore(true);
}

TEST_F(RestoreScenarioTest, FullRestoreOfVersion4)
{
    fullRestore(false);
}

// A selective restore of one folder and the address book changes nothing else; the replaced
// folder file goes to the trash.
TEST_F(RestoreScenarioTest, SelectedFolderComesBackAndTheRestStaysAsTheUserLeftIt)
{
    backUp(true);
    changeEnvironment();
    ASSERT_TRUE(open(context(0)));
    mark({u"Inbox"_s, u"Windows Address Book (WAB)"_s});
    m_ui.answerWabRestore(WabRestoreTarget::NormalLocation);
    EXPECT_EQ(restore().status, RestoreOutcome::Status::Completed);
    const Snapshot now = snapshot();
    for (auto [name, bytes] : now.store.asKeyValueRange())
        EXPECT_EQ(bytes,
                  name == u"Inbox.dbx"_s ? m_saved.store.value(name) : m_changed.store.value(name))
            << name.toStdString();
    EXPECT_EQ(now.registry, m_changed.registry);
    EXPECT_EQ(now.wab, m_saved.wab);
    EXPECT_EQ(now.favorites, m_changed.favorites);
    EXPECT_TRUE(trash().contains(m_changed.store.value(u"Inbox.dbx"_s)));
    EXPECT_TRUE(safetyCopies().isEmpty());
}

// Settings restored into another identity: the backup's id becomes the current one, the
// script as extracted is kept as ".old", and the backup's identity is left alone.
TEST_F(RestoreScenarioTest, SettingsGoToASecondIdentityUnderItsOwnId)
{
    backUp(true);
    ASSERT_TRUE(open([&] {
        RestoreContext c = context(0);
        c.currentIdentityId = kOtherId;
        return c;
    }()));
    mark({u"Rules Wizard"_s, u"Signatures"_s});
    answerImports(2);
    EXPECT_EQ(restore().status, RestoreOutcome::Status::Completed);
    QStringList expected = m_saved.registry;
    expected.replaceInStrings(m_store.identityId, kOtherId);
    const Snapshot other = snapshot(kOtherId);
    for (const QString& key : expected)
        if (!key.contains(u"Account"_s)) {
            EXPECT_TRUE(other.registry.contains(key)) << key.toStdString();
        }
    EXPECT_EQ(snapshot().registry, m_saved.registry);
    const QByteArray old = readFile(kProgram + u"\\Rules Wizard.reg.old"_s);
    EXPECT_TRUE(old.contains(m_store.identityId.toLatin1()));
    EXPECT_FALSE(
        readFile(kProgram + u"\\Rules Wizard.reg"_s).contains(m_store.identityId.toLatin1()));
}

// Version 4: a folder redirected into another current folder is written under that folder's
// name, its index file too; both of the target's old files go to the trash.
TEST_F(RestoreScenarioTest, RedirectedFolderReplacesTheTargetWithItsIndex)
{
    backUp(false);
    changeEnvironment();
    ASSERT_TRUE(open(context(0)));
    // The first other folder that has both of its files.
    int target = -1;
    QString targetStem;
    for (int r = 1; r < m_current.totalRowCount() && target < 0; ++r) {
        const QString mbx = m_current.cell(r, cell::MbxName);
        if (mbx.endsWith(u".mbx"_s) && mbx != u"Inbox.mbx"_s &&
            m_changed.store.contains(u"Mail/"_s + mbx.chopped(3) + u"idx"_s)) {
            target = r;
            targetStem = mbx.chopped(4);
        }
    }
    ASSERT_GT(target, 0);
    ASSERT_TRUE(m_selection->redirectTo(pageRow(u"Inbox"_s), target));
    EXPECT_EQ(restore().status, RestoreOutcome::Status::Completed);
    const Files mail = storeFiles(u"Mail"_s);
    EXPECT_EQ(mail.value(targetStem + u".mbx"_s), m_saved.store.value(u"Mail/Inbox.mbx"_s));
    EXPECT_EQ(mail.value(targetStem + u".idx"_s), m_saved.store.value(u"Mail/Inbox.idx"_s));
    EXPECT_EQ(mail.value(u"Inbox.mbx"_s), m_changed.store.value(u"Mail/Inbox.mbx"_s));
    const QList<QByteArray> binned = trash();
    EXPECT_TRUE(binned.contains(m_changed.store.value(u"Mail/"_s + targetStem + u".mbx"_s)));
    EXPECT_TRUE(binned.contains(m_changed.store.value(u"Mail/"_s + targetStem + u".idx"_s)));
    EXPECT_TRUE(fileLines(m_context.restoreLogPath)
                    .contains(u"Restored Folder: Inbox --- as Folder: "_s + targetStem));
}

// The item list of the earlier release (no kinds, no identity) restores as well.
TEST_F(RestoreScenarioTest, ArchiveWithTheEarlierReleasesListRestores)
{
    KV_REQUIRE_PROGRAMS("python3");
    backUp(false);
    changeEnvironment();
    const QByteArray list = "Korvane Backup started: Mon Jan 05, 1998 @ 10:00 PM\r\n"
                            "MBX\tInbox.mbx\tInbox\t1\t0\t0\t2\t\tIDX\r\n"
                            "WAB\tusers\\tester\\Application Data\\Microsoft\\Address Book\\"
                            "tester.wab\tAddress book\t2\t0\r\n";
    const QString listFile = m_fs.prefix().write(u"old-list.log"_s, list);
    QString output;
    ASSERT_TRUE(rewriteArchive(host(archivePath()), host(u"C:\\Backups\\old.eaz"_s),
                               {{u"KorvaneBackup.log"_s, listFile}}, &output))
        << output.toStdString();
    ASSERT_TRUE(open(context(0, u"C:\\Backups\\old.eaz"_s)));
    mark({u"Inbox"_s, u"Windows Address Book (WAB)"_s});
    m_ui.answerWabRestore(WabRestoreTarget::NormalLocation);
    EXPECT_EQ(restore().status, RestoreOutcome::Status::Completed);
    const Files mail = storeFiles(u"Mail"_s);
    EXPECT_EQ(mail.value(u"Inbox.mbx"_s), m_saved.store.value(u"Mail/Inbox.mbx"_s));
    EXPECT_EQ(mail.value(u"Inbox.idx"_s), m_saved.store.value(u"Mail/Inbox.idx"_s));
    EXPECT_EQ(readFile(kWab), m_saved.wab);
}

// A damaged entry is skipped with its line (reason 2 for a wrong checksum, 6 for data that does
// not inflate); the user's file stays untouched in place and nothing goes to the trash.
TEST_F(RestoreScenarioTest, DamagedEntryLeavesTheUsersFileInPlace)
{
    backUp(true);
    changeEnvironment();
    zip::ZipComponent zip(m_fs);
    zip.setArchiveName(archivePath());
    QList<zip::CentralEntry> entries;
    ASSERT_EQ(zip.list(&entries), 0);
    const auto inbox = std::find_if(entries.begin(), entries.end(), [](const auto& e) {
        return e.name.endsWith(u"\\Inbox.dbx"_s);
    });
    ASSERT_NE(inbox, entries.end());
    const QByteArray good = readFile(archivePath());
    const qsizetype header = qsizetype(inbox->localOffset);
    const qsizetype data = header + 30 +
                           qFromLittleEndian<quint16>(good.constData() + header + 26) +
                           qFromLittleEndian<quint16>(good.constData() + header + 28);
    const qsizetype central = good.indexOf(QByteArray("PK\x01\x02"), data);
    ASSERT_GT(central, 0);
    const struct
    {
        int reason;
        QList<qsizetype> flipped; // offsets of bytes to flip
    } cases[] = {
        // The checksum in both headers: the data inflates, but not to what was stored.
        {2, {header + 14, good.indexOf(inbox->rawName, central) - 46 + 16}},
        {6, {data + qsizetype(inbox->compressedSize) / 2, data + 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        QByteArray bad = good;
        for (qsizetype at : c.flipped)
            bad[at] = char(bad[at] ^ 0x5a);
        ASSERT_TRUE(m_fs.writeFile(u"C:\\Backups\\damaged.eaz"_s, bad));
        m_page.clear();
        m_current.clear();
        ASSERT_TRUE(open(context(0, u"C:\\Backups\\damaged.eaz"_s)));
        mark({u"Inbox"_s});
        EXPECT_EQ(restore().skippedFiles, 1);
        EXPECT_EQ(filesBelow(host(kStoreRoot)), m_changed.store);
        EXPECT_TRUE(trash().isEmpty());
        // The line names the entry as the archive stores it, or by the name it was asked for.
        const QStringList log = fileLines(m_context.restoreLogPath);
        EXPECT_TRUE(log.contains(skippedFileLine(c.reason, inbox->name)) ||
                    log.contains(skippedFileLine(c.reason, u"Inbox.dbx"_s)))
            << log.join(u'\n').toStdString();
    }
}

// A truncated archive, and one carrying names that climb out of their folder and a script
// that names foreign keys: nothing outside the restore's own destinations changes.
TEST_F(RestoreScenarioTest, DamagedAndHostileArchivesChangeNothingOutsideTheDestination)
{
    KV_REQUIRE_PROGRAMS("python3");
    backUp(true);
    changeEnvironment();
    const QString payload = m_fs.prefix().write(u"payload.txt"_s, "hostile payload");
    const QString script = m_fs.prefix().write(
        u"evil.reg"_s,
        "REGEDIT4\r\n\r\n\"Loose\"=\"outside any key\"\r\n\r\n[HKEY_CURRENT_USER\\Identities\\" +
            m_store.identityId.toLatin1() +
            "\\Software\\Microsoft\\Outlook Express\\5.0\\Rules\\Entry 1]\r\n\"Name\"=\"saved "
            "Rules Wizard\"\r\n\r\n[HKEY_CURRENT_USER\\Software\\Evil]\r\n\"x\"=\"y\"\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\Software\\Evil]\r\n\"x\"=\"y\"\r\n");
    QString output;
    ASSERT_TRUE(rewriteArchive(host(archivePath()), host(u"C:\\Backups\\hostile.eaz"_s),
                               {{u"Rules Wizard.reg"_s, script},
                                {u"users/tester/Favorites/../../../escape.url"_s, payload},
                                {u"users\\tester\\Favorites\\..\\..\\escape2.url"_s, payload},
                                {u"users/tester/Favorites/C:/windows/drive.url"_s, payload},
                                {u"/abs.dbx"_s, payload},
                                {u"../Inbox.dbx"_s, payload},
                                {u"C:/windows/Inbox.dbx"_s, payload}},
                               &output))
        << output.toStdString();
    const QByteArray whole = readFile(archivePath());
    ASSERT_TRUE(m_fs.writeFile(u"C:\\Backups\\truncated.eaz"_s, whole.left(whole.size() * 2 / 3)));

    // Every file of the prefix outside the places a restore writes to.
    const QStringList allowed = {u"drive_c/users/tester/"_s, u"drive_c/Program Files/Korvane/"_s,
                                 u"xdg-data/"_s};
    auto outside = [&] {
        Files all = filesBelow(m_fs.prefix().folder());
        for (auto it = all.begin(); it != all.end();) {
            const QString& path = it.key();
            const bool mayChange =
                std::any_of(allowed.begin(), allowed.end(),
                            [&](const QString& a) { return path.startsWith(a); });
            it = mayChange ? all.erase(it) : std::next(it);
        }
        return all;
    };
    const Files before = outside();
    for (const QString& archive :
         {u"C:\\Backups\\truncated.eaz"_s, u"C:\\Backups\\hostile.eaz"_s}) {
        SCOPED_TRACE(archive.toStdString());
        m_page.clear();
        m_current.clear();
        if (!open(context(2, archive)))
            continue; // the list could not be read: nothing was restored
        markOtherItems();
        m_ui.answerWabRestore(WabRestoreTarget::NormalLocation);
        m_ui.answerMessage(MsgResult::No); // no copy of the store
        answerImports(3);
        restore();
    }
    EXPECT_EQ(outside(), before);
    EXPECT_FALSE(QFile::exists(host(kFavorites) + u"/../escape.url"_s));
    EXPECT_FALSE(QFile::exists(host(u"C:\\users\\tester\\escape2.url"_s)));
    platform::RegValue value;
    EXPECT_NE(registry().queryValue(Hive::CurrentUser, u"Software\\Evil"_s, u"x"_s, &value),
              platform::kErrorSuccess);
    EXPECT_NE(registry().queryValue(Hive::LocalMachine, u"Software\\Evil"_s, u"x"_s, &value),
              platform::kErrorSuccess);
    EXPECT_EQ(snapshot().favorites, m_saved.favorites);
}

// Wine itself reads the restored groups back as the backup saved them: the backup's scripts
// imported by Wine's registry editor, exported by Wine, equal Wine's export of the same keys
// after the restore has written them over changed settings.
TEST_F(RestoreScenarioTest, WinesExportOfTheRestoredGroupsEqualsTheOriginals)
{
    KV_REQUIRE_PROGRAMS("wine", "wineboot", "wineserver");
    TempDir scratch;
    WineRunner wine(scratch.path());
    ASSERT_EQ(wine.run({u"wineboot"_s, u"-i"_s}, 300), 0);
    wine.waitForServerExit();
    backUp(true);

    auto wineCommand = [&](QStringList command) {
        QByteArray out;
        command.prepend(u"wine"_s);
        const int rc = wine.run(command, 120, &out);
        wine.waitForServerExit();
        EXPECT_EQ(rc, 0) << command.join(u' ').toStdString() << ": " << out.constData();
    };
    auto wineName = [](const QString& hostPath) {
        return u"Z:"_s + QString(hostPath).replace(u'/', u'\\');
    };
    QStringList keys;
    QStringList import{u"regedit"_s, u"/S"_s};
    for (ItemKind kind : kGroups) {
        keys << settingsGroupKeys(kind, true, m_store.identityId).first();
        import << wineName(host(kProgram + settingsGroup(kind)->fileName));
    }
    wineCommand(import);
    auto exportAll = [&](const QString& tag) {
        QList<QByteArray> exports;
        for (int n = 0; n < keys.size(); ++n) {
            const QString file = scratch.file(u"%1-%2.reg"_s.arg(tag).arg(n));
            wineCommand({u"reg"_s, u"export"_s, u"HKEY_CURRENT_USER\\"_s + keys[n], wineName(file),
                         u"/y"_s});
            exports << kv::test::readFile(file);
            EXPECT_FALSE(exports.last().isEmpty()) << keys[n].toStdString();
        }
        return exports;
    };
    const QList<QByteArray> originals = exportAll(u"original"_s);

    // The user's settings change; then the restore writes the prefix's own registry files.
    wineCommand({u"reg"_s, u"delete"_s, u"HKEY_CURRENT_USER\\"_s + keys[0], u"/f"_s});
    wineCommand({u"reg"_s, u"add"_s, u"HKEY_CURRENT_USER\\"_s + keys[2] + u"\\Entry 2"_s, u"/v"_s,
                 u"Name"_s, u"/d"_s, u"added"_s, u"/f"_s});
    {
        platform::posix::WineRegistry prefixRegistry{platform::posix::WinePrefix(scratch.path())};
        platform::Platform restorePlatform{prefixRegistry, m_fs, m_system, m_processes};
        m_restorePlatform = &restorePlatform;
        ASSERT_TRUE(open(context(0)));
        mark({u"Rules Wizard"_s, u"Accounts"_s, u"Signatures"_s});
        answerImports(3);
        EXPECT_EQ(restore().status, RestoreOutcome::Status::Completed);
        m_restorePlatform = &m_platform;
    }
    EXPECT_EQ(exportAll(u"restored"_s), originals);
}

} // namespace
} // namespace kv::test
