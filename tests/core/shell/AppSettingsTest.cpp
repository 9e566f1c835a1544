#include "shell/AppSettings.h"
#include "support/FakeRegistry.h"

#include <gtest/gtest.h>

using namespace kv;
using kv::platform::Hive;
using kv::test::FakeRegistry;

namespace {

const QString kApp = QStringLiteral("Software\\Tarnworks\\Korvane");

class AppSettingsTest : public testing::Test
{
protected:
    AppSettingsTest() { settings.setAppName(QStringLiteral("Korvane")); }
    FakeRegistry reg;
    AppSettings settings{reg};
};

TEST_F(AppSettingsTest, SavedTextReadsBackAndLandsUnderTheSectionKey)
{
    const QStringList values = {QStringLiteral("  padded  "), QString::fromUtf8("Ümläut ±")};
    for (const QString& v : values) {
        ASSERT_TRUE(
            settings.saveSetting(QStringLiteral("{ID-1}"), QStringLiteral("LastSavePath"), v));
        EXPECT_EQ(settings.getSetting(QStringLiteral("{ID-1}"), QStringLiteral("LastSavePath"),
                                      QStringLiteral("dflt")),
                  v);
        EXPECT_EQ(reg.string(Hive::CurrentUser, kApp + QStringLiteral("\\{ID-1}"),
                             QStringLiteral("LastSavePath")),
                  v);
    }
}

TEST_F(AppSettingsTest, MissingEmptyOrForeignValuesGiveTheDefault)
{
    const QString d = QStringLiteral("dflt");
    EXPECT_EQ(settings.getSetting(QString(), QStringLiteral("Nothing"), d), d);
    EXPECT_EQ(settings.getSetting(QStringLiteral("NoSuchSection"), QStringLiteral("X"), d), d);
    ASSERT_TRUE(settings.saveSetting(QString(), QStringLiteral("Empty"), QString()));
    EXPECT_EQ(settings.getSetting(QString(), QStringLiteral("Empty"), d), d);
    reg.setValue(Hive::CurrentUser, kApp, QStringLiteral("Bin"),
                 platform::RegValue::fromBinary(QByteArray("\x01\x02", 2)));
    EXPECT_EQ(settings.getSetting(QString(), QStringLiteral("Bin"), d), d);
    reg.setDword(Hive::CurrentUser, kApp, QStringLiteral("Num"), 42);
    EXPECT_EQ(settings.getSetting(QString(), QStringLiteral("Num"), d), QStringLiteral("42"));
}

TEST_F(AppSettingsTest, DeleteWithoutKeyRemovesTheWholeSection)
{
    settings.saveSetting(QStringLiteral("{ID-1}"), QStringLiteral("A"), QStringLiteral("1"));
    settings.saveSetting(QStringLiteral("{ID-1}"), QStringLiteral("B"), QStringLiteral("2"));
    reg.setString(Hive::CurrentUser, kApp + QStringLiteral("\\{ID-1}\\Sub"), QStringLiteral("C"),
                  QStringLiteral("3"));
    settings.saveSetting(QStringLiteral("{ID-2}"), QStringLiteral("A"), QStringLiteral("kept"));

    EXPECT_TRUE(settings.deleteSetting(QStringLiteral("{ID-1}"), QString()));
    EXPECT_NE(reg.openKey(Hive::CurrentUser, kApp + QStringLiteral("\\{ID-1}")), 0);
    EXPECT_NE(reg.openKey(Hive::CurrentUser, kApp + QStringLiteral("\\{ID-1}\\Sub")), 0);
    EXPECT_EQ(settings.getSetting(QStringLiteral("{ID-2}"), QStringLiteral("A"), QString()),
              QStringLiteral("kept"));
    EXPECT_FALSE(settings.deleteSetting(QStringLiteral("{ID-1}"), QString()));
    // An empty section never takes the whole application key with it.
    EXPECT_FALSE(settings.deleteSetting(QString(), QString()));
    EXPECT_EQ(reg.openKey(Hive::CurrentUser, kApp), 0);
}

TEST_F(AppSettingsTest, IdentitySectionsAreSeparateWhileSharedSectionsAreShared)
{
    const QString a = QStringLiteral("{AAA}");
    const QString b = QStringLiteral("{BBB}");
    settings.save(Setting::WarnOverWrite, a, QStringLiteral("N"));
    settings.save(Setting::RemindDays, a, QStringLiteral("9"));
    settings.save(Setting::AutoShowLog, a, QStringLiteral("N"));

    EXPECT_EQ(settings.get(Setting::WarnOverWrite, a), QStringLiteral("N"));
    EXPECT_EQ(settings.get(Setting::WarnOverWrite, b), QStringLiteral("Y")); // b's own default
    EXPECT_EQ(settings.get(Setting::RemindDays, b), QStringLiteral("9"));
    EXPECT_EQ(settings.get(Setting::AutoShowLog, b), QStringLiteral("N"));
    EXPECT_EQ(reg.string(Hive::CurrentUser, kApp + QStringLiteral("\\Parms"),
                         QStringLiteral("RemindDays")),
              QStringLiteral("9"));
    EXPECT_EQ(reg.string(Hive::CurrentUser, kApp, QStringLiteral("AutoShowLog")),
              QStringLiteral("N"));
}

TEST_F(AppSettingsTest, OlderClientModeKeepsIdentityAndSharedSettingsInParms)
{
    const QString section = QString::fromLatin1(kParmsSection);
    settings.save(Setting::LastBackup, section, QStringLiteral("20261201"));
    settings.save(Setting::BackupPurge, section, QStringLiteral("3"));
    const QString parms = kApp + QStringLiteral("\\Parms");
    EXPECT_EQ(reg.string(Hive::CurrentUser, parms, QStringLiteral("LastBackup")),
              QStringLiteral("20261201"));
    EXPECT_EQ(reg.string(Hive::CurrentUser, parms, QStringLiteral("BackupPurge")),
              QStringLiteral("3"));
    // Both "LastBackup" settings are then one value.
    EXPECT_EQ(settings.get(Setting::ParmsLastBackup, section), QStringLiteral("20261201"));
}

} // namespace
