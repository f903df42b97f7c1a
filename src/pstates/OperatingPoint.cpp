#include "OperatingPoint.h"

#include "core/MsrBuffer.h"

namespace zandro {

namespace {

constexpr uint64_t kAmdFid = 0x3F;     // C0010042h bits 5..0
constexpr unsigned kAmdVidShift = 32;  // C0010042h bits 36..32
constexpr uint64_t kAmdVid = 0x1Full << kAmdVidShift;
constexpr uint64_t kAmdNewVid = 0x1F00;                   // C0010041h bits 12..8
constexpr uint64_t kA64Initiate = 1u << 16;               // C0010041h bit 16
constexpr uint64_t kK7Changes = (1u << 16) | (1u << 17);  // C0010041h FID and VID change bits
constexpr uint64_t kIntelPoint = 0xFFFF;                  // 198h/199h bits 15..0: ratio and VID

bool amdRequestIdle(uint64_t control, uint64_t status, uint64_t requestBits, uint64_t fidMask) {
    if ((control & requestBits) == 0)
        return true;
    const AmdFidVid now = amdOperatingPoint(status);
    return (control & fidMask) == (now.fid & fidMask) && ((control & kAmdNewVid) >> 8) == now.vid;
}

}  // namespace

AmdFidVid amdOperatingPoint(uint64_t status) {
    return {uint8_t(status & kAmdFid), uint8_t((status & kAmdVid) >> kAmdVidShift)};
}

uint64_t withAmdOperatingPoint(uint64_t status, AmdFidVid point) {
    return (status & ~(kAmdFid | kAmdVid)) | (point.fid & kAmdFid) |
           ((uint64_t(point.vid) << kAmdVidShift) & kAmdVid);
}

uint64_t withIntelOperatingPoint(uint64_t status, uint8_t ratio, uint8_t vid) {
    return (status & ~kIntelPoint) | (uint64_t(ratio) << 8) | vid;
}

bool a64ControlIdle(uint64_t control, uint64_t status) {
    return amdRequestIdle(control, status, kA64Initiate, 0x3F);
}

bool k7ControlIdle(uint64_t control, uint64_t status) {
    // The K7 takes its FID from bits 4..0.
    return amdRequestIdle(control, status, kK7Changes, 0x1F);
}

bool intelControlIdle(uint64_t control, uint64_t status) {
    return (control & kIntelPoint) == (status & kIntelPoint);
}

std::optional<uint64_t> readRegister(MsrBuffer& msr, uint32_t index) {
    const MsrBufferSave save(msr);
    msr.Index = index;
    if (!msr.ReadMsr())
        return std::nullopt;
    return msr.value();
}

bool putBackIdleControl(MsrBuffer& msr, PStateRegisters registers, uint64_t control,
                        IdleControl idle) {
    const std::optional<uint64_t> now = readRegister(msr, registers.control);
    if (now == control)
        return true;
    const std::optional<uint64_t> status = readRegister(msr, registers.status);
    // A value that would start a change stays unwritten: the routine has already moved the
    // processor where it was.
    if (!status || !idle(control, *status))
        return true;
    const MsrBufferSave save(msr);
    msr.Index = registers.control;
    msr.setValue(control);
    return msr.WriteMsr();
}

}  // namespace zandro
