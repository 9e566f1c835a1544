#pragma once

#include "MailMessage.h"

#include <cstdint>

namespace kv::storegen {

// Realistic messages, each a pure function of (seed, index): CRLF line ends, folded and
// encoded (RFC 2047) headers, Reply-To before To on some, 8-bit Windows-1252 text, plain,
// multipart/alternative and multipart/mixed bodies with base64 attachments of varied sizes,
// now and then a message without a body or with a header block beyond 2000 characters.
class MessageGenerator
{
public:
    struct Options
    {
        // Share of messages (in percent) that carry an attachment, and its largest size.
        int attachmentPercent = 15;
        int maxAttachmentBytes = 80 * 1024;
        int minAttachmentBytes = 64;
    };

    explicit MessageGenerator(std::uint64_t seed);
    MessageGenerator(std::uint64_t seed, Options options);

    MailMessage message(std::uint64_t index) const;

    // Kinds every run of 20 consecutive messages contains at least once, at index % 20.
    enum class Feature : std::uint64_t
    {
        NoBody = 3,
        LongHeader = 7,
        ReplyToFirst = 11,
        EncodedSubject = 13,
        Multipart = 17
    };
    static constexpr std::uint64_t kRunLength = 20;
    // The index of the message of that kind in the given run of 20.
    static constexpr std::uint64_t indexOf(Feature feature, std::uint64_t run)
    {
        return run * kRunLength + std::uint64_t(feature);
    }

private:
    std::uint64_t m_seed;
    Options m_options;
};

} // namespace kv::storegen
