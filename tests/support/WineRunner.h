#pragma once

#include "support/TempDir.h"

#include <QDir>
#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

namespace kv::test {

// Runs Wine's programs on a prefix quietly, without the .NET and HTML installers; no server
// outlives it.
class WineRunner
{
public:
    explicit WineRunner(const QString& prefix) : m_prefix(prefix)
    {
        m_env.insert(QStringLiteral("WINEPREFIX"), prefix);
        m_env.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
        m_env.insert(QStringLiteral("WINEDLLOVERRIDES"), QStringLiteral("mscoree,mshtml="));
    }
    ~WineRunner()
    {
        run({QStringLiteral("wineserver"), QStringLiteral("-k")}, 30);
        waitForServerExit();
        // Debian's Wine keeps its server folder in /tmp, named in the prefix.
        const QByteArray named = readFile(m_prefix + QStringLiteral("/wineserver")).trimmed();
        if (!named.isEmpty() && !named.contains('/'))
            QDir(QStringLiteral("/tmp/") + QString::fromLocal8Bit(named)).removeRecursively();
    }

    const QProcessEnvironment& environment() const { return m_env; }

    // The exit code, or -1 when the command did not finish in time (it is then killed).
    int run(const QStringList& command, int seconds, QByteArray* output = nullptr) const
    {
        QProcess p;
        p.setProcessEnvironment(m_env);
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(command.first(), command.mid(1));
        if (!p.waitForFinished(seconds * 1000)) {
            ADD_FAILURE() << command.join(u' ').toStdString() << " did not finish";
            p.kill();
            p.waitForFinished();
            return -1;
        }
        if (output)
            *output = p.readAll();
        return p.exitCode();
    }
    void waitForServerExit() const
    {
        run({QStringLiteral("wineserver"), QStringLiteral("-w")}, 120);
    }

private:
    QString m_prefix;
    QProcessEnvironment m_env = QProcessEnvironment::systemEnvironment();
};

} // namespace kv::test
