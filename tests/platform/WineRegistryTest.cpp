#include "platform/posix/WineRegistry.h"
#include "platform/posix/WineRegFile.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

using namespace kv::platform;
using namespace kv::platform::posix;
using namespace Qt::StringLiterals;

namespace {

constexpr quint64 kClock = 0x1dd900000000000ull;
const QString kKey = u"Software\\Tarnworks\\Korvane"_s;

QByteArray dataFile(const char* name)
{
    return kv::test::readFile(QStringLiteral(KV_TEST_DATA_DIR "/") + QLatin1String(name));
}

const QByteArray kSystemReg = dataFile("prefix-system.reg");
const QByteArray kUserReg = dataFile("prefix-user.reg");

class WineRegistryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir.write(u"system.reg"_s, kSystemReg);
        dir.write(u"user.reg"_s, kUserReg);
        dir.write(u"userdef.reg"_s, dataFile("prefix-userdef.reg"));
        reg = makeRegistry();
    }
    std::unique_ptr<WineRegistry> makeRegistry() const
    {
        auto r = std::make_unique<WineRegistry>(WinePrefix(dir.path()));
        r->setClock([] { return kClock; });
        return r;
    }
    QByteArray bytes(const char* file) const { return kv::test::readFile(dir.file(file)); }
    // Replaces a file as another program does: a new file under the old name.
    void replace(const char* file, const QByteArray& content)
    {
        QFile::remove(dir.file(file));
        dir.write(QLatin1String(file), content);
    }
    // The value as a fresh reader finds it in the file on disk.
    std::optional<RegValue> onDisk(const char* file, const QString& path, const QString& name) const
    {
        WineRegFile f;
        if (f.parse(bytes(file), 1) != WineRegFile::State::Good)
            return std::nullopt;
        WineRegKey* key = f.root();
        for (const QString& part : path.split(u'\\', Qt::SkipEmptyParts)) {
            if (!(key = key->findSubKey(part)))
                return std::nullopt;
        }
        const RegNamedValue* v = key->findValue(name);
        return v ? std::optional<RegValue>(v->value) : std::nullopt;
    }
    QString text(Hive hive, const QString& path, const QString& name)
    {
        RegValue v;
        return reg->queryValue(hive, path, name, &v) == kErrorSuccess ? v.toString() : u"<none>"_s;
    }
    WinError set(Hive hive, const QString& path, const QString& name, quint32 value)
    {
        return reg->setValue(hive, path, name, RegValue::fromDword(value));
    }

    kv::test::TempDir dir;
    std::unique_ptr<WineRegistry> reg;
};

} // namespace

// Every change reaches the file Windows maps its hive onto at once, where a new reader finds it.
TEST_F(WineRegistryTest, ChangesAreWrittenAtOnceToTheFileOfTheirHive)
{
    const std::tuple<Hive, QString, const char*, QString> cases[] = {
        {Hive::CurrentUser, u"Software\\K"_s, "user.reg", u"Software\\K"_s},
        {Hive::LocalMachine, u"Software\\K"_s, "system.reg", u"Software\\K"_s},
        {Hive::ClassesRoot, u".eaz"_s, "system.reg", u"Software\\Classes\\.eaz"_s},
        {Hive::Users, u".DEFAULT\\Software\\K"_s, "userdef.reg", u"Software\\K"_s},
        {Hive::Users, u"s-1-5-21-0-0-0-1000\\Software\\U"_s, "user.reg", u"Software\\U"_s},
        {Hive::CurrentConfig, u"Software\\Fonts"_s, "system.reg",
         u"System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts"_s},
    };
    for (const auto& [hive, path, file, filePath] : cases) {
        SCOPED_TRACE(path.toStdString());
        const RegValue v = RegValue::fromBinary(path.toUtf8() + QByteArray(100, '\x5a'));
        const QString sub = path + u"\\Sub"_s;
        ASSERT_EQ(reg->setValue(hive, sub, u"Probe"_s, v), kErrorSuccess);
        EXPECT_EQ(onDisk(file, filePath + u"\\Sub"_s, u"Probe"_s), v);
        ASSERT_EQ(reg->deleteValue(hive, sub, u"probe"_s), kErrorSuccess);
        EXPECT_FALSE(onDisk(file, filePath + u"\\Sub"_s, u"Probe"_s));
        ASSERT_EQ(reg->deleteKeyTree(hive, sub), kErrorSuccess);
        EXPECT_FALSE(bytes(file).contains("Sub]"));
    }
    EXPECT_EQ(text(Hive::ClassesRoot, u".txt"_s, QString()), u"txtfile"_s);
    RegValue dpi;
    EXPECT_EQ(reg->queryValue(Hive::CurrentConfig, u"Software\\Fonts"_s, u"LogPixels"_s, &dpi),
              kErrorSuccess);
    EXPECT_EQ(dpi.toDword(), 0x60u);
}

TEST_F(WineRegistryTest, SymbolicLinksAreFollowed)
{
    EXPECT_EQ(text(Hive::LocalMachine, u"Software\\Via"_s, u"Where"_s), u"machine"_s);
    ASSERT_EQ(set(Hive::LocalMachine, u"software\\via\\Sub"_s, u"n"_s, 1), kErrorSuccess);
    EXPECT_TRUE(onDisk("system.reg", u"Software\\Shared\\Sub"_s, u"n"_s));
    ASSERT_EQ(reg->deleteKeyTree(Hive::LocalMachine, u"Software\\Via"_s), kErrorSuccess);
    EXPECT_EQ(text(Hive::LocalMachine, u"Software\\Shared"_s, u"Where"_s), u"machine"_s)
        << "deleting a link keeps its target";
}

TEST_F(WineRegistryTest, UntouchedKeysKeepTheirBytesAndChangedKeysTheirNewDate)
{
    ASSERT_EQ(reg->setValue(Hive::CurrentUser, kKey, u"M"_s, RegValue::fromString(u"1"_s)),
              kErrorSuccess);
    QByteArray expected = kUserReg;
    expected.replace("] 1700000000\n#time=1da1a3b00000000\n",
                     "] " + QByteArray::number(WineRegFile::unixFromFileTime(kClock)) +
                         "\n#time=1dd900000000000\n");
    expected.replace("\"Z\"", "\"M\"=\"1\"\n\"Z\"");
    EXPECT_EQ(bytes("user.reg").toStdString(), expected.toStdString());
    EXPECT_EQ(bytes("system.reg"), kSystemReg);
    // Setting what is already there changes nothing, not even the date.
    dir.write(u"user.reg"_s, kUserReg);
    ASSERT_EQ(reg->setValue(Hive::CurrentUser, kKey, u"z"_s, RegValue::fromString(u"last"_s)),
              kErrorSuccess);
    EXPECT_EQ(bytes("user.reg"), kUserReg);
}

TEST_F(WineRegistryTest, MissingFilesAreEmptyHivesCreatedOnFirstWrite)
{
    QFile::remove(dir.file(u"user.reg"_s));
    QFile::remove(dir.file(u"userdef.reg"_s));
    EXPECT_EQ(reg->openKey(Hive::CurrentUser, QString()), kErrorSuccess);
    EXPECT_EQ(reg->openKey(Hive::CurrentUser, u"Software"_s), kErrorFileNotFound);
    EXPECT_FALSE(QFile::exists(dir.file(u"user.reg"_s))) << "reading creates nothing";
    ASSERT_EQ(set(Hive::CurrentUser, u"Software\\K"_s, u"v"_s, 1), kErrorSuccess);
    EXPECT_TRUE(bytes("user.reg").startsWith(kUserReg.left(kUserReg.indexOf("\n\n[") + 1)))
        << "the header and architecture follow the prefix's other files";
    EXPECT_EQ(reg->createKey(Hive::Users, u".Default\\X"_s), kErrorSuccess);
    EXPECT_TRUE(
        bytes("userdef.reg").contains(";; All keys relative to REGISTRY\\\\User\\\\.Default\n"));
}

TEST_F(WineRegistryTest, FailedWriteLeavesTheFileAsItWas)
{
    // The file-size limit holds for root as well: the temporary file cannot be written whole.
    std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit old
    {
    };
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    struct rlimit small = old;
    small.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const WinError error = reg->setValue(Hive::CurrentUser, kKey, u"Big"_s,
                                         RegValue::fromBinary(QByteArray(4096, 'x')));
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(error, kErrorDiskFull);
    EXPECT_FALSE(reg->lastErrorText().isEmpty());
    EXPECT_EQ(bytes("user.reg"), kUserReg);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 3)
        << "no temporary file left";
    EXPECT_EQ(text(Hive::CurrentUser, kKey, u"Big"_s), u"<none>"_s)
        << "what could not be written is not pretended";
    EXPECT_EQ(set(Hive::CurrentUser, kKey, u"Small"_s, 1), kErrorSuccess);
}

TEST_F(WineRegistryTest, DamagedFilesAreReportedAndNeverWritten)
{
    const QByteArray garbage = QByteArray::fromHex("0001676172626167650aff");
    const QByteArray oneBadLine = kUserReg + "\"Broken\"=\"no end\n";
    dir.write(u"system.reg"_s, garbage);
    dir.write(u"user.reg"_s, oneBadLine);
    reg = makeRegistry();

    RegValue v;
    EXPECT_EQ(reg->queryValue(Hive::LocalMachine, u"Software\\Shared"_s, u"Where"_s, &v),
              kErrorBadDb);
    EXPECT_TRUE(reg->lastErrorText().contains(u"system.reg"_s));
    EXPECT_EQ(set(Hive::ClassesRoot, u".x"_s, QString(), 1), kErrorBadDb);
    EXPECT_EQ(text(Hive::CurrentUser, kKey, u"Z"_s), u"last"_s)
        << "a file with a bad line can still be read";
    EXPECT_EQ(set(Hive::CurrentUser, u"Software\\X"_s, u"v"_s, 1), kErrorBadDb);
    EXPECT_TRUE(reg->lastErrorText().contains(u"line 10"_s));
    EXPECT_EQ(reg->createKey(Hive::Users, u".Default\\Fine"_s), kErrorSuccess)
        << "the other files are unaffected";
    EXPECT_EQ(bytes("system.reg"), garbage);
    EXPECT_EQ(bytes("user.reg"), oneBadLine);

    // A registry file that is a folder cannot be read, and nothing replaces it.
    QFile::remove(dir.file(u"user.reg"_s));
    QDir().mkpath(dir.file(u"user.reg"_s));
    reg = makeRegistry();
    EXPECT_EQ(reg->openKey(Hive::CurrentUser, QString()), kErrorAccessDenied);
    EXPECT_NE(set(Hive::CurrentUser, u"K"_s, u"v"_s, 1), kErrorSuccess);
    EXPECT_TRUE(QFileInfo(dir.file(u"user.reg"_s)).isDir());
}

TEST_F(WineRegistryTest, FileReplacedByAnotherProgramIsReadAgain)
{
    EXPECT_EQ(text(Hive::CurrentUser, kKey, u"Z"_s), u"last"_s);
    replace("user.reg", QByteArray(kUserReg).replace("\"Z\"=\"last\"", "\"Z\"=\"from wine\""));
    EXPECT_EQ(text(Hive::CurrentUser, kKey, u"Z"_s), u"from wine"_s);
    ASSERT_EQ(set(Hive::CurrentUser, kKey, u"Mine"_s, 2), kErrorSuccess);
    EXPECT_TRUE(bytes("user.reg").contains("\"Z\"=\"from wine\"")) << "the other change is kept";
}

TEST_F(WineRegistryTest, DeferredWritesWaitForFlush)
{
    reg->setWriteThrough(false);
    const QString key = u"Software\\Import"_s;
    for (int i = 0; i < 50; ++i)
        ASSERT_EQ(set(Hive::CurrentUser, key, u"v%1"_s.arg(i), quint32(i)), kErrorSuccess);
    EXPECT_EQ(bytes("user.reg"), kUserReg);
    EXPECT_EQ(text(Hive::CurrentUser, key, u"v7"_s), QString(QChar(7))) << "pending is visible";
    ASSERT_EQ(reg->flush(), kErrorSuccess);
    EXPECT_EQ(onDisk("user.reg", key, u"v49"_s), RegValue::fromDword(49));

    // A file replaced meanwhile is not overwritten with a stale copy.
    ASSERT_EQ(set(Hive::CurrentUser, key, u"late"_s, 1), kErrorSuccess);
    replace("user.reg", kUserReg);
    EXPECT_EQ(reg->flush(), kErrorSharingViolation);
    EXPECT_EQ(bytes("user.reg"), kUserReg);
}

TEST_F(WineRegistryTest, LinkedFileIsReplacedAtItsDestination)
{
    const QString real = dir.write(u"elsewhere/user.reg"_s, kUserReg);
    QFile::remove(dir.file(u"user.reg"_s));
    ASSERT_TRUE(QFile::link(real, dir.file(u"user.reg"_s)));
    ASSERT_EQ(set(Hive::CurrentUser, u"Software\\K"_s, u"v"_s, 5), kErrorSuccess);
    EXPECT_TRUE(QFileInfo(dir.file(u"user.reg"_s)).isSymLink());
    EXPECT_TRUE(kv::test::readFile(real).contains("\"v\"=dword:00000005"));
}

TEST_F(WineRegistryTest, NamesPastWindowsLimitsAreRefused)
{
    EXPECT_EQ(reg->createKey(Hive::CurrentUser, QString(256, u'k')), kErrorInvalidParameter);
    EXPECT_EQ(reg->createKey(Hive::CurrentUser, QString(255, u'k')), kErrorSuccess);
    EXPECT_EQ(set(Hive::CurrentUser, u"K"_s, QString(16384, u'v'), 1), kErrorInvalidParameter);
}
