// COctets: an owned byte buffer whose capacity grows on demand and is kept for reuse.
#pragma once

#include <cstddef>
#include <cstdint>

// Bytes without initialisation (they are filled at once by a read or a coder). Buffers of
// megabytes are mapped on huge pages (base/system/GrandBloc), so filling one costs few page
// faults; a buffer reused for block after block faults its pages in only once.
class COctets {
public:
    COctets() = default;
    ~COctets();
    COctets(const COctets&) = delete;
    COctets& operator=(const COctets&) = delete;

    // Room for n bytes, the first min(n, capacity) kept; false when the memory is not there
    // (the buffer is then unchanged).
    bool bReserve(size_t n);
    // Room for n bytes whose contents do not matter: a buffer too small is freed before the
    // new one is taken, so the two never add up.
    bool bReserveVide(size_t n);

    uint8_t* data() { return m_p; }
    const uint8_t* data() const { return m_p; }
    size_t capacite() const { return m_nCapacite; }

private:
    uint8_t* m_p = nullptr;
    size_t m_nCapacite = 0;
};
