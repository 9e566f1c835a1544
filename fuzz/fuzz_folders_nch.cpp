#include "FuzzInput.h"
#include "msgstore/FoldersNchReader.h"

using kv::msgstore::FoldersNchReader;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    kv::fuzz::quietLogs();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = kv::fuzz::writeInput(data, size, ".nch");
    FoldersNchReader reader;
    if (reader.read(path)) {
        // Each record is read once, from its own offset inside the file.
        KV_FUZZ_CHECK(quint64(reader.folders().size()) <= quint64(size));
        for (const auto& f : reader.folders()) {
            KV_FUZZ_CHECK(f.order != 65535);
            KV_FUZZ_CHECK(f.name.size() <= 259 && f.fileName.size() <= 260);
        }
    } else {
        KV_FUZZ_CHECK(!reader.lastError().isEmpty());
    }
    return 0;
}
