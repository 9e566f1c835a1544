// Restores of real backups over stores changed since: what comes back equals what was saved,
// what was replaced is kept, and damaged or hostile archives touch nothing outside the destination.
#include "RestoreScenarioFixture.h"

#include "backup/RunLog.h"
#include "restore/RestoreZipListener.h"
#include "shell/GuardedRegistry.h"

namespace kv::test {
namespace {

TEST_F(RestoreScenarioTest, FullRestoreOfVersion5)
{
    fullRestore(true);
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
    int target = 1; // the first other folder with both of its files
    QString stem;
    for (; target < m_current.totalRowCount(); ++target) {
        stem = m_current.cell(target, cell::MbxName).chopped(4);
        if (stem != u"Inbox"_s && m_changed.store.contains(u"Mail/"_s + stem + u".idx"_s))
            break;
    }
    ASSERT_TRUE(m_selection->redirectTo(pageRow(u"Inbox"_s), target));
    EXPECT_EQ(restore().status, RestoreOutcome::Status::Completed);
    const Files mail = storeFiles(u"Mail"_s);
    EXPECT_EQ(mail.value(u"Inbox.mbx"_s), m_changed.store.value(u"Mail/Inbox.mbx"_s));
    for (const QString& ext : {u".mbx"_s, u".idx"_s}) {
        EXPECT_EQ(mail.value(stem + ext), m_saved.store.value(u"Mail/Inbox"_s + ext));
        EXPECT_TRUE(trash().contains(m_changed.store.value(u"Mail/"_s + stem + ext)));
    }
    EXPECT_TRUE(fileLines(m_context.restoreLogPath)
                    .contains(u"Restored Folder: Inbox --- as Folder: "_s + stem));
}

// Cancel at the store-copy question and a registry the running wineserver holds stop the run
// before anything changes; a damaged entry is skipped with its line (reason 2 for a wrong
// checksum, 6 for data that does not inflate), the user's file left in place. Nothing is binned.
TEST_F(RestoreScenarioTest, AStoppedRunOrADamagedEntryLeavesTheUsersFilesInPlace)
{
    backUp(true);
    changeEnvironment();
    HeldRegistry held;
    platform::Platform heldPlatform{held, m_fs, m_system, m_processes};
    for (const bool registryHeld : {true, false}) {
        SCOPED_TRACE(registryHeld ? "held" : "cancel");
        ASSERT_TRUE(open(context(registryHeld ? 0 : 2)));
        mark({u"Inbox"_s, u"Accounts"_s});
        m_ui = ScriptedUi();
        if (!registryHeld)
            m_ui.answerMessage(MsgResult::Cancel);
        m_restorePlatform = registryHeld ? &heldPlatform : &m_platform;
        EXPECT_EQ(restore().status, registryHeld ? RestoreOutcome::Status::RegistryHeld
                                                 : RestoreOutcome::Status::Cancelled);
        EXPECT_TRUE(snapshot() == m_changed);
        EXPECT_TRUE(trash().isEmpty());
        EXPECT_FALSE(exists(m_context.restoreLogPath));
        EXPECT_EQ(exists(RunLog::tempPath(kProgram)), !registryHeld);
        EXPECT_EQ(m_ui.messages().contains(GuardedRegistry::lockedText()), registryHeld);
    }
    m_restorePlatform = &m_platform;
    m_ui = ScriptedUi();
    zip::ZipComponent zip(m_fs);
    zip.setArchiveName(archivePath());
    QList<zip::CentralEntry> entries;
    ASSERT_EQ(zip.list(&entries), 0);
    const QByteArray good = readFile(archivePath());
    const std::tuple<QString, QString, int> cases[] = {
        {u"Inbox"_s, u"Inbox.dbx"_s, 6}, {u"Windows Address Book (WAB)"_s, u"tester.wab"_s, 2}};
    for (const auto& [row, file, reason] : cases) {
        SCOPED_TRACE(file.toStdString());
        const auto entry = std::find_if(entries.begin(), entries.end(), [&](const auto& e) {
            return e.name.endsWith(u'\\' + file);
        });
        ASSERT_NE(entry, entries.end());
        const qsizetype header = qsizetype(entry->localOffset);
        const qsizetype data = header + 30 +
                               qFromLittleEndian<quint16>(good.constData() + header + 26) +
                               qFromLittleEndian<quint16>(good.constData() + header + 28);
        const qsizetype central = good.indexOf(QByteArray("PK\x01\x02"), data);
        // Reason 2: the checksum in both headers, so the data inflates but not to what was
        // stored. Reason 6: the data itself.
        const QList<qsizetype> flipped =
            reason == 2 ? QList<qsizetype>{header + 14, good.indexOf(entry->rawName, central) - 30}
                        : QList<qsizetype>{data + qsizetype(entry->compressedSize) / 2, data + 1};
        QByteArray bad = good;
        for (qsizetype at : flipped)
            bad[at] = char(bad[at] ^ 0x5a);
        ASSERT_TRUE(m_fs.writeFile(u"C:\\Backups\\damaged.eaz"_s, bad));
        ASSERT_TRUE(open(context(0, u"C:\\Backups\\damaged.eaz"_s)));
        mark({row});
        m_ui.answerWabRestore(WabRestoreTarget::NormalLocation);
        EXPECT_EQ(restore().skippedFiles, 1);
        EXPECT_TRUE(snapshot() == m_changed);
        EXPECT_FALSE(exists(kWab.chopped(1) + u'x'));
        EXPECT_TRUE(trash().isEmpty());
        // The line names the entry as the archive stores it, or by the name it was asked for.
        const QStringList log = fileLines(m_context.restoreLogPath);
        EXPECT_TRUE(log.contains(skippedFileLine(reason, entry->name)) ||
                    log.contains(skippedFileLine(reason, file)))
            << log.join(u'\n').toStdString();
        m_ui = ScriptedUi();
    }
}

// An archive with names climbing out and a script naming foreign keys.
TEST_F(RestoreScenarioTest, AHostileArchiveChangesNothingOutsideTheDestination)
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
    const QStringList allowed = {u"drive_c/users/tester/"_s, u"drive_c/Program Files/Korvane/"_s,
                                 u"xdg-data/"_s};
    const Files before = filesOutside(allowed);
    ASSERT_TRUE(open(context(2, u"C:\\Backups\\hostile.eaz"_s)));
    markOtherItems(MsgResult::No);
    restore();
    // The run refused each name that climbs out and each foreign line.
    const QStringList log = fileLines(m_context.restoreLogPath);
    EXPECT_EQ(log.filter(u"is corrupted. Skipping this file."_s).size(), 5);
    EXPECT_EQ(log.filter(u"Rules Wizard - Skipped: "_s).size(), 3);
    EXPECT_TRUE(log.contains(u"A backup copy of mail folders was NOT made"_s));
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
        const int rc = wine.run(QStringList{u"wine"_s} + command, 120, &out);
        wine.waitForServerExit();
        EXPECT_EQ(rc, 0) << command.join(u' ').toStdString() << ": " << out.constData();
    };
    auto wineName = [](QString hostPath) { return u"Z:"_s + hostPath.replace(u'/', u'\\'); };
    QStringList keys, import{u"regedit"_s, u"/S"_s};
    for (ItemKind kind : kGroups) {
        keys << u"HKEY_CURRENT_USER\\"_s + groupKey(kind);
        import << wineName(host(kProgram + settingsGroup(kind)->fileName));
    }
    wineCommand(import);
    auto exportAll = [&](const QString& tag) {
        QList<QByteArray> exports;
        for (int n = 0; n < keys.size(); ++n) {
            const QString file = scratch.file(u"%1-%2.reg"_s.arg(tag).arg(n));
            wineCommand({u"reg"_s, u"export"_s, keys[n], wineName(file), u"/y"_s});
            exports << kv::test::readFile(file);
            EXPECT_FALSE(exports.last().isEmpty()) << keys[n].toStdString();
        }
        return exports;
    };
    const QList<QByteArray> originals = exportAll(u"original"_s);

    // The user's settings change; then the restore writes the prefix's own registry files.
    wineCommand({u"reg"_s, u"delete"_s, keys[0], u"/f"_s});
    wineCommand({u"reg"_s, u"add"_s, keys[2] + u"\\Entry 2"_s, u"/v"_s, u"Name"_s, u"/d"_s,
                 u"added"_s, u"/f"_s});
    {
        platform::posix::WineRegistry prefixRegistry{platform::posix::WinePrefix(scratch.path())};
        platform::Platform restorePlatform{prefixRegistry, m_fs, m_system, m_processes};
        m_restorePlatform = &restorePlatform;
        ASSERT_TRUE(open(context(0)));
        mark({u"Rules Wizard"_s, u"Accounts"_s, u"Signatures"_s});
        for (int n = 0; n < 3; ++n)
            m_ui.answerMessage(MsgResult::Yes);
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
    QByteArray noise(120 * 1024, 0); // does not compress below the disk's size
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
    ASSERT_TRUE(m_fs.writeFile(kFavorites + u"\\big.bin"_s, noise));
    m_state.saveFolder = u"a:\\"_s;
    m_state.backupFile = u"a:\\set.eaz"_s;
    m_state.clearDisks = false;
    ui.answerMessage(MsgResult::Ok); // the first diskette is in
    m_run = std::make_unique<BackupRun>(m_platform, ui, m_settings, m_state, m_grid, m_totals,
                                        m_progress);
    InlineTaskRunner runner;
    m_run->start(runner, {});
    ASSERT_EQ(ui.messages().last(), u"Backup is complete"_s);
    const Files favorites = filesBelow(host(kFavorites));

    // The user loses the favourites and starts the restore with the first disk in the drive.
    QDir(host(kFavorites)).removeRecursively();
    ui.insert(1);
    ASSERT_GE(ui.disks(), 2) << "the set fits one disk: the scenario proves nothing";
    ui.asked.clear();
    m_restoreUi = &ui;
    ASSERT_TRUE(open(context(0, u"a:\\set.eaz"_s)));
    mark({u"IE Favorites"_s});
    EXPECT_EQ(restore().status, RestoreOutcome::Status::Completed);
    EXPECT_EQ(filesBelow(host(kFavorites)), favorites);
    EXPECT_EQ(ui.asked.value(0), ui.disks()) << "the directory is on the last disk";
}

// Favorites entries lose the row's folder, found without regard to case; one that would then
// name a root is refused ("").
TEST_F(RestoreScenarioTest, HookNamesFavoritesBelowTheirFolder)
{
    RestoreContext context;
    QList<RestoreItem> items;
    RunLog log(m_fs);
    std::atomic<bool> cancel{false};
    RestoreZipListener listener(m_fs, m_ui, m_progress, log, context, items, cancel);
    zip::ZipComponent zip(m_fs);
    listener.beginStep(RestoreZipListener::Step::Favorites, zip);
    listener.setFavoritesPrefix(u"users\\tester\\Favorites\\"_s);
    const std::pair<QString, QString> cases[] = {
        {u"USERS\\Tester\\favorites\\Links\\a.url"_s, u"Links\\a.url"_s},
        {u"users\\tester\\Favorites\\\\evil.url"_s, QString()},
        {u"other\\b.url"_s, u"other\\b.url"_s},
    };
    for (const auto& [entry, expected] : cases) {
        QString dest = entry;
        listener.extractingFile(entry, dest);
        EXPECT_EQ(dest, expected) << entry.toStdString();
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
