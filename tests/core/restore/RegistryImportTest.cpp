#include "restore/RegistryImport.h"
#include "RegistryDump.h"
#include "backup/RegistryScript.h"
#include "support/OddRegistryValues.h"

#include <gtest/gtest.h>

#include <optional>

using namespace kv;
using namespace kv::platform;
using namespace Qt::StringLiterals;

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
        {R"("a"="l\r\nm")", u"a"_s, sz(u"l\r\nm"_s)},
        {R"("a"="c:\tmp")", u"a"_s, sz(u"c:\\tmp"_s)}, // unknown escapes stay
        {"\"a\"=\"caf\xe9 \x80\"", u"a"_s, sz(u"café €"_s)},
        {R"("q\"n\\"="v" ; comment)", u"q\"n\\"_s, sz(u"v"_s)},
        {R"(@="def")", {}, sz(u"def"_s)},
        {"  \"a\" = dword:1F", u"a"_s, RegValue::fromDword(0x1f)},
        {"\"a\"=hex:01,\\\r\n  02,03", u"a"_s, raw("010203", kRegBinary)},
        {"\"a\"=hex:0a , B ;c", u"a"_s, raw("0a0b", kRegBinary)},
        {R"("a"=hex(2):25,e9,00)", u"a"_s, raw("2500e9000000", kRegExpandSz)},
        {R"("a"=hex(1):41)", u"a"_s, raw("41000000", kRegSz)}, // the editor adds the NUL
        {R"("a"=hex(7):61,00,00)", u"a"_s, raw("610000000000", kRegMultiSz)},
        {R"("a"=hex(2):)", u"a"_s, raw("", kRegExpandSz)},
        {R"("old"=-)", u"old"_s, std::nullopt},
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
    EXPECT_EQ(result.refusedKeys, 3);
    EXPECT_EQ(result.refusedValues, 2);
    EXPECT_EQ(result.keysWritten, 1);
    EXPECT_EQ(result.keysDeleted, 1);
    EXPECT_EQ(registry.openKey(Hive::CurrentUser, u"Software\\A\\Gone"_s), kErrorFileNotFound);
    EXPECT_EQ(result.valuesWritten, 1);
    EXPECT_EQ(result.problems.size(), 5);
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
        {"\"a\"=\"x\"y\"", false},
        {"\"a=1", false},
        {"\"a\" \"b\"", false},
        {"\"a\"=\"\\0\"", false},
        {"\"a\"=dword:123456789", false},
        {"\"a\"=str:x", false},
        {"garbage", false},
        {"[HKEY_NOWHERE\\X]", true},
        {"[HKEY_CURRENT_USER\\X", true},
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

TEST(RegistryImportTest, NoScriptOrAFailingRegistryStopsTheImport)
{
    test::FakeRegistry plain;
    EXPECT_EQ(import(plain, "REGEDIT5\r\n[HKEY_CURRENT_USER\\Software\\T]\r\n").error,
              kErrorInvalidData);
    EXPECT_EQ(plain.openKey(Hive::CurrentUser, kKey), kErrorFileNotFound);
    EXPECT_EQ(import(plain, {}).error, kErrorInvalidData);

    test::HeldRegistry held;
    held.setReadOnly(true);
    const RegistryImportResult result = import(held, kHead + "\"a\"=\"1\"\r\n");
    EXPECT_EQ(result.error, kErrorAccessDenied);
    EXPECT_EQ(result.keysWritten + result.valuesWritten, 0);
    EXPECT_TRUE(result.errorText.contains(u"Wine programs"_s));
}

TEST(RegistryImportTest, AVersionFiveFileIsReadAsUtf16)
{
    const QString text = u"Windows Registry Editor Version 5.00\r\n\r\n"
                         u"[HKEY_CURRENT_USER\\Software\\T]\r\n"
                         u"\"s\"=\"café € \\\"x\\\"\"\r\n"
                         u"\"e\"=hex(2):25,00,e9,00,00,00\r\n"_s;
    const QByteArray script =
        "\xff\xfe" + QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    test::FakeRegistry registry;
    const RegistryImportResult result = import(registry, script);
    EXPECT_TRUE(result.ok());
    EXPECT_EQ(result.valuesWritten, 2);
    EXPECT_EQ(valueOf(registry, kKey, u"s"_s), RegValue::fromString(u"café € \"x\""_s));
    EXPECT_EQ(valueOf(registry, kKey, u"e"_s),
              RegValue::fromBinary(QByteArray::fromHex("2500e9000000"), kRegExpandSz));
}
