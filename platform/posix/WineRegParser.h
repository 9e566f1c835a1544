#pragma once

#include <QByteArray>
#include <QString>

namespace kv::platform::posix {

class WineRegFile;
class WineRegKey;

// Reads a Wine registry file into a WineRegFile the way wineserver's loader reads it: lines it
// cannot understand are skipped (and reported), keys and values keep the file's order, and
// keys without a date of their own take the date of the section that created them.
class WineRegParser
{
public:
    WineRegParser(WineRegFile& file, quint64 now);
    void run(const QByteArray& bytes);

private:
    bool nextLine();
    void parseKeyLine(qsizetype pos);
    void finishKey();
    // Dates the section's key and the parents it created (Wine marks them undated with 0).
    void setKeyTime(quint64 fileTime);
    void parseKeyOption(qsizetype pos);
    bool parseGlobalOption(qsizetype pos);
    void parseValueLine(qsizetype pos);
    bool parseHex(qsizetype pos, QByteArray* data);
    void problem(const QString& what);

    WineRegFile& m_file;
    quint64 m_now;
    const QByteArray* m_bytes = nullptr;
    qsizetype m_next = 0; // where the next line starts
    int m_lineNo = 0;
    QByteArray m_line;
    WineRegKey* m_key = nullptr; // the section being read
    quint64 m_sectionTime = 0;   // its date from the section line
};

} // namespace kv::platform::posix
