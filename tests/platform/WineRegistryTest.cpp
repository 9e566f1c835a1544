#include "platform/posix/WineRegistry.h"
#include "platform/posix/WineRegFile.h"
#include "platform/posix/WineServerLock.h"
#include "support/TempDir.h"

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

// Holds a prefix's wineserver lock as a running server holds it. The server's classic fcntl
// lock belongs to its own process; here an open-file-description lock stands in for it, since a
// classic lock of this process would be dropped by any close() of the file in the process.
class FakeWineServer
{
public:
    // `debianStyle`: the server folder lives in a temporary folder named by <prefix>/wineserver.
    FakeWineServer(const QString& prefix, bool debianStyle)
    {
        if (debianStyle) {
            QByteArray temp = "/tmp/kv-wine-XXXXXX";
            EXPECT_NE(::mkdtemp(temp.data()), nullptr);
            m_root = QString::fromLocal8Bit(temp);
            QFile named(prefix + QStringLiteral("/wineserver"));
            EXPECT_TRUE(named.open(QIODevice::WriteOnly));
            named.write(temp.mid(5));
        } else {
            m_root = QStringLiteral("/tmp/.wine-%1").arg(::getuid());
        }
        m_dir = m_root + QLatin1Char('/') + WineServerLock::serverDirName(prefix);
        QDir().mkpath(m_dir);
        m_fd = ::open(QFile::encodeName(m_dir + QStringLiteral("/lock")).constData(),
                      O_CREAT | O_TRUNC | O_WRONLY, 0600);
        EXPECT_GE(m_fd, 0);
        struct flock fl
        {
        };
        fl.l_type = F_WRLCK;
        fl.l_whence = SEEK_SET;
        fl.l_len = 1;
        EXPECT_EQ(::fcntl(m_fd, F_OFD_SETLK, &fl), 0);
        m_debian = debianStyle;
    }
    ~FakeWineServer() { stop(); }
    void stop()
    {
        if (m_fd < 0)
            return;
        ::close(m_fd);
        m_fd = -1;
        QDir(m_dir).removeRecursively();
        if (m_debian)
            QDir(m_root).removeRecursively();
        else
            QDir().rmdir(m_root);
    }

private:
    QString m_root;
    QString m_dir;
    int m_fd = -1;
    bool m_debian = false;
};

} // namespace

TEST_F(WineRegistryTest, ValuesAreReadWrittenAndDeleted)
{
    const QString key = QStringLiteral("Software\\Tarnworks\\Korvane\\Parms");
    const RegValue values[] = {
        RegValue::fromString(QStringLiteral("Y")),
        RegValue::fromString(QStringLiteral("%TEMP%\\x"), kRegExpandSz),
        RegValue::fromMultiString({QStringLiteral("a"), QStringLiteral("b")}),
        RegValue::fromDword(0xdeadbeef),
        RegValue::fromBinary(QByteArray(200, '\x5a')),
        RegValue::fromBinary(QByteArray("\1\0", 2)),
        RegValue::fromString(QStringLiteral("caf\u00e9 \u20ac \u65e5\u672c")),
    };
    int i = 0;
    for (const RegValue& v : values) {
        const QString name = QStringLiteral("V%1").arg(i++);
        ASSERT_EQ(reg->setValue(Hive::CurrentUser, key, name, v), kErrorSuccess) << i;
        RegValue back;
        ASSERT_EQ(reg->queryValue(Hive::CurrentUser, key.toUpper(), name.toLower(), &back),
                  kErrorSuccess);
        EXPECT_EQ(back, v) << i;
        EXPECT_EQ(onDisk("user.reg", key, name), v) << "written at once: " << i;
        EXPECT_EQ(makeRegistry()->queryValue(Hive::CurrentUser, key, name, &back), kErrorSuccess);
        EXPECT_EQ(back, v) << "a new reader sees it: " << i;
    }
    QList<RegNamedValue> list;
    ASSERT_EQ(reg->enumValues(Hive::CurrentUser, key, &list), kErrorSuccess);
    EXPECT_EQ(list.size(), 7);

    EXPECT_EQ(reg->deleteValue(Hive::CurrentUser, key, QStringLiteral("v3")), kErrorSuccess);
    EXPECT_EQ(reg->deleteValue(Hive::CurrentUser, key, QStringLiteral("v3")), kErrorFileNotFound);
    EXPECT_FALSE(onDisk("user.reg", key, QStringLiteral("V3")));
    RegValue untouched = RegValue::fromDword(7);
    EXPECT_EQ(reg->queryValue(Hive::CurrentUser, key, QStringLiteral("V3"), &untouched),
              kErrorFileNotFound);
    EXPECT_EQ(untouched, RegValue::fromDword(7)) << "out-argument left alone on failure";
    EXPECT_EQ(text(Hive::CurrentUser, QStringLiteral("software\\TARNWORKS\\korvane"),
                   QStringLiteral("lastsavepath")),
              QStringLiteral("C:\\Backups\\"));
}

TEST_F(WineRegistryTest, KeysAreCreatedEnumeratedAndDeletedWithTheirSubtree)
{
    ASSERT_EQ(reg->createKey(Hive::CurrentUser, QStringLiteral("Software\\Test\\b\\Deep")),
              kErrorSuccess);
    ASSERT_EQ(reg->createKey(Hive::CurrentUser, QStringLiteral("Software\\TEST\\A")),
              kErrorSuccess);
    ASSERT_EQ(reg->createKey(Hive::CurrentUser, QStringLiteral("\\Software\\\\Test\\C\\")),
              kErrorSuccess);
    QStringList names;
    ASSERT_EQ(reg->enumSubKeys(Hive::CurrentUser, QStringLiteral("software\\test"), &names),
              kErrorSuccess);
    EXPECT_EQ(names, QStringList({"A", "b", "C"}));
    EXPECT_EQ(reg->openKey(Hive::CurrentUser, QStringLiteral("Software\\Test\\B\\deep")),
              kErrorSuccess);
    EXPECT_EQ(reg->openKey(Hive::CurrentUser, QStringLiteral("Software\\Test\\Missing")),
              kErrorFileNotFound);
    EXPECT_FALSE(reg->lastErrorText().isEmpty());
    EXPECT_TRUE(bytes("user.reg").contains("[Software\\\\Test\\\\b\\\\Deep] "));

    ASSERT_EQ(reg->deleteKeyTree(Hive::CurrentUser, QStringLiteral("Software\\TEST\\B")),
              kErrorSuccess);
    EXPECT_EQ(reg->openKey(Hive::CurrentUser, QStringLiteral("Software\\Test\\b\\Deep")),
              kErrorFileNotFound);
    EXPECT_FALSE(bytes("user.reg").contains("Deep"));
    EXPECT_EQ(reg->deleteKeyTree(Hive::CurrentUser, QStringLiteral("Software\\Test\\B")),
              kErrorFileNotFound);
    for (const auto& [hive, path] : {std::pair{Hive::CurrentUser, QString()},
                                     std::pair{Hive::ClassesRoot, QStringLiteral("\\")},
                                     std::pair{Hive::Users, QStringLiteral(".Default")}})
        EXPECT_EQ(reg->deleteKeyTree(hive, path), kErrorAccessDenied) << "roots stay";
}

TEST_F(WineRegistryTest, HivesMapOntoTheFilesAsWindowsMapsThem)
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
        const RegValue v = RegValue::fromString(c.path);
        ASSERT_EQ(reg->setValue(c.hive, c.path, QStringLiteral("Probe"), v), kErrorSuccess)
            << qPrintable(c.path);
        EXPECT_EQ(onDisk(c.file, c.filePath, QStringLiteral("Probe")), v) << qPrintable(c.path);
    }
    EXPECT_EQ(text(Hive::LocalMachine, QStringLiteral("Software\\Classes\\.EAZ"),
                   QStringLiteral("Probe")),
              QStringLiteral(".eaz"));
    EXPECT_EQ(text(Hive::CurrentUser, QStringLiteral("Software\\U"), QStringLiteral("Probe")),
              QStringLiteral("s-1-5-21-0-0-0-1000\\Software\\U"));
    EXPECT_EQ(text(Hive::ClassesRoot, QStringLiteral(".txt"), QString()),
              QStringLiteral("txtfile"));
    RegValue dpi;
    EXPECT_EQ(reg->queryValue(Hive::CurrentConfig, QStringLiteral("Software\\Fonts"),
                              QStringLiteral("LogPixels"), &dpi),
              kErrorSuccess);
    EXPECT_EQ(dpi.toDword(), 0x60u);

    QStringList users;
    ASSERT_EQ(reg->enumSubKeys(Hive::Users, QString(), &users), kErrorSuccess);
    EXPECT_EQ(users, QStringList({".Default", "S-1-5-21-0-0-0-1000"}));
    EXPECT_EQ(reg->createKey(Hive::Users, QStringLiteral("S-1-5-18")), kErrorAccessDenied);
    EXPECT_EQ(reg->setValue(Hive::Users, QString(), QStringLiteral("x"), dpi), kErrorAccessDenied);
    EXPECT_EQ(reg->openKey(Hive::Users, QStringLiteral("S-1-5-18")), kErrorFileNotFound);

    for (WinError e :
         {reg->openKey(Hive::DynData, QString()),
          reg->setValue(Hive::DynData, QStringLiteral("PerfStats"), QStringLiteral("x"), dpi)})
        EXPECT_EQ(e, kErrorInvalidHandle);
    EXPECT_TRUE(reg->lastErrorText().contains(QStringLiteral("HKEY_DYN_DATA")));
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
        FakeWineServer server(dir.path(), debianStyle);
        EXPECT_TRUE(WineServerLock(dir.path()).serverRunning()) << debianStyle;
        const QString key = QStringLiteral("Software\\Tarnworks\\Korvane");
        EXPECT_EQ(
            reg->setValue(Hive::CurrentUser, key, QStringLiteral("New"), RegValue::fromDword(1)),
            kErrorAccessDenied);
        EXPECT_TRUE(reg->lastErrorText().contains(QStringLiteral("Wine is running")));
        EXPECT_EQ(reg->createKey(Hive::LocalMachine, QStringLiteral("Software\\New")),
                  kErrorAccessDenied);
        EXPECT_EQ(reg->deleteValue(Hive::CurrentUser, key, QStringLiteral("Z")),
                  kErrorAccessDenied);
        EXPECT_EQ(reg->deleteKeyTree(Hive::CurrentUser, key), kErrorAccessDenied);
        EXPECT_EQ(text(Hive::CurrentUser, key, QStringLiteral("Z")), QStringLiteral("last"))
            << "reading goes on";
        EXPECT_EQ(text(Hive::CurrentUser, key, QStringLiteral("New")), QStringLiteral("<none>"));
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

TEST_F(WineRegistryTest, EdgesOfTheInterface)
{
    dir.write(QStringLiteral("system.reg"), "WINE REGISTRY Version 2\n[Software\\\\Other] 1\n");
    reg = makeRegistry();
    QStringList names{QStringLiteral("stale")};
    EXPECT_EQ(reg->openKey(Hive::ClassesRoot, QString()), kErrorSuccess)
        << "HKCR is there even before its key exists";
    EXPECT_EQ(reg->enumSubKeys(Hive::ClassesRoot, QString(), &names), kErrorSuccess);
    EXPECT_TRUE(names.isEmpty());
    EXPECT_EQ(reg->openKey(Hive::ClassesRoot, QStringLiteral(".txt")), kErrorFileNotFound);
    EXPECT_EQ(reg->createKey(Hive::CurrentUser, QString(256, QLatin1Char('k'))),
              kErrorInvalidParameter);
    EXPECT_EQ(reg->createKey(Hive::CurrentUser, QString(255, QLatin1Char('k'))), kErrorSuccess);
    EXPECT_EQ(reg->setValue(Hive::CurrentUser, QStringLiteral("K"),
                            QString(16384, QLatin1Char('v')), RegValue::fromDword(1)),
              kErrorInvalidParameter);
}
