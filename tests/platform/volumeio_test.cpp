#include <gtest/gtest.h>

#include "platform/VolumeIo.h"
#include "support/fixture.h"

TEST(VolumeIo, PassesPlainFileCallsThrough) {
    std::wstring dir = testfx::MakeScratchDir(L"volumeio-plain");
    std::wstring path = dir + L"\\a.txt";
    ASSERT_TRUE(testfx::WriteFileBytes(path, "hello"));
    HANDLE h = VolumeIoCreateFile(path.c_str(), GENERIC_READ, 7, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    char buf[16]{};
    DWORD got = 0;
    EXPECT_TRUE(VolumeIoReadFile(h, buf, sizeof buf, &got, nullptr));
    EXPECT_EQ(got, 5u);
    EXPECT_TRUE(VolumeIoCloseHandle(h));
}
