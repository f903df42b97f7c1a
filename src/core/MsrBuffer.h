#pragma once

#include <cstdint>
#include <functional>
#include <optional>

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

    // A failed read leaves zeros, and the buffer then holds no register: a write of that same
    // register is refused until it is read again or given a whole new value, so that bits that
    // were never read are never written back as zeros.
    bool ReadMsr();
    bool WriteMsr();
    bool WriteMsrFlushing();  // the write with cache write-back and invalidate

    // False after a failed read, until the next good read or setValue().
    bool holdsRead() const { return !m_unread; }

    // Told of every write the driver refuses (register, value), when set.
    std::function<void(uint32_t index, uint64_t value)> onWriteFailed;
    // Told of every write refused here because the register could not be read, when set.
    std::function<void(uint32_t index)> onUnreadWrite;
    // Told of every write just before it reaches the processor, when set (the journal of
    // original values).
    std::function<void(uint32_t index)> beforeWrite;
    // When set, takes every write in place of the processor and gives its result: checking a
    // file runs the very code that applies it, with nothing written.
    std::function<bool(uint32_t index, uint64_t value)> writeInstead;

    bool MsrBit(unsigned bit) const;
    uint64_t MsrBits(unsigned highest, unsigned lowest) const;

    uint64_t value() const { return (uint64_t(High) << 32) | Low; }
    // A whole value chosen by the caller, not built from a read.
    void setValue(uint64_t v) {
        Low = uint32_t(v);
        High = uint32_t(v >> 32);
        m_unread = false;
    }

    Platform& platform() const { return m_platform; }

    // The value the last good read of `index` gave, while the buffer's last read was of it: the
    // register's value before a read-modify-write changes it.
    std::optional<uint64_t> readValueOf(uint32_t index) const {
        if (!m_lastRead || m_lastReadIndex != index)
            return std::nullopt;
        return m_lastReadValue;
    }

private:
    friend class MsrBufferSave;
    bool refusedAsUnread() const;
    bool write(bool flushing);
    bool written(bool ok) const;

    Platform& m_platform;
    bool m_unread = false;         // the last read failed ...
    uint32_t m_unreadIndex = 0;    // ... and was of this register
    bool m_lastRead = false;       // the last read succeeded ...
    uint32_t m_lastReadIndex = 0;  // ... on this register ...
    uint64_t m_lastReadValue = 0;  // ... and gave this value
};

// Saves the whole buffer and puts it back on scope exit, for reads in the middle of a
// read-modify-write of another register.
class MsrBufferSave {
public:
    explicit MsrBufferSave(MsrBuffer& buffer)
        : m_buffer(buffer),
          m_index(buffer.Index),
          m_low(buffer.Low),
          m_high(buffer.High),
          m_unread(buffer.m_unread),
          m_unreadIndex(buffer.m_unreadIndex),
          m_lastRead(buffer.m_lastRead),
          m_lastReadIndex(buffer.m_lastReadIndex),
          m_lastReadValue(buffer.m_lastReadValue) {}
    ~MsrBufferSave() {
        m_buffer.Index = m_index;
        m_buffer.Low = m_low;
        m_buffer.High = m_high;
        m_buffer.m_unread = m_unread;
        m_buffer.m_unreadIndex = m_unreadIndex;
        m_buffer.m_lastRead = m_lastRead;
        m_buffer.m_lastReadIndex = m_lastReadIndex;
        m_buffer.m_lastReadValue = m_lastReadValue;
    }
    MsrBufferSave(const MsrBufferSave&) = delete;
    MsrBufferSave& operator=(const MsrBufferSave&) = delete;

private:
    MsrBuffer& m_buffer;
    uint32_t m_index, m_low, m_high;
    bool m_unread;
    uint32_t m_unreadIndex;
    bool m_lastRead;
    uint32_t m_lastReadIndex;
    uint64_t m_lastReadValue;
};

}  // namespace zandro
