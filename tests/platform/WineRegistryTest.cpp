// Wine's registry files, and the registry kept in them: where each hive lives, how changes reach
// it.
#include "platform/posix/WineRegistry.h"
#include "platform/posix/WineRegFile.h"
#include "platform/posix/WineRegText.h"
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
const QByteArray kHeader = "WINE REGISTRY Version 2\n";

QByteArray dataFile(const char* name)
{
    return kv::test::readFile(QStringLiteral(KV_TEST_DATA_DIR "/") + QLatin1String(name));
}

WineRegKey* keyOf(WineRegFile& file, const QString& path)
{
    WineRegKey* key = file.root();
    for (const QString& part : path.split(u'\\', Qt::SkipEmptyParts)) {
        if (!(key = key->findSubKey(part)))
            return nullptr;
    }
    return key;
}

const RegValue* valueOf(WineRegFile& file, const QString& path, const QString& name)
{
    WineRegKey* key = keyOf(file, path);
    const RegNamedValue* v = key ? key->findValue(name) : nullptr;
    return v ? &v->value : nullptr;
}

// Every construct Wine writes; Long\Data wraps at Wine's column.
const QByteArray kHandMade = dataFile("hand-made.reg");

constexpr quint64 kClock = 0x1dd900000000000ull;
const QString kKey = u"Software\\Tarnworks\\Korvane"_s;

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
    // As another program does: a new file under the old name.
    void replace(const char* file, const QByteArray& content)
    {
        QFile::remove(dir.file(file));
        dir.write(QLatin1String(file), content);
    }
    // The value as a fresh reader finds it in the file on disk.
    std::optional<RegValue> onDisk(const char* file, const QString& path, const QString& name) const
    {
        WineRegFile f;
        const RegValue* v =
            f.parse(bytes(file), 1) == WineRegFile::State::Good ? valueOf(f, path, name) : nullptr;
        return v ? std::optional<RegValue>(*v) : std::nullopt;
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

TEST(WineRegFile, WineMadeFilesComeBackByteForByte)
{
    QByteArray crlf = kHandMade;
    crlf.replace("\n", "\r\n");
    const std::pair<QByteArray, QByteArray> cases[] = {
        {dataFile("wine-user.reg"), dataFile("wine-user.reg")},
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
    EXPECT_EQ(file.arch(), QByteArray("win64"));
    const std::tuple<const char*, RegValue> cases[] = {
        {"", RegValue::fromString(u"default \\ text"_s)},
        {"Caf\u00e9", RegValue::fromString(u"\u20ac \u4e2d\u6587 \U0001F600"_s)},
        {"Ctl", RegValue::fromString(u"a\tb\nc\u00015\u0001\u001b"_s)},
        {"Expand", RegValue::fromString(u"%SystemRoot%\\x"_s, kRegExpandSz)},
        {"Hex1", RegValue{kRegSz, QByteArray("A\0", 2)}}, // unterminated: stays hex
        {"Multi", RegValue::fromMultiString({u"one"_s, u"two"_s})},
        {"Multi7", RegValue{kRegMultiSz, QByteArray("o\0n", 3)}}, // odd length: stays hex
        {"Num", RegValue::fromDword(42)},
        {"Quad", RegValue{kRegQword, QByteArray("\1\0\0\0\0\0\0\0", 8)}},
        {"x\u00e9a", RegValue::fromString(QString())},
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
    EXPECT_EQ(k->modified(), 0x1dd859a2aea71acull);
    EXPECT_TRUE(keyOf(file, u"Software\\Link"_s)->isLink());
    const RegValue* data = valueOf(file, u"Software\\Long"_s, u"Data"_s);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->data.size(), 48);
    EXPECT_EQ(quint8(data->data[47]), 0x2f);
}

TEST(WineRegFile, OtherSpellingsAreWrittenAsWineWritesThem)
{
    const QByteArray header = kHeader + ";; All keys relative to \n\n[K] 1\n";
    const std::pair<QByteArray, QByteArray> cases[] = {
        {"\"m\"=hex(7):6f,00,00,00,00,00", "\"m\"=str(7):\"o\\0\""},
        {"\"s\" = str:\"x\"", "\"s\"=\"x\""},
        {"\"d\"=hex(4):2a,00,00,00", "\"d\"=dword:0000002a"},
        {"\"d\"=dword:0x2A junk", "\"d\"=dword:0000002a"},
        {"\"b\"=hex:01 , 2,\\\n   3", "\"b\"=hex:01,02,03"},
        {"\"raw\"=\"caf\xc3\xa9\"", "\"raw\"=\"caf\\xe9\""},
    };
    for (const auto& [in, out] : cases) {
        WineRegFile file;
        ASSERT_EQ(file.parse(header + in + "\n", kNow), WineRegFile::State::Good) << in.data();
        EXPECT_EQ(file.serialize().toStdString(),
                  (header + "#time=19db1ded5d71680\n" + out + "\n").toStdString());
    }
}

TEST(WineRegFile, TextEscapesFollowWine)
{
    const std::tuple<QString, QByteArray, bool> cases[] = {
        {u"a\"b\\c"_s, "a\\\"b\\\\c", true},
        {u"[x]"_s, "[x]", true}, // brackets are escaped only in key names
        {u"\u00e9"_s, "\\xe9", true},
        {u"\u00e9a"_s, "\\x00e9a", true}, // a hex digit follows: four digits
        {u"\u00e9g"_s, "\\xe9g", true},
        {u"\u20ac1"_s, "\\x20ac1", true},
        {u"\u00e9\u00e9"_s, "\\xe9\\xe9", true},
        {u"\t\n\r\a\b\v\f"_s, "\\t\\n\\r\\a\\b\\v\\f", true},
        {QString(QChar(27)), "\\e", true},
        {QString(QChar(1)), "\\1", true},
        {QChar(1) + u"7"_s, "\\0017", true}, // an octal digit follows: three digits
        {QChar(1) + u"8"_s, "\\18", true},
        {QString(QChar(0x7f)), "\x7f", true},
        {u"a"_s + QChar(0) + u"b"_s + QChar(0), "a\\0b", true},
        {u"xg"_s, "\\xg", false},          // \x without digits is an x
        {u"\u4e2d5"_s, "\\x4e2d5", false}, // at most four hex digits
        {u"q"_s, "\\q", false},            // unknown escape: the character itself
        {u"caf\u00e9"_s, "caf\xc3\xa9", false},
        {u"ab"_s, QByteArray("a\xff") + 'b', false}, // invalid UTF-8 byte is dropped
        {u"A"_s, "\\101", false},
    };
    for (const auto& [text, file, written] : cases) {
        if (written) {
            QByteArray out;
            winereg::appendEscaped(out, reinterpret_cast<const char16_t*>(text.utf16()),
                                   text.size(), '"', '"');
            EXPECT_EQ(out, file) << qPrintable(text);
        }
        const QByteArray line = file + '"';
        qsizetype pos = 0;
        QString back;
        ASSERT_TRUE(winereg::parseEscaped(line, pos, '"', &back)) << file.constData();
        EXPECT_EQ(back, text.endsWith(QChar(0)) ? text.chopped(1) : text) << file.data();
        EXPECT_EQ(pos, line.size());
    }
    qsizetype pos = 0;
    QString text;
    EXPECT_FALSE(winereg::parseEscaped("no end", pos, '"', &text));
    EXPECT_FALSE(winereg::parseEscaped("escaped end\\\"", pos, '"', &text));
}

TEST(WineRegFile, KeysAreDatedAndRepeatedSectionsMergeAsInWine)
{
    const QByteArray text = kHeader + "[A\\\\B\\\\C] 1700000000\n\"v\"=\"1\"\n"
                                      "[A\\\\D]\n\"v\"=\"2\"\n"
                                      "[E] 1700000000\n#time=1d00000000000aa\n"
                                      "[K] 1\n\"v\"=\"old\"\n\"w\"=dword:1\n"
                                      "[k] 1\n\"V\"=\"new\"\n";
    WineRegFile file;
    ASSERT_EQ(file.parse(text, kNow), WineRegFile::State::Good);
    const quint64 fromSeconds = WineRegFile::fileTimeFromUnix(1700000000);
    EXPECT_EQ(keyOf(file, u"A"_s)->modified(), fromSeconds) << "a parent made by a section";
    EXPECT_EQ(keyOf(file, u"A\\B\\C"_s)->modified(), fromSeconds);
    EXPECT_EQ(keyOf(file, u"A\\D"_s)->modified(), kNow) << "undated: load time";
    EXPECT_EQ(keyOf(file, u"E"_s)->modified(), 0x1d00000000000aaull);
    EXPECT_EQ(WineRegFile::unixFromFileTime(fromSeconds), 1700000000u);
    EXPECT_EQ(file.root()->subKeys().size(), 3u);
    EXPECT_EQ(keyOf(file, u"K"_s)->values().size(), 2);
    EXPECT_EQ(valueOf(file, u"K"_s, u"v"_s)->toString(), u"new"_s);
    EXPECT_FALSE(file.arch().has_value());
    EXPECT_TRUE(file.serialize().startsWith(kHeader + ";; All keys relative to \n\n["))
        << "no #arch line is invented";
}

TEST(WineRegFile, DamagedInputIsReportedNotGuessed)
{
    using State = WineRegFile::State;
    const std::pair<QByteArray, State> cases[] = {
        {"", State::NotRegistry},
        {QByteArray("\x89PNG\r\n\x1a\n\0\0\0", 11), State::NotRegistry},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\x]\n", State::NotRegistry},
        {kHeader + "#arch=win16\n[A] 1\n", State::NotRegistry},
        {kHeader + "[A] 1\n\"x\"=\"unterminated", State::Damaged},
        {kHeader + "[A\\\\B", State::Damaged},
        {kHeader + "[A] 1\n\"x\"=hex:01,02,\\\n", State::Damaged},
        {kHeader + "[A] 1\n\"x\"=hex:01,zz\n", State::Damaged},
        {kHeader + "[A] 1\n\"x\"=hex:100\n", State::Damaged},
        {kHeader + "\"x\"=\"1\"\n[A] 1\n", State::Damaged},
        {kHeader + "[A] 1\n\"x\"=str(1):\"a\"\n", State::Damaged},
        {kHeader + "[A] 1\nhello\n", State::Damaged},
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
    EXPECT_EQ(file.problem(), u"line 4: malformed string value"_s);
    EXPECT_NE(valueOf(file, u"A"_s, u"good"_s), nullptr);
    EXPECT_NE(valueOf(file, u"A"_s, u"also"_s), nullptr);
    EXPECT_EQ(valueOf(file, u"A"_s, u"bad"_s), nullptr);
}

TEST(WineRegFile, MutatedFilesNeverCrash)
{
    const QByteArray base = dataFile("wine-userdef.reg") + kHandMade.mid(24);
    QRandomGenerator rng(20261206);
    for (int round = 0; round < 300; ++round) {
        QByteArray bytes = base;
        for (int e = 1 + int(rng.bounded(8)); e > 0 && !bytes.isEmpty(); --e) {
            const qsizetype at = rng.bounded(bytes.size());
            switch (rng.bounded(3)) {
            case 0:
                bytes[at] = char(rng.bounded(256));
                break;
            case 1:
                bytes.truncate(at);
                break;
            default:
                bytes.insert(at, "\\x\"[]\\\n"[rng.bounded(7)]);
            }
        }
        WineRegFile file;
        if (file.parse(bytes, kNow) != WineRegFile::State::NotRegistry) {
            // What was understood is written in a form that reads back the same.
            WineRegFile again;
            again.parse(file.serialize(), kNow);
            EXPECT_EQ(again.serialize(), file.serialize()) << "round " << round;
        }
    }
}

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
