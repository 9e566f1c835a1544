#pragma once

#include <QByteArray>

#include <cstdint>

namespace kv::storegen {

// One generated message: its raw RFC 822 bytes and the values the client copies into its
// index records (texts in the ANSI code page, decoded from any encoded words).
struct MailMessage
{
    QByteArray raw;
    QByteArray subject;
    QByteArray fromName;
    QByteArray fromAddress;
    QByteArray toName;
    QByteArray toAddress;
    QByteArray messageId;
    std::uint64_t fileTime = 0;
    bool read = false;
    bool hasAttachment = false;
};

} // namespace kv::storegen
