#include "FuzzInput.h"
#include "msgstore/MbxFile.h"

using kv::msgstore::MbxFile;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    kv::fuzz::quietLogs();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = kv::fuzz::writeInput(data, size, ".mbx");
    MbxFile mbx;
    if (!mbx.FileOpen(path)) {
        KV_FUZZ_CHECK(!mbx.IsOpen());
        return 0;
    }
    const qint32 count = mbx.MessageCount();
    KV_FUZZ_CHECK(count >= 0);
    for (qint32 n = 0; n <= qMin(count, 64) + 1; ++n) {
        bool ok = false;
        const QByteArray text = mbx.FullMessage(n, &ok);
        (void)mbx.MsgFrom();
        (void)mbx.MsgTo();
        (void)mbx.MsgSubject();
        (void)mbx.MsgDateStr();
        if (ok && !text.isEmpty())
            KV_FUZZ_CHECK(mbx.MsgSize(n) == text.size() + 16);
        KV_FUZZ_CHECK(quint64(text.size()) <= quint64(size));
        if (n <= 3)
            (void)mbx.SaveAsFile(kv::fuzz::outputFolder(), QStringLiteral("m.eml"));
    }
    int walked = 0;
    for (mbx.Bof(); !mbx.Eof() && walked < 80; ++walked)
        (void)mbx.NextMsg();
    mbx.FileClose();
    return 0;
}
