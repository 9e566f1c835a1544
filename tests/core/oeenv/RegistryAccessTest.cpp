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

// A failure of any kind leaves every result as it was; the system's failures give its code.
TEST_F(RegistryAccessTest, FailuresGiveTheirCodeAndLeaveEveryResultUntouched)
{
    reg.setString(Hive::CurrentUser, "K", "V", "x");
    for (const QString& root :
         QStringList{"HKEY_CURRENT_USER", "HKCU2", "C:\\missing.ini", "C:\\a folder", ""}) {
        QString text = "prior", list = "prior";
        quint32 number = 77;
        EXPECT_EQ(rx.readString(root, "K", "V", &text), 99);
        EXPECT_EQ(rx.readDword(root, "K", "V", &number), 99);
        EXPECT_EQ(rx.enumSubKeys(root, "K", &list), 99);
        EXPECT_EQ(rx.writeString(root, "K", "V", "new"), 99);
        EXPECT_EQ(text + list + QString::number(number), "priorprior77");
    }
    EXPECT_EQ(reg.string(Hive::CurrentUser, "K", "V"), "x");
    QString text = "prior";
    EXPECT_EQ(rx.readString("HKCU", "No\\Key", "V", &text), platform::kErrorFileNotFound);
    EXPECT_EQ(text, "prior");
}

} // namespace
