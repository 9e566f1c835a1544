// Archives we write against Info-ZIP and 7-Zip, and archives they write against our reader.
#include "ZipFixture.h"

using namespace kv::test;
using namespace kv::zip;

namespace {

struct SourceFile
{
    QString path;
    QByteArray bytes;
};

QList<SourceFile> sampleFiles()
{
    return {
        {QStringLiteral("C:\\Mail\\Inbox.dbx"), mailText(3'500'000, 1)}, // several chunks
        {QStringLiteral("C:\\Mail\\Sent Items.dbx"), mailText(70'000, 2)},
        {QStringLiteral("C:\\Mail\\empty.dbx"), QByteArray()},
        {QStringLiteral("C:\\Mail\\photo.jpg"), noise(300'000, 3)},
        {QStringLiteral("C:\\Mail\\Bo\u00eete r\u00e9ception.dbx"), mailText(5000, 4)},
        {QStringLiteral("C:\\Fav\\Links\\site.url"), QByteArray("[InternetShortcut]\r\nURL=x\r\n")},
        {QStringLiteral("C:\\Fav\\top.url"), QByteArray("[InternetShortcut]\r\n")},
        {QStringLiteral("C:\\Prog\\KorvaneBackup.log"), mailText(2000, 5)},
    };
}

class ZipInteropTest : public ZipFixture
{
protected:
    int writeSample(const QString& archive)
    {
        for (const SourceFile& f : sampleFiles())
            put(f.path, f.bytes);
        m_zip.setArchiveName(archive);
        m_zip.setFilesToProcess(QStringLiteral(
            "C:\\Mail\\Inbox.dbx\rC:\\Mail\\Sent Items.dbx\rC:\\Mail\\empty.dbx\r"
            "C:\\Mail\\photo.jpg\rC:\\Mail\\Bo\u00eete r\u00e9ception.dbx\rC:\\Fav\\*\r"
            "C:\\Prog\\KorvaneBackup.log"));
        m_zip.setTempFolder(QStringLiteral("C:\\Temp"));
        m_fs.makeSurePath(QStringLiteral("C:\\Temp\\"));
        return m_zip.zip();
    }
};

TEST_F(ZipInteropTest, OurArchivePassesInfoZipAnd7ZipAndKeepsNamesAndBytes)
{
    put(QStringLiteral("D:\\out.eaz"), "previous archive"); // replaced from C:\Temp
    ASSERT_EQ(writeSample(QStringLiteral("D:\\out.eaz")), kZipSuccess);
    EXPECT_TRUE(filesBelow(host(QStringLiteral("C:\\Temp"))).isEmpty()) << "temporary file left";
    m_zip.setDestination(QStringLiteral("D:\\restore"));
    m_zip.setFilesToProcess(QString());
    m_zip.setPathMode(PathMode::FullPath);
    ASSERT_EQ(m_zip.unzip(), kZipSuccess);
    for (const SourceFile& f : sampleFiles())
        EXPECT_EQ(get(QStringLiteral("D:\\restore\\") + f.path.mid(3)), f.bytes)
            << f.path.toStdString();
    EXPECT_TRUE(m_events.skipped.isEmpty());

    if (!haveTool(QStringLiteral("unzip")) || !haveTool(QStringLiteral("7z")))
        GTEST_SKIP() << "unzip or 7z missing";
    const QString archive = host(QStringLiteral("D:\\out.eaz"));

    ToolRun t = runTool(QStringLiteral("unzip"), {QStringLiteral("-t"), archive});
    EXPECT_EQ(t.exitCode, 0) << t.output.toStdString();
    t = runTool(QStringLiteral("7z"), {QStringLiteral("t"), archive});
    EXPECT_EQ(t.exitCode, 0) << t.output.toStdString();

    // Names are the full paths without the drive, in the order given, the item list last.
    ToolRun names = runTool(QStringLiteral("unzip"), {QStringLiteral("-Z1"), archive});
    const QStringList listed = names.output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(listed.size(), 8) << names.output.toStdString();
    EXPECT_EQ(listed.first(), QStringLiteral("Mail/Inbox.dbx"));
    EXPECT_TRUE(listed.contains(QStringLiteral("Fav/Links/site.url")));
    EXPECT_EQ(listed.last(), QStringLiteral("Prog/KorvaneBackup.log"));

    // 7-Zip's extraction gives back every byte, the non-ASCII name included.
    const QString out = m_dir.file(QStringLiteral("x7"));
    t = runTool(QStringLiteral("7z"), {QStringLiteral("x"), QStringLiteral("-o") + out, archive});
    ASSERT_EQ(t.exitCode, 0) << t.output.toStdString();
    for (const SourceFile& f : sampleFiles()) {
        QString rel = f.path.mid(3);
        rel.replace(QLatin1Char('\\'), QLatin1Char('/'));
        EXPECT_EQ(readFile(out + QLatin1Char('/') + rel), f.bytes) << rel.toStdString();
    }
}

// Archives made by the independent tools: listed, tested and extracted byte for byte.
TEST_F(ZipInteropTest, ForeignArchivesAreReadByteExactly)
{
    if (!haveTool(QStringLiteral("zip")) || !haveTool(QStringLiteral("7z")))
        GTEST_SKIP() << "zip or 7z missing";
    const QString src = m_dir.file(QStringLiteral("src"));
    const QList<QPair<QString, QByteArray>> files = {
        {QStringLiteral("Mail/Inbox.dbx"), mailText(1'500'000, 7)},
        {QStringLiteral("Mail/pic.bin"), noise(100'000, 8)},
        {QStringLiteral("Mail/zero.txt"), QByteArray()},
        {QStringLiteral("top.log"), mailText(900, 9)},
    };
    for (const auto& f : files)
        m_dir.write(QStringLiteral("src/") + f.first, f.second);

    const std::pair<const char*, const char*> makers[] = {
        {"zip", "-q -0 -r"}, {"zip", "-q -6 -r"}, {"zip", "-q -fz -r"}, {"7z", "a -tzip -bd"}};
    int n = 0;
    for (const auto& [program, options] : makers) {
        SCOPED_TRACE(std::string(program) + " " + options);
        const QString name = QStringLiteral("f%1.zip").arg(n++);
        QStringList args = QString::fromLatin1(options).split(QLatin1Char(' '));
        args << m_fs.toHostPath(QStringLiteral("D:\\")) + QLatin1Char('/') + name
             << QStringLiteral("Mail") << QStringLiteral("top.log");
        ToolRun made = runTool(QString::fromLatin1(program), args, src);
        ASSERT_EQ(made.exitCode, 0) << made.output.toStdString();

        m_zip.setArchiveName(QStringLiteral("D:\\") + name);
        EXPECT_EQ(m_zip.test(), kZipSuccess);

        const QString dest = QStringLiteral("D:\\x%1").arg(n);
        m_zip.setDestination(dest);
        m_zip.setFilesToProcess(QString());
        m_zip.setPathMode(PathMode::FullPath);
        ASSERT_EQ(m_zip.unzip(), kZipSuccess);
        for (const auto& f : files) {
            QString rel = f.first;
            rel.replace(QLatin1Char('/'), QLatin1Char('\\'));
            EXPECT_EQ(get(dest + QLatin1Char('\\') + rel), f.second) << rel.toStdString();
        }
        EXPECT_EQ(filesBelow(host(dest)).size(), files.size()); // folder entries make no files
    }
}

} // namespace
