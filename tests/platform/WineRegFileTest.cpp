#include "platform/posix/WineRegFile.h"
#include "platform/posix/WineRegText.h"
#include "support/TempDir.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace kv::platform;
using namespace kv::platform::posix;

namespace {

constexpr quint64 kNow = 0x1dd85a000000000ull;

// Bytes of a literal, NULs included.
template <std::size_t N>
QByteArray raw(const char (&text)[N])
{
    return QByteArray(text, qsizetype(N - 1));
}

QByteArray dataFile(const char* name)
{
    return kv::test::readFile(QStringLiteral(KV_TEST_DATA_DIR "/") + QLatin1String(name));
}

QByteArray escaped(const QString& text)
{
    QByteArray out;
    winereg::appendEscaped(out, reinterpret_cast<const char16_t*>(text.utf16()), text.size(), '"',
                           '"');
    return out;
}

const RegValue* valueOf(WineRegFile& file, const QString& path, const QString& name)
{
    WineRegKey* key = file.root();
    for (const QString& part : path.split(QLatin1Char('\\'), Qt::SkipEmptyParts)) {
        key = key->findSubKey(part);
        if (!key)
            return nullptr;
    }
    const RegNamedValue* v = key->findValue(name);
    return v ? &v->value : nullptr;
}

// A file in Wine's own layout using every construct it writes.
const QByteArray kHandMade =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n"
    "\n#arch=win64\n"
    "\n[Software\\\\Caf\\xe9\\\\\\[x\\]] 1796572508\n"
    "#time=1dd859a2aea71ac\n"
    "#class=\"My \\\"class\\\"\"\n"
    "@=\"default \\\\ text\"\n"
    "\"Caf\\xe9\"=\"\\x20ac \\x4e2d\\x6587 \\xd83d\\xde00\"\n"
    "\"Ctl\"=\"a\\tb\\nc\\0015\\1\\e\"\n"
    "\"Expand\"=str(2):\"%SystemRoot%\\\\x\"\n"
    "\"Hex1\"=hex(1):41,00\n"
    "\"Multi\"=str(7):\"one\\0two\\0\"\n"
    "\"Multi7\"=hex(7):6f,00,6e\n"
    "\"Num\"=dword:0000002a\n"
    "\"Quad\"=hex(b):01,00,00,00,00,00,00,00\n"
    "\"x\\x00e9a\"=\"\"\n"
    "\n[Software\\\\Link] 1796572508\n"
    "#time=1dd859a2aea71ac\n"
    "#link\n"
    "\"SymbolicLinkValue\"=hex(6):5c,00,52,00\n"
    "\n[Software\\\\Long] 1796572508\n"
    "#time=1dd859a2aea71ac\n"
    "\"Data\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\\\n"
    "  16,17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a,2b,2c,2d,2e,\\\n"
    "  2f\n"
    "\"Empty\"=hex:\n";

} // namespace

TEST(WineRegFile, WineMadeFilesComeBackByteForByte)
{
    for (const char* name : {"wine-user.reg", "wine-userdef.reg"}) {
        const QByteArray original = dataFile(name);
        ASSERT_FALSE(original.isEmpty()) << name;
        WineRegFile file;
        EXPECT_EQ(file.parse(original, kNow), WineRegFile::State::Good) << name;
        EXPECT_EQ(file.serialize(), original) << name;
    }
}

TEST(WineRegFile, HandMadeFileIsReadAndWrittenBackUnchanged)
{
    WineRegFile file;
    ASSERT_EQ(file.parse(kHandMade, kNow), WineRegFile::State::Good) << qPrintable(file.problem());
    EXPECT_EQ(file.serialize().toStdString(), kHandMade.toStdString());
    EXPECT_EQ(file.arch(), QByteArray("win64"));

    const QString key = QStringLiteral("Software\\Caf\u00e9\\[x]");
    const struct
    {
        const char* name;
        RegValue expected;
    } cases[] = {
        {"", RegValue::fromString(QStringLiteral("default \\ text"))},
        {"Caf\u00e9", RegValue::fromString(QStringLiteral("\u20ac \u4e2d\u6587 \U0001F600"))},
        {"Ctl", RegValue::fromString(QStringLiteral("a\tb\nc\u00015\u0001\u001b"))},
        {"Expand", RegValue::fromString(QStringLiteral("%SystemRoot%\\x"), kRegExpandSz)},
        {"Hex1", RegValue{kRegSz, QByteArray("A\0", 2)}}, // unterminated: stays hex
        {"Multi", RegValue::fromMultiString({QStringLiteral("one"), QStringLiteral("two")})},
        {"Multi7", RegValue{kRegMultiSz, QByteArray("o\0n", 3)}}, // odd length: stays hex
        {"Num", RegValue::fromDword(42)},
        {"Quad", RegValue{kRegQword, QByteArray("\1\0\0\0\0\0\0\0", 8)}},
        {"x\u00e9a", RegValue::fromString(QString())},
    };
    for (const auto& c : cases) {
        const RegValue* v = valueOf(file, key, QString::fromUtf8(c.name));
        ASSERT_NE(v, nullptr) << c.name;
        EXPECT_EQ(v->type, c.expected.type) << c.name;
        EXPECT_EQ(v->data.toHex(), c.expected.data.toHex()) << c.name;
    }
    WineRegKey* k = file.root()
                        ->findSubKey(QStringLiteral("software"))
                        ->findSubKey(QStringLiteral("CAF\u00c9"));
    ASSERT_NE(k, nullptr) << "names are matched without regard to case";
    EXPECT_EQ(k->subKeys().front()->className(), QStringLiteral("My \"class\""));
    EXPECT_EQ(k->subKeys().front()->modified(), 0x1dd859a2aea71acull);
    EXPECT_TRUE(file.root()
                    ->findSubKey(QStringLiteral("Software"))
                    ->findSubKey(QStringLiteral("Link"))
                    ->isLink());
    const RegValue* data = valueOf(file, QStringLiteral("Software\\Long"), QStringLiteral("Data"));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->data.size(), 48);
    EXPECT_EQ(quint8(data->data[47]), 0x2f);
}

TEST(WineRegFile, OtherSpellingsAreWrittenAsWineWritesThem)
{
    const QByteArray header = "WINE REGISTRY Version 2\n;; All keys relative to \n\n[K] 1\n";
    const struct
    {
        QByteArray in;
        QByteArray out;
    } cases[] = {
        {"\"m\"=hex(7):6f,00,00,00,00,00", "#time=19db1ded5d71680\n\"m\"=str(7):\"o\\0\"\n"},
        {"\"s\" = str:\"x\"", "#time=19db1ded5d71680\n\"s\"=\"x\"\n"},
        {"\"d\"=hex(4):2a,00,00,00", "#time=19db1ded5d71680\n\"d\"=dword:0000002a\n"},
        {"\"d\"=dword:0x2A junk", "#time=19db1ded5d71680\n\"d\"=dword:0000002a\n"},
        {"\"b\"=hex:01 , 2,\\\n   3", "#time=19db1ded5d71680\n\"b\"=hex:01,02,03\n"},
        {"\"raw\"=\"caf\xc3\xa9\"", "#time=19db1ded5d71680\n\"raw\"=\"caf\\xe9\"\n"},
    };
    for (const auto& c : cases) {
        WineRegFile file;
        ASSERT_EQ(file.parse(header + c.in + "\n", kNow), WineRegFile::State::Good)
            << c.in.constData();
        EXPECT_EQ(file.serialize().toStdString(), (header + c.out).toStdString());
    }
}

TEST(WineRegFile, CrlfInputReadsLikeLf)
{
    QByteArray crlf = kHandMade;
    crlf.replace("\n", "\r\n");
    WineRegFile file;
    ASSERT_EQ(file.parse(crlf, kNow), WineRegFile::State::Good) << qPrintable(file.problem());
    EXPECT_EQ(file.serialize(), kHandMade);
}

TEST(WineRegFile, TextEscapesFollowWine)
{
    const struct
    {
        QString text;
        QByteArray file;
    } cases[] = {
        {QStringLiteral("a\"b\\c"), "a\\\"b\\\\c"},
        {QStringLiteral("[x]"), "[x]"}, // brackets are escaped only in key names
        {QStringLiteral("\u00e9"), "\\xe9"},
        {QStringLiteral("\u00e9a"), "\\x00e9a"}, // a hex digit follows: four digits
        {QStringLiteral("\u00e9g"), "\\xe9g"},
        {QStringLiteral("\u20ac1"), "\\x20ac1"},
        {QStringLiteral("\u00e9\u00e9"), "\\xe9\\xe9"},
        {QStringLiteral("\t\n\r\a\b\v\f"), "\\t\\n\\r\\a\\b\\v\\f"},
        {QString(QChar(27)), "\\e"},
        {QString(QChar(1)), "\\1"},
        {QString(QChar(1)) + QLatin1Char('7'), "\\0017"}, // an octal digit follows: three digits
        {QString(QChar(1)) + QLatin1Char('8'), "\\18"},
        {QString(QChar(0x7f)), "\x7f"},
        {QStringLiteral("a") + QChar(0) + QStringLiteral("b") + QChar(0), "a\\0b"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(escaped(c.text), c.file) << qPrintable(c.text);
        QByteArray line = c.file + '"';
        qsizetype pos = 0;
        QString back;
        ASSERT_TRUE(winereg::parseEscaped(line, pos, '"', &back)) << c.file.constData();
        QString expected = c.text;
        if (expected.endsWith(QChar(0)))
            expected.chop(1);
        EXPECT_EQ(back, expected) << c.file.constData();
        EXPECT_EQ(pos, line.size());
    }
}

TEST(WineRegFile, LenientEscapesAreReadAsWineReadsThem)
{
    const struct
    {
        QByteArray file;
        QString text;
    } cases[] = {
        {"\\xg", QStringLiteral("xg")},               // \x without digits is an x
        {"\\x4e2d5", QStringLiteral("\u4e2d5")},      // at most four hex digits
        {"\\q", QStringLiteral("q")},                 // unknown escape: the character itself
        {"caf\xc3\xa9", QStringLiteral("caf\u00e9")}, // raw UTF-8
        {"a\xff"
         "b",
         QStringLiteral("ab")}, // invalid UTF-8 byte is dropped
        {"\\101", QStringLiteral("A")},
    };
    for (const auto& c : cases) {
        QByteArray line = c.file + '"';
        qsizetype pos = 0;
        QString text;
        ASSERT_TRUE(winereg::parseEscaped(line, pos, '"', &text)) << c.file.constData();
        EXPECT_EQ(text, c.text) << c.file.constData();
    }
    qsizetype pos = 0;
    QString text;
    EXPECT_FALSE(winereg::parseEscaped("no end", pos, '"', &text));
    EXPECT_FALSE(winereg::parseEscaped("escaped end\\\"", pos, '"', &text));
}

TEST(WineRegFile, LongBinaryWrapsAtWinesColumn)
{
    WineRegFile file("REGISTRY\\\\Machine");
    QByteArray bytes;
    for (int i = 0; i < 100; ++i)
        bytes.append(char(i));
    file.root()
        ->addSubKey(QStringLiteral("K"), kNow)
        ->setValue(QStringLiteral("Data"), RegValue::fromBinary(bytes));
    const QByteArray text = file.serialize();
    const QList<QByteArray> lines = text.split('\n');
    const qsizetype first = lines.indexOf(QByteArray("\"Data\"=hex:00,01,02,03,04,05,06,07,08,09,"
                                                     "0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\\"));
    ASSERT_GE(first, 0) << text.constData();
    EXPECT_EQ(lines[first + 1], "  16,17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a,"
                                "2b,2c,2d,2e,\\");
    WineRegFile back;
    ASSERT_EQ(back.parse(text, kNow), WineRegFile::State::Good);
    EXPECT_EQ(valueOf(back, QStringLiteral("K"), QStringLiteral("data"))->data, bytes);
}

TEST(WineRegFile, NewNamesAreSortedAsWineSortsThem)
{
    WineRegFile file;
    WineRegKey* root = file.root();
    for (const char* name : {"b", "A", "_x", "C", "aB"})
        root->addSubKey(QString::fromLatin1(name), kNow);
    QStringList order;
    for (const auto& k : root->subKeys())
        order << k->name();
    // Case-insensitive by lower case, shorter first: '_' (0x5f) sorts before letters.
    EXPECT_EQ(order, QStringList({"_x", "A", "aB", "b", "C"}));

    WineRegKey* key = root->findSubKey(QStringLiteral("b"));
    for (const char* name : {"Zeta", "alpha", "Beta"})
        key->setValue(QString::fromLatin1(name), RegValue::fromDword(1));
    EXPECT_FALSE(key->setValue(QStringLiteral("BETA"), RegValue::fromDword(1)))
        << "setting the same data is no change";
    EXPECT_TRUE(key->setValue(QStringLiteral("BETA"), RegValue::fromDword(2)));
    QStringList values;
    for (const RegNamedValue& v : key->values())
        values << v.name;
    EXPECT_EQ(values, QStringList({"alpha", "Beta", "Zeta"})) << "the first spelling is kept";
}

TEST(WineRegFile, KeysAreDatedAsWineDatesThem)
{
    const QByteArray text = "WINE REGISTRY Version 2\n"
                            "[A\\\\B\\\\C] 1700000000\n"
                            "\"v\"=\"1\"\n"
                            "[A\\\\D]\n"
                            "\"v\"=\"2\"\n"
                            "[E] 1700000000\n"
                            "#time=1d00000000000aa\n";
    WineRegFile file;
    ASSERT_EQ(file.parse(text, kNow), WineRegFile::State::Good);
    WineRegKey* a = file.root()->findSubKey(QStringLiteral("A"));
    const quint64 fromSeconds = WineRegFile::fileTimeFromUnix(1700000000);
    EXPECT_EQ(a->modified(), fromSeconds) << "a parent made by a section takes its date";
    EXPECT_EQ(a->findSubKey(QStringLiteral("B"))->findSubKey(QStringLiteral("C"))->modified(),
              fromSeconds);
    EXPECT_EQ(a->findSubKey(QStringLiteral("D"))->modified(), kNow) << "undated: load time";
    EXPECT_EQ(file.root()->findSubKey(QStringLiteral("E"))->modified(), 0x1d00000000000aaull);
    EXPECT_EQ(WineRegFile::unixFromFileTime(fromSeconds), 1700000000u);
    EXPECT_FALSE(file.arch().has_value());
    EXPECT_TRUE(
        file.serialize().startsWith("WINE REGISTRY Version 2\n;; All keys relative to \n\n["))
        << "no #arch line is invented";
}

TEST(WineRegFile, RepeatedSectionsAndValuesMerge)
{
    const QByteArray text = "WINE REGISTRY Version 2\n"
                            "[K] 1\n\"v\"=\"old\"\n\"w\"=dword:1\n"
                            "[k] 1\n\"V\"=\"new\"\n";
    WineRegFile file;
    ASSERT_EQ(file.parse(text, kNow), WineRegFile::State::Good);
    ASSERT_EQ(file.root()->subKeys().size(), 1u);
    EXPECT_EQ(file.root()->subKeys().front()->values().size(), 2);
    EXPECT_EQ(valueOf(file, QStringLiteral("K"), QStringLiteral("v"))->toString(),
              QStringLiteral("new"));
}

TEST(WineRegFile, DamagedInputIsReportedNotGuessed)
{
    const QByteArray header = "WINE REGISTRY Version 2\n";
    const struct
    {
        const char* what;
        QByteArray text;
        WineRegFile::State state;
    } cases[] = {
        {"empty", "", WineRegFile::State::NotRegistry},
        {"garbage", raw("\x89PNG\r\n\x1a\n\0\0\0"), WineRegFile::State::NotRegistry},
        {"other header", "REGEDIT4\n[HKEY_CURRENT_USER\\x]\n", WineRegFile::State::NotRegistry},
        {"unknown arch", header + "#arch=win16\n[A] 1\n", WineRegFile::State::NotRegistry},
        {"cut string", header + "[A] 1\n\"x\"=\"unterminated", WineRegFile::State::Damaged},
        {"cut key", header + "[A\\\\B", WineRegFile::State::Damaged},
        {"cut hex", header + "[A] 1\n\"x\"=hex:01,02,\\\n", WineRegFile::State::Damaged},
        {"bad hex", header + "[A] 1\n\"x\"=hex:01,zz\n", WineRegFile::State::Damaged},
        {"big hex", header + "[A] 1\n\"x\"=hex:100\n", WineRegFile::State::Damaged},
        {"value first", header + "\"x\"=\"1\"\n[A] 1\n", WineRegFile::State::Damaged},
        {"bad type", header + "[A] 1\n\"x\"=str(1):\"a\"\n", WineRegFile::State::Damaged},
        {"stray text", header + "[A] 1\nhello\n", WineRegFile::State::Damaged},
        {"nul byte", header + raw("[A] 1\n\"x\"=\"a\0b\"\n"),
         WineRegFile::State::Damaged},
        {"cut at line end", header + "[A] 1\n\"x\"=\"1\"", WineRegFile::State::Good},
    };
    for (const auto& c : cases) {
        WineRegFile file;
        EXPECT_EQ(file.parse(c.text, kNow), c.state) << c.what;
        if (c.state != WineRegFile::State::Good) {
            EXPECT_FALSE(file.problem().isEmpty()) << c.what;
        }
    }
    WineRegFile file;
    file.parse(header + "[A] 1\n\"good\"=\"1\"\n\"bad\"=\"x\n\"also\"=dword:2\n", kNow);
    EXPECT_EQ(file.problem(), QStringLiteral("line 4: malformed string value"));
    EXPECT_NE(valueOf(file, QStringLiteral("A"), QStringLiteral("good")), nullptr);
    EXPECT_NE(valueOf(file, QStringLiteral("A"), QStringLiteral("also")), nullptr);
    EXPECT_EQ(valueOf(file, QStringLiteral("A"), QStringLiteral("bad")), nullptr);
}

TEST(WineRegFile, MutatedFilesNeverCrash)
{
    const QByteArray base = dataFile("wine-userdef.reg") + kHandMade.mid(24);
    QRandomGenerator rng(20261206);
    for (int round = 0; round < 300; ++round) {
        QByteArray bytes = base;
        const int edits = 1 + int(rng.bounded(8));
        for (int e = 0; e < edits; ++e) {
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
                break;
            }
            if (bytes.isEmpty())
                break;
        }
        WineRegFile file;
        const WineRegFile::State state = file.parse(bytes, kNow);
        if (state != WineRegFile::State::NotRegistry) {
            WineRegFile again;
            // What was understood is written in a form that reads back the same.
            again.parse(file.serialize(), kNow);
            EXPECT_EQ(again.serialize(), file.serialize()) << "round " << round;
        }
    }
}
