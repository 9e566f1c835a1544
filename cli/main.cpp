// kv2000-cli: the program's work without a window.
#include "CliCommand.h"

#include <QCoreApplication>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const kv::cli::ExitCode code =
        kv::cli::runCommandLine(QCoreApplication::arguments().mid(1), out, err);
    out.flush();
    err.flush();
    return int(code);
}
