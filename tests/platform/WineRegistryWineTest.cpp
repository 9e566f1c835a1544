// Checks against Wine itself; runs only where Wine is installed.
#include "platform/posix/WineRegFile.h"
#include "platform/posix/WineRegistry.h"
#include "platform/posix/WineServerLock.h"
#include "support/RequiredPrograms.h"
#include "support/TempDir.h"
#include "support/WineRunner.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
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
        ASSERT_EQ(run({u"wineboot"_s, u"-i"_s}, 300), 0);
        waitForServerExit();
    }

    int run(const QStringList& command, int seconds, QByteArray* output = nullptr)
    {
        return wine->run(command, seconds, output);
    }
    void waitForServerExit() { wine->waitForServerExit(); }

    QString query(const QString& key)
    {
        QByteArray out;
        run({u"wine"_s, u"reg"_s, u"query"_s, key}, 120, &out);
        waitForServerExit();
        return QString::fromUtf8(out);
    }

    kv::test::TempDir dir;
    std::optional<kv::test::WineRunner> wine;
};

} // namespace

TEST_F(WineTest, FilesWrittenByWineComeBackByteForByte)
{
    for (const char* name : {"system.reg", "user.reg", "userdef.reg"}) {
        const QByteArray original = kv::test::readFile(dir.file(QLatin1String(name)));
        ASSERT_FALSE(original.isEmpty()) << name;
        WineRegFile file;
        EXPECT_EQ(file.parse(original, 1), WineRegFile::State::Good)
            << name << file.problem().toStdString();
        EXPECT_TRUE(file.serialize() == original) << name;
    }
}

TEST_F(WineTest, ValuesWrittenHereAreWhatWineReads)
{
    WineRegistry reg{WinePrefix(dir.path())};
    const QString key = u"Software\\Tarnworks\\Korvane"_s;
    QByteArray bin;
    for (int i = 0; i < 90; ++i)
        bin.append(char(i));
    const std::tuple<Hive, QString, QString, RegValue> writes[] = {
        {Hive::CurrentUser, key, u"Text"_s, RegValue::fromString(u"caf\u00e9 \u20ac"_s)},
        {Hive::CurrentUser, key, u"Num"_s, RegValue::fromDword(42)},
        {Hive::CurrentUser, key, u"Bin"_s, RegValue::fromBinary(bin)},
        {Hive::CurrentUser, key, u"Expand"_s, RegValue::fromString(u"%TEMP%\\k"_s, kRegExpandSz)},
        {Hive::ClassesRoot, u".eaz"_s, QString(), RegValue::fromString(u"Korvane.Archive"_s)},
    };
    for (const auto& [hive, path, name, value] : writes)
        ASSERT_EQ(reg.setValue(hive, path, name, value), kErrorSuccess) << name.toStdString();
    for (const char* name : {"Zeta", "_under", "beta", "Alpha", "[x]", "\u00c4rger", "a b"})
        ASSERT_EQ(reg.createKey(Hive::CurrentUser, key + u"\\Order\\"_s + QString::fromUtf8(name)),
                  kErrorSuccess);
    QStringList ours;
    ASSERT_EQ(reg.enumSubKeys(Hive::CurrentUser, key + u"\\Order"_s, &ours), kErrorSuccess);

    const QString values =
        query(u"HKCU\\Software\\Tarnworks\\Korvane"_s) + query(u"HKLM\\Software\\Classes\\.eaz"_s);
    for (const QString& line :
         {u"Num    REG_DWORD    0x2a"_s, u"Expand    REG_EXPAND_SZ    %TEMP%\\k"_s,
          u"Bin    REG_BINARY    000102030405"_s, u"Text    REG_SZ    caf"_s, u"Korvane.Archive"_s})
        EXPECT_TRUE(values.contains(line)) << values.toStdString();

    // Make Wine rewrite user.reg; its order of our new keys must be ours.
    QByteArray out;
    ASSERT_EQ(
        run(u"wine reg add HKCU\\Software\\Tarnworks\\Korvane /v FromWine /d yes /f"_s.split(u' '),
            120, &out),
        0)
        << out.constData();
    waitForServerExit();
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

    RegValue fromWine;
    EXPECT_EQ(reg.queryValue(Hive::CurrentUser, key, u"FromWine"_s, &fromWine), kErrorSuccess)
        << "the file Wine rewrote is read again";
    EXPECT_EQ(fromWine.toString(), u"yes"_s);
    RegValue text;
    EXPECT_EQ(reg.queryValue(Hive::CurrentUser, key, u"Text"_s, &text), kErrorSuccess);
    EXPECT_EQ(text.toString(), u"caf\u00e9 \u20ac"_s);
}

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
    const QByteArray before = kv::test::readFile(dir.file(u"user.reg"_s));
    EXPECT_EQ(reg.setValue(Hive::CurrentUser, u"Software\\K"_s, u"v"_s, RegValue::fromDword(1)),
              kErrorAccessDenied);
    EXPECT_EQ(kv::test::readFile(dir.file(u"user.reg"_s)), before);
    run({u"wineserver"_s, u"-k"_s}, 30);
    server.waitForFinished(30000);
    EXPECT_FALSE(WineServerLock(dir.path()).serverRunning());
    EXPECT_EQ(reg.setValue(Hive::CurrentUser, u"Software\\K"_s, u"v"_s, RegValue::fromDword(1)),
              kErrorSuccess);
}
