// Guarded buffers for tests of calls that fill caller memory: the bytes around the
// usable area hold a known pattern, so a write past either end is caught.
#pragma once

#include <cstddef>
#include <cstring>
#include <vector>

namespace zvtest {

template <typename T>
class SentinelBuffer {
public:
    static constexpr std::size_t kGuard = 16;

    explicit SentinelBuffer(std::size_t count, T fill = sentinel())
        : m_count(count), m_storage(count + 2 * kGuard, fill) {}

    T* data() { return m_storage.data() + kGuard; }
    const T* data() const { return m_storage.data() + kGuard; }
    std::size_t size() const { return m_count; }
    T& operator[](std::size_t i) { return data()[i]; }

    // True when the guard areas before and after the usable part still hold the pattern.
    bool guardsIntact() const {
        for (std::size_t i = 0; i < kGuard; ++i) {
            if (m_storage[i] != sentinel() || m_storage[kGuard + m_count + i] != sentinel())
                return false;
        }
        return true;
    }
    // True when the usable cells from `from` on were not written (still hold the pattern).
    bool untouchedFrom(std::size_t from) const {
        for (std::size_t i = from; i < m_count; ++i)
            if (data()[i] != sentinel())
                return false;
        return true;
    }

    static constexpr T sentinel() { return static_cast<T>(0x5A); }

private:
    std::size_t m_count;
    std::vector<T> m_storage;
};

} // namespace zvtest
