// Checks against Wine itself; runs only where Wine is installed.
#include "platform/posix/WineRegFile.h"
#include "platform/posix/WineRegistry.h"
#include "platform/posix/WineServerLock.h"
#include "support/RequiredPrograms.h"
#include "support/TempDir.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <gtest/gtest.h>

using namespace kv::platform;
using namespace kv::platform::posix;

namespace {

class WineTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        KV_REQUIRE_PROGRAMS("wine", "wineboot", "wineserver");
        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert(QStringLiteral("WINEPREFIX"), dir.path());
        m_env.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
        m_env.insert(QStringLiteral("WINEDLLOVERRIDES"), QStringLiteral("mscoree,mshtml="));
        ASSERT_EQ(run({QStringLiteral("wineboot"), QStringLiteral("-i")}, 300), 0);
        waitForServerExit();
    }

    void TearDown() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("wine")).isEmpty())
            return;
        run({QStringLiteral("wineserver"), QStringLiteral("-k")}, 30);
        waitForServerExit();
        // Debian's Wine leaves its server folder in /tmp, named in the prefix.
        const QByteArray named = kv::test::readFile(dir.file(QStringLiteral("wineserver"))).trimmed();
        if (!named.isEmpty() && !named.contains('/'))
            QDir(QStringLiteral("/tmp/") + QString::fromLocal8Bit(named)).removeRecursively();
    }

    int run(const QStringList& command, int seconds, QByteArray* output = nullptr)
    {
        QProcess p;
        p.setProcessEnvironment(m_env);
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(command.first(), command.mid(1));
        if (!p.waitForFinished(seconds * 1000)) {
            p.kill();
            p.waitForFinished();
            return -1;
        }
        if (output)
            *output = p.readAll();
        return p.exitCode();
    }

    void waitForServerExit() { run({QStringLiteral("wineserver"), QStringLiteral("-w")}, 120); }

    QString query(const QString& key)
    {
        QByteArray out;
        run({QStringLiteral("wine"), QStringLiteral("reg"), QStringLiteral("query"), key}, 120,
            &out);
        waitForServerExit();
        return QString::fromUtf8(out);
    }

    kv::test::TempDir dir;
    QProcessEnvironment m_env;
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
    const QString key = QStringLiteral("Software\\Tarnworks\\Korvane");
    ASSERT_EQ(reg.setValue(Hive::CurrentUser, key, QStringLiteral("Text"),
                           RegValue::fromString(QStringLiteral("caf\u00e9 \u20ac"))),
              kErrorSuccess);
    ASSERT_EQ(reg.setValue(Hive::CurrentUser, key, QStringLiteral("Num"), RegValue::fromDword(42)),
              kErrorSuccess);
    QByteArray bin;
    for (int i = 0; i < 90; ++i)
        bin.append(char(i));
    ASSERT_EQ(
        reg.setValue(Hive::CurrentUser, key, QStringLiteral("Bin"), RegValue::fromBinary(bin)),
        kErrorSuccess);
    ASSERT_EQ(reg.setValue(Hive::CurrentUser, key, QStringLiteral("Expand"),
                           RegValue::fromString(QStringLiteral("%TEMP%\\k"), kRegExpandSz)),
              kErrorSuccess);
    ASSERT_EQ(reg.setValue(Hive::ClassesRoot, QStringLiteral(".eaz"), QString(),
                           RegValue::fromString(QStringLiteral("Korvane.Archive"))),
              kErrorSuccess);
    for (const char* name : {"Zeta", "_under", "beta", "Alpha", "[x]", "\u00c4rger", "a b"})
        ASSERT_EQ(reg.createKey(Hive::CurrentUser,
                                key + QStringLiteral("\\Order\\") + QString::fromUtf8(name)),
                  kErrorSuccess);
    QStringList ours;
    ASSERT_EQ(reg.enumSubKeys(Hive::CurrentUser, key + QStringLiteral("\\Order"), &ours),
              kErrorSuccess);

    const QString values = query(QStringLiteral("HKCU\\Software\\Tarnworks\\Korvane"));
    EXPECT_TRUE(values.contains(QStringLiteral("Num    REG_DWORD    0x2a")))
        << values.toStdString();
    EXPECT_TRUE(values.contains(QStringLiteral("Expand    REG_EXPAND_SZ    %TEMP%\\k")))
        << values.toStdString();
    EXPECT_TRUE(values.contains(QStringLiteral("Bin    REG_BINARY    000102030405")))
        << values.toStdString();
    EXPECT_TRUE(values.contains(QStringLiteral("Text    REG_SZ    caf"))) << values.toStdString();
    const QString classes = query(QStringLiteral("HKLM\\Software\\Classes\\.eaz"));
    EXPECT_TRUE(classes.contains(QStringLiteral("Korvane.Archive"))) << classes.toStdString();

    // Make Wine rewrite user.reg; its order of our new keys must be ours.
    QByteArray out;
    ASSERT_EQ(run({QStringLiteral("wine"), QStringLiteral("reg"), QStringLiteral("add"),
                   QStringLiteral("HKCU\\Software\\Tarnworks\\Korvane"), QStringLiteral("/v"),
                   QStringLiteral("FromWine"), QStringLiteral("/d"), QStringLiteral("yes"),
                   QStringLiteral("/f")},
                  120, &out),
              0)
        << out.constData();
    waitForServerExit();
    WineRegFile rewritten;
    ASSERT_EQ(rewritten.parse(kv::test::readFile(dir.file(QStringLiteral("user.reg"))), 1),
              WineRegFile::State::Good);
    WineRegKey* order = rewritten.root();
    for (const char* part : {"Software", "Tarnworks", "Korvane", "Order"})
        ASSERT_TRUE(order = order->findSubKey(QLatin1String(part)));
    QStringList wines;
    for (const auto& sub : order->subKeys())
        wines << sub->name();
    EXPECT_EQ(wines, ours);

    RegValue fromWine;
    EXPECT_EQ(reg.queryValue(Hive::CurrentUser, key, QStringLiteral("FromWine"), &fromWine),
              kErrorSuccess)
        << "the file Wine rewrote is read again";
    EXPECT_EQ(fromWine.toString(), QStringLiteral("yes"));
    RegValue text;
    EXPECT_EQ(reg.queryValue(Hive::CurrentUser, key, QStringLiteral("Text"), &text), kErrorSuccess);
    EXPECT_EQ(text.toString(), QStringLiteral("caf\u00e9 \u20ac"));
}

TEST_F(WineTest, RunningWineServerIsDetected)
{
    QProcess server;
    server.setProcessEnvironment(m_env);
    server.start(QStringLiteral("wineserver"), {QStringLiteral("-p"), QStringLiteral("-f")});
    ASSERT_TRUE(server.waitForStarted());
    QElapsedTimer timer;
    timer.start();
    while (!WineServerLock(dir.path()).serverRunning() && timer.elapsed() < 20000)
        QThread::msleep(100);
    WineRegistry reg{WinePrefix(dir.path())};
    const QByteArray before = kv::test::readFile(dir.file(QStringLiteral("user.reg")));
    EXPECT_EQ(reg.setValue(Hive::CurrentUser, QStringLiteral("Software\\K"), QStringLiteral("v"),
                           RegValue::fromDword(1)),
              kErrorAccessDenied);
    EXPECT_EQ(kv::test::readFile(dir.file(QStringLiteral("user.reg"))), before);
    run({QStringLiteral("wineserver"), QStringLiteral("-k")}, 30);
    server.waitForFinished(30000);
    EXPECT_FALSE(WineServerLock(dir.path()).serverRunning());
    EXPECT_EQ(reg.setValue(Hive::CurrentUser, QStringLiteral("Software\\K"), QStringLiteral("v"),
                           RegValue::fromDword(1)),
              kErrorSuccess);
}
