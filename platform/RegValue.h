#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace kv::platform {

// Registry value types, numbered as Windows numbers them.
enum RegType : quint32 {
    kRegNone = 0,
    kRegSz = 1,
    kRegExpandSz = 2,
    kRegBinary = 3,
    kRegDword = 4,
    kRegDwordBigEndian = 5,
    kRegLink = 6,
    kRegMultiSz = 7,
    kRegQword = 11,
};

// A registry value as Windows stores it: its type and its raw bytes. Strings are UTF-16LE with
// their terminating NUL, exactly as RegQueryValueExW would return them, so that values of any
// type (including ones the program never interprets) survive a read/write unchanged.
struct RegValue
{
    quint32 type = kRegNone;
    QByteArray data;

    static RegValue fromString(const QString& text, quint32 type = kRegSz);
    static RegValue fromMultiString(const QStringList& items);
    static RegValue fromDword(quint32 value);
    static RegValue fromBinary(const QByteArray& bytes, quint32 type = kRegBinary);

    // The text of a string value, without its terminator (cut at the first NUL).
    QString toString() const;
    QStringList toMultiString() const;
    // Little-endian 32-bit number from the first four bytes (missing bytes read as 0).
    quint32 toDword() const;

    bool isString() const { return type == kRegSz || type == kRegExpandSz; }
    bool operator==(const RegValue&) const = default;
};

// A named value as enumerated from a key; the default (unnamed) value has an empty name.
struct RegNamedValue
{
    QString name;
    RegValue value;
};

} // namespace kv::platform
