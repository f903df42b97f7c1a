#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>

#include "ConfigurationRun.h"
#include "core/MsrBuffer.h"

namespace zandro {

// Tells the run of refused writes, and of writes refused for a failed read, for as long as it
// lasts; the window's own message for the latter still shows.
class WriteFailureWatch {
public:
    WriteFailureWatch(MsrBuffer& msr, const int& processor, int& count, bool& unread)
        : m_msr(msr), m_previousUnread(msr.onUnreadWrite) {
        m_msr.onWriteFailed = [&processor, &count](uint32_t index, uint64_t value) {
            ++count;
            if (ConfigurationRun::reportsWriteFailures())
                std::fprintf(stderr, "ZANDRO write-failed: cpu %d msr %X value %016llX\n",
                             processor, index, static_cast<unsigned long long>(value));
        };
        m_msr.onUnreadWrite = [this, &unread](uint32_t index) {
            unread = true;
            if (m_previousUnread)
                m_previousUnread(index);
        };
    }
    ~WriteFailureWatch() {
        m_msr.onWriteFailed = nullptr;
        m_msr.onUnreadWrite = m_previousUnread;
    }
    WriteFailureWatch(const WriteFailureWatch&) = delete;
    WriteFailureWatch& operator=(const WriteFailureWatch&) = delete;

private:
    MsrBuffer& m_msr;
    std::function<void(uint32_t)> m_previousUnread;
};

}  // namespace zandro
