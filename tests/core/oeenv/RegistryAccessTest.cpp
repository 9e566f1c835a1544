#include "oeenv/RegistryAccess.h"
#include "support/FakeRegistry.h"
#include "support/FaultInjectingFileSystem.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace kv;
using kv::platform::Hive;

namespace {

class RegistryAccessTest : public testing::Test
{
protected:
    RegistryAccessTest()
    {
        files.mapDrive(u'C', dir.file(QStringLiteral("drive_c")));
        files.writeFile(kIni, "[Software\\Test]\r\nName=from file\r\nCount=12\r\nOn=1\r\n");
        files.makeSurePath(QStringLiteral("C:\\a folder\\"));
    }
    const QString kIni = QStringLiteral("C:\\cfg\\settings.ini");
    test::TempDir dir;
    test::FakeRegistry reg;
    test::FaultInjectingFileSystem files;
    RegistryAccess rx{reg, files};
};

TEST_F(RegistryAccessTest, RootNamesSelectTheirHiveWithoutRegardToCase)
{
    const struct
    {
        const char* root;
        Hive hive;
        QString key;
    } cases[] = {{"HKCU", Hive::CurrentUser, QStringLiteral("Software\\T")},
                 {"hklm", Hive::LocalMachine, QStringLiteral("Software\\T")},
                 {"Hku", Hive::Users, QStringLiteral(".Default\\Software\\T")},
                 {"hkcc", Hive::CurrentConfig, QStringLiteral("Software\\T")},
                 {"hkCR", Hive::ClassesRoot, QStringLiteral("Software\\T")}};
    for (const auto& c : cases) {
        const QString root = QString::fromLatin1(c.root);
        ASSERT_EQ(rx.writeString(root, c.key, QStringLiteral("V"), root), 0);
        EXPECT_EQ(reg.string(c.hive, c.key, QStringLiteral("V")), root);
    }
    // HKEY_DYN_DATA is a root name too, of a hive that only Windows 9x has.
    EXPECT_EQ(rx.writeString(QStringLiteral("HKDD"), QStringLiteral("PerfStats"),
                             QStringLiteral("V"), QStringLiteral("x")),
              long(platform::kErrorInvalidHandle));
    EXPECT_EQ(rx.lookupRoot(kIni), RegistryAccess::RootKind::ProfileFile);
    EXPECT_EQ(rx.lookupRoot(QStringLiteral("C:\\a folder")), RegistryAccess::RootKind::Invalid);
    EXPECT_EQ(rx.lookupRoot(QStringLiteral("C:\\cfg\\*.ini")), RegistryAccess::RootKind::Invalid);
    EXPECT_EQ(rx.lookupRoot(QString()), RegistryAccess::RootKind::Invalid);
}

TEST_F(RegistryAccessTest, InvalidRootGives99AndLeavesEveryResultUntouched)
{
    reg.setString(Hive::CurrentUser, QStringLiteral("K"), QStringLiteral("V"), QStringLiteral("x"));
    for (const QString& root :
         {QStringLiteral("HKEY_CURRENT_USER"), QStringLiteral("HKCU2"),
          QStringLiteral("C:\\missing.ini"), QStringLiteral("C:\\a folder"), QString()}) {
        QString text = QStringLiteral("prior");
        bool flag = true;
        quint32 number = 77;
        QString list = QStringLiteral("prior");
        EXPECT_EQ(rx.readString(root, QStringLiteral("K"), QStringLiteral("V"), &text), 99);
        EXPECT_EQ(rx.readBool(root, QStringLiteral("K"), QStringLiteral("V"), &flag), 99);
        EXPECT_EQ(rx.readDword(root, QStringLiteral("K"), QStringLiteral("V"), &number), 99);
        EXPECT_EQ(rx.enumSubKeys(root, QStringLiteral("K"), &list), 99);
        EXPECT_EQ(
            rx.writeString(root, QStringLiteral("K"), QStringLiteral("V"), QStringLiteral("new")),
            99);
        EXPECT_EQ(text, QStringLiteral("prior"));
        EXPECT_TRUE(flag);
        EXPECT_EQ(number, 77u);
        EXPECT_EQ(list, QStringLiteral("prior"));
    }
    EXPECT_EQ(reg.string(Hive::CurrentUser, QStringLiteral("K"), QStringLiteral("V")),
              QStringLiteral("x"));
}

TEST_F(RegistryAccessTest, FailedReadsReportTheSystemCodeAndKeepThePriorValue)
{
    QString text = QStringLiteral("prior");
    EXPECT_EQ(rx.readString(QStringLiteral("HKCU"), QStringLiteral("No\\Key"), QStringLiteral("V"),
                            &text),
              platform::kErrorFileNotFound);
    EXPECT_EQ(text, QStringLiteral("prior"));
    RegistryAccess::Value v;
    v.text = QStringLiteral("prior");
    reg.setString(Hive::CurrentUser, QStringLiteral("K"), QStringLiteral("V"), QStringLiteral("x"));
    EXPECT_EQ(rx.readValue(QStringLiteral("HKCU"), QStringLiteral("K"), QStringLiteral("V"),
                           QStringLiteral("Q"), &v),
              platform::kErrorInvalidParameter);
    EXPECT_EQ(v.text, QStringLiteral("prior"));
    // A Boolean is two bytes: a larger value does not fit.
    bool flag = false;
    reg.setDword(Hive::CurrentUser, QStringLiteral("K"), QStringLiteral("Big"), 1);
    EXPECT_EQ(
        rx.readBool(QStringLiteral("HKCU"), QStringLiteral("K"), QStringLiteral("Big"), &flag),
        platform::kErrorMoreData);
    EXPECT_FALSE(flag);
}

TEST_F(RegistryAccessTest, TypesRoundTripWithTheirWindowsLayout)
{
    const QString hkcu = QStringLiteral("hkcu");
    const QString key = QStringLiteral("Software\\Types");
    RegistryAccess::Value in;
    in.text = QStringLiteral("text");
    in.flag = true;
    in.number = 0xDEADBEEF;
    ASSERT_EQ(rx.writeValue(hkcu, key, QStringLiteral("S"), QStringLiteral("s"), in), 0);
    ASSERT_EQ(rx.writeValue(hkcu, key, QStringLiteral("B"), QStringLiteral("b"), in), 0);
    ASSERT_EQ(rx.writeValue(hkcu, key, QStringLiteral("D"), QStringLiteral("d"), in), 0);

    platform::RegValue raw;
    reg.queryValue(Hive::CurrentUser, key, QStringLiteral("B"), &raw);
    EXPECT_EQ(raw.type, platform::kRegBinary);
    EXPECT_EQ(raw.data, QByteArray("\xFF\xFF", 2));
    reg.queryValue(Hive::CurrentUser, key, QStringLiteral("D"), &raw);
    EXPECT_EQ(raw.type, platform::kRegDword);
    reg.queryValue(Hive::CurrentUser, key, QStringLiteral("S"), &raw);
    EXPECT_EQ(raw.type, platform::kRegSz);

    RegistryAccess::Value out;
    EXPECT_EQ(rx.readValue(hkcu, key, QStringLiteral("S"), QStringLiteral("S"), &out), 0);
    EXPECT_EQ(rx.readValue(hkcu, key, QStringLiteral("B"), QStringLiteral("B"), &out), 0);
    EXPECT_EQ(rx.readValue(hkcu, key, QStringLiteral("D"), QStringLiteral("D"), &out), 0);
    EXPECT_EQ(out.text, QStringLiteral("text"));
    EXPECT_TRUE(out.flag);
    EXPECT_EQ(out.number, 0xDEADBEEFu);
    EXPECT_EQ(rx.writeBool(hkcu, key, QStringLiteral("B"), false), 0);
    EXPECT_EQ(rx.readBool(hkcu, key, QStringLiteral("B"), &out.flag), 0);
    EXPECT_FALSE(out.flag);
}

TEST_F(RegistryAccessTest, ProfileFileRootReadsSectionKeyAndWritesOnlyStrings)
{
    QString text = QStringLiteral("prior");
    EXPECT_EQ(rx.readString(kIni, QStringLiteral("software\\test"), QStringLiteral("name"), &text),
              0);
    EXPECT_EQ(text, QStringLiteral("from file"));
    text = QStringLiteral("incoming default");
    EXPECT_EQ(rx.readString(kIni, QStringLiteral("Software\\Test"), QStringLiteral("Nope"), &text),
              0);
    EXPECT_EQ(text, QStringLiteral("incoming default"));
    quint32 number = 5;
    bool flag = false;
    EXPECT_EQ(
        rx.readDword(kIni, QStringLiteral("Software\\Test"), QStringLiteral("Count"), &number), 0);
    EXPECT_EQ(number, 12u);
    EXPECT_EQ(rx.readDword(kIni, QStringLiteral("Software\\Test"), QStringLiteral("Nope"), &number),
              0);
    EXPECT_EQ(number, 0u); // the profile integer call's default is 0
    EXPECT_EQ(rx.readBool(kIni, QStringLiteral("Software\\Test"), QStringLiteral("On"), &flag), 0);
    EXPECT_TRUE(flag);

    EXPECT_EQ(rx.writeString(kIni, QStringLiteral("New"), QStringLiteral("K"), QStringLiteral("v")),
              0);
    EXPECT_TRUE(files.readFile(kIni).endsWith("\r\n[New]\r\nK=v\r\n"));
    EXPECT_EQ(rx.writeDword(kIni, QStringLiteral("New"), QStringLiteral("N"), 1),
              platform::kErrorNotSupported);
    QString list = QStringLiteral("prior");
    EXPECT_NE(rx.enumSubKeys(kIni, QStringLiteral("New"), &list), 0);
    EXPECT_EQ(list, QStringLiteral("prior"));
}

TEST_F(RegistryAccessTest, SubkeyListIsNulSeparatedWithAFinalNul)
{
    reg.createKey(Hive::CurrentUser, QStringLiteral("Identities\\{B}"));
    reg.createKey(Hive::CurrentUser, QStringLiteral("Identities\\{A}\\Deeper"));
    reg.createKey(Hive::CurrentUser, QStringLiteral("Empty"));
    QString list = QStringLiteral("x");
    ASSERT_EQ(rx.enumSubKeys(QStringLiteral("HKCU"), QStringLiteral("Identities"), &list), 0);
    EXPECT_EQ(list,
              QStringLiteral("x{A}") + QChar(0) + QStringLiteral("{B}") + QChar(0) + QChar(0));
    list.clear();
    ASSERT_EQ(rx.enumSubKeys(QStringLiteral("HKCU"), QStringLiteral("Empty"), &list), 0);
    EXPECT_EQ(list, QString(QChar(0)));
}

} // namespace
