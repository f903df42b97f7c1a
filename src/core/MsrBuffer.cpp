#include "MsrBuffer.h"

#include "platform/Platform.h"

namespace zandro {

bool MsrBuffer::ReadMsr() {
    uint32_t eax = 0, edx = 0;
    const bool ok = m_platform.readMsr(Index, eax, edx) == DriverStatus::Ok;
    // A failed read leaves zeros, never the previous register's value.
    Low = ok ? eax : 0;
    High = ok ? edx : 0;
    m_unread = !ok;
    m_unreadIndex = Index;
    m_lastRead = ok;
    m_lastReadIndex = Index;
    m_lastReadValue = value();
    return ok;
}

bool MsrBuffer::refusedAsUnread() const {
    if (!m_unread || Index != m_unreadIndex)
        return false;
    if (onUnreadWrite)
        onUnreadWrite(Index);
    return true;
}

bool MsrBuffer::WriteMsr() {
    return write(false);
}

bool MsrBuffer::WriteMsrFlushing() {
    return write(true);
}

bool MsrBuffer::write(bool flushing) {
    if (refusedAsUnread())
        return false;
    if (writeInstead)
        return writeInstead(Index, value());
    if (beforeWrite)
        beforeWrite(Index);
    const uint64_t v = value();
    return written((flushing ? m_platform.writeMsrWbinvd(Index, v)
                             : m_platform.writeMsr(Index, v)) == DriverStatus::Ok);
}

bool MsrBuffer::written(bool ok) const {
    if (!ok && onWriteFailed)
        onWriteFailed(Index, value());
    return ok;
}

bool MsrBuffer::MsrBit(unsigned bit) const {
    if (bit > 63)
        return false;
    return bit < 32 ? (Low >> bit) & 1u : (High >> (bit - 32)) & 1u;
}

uint64_t MsrBuffer::MsrBits(unsigned highest, unsigned lowest) const {
    if (highest > 63 || lowest > highest)
        return 0;
    const unsigned width = highest - lowest + 1;
    // A shift by 64 is undefined, so the full-width mask is spelled out.
    const uint64_t mask = width == 64 ? ~uint64_t(0) : (uint64_t(1) << width) - 1;
    return (value() >> lowest) & mask;
}

}  // namespace zandro
