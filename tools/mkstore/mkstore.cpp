// kv2000-mkstore: writes generated mail stores and message files for tests, benchmarks and
// manual use.
#include "DbxMessageWriter.h"
#include "MessageGenerator.h"
#include "StoreBuilder.h"
#include "util/CommandArgs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>

#include <cstdio>

using namespace kv::storegen;
using kv::takeFlag;
using kv::takeOption;

namespace {

int usage(QTextStream& err)
{
    err << "usage:\n"
           "  kv2000-mkstore dbx OUT.dbx [--messages N] [--seed S] [--indirect] [--name FOLDER]\n"
           "                 [--eml DIR]   (the .eml files of DIR in name order instead)\n"
           "  kv2000-mkstore eml OUTDIR [--messages N] [--seed S]   (the same messages as .eml "
           "files)\n"
           "  kv2000-mkstore oe5 STOREDIR [--seed S] [--per-folder N] [--inbox N] [--folders N] "
           "[--depth N] [--no-news]\n"
           "  kv2000-mkstore oe4 HOSTDIR [--seed S] [--per-folder N] [--folders N] [--depth N] "
           "[--no-news]\n";
    err.flush();
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList args = app.arguments().mid(1);
    if (args.size() < 2)
        return usage(err);
    const QString mode = args.takeFirst();
    const QString target = args.takeFirst();
    QString v;
    std::uint64_t seed = 1;
    int messages = 100;
    StoreShape shape;
    if (takeOption(args, QStringLiteral("--seed"), &v))
        seed = v.toULongLong();
    if (takeOption(args, QStringLiteral("--messages"), &v))
        messages = v.toInt();
    if (takeOption(args, QStringLiteral("--per-folder"), &v))
        shape.messagesPerFolder = v.toInt();
    if (takeOption(args, QStringLiteral("--inbox"), &v))
        shape.inboxMessages = v.toInt();
    if (takeOption(args, QStringLiteral("--folders"), &v))
        shape.userFolders = v.toInt();
    if (takeOption(args, QStringLiteral("--depth"), &v))
        shape.nestingDepth = v.toInt();
    if (takeFlag(args, QStringLiteral("--no-news")))
        shape.news = false;
    QString emlDir;
    takeOption(args, QStringLiteral("--eml"), &emlDir);
    QString folderName = QStringLiteral("Inbox");
    takeOption(args, QStringLiteral("--name"), &folderName);
    DbxMessageWriter::Options dbxOptions;
    dbxOptions.specialFolder = specialFolderNamed(folderName);
    dbxOptions.indirectOffsets = takeFlag(args, QStringLiteral("--indirect"));
    if (!args.isEmpty()) {
        err << "kv2000-mkstore: unexpected argument " << args.first() << "\n";
        return usage(err);
    }

    const MessageGenerator gen(seed);
    if (mode == QLatin1String("dbx")) {
        DbxMessageWriter w(dbxOptions);
        if (!w.open(target, folderName.toLatin1()))
            return err << w.error() << "\n", 1;
        if (!emlDir.isEmpty()) {
            // A folder rewritten from messages taken out of another one and edited.
            const QDir dir(emlDir);
            messages = 0;
            for (const QString& name :
                 dir.entryList({QStringLiteral("*.eml")}, QDir::Files, QDir::Name)) {
                QFile f(dir.filePath(name));
                if (!f.open(QIODevice::ReadOnly))
                    return err << "cannot read " << f.fileName() << "\n", 1;
                MailMessage m;
                m.raw = f.readAll();
                if (!w.add(m))
                    return err << w.error() << "\n", 1;
                ++messages;
            }
        }
        for (int i = 0; emlDir.isEmpty() && i < messages; ++i)
            if (!w.add(gen.message(std::uint64_t(i))))
                return err << w.error() << "\n", 1;
        if (!w.finish())
            return err << w.error() << "\n", 1;
        out << "wrote " << messages << " messages to " << target << " (index depth "
            << w.treeDepth() << ", " << w.indirectCount() << " indirect offsets)\n";
        return 0;
    }
    if (mode == QLatin1String("eml")) {
        QDir().mkpath(target);
        for (int i = 0; i < messages; ++i) {
            QFile f(target + QStringLiteral("/%1.eml").arg(i + 1, 6, 10, QLatin1Char('0')));
            if (!f.open(QIODevice::WriteOnly) || f.write(gen.message(std::uint64_t(i)).raw) < 0)
                return err << "cannot write " << f.fileName() << "\n", 1;
        }
        out << "wrote " << messages << " messages to " << target << "\n";
        return 0;
    }
    if (mode == QLatin1String("oe5") || mode == QLatin1String("oe4")) {
        StoreBuilder b(seed, shape);
        StoreSummary sum;
        const bool ok =
            mode == QLatin1String("oe5") ? b.writeOe5(target, &sum) : b.writeOe4(target, &sum);
        if (!ok)
            return err << b.error() << "\n", 1;
        for (const StoreFolder& f : sum.folders)
            out << f.number << "\t" << f.parentNumber << "\t" << f.name << "\t"
                << (f.fileName.isEmpty() ? QStringLiteral("-") : f.fileName) << "\t" << f.messages
                << "\n";
        out << "total messages: " << sum.totalMessages << "\n";
        return 0;
    }
    return usage(err);
}
