// The program's own resources, read from the built executable: its manifest asks for common
// controls 6 (themed controls, the date picker's info message), and its icon 104 is the one the
// build took (a copy of src/shell/Tarnwick.ico in build/generated) in every size.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

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

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L"\\/")); }

// The program loaded for reading its resources; null when there is no program beside the tests.
struct ProgramModule {
    HMODULE module = nullptr;
    ProgramModule() {
        const std::wstring program = ProgramPath();
        if (!program.empty() && GetFileAttributesW(program.c_str()) != INVALID_FILE_ATTRIBUTES)
            module = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    }
    ~ProgramModule() {
        if (module) FreeLibrary(module);
    }
    std::string Resource(LPCWSTR name, LPCWSTR type) const {
        HRSRC found = FindResourceW(module, name, type);
        if (!found) return {};
        const char* bytes = static_cast<const char*>(LockResource(LoadResource(module, found)));
        return bytes ? std::string(bytes, SizeofResource(module, found)) : std::string();
    }
};

template <typename T>
T Read(const std::string& bytes, size_t at) {
    T value{};
    if (at + sizeof(T) <= bytes.size()) std::memcpy(&value, bytes.data() + at, sizeof(T));
    return value;
}

}  // namespace

TEST(ProgramResources, ManifestAsksForCommonControlsSix) {
    ProgramModule program;
    if (!program.module) GTEST_SKIP() << "no program beside the tests";
    const std::string manifest = program.Resource(MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_FALSE(manifest.empty()) << "no application manifest";
    const size_t controls = manifest.find("name=\"Microsoft.Windows.Common-Controls\"");
    ASSERT_NE(std::string::npos, controls) << manifest;
    EXPECT_NE(std::string::npos, manifest.find("version=\"6.0.0.0\"", controls));
    EXPECT_NE(std::string::npos, manifest.find("publicKeyToken=\"6595b64144ccf1df\"", controls));
}

TEST(ProgramResources, IconIsTheDrawnIconInEverySize) {
    ProgramModule program;
    if (!program.module) GTEST_SKIP() << "no program beside the tests";
    std::ifstream file(std::filesystem::path(FolderOf(ProgramPath()) + L"\\generated\\Tarnwick.ico"), std::ios::binary);
    ASSERT_TRUE(file) << "no drawn icon in the build";
    const std::string ico((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());

    // The .ico file: 6-byte header, 16-byte entries (width, height, ..., size at 8, offset at 12).
    std::map<int, std::string> drawn;
    for (int i = 0; i < Read<uint16_t>(ico, 4); ++i) {
        const size_t entry = 6 + 16 * static_cast<size_t>(i);
        const int side = static_cast<uint8_t>(ico[entry]) ? static_cast<uint8_t>(ico[entry]) : 256;
        drawn[side] = ico.substr(Read<uint32_t>(ico, entry + 12), Read<uint32_t>(ico, entry + 8));
    }
    // The resource group: the same header, 14-byte entries whose last field is the image's id.
    const std::string group = program.Resource(MAKEINTRESOURCEW(104), MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
    ASSERT_FALSE(group.empty()) << "no icon 104";
    std::map<int, std::string> embedded;
    for (int i = 0; i < Read<uint16_t>(group, 4); ++i) {
        const size_t entry = 6 + 14 * static_cast<size_t>(i);
        const int side = static_cast<uint8_t>(group[entry]) ? static_cast<uint8_t>(group[entry]) : 256;
        EXPECT_EQ(32, Read<uint16_t>(group, entry + 6)) << side << " px";
        embedded[side] = program.Resource(MAKEINTRESOURCEW(Read<uint16_t>(group, entry + 12)), MAKEINTRESOURCEW(3));
    }
    const std::vector<int> sizes{16, 20, 24, 32, 48, 256};
    for (int side : sizes) {
        ASSERT_TRUE(embedded.count(side)) << "icon 104 has no " << side << " px image";
        EXPECT_FALSE(embedded[side].empty());
        EXPECT_TRUE(embedded[side] == drawn[side]) << side << " px image differs from the drawn one";
    }
    EXPECT_EQ(sizes.size(), embedded.size());
}
