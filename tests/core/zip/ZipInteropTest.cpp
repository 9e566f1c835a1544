// Archives we write against Info-ZIP and 7-Zip, and archives they write against our reader.
#include "ZipFixture.h"

using namespace kv::test;
using namespace kv::zip;

namespace {

// Stored name (with "/") and bytes; the sources are below C:\.
const QList<std::pair<QString, QByteArray>> kSamples = {
    {u"Mail/Inbox.dbx"_s, mailText(3'500'000, 1)}, // several chunks
    {u"Mail/empty.dbx"_s, QByteArray()},
    {u"Mail/photo.jpg"_s, noise(300'000, 3)},
    {u"Mail/Bo\u00eete r\u00e9ception.dbx"_s, mailText(5000, 4)},
    {u"Fav/Links/site.url"_s, QByteArray("[InternetShortcut]\r\nURL=x\r\n")},
    {u"Prog/KorvaneBackup.log"_s, mailText(2000, 5)},
};

QString windowsName(QString name)
{
    return name.replace(u'/', u'\\');
}

using ZipInteropTest = ZipFixture;

TEST_F(ZipInteropTest, OurArchivePassesInfoZipAnd7ZipAndKeepsNamesAndBytes)
{
    for (const auto& [name, bytes] : kSamples)
        put(u"C:\\"_s + windowsName(name), bytes);
    put(u"D:\\out.eaz"_s, "previous archive"); // replaced from C:\Temp
    m_zip.setArchiveName(u"D:\\out.eaz"_s);
    m_zip.setFilesToProcess(u"C:\\Mail\\*\rC:\\Fav\\*\rC:\\Prog\\KorvaneBackup.log"_s);
    m_zip.setTempFolder(u"C:\\Temp"_s);
    m_fs.makeSurePath(u"C:\\Temp\\"_s);
    ASSERT_EQ(m_zip.zip(), kZipSuccess);
    EXPECT_TRUE(filesBelow(host(u"C:\\Temp"_s)).isEmpty()) << "temporary file left";
    ASSERT_EQ(unzipTo(u"D:\\restore"_s), kZipSuccess);
    for (const auto& [name, bytes] : kSamples)
        EXPECT_EQ(get(u"D:\\restore\\"_s + windowsName(name)), bytes) << name.toStdString();
    EXPECT_TRUE(m_events.skipped.isEmpty());

    KV_REQUIRE_PROGRAMS("unzip", "7z");
    const QString archive = host(u"D:\\out.eaz"_s);
    expectToolPasses(u"unzip"_s, {u"-t"_s, archive});
    // 7-Zip gives back every byte under the full path without the drive, non-ASCII names too.
    const QString out = m_dir.file(u"x7"_s);
    const auto [extracted, output] = runTool(u"7z"_s, {u"x"_s, u"-o"_s + out, archive});
    ASSERT_EQ(extracted, 0) << output;
    for (const auto& [name, bytes] : kSamples)
        EXPECT_EQ(readFile(out + u'/' + name), bytes) << name.toStdString();
}

// Archives made by the independent tools: tested and extracted byte for byte.
TEST_F(ZipInteropTest, ForeignArchivesAreReadByteExactly)
{
    KV_REQUIRE_PROGRAMS("zip", "7z");
    const QList<std::pair<QString, QByteArray>> files = {
        {u"Mail/Inbox.dbx"_s, mailText(1'500'000, 7)},
        {u"Mail/pic.bin"_s, noise(100'000, 8)},
        {u"Mail/zero.txt"_s, QByteArray()},
        {u"top.log"_s, mailText(900, 9)},
    };
    for (const auto& [name, bytes] : files)
        m_dir.write(u"src/"_s + name, bytes);

    const std::pair<const char*, const char*> makers[] = {
        {"zip", "-q -0 -r"}, {"zip", "-q -6 -r"}, {"zip", "-q -fz -r"}, {"7z", "a -tzip -bd"}};
    int n = 0;
    for (const auto& [program, options] : makers) {
        SCOPED_TRACE(std::string(program) + " " + options);
        const QString name = u"D:\\f%1.zip"_s.arg(++n);
        const auto [made, output] = runTool(QString::fromLatin1(program),
                                            QString::fromLatin1(options).split(u' ')
                                                << host(name) << u"Mail"_s << u"top.log"_s,
                                            m_dir.file(u"src"_s));
        ASSERT_EQ(made, 0) << output;
        m_zip.setArchiveName(name);
        EXPECT_EQ(m_zip.test(), kZipSuccess);
        const QString dest = u"D:\\x%1"_s.arg(n);
        ASSERT_EQ(unzipTo(dest), kZipSuccess);
        for (const auto& [file, bytes] : files)
            EXPECT_EQ(get(dest + u'\\' + windowsName(file)), bytes) << file.toStdString();
        EXPECT_EQ(filesBelow(host(dest)).size(), files.size()); // folder entries make no files
    }
}

} // namespace
