#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zandro {

class MsrBuffer;
class Platform;

// The affinity mask for processor n: bit n for 0..31, processor 0 for anything else.
uint32_t processorMask(int n);

// Binds the process to processor n; false when the system refuses.
bool bindProcessor(Platform& platform, int n);

// The processors present, lowest first. The system mask is left in buffer.Low, as the processor
// list has always been built in the register buffer.
std::vector<unsigned> presentProcessors(MsrBuffer& buffer);

// The processor number of a selector entry: its first three characters equal to "0".."31".
int processorFromEntry(const std::string& entry);

}  // namespace zandro
