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
    if (!dbx.FileOpen(path)) {
        KV_FUZZ_CHECK(!dbx.IsOpen());
        return 0;
    }
    const qint32 count = dbx.MessageCount();
    KV_FUZZ_CHECK(count >= 0);
    for (qint32 n = 0; n <= qMin(count, 64) + 1; ++n) {
        dbx.MessageHeaders(n);
        (void)dbx.MsgFrom();
        (void)dbx.MsgTo();
        (void)dbx.MsgSubject();
        (void)dbx.MsgDateStr();
        const QByteArray header = dbx.HeaderText();
        bool ok = false;
        const QByteArray text = dbx.FullMessage(n, &ok);
        if (ok && n >= 1 && n <= count) {
            // Whatever was read must be the message itself: its size, and its header lines
            // a prefix of it.
            KV_FUZZ_CHECK(dbx.MsgSize(n) == text.size());
            KV_FUZZ_CHECK(text.startsWith(header));
            KV_FUZZ_CHECK(quint64(text.size()) <= quint64(size));
        }
        if (n <= 3)
            (void)dbx.SaveAsFile(n, kv::fuzz::outputFolder(), QStringLiteral("m.eml"));
    }
    int walked = 0;
    for (dbx.Bof(); !dbx.Eof() && walked < 80; ++walked)
        (void)dbx.NextMsg();
    // Opening the same name again keeps everything; a second reader agrees on the count.
    KV_FUZZ_CHECK(dbx.FileOpen(path) && dbx.MessageCount() == count);
    dbx.FileClose();
    DbxFile again;
    KV_FUZZ_CHECK(again.FileOpen(path) && again.MessageCount() == count);
    return 0;
}
