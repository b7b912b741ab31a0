#include "support/fixture.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

namespace testfx {
namespace {

std::wstring TempRoot() {
    wchar_t buf[MAX_PATH + 1]{};
    DWORD n = GetTempPathW(MAX_PATH, buf);
    std::wstring t(buf, n);
    if (!t.empty() && t.back() == L'\\') t.pop_back();
    return t;
}

// Host path of a Windows path; only the Wine test host can answer this.
std::string HostPathOf(const std::wstring& winPath) {
    using Fn = char*(__cdecl*)(const wchar_t*);
    auto fn = reinterpret_cast<Fn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!fn) return {};
    char* p = fn(winPath.c_str());
    if (!p) return {};
    std::string s = p;
    HeapFree(GetProcessHeap(), 0, p);
    return s;
}

}  // namespace

void RemoveTree(const std::wstring& dir) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring n = fd.cFileName;
            if (n == L"." || n == L"..") continue;
            std::wstring p = dir + L"\\" + n;
            SetFileAttributesW(p.c_str(), FILE_ATTRIBUTE_NORMAL);
            if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                RemoveTree(p);
                RemoveDirectoryW(p.c_str());
            } else if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveDirectoryW(p.c_str());
            } else {
                DeleteFileW(p.c_str());
            }
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
}

std::string Utf16LeWithBom(const std::wstring& text) {
    std::string s = "\xFF\xFE";
    for (wchar_t c : text) {
        s += static_cast<char>(c & 0xFF);
        s += static_cast<char>((c >> 8) & 0xFF);
    }
    return s;
}

std::vector<std::wstring> FilesUnder(const std::wstring& dir, const std::wstring& except) {
    std::vector<std::wstring> out;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return out;
    do {
        const std::wstring n = fd.cFileName;
        if (n == L"." || n == L"..") continue;
        const std::wstring p = dir + L"\\" + n;
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            out.push_back(p);
        } else if (_wcsicmp(p.c_str(), except.c_str()) != 0 && !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            for (auto& f : FilesUnder(p, except)) out.push_back(std::move(f));
        }
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return out;
}

std::wstring MakeScratchDir(const std::wstring& name) {
    std::wstring dir = TempRoot() + L"\\tarnwick-test-" + name;
    RemoveTree(dir);
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

std::wstring FixtureDrive(wchar_t letter) {
    std::wstring root;
    root += letter;
    root += L":\\";
    DWORD attrs = GetFileAttributesW(root.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES || !(attrs & FILE_ATTRIBUTE_DIRECTORY)) return {};
    RemoveTree(root.substr(0, 2));
    // What Wine does not show (a link whose target is gone) is removed on the host side.
    const std::string host = FixtureDriveHostPath(letter);
    if (!host.empty()) RunHostCommand("find '" + host + "' -mindepth 1 -delete");
    return root;
}

std::wstring ThisExePath() {
    wchar_t buf[MAX_PATH * 4] = {};
    DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH * 4);
    std::wstring p(buf, n < MAX_PATH * 4 ? n : 0);
    if (p.size() > 2 && p[1] != L':' && p[0] != L'\\') p = L"\\\\?\\" + p;
    return p;
}

std::string FixtureDriveHostPath(wchar_t letter) {
    const char* base = std::getenv("TARNWICK_TEST_DRIVES");
    if (!base || !*base) return {};
    std::string p = base;
    p += '/';
    p += (char)towlower(letter);
    return p;
}

int RunHostCommand(const std::string& shellCommand) {
    std::wstring dir = TempRoot();
    wchar_t name[64];
    swprintf(name, 64, L"\\tarnwick-host-%lu-%lu.sh", GetCurrentProcessId(), GetTickCount());
    std::wstring script = dir + name;
    std::string hostScript = HostPathOf(script);
    if (hostScript.empty()) return -1;
    std::string rcFile = hostScript + ".rc";
    std::string body = "#!/bin/sh\n(" + shellCommand + ")\necho $? > '" + rcFile + "'\n";
    if (!WriteFileBytes(script, body)) return -1;
    std::wstring cmd = L"\\\\?\\unix\\bin\\sh \"";
    int n = MultiByteToWideChar(CP_UTF8, 0, hostScript.c_str(), -1, nullptr, 0);
    std::wstring wHost(n > 0 ? n - 1 : 0, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, hostScript.c_str(), -1, wHost.data(), n);
    cmd += wHost + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        DeleteFileW(script.c_str());
        return -1;
    }
    WaitForSingleObject(pi.hProcess, 60000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    // The host shell's exit code does not come back through the process handle, and the handle
    // may be signalled before the shell ends: wait for the file its last line writes (a loaded
    // machine can take seconds).
    std::wstring rcWin = script + L".rc";
    std::string rc;
    for (DWORD start = GetTickCount(); (rc = ReadFileBytes(rcWin)).empty() && GetTickCount() - start < 60000;)
        Sleep(10);
    DeleteFileW(script.c_str());
    DeleteFileW(rcWin.c_str());
    if (rc.empty()) return -1;
    return std::atoi(rc.c_str());
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(h, bytes.data(), (DWORD)bytes.size(), &written, nullptr);
    CloseHandle(h);
    return ok && written == bytes.size();
}

std::string ReadFileBytes(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    std::string out;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
    CloseHandle(h);
    return out;
}

std::string MakeBmp(int w, int h, unsigned char r, unsigned char g, unsigned char b) {
    const int stride = (w * 3 + 3) & ~3;
    const uint32_t pixelBytes = static_cast<uint32_t>(stride * h);
    std::string out(54 + pixelBytes, '\0');
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    out[0] = 'B';
    out[1] = 'M';
    put32(2, 54 + pixelBytes);
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(w));
    put32(22, static_cast<uint32_t>(h));
    out[26] = 1;
    out[28] = 24;
    put32(34, pixelBytes);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            size_t at = 54 + static_cast<size_t>(y) * stride + x * 3;
            out[at] = static_cast<char>(b);
            out[at + 1] = static_cast<char>(g);
            out[at + 2] = static_cast<char>(r);
        }
    return out;
}

}  // namespace testfx

namespace testfx {
namespace {

void WriteSlot(void** slot, void* value) {
    DWORD old = 0;
    if (!VirtualProtect(slot, sizeof(void*), PAGE_READWRITE, &old)) return;
    *slot = value;
    VirtualProtect(slot, sizeof(void*), old, &old);
}

}  // namespace

ImportPatch::ImportPatch(const char* dll, const char* function, void* replacement) {
    auto* base = reinterpret_cast<uint8_t*>(GetModuleHandleW(nullptr));
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!dir.VirtualAddress) return;
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name; ++d) {
        if (_stricmp(reinterpret_cast<const char*>(base + d->Name), dll) != 0) continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + (d->OriginalFirstThunk ? d->OriginalFirstThunk : d->FirstThunk));
        auto* slots = reinterpret_cast<void**>(base + d->FirstThunk);
        for (size_t i = 0; names[i].u1.AddressOfData; ++i) {
            if (IMAGE_SNAP_BY_ORDINAL(names[i].u1.Ordinal)) continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names[i].u1.AddressOfData);
            if (strcmp(reinterpret_cast<const char*>(byName->Name), function) != 0) continue;
            original_ = slots[i];
            WriteSlot(&slots[i], replacement);
            slot_ = &slots[i];
            return;
        }
    }
}

ImportPatch::~ImportPatch() {
    if (slot_) WriteSlot(slot_, original_);
}

}  // namespace testfx
