#include <gtest/gtest.h>

#include "SimFixture.h"
#include "core/MsrBuffer.h"
#include "core/ProcessorSelection.h"

namespace zandro {
namespace {

class MsrBufferTest : public ::testing::Test {
protected:
    test::SimRig rig{"athlon64"};
};

TEST_F(MsrBufferTest, BitsAcrossBothHalves) {
    rig.msr.Low = 0x80000001;
    rig.msr.High = 0x0000AB01;
    EXPECT_EQ(rig.msr.MsrBits(63, 0), 0x0000AB0180000001ull);
    EXPECT_EQ(rig.msr.MsrBits(47, 40), 0xABu);
    EXPECT_TRUE(rig.msr.MsrBit(32));  // bit 0 of High
    EXPECT_TRUE(rig.msr.MsrBit(31));
    EXPECT_FALSE(rig.msr.MsrBit(33));
    // A field straddling the halves: bits 35..28 = High bits 3..0 : Low bits 31..28.
    EXPECT_EQ(rig.msr.MsrBits(35, 28), 0x18u);
    EXPECT_EQ(rig.msr.MsrBits(0, 0), 1u);
}

TEST_F(MsrBufferTest, ReadAndWriteGoToTheRegisterNamedByIndex) {
    rig.setReg(0xC0010015, 0x1234567800000010ull);
    rig.msr.Index = 0xC0010015;
    ASSERT_TRUE(rig.msr.ReadMsr());
    EXPECT_EQ(rig.msr.High, 0x12345678u);
    EXPECT_EQ(rig.msr.Low, 0x00000010u);
    rig.msr.Low |= 1u << 15;
    ASSERT_TRUE(rig.msr.WriteMsrFlushing());
    EXPECT_EQ(rig.reg(0xC0010015), 0x1234567800008010ull);
}

TEST_F(MsrBufferTest, FailedAccessesReportFalseAndLeaveNoStaleValue) {
    rig.msr.Low = 0xFFFFFFFF;
    rig.msr.High = 0xFFFFFFFF;
    rig.msr.Index = 0x12345;  // absent on every profile
    EXPECT_FALSE(rig.msr.ReadMsr());
    EXPECT_EQ(rig.msr.value(), 0u);
    EXPECT_FALSE(rig.msr.WriteMsr());
    rig.machine.cpu(0).failWrite.insert(0xC0010015);
    rig.msr.Index = 0xC0010015;
    EXPECT_TRUE(rig.msr.ReadMsr());
    EXPECT_FALSE(rig.msr.WriteMsr());
    EXPECT_FALSE(rig.msr.WriteMsrFlushing());
}

TEST_F(MsrBufferTest, SaverPutsTheWholeBufferBack) {
    rig.msr.Index = 0xC0010041;
    rig.msr.setValue(0x000003E800010A0Cull);
    {
        MsrBufferSave save(rig.msr);
        rig.msr.Index = 0xC0010042;
        rig.msr.ReadMsr();
    }
    EXPECT_EQ(rig.msr.Index, 0xC0010041u);
    EXPECT_EQ(rig.msr.value(), 0x000003E800010A0Cull);
}

TEST(ProcessorSelectionTest, MasksAndEntries) {
    EXPECT_EQ(processorMask(0), 1u);
    EXPECT_EQ(processorMask(2), 4u);
    EXPECT_EQ(processorMask(31), 0x80000000u);
    EXPECT_EQ(processorMask(32), 1u);  // anything else is processor 0
    EXPECT_EQ(processorMask(-1), 1u);
    EXPECT_EQ(processorFromEntry("2"), 2);
    EXPECT_EQ(processorFromEntry("31"), 31);
    EXPECT_EQ(processorFromEntry("32"), -1);
    EXPECT_EQ(processorFromEntry("x"), -1);
}

TEST(ProcessorSelectionTest, PresentProcessorsLeaveTheSystemMaskInLow) {
    test::SimRig rig("athlon64");
    rig.machine.affinity = 0x5;
    rig.machine.fillProcessors();
    const std::vector<unsigned> present = presentProcessors(rig.msr);
    EXPECT_EQ(present, (std::vector<unsigned>{0, 2}));
    EXPECT_EQ(rig.msr.Low, 0x5u);
    EXPECT_TRUE(bindProcessor(rig.platform, 2));
    EXPECT_EQ(rig.platform.boundCpu(), 2u);
    EXPECT_FALSE(bindProcessor(rig.platform, 1));  // not present
    EXPECT_EQ(rig.platform.boundCpu(), 2u);
}

}  // namespace
}  // namespace zandro
