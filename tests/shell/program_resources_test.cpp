// The program's own resources, read from the built executable: its manifest asks for common
// controls 6 (themed controls, the date picker's info message).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/fixture.h"

namespace {

// The program sits one folder above the test executables.
std::wstring ProgramPath() {
    std::wstring self = testfx::ThisExePath();
    for (int up = 0; up < 2; ++up) {
        const size_t slash = self.find_last_of(L"\\/");
        if (slash == std::wstring::npos) return {};
        self.resize(slash);
    }
    return self + L"\\Tarnwick.exe";
}

}  // namespace

TEST(ProgramResources, ManifestAsksForCommonControlsSix) {
    const std::wstring program = ProgramPath();
    if (program.empty() || GetFileAttributesW(program.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "no program beside the tests";
    HMODULE module = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(nullptr, module) << GetLastError();
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(nullptr, found) << "no application manifest";
    const DWORD size = SizeofResource(module, found);
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(module, found)));
    ASSERT_NE(nullptr, bytes);
    const std::string manifest(bytes, size);
    FreeLibrary(module);
    const size_t controls = manifest.find("name=\"Microsoft.Windows.Common-Controls\"");
    ASSERT_NE(std::string::npos, controls) << manifest;
    EXPECT_NE(std::string::npos, manifest.find("version=\"6.0.0.0\"", controls));
    EXPECT_NE(std::string::npos, manifest.find("publicKeyToken=\"6595b64144ccf1df\"", controls));
}
