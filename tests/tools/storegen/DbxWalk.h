#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

namespace kv::test {

// An independent reader of .dbx files for the generator's tests: walks an index tree in key
// order and checks what a reader relies on (own offsets, parents, entry limits, the counts
// kept per entry and per node), and reads records and message block chains strictly.
class DbxWalk
{
public:
    struct Attr
    {
        std::uint8_t id;
        std::uint32_t value;
    };
    struct Record
    {
        std::uint32_t offset = 0;
        std::vector<Attr> attrs;
        QByteArray data;
        bool has(std::uint8_t id) const;
        const Attr* find(std::uint8_t idLow) const; // matches 0x04 and 0x84 alike
        // An integer attribute, direct or indirect.
        std::uint32_t intValue(std::uint8_t idLow) const;
        // A text attribute (indirect, NUL-terminated).
        QByteArray text(std::uint8_t idLow) const;
    };

    explicit DbxWalk(const QByteArray& file);
    static DbxWalk load(const QString& path);

    std::uint32_t u32(std::uint32_t at) const;
    std::uint32_t count(int tree) const { return u32(0xC4 + 4 * std::uint32_t(tree)); }
    std::uint32_t root(int tree) const { return u32(0xE4 + 4 * std::uint32_t(tree)); }
    // Record offsets of a tree in key order; an empty list and a message in `error` when the
    // tree breaks a rule.
    std::vector<std::uint32_t> walk(int tree, int* depth = nullptr);
    Record record(std::uint32_t offset) const;
    // The message text of a record's block chain; blocks must be full except the last.
    QByteArray message(const Record& r);

    const QString& error() const { return m_error; }
    const QByteArray& bytes() const { return m_file; }

private:
    std::uint32_t walkNode(std::uint32_t node, std::uint32_t parent, int level, int* depth,
                           std::vector<std::uint32_t>& out);
    bool fail(const QString& message);

    QByteArray m_file;
    QString m_error;
    int m_leafLevel = -1;
};

} // namespace kv::test
