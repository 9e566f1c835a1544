#include "FuzzInput.h"
#include "msgstore/FoldersDbxReader.h"

using kv::msgstore::FoldersDbxReader;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    kv::fuzz::quietLogs();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = kv::fuzz::writeInput(data, size, ".dbx");
    // The subscribed folders' tree and the tree of all objects.
    for (quint32 tree : {0u, 2u}) {
        FoldersDbxReader reader;
        if (reader.read(path, 0xC4 + 4 * tree, 0xE4 + 4 * tree)) {
            // Records come from nodes of at most 61 entries, the root and one level below it.
            KV_FUZZ_CHECK(reader.folders().size() <= 61 * 63);
            for (const auto& f : reader.folders())
                KV_FUZZ_CHECK(f.fileName.isEmpty() || f.fileName.endsWith(QLatin1String("dbx"), Qt::CaseInsensitive));
        } else {
            KV_FUZZ_CHECK(!reader.lastError().isEmpty());
        }
    }
    return 0;
}
