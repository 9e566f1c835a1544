// Checks against Wine itself; runs only where Wine is installed.
#include "platform/posix/WineRegFile.h"
#include "platform/posix/WineRegistry.h"
#include "platform/posix/WineServerLock.h"
#include "support/RequiredPrograms.h"
#include "support/TempDir.h"
#include "support/WineRunner.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <optional>

#include <gtest/gtest.h>

using namespace kv::platform;
using namespace kv::platform::posix;
using namespace Qt::StringLiterals;

namespace {

class WineTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        KV_REQUIRE_PROGRAMS("wine", "wineboot", "wineserver");
        wine.emplace(dir.path());
    }
    int run(const QString& command, QByteArray* output = nullptr)
    {
        const int code = wine->run(command.split(u' '), 300, output);
        wine->waitForServerExit();
        return code;
    }
    kv::test::TempDir dir;
    std::optional<kv::test::WineRunner> wine;
};

} // namespace

TEST_F(WineTest, WineReadsWhatWeWriteAndWeReadWhatWineWrites)
{
    ASSERT_EQ(run(u"wineboot -i"_s), 0);
    for (const char* name : {"system.reg", "user.reg", "userdef.reg"}) {
        const QByteArray original = kv::test::readFile(dir.file(QLatin1String(name)));
        WineRegFile file;
        EXPECT_EQ(file.parse(original, 1), WineRegFile::State::Good) << name;
        EXPECT_TRUE(!original.isEmpty() && file.serialize() == original) << name;
    }

    WineRegistry reg{WinePrefix(dir.path())};
    const QString key = u"Software\\Tarnworks\\Korvane"_s;
    const QByteArray bin = QByteArray::fromHex("000102030405").repeated(15);
    const std::tuple<Hive, QString, QString, RegValue> writes[] = {
        {Hive::CurrentUser, key, u"Text"_s, RegValue::fromString(u"caf\u00e9 \u20ac"_s)},
        {Hive::CurrentUser, key, u"Num"_s, RegValue::fromDword(42)},
        {Hive::CurrentUser, key, u"Bin"_s, RegValue::fromBinary(bin)},
        {Hive::ClassesRoot, u".eaz"_s, QString(), RegValue::fromString(u"Korvane.Archive"_s)},
    };
    for (const auto& [hive, path, name, value] : writes)
        ASSERT_EQ(reg.setValue(hive, path, name, value), kErrorSuccess) << name.toStdString();
    for (const char* name : {"Zeta", "_under", "beta", "Alpha", "[x]", "\u00c4rger", "a b"})
        ASSERT_EQ(reg.createKey(Hive::CurrentUser, key + u"\\Order\\"_s + QString::fromUtf8(name)),
                  kErrorSuccess);
    QStringList ours;
    ASSERT_EQ(reg.enumSubKeys(Hive::CurrentUser, key + u"\\Order"_s, &ours), kErrorSuccess);

    QByteArray values, out;
    run(u"wine reg query HKCU\\Software\\Tarnworks\\Korvane"_s, &out);
    run(u"wine reg query HKLM\\Software\\Classes\\.eaz"_s, &values);
    values += out;
    for (const char* line : {"Num    REG_DWORD    0x2a", "Bin    REG_BINARY    000102030405",
                             "Text    REG_SZ    caf", "Korvane.Archive"})
        EXPECT_TRUE(values.contains(line)) << values.toStdString();

    // Wine rewrites user.reg: its order of our new keys must be ours, and we read its change.
    ASSERT_EQ(run(u"wine reg add HKCU\\Software\\Tarnworks\\Korvane /v FromWine /d yes /f"_s, &out),
              0)
        << out.constData();
    WineRegFile rewritten;
    ASSERT_EQ(rewritten.parse(kv::test::readFile(dir.file(u"user.reg"_s)), 1),
              WineRegFile::State::Good);
    WineRegKey* order = rewritten.root();
    for (const char* part : {"Software", "Tarnworks", "Korvane", "Order"})
        ASSERT_TRUE(order = order->findSubKey(QLatin1String(part)));
    QStringList wines;
    for (const auto& sub : order->subKeys())
        wines << sub->name();
    EXPECT_EQ(wines, ours);
    RegValue v;
    EXPECT_EQ(reg.queryValue(Hive::CurrentUser, key, u"FromWine"_s, &v), kErrorSuccess);
    EXPECT_EQ(v.toString(), u"yes"_s);
}

// A server needs no booted prefix, so this test spares itself the boot.
TEST_F(WineTest, RunningWineServerIsDetected)
{
    QProcess server;
    server.setProcessEnvironment(wine->environment());
    server.start(u"wineserver"_s, {u"-p"_s, u"-f"_s});
    ASSERT_TRUE(server.waitForStarted());
    QElapsedTimer timer;
    timer.start();
    while (!WineServerLock(dir.path()).serverRunning() && timer.elapsed() < 20000)
        QThread::msleep(100);
    WineRegistry reg{WinePrefix(dir.path())};
    const auto write = [&] {
        return reg.setValue(Hive::CurrentUser, u"Software\\K"_s, u"v"_s, RegValue::fromDword(1));
    };
    const QByteArray before = kv::test::readFile(dir.file(u"user.reg"_s));
    EXPECT_EQ(write(), kErrorAccessDenied);
    EXPECT_EQ(kv::test::readFile(dir.file(u"user.reg"_s)), before);
    run(u"wineserver -k"_s);
    server.waitForFinished(30000);
    EXPECT_FALSE(WineServerLock(dir.path()).serverRunning());
    EXPECT_EQ(write(), kErrorSuccess);
}
