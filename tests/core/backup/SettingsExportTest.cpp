#include "backup/SettingsExport.h"
#include "backup/RegistryScript.h"
#include "platform/Platform.h"
#include "platform/posix/WineRegistry.h"
#include "support/FakeProcesses.h"
#include "support/FakeRegistry.h"
#include "support/FakeSystem.h"
#include "support/FaultInjectingFileSystem.h"
#include "support/OddRegistryValues.h"
#include "support/QtPrinters.h"
#include "support/RequiredPrograms.h"
#include "support/WineRunner.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace kv;
using namespace kv::platform;
using namespace Qt::StringLiterals;

namespace {

const QString kId = u"{1D2C-77}"_s;
const QString kFolder = u"C:\\Program Files\\Korvane"_s;
const QString kOe = u"Software\\Microsoft\\Outlook Express\\"_s;
const QString kOe5 = u"Identities\\{1D2C-77}\\Software\\Microsoft\\Outlook Express\\5.0\\"_s;
const QString kShared = u"Software\\Microsoft\\Internet Account Manager"_s;
const QString kOwn = u"Identities\\{1D2C-77}\\Software\\Microsoft\\Internet Account Manager"_s;

struct Fixture
{
    test::FakeRegistry registry;
    test::FaultInjectingFileSystem files{{}, &registry};
    test::FakeSystem system;
    test::FakeProcesses processes;
    Platform platform{registry, files, system, processes};
    bool folderMade = files.makeSurePath(kFolder + u'\\');

    void set(const QString& key, const QString& text = u"x"_s)
    {
        registry.setString(Hive::CurrentUser, key, u"v"_s, text);
    }
    SettingsExportResult run(bool oe5, const QString& folder = kFolder)
    {
        return SettingsExport(platform).run({folder, oe5, kId});
    }
    QByteArray file(const QString& name) { return files.readFile(kFolder + u'\\' + name); }
};

// The groups' files without ".reg", in row order, "-" for a group with none.
QString summary(const SettingsExportResult& result)
{
    QStringList out;
    for (const ExportedGroup& g : result.groups)
        out << (g.regPath.isEmpty() ? u"-"_s : g.regPath.section(u'\\', -1).chopped(4));
    return out.join(u'|');
}

// Every value and subkey below `path`, one line each, in a stable order.
QStringList dump(IRegistry& registry, const QString& path)
{
    QStringList lines;
    QList<RegNamedValue> values;
    EXPECT_EQ(registry.enumValues(Hive::CurrentUser, path, &values), kErrorSuccess)
        << path.toStdString();
    for (const RegNamedValue& v : std::as_const(values))
        lines << u"%1 [%2] %3=%4"_s.arg(path, v.name)
                     .arg(v.value.type)
                     .arg(QString::fromLatin1(v.value.data.toHex()));
    QStringList subkeys;
    registry.enumSubKeys(Hive::CurrentUser, path, &subkeys);
    for (const QString& name : std::as_const(subkeys))
        lines << path + u'\\' + name << dump(registry, path + u'\\' + name);
    lines.sort(Qt::CaseInsensitive);
    return lines;
}

} // namespace

TEST(SettingsExportTest, GroupsByModeAndSystem)
{
    const struct
    {
        bool oe5;
        bool nt;
        QStringList keys;
        QString expected;
    } cases[] = {
        {false,
         false,
         {kOe + u"Mail\\Inbox Rules"_s, kOe + u"Signatures"_s, kOe + u"Block Senders"_s, kShared,
          u"RemoteAccess"_s},
         u"Internet Accounts|Block Senders|Preferences|Remote Access|Rules Wizard|Signatures"_s},
        {true,
         true,
         {kOe5 + u"Rules"_s, kOe5 + u"Mail"_s, kOe5 + u"Block Senders"_s, kShared,
          u"RemoteAccess"_s, kOe + u"Signatures"_s},
         u"Internet Accounts|Block Senders|Preferences|-|Rules Wizard|-"_s},
        {true, false, {kOe5 + u"Signatures"_s, kOe + u"Mail"_s}, u"-|-|-|-|-|Signatures"_s},
    };
    for (const auto& c : cases) {
        Fixture f;
        f.system.setVersion({5, 1, 2600, c.nt ? 2u : 1u, {}});
        for (const QString& key : c.keys)
            f.set(key);
        // A file of an earlier run whose key has gone must not be offered again.
        ASSERT_TRUE(f.files.writeFile(kFolder + u"\\Remote Access.reg"_s, "old"));
        const SettingsExportResult result = f.run(c.oe5);
        EXPECT_EQ(summary(result), c.expected) << c.oe5 << c.nt;
        EXPECT_TRUE(c.expected.contains(u"Remote"_s) || f.file(u"Remote Access.reg"_s).isEmpty());
        // Version 4 keeps its rules below the preferences and exports them on their own.
        EXPECT_FALSE(f.file(u"Preferences.reg"_s).contains("Inbox Rules"));
    }
}

// Shared accounts go out twice, only key lines re-rooted, unless the identity has its own.
TEST(SettingsExportTest, AccountsFollowTheIdentitysDefaultMailAccount)
{
    Fixture f;
    f.set(kShared + u"\\Accounts\\00000001"_s, u"HKEY_CURRENT_USER is data"_s);
    f.registry.setString(Hive::CurrentUser, kOwn, u"Default Mail Account"_s, {});
    f.run(true);
    EXPECT_EQ(f.file(u"Internet Accounts.reg"_s).count("\"v\"=\"HKEY_CURRENT_USER is data\"\r\n"),
              2);
    f.registry.setString(Hive::CurrentUser, kOwn, u"Default Mail Account"_s, u"00000002"_s);
    f.set(kOwn + u"\\Accounts\\00000002"_s, u"own"_s);
    f.run(true);
    const QByteArray own = f.file(u"Internet Accounts.reg"_s);
    EXPECT_TRUE(own.contains("\"Default Mail Account\"=\"00000002\""));
    EXPECT_FALSE(own.contains("[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Account Manager"));
}

TEST(SettingsExportTest, AFullDiskLeavesNoHalfScript)
{
    Fixture f;
    const QString floppy = f.files.prefix().file(u"floppy"_s);
    f.files.mapDrive(u'A', floppy, DriveType::Removable, 200);
    f.set(kOe + u"Signatures"_s, QString(300, u's'));
    f.set(kOe + u"Block Senders"_s);
    const SettingsExportResult result = f.run(false, u"A:"_s);
    EXPECT_EQ(summary(result), u"-|Block Senders|-|-|-|-"_s);
    ASSERT_EQ(result.errors.size(), 1);
    EXPECT_EQ(result.errors.first(),
              u"The settings \"Signatures\" could not be saved in \"A:\\Signatures.reg\": the disk "
              "is full."_s);
    EXPECT_EQ(QDir(floppy).entryList(QDir::Files), QStringList{u"Block Senders.reg"_s});
}

TEST(SettingsExportTest, WinesRegistryEditorImportsEveryScriptExactly)
{
    KV_REQUIRE_PROGRAMS("wine", "wineboot", "wineserver");
    test::TempDir scratch;
    test::WineRunner wine(scratch.path());
    ASSERT_EQ(wine.run({u"wineboot"_s, u"-i"_s}, 300), 0);
    wine.waitForServerExit();

    Fixture f;
    QList<std::pair<QString, RegValue>> odd = test::oddRegistryValues();
    odd.append({u"link"_s, RegValue::fromBinary(QByteArray("\\\0R\0", 4), kRegLink)});
    const QStringList keys = {kOe5 + u"Rules\\Nested\\Deeper Ä"_s, kOe5 + u"Mail"_s,
                              kOe5 + u"Signatures\\0"_s,           kOe5 + u"Block Senders\\Mail"_s,
                              kShared + u"\\Accounts\\1"_s,        u"RemoteAccess\\Profile"_s};
    for (const QString& key : keys)
        for (const auto& [name, value] : odd)
            ASSERT_EQ(f.registry.setValue(Hive::CurrentUser, key, name, value), kErrorSuccess);

    const SettingsExportResult result = f.run(true);
    ASSERT_TRUE(result.errors.isEmpty()) << result.errors.join(u' ').toStdString();
    ASSERT_EQ(result.groups.size(), 6);
    QStringList import = {u"wine"_s, u"regedit"_s, u"/S"_s};
    for (const ExportedGroup& group : result.groups) {
        ASSERT_FALSE(group.regPath.isEmpty()) << group.rowText.toStdString();
        import << u"Z:"_s + f.files.toHostPath(group.regPath).replace(u'/', u'\\');
    }
    QByteArray out;
    EXPECT_EQ(wine.run(import, 120, &out), 0) << out.constData();
    wine.waitForServerExit();

    posix::WineRegistry imported{posix::WinePrefix(scratch.path())};
    for (const QString& top : {kOe5 + u"Rules"_s, kOe5 + u"Mail"_s, kOe5 + u"Signatures"_s,
                               kOe5 + u"Block Senders"_s, kShared, u"RemoteAccess"_s})
        EXPECT_EQ(dump(imported, top), dump(f.registry, top)) << top.toStdString();
    // The accounts of an identity without its own default account come back under it as well.
    QStringList moved = dump(f.registry, kShared);
    moved.replaceInStrings(kShared, kOwn);
    EXPECT_EQ(dump(imported, kOwn), moved);
}

// What the Wine round trip cannot see: the editor's exact line forms.
TEST(RegistryScriptTest, LinesHaveTheEditorsForm)
{
    QByteArray sixty;
    for (int i = 0; i < 60; ++i)
        sixty += char(i);
    QByteArray wrapped = "\"Bin\"=hex:";
    for (int i = 0; i < 60; ++i) {
        wrapped += QByteArray::number(i, 16).rightJustified(2, '0');
        if (i < 59)
            wrapped += ',';
        if (i == 22 || i == 47) // 80 columns with the "\", then 25 bytes a line
            wrapped += "\\\r\n  ";
    }
    const struct
    {
        QString name;
        RegValue value;
        QByteArray line;
    } cases[] = {
        {{}, RegValue::fromString(u"default"_s), "@=\"default\""},
        {u"q\"b\\s"_s, RegValue::fromString(u"C:\\a \"b\""_s), R"("q\"b\\s"="C:\\a \"b\"")"},
        {u"short dword"_s, RegValue::fromBinary("\x01\x02\x03", kRegDword),
         "\"short dword\"=hex(4):01,02,03"},
        {u"Bin"_s, RegValue::fromBinary(sixty), wrapped},
        {u"lines"_s, RegValue::fromString(u"a\r\nb"_s), "\"lines\"=hex(1):61,0d,0a,62,00"},
        {u"unterminated"_s, RegValue::fromBinary(QByteArray("a\0b\0", 4), kRegSz),
         "\"unterminated\"=hex(1):61,62"},
        {u"line\nname"_s, RegValue::fromDword(1), "\"line\\nname\"=dword:00000001"},
    };
    for (const auto& c : cases) {
        test::FakeRegistry registry;
        ASSERT_EQ(registry.setValue(Hive::CurrentUser, u"Software\\Test"_s, c.name, c.value),
                  kErrorSuccess);
        // Asked in other letters, the key line keeps the spelling the registry stores.
        const QByteArray script =
            RegistryScript::exportKey(registry, Hive::CurrentUser, u"SOFTWARE\\test"_s, false);
        EXPECT_EQ(script,
                  "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Test]\r\n" + c.line + "\r\n\r\n")
            << c.name.toStdString();
    }
}
