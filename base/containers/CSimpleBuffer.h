// CSimpleBuffer: an owned block of bytes with its size.
#pragma once

class CSimpleBuffer {
public:
    CSimpleBuffer();
    // A buffer of dwSize bytes (uninitialised); empty when the memory cannot be obtained.
    explicit CSimpleBuffer(unsigned dwSize);
    // A copy of dwSize bytes at pData; empty when the memory cannot be obtained.
    CSimpleBuffer(const void* pData, unsigned dwSize);
    CSimpleBuffer(const CSimpleBuffer& clAutre);
    CSimpleBuffer& operator=(const CSimpleBuffer& clAutre);
    virtual ~CSimpleBuffer();

    // Gives the buffer dwSize bytes. A different size discards the old content and
    // allocates anew (nothing for 0); the same size keeps everything. Returns false when
    // the memory cannot be obtained: the buffer is then empty (size 0, no data).
    virtual bool SetSize(unsigned dwSize);

    // Replaces the content by dwSize bytes copied from pData, which may lie inside this
    // buffer. Returns false, leaving the buffer empty, when the memory cannot be obtained
    // or when pData is null with a non-zero size.
    bool CopyBuffer(const void* pData, unsigned dwSize);

    void* pGetData() { return m_pData; }
    const void* pGetData() const { return m_pData; }
    unsigned dwGetSize() const { return m_dwSize; }

private:
    void* m_pData;      // owned; null exactly when m_dwSize is 0
    unsigned m_dwSize;  // bytes
};
