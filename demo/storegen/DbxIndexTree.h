#pragma once

#include <cstdint>
#include <vector>

namespace kv::storegen {

// The shape of an index tree as the mail client grows it: values are inserted in key order
// into a B-tree whose nodes hold at most 51 entries; a node that overflows splits in the
// middle and pushes its middle entry up. Each entry owns the subtree that follows it; the
// node's leading child holds the values before its first entry.
class DbxIndexTree
{
public:
    static constexpr int kMaxEntries = 51;

    struct Node
    {
        std::vector<std::uint32_t> values;
        // children[0] is the leading child, children[i + 1] follows values[i]; -1 = none.
        std::vector<int> children;
        int parent = -1;
    };

    explicit DbxIndexTree(const std::vector<std::uint32_t>& valuesInKeyOrder);

    const std::vector<Node>& nodes() const { return m_nodes; }
    int root() const { return m_root; }
    // Number of values in the subtree of a node (0 for -1).
    std::uint32_t subtreeCount(int node) const;
    int depth() const;

private:
    void append(std::uint32_t value);
    void split(int node);
    std::uint32_t count(int node);

    std::vector<Node> m_nodes;
    std::vector<std::uint32_t> m_counts;
    int m_root = -1;
};

} // namespace kv::storegen
