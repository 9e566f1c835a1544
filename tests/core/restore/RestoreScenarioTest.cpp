// Restores of real backups over stores changed since: what comes back equals what was saved,
// what was replaced is kept, and damaged or hostile archives touch nothing outside the destination.
#include "RestoreScenarioFixture.h"

#include "backup/RunLog.h"
#include "restore/RestoreZipListener.h"
#include "shell/GuardedRegistry.h"

namespace kv::test {
namespace {

// Everything saved comes back; what was there is kept (trash, ".wax", "_001", dated copies).
TEST_F(RestoreScenarioTest, FullRestoreOfVersion5)
{
    fullRestore(true);
}

TEST_F(RestoreScenarioTest, FullRestoreOfVersion5WithoutAStoreCopy)
{
    fullRestore(true, MsgResult::No);
}

TEST_F(RestoreScenarioTest, FullRestoreOfVersion4)
{
    fullRestore(false);
}

// Version 4: a folder redirected into another current folder is written under that folder's
// name, its index file too; both of the target's old files go to the trash.
TEST_F(RestoreScenarioTest, RedirectedFolderReplacesTheTargetWithItsIndex)
{
    backUp(false);
    changeEnvironment();
    ASSERT_TRUE(open(context(0)));
    int target = -1; // the first other folder with both of its files
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
    const QByteArray good = readFile(archivePath());
    const struct
    {
        QString row, file;
        int reason;
    } cases[] = {
        {u"Inbox"_s, u"Inbox.dbx"_s, 2},
        {u"Inbox"_s, u"Inbox.dbx"_s, 6},
        {u"Windows Address Book (WAB)"_s, u"tester.wab"_s, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.toStdString() + " reason " + std::to_string(c.reason));
        const auto entry = std::find_if(entries.begin(), entries.end(), [&](const auto& e) {
            return e.name.endsWith(u'\\' + c.file);
        });
        ASSERT_NE(entry, entries.end());
        const qsizetype header = qsizetype(entry->localOffset);
        const qsizetype data = header + 30 +
                               qFromLittleEndian<quint16>(good.constData() + header + 26) +
                               qFromLittleEndian<quint16>(good.constData() + header + 28);
        const qsizetype central = good.indexOf(QByteArray("PK\x01\x02"), data);
        ASSERT_GT(central, 0);
        // Reason 2: the checksum in both headers, so the data inflates but not to what was
        // stored. Reason 6: the data itself.
        const QList<qsizetype> flipped =
            c.reason == 2
                ? QList<qsizetype>{header + 14, good.indexOf(entry->rawName, central) - 46 + 16}
                : QList<qsizetype>{data + qsizetype(entry->compressedSize) / 2, data + 1};
        QByteArray bad = good;
        for (qsizetype at : flipped)
            bad[at] = char(bad[at] ^ 0x5a);
        ASSERT_TRUE(m_fs.writeFile(u"C:\\Backups\\damaged.eaz"_s, bad));
        ASSERT_TRUE(open(context(0, u"C:\\Backups\\damaged.eaz"_s)));
        mark({c.row});
        if (c.file.endsWith(u".wab"_s))
            m_ui.answerWabRestore(WabRestoreTarget::NormalLocation);
        EXPECT_EQ(restore().skippedFiles, 1);
        EXPECT_TRUE(snapshot() == m_changed);
        EXPECT_FALSE(exists(kWab.chopped(1) + u'x'));
        EXPECT_TRUE(trash().isEmpty());
        // The line names the entry as the archive stores it, or by the name it was asked for.
        const QStringList log = fileLines(m_context.restoreLogPath);
        EXPECT_TRUE(log.contains(skippedFileLine(c.reason, entry->name)) ||
                    log.contains(skippedFileLine(c.reason, c.file)))
            << log.join(u'\n').toStdString();
    }
}

// A truncated archive, and one with names climbing out and a script naming foreign keys.
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

    const QStringList allowed = {u"drive_c/users/tester/"_s, u"drive_c/Program Files/Korvane/"_s,
                                 u"xdg-data/"_s};
    const Files before = filesOutside(allowed);
    for (const QString& archive :
         {u"C:\\Backups\\truncated.eaz"_s, u"C:\\Backups\\hostile.eaz"_s}) {
        SCOPED_TRACE(archive.toStdString());
        if (!open(context(2, archive)))
            continue; // the list could not be read: nothing was restored
        markOtherItems();
        m_ui.answerWabRestore(WabRestoreTarget::NormalLocation);
        m_ui.answerMessage(MsgResult::No); // no copy of the store
        answerImports(3);
        restore();
    }
    // The hostile archive's run refused each name that climbs out and each foreign line.
    const QStringList log = fileLines(m_context.restoreLogPath);
    EXPECT_EQ(log.filter(u"is corrupted. Skipping this file."_s).size(), 5);
    EXPECT_EQ(log.filter(u"Rules Wizard - Skipped: "_s).size(), 3);
    EXPECT_EQ(filesOutside(allowed), before);
    for (const QString& name : {u"escape.url"_s, u"escape2.url"_s, u"Mail\\Inbox.dbx"_s})
        EXPECT_FALSE(exists(u"C:\\users\\tester\\"_s + name)) << name.toStdString();
    for (const Hive hive : {Hive::CurrentUser, Hive::LocalMachine})
        EXPECT_EQ(registry().openKey(hive, u"Software\\Evil"_s), platform::kErrorFileNotFound);
    EXPECT_EQ(snapshot().favorites, m_saved.favorites);
}

// Wine's own export of the groups the restore wrote equals its export of the backup's scripts.
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

// A set spread over diskettes comes back from them, last disk first as the list is read.
TEST_F(RestoreScenarioTest, SpannedArchiveRestoresFromItsDiskettes)
{
    makeEnvironment(m_store);
    DiskSwappingUi ui;
    ui.drive = m_fs.prefix().file(u"floppy"_s);
    ui.pieces = m_fs.prefix().file(u"pieces"_s);
    QDir().mkpath(ui.pieces);
    m_fs.mapDrive(u'a', ui.drive, platform::DriveType::Removable, 48 * 1024);
    QByteArray noise(120 * 1024, 0);
    quint32 x = 12345;
    for (char& c : noise)
        c = char((x = x * 1103515245u + 12345u) >> 24);
    ASSERT_TRUE(m_fs.writeFile(kFavorites + u"\\big.bin"_s, noise));
    m_state.saveFolder = u"a:\\"_s;
    m_state.backupFile = u"a:\\set.eaz"_s;
    m_state.clearDisks = false;
    ui.answerMessage(MsgResult::Ok); // the first diskette is in
    DiskProgress progress;
    progress.onCheck = [&] {
        ui.verifying = true;
        ui.lastDisk = int(QDir(ui.pieces).entryList(QDir::Files).size()) + 1;
        QFile::copy(ui.drive + u"/set.eaz"_s, ui.disk(ui.lastDisk));
    };
    m_run = std::make_unique<BackupRun>(m_platform, ui, m_settings, m_state, m_grid, m_totals,
                                        progress);
    InlineTaskRunner runner;
    m_run->start(runner, {});
    ASSERT_GE(ui.lastDisk, 2) << "the set fits one disk: the scenario proves nothing";
    ASSERT_EQ(ui.messages().last(), u"Backup is complete"_s);
    const Files favorites = filesBelow(host(kFavorites));

    // The user loses the favourites and starts the restore with the first disk in the drive.
    QDir(host(kFavorites)).removeRecursively();
    ui.insert(1);
    ui.asked.clear();
    m_restoreUi = &ui;
    const qsizetype before = ui.messages().size();
    ASSERT_TRUE(open(context(0, u"a:\\set.eaz"_s)));
    mark({u"IE Favorites"_s});
    EXPECT_EQ(restore().status, RestoreOutcome::Status::Completed);
    EXPECT_EQ(filesBelow(host(kFavorites)), favorites);
    EXPECT_EQ(ui.asked.value(0), ui.lastDisk) << "the directory is on the last disk";
    EXPECT_EQ(ui.messages().mid(before).filter(u"Please insert "_s).value(0),
              u"Please insert the last disk of the backup set"_s);

    // Cancel at the first prompt: no list, and no copy of it left behind.
    ui.refuse = true;
    ui.insert(1);
    EXPECT_FALSE(open(context(0, u"a:\\set.eaz"_s)));
    EXPECT_FALSE(exists(kProgram + u"\\KorvaneBackup.log"_s));
}

// The names the hook gives each entry, step by step.
TEST_F(RestoreScenarioTest, HookNamesEntriesByRowRedirectAndPrefix)
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

TEST_F(RestoreScenarioTest, AddressBookRestoredTwiceKeepsOnlyTheLatestPreviousFile)
{
    backUp(true);
    for (const QByteArray& current : {QByteArray("version one"), QByteArray("version two")}) {
        ASSERT_TRUE(m_fs.writeFile(kWab, current));
        ASSERT_TRUE(open(context(0)));
        mark({u"Windows Address Book (WAB)"_s});
        m_ui.answerWabRestore(WabRestoreTarget::NormalLocation);
        EXPECT_EQ(restore().status, RestoreOutcome::Status::Completed);
        EXPECT_EQ(readFile(kWab), m_saved.wab);
        EXPECT_EQ(readFile(kWab.chopped(1) + u'x'), current);
    }
    const QStringList kept = QDir(host(kWab).section(u'/', 0, -2)).entryList(QDir::Files);
    EXPECT_EQ(kept, (QStringList{u"tester.wab"_s, u"tester.wax"_s}));
    EXPECT_TRUE(fileLines(m_context.restoreLogPath)
                    .contains(u"Restored Address Book to: "_s + kWab));
}

// Cancel at the store-copy question, and a registry the running wineserver holds: the run stops
// before anything of the user's changes.
TEST_F(RestoreScenarioTest, CancelOrAHeldRegistryStopsTheRunBeforeAnythingChanges)
{
    backUp(true);
    changeEnvironment();
    HeldRegistry held;
    platform::Platform heldPlatform{held, m_fs, m_system, m_processes};
    for (const bool registryHeld : {false, true}) {
        SCOPED_TRACE(registryHeld ? "held" : "cancel");
        ASSERT_TRUE(open(context(registryHeld ? 0 : 2)));
        mark({u"Inbox"_s, u"Accounts"_s});
        m_ui = ScriptedUi();
        if (!registryHeld)
            m_ui.answerMessage(MsgResult::Cancel);
        m_restorePlatform = registryHeld ? &heldPlatform : &m_platform;
        const RestoreOutcome outcome = restore();
        EXPECT_EQ(outcome.status, registryHeld ? RestoreOutcome::Status::RegistryHeld
                                               : RestoreOutcome::Status::Cancelled);
        EXPECT_TRUE(snapshot() == m_changed);
        EXPECT_TRUE(trash().isEmpty());
        EXPECT_FALSE(exists(m_context.restoreLogPath));
        if (registryHeld) {
            EXPECT_EQ(m_ui.messages(), QStringList{GuardedRegistry::lockedText()});
        } else {
            EXPECT_TRUE(exists(RunLog::tempPath(kProgram)));
        }
    }
}

// Rows of a list that would reach outside the store are refused; a Favorites row naming a whole
// drive would take every entry of the archive, so its step fails.
TEST_F(RestoreScenarioTest, RowsNamingPlacesOutsideTheirFolderAreRefused)
{
    backUp(true);
    ASSERT_TRUE(open(context(0)));
    mark({u"Inbox"_s, u"Sent Items"_s, u"IE Favorites"_s});
    m_page.setCell(pageRow(u"Inbox"_s), cell::RestoreToName, u"..\\..\\escaped.dbx"_s);
    const int sent = pageRow(u"Sent Items"_s);
    m_page.setCell(sent, cell::MbxName, u"..\\"_s + m_page.cell(sent, cell::MbxName));
    QDir(host(kFavorites)).removeRecursively();
    const QStringList allowed = {u"drive_c/users/tester/Favorites/"_s,
                                 u"drive_c/Program Files/Korvane/"_s, u"xdg-data/"_s};
    const Files before = filesOutside(allowed);

    EXPECT_EQ(restore().status, RestoreOutcome::Status::Completed);
    EXPECT_EQ(filesOutside(allowed), before);
    EXPECT_EQ(filesBelow(host(kFavorites)), m_saved.favorites);
    const QString log = fileLines(m_context.restoreLogPath).join(u'\n');
    EXPECT_EQ(log.count(u"Refused: '"_s), 2) << log.toStdString();

    ASSERT_TRUE(open(context(0)));
    mark({u"IE Favorites"_s});
    m_page.setCell(pageRow(u"IE Favorites"_s), cell::MbxName, u"C:\\"_s);
    QDir(host(kFavorites)).removeRecursively();
    EXPECT_EQ(restore().failedSteps, 1);
    EXPECT_TRUE(filesBelow(host(kFavorites)).isEmpty());
}

} // namespace
} // namespace kv::test
