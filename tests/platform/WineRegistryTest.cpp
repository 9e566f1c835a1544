// What only Wine's registry files do; what every registry does is RegistryContractTest.
#include "platform/posix/WineRegistry.h"
#include "platform/posix/WineRegFile.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

using namespace kv::platform;
using namespace kv::platform::posix;
using namespace Qt::StringLiterals;

namespace {

constexpr quint64 kNow = 0x1dd85a000000000ull;
constexpr quint64 kClock = 0x1dd900000000000ull;
const QByteArray kHeader = "WINE REGISTRY Version 2\n";
const QString kKey = u"Software\\Tarnworks\\Korvane"_s;

QByteArray dataFile(const char* name)
{
    return kv::test::readFile(QStringLiteral(KV_TEST_DATA_DIR "/") + QLatin1String(name));
}

const QByteArray kHandMade = dataFile("hand-made.reg");
const QByteArray kSystemReg = dataFile("prefix-system.reg");
const QByteArray kUserReg = dataFile("prefix-user.reg");

WineRegKey* keyOf(WineRegFile& file, const QString& path)
{
    WineRegKey* key = file.root();
    for (const QString& part : path.split(u'\\', Qt::SkipEmptyParts))
        if (!(key = key->findSubKey(part)))
            return nullptr;
    return key;
}

const RegValue* valueOf(WineRegFile& file, const QString& path, const QString& name)
{
    WineRegKey* key = keyOf(file, path);
    const RegNamedValue* v = key ? key->findValue(name) : nullptr;
    return v ? &v->value : nullptr;
}

class WineRegistryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir.write(u"system.reg"_s, kSystemReg);
        dir.write(u"user.reg"_s, kUserReg);
        dir.write(u"userdef.reg"_s, dataFile("prefix-userdef.reg"));
        reset();
    }
    void reset()
    {
        reg = std::make_unique<WineRegistry>(WinePrefix(dir.path()));
        reg->setClock([] { return kClock; });
    }
    QByteArray bytes(const char* file) const { return kv::test::readFile(dir.file(file)); }
    // As another program does: a new file under the old name.
    void replace(const char* file, const QByteArray& content)
    {
        QFile::remove(dir.file(file));
        dir.write(QLatin1String(file), content);
    }
    // As read by `from`, by default a fresh reader of the files on disk.
    QString text(Hive hive, const QString& path, const QString& name, WineRegistry* from = nullptr)
    {
        WineRegistry fresh{WinePrefix(dir.path())};
        RegValue v;
        return (from ? from : &fresh)->queryValue(hive, path, name, &v) == kErrorSuccess
                   ? v.toString()
                   : u"<none>"_s;
    }
    WinError set(Hive hive, const QString& path, const QString& name, quint32 value)
    {
        return reg->setValue(hive, path, name, RegValue::fromDword(value));
    }

    kv::test::TempDir dir;
    std::unique_ptr<WineRegistry> reg;
};

} // namespace

TEST(WineRegFile, WineMadeFilesComeBackByteForByte)
{
    QByteArray crlf = kHandMade;
    crlf.replace("\n", "\r\n");
    const std::pair<QByteArray, QByteArray> cases[] = {
        {dataFile("wine-userdef.reg"), dataFile("wine-userdef.reg")},
        {kHandMade, kHandMade},
        {crlf, kHandMade}, // CRLF reads like LF
    };
    for (const auto& [in, out] : cases) {
        ASSERT_FALSE(in.isEmpty());
        WineRegFile file;
        EXPECT_EQ(file.parse(in, kNow), WineRegFile::State::Good) << qPrintable(file.problem());
        EXPECT_EQ(file.serialize().toStdString(), out.toStdString());
    }
}

TEST(WineRegFile, HandMadeFileHasTheValuesWineMeant)
{
    WineRegFile file;
    ASSERT_EQ(file.parse(kHandMade, kNow), WineRegFile::State::Good);
    const std::tuple<const char*, RegValue> cases[] = {
        {"", RegValue::fromString(u"default \\ text"_s)},
        {"Caf\u00e9", RegValue::fromString(u"\u20ac \u4e2d\u6587 \U0001F600"_s)},
        {"Ctl", RegValue::fromString(u"a\tb\nc\u00015\u0001\u001b"_s)},
        {"x\u00e9a", RegValue::fromString(QString())},
        {"Hex1", RegValue{kRegSz, QByteArray("A\0", 2)}},         // unterminated: stays hex
        {"Multi7", RegValue{kRegMultiSz, QByteArray("o\0n", 3)}}, // odd length: stays hex
    };
    for (const auto& [name, expected] : cases) {
        const RegValue* v = valueOf(file, u"Software\\Caf\u00e9\\[x]"_s, QString::fromUtf8(name));
        ASSERT_NE(v, nullptr) << name;
        EXPECT_EQ(v->type, expected.type) << name;
        EXPECT_EQ(v->data.toHex(), expected.data.toHex()) << name;
    }
    WineRegKey* k = keyOf(file, u"software\\CAF\u00c9\\[X]"_s);
    ASSERT_NE(k, nullptr) << "names are matched without regard to case";
    EXPECT_EQ(k->className(), u"My \"class\""_s);
}

TEST(WineRegFile, DamagedInputIsReportedNotGuessed)
{
    using State = WineRegFile::State;
    const std::pair<QByteArray, State> cases[] = {
        {"REGEDIT4\n[HKEY_CURRENT_USER\\x]\n", State::NotRegistry},
        {kHeader + "[A] 1\n\"x\"=\"unterminated", State::Damaged},
        {kHeader + "[A\\\\B", State::Damaged},
        {kHeader + "[A] 1\n\"x\"=hex:01,02,\\\n", State::Damaged},
        {kHeader + "[A] 1\n\"x\"=hex:01,zz\n", State::Damaged},
        {kHeader + "\"x\"=\"1\"\n[A] 1\n", State::Damaged},
        {kHeader + "[A] 1\n\"x\"=str(1):\"a\"\n", State::Damaged},
        {kHeader + QByteArray("[A] 1\n\"x\"=\"a\0b\"\n", 16), State::Damaged},
        {kHeader + "[A] 1\n\"x\"=\"1\"", State::Good}, // cut at the line's end
    };
    for (const auto& [text, state] : cases) {
        WineRegFile file;
        EXPECT_EQ(file.parse(text, kNow), state) << text.toStdString();
        EXPECT_EQ(file.problem().isEmpty(), state == State::Good) << text.toStdString();
    }
    WineRegFile file;
    file.parse(kHeader + "[A] 1\n\"good\"=\"1\"\n\"bad\"=\"x\n\"also\"=dword:2\n", kNow);
    EXPECT_NE(valueOf(file, u"A"_s, u"also"_s), nullptr);
    EXPECT_EQ(valueOf(file, u"A"_s, u"bad"_s), nullptr);
}

TEST(WineRegFile, MutatedFilesNeverCrashAndWhatIsUnderstoodRoundTrips)
{
    const QByteArray base = dataFile("wine-userdef.reg") + kHandMade.mid(24);
    QRandomGenerator rng(20261206);
    for (int round = 0; round < 300; ++round) {
        QByteArray bytes = base;
        for (int e = 1 + int(rng.bounded(8)); e > 0; --e)
            bytes[rng.bounded(bytes.size())] =
                rng.bounded(2) ? char(rng.bounded(256)) : "\\x\"[]\n"[rng.bounded(6)];
        bytes.truncate(round % 3 ? bytes.size() : rng.bounded(bytes.size()));
        WineRegFile file, again;
        if (file.parse(bytes, kNow) != WineRegFile::State::NotRegistry) {
            again.parse(file.serialize(), kNow);
            EXPECT_EQ(again.serialize(), file.serialize()) << "round " << round;
        }
    }
}

// The views of the hives are the contract's; here, which file each change reaches at once.
TEST_F(WineRegistryTest, ChangesAreWrittenAtOnceToTheFileOfTheirHive)
{
    const std::tuple<Hive, QString, const char*> cases[] = {
        {Hive::CurrentUser, QString(), "user.reg"},
        {Hive::LocalMachine, QString(), "system.reg"},
        {Hive::Users, u".DEFAULT\\"_s, "userdef.reg"},
    };
    const QString sub = u"Software\\K\\Sub"_s;
    for (const auto& [hive, user, file] : cases) {
        ASSERT_EQ(set(hive, user + sub, u"Probe"_s, 7), kErrorSuccess);
        EXPECT_TRUE(bytes(file).contains("Sub] ") &&
                    bytes(file).contains("\"Probe\"=dword:00000007"));
        ASSERT_EQ(reg->deleteValue(hive, user + sub, u"probe"_s), kErrorSuccess);
        EXPECT_FALSE(bytes(file).contains("Probe")) << file;
        ASSERT_EQ(reg->deleteKeyTree(hive, user + sub), kErrorSuccess);
        EXPECT_FALSE(bytes(file).contains("Sub]")) << file;
    }
    EXPECT_EQ(reg->createKey(Hive::CurrentUser, QString(256, u'k')), kErrorInvalidParameter);
    EXPECT_EQ(reg->createKey(Hive::CurrentUser, QString(255, u'k')), kErrorSuccess);
    EXPECT_EQ(set(Hive::CurrentUser, u"K"_s, QString(16384, u'v'), 1), kErrorInvalidParameter);
}

TEST_F(WineRegistryTest, RegistryLinksAndLinkedFilesAreFollowed)
{
    EXPECT_EQ(text(Hive::LocalMachine, u"Software\\Via"_s, u"Where"_s), u"machine"_s);
    ASSERT_EQ(set(Hive::LocalMachine, u"software\\via\\Sub"_s, u"n"_s, 1), kErrorSuccess);
    EXPECT_EQ(text(Hive::LocalMachine, u"Software\\Shared\\Sub"_s, u"n"_s), QString(QChar(1)));
    ASSERT_EQ(reg->deleteKeyTree(Hive::LocalMachine, u"Software\\Via"_s), kErrorSuccess);
    EXPECT_EQ(text(Hive::LocalMachine, u"Software\\Shared"_s, u"Where"_s), u"machine"_s)
        << "deleting a link keeps its target";
    // A file that is a link is replaced at its destination.
    const QString real = dir.write(u"elsewhere/user.reg"_s, kUserReg);
    QFile::remove(dir.file(u"user.reg"_s));
    ASSERT_TRUE(QFile::link(real, dir.file(u"user.reg"_s)));
    ASSERT_EQ(set(Hive::CurrentUser, u"Software\\K"_s, u"v"_s, 5), kErrorSuccess);
    EXPECT_TRUE(QFileInfo(dir.file(u"user.reg"_s)).isSymLink());
    EXPECT_TRUE(kv::test::readFile(real).contains("\"v\"=dword:00000005"));
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
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
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
    EXPECT_EQ(text(Hive::CurrentUser, kKey, u"Big"_s, reg.get()), u"<none>"_s)
        << "what could not be written is not pretended";
}

TEST_F(WineRegistryTest, DamagedFilesAreReportedAndNeverWritten)
{
    const QByteArray garbage = QByteArray::fromHex("0001676172626167650aff");
    const QByteArray oneBadLine = kUserReg + "\"Broken\"=\"no end\n";
    dir.write(u"system.reg"_s, garbage);
    dir.write(u"user.reg"_s, oneBadLine);
    reset();
    EXPECT_EQ(set(Hive::LocalMachine, u"Software\\Shared"_s, u"Where"_s, 1), kErrorBadDb);
    EXPECT_TRUE(reg->lastErrorText().contains(u"system.reg"_s));
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
    reset();
    EXPECT_EQ(reg->openKey(Hive::CurrentUser, QString()), kErrorAccessDenied);
    EXPECT_NE(set(Hive::CurrentUser, u"K"_s, u"v"_s, 1), kErrorSuccess);
    EXPECT_TRUE(QFileInfo(dir.file(u"user.reg"_s)).isDir());
}

TEST_F(WineRegistryTest, FileReplacedByAnotherProgramIsReadAgainAndPendingChangesKeepOff)
{
    replace("user.reg", QByteArray(kUserReg).replace("\"Z\"=\"last\"", "\"Z\"=\"from wine\""));
    EXPECT_EQ(text(Hive::CurrentUser, kKey, u"Z"_s, reg.get()), u"from wine"_s);
    ASSERT_EQ(set(Hive::CurrentUser, kKey, u"Mine"_s, 2), kErrorSuccess);
    EXPECT_TRUE(bytes("user.reg").contains("\"Z\"=\"from wine\"")) << "the other change is kept";

    reg->setWriteThrough(false);
    for (int i = 0; i < 50; ++i)
        ASSERT_EQ(set(Hive::CurrentUser, u"Software\\Import"_s, u"v%1"_s.arg(i), i), kErrorSuccess);
    EXPECT_FALSE(bytes("user.reg").contains("Import")) << "deferred until flush";
    ASSERT_EQ(reg->flush(), kErrorSuccess);
    EXPECT_EQ(text(Hive::CurrentUser, u"Software\\Import"_s, u"v49"_s), QString(QChar(49)));
    // A file replaced meanwhile is not overwritten with a stale copy.
    ASSERT_EQ(set(Hive::CurrentUser, kKey, u"late"_s, 1), kErrorSuccess);
    replace("user.reg", kUserReg);
    EXPECT_EQ(reg->flush(), kErrorSharingViolation);
    EXPECT_EQ(bytes("user.reg"), kUserReg);
}
