#pragma once

#include <QProcess>

#include <gtest/gtest.h>

namespace kv::test {

// One run of a program of this build, e.g. "cli/kv2000-cli".
struct ProgramRun
{
    int code = -1;
    QString out;
    QString err;

    QStringList outLines() const { return out.split(u'\n', Qt::SkipEmptyParts); }
};

inline ProgramRun runProgram(const QString& program, const QStringList& args,
                             const QString& workDir = {}, const QProcessEnvironment& env = {})
{
    QProcess p;
    if (!env.isEmpty())
        p.setProcessEnvironment(env);
    p.setWorkingDirectory(workDir);
    p.start(QStringLiteral(KV_BINARY_DIR "/") + program, args);
    if (!p.waitForFinished(120000)) { // a program that waits for a person fails, not hangs
        ADD_FAILURE() << program.toStdString() << " did not finish";
        p.kill();
        p.waitForFinished();
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

inline ProgramRun runCli(const QStringList& args, const QString& workDir = {},
                         const QProcessEnvironment& env = {})
{
    return runProgram(QStringLiteral("cli/kv2000-cli"), args, workDir, env);
}

} // namespace kv::test
