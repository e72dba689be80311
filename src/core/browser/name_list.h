// The names of one listing, kept back to back in blocks of 64 KiB: a folder of 100,000 names
// costs a few dozen allocations instead of 100,000, and sorting reads them from few places.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace kl {

class NameList {
public:
    class const_iterator {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = std::string_view;

        const_iterator() = default;
        const_iterator(const NameList* list, std::size_t at) : m_list(list), m_at(at) {}
        std::string_view operator*() const { return (*m_list)[m_at]; }
        std::string_view operator[](difference_type n) const { return (*m_list)[m_at + static_cast<std::size_t>(n)]; }
        const_iterator& operator++() { ++m_at; return *this; }
        const_iterator operator++(int) { const_iterator old = *this; ++m_at; return old; }
        const_iterator& operator--() { --m_at; return *this; }
        const_iterator operator--(int) { const_iterator old = *this; --m_at; return old; }
        const_iterator& operator+=(difference_type n) { m_at += static_cast<std::size_t>(n); return *this; }
        const_iterator& operator-=(difference_type n) { m_at -= static_cast<std::size_t>(n); return *this; }
        friend const_iterator operator+(const_iterator it, difference_type n) { return it += n; }
        friend const_iterator operator+(difference_type n, const_iterator it) { return it += n; }
        friend const_iterator operator-(const_iterator it, difference_type n) { return it -= n; }
        friend difference_type operator-(const const_iterator& a, const const_iterator& b)
        {
            return static_cast<difference_type>(a.m_at) - static_cast<difference_type>(b.m_at);
        }
        friend bool operator==(const const_iterator& a, const const_iterator& b) { return a.m_at == b.m_at; }
        friend auto operator<=>(const const_iterator& a, const const_iterator& b) { return a.m_at <=> b.m_at; }

    private:
        const NameList* m_list = nullptr;
        std::size_t m_at = 0;
    };

    std::size_t size() const { return m_spans.size(); }
    bool empty() const { return m_spans.empty(); }
    std::string_view operator[](std::size_t i) const
    {
        const Span& s = m_spans[i];
        return {m_chunks[s.chunk].data() + s.offset, s.length};
    }
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, m_spans.size()}; }

    void push_back(std::string_view name)
    {
        // Bytes go into fixed blocks that never grow, so no name is ever copied twice; a
        // growing single block would copy all of them at every doubling.
        if (m_chunks.empty() || m_chunks.back().size() + name.size() > kChunkBytes) {
            m_chunks.emplace_back();
            m_chunks.back().reserve(std::max(kChunkBytes, name.size()));
        }
        std::string& chunk = m_chunks.back();
        m_spans.push_back({static_cast<std::uint32_t>(m_chunks.size() - 1), static_cast<std::uint32_t>(chunk.size()),
                           name.size()});
        chunk.append(name);
    }

    // Puts the names into the order given as their current positions; only the short
    // spans move, the bytes stay where they are.
    void reorder(const std::vector<std::uint32_t>& order);

private:
    static constexpr std::size_t kChunkBytes = 64 * 1024;
    struct Span {
        std::uint32_t chunk;
        std::uint32_t offset;  // below the block size; a longer name has a block of its own
        std::size_t length;
    };
    std::vector<std::string> m_chunks;
    std::vector<Span> m_spans;
};

}  // namespace kl
