#include "platform/posix/WineRegistry.h"
#include "platform/posix/WineRegFile.h"
#include "platform/posix/WineServerLock.h"
#include "support/TempDir.h"

#include "FakeWineServer.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace kv::platform;
using namespace kv::platform::posix;

namespace {

constexpr quint64 kClock = 0x1dd900000000000ull;

const QByteArray kSystemReg =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to REGISTRY\\\\Machine\n"
    "\n#arch=win32\n"
    "\n[Software\\\\Classes\\\\.txt] 1700000000\n"
    "#time=1da1a3b00000000\n"
    "@=\"txtfile\"\n"
    "\n[Software\\\\Shared] 1700000000\n"
    "#time=1da1a3b00000000\n"
    "\"Where\"=\"machine\"\n"
    "\n[Software\\\\Via] 1700000000\n"
    "#time=1da1a3b00000000\n"
    "#link\n"
    "\"SymbolicLinkValue\"=hex(6):5c,00,52,00,65,00,67,00,69,00,73,00,74,00,"
    "72,00,79,00,\\\n"
    "  5c,00,4d,00,61,00,63,00,68,00,69,00,6e,00,65,00,5c,00,53,00,6f,00,66,"
    "00,74,00,\\\n"
    "  77,00,61,00,72,00,65,00,5c,00,53,00,68,00,61,00,72,00,65,00,64,00\n"
    "\n[System\\\\CurrentControlSet\\\\Hardware Profiles\\\\Current\\\\Software"
    "\\\\Fonts] 1700000000\n"
    "#time=1da1a3b00000000\n"
    "\"LogPixels\"=dword:00000060\n";

const QByteArray kUserReg = "WINE REGISTRY Version 2\n"
                            ";; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n"
                            "\n#arch=win32\n"
                            "\n[Software\\\\Tarnworks\\\\Korvane] 1700000000\n"
                            "#time=1da1a3b00000000\n"
                            "\"LastSavePath\"=\"C:\\\\Backups\\\\\"\n"
                            "\"Z\"=\"last\"\n";

const QByteArray kUserDefReg = "WINE REGISTRY Version 2\n"
                               ";; All keys relative to REGISTRY\\\\User\\\\.Default\n"
                               "\n#arch=win32\n"
                               "\n[Control Panel\\\\Desktop] 1700000000\n"
                               "#time=1da1a3b00000000\n"
                               "\"Wallpaper\"=\"\"\n";

class WineRegistryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir.write(QStringLiteral("system.reg"), kSystemReg);
        dir.write(QStringLiteral("user.reg"), kUserReg);
        dir.write(QStringLiteral("userdef.reg"), kUserDefReg);
        reg = makeRegistry();
    }

    std::unique_ptr<WineRegistry> makeRegistry() const
    {
        auto r = std::make_unique<WineRegistry>(WinePrefix(dir.path()));
        r->setClock([] { return kClock; });
        return r;
    }

    QByteArray bytes(const char* file) const
    {
        return kv::test::readFile(dir.file(QLatin1String(file)));
    }

    // The value as a fresh reader finds it in the file on disk.
    std::optional<RegValue> onDisk(const char* file, const QString& path, const QString& name) const
    {
        WineRegFile f;
        if (f.parse(bytes(file), 1) != WineRegFile::State::Good)
            return std::nullopt;
        WineRegKey* key = f.root();
        for (const QString& part : path.split(QLatin1Char('\\'), Qt::SkipEmptyParts)) {
            if (!(key = key->findSubKey(part)))
                return std::nullopt;
        }
        const RegNamedValue* v = key->findValue(name);
        return v ? std::optional<RegValue>(v->value) : std::nullopt;
    }

    QString text(Hive hive, const QString& path, const QString& name)
    {
        RegValue v;
        return reg->queryValue(hive, path, name, &v) == kErrorSuccess ? v.toString()
                                                                      : QStringLiteral("<none>");
    }

    kv::test::TempDir dir;
    std::unique_ptr<WineRegistry> reg;
};

} // namespace

// Every change reaches the file Windows maps its hive onto at once, where a new reader finds it.
TEST_F(WineRegistryTest, ChangesAreWrittenAtOnceToTheFileOfTheirHive)
{
    const struct
    {
        Hive hive;
        QString path;
        const char* file;
        QString filePath;
    } cases[] = {
        {Hive::CurrentUser, QStringLiteral("Software\\K"), "user.reg",
         QStringLiteral("Software\\K")},
        {Hive::LocalMachine, QStringLiteral("Software\\K"), "system.reg",
         QStringLiteral("Software\\K")},
        {Hive::ClassesRoot, QStringLiteral(".eaz"), "system.reg",
         QStringLiteral("Software\\Classes\\.eaz")},
        {Hive::Users, QStringLiteral(".DEFAULT\\Software\\K"), "userdef.reg",
         QStringLiteral("Software\\K")},
        {Hive::Users, QStringLiteral("s-1-5-21-0-0-0-1000\\Software\\U"), "user.reg",
         QStringLiteral("Software\\U")},
        {Hive::CurrentConfig, QStringLiteral("Software\\Fonts"), "system.reg",
         QStringLiteral("System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const RegValue v = RegValue::fromBinary(c.path.toUtf8() + QByteArray(100, '\x5a'));
        ASSERT_EQ(
            reg->setValue(c.hive, c.path + QStringLiteral("\\Sub"), QStringLiteral("Probe"), v),
            kErrorSuccess);
        EXPECT_EQ(onDisk(c.file, c.filePath + QStringLiteral("\\Sub"), QStringLiteral("Probe")), v);
        RegValue back;
        EXPECT_EQ(makeRegistry()->queryValue(c.hive, c.path + QStringLiteral("\\sub"),
                                             QStringLiteral("probe"), &back),
                  kErrorSuccess);
        EXPECT_EQ(back, v) << "a new reader sees it";
        ASSERT_EQ(
            reg->deleteValue(c.hive, c.path + QStringLiteral("\\Sub"), QStringLiteral("probe")),
            kErrorSuccess);
        EXPECT_FALSE(onDisk(c.file, c.filePath + QStringLiteral("\\Sub"), QStringLiteral("Probe")));
        ASSERT_EQ(reg->deleteKeyTree(c.hive, c.path + QStringLiteral("\\Sub")), kErrorSuccess);
        EXPECT_FALSE(bytes(c.file).contains("Sub]"));
    }
    EXPECT_EQ(text(Hive::ClassesRoot, QStringLiteral(".txt"), QString()),
              QStringLiteral("txtfile"));
    RegValue dpi;
    EXPECT_EQ(reg->queryValue(Hive::CurrentConfig, QStringLiteral("Software\\Fonts"),
                              QStringLiteral("LogPixels"), &dpi),
              kErrorSuccess);
    EXPECT_EQ(dpi.toDword(), 0x60u);
}

TEST_F(WineRegistryTest, SymbolicLinksAreFollowed)
{
    EXPECT_EQ(text(Hive::LocalMachine, QStringLiteral("Software\\Via"), QStringLiteral("Where")),
              QStringLiteral("machine"));
    ASSERT_EQ(reg->setValue(Hive::LocalMachine, QStringLiteral("software\\via\\Sub"),
                            QStringLiteral("n"), RegValue::fromDword(1)),
              kErrorSuccess);
    EXPECT_TRUE(onDisk("system.reg", QStringLiteral("Software\\Shared\\Sub"), QStringLiteral("n")));
    ASSERT_EQ(reg->deleteKeyTree(Hive::LocalMachine, QStringLiteral("Software\\Via")),
              kErrorSuccess);
    EXPECT_EQ(text(Hive::LocalMachine, QStringLiteral("Software\\Shared"), QStringLiteral("Where")),
              QStringLiteral("machine"))
        << "deleting a link keeps its target";
}

TEST_F(WineRegistryTest, UntouchedKeysKeepTheirBytesAndChangedKeysTheirNewDate)
{
    ASSERT_EQ(reg->setValue(Hive::CurrentUser, QStringLiteral("Software\\Tarnworks\\Korvane"),
                            QStringLiteral("M"), RegValue::fromString(QStringLiteral("1"))),
              kErrorSuccess);
    const QByteArray expected = "WINE REGISTRY Version 2\n"
                                ";; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n"
                                "\n#arch=win32\n"
                                "\n[Software\\\\Tarnworks\\\\Korvane] " +
                                QByteArray::number(WineRegFile::unixFromFileTime(kClock)) +
                                "\n#time=1dd900000000000\n"
                                "\"LastSavePath\"=\"C:\\\\Backups\\\\\"\n"
                                "\"M\"=\"1\"\n"
                                "\"Z\"=\"last\"\n";
    EXPECT_EQ(bytes("user.reg").toStdString(), expected.toStdString());
    EXPECT_EQ(bytes("system.reg"), kSystemReg);
    // Setting what is already there changes nothing, not even the date.
    dir.write(QStringLiteral("user.reg"), kUserReg);
    ASSERT_EQ(reg->setValue(Hive::CurrentUser, QStringLiteral("Software\\Tarnworks\\Korvane"),
                            QStringLiteral("z"), RegValue::fromString(QStringLiteral("last"))),
              kErrorSuccess);
    EXPECT_EQ(bytes("user.reg"), kUserReg);
}

TEST_F(WineRegistryTest, MissingFilesAreEmptyHivesCreatedOnFirstWrite)
{
    QFile::remove(dir.file(QStringLiteral("user.reg")));
    QFile::remove(dir.file(QStringLiteral("userdef.reg")));
    EXPECT_EQ(reg->openKey(Hive::CurrentUser, QString()), kErrorSuccess);
    EXPECT_EQ(reg->openKey(Hive::CurrentUser, QStringLiteral("Software")), kErrorFileNotFound);
    EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("user.reg")))) << "reading creates nothing";
    ASSERT_EQ(reg->setValue(Hive::CurrentUser, QStringLiteral("Software\\K"), QStringLiteral("v"),
                            RegValue::fromDword(1)),
              kErrorSuccess);
    EXPECT_TRUE(bytes("user.reg")
                    .startsWith("WINE REGISTRY Version 2\n;; All keys relative to "
                                "REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n"
                                "\n#arch=win32\n"))
        << "the architecture follows the prefix's other files";
    EXPECT_EQ(reg->createKey(Hive::Users, QStringLiteral(".Default\\X")), kErrorSuccess);
    EXPECT_TRUE(
        bytes("userdef.reg").contains(";; All keys relative to REGISTRY\\\\User\\\\.Default\n"));
}

TEST_F(WineRegistryTest, RunningWineMakesTheRegistryReadOnly)
{
    for (bool debianStyle : {false, true}) {
        const QByteArray userBefore = bytes("user.reg");
        kv::test::FakeWineServer server(dir.path(), debianStyle);
        EXPECT_TRUE(WineServerLock(dir.path()).serverRunning()) << debianStyle;
        const QString key = QStringLiteral("Software\\Tarnworks\\Korvane");
        EXPECT_EQ(
            reg->setValue(Hive::CurrentUser, key, QStringLiteral("New"), RegValue::fromDword(1)),
            kErrorAccessDenied);
        EXPECT_TRUE(reg->lastErrorText().contains(QStringLiteral("Wine is running")));
        EXPECT_EQ(reg->createKey(Hive::LocalMachine, QStringLiteral("Software\\New")),
                  kErrorAccessDenied);
        EXPECT_EQ(bytes("user.reg"), userBefore);
        EXPECT_EQ(bytes("system.reg"), kSystemReg);
        server.stop();
        EXPECT_FALSE(WineServerLock(dir.path()).serverRunning())
            << "a left-over folder is no server";
        EXPECT_EQ(
            reg->setValue(Hive::CurrentUser, key, QStringLiteral("New"), RegValue::fromDword(1)),
            kErrorSuccess);
        ASSERT_EQ(reg->deleteValue(Hive::CurrentUser, key, QStringLiteral("New")), kErrorSuccess);
        QFile::remove(dir.file(QStringLiteral("wineserver")));
    }
}

TEST_F(WineRegistryTest, FailedWriteLeavesTheFileAsItWas)
{
    // The file-size limit holds for root as well: the temporary file cannot be written whole.
    const QString key = QStringLiteral("Software\\Tarnworks\\Korvane");
    std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit old
    {
    };
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    struct rlimit small = old;
    small.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const WinError error = reg->setValue(Hive::CurrentUser, key, QStringLiteral("Big"),
                                         RegValue::fromBinary(QByteArray(4096, 'x')));
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(error, kErrorDiskFull);
    EXPECT_FALSE(reg->lastErrorText().isEmpty());
    EXPECT_EQ(bytes("user.reg"), kUserReg);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 3)
        << "no temporary file left";
    EXPECT_EQ(text(Hive::CurrentUser, key, QStringLiteral("Big")), QStringLiteral("<none>"))
        << "what could not be written is not pretended";
    EXPECT_EQ(reg->setValue(Hive::CurrentUser, key, QStringLiteral("Small"),
                            RegValue::fromString(QStringLiteral("ok"))),
              kErrorSuccess);
}

TEST_F(WineRegistryTest, DamagedFilesAreReportedAndNeverWritten)
{
    const QByteArray garbage = QByteArray::fromHex("0001676172626167650aff");
    const QByteArray oneBadLine = kUserReg + "\"Broken\"=\"no end\n";
    dir.write(QStringLiteral("system.reg"), garbage);
    dir.write(QStringLiteral("user.reg"), oneBadLine);
    reg = makeRegistry();

    RegValue v;
    EXPECT_EQ(reg->queryValue(Hive::LocalMachine, QStringLiteral("Software\\Shared"),
                              QStringLiteral("Where"), &v),
              kErrorBadDb);
    EXPECT_TRUE(reg->lastErrorText().contains(QStringLiteral("system.reg")));
    EXPECT_EQ(reg->setValue(Hive::ClassesRoot, QStringLiteral(".x"), QString(), v), kErrorBadDb);
    EXPECT_EQ(text(Hive::CurrentUser, QStringLiteral("Software\\Tarnworks\\Korvane"),
                   QStringLiteral("Z")),
              QStringLiteral("last"))
        << "a file with a bad line can still be read";
    EXPECT_EQ(
        reg->setValue(Hive::CurrentUser, QStringLiteral("Software\\X"), QStringLiteral("v"), v),
        kErrorBadDb);
    EXPECT_TRUE(reg->lastErrorText().contains(QStringLiteral("line 10")));
    EXPECT_EQ(reg->createKey(Hive::Users, QStringLiteral(".Default\\Fine")), kErrorSuccess)
        << "the other files are unaffected";
    EXPECT_EQ(bytes("system.reg"), garbage);
    EXPECT_EQ(bytes("user.reg"), oneBadLine);

    // A registry file that is a folder cannot be read, and nothing replaces it.
    QFile::remove(dir.file(QStringLiteral("user.reg")));
    QDir().mkpath(dir.file(QStringLiteral("user.reg")));
    reg = makeRegistry();
    EXPECT_EQ(reg->openKey(Hive::CurrentUser, QString()), kErrorAccessDenied);
    EXPECT_NE(reg->setValue(Hive::CurrentUser, QStringLiteral("K"), QStringLiteral("v"), v),
              kErrorSuccess);
    EXPECT_TRUE(QFileInfo(dir.file(QStringLiteral("user.reg"))).isDir());
}

TEST_F(WineRegistryTest, FileReplacedByAnotherProgramIsReadAgain)
{
    const QString key = QStringLiteral("Software\\Tarnworks\\Korvane");
    EXPECT_EQ(text(Hive::CurrentUser, key, QStringLiteral("Z")), QStringLiteral("last"));
    QByteArray changed = kUserReg;
    changed.replace("\"Z\"=\"last\"", "\"Z\"=\"from wine\"");
    QFile::remove(dir.file(QStringLiteral("user.reg")));
    dir.write(QStringLiteral("user.reg"), changed);
    EXPECT_EQ(text(Hive::CurrentUser, key, QStringLiteral("Z")), QStringLiteral("from wine"));
    ASSERT_EQ(reg->setValue(Hive::CurrentUser, key, QStringLiteral("Mine"), RegValue::fromDword(2)),
              kErrorSuccess);
    EXPECT_TRUE(bytes("user.reg").contains("\"Z\"=\"from wine\"")) << "the other change is kept";
}

TEST_F(WineRegistryTest, DeferredWritesWaitForFlush)
{
    reg->setWriteThrough(false);
    const QString key = QStringLiteral("Software\\Import");
    for (int i = 0; i < 50; ++i)
        ASSERT_EQ(reg->setValue(Hive::CurrentUser, key, QStringLiteral("v%1").arg(i),
                                RegValue::fromDword(quint32(i))),
                  kErrorSuccess);
    EXPECT_EQ(bytes("user.reg"), kUserReg);
    EXPECT_EQ(text(Hive::CurrentUser, key, QStringLiteral("v7")), QString(QChar(7)))
        << "pending changes are visible";
    ASSERT_EQ(reg->flush(), kErrorSuccess);
    EXPECT_EQ(onDisk("user.reg", key, QStringLiteral("v49")), RegValue::fromDword(49));

    // A file replaced meanwhile is not overwritten with a stale copy.
    ASSERT_EQ(reg->setValue(Hive::CurrentUser, key, QStringLiteral("late"), RegValue::fromDword(1)),
              kErrorSuccess);
    QFile::remove(dir.file(QStringLiteral("user.reg")));
    dir.write(QStringLiteral("user.reg"), kUserReg);
    EXPECT_EQ(reg->flush(), kErrorSharingViolation);
    EXPECT_EQ(bytes("user.reg"), kUserReg);
}

TEST_F(WineRegistryTest, LinkedFileIsReplacedAtItsDestination)
{
    const QString real = dir.file(QStringLiteral("elsewhere/user.reg"));
    dir.write(QStringLiteral("elsewhere/user.reg"), kUserReg);
    QFile::remove(dir.file(QStringLiteral("user.reg")));
    ASSERT_TRUE(QFile::link(real, dir.file(QStringLiteral("user.reg"))));
    ASSERT_EQ(reg->setValue(Hive::CurrentUser, QStringLiteral("Software\\K"), QStringLiteral("v"),
                            RegValue::fromDword(5)),
              kErrorSuccess);
    EXPECT_TRUE(QFileInfo(dir.file(QStringLiteral("user.reg"))).isSymLink());
    EXPECT_TRUE(kv::test::readFile(real).contains("\"v\"=dword:00000005"));
}

TEST_F(WineRegistryTest, NamesPastWindowsLimitsAreRefused)
{
    EXPECT_EQ(reg->createKey(Hive::CurrentUser, QString(256, QLatin1Char('k'))),
              kErrorInvalidParameter);
    EXPECT_EQ(reg->createKey(Hive::CurrentUser, QString(255, QLatin1Char('k'))), kErrorSuccess);
    EXPECT_EQ(reg->setValue(Hive::CurrentUser, QStringLiteral("K"),
                            QString(16384, QLatin1Char('v')), RegValue::fromDword(1)),
              kErrorInvalidParameter);
}
