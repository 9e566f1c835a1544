#include "platform/RegValue.h"

#include <QtEndian>

namespace kv::platform {

namespace {

QByteArray utf16Bytes(const QString& text)
{
    QByteArray bytes;
    bytes.reserve((text.size() + 1) * 2);
    for (QChar c : text) {
        const char16_t u = c.unicode();
        bytes.append(char(u & 0xFF));
        bytes.append(char(u >> 8));
    }
    return bytes;
}

QString fromUtf16Bytes(const QByteArray& bytes, qsizetype begin, qsizetype end)
{
    QString text;
    text.reserve((end - begin) / 2);
    for (qsizetype i = begin; i + 1 < end; i += 2)
        text.append(QChar(char16_t(quint8(bytes[i]) | (quint8(bytes[i + 1]) << 8))));
    return text;
}

} // namespace

RegValue RegValue::fromString(const QString& text, quint32 type)
{
    RegValue v;
    v.type = type;
    v.data = utf16Bytes(text);
    v.data.append(2, '\0');
    return v;
}

RegValue RegValue::fromMultiString(const QStringList& items)
{
    RegValue v;
    v.type = kRegMultiSz;
    for (const QString& item : items) {
        v.data += utf16Bytes(item);
        v.data.append(2, '\0');
    }
    v.data.append(2, '\0');
    return v;
}

RegValue RegValue::fromDword(quint32 value)
{
    RegValue v;
    v.type = kRegDword;
    v.data.resize(4);
    qToLittleEndian(value, v.data.data());
    return v;
}

RegValue RegValue::fromBinary(const QByteArray& bytes, quint32 type)
{
    return RegValue{type, bytes};
}

QString RegValue::toString() const
{
    qsizetype end = 0;
    while (end + 1 < data.size() && (data[end] != '\0' || data[end + 1] != '\0'))
        end += 2;
    return fromUtf16Bytes(data, 0, end);
}

QStringList RegValue::toMultiString() const
{
    QStringList items;
    qsizetype start = 0;
    for (qsizetype i = 0; i + 1 < data.size(); i += 2) {
        if (data[i] == '\0' && data[i + 1] == '\0') {
            if (i == start)
                break; // the empty string that ends the list
            items.append(fromUtf16Bytes(data, start, i));
            start = i + 2;
        }
    }
    if (start + 1 < data.size() && !(data[start] == '\0' && data[start + 1] == '\0'))
        items.append(fromUtf16Bytes(data, start, data.size())); // unterminated last item
    return items;
}

quint32 RegValue::toDword() const
{
    quint32 value = 0;
    for (int i = 0; i < 4 && i < data.size(); ++i)
        value |= quint32(quint8(data[i])) << (8 * i);
    return value;
}

} // namespace kv::platform
