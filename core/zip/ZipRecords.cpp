#include "zip/ZipRecords.h"

#include "platform/Ansi.h"
#include "zip/ZipTypes.h"

#include <QStringDecoder>

namespace kv::zip {

void ByteWriter::u16(quint16 v)
{
    m_out.append(char(v & 0xff));
    m_out.append(char(v >> 8));
}

void ByteWriter::u32(quint32 v)
{
    u16(quint16(v & 0xffff));
    u16(quint16(v >> 16));
}

void ByteWriter::u64(quint64 v)
{
    u32(quint32(v & 0xffffffffu));
    u32(quint32(v >> 32));
}

quint16 readU16(const char* p)
{
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return quint16(u[0] | (u[1] << 8));
}

quint32 readU32(const char* p)
{
    return quint32(readU16(p)) | (quint32(readU16(p + 2)) << 16);
}

quint64 readU64(const char* p)
{
    return quint64(readU32(p)) | (quint64(readU32(p + 4)) << 32);
}

quint32 toDosDateTime(const QDateTime& utc)
{
    QDateTime t = utc.isValid() ? utc.toLocalTime() : QDateTime::currentDateTime();
    if (t.date().year() < 1980)
        t = QDateTime(QDate(1980, 1, 1), QTime(0, 0));
    if (t.date().year() > 2107)
        t = QDateTime(QDate(2107, 12, 31), QTime(23, 59, 58));
    const QDate d = t.date();
    const QTime h = t.time();
    const quint32 time = quint32((h.hour() << 11) | (h.minute() << 5) | (h.second() / 2));
    const quint32 date = quint32(((d.year() - 1980) << 9) | (d.month() << 5) | d.day());
    return time | (date << 16);
}

QDateTime fromDosDateTime(quint32 dos)
{
    const quint32 time = dos & 0xffff;
    const quint32 date = dos >> 16;
    const QDate d(int(1980 + (date >> 9)), int((date >> 5) & 0x0f), int(date & 0x1f));
    const QTime t(int(time >> 11), int((time >> 5) & 0x3f), int((time & 0x1f) * 2));
    if (!d.isValid() || !t.isValid())
        return {};
    return QDateTime(d, t);
}

QByteArray encodeName(const QString& name, quint16* flags)
{
    QString n = name;
    n.replace(QLatin1Char('\\'), QLatin1Char('/'));
    bool ascii = true;
    for (QChar c : n)
        ascii = ascii && c.unicode() < 0x80;
    if (ascii)
        return n.toLatin1();
    // Non-ASCII names go out as UTF-8 with the flag that says so: every current reader honours
    // it, while the code page of an unflagged name is anybody's guess.
    *flags |= kFlagUtf8;
    return n.toUtf8();
}

QString decodeName(const QByteArray& raw, quint16 flags)
{
    QString name;
    if (flags & kFlagUtf8) {
        name = QString::fromUtf8(raw);
    } else {
        bool ascii = true;
        for (char c : raw)
            ascii = ascii && uchar(c) < 0x80;
        if (ascii) {
            name = QString::fromLatin1(raw);
        } else {
            // Tools on Unix store UTF-8 without setting the flag; anything else is taken as the
            // ANSI code page the program speaks.
            QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
            name = utf8.decode(raw);
            if (utf8.hasError())
                name = kv::ansi::toUnicode(raw);
        }
    }
    name.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return name;
}

QByteArray localHeader(const CentralEntry& e, bool zip64)
{
    ByteWriter w;
    w.u32(kSigLocal);
    w.u16(zip64 ? 45 : e.needed);
    w.u16(e.flags);
    w.u16(e.method);
    w.u32(e.dosDateTime);
    const bool descriptor = e.flags & kFlagDescriptor;
    w.u32(descriptor ? 0 : e.crc);
    if (zip64) {
        w.u32(kMax32);
        w.u32(kMax32);
    } else {
        w.u32(descriptor ? 0 : quint32(e.compressedSize));
        w.u32(descriptor ? 0 : quint32(e.size));
    }
    w.u16(quint16(e.rawName.size()));
    w.u16(zip64 ? 20 : 0);
    w.bytes(e.rawName);
    if (zip64) {
        w.u16(kExtraZip64);
        w.u16(16);
        w.u64(descriptor ? 0 : e.size);
        w.u64(descriptor ? 0 : e.compressedSize);
    }
    return w.data();
}

QByteArray dataDescriptor(const CentralEntry& e, bool zip64)
{
    ByteWriter w;
    w.u32(kSigDescriptor);
    w.u32(e.crc);
    if (zip64) {
        w.u64(e.compressedSize);
        w.u64(e.size);
    } else {
        w.u32(quint32(e.compressedSize));
        w.u32(quint32(e.size));
    }
    return w.data();
}

QByteArray centralHeader(const CentralEntry& e)
{
    ByteWriter extra;
    const bool bigSize = e.size >= kMax32;
    const bool bigComp = e.compressedSize >= kMax32;
    const bool bigOffset = e.localOffset >= kMax32;
    const bool bigDisk = e.disk >= kMax16;
    if (bigSize)
        extra.u64(e.size);
    if (bigComp)
        extra.u64(e.compressedSize);
    if (bigOffset)
        extra.u64(e.localOffset);
    if (bigDisk)
        extra.u32(e.disk);
    const bool zip64 = !extra.data().isEmpty();

    ByteWriter w;
    w.u32(kSigCentral);
    w.u16(zip64 ? 45 : e.madeBy);
    w.u16(zip64 ? 45 : e.needed);
    w.u16(e.flags);
    w.u16(e.method);
    w.u32(e.dosDateTime);
    w.u32(e.crc);
    w.u32(bigComp ? kMax32 : quint32(e.compressedSize));
    w.u32(bigSize ? kMax32 : quint32(e.size));
    w.u16(quint16(e.rawName.size()));
    w.u16(zip64 ? quint16(4 + extra.data().size()) : 0);
    w.u16(0); // comment
    w.u16(bigDisk ? kMax16 : quint16(e.disk));
    w.u16(0); // internal attributes
    w.u32(e.externalAttributes);
    w.u32(bigOffset ? kMax32 : quint32(e.localOffset));
    w.bytes(e.rawName);
    if (zip64) {
        w.u16(kExtraZip64);
        w.u16(quint16(extra.data().size()));
        w.bytes(extra.data());
    }
    return w.data();
}

bool needsZip64End(const EndRecord& end)
{
    return end.entries >= kMax16 || end.entriesOnDisk >= kMax16 || end.directorySize >= kMax32 ||
           end.directoryOffset >= kMax32 || end.thisDisk >= kMax16 || end.directoryDisk >= kMax16;
}

QByteArray endRecords(const EndRecord& end, quint32 end64Disk, quint64 end64Offset)
{
    ByteWriter w;
    const bool zip64 = needsZip64End(end);
    if (zip64) {
        w.u32(kSigEnd64);
        w.u64(kEnd64Size - 12);
        w.u16(45);
        w.u16(45);
        w.u32(end.thisDisk);
        w.u32(end.directoryDisk);
        w.u64(end.entriesOnDisk);
        w.u64(end.entries);
        w.u64(end.directorySize);
        w.u64(end.directoryOffset);
        w.u32(kSigLocator64);
        w.u32(end64Disk);
        w.u64(end64Offset);
        w.u32(end.thisDisk + 1);
    }
    auto clamp16 = [zip64](quint64 v) { return zip64 && v >= kMax16 ? kMax16 : quint16(v); };
    auto clamp32 = [zip64](quint64 v) { return zip64 && v >= kMax32 ? kMax32 : quint32(v); };
    w.u32(kSigEnd);
    w.u16(clamp16(end.thisDisk));
    w.u16(clamp16(end.directoryDisk));
    w.u16(clamp16(end.entriesOnDisk));
    w.u16(clamp16(end.entries));
    w.u32(clamp32(end.directorySize));
    w.u32(clamp32(end.directoryOffset));
    w.u16(0);
    return w.data();
}

std::optional<CentralEntry> parseCentral(const char* p, qsizetype avail, qsizetype* used)
{
    if (avail < kCentralHeaderSize || readU32(p) != kSigCentral)
        return std::nullopt;
    const int nameLen = readU16(p + 28);
    const int extraLen = readU16(p + 30);
    const int commentLen = readU16(p + 32);
    const qsizetype total = kCentralHeaderSize + nameLen + extraLen + commentLen;
    if (avail < total)
        return std::nullopt;
    CentralEntry e;
    e.madeBy = readU16(p + 4);
    e.needed = readU16(p + 6);
    e.flags = readU16(p + 8);
    e.method = readU16(p + 10);
    e.dosDateTime = readU32(p + 12);
    e.crc = readU32(p + 16);
    e.compressedSize = readU32(p + 20);
    e.size = readU32(p + 24);
    e.disk = readU16(p + 34);
    e.externalAttributes = readU32(p + 38);
    e.localOffset = readU32(p + 42);
    e.rawName = QByteArray(p + kCentralHeaderSize, nameLen);
    e.name = decodeName(e.rawName, e.flags);

    const char* x = p + kCentralHeaderSize + nameLen;
    const char* xEnd = x + extraLen;
    while (xEnd - x >= 4) {
        const quint16 id = readU16(x);
        const quint16 len = readU16(x + 2);
        const char* d = x + 4;
        if (len > xEnd - d)
            return std::nullopt;
        if (id == kExtraZip64) {
            const char* q = d;
            const char* qEnd = d + len;
            auto take64 = [&](quint64* v) {
                if (qEnd - q < 8)
                    return false;
                *v = readU64(q);
                q += 8;
                return true;
            };
            if (e.size == kMax32 && !take64(&e.size))
                return std::nullopt;
            if (e.compressedSize == kMax32 && !take64(&e.compressedSize))
                return std::nullopt;
            if (e.localOffset == kMax32 && !take64(&e.localOffset))
                return std::nullopt;
            if (e.disk == kMax16) {
                if (qEnd - q < 4)
                    return std::nullopt;
                e.disk = readU32(q);
            }
        }
        x = d + len;
    }
    *used = total;
    return e;
}

QString resultText(int code)
{
    switch (code) {
    case kZipSuccess:
        return QStringLiteral("success");
    case kZipNothingToDo:
        return QStringLiteral("nothing to do: no file matched");
    case kZipFilesSkipped:
        return QStringLiteral("one or more files were skipped");
    case kZipBadArguments:
        return QStringLiteral("archive name, files or destination missing");
    case kZipDiskFull:
        return QStringLiteral("disk full or write error");
    case kZipCancelled:
        return QStringLiteral("cancelled");
    case kZipInternalError:
        return QStringLiteral("internal compression error");
    case kZipCannotCreate:
        return QStringLiteral("the archive cannot be created");
    case kZipNotAZip:
        return QStringLiteral("not a zip archive, or damaged");
    case kZipCannotOpen:
        return QStringLiteral("the archive cannot be opened");
    default:
        return QStringLiteral("error %1").arg(code);
    }
}

} // namespace kv::zip
