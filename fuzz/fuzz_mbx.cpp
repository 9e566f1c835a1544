#include "FuzzInput.h"
#include "msgstore/EncodedWords.h"
#include "msgstore/MbxFile.h"

using kv::msgstore::MbxFile;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    kv::fuzz::quietLogs();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The input doubles as hostile header text for the encoded-word decoder.
    (void)kv::msgstore::decodeHeaderText(
        QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    const QString path = kv::fuzz::writeInput(data, size, ".mbx");
    MbxFile mbx;
    if (!mbx.open(path)) {
        KV_FUZZ_CHECK(!mbx.isOpen());
        return 0;
    }
    const qint32 count = mbx.messageCount();
    KV_FUZZ_CHECK(count >= 0);
    for (qint32 n = 0; n <= qMin(count, 64) + 1; ++n) {
        bool ok = false;
        const QByteArray text = mbx.message(n, &ok);
        (void)mbx.from();
        (void)mbx.to();
        (void)mbx.subject();
        (void)mbx.dateText();
        if (ok && !text.isEmpty())
            KV_FUZZ_CHECK(mbx.messageSize(n) == text.size() + 16);
        KV_FUZZ_CHECK(quint64(text.size()) <= quint64(size));
        if (n <= 3)
            (void)mbx.saveAs(n, kv::fuzz::outputFolder(), QStringLiteral("m.eml"));
    }
    int walked = 0;
    for (mbx.rewind(); !mbx.atEnd() && walked < 80; ++walked)
        (void)mbx.next();
    mbx.close();
    return 0;
}
