// Checks that the test harness itself works: a 32-bit Windows program runs under Wine and sees a
// Windows of its own.
#include <windows.h>

#include <gtest/gtest.h>

TEST(Harness, RunsAs32BitWindowsProgram)
{
    EXPECT_EQ(sizeof(void*), 4u);
    SYSTEM_INFO info{};
    GetSystemInfo(&info);
    EXPECT_EQ(info.wProcessorArchitecture, PROCESSOR_ARCHITECTURE_INTEL);
    EXPECT_NE(GetDesktopWindow(), nullptr);
}
