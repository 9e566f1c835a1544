#pragma once

#include "platform/posix/WineRegKey.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

namespace kv::platform::posix {

// One of Wine's text registry files (system.reg, user.reg, userdef.reg) held as a key tree.
// Reading follows wineserver's own loader; writing produces exactly what wineserver writes for
// the same tree, so a file written by Wine comes back byte for byte when nothing was changed.
class WineRegFile
{
public:
    enum class State
    {
        Good,
        Damaged,     // read, but some lines could not be understood and were left out
        NotRegistry, // not a registry file at all (no header, unknown architecture)
    };

    // `relativeTo` is the header's root path as Wine writes it, e.g. "REGISTRY\\Machine"
    // (with the backslash doubled, as in the file).
    explicit WineRegFile(QByteArray relativeTo = {});
    ~WineRegFile();
    WineRegFile(const WineRegFile&) = delete;
    WineRegFile& operator=(const WineRegFile&) = delete;

    // Replaces the tree by the file's content. `now` (a FILETIME) dates keys the file leaves
    // undated, as Wine dates them with its load time.
    State parse(const QByteArray& bytes, quint64 now);
    QByteArray serialize() const;

    State state() const { return m_state; }
    // The first problem met while reading ("line 12: malformed value"), empty when none.
    const QString& problem() const { return m_problem; }

    WineRegKey* root() { return m_root.get(); }
    const WineRegKey* root() const { return m_root.get(); }

    const QByteArray& relativeTo() const { return m_relativeTo; }
    // "win32" or "win64"; a file without the option says nothing (older Wine).
    const std::optional<QByteArray>& arch() const { return m_arch; }
    void setArch(std::optional<QByteArray> arch) { m_arch = std::move(arch); }

    // Conversions between Wine's two ways of writing a key's date.
    static quint64 fileTimeFromUnix(quint32 seconds);
    static quint32 unixFromFileTime(quint64 fileTime);

private:
    friend class WineRegParser;
    void clear(quint64 now);
    void noteProblem(int line, const QString& what);

    QByteArray m_relativeTo;
    std::optional<QByteArray> m_arch;
    std::unique_ptr<WineRegKey> m_root;
    State m_state = State::Good;
    QString m_problem;
};

} // namespace kv::platform::posix
