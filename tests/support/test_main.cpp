#include <windows.h>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // No error boxes from the system or the runtime: a test that fails must fail, not wait.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
