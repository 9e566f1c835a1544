// What every IRegistry does, checked on the prefix's registry and on the fake that tests of the
// core use in its place, so that the fake cannot drift from the real thing.
#include "FakeWineServer.h"

#include "platform/posix/WineRegistry.h"
#include "support/FakeRegistry.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>

namespace kv::test {
namespace {

using namespace kv::platform;

struct FakeRegistryFactory
{
    FakeRegistry registry;
    void makeReadOnly() { registry.setReadOnly(true); }
};

// The registry files of an empty prefix: every hive starts empty.
struct WineRegistryFactory
{
    TempDir dir;
    posix::WineRegistry registry{posix::WinePrefix(dir.path())};
    std::unique_ptr<FakeWineServer> server;
    void makeReadOnly() { server = std::make_unique<FakeWineServer>(dir.path(), true); }
};

template <typename Factory> class RegistryContract : public ::testing::Test
{
protected:
    QString text(Hive hive, const QString& path, const QString& name)
    {
        RegValue v;
        return reg.queryValue(hive, path, name, &v) == kErrorSuccess ? v.toString()
                                                                     : QStringLiteral("<none>");
    }
    QStringList subKeys(Hive hive, const QString& path)
    {
        QStringList names{QStringLiteral("<untouched>")};
        reg.enumSubKeys(hive, path, &names);
        return names;
    }
    QStringList valueNames(Hive hive, const QString& path)
    {
        QList<RegNamedValue> values;
        EXPECT_EQ(reg.enumValues(hive, path, &values), kErrorSuccess);
        QStringList names;
        for (const RegNamedValue& v : values)
            names << v.name;
        return names;
    }
    WinError set(Hive hive, const QString& path, const QString& name, const QString& text)
    {
        return reg.setValue(hive, path, name, RegValue::fromString(text));
    }

    Factory factory;
    IRegistry& reg = factory.registry;
};

using Implementations = ::testing::Types<FakeRegistryFactory, WineRegistryFactory>;
TYPED_TEST_SUITE(RegistryContract, Implementations);

TYPED_TEST(RegistryContract, ValuesOfEveryTypeComeBackAsStored)
{
    const QString key = QStringLiteral("Software\\Tarnworks\\Korvane\\Parms");
    const RegValue values[] = {
        RegValue::fromString(QStringLiteral("Y")),
        RegValue::fromString(QStringLiteral("%TEMP%\\x"), kRegExpandSz),
        RegValue::fromMultiString({QStringLiteral("a"), QStringLiteral("b")}),
        RegValue::fromDword(0xdeadbeef),
        RegValue::fromBinary(QByteArray(200, '\x5a')),
        RegValue::fromString(QStringLiteral("caf\u00e9 \u20ac \u65e5\u672c")),
        RegValue::fromString(QString()),
    };
    for (int i = 0; i < int(std::size(values)); ++i) {
        const QString name = QStringLiteral("V%1").arg(i);
        ASSERT_EQ(this->reg.setValue(Hive::CurrentUser, key, name, values[i]), kErrorSuccess);
        RegValue back;
        ASSERT_EQ(this->reg.queryValue(Hive::CurrentUser, key.toUpper(), name.toLower(), &back),
                  kErrorSuccess);
        EXPECT_EQ(back, values[i]) << i;
    }
    EXPECT_EQ(this->reg.deleteValue(Hive::CurrentUser, key, QStringLiteral("v3")), kErrorSuccess);
    EXPECT_EQ(this->reg.deleteValue(Hive::CurrentUser, key, QStringLiteral("v3")),
              kErrorFileNotFound);
    EXPECT_EQ(this->valueNames(Hive::CurrentUser, key).size(), 6);
    EXPECT_EQ(this->reg.flush(), kErrorSuccess);
}

TYPED_TEST(RegistryContract, NamesIgnoreCaseKeepTheirFirstSpellingAndEnumerateSorted)
{
    const QString key = QStringLiteral("Software\\Test");
    for (const char* path : {"Software\\Test\\b\\Deep", "Software\\TEST\\A",
                             "\\Software\\\\Test\\C\\", "software\\test\\a"})
        ASSERT_EQ(this->reg.createKey(Hive::CurrentUser, QString::fromLatin1(path)), kErrorSuccess);
    EXPECT_EQ(this->subKeys(Hive::CurrentUser, key), QStringList({"A", "b", "C"}));
    EXPECT_EQ(this->reg.openKey(Hive::CurrentUser, QStringLiteral("SOFTWARE\\test\\B\\deep")),
              kErrorSuccess);

    for (const char* name : {"Zeta", "alpha", "Mid", "ALPHA"})
        ASSERT_EQ(
            this->set(Hive::CurrentUser, key, QString::fromLatin1(name), QString::fromLatin1(name)),
            kErrorSuccess);
    EXPECT_EQ(this->valueNames(Hive::CurrentUser, key), QStringList({"alpha", "Mid", "Zeta"}));
    EXPECT_EQ(this->text(Hive::CurrentUser, key, QStringLiteral("Alpha")), QStringLiteral("ALPHA"));
}

TYPED_TEST(RegistryContract, MissingKeysAndValuesAreNotFoundAndLeaveOutputsAlone)
{
    ASSERT_EQ(this->set(Hive::LocalMachine, QStringLiteral("A"), QStringLiteral("n"),
                        QStringLiteral("1")),
              kErrorSuccess);
    RegValue value = RegValue::fromDword(7);
    EXPECT_EQ(
        this->reg.queryValue(Hive::LocalMachine, QStringLiteral("A"), QStringLiteral("m"), &value),
        kErrorFileNotFound);
    EXPECT_EQ(
        this->reg.queryValue(Hive::LocalMachine, QStringLiteral("B"), QStringLiteral("n"), &value),
        kErrorFileNotFound);
    EXPECT_EQ(value, RegValue::fromDword(7));
    EXPECT_EQ(this->reg.openKey(Hive::LocalMachine, QStringLiteral("A\\B")), kErrorFileNotFound);
    EXPECT_EQ(this->reg.deleteValue(Hive::LocalMachine, QStringLiteral("A"), QStringLiteral("m")),
              kErrorFileNotFound);
    EXPECT_EQ(this->reg.deleteValue(Hive::LocalMachine, QStringLiteral("B"), QStringLiteral("n")),
              kErrorFileNotFound);
    EXPECT_EQ(this->subKeys(Hive::LocalMachine, QStringLiteral("none")),
              QStringList{QStringLiteral("<untouched>")});
    QList<RegNamedValue> values{RegNamedValue{QStringLiteral("stale"), value}};
    EXPECT_EQ(this->reg.enumValues(Hive::CurrentUser, QStringLiteral("none"), &values),
              kErrorFileNotFound);
    EXPECT_EQ(values.size(), 1);
    EXPECT_FALSE(this->reg.lastErrorText().isEmpty());
}

TYPED_TEST(RegistryContract, DeletingATreeTakesEverythingBelowAndNothingBeside)
{
    const Hive cu = Hive::CurrentUser;
    this->set(cu, QStringLiteral("Identities\\{1}\\Software"), QStringLiteral("x"),
              QStringLiteral("1"));
    this->set(cu, QStringLiteral("Identities\\{1}"), QStringLiteral("Username"),
              QStringLiteral("Main"));
    this->set(cu, QStringLiteral("Identities\\{10}"), QStringLiteral("Username"),
              QStringLiteral("Other"));
    EXPECT_EQ(this->reg.deleteKeyTree(cu, QStringLiteral("identities\\{1}")), kErrorSuccess);
    EXPECT_EQ(this->reg.openKey(cu, QStringLiteral("Identities\\{1}\\Software")),
              kErrorFileNotFound);
    EXPECT_EQ(this->text(cu, QStringLiteral("Identities\\{10}"), QStringLiteral("Username")),
              QStringLiteral("Other"));
    EXPECT_EQ(this->subKeys(cu, QStringLiteral("Identities")), QStringList{QStringLiteral("{10}")});
    EXPECT_EQ(this->reg.deleteKeyTree(cu, QStringLiteral("Identities\\{1}")), kErrorFileNotFound);
    ASSERT_EQ(this->reg.createKey(cu, QStringLiteral("Identities\\{1}")), kErrorSuccess);
    EXPECT_EQ(this->text(cu, QStringLiteral("Identities\\{1}"), QStringLiteral("Username")),
              QStringLiteral("<none>"))
        << "a recreated key starts empty";

    const std::pair<Hive, QString> roots[] = {
        {Hive::CurrentUser, QString()},
        {Hive::LocalMachine, QStringLiteral("\\")},
        {Hive::ClassesRoot, QString()},
        {Hive::Users, QString()},
        {Hive::Users, QStringLiteral(".Default")},
    };
    for (const auto& [hive, path] : roots)
        EXPECT_EQ(this->reg.deleteKeyTree(hive, path), kErrorAccessDenied) << int(hive);
    EXPECT_EQ(this->reg.openKey(cu, QStringLiteral("Identities\\{10}")), kErrorSuccess);
}

// HKCR, HKCC and HKU are views of the other hives, as Windows (and Wine) lays them out.
TYPED_TEST(RegistryContract, HivesAreViewsOfOneAnotherAsInAPrefix)
{
    EXPECT_EQ(this->reg.openKey(Hive::ClassesRoot, QString()), kErrorSuccess);
    EXPECT_EQ(this->subKeys(Hive::ClassesRoot, QString()), QStringList());
    const struct
    {
        Hive hive;
        QString path;
        Hive viewHive;
        QString viewPath;
    } views[] = {
        {Hive::LocalMachine, QStringLiteral("Software\\Classes\\CLSID\\{X}"), Hive::ClassesRoot,
         QStringLiteral("clsid\\{x}")},
        {Hive::LocalMachine,
         QStringLiteral("System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts"),
         Hive::CurrentConfig, QStringLiteral("Software\\Fonts")},
        {Hive::CurrentUser, QStringLiteral("Software\\U"), Hive::Users,
         QStringLiteral("S-1-5-21-0-0-0-1000\\Software\\U")},
        {Hive::Users, QStringLiteral(".DEFAULT\\Control Panel"), Hive::Users,
         QStringLiteral(".Default\\control panel")},
    };
    for (const auto& v : views) {
        ASSERT_EQ(this->set(v.hive, v.path, QStringLiteral("Probe"), v.path), kErrorSuccess);
        EXPECT_EQ(this->text(v.viewHive, v.viewPath, QStringLiteral("probe")), v.path);
    }
    EXPECT_EQ(this->subKeys(Hive::ClassesRoot, QString()), QStringList{QStringLiteral("CLSID")});
    EXPECT_EQ(this->subKeys(Hive::Users, QString()),
              QStringList({".Default", "S-1-5-21-0-0-0-1000"}));
    EXPECT_EQ(this->reg.openKey(Hive::Users, QStringLiteral("S-1-5-18")), kErrorFileNotFound);
    EXPECT_EQ(this->reg.createKey(Hive::Users, QStringLiteral("S-1-5-18")), kErrorAccessDenied);
    EXPECT_EQ(this->set(Hive::Users, QString(), QStringLiteral("x"), QString()),
              kErrorAccessDenied);
    EXPECT_EQ(this->reg.openKey(Hive::DynData, QString()), kErrorInvalidHandle);
    EXPECT_EQ(this->set(Hive::DynData, QStringLiteral("PerfStats"), QStringLiteral("x"), QString()),
              kErrorInvalidHandle);
}

TYPED_TEST(RegistryContract, AReadOnlyRegistryRefusesEveryChangeButReads)
{
    const QString key = QStringLiteral("Software\\K");
    ASSERT_EQ(this->set(Hive::CurrentUser, key, QStringLiteral("v"), QStringLiteral("1")),
              kErrorSuccess);
    this->factory.makeReadOnly();
    const WinError results[] = {
        this->set(Hive::CurrentUser, key, QStringLiteral("v"), QStringLiteral("2")),
        this->reg.createKey(Hive::CurrentUser, key),
        this->reg.createKey(Hive::CurrentUser, QStringLiteral("New")),
        this->reg.deleteValue(Hive::CurrentUser, key, QStringLiteral("v")),
        this->reg.deleteValue(Hive::CurrentUser, key, QStringLiteral("missing")),
        this->reg.deleteKeyTree(Hive::CurrentUser, key),
        this->reg.deleteKeyTree(Hive::CurrentUser, QStringLiteral("Missing")),
    };
    for (const WinError result : results)
        EXPECT_EQ(result, kErrorAccessDenied);
    EXPECT_FALSE(this->reg.lastErrorText().isEmpty());
    EXPECT_EQ(this->text(Hive::CurrentUser, key, QStringLiteral("v")), QStringLiteral("1"));
    EXPECT_EQ(this->reg.openKey(Hive::CurrentUser, QStringLiteral("New")), kErrorFileNotFound);
}

} // namespace
} // namespace kv::test
