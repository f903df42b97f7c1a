#pragma once

#include <cstdint>
#include <functional>

namespace zandro {

class Platform;

// The one shared register buffer and the operations on it. Every register read, change and write
// goes through it, one register at a time: set Index, read, change bits of Low/High, write back.
class MsrBuffer {
public:
    explicit MsrBuffer(Platform& platform) : m_platform(platform) {}
    MsrBuffer(const MsrBuffer&) = delete;
    MsrBuffer& operator=(const MsrBuffer&) = delete;

    uint32_t Index = 0;
    uint32_t Low = 0;   // bits 0..31 (EAX)
    uint32_t High = 0;  // bits 32..63 (EDX)

    bool ReadMsr();
    bool WriteMsr();
    bool WriteMsrFlushing();  // the write with cache write-back and invalidate

    // Told of every write the driver refuses (register, value), when set.
    std::function<void(uint32_t index, uint64_t value)> onWriteFailed;

    bool MsrBit(unsigned bit) const;
    uint64_t MsrBits(unsigned highest, unsigned lowest) const;

    uint64_t value() const { return (uint64_t(High) << 32) | Low; }
    void setValue(uint64_t v) {
        Low = uint32_t(v);
        High = uint32_t(v >> 32);
    }

    Platform& platform() const { return m_platform; }

private:
    bool written(bool ok) const;

    Platform& m_platform;
};

// Saves the whole buffer and puts it back on scope exit, for reads in the middle of a
// read-modify-write of another register.
class MsrBufferSave {
public:
    explicit MsrBufferSave(MsrBuffer& buffer)
        : m_buffer(buffer), m_index(buffer.Index), m_low(buffer.Low), m_high(buffer.High) {}
    ~MsrBufferSave() {
        m_buffer.Index = m_index;
        m_buffer.Low = m_low;
        m_buffer.High = m_high;
    }
    MsrBufferSave(const MsrBufferSave&) = delete;
    MsrBufferSave& operator=(const MsrBufferSave&) = delete;

private:
    MsrBuffer& m_buffer;
    uint32_t m_index, m_low, m_high;
};

}  // namespace zandro
