// IStdVersion: the versioned interface base whose slots derived interfaces build on.
#pragma once

// Slot order is shared with code built elsewhere: nGetVersion, nGetCompatSince, nGetDllNum,
// then three empty slots that hold their places. There is no virtual destructor (it would
// take slots); objects are destroyed through their own class.
class IStdVersion {
public:
    virtual int nGetVersion() = 0;
    virtual int nGetCompatSince() = 0;
    virtual int nGetDllNum() = 0;
    virtual void StdVersion_EmptySlot_1() {}
    virtual void StdVersion_EmptySlot_2() {}
    virtual void StdVersion_EmptySlot_3() {}

protected:
    IStdVersion() = default;
    IStdVersion(const IStdVersion&) = default;
    IStdVersion& operator=(const IStdVersion&) = default;
    ~IStdVersion() = default;
};
