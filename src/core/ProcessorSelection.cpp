#include "ProcessorSelection.h"

#include "MsrBuffer.h"
#include "platform/Platform.h"

namespace zandro {

uint32_t processorMask(int n) {
    return n >= 0 && n <= 31 ? uint32_t(1) << n : 1u;
}

bool bindProcessor(Platform& platform, int n) {
    return platform.setAffinityMask(processorMask(n));
}

std::vector<unsigned> presentProcessors(MsrBuffer& buffer) {
    uint32_t processMask = 0, systemMask = 0;
    buffer.platform().affinityMasks(processMask, systemMask);
    buffer.Low = systemMask;
    std::vector<unsigned> present;
    for (unsigned n = 0; n < 32; ++n) {
        if (buffer.MsrBit(n))
            present.push_back(n);
    }
    return present;
}

int processorFromEntry(const std::string& entry) {
    const std::string head = entry.substr(0, 3);
    for (int n = 0; n <= 31; ++n) {
        if (head == std::to_string(n))
            return n;
    }
    return -1;
}

}  // namespace zandro
