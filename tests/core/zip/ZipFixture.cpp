#include "ZipFixture.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>

namespace kv::test {

ZipFixture::ZipFixture()
{
    m_fs.mapDrive(QLatin1Char('c'), m_dir.file(QStringLiteral("c")));
    m_fs.mapDrive(QLatin1Char('d'), m_dir.file(QStringLiteral("d")));
    setFloppy(200 * 1024);
}

void ZipFixture::setFloppy(quint64 capacity)
{
    m_fs.mapDrive(QLatin1Char('a'), m_dir.file(QStringLiteral("a")), platform::DriveType::Removable,
                  capacity);
}

void ZipFixture::put(const QString& windowsPath, const QByteArray& bytes)
{
    const QString path = host(windowsPath);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

QByteArray ZipFixture::get(const QString& windowsPath) const
{
    return readFile(host(windowsPath));
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
    static const char* const words[] = {"the",      "message",   "folder",   "backup", "Subject:",
                                        "Re:",      "meeting",   "tomorrow", "please", "find",
                                        "attached", "report",    "regards",  "From:",  "invoice",
                                        "thanks",   "quarterly", "numbers",  "\r\n",   "\r\n\r\n"};
    QRandomGenerator rng(seed);
    QByteArray out;
    out.reserve(bytes + 32);
    while (out.size() < bytes) {
        if (rng.bounded(40) == 0) {
            // A base64 line of an attachment.
            for (int i = 0; i < 76; ++i)
                out.append(
                    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"[rng.bounded(
                        64)]);
            out.append("\r\n");
        } else {
            out.append(words[rng.bounded(int(std::size(words)))]);
            out.append(' ');
        }
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

bool haveTool(const QString& program)
{
    return !QStandardPaths::findExecutable(program).isEmpty();
}

ToolRun runTool(const QString& program, const QStringList& args, const QString& workDir)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    if (!workDir.isEmpty())
        p.setWorkingDirectory(workDir);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    p.setProcessEnvironment(env);
    p.start(program, args);
    ToolRun r;
    if (!p.waitForStarted(10000))
        return r;
    p.closeWriteChannel();
    p.waitForFinished(120000);
    r.output = QString::fromLocal8Bit(p.readAll());
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return r;
}

} // namespace kv::test
