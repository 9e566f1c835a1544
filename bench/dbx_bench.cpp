// dbx_bench FILE.dbx [ROUNDS]: opens a message file with the program's reader and reads the
// header lines and the four header values (From, To, Subject, Date) of every message, as the
// message lists do; prints messages per second (best of ROUNDS, from the page cache).
#include "msgstore/DbxFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>

using kv::msgstore::DbxFile;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: dbx_bench FILE.dbx [ROUNDS]\n");
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    {
        // Bring the file into the page cache so that every round measures the reader alone.
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "dbx_bench: cannot open %s\n", argv[1]);
            return 1;
        }
        while (!f.read(1 << 20).isEmpty()) {
        }
    }
    double best = 0;
    qint64 count = 0, checksum = 0;
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer t;
        t.start();
        DbxFile reader;
        if (!reader.open(path)) {
            std::fprintf(stderr, "dbx_bench: %s\n", qPrintable(reader.lastError()));
            return 1;
        }
        count = reader.messageCount();
        checksum = 0;
        for (qint32 n = 1; n <= count; ++n) {
            reader.loadHeaders(n);
            checksum += reader.from().size() + reader.to().size() + reader.subject().size() +
                        reader.dateText().size();
        }
        reader.close();
        const double secs = double(t.nsecsElapsed()) / 1e9;
        const double rate = double(count) / secs;
        std::printf("round %d: %lld messages in %.3f s = %.0f msgs/s\n", r + 1, (long long)count,
                    secs, rate);
        best = std::max(best, rate);
    }
    std::printf("open + headers + From/To/Subject/Date: best %.0f msgs/s over %lld messages "
                "(goal >= 200000), header-value characters %lld\n",
                best, (long long)count, (long long)checksum);
    return 0;
}
