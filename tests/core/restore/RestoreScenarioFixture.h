#pragma once

// The restore scenarios' environment: a generated store with its settings backed up by the real
// backup run, the changes a user makes afterwards, and the restore driven as the window does.
#include "../backup/BackupFixture.h"
#include "RegistryDump.h"

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
#include "util/TaskRunner.h"
#include "zip/ZipComponent.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QtEndian>

// Store files are large and binary: a failure names their size and a digest, not every byte.
inline void PrintTo(const QByteArray& bytes, std::ostream* os)
{
    *os << bytes.size() << " bytes, crc " << qChecksum(bytes);
}

namespace kv::test {

using namespace Qt::StringLiterals;
using platform::Hive;

const QString kProgram = u"C:\\Program Files\\Korvane"_s;
const QString kWab = u"C:\\users\\tester\\Application Data\\Microsoft\\Address Book\\tester.wab"_s;
const QString kFavorites = u"C:\\users\\tester\\Favorites"_s;
const QString kStoreRoot = u"C:\\users\\tester\\Mail\\Main"_s;
const ItemKind kGroups[] = {ItemKind::Rules, ItemKind::Accounts, ItemKind::Signatures};

// Relative path ("/" separators) -> bytes of every file below a host folder.
using Files = QMap<QString, QByteArray>;

// Wine finds files without regard to case: so does the comparison.
inline QByteArray noCase(const Files& files, const QString& name)
{
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        if (it.key().compare(name, Qt::CaseInsensitive) == 0)
            return it.value();
    return {};
}

inline Files filesBelow(const QString& hostFolder)
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

// Rewrites a zip with Python's own zipfile: entries whose stored name ends in a key get that
// file's bytes, the other keys are added as new entries.
inline bool rewriteArchive(const QString& source, const QString& target,
                           const QList<std::pair<QString, QString>>& entries, QString* output)
{
    QStringList args{
        u"-c"_s,
        u"import sys, zipfile\n"
        "src, dst = zipfile.ZipFile(sys.argv[1]), zipfile.ZipFile(sys.argv[2], 'w', 8)\n"
        "new = dict(a.split('=', 1) for a in sys.argv[3:])\n"
        "for info in src.infolist():\n"
        "    hit = [k for k in new if info.filename.replace('\\\\', '/').endswith(k)]\n"
        "    dst.writestr(info, open(new.pop(hit[0]), 'rb').read() if hit else "
        "src.read(info))\n"
        "for name, path in new.items():\n"
        "    dst.writestr(zipfile.ZipInfo(name), open(path, 'rb').read())\n"
        "dst.close()\n"_s,
        source, target};
    for (const auto& [name, path] : entries)
        args << name + u'=' + path;
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(u"python3"_s, args);
    const bool ok = p.waitForFinished(60000) && p.exitCode() == 0;
    *output = QString::fromLocal8Bit(p.readAll());
    return ok;
}

// A diskette drive whose disks are files of a folder: a request for disk n (0 the last) keeps
// the disk in the drive and puts disk n in, blank when it was never written.
class DiskSwappingUi : public ScriptedUi
{
public:
    MsgResult messageBox(const QString& text, MsgButtons buttons, MsgIcon icon,
                         const QString& title) override
    {
        if (!text.startsWith(u"Please insert "_s))
            return ScriptedUi::messageBox(text, buttons, icon, title);
        record("message", text, title);
        asked << insert(QRegularExpression(u"# ?(\\d+)"_s).match(text).captured(1).toInt());
        return MsgResult::Ok;
    }
    QString disk(int n) const { return pieces + u'/' + QString::number(n); }
    int disks() const { return int(QDir(pieces).entryList(QDir::Files).size()); }
    int insert(int n)
    {
        if (QFile::exists(drive + u"/set.eaz"_s)) {
            QFile::remove(disk(inDrive));
            QFile::rename(drive + u"/set.eaz"_s, disk(inDrive));
        }
        inDrive = n == 0 ? disks() : n;
        QFile::copy(disk(inDrive), drive + u"/set.eaz"_s);
        return inDrive;
    }

    QString drive, pieces;
    int inDrive = 1;
    QList<int> asked;
};

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

    QString groupKey(ItemKind kind) const
    {
        return settingsGroupKeys(kind, m_store.oe5, m_store.identityId).first();
    }

    // The environment with its settings in the registry, backed up by the real backup run.
    void backUp(bool oe5)
    {
        m_store.oe5 = oe5;
        makeEnvironment(m_store);
        if (HasFatalFailure())
            return;
        for (ItemKind kind : kGroups) {
            registry().setString(Hive::CurrentUser, groupKey(kind) + u"\\Entry 1"_s, u"Name"_s,
                                 u"saved "_s + settingsGroup(kind)->rowText);
            registry().setDword(Hive::CurrentUser, groupKey(kind), u"Count"_s, 1);
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

    Snapshot snapshot()
    {
        Snapshot s;
        s.store = filesBelow(host(kStoreRoot));
        // The group's own key only: the accounts' export may add the identity's account key.
        for (ItemKind kind : kGroups)
            s.registry << dump(registry(), groupKey(kind));
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
        ASSERT_TRUE(m_fs.removeFile(storeFolder() + u"Sent Items"_s +
                                    (m_store.oe5 ? u".dbx"_s : u".mbx"_s)));
        ASSERT_EQ(registry().deleteKeyTree(Hive::CurrentUser, groupKey(ItemKind::Rules)),
                  platform::kErrorSuccess);
        const QString sigs = groupKey(ItemKind::Signatures);
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
        m_state.restoreType = restoreType;
        m_state.backupFile = archive.isEmpty() ? archivePath() : archive;
        RestoreContext c = restoreContextFor(m_platform, m_state);
        c.currentWabPath = kWab; // the generated prefix registers neither
        c.favoritesFolder = kFavorites;
        c.restoreLogPath = kProgram + u"\\LastRestore.log"_s;
        return c;
    }

    // The start of a restore: the archive's list on the page, the current folders loaded.
    bool open(RestoreContext context)
    {
        m_page.clear();
        m_current.clear();
        m_context = context;
        RestoreStart start(*m_restorePlatform, *m_restoreUi);
        const RestoreStart::ListLoad load =
            start.loadItemList(m_context, {false, m_store.oe5, true, false}, m_page);
        if (load.status != RestoreStart::ListStatus::Loaded)
            return false;
        m_context.archiveWabName = load.list.addressBookFile;
        m_context.backupIdentityId = load.list.identityId;
        const bool loaded = start.loadCurrentFolders(m_context, m_settings, m_current);
        m_selection = std::make_unique<RestoreSelection>(m_context, m_fs, *m_restoreUi, m_page,
                                                         m_current, loaded);
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
    // The full restore's other items with their questions: address book, store copy, imports.
    void markOtherItems(MsgResult storeCopy)
    {
        mark({u"Windows Address Book (WAB)"_s, u"IE Favorites"_s, u"Rules Wizard"_s, u"Accounts"_s,
              u"Signatures"_s});
        m_ui.answerWabRestore(WabRestoreTarget::NormalLocation);
        if (m_store.oe5)
            m_ui.answerMessage(storeCopy);
        for (int n = 0; n < 3; ++n)
            m_ui.answerMessage(MsgResult::Yes);
    }
    RestoreOutcome restore()
    {
        RestoreRun run(*m_restorePlatform, *m_restoreUi, m_progress);
        return run.run(m_context, restoreItemsOf(m_page));
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

    // Everything saved comes back; what was there is kept (trash, ".wax", "_001", dated copies).
    void fullRestore(bool oe5)
    {
        backUp(oe5);
        changeEnvironment();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(open(context(2)));
        if (!oe5)
            m_selection->markClicked(m_page.findCell(cell::Type, u"20"_s));
        markOtherItems(MsgResult::Yes);
        const RestoreOutcome outcome = restore();
        EXPECT_EQ(outcome.status, RestoreOutcome::Status::Completed);
        EXPECT_EQ(outcome.skippedFiles + outcome.failedSteps + m_ui.pendingAnswers(), 0);
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
        // Version 5 copies the store aside and bins the replaced files, the store's own too;
        // version 4 moves its mail and news folders aside whole.
        const Files kept = storeFiles(oe5 ? u"backup2026-12-06"_s : QString());
        for (auto it = m_changed.store.cbegin(); it != m_changed.store.cend(); ++it) {
            QString aside = it.key();
            if (!oe5)
                aside.replace(QRegularExpression(u"^(Mail|News/[^/]+)/"_s), u"\\1_001/"_s);
            EXPECT_EQ(kept.value(aside), it.value()) << aside.toStdString();
        }
        if (oe5) {
            EXPECT_TRUE(trash().contains(m_changed.store.value(u"Inbox.dbx"_s)));
            EXPECT_TRUE(trash().contains(noCase(m_changed.store, u"folders.dbx"_s)));
        }
        EXPECT_TRUE(
            fileLines(m_context.restoreLogPath).contains(u"Message Folders Restore Complete"_s));
    }

    // Every file of the prefix outside the given folders (relative to the prefix).
    Files filesOutside(const QStringList& allowed)
    {
        Files all = filesBelow(m_fs.prefix().folder());
        all.removeIf([&](const auto& it) {
            return std::any_of(allowed.begin(), allowed.end(),
                               [&](const QString& a) { return it.key().startsWith(a); });
        });
        return all;
    }

    // The restore may write another registry than the backup read (a real prefix's).
    platform::Platform* m_restorePlatform = &m_platform;
    ScriptedUi* m_restoreUi = &m_ui;
    Store m_store;
    Snapshot m_saved, m_changed;
    RestoreContext m_context;
    TreeListModel m_page, m_current;
    std::unique_ptr<RestoreSelection> m_selection;
};

} // namespace kv::test
