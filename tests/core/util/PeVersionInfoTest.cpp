#include "util/PeVersionInfo.h"
#include "util/SystemUtils.h"

#include "support/FaultInjectingFileSystem.h"
#include "support/RequiredPrograms.h"
#include "support/TempDir.h"

#include <QBuffer>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QtEndian>

#include <gtest/gtest.h>

using namespace kv;

namespace {

template <typename T> void put(QByteArray& b, qsizetype at, T v)
{
    b.resize(qMax(b.size(), at + qsizetype(sizeof v)), '\0');
    qToLittleEndian(v, b.data() + at);
}
const auto put16 = put<quint16>;
const auto put32 = put<quint32>;

// A small PE file: an icon type (3), then the version (16) under name 1, language 0x409.
struct PeBuilder
{
    quint32 fileVersionHigh = (5u << 16) | 0;
    quint32 fileVersionLow = (2919u << 16) | 6600;
    quint32 peOffset = 0x40;
    quint32 rsrcRva = 0x1000;
    quint16 valueLength = 52;
    quint32 signature = 0xFEEF04BD;
    const char16_t* key = u"VS_VERSION_INFO";
    quint32 versionType = 16;
    quint32 typeDirOffset = 0x28; // where the version type's name directory lies
    qint64 dataRvaShift = 0;      // moves the version data's address
    quint16 languageEntries = 1;

    QByteArray build() const
    {
        QByteArray b(0x200, '\0');
        b.replace(0, 2, "MZ");
        put32(b, 0x3C, peOffset);
        const qsizetype pe = 0x40;
        b.replace(pe, 4, QByteArray("PE\0\0", 4));
        const quint16 optionalSize = 224; // 64-bit images are the Wine comparison's
        put16(b, pe + 4, 0x14C);
        put16(b, pe + 6, 1);
        put16(b, pe + 20, optionalSize);
        const qsizetype opt = pe + 24;
        put16(b, opt, 0x10B);
        const qsizetype dirs = opt + 96;
        put32(b, opt + 92, 16);
        put32(b, dirs + 2 * 8, rsrcRva);
        put32(b, dirs + 2 * 8 + 4, 0x200);
        const qsizetype section = opt + optionalSize;
        b.replace(section, 8, QByteArray(".rsrc\0\0\0", 8));

        // The resource section, at file offset 0x200 and address 0x1000.
        QByteArray r(0x80, '\0');
        put16(r, 0x0E, 2); // root: two id entries
        put32(r, 0x10, 3);
        put32(r, 0x14, 0x80000000u | 0x40);
        put32(r, 0x18, versionType);
        put32(r, 0x1C, 0x80000000u | typeDirOffset);
        put16(r, 0x28 + 0x0E, 1); // names of the version type
        put32(r, 0x28 + 0x10, 1);
        put32(r, 0x28 + 0x14, 0x80000000u | 0x50);
        put16(r, 0x50 + 0x0E, languageEntries);
        put32(r, 0x50 + 0x10, 0x409);
        put32(r, 0x50 + 0x14, 0x68);
        QByteArray v;
        put16(v, 2, valueLength);
        for (int i = 0; i < 16; ++i)
            put16(v, 6 + 2 * i, key[i]);
        // The fixed part: signature, structure version, file and product versions, the rest 0.
        put32(v, 40, signature);
        put32(v, 44, 0x10000);
        for (const int at : {48, 56}) {
            put32(v, at, fileVersionHigh);
            put32(v, at + 4, fileVersionLow);
        }
        put32(v, 88, 0);
        put16(v, 0, quint16(v.size()));
        put32(r, 0x68, quint32(qint64(0x1000 + 0x78) + dataRvaShift));
        put32(r, 0x6C, quint32(v.size()));
        r.resize(0x78, '\0');
        r += v;

        put32(b, section + 8, quint32(r.size()));  // virtual size
        put32(b, section + 12, 0x1000);            // virtual address
        put32(b, section + 16, quint32(r.size())); // raw size
        put32(b, section + 20, 0x200);             // raw pointer
        return b + r;
    }
};

std::optional<FixedFileInfo> parse(const QByteArray& image)
{
    QBuffer buffer;
    buffer.setData(image);
    buffer.open(QIODevice::ReadOnly);
    return readFixedFileInfo(buffer);
}

} // namespace

TEST(PeVersionInfo, SpoiledOrTruncatedFilesGiveNothing)
{
    const std::pair<const char*, std::function<void(PeBuilder&)>> cases[] = {
        {"PE header beyond the file", [](PeBuilder& p) { p.peOffset = 0xFFFFFFF0u; }},
        {"resources outside every section", [](PeBuilder& p) { p.rsrcRva = 0x9000; }},
        {"no version type", [](PeBuilder& p) { p.versionType = 17; }},
        {"directory pointing at itself", [](PeBuilder& p) { p.typeDirOffset = 0; }},
        {"no language", [](PeBuilder& p) { p.languageEntries = 0; }},
        {"data beyond the section", [](PeBuilder& p) { p.dataRvaShift = 0x40; }},
        {"no fixed part", [](PeBuilder& p) { p.valueLength = 0; }},
        {"wrong signature", [](PeBuilder& p) { p.signature = 0xFEEF04BC; }},
        {"wrong key", [](PeBuilder& p) { p.key = u"VS_VERSION_INFX"; }},
    };
    for (const auto& [name, spoil] : cases) {
        PeBuilder pe;
        spoil(pe);
        EXPECT_FALSE(parse(pe.build())) << name;
    }
    const QByteArray whole = PeBuilder().build();
    for (qsizetype n = 0; n < whole.size(); ++n)
        ASSERT_FALSE(parse(whole.left(n))) << "cut at " << n;
}

// Through the file system to the shown text.
TEST(PeVersionInfo, FileVersionTextOfAFileNotAFolderOrPattern)
{
    test::TempDir tmp;
    test::FaultInjectingFileSystem fs(tmp.path());
    PeBuilder small;
    small.fileVersionHigh = 7; // a zero high word is left out
    tmp.write("drive_c/app/k2k.exe", PeBuilder().build());
    tmp.write("drive_c/app/small.dll", small.build());
    const std::pair<const char*, const char*> cases[] = {{"C:\\app\\k2k.exe", "5.0 rev 2919.6600"},
                                                         {"C:\\app\\small.dll", "7 rev 2919.6600"},
                                                         {"C:\\app", ""},
                                                         {"C:\\app\\*.exe", ""}};
    for (const auto& [path, text] : cases)
        EXPECT_EQ(SystemUtils::fileVersionText(fs, path), text) << path;
}

TEST(PeVersionInfo, AgreesWith7ZipOnWineLibraries)
{
    KV_REQUIRE_PROGRAMS("7z", "wine");
    const QDir wine("/usr/lib/x86_64-linux-gnu/wine/x86_64-windows");
    ASSERT_TRUE(wine.exists()) << "Wine's libraries are elsewhere: " << wine.path().toStdString();
    const QStringList names = wine.entryList({"*.dll", "*.exe"}, QDir::Files, QDir::Name);
    const QRegularExpression fileVersion("^FileVersion: (\\d+\\.\\d+\\.\\d+\\.\\d+)$",
                                         QRegularExpression::MultilineOption);
    int withVersion = 0;
    for (qsizetype i = 0; i < names.size(); i += qMax<qsizetype>(1, names.size() / 40)) {
        SCOPED_TRACE(names[i].toStdString());
        QProcess p;
        p.start("7z", {"l", wine.filePath(names[i])});
        ASSERT_TRUE(p.waitForFinished(30000));
        const QRegularExpressionMatch m =
            fileVersion.match(QString::fromUtf8(p.readAllStandardOutput()));
        QFile file(wine.filePath(names[i]));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const auto info = readFixedFileInfo(file);
        ASSERT_EQ(info.has_value(), m.hasMatch());
        withVersion += int(info.has_value());
        EXPECT_EQ(info ? QString("%1.%2.%3.%4")
                             .arg(info->fileVersionHigh >> 16)
                             .arg(info->fileVersionHigh & 0xFFFF)
                             .arg(info->fileVersionLow >> 16)
                             .arg(info->fileVersionLow & 0xFFFF)
                       : QString(),
                  m.captured(1));
    }
    EXPECT_GT(withVersion, 10) << "too few libraries with a version to compare";
}
