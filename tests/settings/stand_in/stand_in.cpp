// A recording stand-in for the programs the settings start (schtasks.exe, the editor): the tests
// put it in their place so that nothing of the real system is changed. It appends its whole
// command line as one UTF-8 line to <TARNWICK_RECORD_DIR>\<own name>.log and answers like
// schtasks.exe for the one task it keeps as a marker file (task.exists) in that folder:
//   /Query   exit 0 when the marker exists, else 1
//   /Create  exit TARNWICK_FAKE_CREATE_EXIT (default 0); the marker is made on 0
//   /Delete  removes the marker, exit 0
//   /Sleep N waits N milliseconds, exit 0
// Any other command line exits 0.
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

std::wstring Env(const wchar_t* name) {
    wchar_t buffer[4096] = {};
    DWORD n = GetEnvironmentVariableW(name, buffer, 4096);
    return n > 0 && n < 4096 ? std::wstring(buffer, n) : std::wstring();
}

void AppendLine(const std::wstring& path, const std::wstring& line) {
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    std::wstring text = line + L"\n";
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                    nullptr);
    std::string utf8(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(), bytes, nullptr,
                            nullptr);
    DWORD written = 0;
    WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    CloseHandle(file);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring dir = Env(L"TARNWICK_RECORD_DIR");
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring name = self;
    name = name.substr(name.find_last_of(L"\\/") + 1);
    if (name.size() > 4) name.resize(name.size() - 4);
    for (wchar_t& c : name) c = static_cast<wchar_t>(towlower(c));
    if (!dir.empty()) AppendLine(dir + L"\\" + name + L".log", GetCommandLineW());
    const std::wstring marker = dir + L"\\task.exists";
    const std::wstring verb = argc > 1 ? argv[1] : L"";
    if (_wcsicmp(verb.c_str(), L"/Query") == 0) {
        return GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES ? 0 : 1;
    }
    if (_wcsicmp(verb.c_str(), L"/Create") == 0) {
        const std::wstring wanted = Env(L"TARNWICK_FAKE_CREATE_EXIT");
        const int code = wanted.empty() ? 0 : _wtoi(wanted.c_str());
        if (code == 0) AppendLine(marker, L"task");
        return code;
    }
    if (_wcsicmp(verb.c_str(), L"/Delete") == 0) {
        DeleteFileW(marker.c_str());
        return 0;
    }
    if (_wcsicmp(verb.c_str(), L"/Sleep") == 0 && argc > 2) {
        Sleep(static_cast<DWORD>(_wtoi(argv[2])));
        return 0;
    }
    return 0;
}
