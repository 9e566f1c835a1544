#pragma once

#include "platform/IRegistry.h"
#include "platform/posix/WinePrefix.h"
#include "platform/posix/WineRegStore.h"

#include <array>
#include <functional>

namespace kv::platform::posix {

class WineRegKey;

// The registry of a Wine prefix, read from and written to its three files, with the hives
// mapped as Windows maps them: HKLM is system.reg, HKCR its Software\Classes, HKCC its
// current hardware profile; HKCU is user.reg; HKU holds ".Default" (userdef.reg) and the
// user's SID (user.reg). HKEY_DYN_DATA exists only on Windows 95/98 and is refused.
//
// Files are read on first use. Each change is written at once (atomically) unless write-through
// is switched off, in which case flush() writes. While the prefix's wineserver runs, the registry
// is read-only: the server would overwrite the files with its own copy. One thread at a time.
class WineRegistry final : public IRegistry
{
public:
    // Wine's fixed SID for the prefix's user, used when user.reg does not name another.
    static constexpr const char* kDefaultUserSid = "S-1-5-21-0-0-0-1000";

    explicit WineRegistry(WinePrefix prefix);
    ~WineRegistry() override;

    WinError openKey(Hive hive, const QString& path) override;
    WinError createKey(Hive hive, const QString& path) override;
    WinError queryValue(Hive hive, const QString& path, const QString& name,
                        RegValue* out) override;
    WinError setValue(Hive hive, const QString& path, const QString& name,
                      const RegValue& value) override;
    WinError deleteValue(Hive hive, const QString& path, const QString& name) override;
    WinError deleteKeyTree(Hive hive, const QString& path) override;
    WinError enumSubKeys(Hive hive, const QString& path, QStringList* names) override;
    WinError enumValues(Hive hive, const QString& path, QList<RegNamedValue>* values) override;
    WinError flush() override;
    QString lastErrorText() const override { return m_lastError; }
    bool heldByAnotherProgram() const override;

    // Off: changes wait in memory for flush(), for long imports. On by default.
    void setWriteThrough(bool on) { m_writeThrough = on; }
    // The clock that dates changed keys, as a FILETIME (100 ns since 1601).
    void setClock(std::function<quint64()> fileTimeNow) { m_clock = std::move(fileTimeNow); }

    // The SID under HKEY_USERS that is the current user.
    QString userSid();

private:
    enum FileIndex
    {
        kSystem = 0,
        kUser = 1,
        kUserDefault = 2,
        kFileCount = 3
    };
    struct Location
    {
        int file = -1;
        WineRegKey* key = nullptr; // null: a hive root that holds nothing (HKU, missing HKCR)
    };
    struct Target
    {
        int file = -1; // -1: the HKEY_USERS root itself
        QStringList parts;
    };

    WinError target(Hive hive, const QString& path, Target* out);
    WinError resolve(Hive hive, const QString& path, bool create, Location* out);
    WinError walk(Location from, const QStringList& parts, bool create, int depth, Location* out);
    WinError followLink(const WineRegKey* link, int depth, Location* out);
    WineRegStore* storeObject(int index);
    // The store, read if needed; a failure to read is reported.
    WinError store(int index, WineRegStore** out);
    WinError beginWrite();
    WinError touchFile(int index);
    WinError commit();
    QByteArray prefixArch();
    quint64 now() const { return m_clock(); }
    // Records and logs a failure; a missing key or value is not a failure worth a log line
    // and only sets the text.
    WinError fail(WinError code, const QString& text);

    WinePrefix m_prefix;
    std::array<std::unique_ptr<WineRegStore>, kFileCount> m_stores;
    bool m_writeThrough = true;
    std::function<quint64()> m_clock;
    QString m_lastError;
};

} // namespace kv::platform::posix
