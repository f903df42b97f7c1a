#pragma once

#include <cstdint>
#include <optional>

#include "TransitionSupport.h"

namespace zandro {

class MsrBuffer;

// The registers of a family's multiplier and voltage change: the control register its routine
// writes and the status register that shows where the processor is.
struct PStateRegisters {
    uint32_t control;
    uint32_t status;
};
inline constexpr PStateRegisters kAmdPStateRegisters{0xC0010041, 0xC0010042};
inline constexpr PStateRegisters kIntelPStateRegisters{0x199, 0x198};

// C0010042h, both AMD families: FID bits 5..0, VID bits 36..32.
AmdFidVid amdOperatingPoint(uint64_t status);
uint64_t withAmdOperatingPoint(uint64_t status, AmdFidVid point);
// 198h: VID bits 7..0, ratio bits 15..8.
uint64_t withIntelOperatingPoint(uint64_t status, uint8_t ratio, uint8_t vid);

// Whether writing a control value moves nothing while the status register shows `status`: it
// asks for no change, or for the operating point the processor is at.
using IdleControl = bool (*)(uint64_t control, uint64_t status);
bool a64ControlIdle(uint64_t control, uint64_t status);
bool k7ControlIdle(uint64_t control, uint64_t status);
bool intelControlIdle(uint64_t control, uint64_t status);

// Writes a recorded control value back once the processor is at the point it was recorded at,
// when that write moves nothing; false only when that write fails.
bool putBackIdleControl(MsrBuffer& msr, PStateRegisters registers, uint64_t control,
                        IdleControl idle);

// One register's value, the buffer put back; nothing when it cannot be read.
std::optional<uint64_t> readRegister(MsrBuffer& msr, uint32_t index);

}  // namespace zandro
