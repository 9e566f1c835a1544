#include "backup/RegistryScript.h"
#include "support/FakeRegistry.h"

#include <gtest/gtest.h>

using namespace kv;
using namespace kv::platform;
using namespace Qt::StringLiterals;

namespace {

const QString kKey = u"Software\\Test"_s;

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out += char(v);
    return out;
}

QByteArray utf16(const QString& text)
{
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

} // namespace

// What the Wine round trip in SettingsExportTest cannot see: the editor's exact line forms.
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
        {u"short dword"_s, RegValue::fromBinary(bytes({1, 2, 3}), kRegDword),
         "\"short dword\"=hex(4):01,02,03"},
        {u"Bin"_s, RegValue::fromBinary(sixty), wrapped},
        {u"lines"_s, RegValue::fromString(u"a\r\nb"_s), "\"lines\"=hex(1):61,0d,0a,62,00"},
        {u"unterminated"_s, RegValue::fromBinary(utf16(u"ab"_s), kRegSz),
         "\"unterminated\"=hex(1):61,62"},
        {u"line\nname"_s, RegValue::fromDword(1), "\"line\\nname\"=dword:00000001"},
    };
    for (const auto& c : cases) {
        test::FakeRegistry registry;
        ASSERT_EQ(registry.setValue(Hive::CurrentUser, kKey, c.name, c.value), kErrorSuccess);
        // Asked in other letters, the key line keeps the spelling the registry stores.
        const QByteArray script =
            RegistryScript::exportKey(registry, Hive::CurrentUser, u"SOFTWARE\\test"_s, false);
        EXPECT_EQ(script,
                  "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Test]\r\n" + c.line + "\r\n\r\n")
            << c.name.toStdString();
    }
}
