#include "ZipFixture.h"

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>

namespace kv::test {

ZipFixture::ZipFixture()
{
    m_fs.mapDrive(u'c', m_dir.file(u"c"_s));
    m_fs.mapDrive(u'd', m_dir.file(u"d"_s));
    setFloppy(200 * 1024);
}

void ZipFixture::setFloppy(quint64 capacity)
{
    m_fs.mapDrive(u'a', m_dir.file(u"a"_s), platform::DriveType::Removable, capacity);
}

int ZipFixture::unzipTo(const QString& dest, const QString& files, zip::PathMode mode)
{
    m_zip.setDestination(dest);
    m_zip.setFilesToProcess(files);
    m_zip.setPathMode(mode);
    return m_zip.unzip();
}

QStringList ZipFixture::entryNames()
{
    QList<zip::CentralEntry> entries;
    EXPECT_EQ(m_zip.list(&entries), zip::kZipSuccess);
    QStringList names;
    for (const zip::CentralEntry& e : entries)
        names << e.name;
    return names;
}

QStringList ZipFixture::filesBelow(const QString& hostFolder)
{
    QStringList out;
    QDirIterator it(hostFolder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        out.append(QDir(hostFolder).relativeFilePath(it.next()));
    out.sort();
    return out;
}

QByteArray mailText(int bytes, quint32 seed)
{
    static const QList<QByteArray> words =
        QByteArray("the message folder backup Subject: Re: meeting tomorrow please find attached "
                   "report regards From: invoice thanks quarterly numbers \r\n \r\n\r\n")
            .split(' ');
    QRandomGenerator rng(seed);
    QByteArray out;
    while (out.size() < bytes) {
        if (rng.bounded(40) == 0) // a base64 line, now and then a whole attachment of them
            out += noise(57 * (rng.bounded(10) == 0 ? 20 + int(rng.bounded(200)) : 1), rng())
                       .toBase64(QByteArray::Base64Encoding) +
                   "\r\n";
        else
            out += words[rng.bounded(int(words.size()))] + ' ';
    }
    out.resize(bytes);
    return out;
}

QByteArray noise(int bytes, quint32 seed)
{
    QRandomGenerator rng(seed);
    QByteArray out((bytes + 3) / 4 * 4, Qt::Uninitialized);
    rng.fillRange(reinterpret_cast<quint32*>(out.data()), out.size() / 4);
    out.resize(bytes);
    return out;
}

std::pair<int, std::string> runTool(const QString& program, const QStringList& args,
                                    const QString& workDir)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.setWorkingDirectory(workDir);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"LC_ALL"_s, u"C.UTF-8"_s);
    p.setProcessEnvironment(env);
    p.start(program, args);
    if (!p.waitForStarted(10000))
        return {-1, "cannot start " + program.toStdString()};
    p.closeWriteChannel();
    p.waitForFinished(120000);
    const int code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return {code, p.readAll().toStdString()};
}

void expectToolPasses(const QString& program, const QStringList& args)
{
    if (QStandardPaths::findExecutable(program).isEmpty()) {
        EXPECT_FALSE(mustRunEveryTest()) << program.toStdString() << " is not installed";
        return;
    }
    const auto [code, output] = runTool(program, args);
    EXPECT_EQ(code, 0) << program.toStdString() << ": " << output;
}

} // namespace kv::test
