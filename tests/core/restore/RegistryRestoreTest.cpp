#include "restore/RegistryRestore.h"
#include "RegistryDump.h"
#include "backup/RunLog.h"
#include "backup/SettingsExport.h"
#include "platform/Platform.h"
#include "shell/GuardedRegistry.h"
#include "support/FakeProcesses.h"
#include "support/FakeSystem.h"
#include "support/FaultInjectingFileSystem.h"
#include "support/QtPrinters.h"
#include "support/ScriptedUi.h"
#include "zip/ZipComponent.h"

#include <gtest/gtest.h>

#include <functional>

using namespace kv;
using namespace kv::platform;
using namespace Qt::StringLiterals;

namespace {

const QString kBackupId = u"{AAAA-1111}"_s;
const QString kOtherId = u"{BBBB-2222}"_s;
const QString kTail = u"\\Software\\Microsoft\\Outlook Express\\5.0\\Rules"_s;
const QString kProg = u"C:\\Prog"_s;
const QString kArchive = u"C:\\Backup\\b.eaz"_s;

QString rulesKey(const QString& id)
{
    return u"Identities\\"_s + id + kTail;
}

// A registry that another program can hold and that refuses one chosen value name.
class TestRegistry : public test::HeldRegistry
{
public:
    TestRegistry() { held = false; }
    QString poison;

    platform::WinError setValue(platform::Hive hive, const QString& path, const QString& name,
                                const RegValue& value) override
    {
        return !poison.isEmpty() && name == poison
                   ? kErrorAccessDenied
                   : FakeRegistry::setValue(hive, path, name, value);
    }
};

using test::dump;

class RegistryRestoreTest : public ::testing::Test
{
protected:
    RegistryRestoreTest()
    {
        m_fs.makeSurePath(u"C:\\Src\\"_s);
        m_fs.makeSurePath(kProg + u'\\');
        EXPECT_TRUE(m_log.open(RunLog::tempPath(kProg)));
        // What the user has now: a rule that the restore replaces.
        m_registry.setString(Hive::CurrentUser, rulesKey(kBackupId) + u"\\Old"_s, u"Name"_s,
                             u"current rule"_s);
    }

    // The archive as a backup of the identity makes it: the exported rules, zipped.
    void archiveExport()
    {
        test::FakeRegistry source;
        source.setString(Hive::CurrentUser, rulesKey(kBackupId) + u"\\Rule1"_s, u"Name"_s,
                         u"from backup"_s);
        source.setString(Hive::CurrentUser, rulesKey(kBackupId), u"Where"_s,
                         u"Identities\\"_s + kBackupId.toLower());
        exportAndZip(source, u"Rules Wizard.reg"_s);
    }
    void exportAndZip(IRegistry& source, const QString& file)
    {
        Platform platform{source, m_fs, m_system, m_processes};
        SettingsExport(platform).run({u"C:\\Src"_s, true, kBackupId});
        zipUp(file);
    }
    // The archive holding a script of our own when one is given.
    void zipUp(const QString& file, const QByteArray& script = {})
    {
        ASSERT_TRUE(script.isEmpty() ||
                    m_fs.writeFile(u"C:\\Src\\"_s + file, "REGEDIT4\r\n\r\n" + script));
        zip::ZipComponent zip(m_fs);
        zip.setArchiveName(kArchive);
        zip.setFilesToProcess(u"C:\\Src\\"_s + file);
        ASSERT_EQ(zip.zip(), 0);
    }

    RegistryRestoreOutcome restore(const QString& currentId = kBackupId, bool deleteFirst = true,
                                   ItemKind kind = ItemKind::Rules,
                                   const QString& entry = u"Rules Wizard.reg"_s)
    {
        Platform platform{m_registry, m_fs, m_system, m_processes};
        RegistryRestore restore(platform, m_log, m_ui);
        return restore.run({kind, kArchive, entry, u"Rules Wizard"_s, deleteFirst, true, kBackupId,
                            currentId, kProg, u"Korvane"_s});
    }
    QString value(const QString& key, const QString& name = u"Name"_s)
    {
        return m_registry.string(Hive::CurrentUser, key, name);
    }
    QList<FileEntry> safetyCopies() { return m_fs.find(kProg + u"\\Rules Wizard before*"_s); }
    bool logHas(const QString& text) { return !m_log.lines().filter(text).isEmpty(); }
    bool logEndsWith(const QString& line)
    {
        return m_log.lines().mid(m_log.lines().size() - 2) == QStringList{line, {}};
    }

    test::FaultInjectingFileSystem m_fs;
    TestRegistry m_registry;
    test::FakeSystem m_system;
    test::FakeProcesses m_processes;
    RunLog m_log{m_fs};
    test::ScriptedUi m_ui;
};

// Another identity's backup is rewritten to the current id; the same identity's restore keeps
// its other keys only without deleteFirst. The replaced keys are kept in a file first.
TEST_F(RegistryRestoreTest, AnotherIdentitysBackupIsRewrittenForTheCurrentOne)
{
    // current id, deleteFirst (the file is rewritten for the other id only)
    const std::tuple<QString, bool> cases[] = {{kOtherId, true}, {kBackupId.toLower(), false}};
    for (const auto& [currentId, deleteFirst] : cases) {
        SCOPED_TRACE(currentId.toStdString());
        const bool rewritten = currentId == kOtherId;
        m_fs.removeFile(kProg + u"\\Rules Wizard.reg.old"_s);
        archiveExport();
        m_ui.answerMessage(MsgResult::Yes);
        EXPECT_EQ(restore(currentId, deleteFirst), RegistryRestoreOutcome::Restored);
        EXPECT_EQ(value(rulesKey(currentId) + u"\\Rule1"_s), u"from backup"_s);
        EXPECT_EQ(value(rulesKey(currentId), u"Where"_s), u"Identities\\"_s + currentId);
        // The script as extracted is kept as ".old"; the backup's own identity stays as it was.
        EXPECT_EQ(m_fs.readFile(kProg + u"\\Rules Wizard.reg.old"_s).contains(kBackupId.toLatin1()),
                  rewritten);
        EXPECT_EQ(value(rulesKey(kBackupId) + u"\\Old"_s), u"current rule"_s);
        EXPECT_TRUE(logHas(u"Rules Wizard Restored"_s));
    }
    const QList<FileEntry> copies = safetyCopies();
    ASSERT_EQ(copies.size(), 1);
    EXPECT_TRUE(m_fs.readFile(kProg + u'\\' + copies[0].name).contains("current rule"));
    EXPECT_TRUE(logHas(u"Prior settings saved in: "_s + kProg + u'\\' + copies[0].name));
}

// An identity without its own default account carries the shared accounts twice: below itself
// and where they were. Both places belong to the group.
TEST_F(RegistryRestoreTest, AccountsComeBackBelowTheIdentityAndShared)
{
    const QString shared = u"Software\\Microsoft\\Internet Account Manager"_s;
    test::FakeRegistry source;
    source.setString(Hive::CurrentUser, shared + u"\\Accounts\\00000001"_s, u"Account Name"_s,
                     u"pop"_s);
    exportAndZip(source, u"Internet Accounts.reg"_s);
    m_ui.answerMessage(MsgResult::Yes);
    EXPECT_EQ(restore(kOtherId, true, ItemKind::Accounts, u"Internet Accounts.reg"_s),
              RegistryRestoreOutcome::Restored);
    for (const QString& root : {QString(), u"Identities\\"_s + kOtherId + u'\\'})
        EXPECT_EQ(m_registry.string(Hive::CurrentUser, root + shared + u"\\Accounts\\00000001"_s,
                                    u"Account Name"_s),
                  u"pop"_s)
            << root.toStdString();
    EXPECT_FALSE(logHas(u" - Skipped"_s));
}

TEST_F(RegistryRestoreTest, AFailedImportPutsThePreviousKeysBack)
{
    const QByteArray own = "[HKEY_CURRENT_USER\\" + rulesKey(kBackupId).toLatin1() + "\\Rule1]\r\n";
    // label, script, value name the registry refuses
    const std::tuple<const char*, QByteArray, QString> cases[] = {
        {"registry error", own + "\"Name\"=\"from backup\"\r\n\"Bad\"=\"x\"\r\n", u"Bad"_s},
        {"nothing importable", "[HKEY_CURRENT_USER\\Software\\Elsewhere]\r\n\"A\"=\"1\"\r\n", {}},
    };
    for (const auto& [label, script, poison] : cases) {
        SCOPED_TRACE(label);
        const QString before = dump(m_registry, u"Identities"_s);
        m_registry.poison = poison;
        zipUp(u"Rules Wizard.reg"_s, script);
        m_ui.answerMessage(MsgResult::Yes);
        EXPECT_EQ(restore(), RegistryRestoreOutcome::Failed);
        EXPECT_EQ(dump(m_registry, u"Identities"_s), before);
        EXPECT_EQ(m_ui.messages().last(), u"Restore of regisrty data for Rules Wizard failed."_s);
        EXPECT_TRUE(logEndsWith(u"Rules Wizard ******** Restore Failed ********"_s));
        EXPECT_TRUE(logHas(u"Prior settings put back from: "_s));
        for (const FileEntry& copy : safetyCopies())
            m_fs.removeFile(kProg + u'\\' + copy.name);
    }
}

TEST_F(RegistryRestoreTest, NothingChangesWhenTheRestoreStopsBeforeTheImport)
{
    archiveExport();
    WindowsVersion nt;
    nt.platformId = 2;
    const QString script = u"Rules Wizard.reg"_s;
    using O = RegistryRestoreOutcome;
    const struct
    {
        const char* label;
        std::function<void()> arrange;
        ItemKind kind;
        QString entry;
        MsgResult answer; // to the import's confirmation, Ok for none asked
        O outcome;
        QString message; // "" none
    } cases[] = {
        {"held registry", [&] { m_registry.held = true; }, ItemKind::Rules, script, MsgResult::Ok,
         O::RegistryHeld, GuardedRegistry::lockedText()},
        {"declined", [] {}, ItemKind::Rules, script, MsgResult::No, O::Declined,
         RegistryRestore::confirmationText(kProg + u'\\' + script)},
        {"dial-up on NT",
         [&] { m_system.setVersion(nt); },
         ItemKind::RemoteAccess,
         script,
         MsgResult::Ok,
         O::Skipped,
         {}},
        {"entry missing", [] {}, ItemKind::Rules, u"Gone.reg"_s, MsgResult::Ok, O::NotExtracted,
         RegistryRestore::extractionFailedText(u"Rules Wizard"_s, zip::kZipFilesSkipped)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        c.arrange();
        const QString before = dump(m_registry, u"Identities"_s);
        if (c.answer != MsgResult::Ok)
            m_ui.answerMessage(c.answer);
        const qsizetype shown = m_ui.messages().size();
        EXPECT_EQ(restore(kBackupId, true, c.kind, c.entry), c.outcome);
        EXPECT_EQ(dump(m_registry, u"Identities"_s), before);
        EXPECT_TRUE(safetyCopies().isEmpty());
        EXPECT_EQ(m_ui.messages().mid(shown),
                  c.message.isEmpty() ? QStringList() : QStringList{c.message});
        m_registry.held = false;
        m_system.setVersion({});
    }
    EXPECT_TRUE(logEndsWith(
        u"Restoring Rules Wizard - Unexpected Error - %1"_s.arg(zip::kZipFilesSkipped)));
    EXPECT_EQ(m_ui.pendingAnswers(), 0);
}

} // namespace
