#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <cstdint>
#include <optional>

// The records of the zip format (APPNOTE 6.3): building them for the writer and parsing them for
// the reader. All numbers are little-endian.
namespace kv::zip {

inline constexpr quint32 kSigLocal = 0x04034b50;
inline constexpr quint32 kSigCentral = 0x02014b50;
inline constexpr quint32 kSigEnd = 0x06054b50;
inline constexpr quint32 kSigEnd64 = 0x06064b50;
inline constexpr quint32 kSigLocator64 = 0x07064b50;
inline constexpr quint32 kSigDescriptor = 0x08074b50; // also the first bytes of a spanned set
inline constexpr quint32 kSigSingleSpan = 0x30304b50; // a spanned set that fitted one disk

inline constexpr quint16 kFlagEncrypted = 0x0001;
inline constexpr quint16 kFlagDescriptor = 0x0008;
inline constexpr quint16 kFlagUtf8 = 0x0800;
inline constexpr quint16 kMethodStored = 0;
inline constexpr quint16 kMethodDeflated = 8;
inline constexpr quint16 kExtraZip64 = 0x0001;

inline constexpr int kLocalHeaderSize = 30;
inline constexpr int kCentralHeaderSize = 46;
inline constexpr int kEndSize = 22;
inline constexpr int kEnd64Size = 56;
inline constexpr int kLocator64Size = 20;
inline constexpr quint32 kMax32 = 0xffffffffu;
inline constexpr quint16 kMax16 = 0xffffu;

// One entry as the central directory describes it.
struct CentralEntry
{
    QByteArray rawName;
    QString name; // decoded, with "\" separators
    quint16 madeBy = 0;
    quint16 needed = 20;
    quint16 flags = 0;
    quint16 method = kMethodDeflated;
    quint32 dosDateTime = 0; // time in the low half, date in the high half
    quint32 crc = 0;
    quint64 compressedSize = 0;
    quint64 size = 0;
    quint32 disk = 0;
    quint64 localOffset = 0;
    quint32 externalAttributes = 0;
    bool isDirectory() const { return rawName.endsWith('/') || rawName.endsWith('\\'); }
};

// The end of the central directory, zip64 values merged in.
struct EndRecord
{
    quint32 thisDisk = 0;
    quint32 directoryDisk = 0;
    quint64 entriesOnDisk = 0;
    quint64 entries = 0;
    quint64 directorySize = 0;
    quint64 directoryOffset = 0; // from the start of directoryDisk
};

class ByteWriter
{
public:
    void u16(quint16 v);
    void u32(quint32 v);
    void u64(quint64 v);
    void bytes(const QByteArray& b) { m_out.append(b); }
    QByteArray& data() { return m_out; }

private:
    QByteArray m_out;
};

quint16 readU16(const char* p);
quint32 readU32(const char* p);
quint64 readU64(const char* p);

quint32 toDosDateTime(const QDateTime& utc);
QDateTime fromDosDateTime(quint32 dos); // local time, as the format stores it

// Stored bytes of a name from a Windows path without its drive; sets the UTF-8 flag when needed.
QByteArray encodeName(const QString& name, quint16* flags);
QString decodeName(const QByteArray& raw, quint16 flags);

// Local header of an entry written with a data descriptor; zip64 reserves 8-byte sizes.
QByteArray localHeader(const CentralEntry& e, bool zip64);
QByteArray dataDescriptor(const CentralEntry& e, bool zip64);
QByteArray centralHeader(const CentralEntry& e);
// The zip64 end record and locator when needed, then the classic end record.
QByteArray endRecords(const EndRecord& end, quint32 end64Disk, quint64 end64Offset);
bool needsZip64End(const EndRecord& end);

// Parses one central header at p (at most avail bytes); its length in *used. Empty on damage.
std::optional<CentralEntry> parseCentral(const char* p, qsizetype avail, qsizetype* used);

} // namespace kv::zip
