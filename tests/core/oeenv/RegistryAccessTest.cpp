#include "oeenv/RegistryAccess.h"
#include "support/FakeRegistry.h"
#include "support/FaultInjectingFileSystem.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace kv;
using kv::platform::Hive;

namespace {

class RegistryAccessTest : public testing::Test
{
protected:
    RegistryAccessTest()
    {
        files.mapDrive(u'C', dir.file("drive_c"));
        files.writeFile(kIni, "[Software\\Test]\r\nName=from file\r\nCount=12\r\nOn=1\r\n");
        files.makeSurePath("C:\\a folder\\");
    }
    const QString kIni = "C:\\cfg\\settings.ini";
    test::TempDir dir;
    test::FakeRegistry reg;
    test::FaultInjectingFileSystem files;
    RegistryAccess rx{reg, files};
};

TEST_F(RegistryAccessTest, RootNamesSelectTheirHiveWithoutRegardToCase)
{
    const std::tuple<const char*, Hive, const char*> cases[] = {
        {"HKCU", Hive::CurrentUser, "Software\\T"},
        {"hklm", Hive::LocalMachine, "Software\\T"},
        {"Hku", Hive::Users, ".Default\\Software\\T"},
        {"hkcc", Hive::CurrentConfig, "Software\\T"},
        {"hkCR", Hive::ClassesRoot, "Software\\T"}};
    for (const auto& [root, hive, key] : cases) {
        ASSERT_EQ(rx.writeString(root, key, "V", root), 0);
        EXPECT_EQ(reg.string(hive, key, "V"), root);
    }
    // HKEY_DYN_DATA is a root name too, of a hive that only Windows 9x has.
    EXPECT_EQ(rx.writeString("HKDD", "PerfStats", "V", "x"), long(platform::kErrorInvalidHandle));
    EXPECT_EQ(rx.lookupRoot(kIni), RegistryAccess::RootKind::ProfileFile);
    for (const char* notRoot : {"C:\\a folder", "C:\\cfg\\*.ini", ""})
        EXPECT_EQ(rx.lookupRoot(notRoot), RegistryAccess::RootKind::Invalid);
}

// A failure of any kind leaves every result as it was.
TEST_F(RegistryAccessTest, FailuresGiveTheirCodeAndLeaveEveryResultUntouched)
{
    reg.setString(Hive::CurrentUser, "K", "V", "x");
    for (const QString& root :
         QStringList{"HKEY_CURRENT_USER", "HKCU2", "C:\\missing.ini", "C:\\a folder", ""}) {
        QString text = "prior", list = "prior";
        bool flag = true;
        quint32 number = 77;
        EXPECT_EQ(rx.readString(root, "K", "V", &text), 99);
        EXPECT_EQ(rx.readBool(root, "K", "V", &flag), 99);
        EXPECT_EQ(rx.readDword(root, "K", "V", &number), 99);
        EXPECT_EQ(rx.enumSubKeys(root, "K", &list), 99);
        EXPECT_EQ(rx.writeString(root, "K", "V", "new"), 99);
        EXPECT_EQ(text + list + QString::number(number) + QString::number(flag), "priorprior771");
    }
    EXPECT_EQ(reg.string(Hive::CurrentUser, "K", "V"), "x");

    // Failures of the system report its code.
    RegistryAccess::Value v;
    v.text = "prior";
    EXPECT_EQ(rx.readString("HKCU", "No\\Key", "V", &v.text), platform::kErrorFileNotFound);
    EXPECT_EQ(rx.readValue("HKCU", "K", "V", "Q", &v), platform::kErrorInvalidParameter);
    EXPECT_EQ(v.text, "prior");
    // A Boolean is two bytes: a larger value does not fit.
    reg.setDword(Hive::CurrentUser, "K", "Big", 1);
    EXPECT_EQ(rx.readBool("HKCU", "K", "Big", &v.flag), platform::kErrorMoreData);
    EXPECT_FALSE(v.flag);
}

TEST_F(RegistryAccessTest, TypesRoundTripWithTheirWindowsLayout)
{
    const QString key = "Software\\Types";
    RegistryAccess::Value in;
    in.text = "text";
    in.flag = true;
    in.number = 0xDEADBEEF;
    RegistryAccess::Value out;
    platform::RegValue raw;
    for (const auto& [name, type] :
         {std::pair("S", platform::kRegSz), std::pair("D", platform::kRegDword),
          std::pair("B", platform::kRegBinary)}) {
        ASSERT_EQ(rx.writeValue("hkcu", key, name, QString(name).toLower(), in), 0);
        EXPECT_EQ(rx.readValue("hkcu", key, name, name, &out), 0);
        reg.queryValue(Hive::CurrentUser, key, name, &raw);
        EXPECT_EQ(raw.type, type) << name;
    }
    EXPECT_EQ(raw.data, QByteArray("\xFF\xFF", 2)); // a Boolean True
    EXPECT_EQ(out.text, "text");
    EXPECT_TRUE(out.flag);
    EXPECT_EQ(out.number, 0xDEADBEEFu);
    EXPECT_EQ(rx.writeBool("hkcu", key, "B", false), 0);
    EXPECT_EQ(rx.readBool("hkcu", key, "B", &out.flag), 0);
    EXPECT_FALSE(out.flag);
}

TEST_F(RegistryAccessTest, ProfileFileRootReadsSectionKeyAndWritesOnlyStrings)
{
    QString text = "prior";
    EXPECT_EQ(rx.readString(kIni, "software\\test", "name", &text), 0);
    EXPECT_EQ(text, "from file");
    text = "incoming default";
    EXPECT_EQ(rx.readString(kIni, "Software\\Test", "Nope", &text), 0);
    EXPECT_EQ(text, "incoming default");
    quint32 number = 5;
    bool flag = false;
    EXPECT_EQ(rx.readDword(kIni, "Software\\Test", "Count", &number), 0);
    EXPECT_EQ(number, 12u);
    EXPECT_EQ(rx.readDword(kIni, "Software\\Test", "Nope", &number), 0);
    EXPECT_EQ(number, 0u); // the profile integer call's default is 0
    EXPECT_EQ(rx.readBool(kIni, "Software\\Test", "On", &flag), 0);
    EXPECT_TRUE(flag);

    EXPECT_EQ(rx.writeString(kIni, "New", "K", "v"), 0);
    EXPECT_TRUE(files.readFile(kIni).endsWith("\r\n[New]\r\nK=v\r\n"));
    EXPECT_EQ(rx.writeDword(kIni, "New", "N", 1), platform::kErrorNotSupported);
    QString list = "prior";
    EXPECT_NE(rx.enumSubKeys(kIni, "New", &list), 0);
    EXPECT_EQ(list, "prior");
}

TEST_F(RegistryAccessTest, SubkeyListIsNulSeparatedWithAFinalNul)
{
    reg.createKey(Hive::CurrentUser, "Identities\\{B}");
    reg.createKey(Hive::CurrentUser, "Identities\\{A}\\Deeper");
    reg.createKey(Hive::CurrentUser, "Empty");
    QString list = "x";
    ASSERT_EQ(rx.enumSubKeys("HKCU", "Identities", &list), 0);
    EXPECT_EQ(list, QString("x{A}") + QChar(0) + "{B}" + QChar(0) + QChar(0));
    list.clear();
    ASSERT_EQ(rx.enumSubKeys("HKCU", "Empty", &list), 0);
    EXPECT_EQ(list, QString(QChar(0)));
}

} // namespace
