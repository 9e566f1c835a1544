#include "support/FakeRegistry.h"

#include <gtest/gtest.h>

namespace kv::test {
namespace {

using namespace kv::platform;

// Others test against this registry, so it must keep the contract of the real one.
TEST(FakeRegistryTest, KeysAndValuesIgnoreCaseButKeepTheirSpelling)
{
    FakeRegistry reg;
    EXPECT_EQ(reg.openKey(Hive::CurrentUser, QStringLiteral("Software\\Tarnworks")),
              kErrorFileNotFound);
    EXPECT_EQ(reg.createKey(Hive::CurrentUser, QStringLiteral("Software\\Tarnworks\\Korvane")),
              kErrorSuccess);
    EXPECT_EQ(reg.openKey(Hive::CurrentUser, QStringLiteral("SOFTWARE\\tarnworks")), kErrorSuccess);
    EXPECT_EQ(reg.openKey(Hive::LocalMachine, QStringLiteral("Software\\Tarnworks")),
              kErrorFileNotFound);

    EXPECT_EQ(reg.setValue(Hive::CurrentUser, QStringLiteral("software\\TARNWORKS\\korvane"),
                           QStringLiteral("LastBackup"),
                           RegValue::fromString(QStringLiteral("20000503"))),
              kErrorSuccess);
    EXPECT_EQ(reg.setValue(Hive::CurrentUser, QStringLiteral("Software\\Tarnworks\\Korvane"),
                           QStringLiteral("LASTBACKUP"),
                           RegValue::fromString(QStringLiteral("20000504"))),
              kErrorSuccess);
    QList<RegNamedValue> values;
    ASSERT_EQ(
        reg.enumValues(Hive::CurrentUser, QStringLiteral("Software\\Tarnworks\\Korvane"), &values),
        kErrorSuccess);
    ASSERT_EQ(values.size(), 1);
    EXPECT_EQ(values[0].name, QStringLiteral("LastBackup"));
    EXPECT_EQ(values[0].value.toString(), QStringLiteral("20000504"));

    QStringList names;
    ASSERT_EQ(reg.enumSubKeys(Hive::CurrentUser, QStringLiteral("software"), &names),
              kErrorSuccess);
    EXPECT_EQ(names, QStringList{QStringLiteral("Tarnworks")});
}

TEST(FakeRegistryTest, MissingKeysAndValuesLeaveOutputsUntouched)
{
    FakeRegistry reg;
    reg.setDword(Hive::LocalMachine, QStringLiteral("A"), QStringLiteral("n"), 42);
    RegValue value = RegValue::fromString(QStringLiteral("default"));
    EXPECT_EQ(reg.queryValue(Hive::LocalMachine, QStringLiteral("A"), QStringLiteral("m"), &value),
              kErrorFileNotFound);
    EXPECT_EQ(reg.queryValue(Hive::LocalMachine, QStringLiteral("B"), QStringLiteral("n"), &value),
              kErrorFileNotFound);
    EXPECT_EQ(value.toString(), QStringLiteral("default"));
    EXPECT_EQ(reg.queryValue(Hive::LocalMachine, QStringLiteral("a"), QStringLiteral("N"), &value),
              kErrorSuccess);
    EXPECT_EQ(value.toDword(), 42u);
    EXPECT_EQ(reg.deleteValue(Hive::LocalMachine, QStringLiteral("A"), QStringLiteral("m")),
              kErrorFileNotFound);
    EXPECT_EQ(reg.deleteValue(Hive::LocalMachine, QStringLiteral("A"), QStringLiteral("n")),
              kErrorSuccess);
    EXPECT_EQ(reg.queryValue(Hive::LocalMachine, QStringLiteral("A"), QStringLiteral("n"), &value),
              kErrorFileNotFound);
    QStringList names{QStringLiteral("stale")};
    EXPECT_EQ(reg.enumSubKeys(Hive::Users, QStringLiteral("none"), &names), kErrorFileNotFound);
    EXPECT_EQ(names, QStringList{QStringLiteral("stale")});
}

TEST(FakeRegistryTest, DeletingATreeTakesEverythingBelowAndNothingBeside)
{
    FakeRegistry reg;
    reg.setString(Hive::CurrentUser, QStringLiteral("Identities\\{1}\\Software"),
                  QStringLiteral("x"), QStringLiteral("1"));
    reg.setString(Hive::CurrentUser, QStringLiteral("Identities\\{1}"), QStringLiteral("Username"),
                  QStringLiteral("Main"));
    reg.setString(Hive::CurrentUser, QStringLiteral("Identities\\{10}"), QStringLiteral("Username"),
                  QStringLiteral("Other"));
    reg.createKey(Hive::CurrentUser, QStringLiteral("Identities\\{2}"));
    EXPECT_EQ(reg.deleteKeyTree(Hive::CurrentUser, QStringLiteral("identities\\{1}")),
              kErrorSuccess);
    EXPECT_EQ(reg.openKey(Hive::CurrentUser, QStringLiteral("Identities\\{1}\\Software")),
              kErrorFileNotFound);
    EXPECT_EQ(reg.string(Hive::CurrentUser, QStringLiteral("Identities\\{10}"),
                         QStringLiteral("Username")),
              QStringLiteral("Other"));
    QStringList names;
    reg.enumSubKeys(Hive::CurrentUser, QStringLiteral("Identities"), &names);
    EXPECT_EQ(names, (QStringList{QStringLiteral("{10}"), QStringLiteral("{2}")}));
    EXPECT_EQ(reg.deleteKeyTree(Hive::CurrentUser, QStringLiteral("Identities\\{1}")),
              kErrorFileNotFound);

    // Recreated keys start empty and go to the end of the order.
    reg.createKey(Hive::CurrentUser, QStringLiteral("Identities\\{1}"));
    reg.enumSubKeys(Hive::CurrentUser, QStringLiteral("Identities"), &names);
    EXPECT_EQ(names.last(), QStringLiteral("{1}"));
    EXPECT_EQ(reg.string(Hive::CurrentUser, QStringLiteral("Identities\\{1}"),
                         QStringLiteral("Username")),
              QString());
}

TEST(FakeRegistryTest, ClassesRootIsTheMachinesClasses)
{
    FakeRegistry reg;
    reg.setString(Hive::LocalMachine,
                  QStringLiteral("Software\\Classes\\CLSID\\{X}\\InprocServer32"), QString(),
                  QStringLiteral("msoe.dll"));
    EXPECT_EQ(
        reg.string(Hive::ClassesRoot, QStringLiteral("clsid\\{x}\\InprocServer32"), QString()),
        QStringLiteral("msoe.dll"));
    QStringList names;
    ASSERT_EQ(reg.enumSubKeys(Hive::ClassesRoot, QString(), &names), kErrorSuccess);
    EXPECT_EQ(names, QStringList{QStringLiteral("CLSID")});
}

TEST(FakeRegistryTest, AReadOnlyStoreRefusesChangesButReads)
{
    FakeRegistry reg;
    reg.setString(Hive::CurrentUser, QStringLiteral("K"), QStringLiteral("v"), QStringLiteral("1"));
    reg.setReadOnly(true);
    EXPECT_EQ(reg.setValue(Hive::CurrentUser, QStringLiteral("K"), QStringLiteral("v"),
                           RegValue::fromDword(2)),
              kErrorAccessDenied);
    EXPECT_EQ(reg.createKey(Hive::CurrentUser, QStringLiteral("New")), kErrorAccessDenied);
    EXPECT_EQ(reg.deleteKeyTree(Hive::CurrentUser, QStringLiteral("K")), kErrorAccessDenied);
    EXPECT_EQ(reg.flush(), kErrorAccessDenied);
    EXPECT_FALSE(reg.lastErrorText().isEmpty());
    EXPECT_EQ(reg.string(Hive::CurrentUser, QStringLiteral("K"), QStringLiteral("v")),
              QStringLiteral("1"));
}

} // namespace
} // namespace kv::test
