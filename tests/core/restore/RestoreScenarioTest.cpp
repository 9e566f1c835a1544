// Restores of archives the real backup made, over generated stores that changed since: what comes
// back equals what was saved, byte for byte, and whatever the restore replaced is kept where the
// user can find it. Damaged and hostile archives change nothing outside the destination.
#include "RestoreScenarioFixture.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QtEndian>

namespace kv::test {
namespace {

// Full restores in both versions: everything saved comes back; what was there before survives
// in the trash, the ".wax" book, the "_001" folders (version 4) or the dated store copy
// (version 5), and a dated copy of each replaced settings group.
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
    EXPECT_FALSE(QFile::exists(host(kFavorites) + u"/../escape.url"_s));
    EXPECT_FALSE(QFile::exists(host(u"C:\\users\\tester\\escape2.url"_s)));
    EXPECT_FALSE(QFile::exists(host(u"C:\\users\\tester\\Mail\\Inbox.dbx"_s)));
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
    QFile::remove(ui.drive + u"/set.eaz"_s);
    QFile::copy(ui.disk(1), ui.drive + u"/set.eaz"_s);
    ui.asked.clear();
    m_restoreUi = &ui;
    const qsizetype before = ui.messages().size();
    ASSERT_TRUE(open(context(0, u"a:\\set.eaz"_s)));
    mark({u"IE Favorites"_s});
    EXPECT_EQ(restore().status, RestoreOutcome::Status::Completed);
    EXPECT_EQ(filesBelow(host(kFavorites)), favorites);
    ASSERT_FALSE(ui.asked.isEmpty());
    EXPECT_EQ(ui.asked.first(), ui.lastDisk) << "the directory is on the last disk";
    const QStringList prompts = ui.messages().mid(before).filter(u"Please insert "_s);
    EXPECT_EQ(prompts.value(0), u"Please insert the last disk of the backup set"_s);
    const QRegularExpression disk(u"^Please insert disk #(\\d+) of the backup set$"_s);
    for (const QString& prompt : prompts.mid(1)) {
        const int n = disk.match(prompt).captured(1).toInt();
        EXPECT_TRUE(prompt == prompts[0] || (n >= 1 && n <= ui.lastDisk)) << prompt.toStdString();
    }
    EXPECT_EQ(ui.pendingAnswers(), 0);

    // Cancel at the first prompt: no list, and no copy of it left behind.
    ui.refuse = true;
    QFile::remove(ui.drive + u"/set.eaz"_s);
    QFile::copy(ui.disk(1), ui.drive + u"/set.eaz"_s);
    EXPECT_FALSE(open(context(0, u"a:\\set.eaz"_s)));
    EXPECT_FALSE(exists(kProgram + u"\\KorvaneBackup.log"_s));
}

} // namespace
} // namespace kv::test
