// What every IRegistry does, on the prefix's registry and on the fake the core's tests use.
#include "FakeWineServer.h"

#include "platform/posix/WineRegistry.h"
#include "support/FakeRegistry.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>

namespace kv::test {
namespace {

using namespace kv::platform;
using namespace Qt::StringLiterals;

struct FakeRegistryFactory
{
    FakeRegistry registry;
    void makeReadOnly() { registry.setReadOnly(true); }
};

struct WineRegistryFactory
{
    TempDir dir;
    posix::WineRegistry registry{posix::WinePrefix(dir.path())};
    std::unique_ptr<FakeWineServer> server;
    void makeReadOnly() { server = std::make_unique<FakeWineServer>(dir.path()); }
};

template <typename Factory> class RegistryContract : public ::testing::Test
{
protected:
    QString text(Hive hive, const QString& path, const QString& name)
    {
        RegValue v;
        return reg.queryValue(hive, path, name, &v) == kErrorSuccess ? v.toString() : u"<none>"_s;
    }
    QStringList subKeys(Hive hive, const QString& path)
    {
        QStringList names{u"<untouched>"_s};
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
    const QString key = u"Software\\Tarnworks\\Korvane\\Parms"_s;
    const RegValue values[] = {
        RegValue::fromString(u"Y"_s),
        RegValue::fromMultiString({u"a"_s, u"b"_s}),
        RegValue::fromDword(0xdeadbeef),
        RegValue::fromBinary(QByteArray(200, '\x5a')),
        RegValue::fromString(u"caf\u00e9 \u20ac \u65e5\u672c"_s),
        RegValue::fromString(QString()),
    };
    for (int i = 0; i < int(std::size(values)); ++i) {
        const QString name = u"V%1"_s.arg(i);
        ASSERT_EQ(this->reg.setValue(Hive::CurrentUser, key, name, values[i]), kErrorSuccess);
        RegValue back;
        ASSERT_EQ(this->reg.queryValue(Hive::CurrentUser, key.toUpper(), name.toLower(), &back),
                  kErrorSuccess);
        EXPECT_EQ(back, values[i]) << i;
    }
    EXPECT_EQ(this->reg.deleteValue(Hive::CurrentUser, key, u"v3"_s), kErrorSuccess);
    EXPECT_EQ(this->valueNames(Hive::CurrentUser, key).size(), 5);
}

TYPED_TEST(RegistryContract, NamesIgnoreCaseKeepTheirFirstSpellingAndEnumerateSorted)
{
    const QString key = u"Software\\Test"_s;
    for (const char* path : {"Software\\Test\\b\\Deep", "Software\\TEST\\A",
                             "\\Software\\\\Test\\C\\", "software\\test\\a"})
        ASSERT_EQ(this->reg.createKey(Hive::CurrentUser, QString::fromLatin1(path)), kErrorSuccess);
    EXPECT_EQ(this->subKeys(Hive::CurrentUser, key), QStringList({"A", "b", "C"}));
    EXPECT_EQ(this->reg.openKey(Hive::CurrentUser, u"SOFTWARE\\test\\B\\deep"_s), kErrorSuccess);

    for (const char* name : {"Zeta", "alpha", "Mid", "ALPHA"})
        ASSERT_EQ(
            this->set(Hive::CurrentUser, key, QString::fromLatin1(name), QString::fromLatin1(name)),
            kErrorSuccess);
    EXPECT_EQ(this->valueNames(Hive::CurrentUser, key), QStringList({"alpha", "Mid", "Zeta"}));
    EXPECT_EQ(this->text(Hive::CurrentUser, key, u"Alpha"_s), u"ALPHA"_s);
}

TYPED_TEST(RegistryContract, MissingKeysAndValuesAreNotFoundAndLeaveOutputsAlone)
{
    ASSERT_EQ(this->set(Hive::LocalMachine, u"A"_s, u"n"_s, u"1"_s), kErrorSuccess);
    RegValue value = RegValue::fromDword(7);
    EXPECT_EQ(this->reg.queryValue(Hive::LocalMachine, u"A"_s, u"m"_s, &value), kErrorFileNotFound);
    EXPECT_EQ(this->reg.queryValue(Hive::LocalMachine, u"B"_s, u"n"_s, &value), kErrorFileNotFound);
    EXPECT_EQ(value, RegValue::fromDword(7));
    EXPECT_EQ(this->reg.openKey(Hive::LocalMachine, u"A\\B"_s), kErrorFileNotFound);
    EXPECT_EQ(this->reg.deleteValue(Hive::LocalMachine, u"A"_s, u"m"_s), kErrorFileNotFound);
    EXPECT_EQ(this->subKeys(Hive::LocalMachine, u"none"_s), QStringList{u"<untouched>"_s});
    QList<RegNamedValue> values{RegNamedValue{u"stale"_s, value}};
    EXPECT_EQ(this->reg.enumValues(Hive::CurrentUser, u"none"_s, &values), kErrorFileNotFound);
    EXPECT_EQ(values.size(), 1);
    EXPECT_FALSE(this->reg.lastErrorText().isEmpty());
}

TYPED_TEST(RegistryContract, DeletingATreeTakesEverythingBelowAndNothingBeside)
{
    const Hive cu = Hive::CurrentUser;
    this->set(cu, u"Identities\\{1}\\Software"_s, u"x"_s, u"1"_s);
    this->set(cu, u"Identities\\{1}"_s, u"Username"_s, u"Main"_s);
    this->set(cu, u"Identities\\{10}"_s, u"Username"_s, u"Other"_s);
    EXPECT_EQ(this->reg.deleteKeyTree(cu, u"identities\\{1}"_s), kErrorSuccess);
    EXPECT_EQ(this->reg.openKey(cu, u"Identities\\{1}\\Software"_s), kErrorFileNotFound);
    EXPECT_EQ(this->text(cu, u"Identities\\{10}"_s, u"Username"_s), u"Other"_s);
    EXPECT_EQ(this->subKeys(cu, u"Identities"_s), QStringList{u"{10}"_s});
    EXPECT_EQ(this->reg.deleteKeyTree(cu, u"Identities\\{1}"_s), kErrorFileNotFound);
    ASSERT_EQ(this->reg.createKey(cu, u"Identities\\{1}"_s), kErrorSuccess);
    EXPECT_EQ(this->text(cu, u"Identities\\{1}"_s, u"Username"_s), u"<none>"_s)
        << "a recreated key starts empty";

    for (const auto& [hive, path] : {std::pair{Hive::LocalMachine, u"\\"_s},
                                     {Hive::ClassesRoot, QString()},
                                     {Hive::Users, u".Default"_s}})
        EXPECT_EQ(this->reg.deleteKeyTree(hive, path), kErrorAccessDenied) << int(hive);
    EXPECT_EQ(this->reg.openKey(cu, u"Identities\\{10}"_s), kErrorSuccess);
}

// HKCR, HKCC and HKU are views of the other hives, as Windows (and Wine) lays them out.
TYPED_TEST(RegistryContract, HivesAreViewsOfOneAnotherAsInAPrefix)
{
    EXPECT_EQ(this->reg.openKey(Hive::ClassesRoot, QString()), kErrorSuccess);
    EXPECT_EQ(this->subKeys(Hive::ClassesRoot, QString()), QStringList());
    const std::tuple<Hive, QString, Hive, QString> views[] = {
        {Hive::LocalMachine, u"Software\\Classes\\CLSID\\{X}"_s, Hive::ClassesRoot,
         u"clsid\\{x}"_s},
        {Hive::LocalMachine,
         u"System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts"_s,
         Hive::CurrentConfig, u"Software\\Fonts"_s},
        {Hive::CurrentUser, u"Software\\U"_s, Hive::Users, u"S-1-5-21-0-0-0-1000\\Software\\U"_s},
        {Hive::Users, u".DEFAULT\\Control Panel"_s, Hive::Users, u".Default\\control panel"_s},
    };
    for (const auto& [hive, path, viewHive, viewPath] : views) {
        ASSERT_EQ(this->set(hive, path, u"Probe"_s, path), kErrorSuccess);
        EXPECT_EQ(this->text(viewHive, viewPath, u"probe"_s), path);
    }
    EXPECT_EQ(this->subKeys(Hive::ClassesRoot, QString()), QStringList{u"CLSID"_s});
    EXPECT_EQ(this->subKeys(Hive::Users, QString()),
              QStringList({".Default", "S-1-5-21-0-0-0-1000"}));
    EXPECT_EQ(this->reg.openKey(Hive::Users, u"S-1-5-18"_s), kErrorFileNotFound);
    EXPECT_EQ(this->reg.createKey(Hive::Users, u"S-1-5-18"_s), kErrorAccessDenied);
    EXPECT_EQ(this->set(Hive::Users, QString(), u"x"_s, QString()), kErrorAccessDenied);
    EXPECT_EQ(this->reg.openKey(Hive::DynData, QString()), kErrorInvalidHandle);
    EXPECT_EQ(this->set(Hive::DynData, u"PerfStats"_s, u"x"_s, QString()), kErrorInvalidHandle);
}

TYPED_TEST(RegistryContract, AReadOnlyRegistryRefusesEveryChangeButReads)
{
    const QString key = u"Software\\K"_s;
    ASSERT_EQ(this->set(Hive::CurrentUser, key, u"v"_s, u"1"_s), kErrorSuccess);
    this->factory.makeReadOnly();
    const WinError results[] = {
        this->set(Hive::CurrentUser, key, u"v"_s, u"2"_s),
        this->reg.createKey(Hive::CurrentUser, u"New"_s),
        this->reg.deleteValue(Hive::CurrentUser, key, u"v"_s),
        this->reg.deleteValue(Hive::CurrentUser, key, u"missing"_s),
        this->reg.deleteKeyTree(Hive::CurrentUser, key),
    };
    for (const WinError result : results)
        EXPECT_EQ(result, kErrorAccessDenied);
    EXPECT_FALSE(this->reg.lastErrorText().isEmpty());
    EXPECT_EQ(this->text(Hive::CurrentUser, key, u"v"_s), u"1"_s);
    EXPECT_EQ(this->reg.openKey(Hive::CurrentUser, u"New"_s), kErrorFileNotFound);
}

} // namespace
} // namespace kv::test
