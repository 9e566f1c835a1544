#include "shell/AppSettings.h"
#include "support/FakeRegistry.h"

#include <gtest/gtest.h>

using namespace kv;
using kv::platform::Hive;
using kv::test::FakeRegistry;

namespace {

const QString kApp = "Software\\Tarnworks\\Korvane";

class AppSettingsTest : public testing::Test
{
protected:
    AppSettingsTest() { settings.setAppName("Korvane"); }
    FakeRegistry reg;
    AppSettings settings{reg};
};

TEST_F(AppSettingsTest, MissingEmptyOrForeignValuesGiveTheDefault)
{
    const QString d = "dflt";
    EXPECT_EQ(settings.getSetting(QString(), "Nothing", d), d);
    EXPECT_EQ(settings.getSetting("NoSuchSection", "X", d), d);
    ASSERT_TRUE(settings.saveSetting(QString(), "Empty", QString()));
    EXPECT_EQ(settings.getSetting(QString(), "Empty", d), d);
    reg.setValue(Hive::CurrentUser, kApp, "Bin",
                 platform::RegValue::fromBinary(QByteArray("\x01\x02", 2)));
    EXPECT_EQ(settings.getSetting(QString(), "Bin", d), d);
    reg.setDword(Hive::CurrentUser, kApp, "Num", 42);
    EXPECT_EQ(settings.getSetting(QString(), "Num", d), "42");
}

TEST_F(AppSettingsTest, DeleteWithoutKeyRemovesTheWholeSection)
{
    settings.saveSetting("{ID-1}", "A", "1");
    settings.saveSetting("{ID-1}", "B", "2");
    reg.setString(Hive::CurrentUser, kApp + "\\{ID-1}\\Sub", "C", "3");
    settings.saveSetting("{ID-2}", "A", "kept");

    EXPECT_TRUE(settings.deleteSetting("{ID-1}", QString()));
    EXPECT_NE(reg.openKey(Hive::CurrentUser, kApp + "\\{ID-1}"), 0);
    EXPECT_NE(reg.openKey(Hive::CurrentUser, kApp + "\\{ID-1}\\Sub"), 0);
    EXPECT_EQ(settings.getSetting("{ID-2}", "A", QString()), "kept");
    EXPECT_FALSE(settings.deleteSetting("{ID-1}", QString()));
    // An empty section never takes the whole application key with it.
    EXPECT_FALSE(settings.deleteSetting(QString(), QString()));
    EXPECT_EQ(reg.openKey(Hive::CurrentUser, kApp), 0);
}

} // namespace
