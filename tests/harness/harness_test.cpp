// The test harness itself: fixture drives are mapped and host commands reach the same folders.
#include <gtest/gtest.h>
#include <windows.h>

#include "support/fixture.h"

TEST(Harness, FixtureDriveIsMappedAndSharedWithTheHost) {
    std::wstring root = testfx::FixtureDrive(L'T');
    ASSERT_FALSE(root.empty()) << "drive T: is not mapped; run the tests through scripts/test";
    std::string host = testfx::FixtureDriveHostPath(L'T');
    ASSERT_FALSE(host.empty());
    ASSERT_EQ(0, testfx::RunHostCommand("printf abc > '" + host + "/from-host.txt'"));
    EXPECT_EQ("abc", testfx::ReadFileBytes(root + L"from-host.txt"));
    EXPECT_EQ(3, testfx::RunHostCommand("exit 3"));
}

TEST(Harness, NoDriveMapsTheHostRoot) {
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(L"Z:\\"));
}
