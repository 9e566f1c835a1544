#include "FuzzInput.h"
#include "msgstore/DbxFile.h"

using kv::msgstore::DbxFile;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    kv::fuzz::quietLogs();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = kv::fuzz::writeInput(data, size, ".dbx");
    DbxFile dbx;
    if (!dbx.open(path)) {
        KV_FUZZ_CHECK(!dbx.isOpen());
        return 0;
    }
    const qint32 count = dbx.messageCount();
    KV_FUZZ_CHECK(count >= 0);
    for (qint32 n = 0; n <= qMin(count, 64) + 1; ++n) {
        dbx.loadHeaders(n);
        (void)dbx.from();
        (void)dbx.to();
        (void)dbx.subject();
        (void)dbx.dateText();
        const QByteArray header = dbx.headerText();
        bool ok = false;
        const QByteArray text = dbx.message(n, &ok);
        if (ok && n >= 1 && n <= count) {
            // Whatever was read must be the message itself: its size, and its header lines
            // a prefix of it.
            KV_FUZZ_CHECK(dbx.messageSize(n) == text.size());
            KV_FUZZ_CHECK(text.startsWith(header));
            KV_FUZZ_CHECK(quint64(text.size()) <= quint64(size));
        }
        if (n <= 3)
            (void)dbx.saveAs(n, kv::fuzz::outputFolder(), QStringLiteral("m.eml"));
    }
    int walked = 0;
    for (dbx.rewind(); !dbx.atEnd() && walked < 80; ++walked)
        (void)dbx.next();
    // Opening the same name again keeps everything; a second reader agrees on the count.
    KV_FUZZ_CHECK(dbx.open(path) && dbx.messageCount() == count);
    dbx.close();
    DbxFile again;
    KV_FUZZ_CHECK(again.open(path) && again.messageCount() == count);
    return 0;
}
