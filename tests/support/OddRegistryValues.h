#pragma once

#include "platform/RegValue.h"

#include <QList>
#include <QString>

#include <utility>

namespace kv::test {

// Registry values that are hard to write as a script and read back: quotes and backslashes in
// names and data, letters outside ASCII, empty and terminator-less strings, line breaks, binary
// data of every byte, and each value type the client's settings use.
inline QList<std::pair<QString, platform::RegValue>> oddRegistryValues()
{
    using platform::RegValue;
    QByteArray binary;
    for (int i = 0; i < 200; ++i)
        binary += char(i * 7);
    return {
        {{}, RegValue::fromString(QStringLiteral("default \"quoted\""))},
        {QStringLiteral("back\\slash \"name\""), RegValue::fromString(QStringLiteral("C:\\dir\\"))},
        {QStringLiteral("Größe"), RegValue::fromString(QStringLiteral("café € Ä"))},
        {QStringLiteral("empty"), RegValue::fromString({})},
        {QStringLiteral("zero bytes"), RegValue::fromBinary({}, platform::kRegSz)},
        {QStringLiteral("lines"), RegValue::fromString(QStringLiteral("one\r\ntwo"))},
        {QStringLiteral("binary"), RegValue::fromBinary(binary)},
        {QStringLiteral("expand"),
         RegValue::fromString(QStringLiteral("%USERPROFILE%\\é"), platform::kRegExpandSz)},
        {QStringLiteral("multi"), RegValue::fromMultiString({QStringLiteral("a"),
                                                             QStringLiteral("bé"),
                                                             QStringLiteral("c d")})},
        {QStringLiteral("dword"), RegValue::fromDword(0xffffffff)},
        {QStringLiteral("none"), RegValue::fromBinary(QByteArray::fromHex("00ff"), platform::kRegNone)},
        {QStringLiteral("qword"),
         RegValue::fromBinary(QByteArray::fromHex("0102030405060708"), platform::kRegQword)},
    };
}

} // namespace kv::test
