#include "DbxIndexTree.h"

#include <algorithm>

namespace kv::storegen {

DbxIndexTree::DbxIndexTree(const std::vector<std::uint32_t>& valuesInKeyOrder)
{
    for (std::uint32_t v : valuesInKeyOrder)
        append(v);
    m_counts.assign(m_nodes.size(), 0);
    if (m_root >= 0)
        count(m_root);
}

std::uint32_t DbxIndexTree::count(int node)
{
    std::uint32_t n = std::uint32_t(m_nodes[size_t(node)].values.size());
    for (int c : m_nodes[size_t(node)].children)
        if (c >= 0)
            n += count(c);
    m_counts[size_t(node)] = n;
    return n;
}

std::uint32_t DbxIndexTree::subtreeCount(int node) const
{
    return node < 0 ? 0 : m_counts[size_t(node)];
}

int DbxIndexTree::depth() const
{
    int d = 0;
    for (int n = m_root; n >= 0; n = m_nodes[size_t(n)].children.front())
        ++d;
    return d;
}

void DbxIndexTree::append(std::uint32_t value)
{
    if (m_root < 0) {
        m_nodes.push_back({{}, {-1}, -1});
        m_root = 0;
    }
    // Keys arrive in order, so every insertion lands at the end of the rightmost leaf.
    int n = m_root;
    while (m_nodes[size_t(n)].children.back() >= 0)
        n = m_nodes[size_t(n)].children.back();
    m_nodes[size_t(n)].values.push_back(value);
    m_nodes[size_t(n)].children.push_back(-1);
    while (n >= 0 && int(m_nodes[size_t(n)].values.size()) > kMaxEntries) {
        split(n);
        n = m_nodes[size_t(n)].parent;
    }
}

void DbxIndexTree::split(int node)
{
    const int right = int(m_nodes.size());
    m_nodes.push_back({});
    Node& left = m_nodes[size_t(node)];
    const size_t mid = left.values.size() / 2 - 1;
    const std::uint32_t median = left.values[mid];

    Node r;
    r.values.assign(left.values.begin() + long(mid) + 1, left.values.end());
    r.children.assign(left.children.begin() + long(mid) + 1, left.children.end());
    left.values.resize(mid);
    left.children.resize(mid + 1);

    int parent = left.parent;
    if (parent < 0) {
        parent = int(m_nodes.size());
        m_nodes.push_back({{}, {node}, -1});
        m_nodes[size_t(node)].parent = parent;
        m_root = parent;
    }
    r.parent = parent;
    for (int c : r.children)
        if (c >= 0)
            m_nodes[size_t(c)].parent = right;
    m_nodes[size_t(right)] = std::move(r);

    Node& p = m_nodes[size_t(parent)];
    const auto at = std::find(p.children.begin(), p.children.end(), node) - p.children.begin();
    p.values.insert(p.values.begin() + at, median);
    p.children.insert(p.children.begin() + at + 1, right);
}

} // namespace kv::storegen
