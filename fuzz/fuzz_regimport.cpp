// Untrusted registry scripts (a ".reg" file from an archive) through the importer: nothing may
// crash, and nothing may be written outside the allowed key.
#include "FuzzInput.h"
#include "restore/RegistryImport.h"
#include "support/FakeRegistry.h"

using kv::platform::Hive;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    kv::fuzz::quietLogs();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    kv::test::FakeRegistry registry;
    kv::RegistryImport importer(registry, {{Hive::CurrentUser, QStringLiteral("Software\\A")}});
    const kv::RegistryImportResult result =
        importer.run(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    KV_FUZZ_CHECK(result.problems.size() <= 100);
    QStringList top;
    registry.enumSubKeys(Hive::CurrentUser, QString(), &top);
    QStringList below;
    registry.enumSubKeys(Hive::CurrentUser, QStringLiteral("Software"), &below);
    KV_FUZZ_CHECK(top.size() <= 1 && below.size() <= 1);
    if (!below.isEmpty())
        KV_FUZZ_CHECK(below.first().compare(QStringLiteral("A"), Qt::CaseInsensitive) == 0);
    return 0;
}
