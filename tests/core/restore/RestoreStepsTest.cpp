// The restore's steps one by one: a registry script imported, a settings group restored, folders
// moved aside or copied first, skipped files reported.
#include "RegistryDump.h"
#include "backup/RegistryScript.h"
#include "backup/RunLog.h"
#include "backup/SettingsExport.h"
#include "platform/Platform.h"
#include "restore/RegistryImport.h"
#include "restore/RegistryRestore.h"
#include "restore/RestoreFolders.h"
#include "shell/GuardedRegistry.h"
#include "support/FakeProcesses.h"
#include "support/FakeSystem.h"
#include "support/FaultInjectingFileSystem.h"
#include "support/OddRegistryValues.h"
#include "support/QtPrinters.h"
#include "support/ScriptedUi.h"
#include "zip/ZipComponent.h"

#include <gtest/gtest.h>

#include <optional>

using namespace kv;
using namespace kv::platform;
using namespace Qt::StringLiterals;
using test::dump;
using test::FileCall;

namespace {

const QString kKey = u"Software\\T"_s;
const QByteArray kHead = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\T]\r\n";

RegistryImportResult import(IRegistry& registry, const QByteArray& script,
                            QList<RegistryKeyPrefix> allowed = {{Hive::CurrentUser, kKey}})
{
    return RegistryImport(registry, std::move(allowed)).run(script);
}

std::optional<RegValue> valueOf(IRegistry& registry, const QString& path, const QString& name)
{
    RegValue value;
    if (registry.queryValue(Hive::CurrentUser, path, name, &value) != kErrorSuccess)
        return std::nullopt;
    return value;
}

} // namespace

TEST(RegistryImportTest, WhatTheExporterWritesComesBackExactly)
{
    test::FakeRegistry source;
    QList<std::pair<QString, RegValue>> odd = test::oddRegistryValues();
    odd += {
        {u"name\nwith break"_s, RegValue::fromDword(7)},
    };
    const QStringList keys = {kKey, kKey + u"\\Nested\\Deeper Ä"_s, kKey + u"\\Other"_s};
    for (const QString& key : keys)
        for (const auto& [name, value] : odd)
            ASSERT_EQ(source.setValue(Hive::CurrentUser, key, name, value), kErrorSuccess);
    ASSERT_EQ(source.createKey(Hive::CurrentUser, kKey + u"\\Nested\\Empty"_s), kErrorSuccess);

    const QByteArray script = RegistryScript::exportKey(source, Hive::CurrentUser, kKey, true);
    test::FakeRegistry target;
    const RegistryImportResult result = import(target, script);
    EXPECT_TRUE(result.ok()) << result.errorText.toStdString();
    EXPECT_EQ(result.keysWritten, 5);
    EXPECT_EQ(result.valuesWritten, 3 * odd.size());
    EXPECT_EQ(result.damagedLines + result.refusedKeys + result.refusedValues, 0);
    EXPECT_EQ(test::dump(target, kKey), test::dump(source, kKey));
}

TEST(RegistryImportTest, EachLineFormGivesItsValue)
{
    const auto sz = [](const QString& text) { return RegValue::fromString(text); };
    const auto raw = [](const char* hex, quint32 type) {
        return RegValue::fromBinary(QByteArray::fromHex(hex), type);
    };
    // lines, value name, its value (nullopt: gone)
    const std::tuple<QByteArray, QString, std::optional<RegValue>> cases[] = {
        {R"("a"="x\\y \"q\"")", u"a"_s, sz(u"x\\y \"q\""_s)},
        {R"("a"="c:\tmp")", u"a"_s, sz(u"c:\\tmp"_s)}, // unknown escapes stay
        {"\"a\"=\"caf\xe9 \x80\"", u"a"_s, sz(u"café €"_s)},
        {R"("q\"n\\"="v" ; comment)", u"q\"n\\"_s, sz(u"v"_s)},
        {R"(@="def")", {}, sz(u"def"_s)},
        {"  \"a\" = dword:1F", u"a"_s, RegValue::fromDword(0x1f)},
        {"\"a\"=hex:01,\\\r\n  02,03", u"a"_s, raw("010203", kRegBinary)},
        {"\"a\"=hex:0a , B ;c", u"a"_s, raw("0a0b", kRegBinary)},
        {R"("a"=hex(2):25,e9,00)", u"a"_s, raw("2500e9000000", kRegExpandSz)},
        {R"("a"=hex(1):41)", u"a"_s, raw("41000000", kRegSz)}, // the editor adds the NUL
        {"\"old\"=\"new\"\n\"old\"=-", u"old"_s, std::nullopt},
    };
    for (const auto& [lines, name, value] : cases) {
        SCOPED_TRACE(lines.toStdString());
        test::FakeRegistry registry;
        registry.setString(Hive::CurrentUser, kKey, u"old"_s, u"old"_s);
        const RegistryImportResult result = import(registry, kHead + lines + "\r\n");
        EXPECT_TRUE(result.ok());
        EXPECT_EQ(result.damagedLines, 0) << result.problems.join(u'\n').toStdString();
        EXPECT_EQ(valueOf(registry, kKey, name), value);
    }
}

// A deletion takes the key's tree, inside the allowed key only.
TEST(RegistryImportTest, KeysOutsideTheAllowedOnesAreRefusedWhole)
{
    test::FakeRegistry registry;
    registry.setString(Hive::CurrentUser, u"Software\\Keep"_s, u"v"_s, u"1"_s);
    registry.setString(Hive::CurrentUser, u"Software\\A\\Gone\\Deep"_s, u"v"_s, u"1"_s);
    const QByteArray script = "REGEDIT4\r\n"
                              "\"before\"=\"any key\"\r\n"            // 2: no key yet
                              "[HKEY_CURRENT_USER\\Software\\AB]\r\n" // 3: not a whole component
                              "\"v\"=\"1\"\r\n"
                              "[HKEY_LOCAL_MACHINE\\Software\\A]\r\n" // 5: other hive
                              "\"v\"=\"1\"\r\n"
                              "[-HKEY_CURRENT_USER\\Software]\r\n" // 7: above the allowed key
                              "\"v\"=\"1\"\r\n"
                              "[-HKEY_CURRENT_USER\\software\\a\\GONE]\r\n"
                              "\"after delete\"=\"1\"\r\n" // 10: no key any more
                              "[hkey_current_user\\SOFTWARE\\a\\Sub]\r\n"
                              "\"v\"=\"ok\"\r\n";
    const RegistryImportResult result =
        import(registry, script, {{Hive::CurrentUser, u"Software\\A"_s}});
    EXPECT_TRUE(result.ok());
    EXPECT_EQ(result.refusedKeys + result.refusedValues, 5);
    EXPECT_EQ(result.keysDeleted, 1);
    EXPECT_EQ(registry.openKey(Hive::CurrentUser, u"Software\\A\\Gone"_s), kErrorFileNotFound);
    EXPECT_EQ(result.valuesWritten, 1);
    EXPECT_TRUE(result.problems.value(0).startsWith(u"Line 2:"_s));
    EXPECT_EQ(registry.openKey(Hive::CurrentUser, u"Software\\AB"_s), kErrorFileNotFound);
    EXPECT_EQ(registry.openKey(Hive::LocalMachine, u"Software\\A"_s), kErrorFileNotFound);
    EXPECT_EQ(registry.string(Hive::CurrentUser, u"Software\\Keep"_s, u"v"_s), u"1"_s);
    EXPECT_EQ(registry.string(Hive::CurrentUser, u"Software\\A\\Sub"_s, u"v"_s), u"ok"_s);
}

TEST(RegistryImportTest, DamagedLinesAreCountedAndSkipped)
{
    // The next line goes too after a "\" at the end, or in the section of a damaged key line.
    const std::pair<QByteArray, bool> cases[] = {
        {"\"a\"=hex:01,02,\\", true},
        {"\"a\"=hex:0102", false},
        {"\"a\"=hex:1,,2", false},
        {"\"a\"=hex(zz):00", false},
        {"\"a\"=\"open", false},
        {"\"a=1", false},
        {"\"a\"=\"\\0\"", false},
        {"\"a\"=dword:123456789", false},
        {"\"a\"=str:x", false},
        {"garbage", false},
        {"[HKEY_NOWHERE\\X]", true},
        {"[HKEY_CURRENT_USER\\X", true},
        {"\"a\"=\"" + QByteArray(4'200'000, 'x') + "\"", false},                   // over 4 M
        {"\"a\"=hex:" + QByteArray("00,00,\\\n").repeated(800'000) + "00", false}, // over 4 M
    };
    for (const auto& [line, dropsNext] : cases) {
        SCOPED_TRACE(line.left(40).toStdString());
        test::FakeRegistry registry;
        const RegistryImportResult result =
            import(registry, kHead + "\"ok\"=\"1\"\r\n" + line + "\r\n\"after\"=\"1\"\r\n");
        EXPECT_TRUE(result.ok());
        EXPECT_EQ(result.damagedLines, 1);
        EXPECT_TRUE(result.problems.value(0).startsWith(u"Line 5: "_s));
        EXPECT_FALSE(valueOf(registry, kKey, u"a"_s));
        EXPECT_EQ(registry.string(Hive::CurrentUser, kKey, u"ok"_s), u"1"_s);
        EXPECT_EQ(valueOf(registry, kKey, u"after"_s).has_value(), !dropsNext);
    }
}

TEST(RegistryImportTest, WhatIsNoScriptIsNotImported)
{
    test::FakeRegistry plain;
    EXPECT_EQ(import(plain, "REGEDIT5\r\n[HKEY_CURRENT_USER\\Software\\T]\r\n").error,
              kErrorInvalidData);
    EXPECT_EQ(plain.openKey(Hive::CurrentUser, kKey), kErrorFileNotFound);
    EXPECT_EQ(import(plain, {}).error, kErrorInvalidData);
}

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
    }
    const QList<FileEntry> copies = safetyCopies();
    ASSERT_EQ(copies.size(), 1);
    EXPECT_TRUE(m_fs.readFile(kProg + u'\\' + copies[0].name).contains("current rule"));
    EXPECT_TRUE(logHas(u"Prior settings saved in: "_s + kProg + u'\\' + copies[0].name));
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
        bool held, dialUpOnNt;
        QString entry;
        MsgResult answer; // to the import's confirmation, Ok for none asked
        O outcome;
        QString message; // "" none
    } cases[] = {
        {"held registry", true, false, script, MsgResult::Ok, O::RegistryHeld,
         GuardedRegistry::lockedText()},
        {"declined", false, false, script, MsgResult::No, O::Declined,
         RegistryRestore::confirmationText(kProg + u'\\' + script)},
        {"dial-up on NT", false, true, script, MsgResult::Ok, O::Skipped, {}},
        {"entry missing", false, false, u"Gone.reg"_s, MsgResult::Ok, O::NotExtracted,
         RegistryRestore::extractionFailedText(u"Rules Wizard"_s, zip::kZipFilesSkipped)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        m_registry.held = c.held;
        m_system.setVersion(c.dialUpOnNt ? nt : WindowsVersion{});
        const QString before = dump(m_registry, u"Identities"_s);
        if (c.answer != MsgResult::Ok)
            m_ui.answerMessage(c.answer);
        const qsizetype shown = m_ui.messages().size();
        const ItemKind kind = c.dialUpOnNt ? ItemKind::RemoteAccess : ItemKind::Rules;
        EXPECT_EQ(restore(kBackupId, true, kind, c.entry), c.outcome);
        EXPECT_EQ(dump(m_registry, u"Identities"_s), before);
        EXPECT_TRUE(safetyCopies().isEmpty());
        EXPECT_EQ(m_ui.messages().mid(shown),
                  c.message.isEmpty() ? QStringList() : QStringList{c.message});
    }
    EXPECT_TRUE(logEndsWith(
        u"Restoring Rules Wizard - Unexpected Error - %1"_s.arg(zip::kZipFilesSkipped)));
    EXPECT_EQ(m_ui.pendingAnswers(), 0);
}

const QDate kToday(2000, 5, 31);
const QString kBlanks(6, u' ');

struct Fixture
{
    test::FaultInjectingFileSystem fs;
    test::ScriptedUi ui;
    RunLog log{fs};
    RestoreFolders folders{fs, ui, &log};

    Fixture()
    {
        fs.makeSurePath(u"C:\\kv\\"_s);
        log.open(u"C:\\kv\\~temp.log"_s);
    }
    bool exists(const QString& path)
    {
        platform::FileEntry entry;
        return fs.stat(path, &entry);
    }
    QStringList savedLines(const QString& from, const QString& to)
    {
        return {u"Prior data in:"_s, from + kBlanks, u" was saved in:"_s, to + kBlanks, {}};
    }
};

} // namespace

TEST(RestoreFoldersTest, MoveAsideTakesTheFirstFreeCounterAndLeavesTheFolderEmpty)
{
    // Entries already beside the folder: a file blocks the name as a folder does.
    const std::pair<QStringList, QString> cases[] = {
        {{}, u"C:\\Mail_001"_s}, {{u"Mail_001\\"_s, u"Mail_002"_s}, u"C:\\Mail_003"_s}};
    for (const auto& [taken, expected] : cases) {
        Fixture f;
        f.fs.writeFile(u"C:\\Mail\\Inbox.mbx"_s, "old");
        for (const QString& t : taken)
            t.endsWith(u'\\') ? f.fs.makeSurePath(u"C:\\"_s + t)
                              : f.fs.writeFile(u"C:\\"_s + t, "x");

        ASSERT_TRUE(f.folders.moveAsideFolder(u"C:\\Mail\\"_s)) << qPrintable(expected);
        EXPECT_EQ(f.fs.readFile(expected + u"\\Inbox.mbx"_s), "old");
        EXPECT_TRUE(f.exists(u"C:\\Mail"_s));
        EXPECT_TRUE(f.fs.find(u"C:\\Mail\\*"_s).isEmpty());
        EXPECT_EQ(f.log.lines(), f.savedLines(u"C:\\Mail"_s, expected));
        EXPECT_TRUE(f.ui.messages().isEmpty());
    }
}

TEST(RestoreFoldersTest, MoveAsideFailuresLeaveTheFolderAsItWas)
{
    for (const FileCall call : {FileCall::MoveFile, FileCall::CreateDirectory}) {
        Fixture f;
        f.fs.writeFile(u"C:\\Mail\\Inbox.mbx"_s, "old");
        f.fs.failOn(call, u"C:\\Mail"_s);

        EXPECT_FALSE(f.folders.moveAsideFolder(u"C:\\Mail"_s));
        EXPECT_EQ(f.fs.readFile(u"C:\\Mail\\Inbox.mbx"_s), "old");
        EXPECT_FALSE(f.exists(u"C:\\Mail_001"_s));
        ASSERT_EQ(f.ui.messages().size(), 1);
        EXPECT_FALSE(f.log.lines().contains(u"Prior data in:"_s));
        EXPECT_TRUE(f.log.lines().contains(f.ui.messages().first()));
    }
}

TEST(RestoreFoldersTest, FailedSafetyCopyIsReportedAndStopsTheRestore)
{
    Fixture f;
    f.fs.writeFile(u"C:\\Store\\Folders.dbx"_s, "folders");
    f.fs.writeFile(u"C:\\Store\\Inbox.dbx"_s, "inbox");
    f.fs.failOn(FileCall::CopyFile, u"C:\\Store\\Inbox.dbx"_s, platform::kErrorDiskFull);
    f.ui.answerMessage(MsgResult::Yes);

    EXPECT_EQ(f.folders.offerSafetyCopy(u"C:\\Store\\"_s, kToday), SafetyCopyResult::Failed);
    ASSERT_EQ(f.ui.messages().size(), 2);
    EXPECT_TRUE(f.ui.messages()[1].contains(u"Inbox.dbx"_s)) << qPrintable(f.ui.messages()[1]);
    EXPECT_FALSE(f.log.lines().contains(u" was saved in:"_s));
    EXPECT_TRUE(f.log.lines().contains(f.ui.messages()[1]));
}
