#include <windows.h>

#include "duplicates/DupEngine.h"

bool DupCollectFilesByWalk(const std::wstring& root, int64_t minSize, std::vector<DupFileItem>& out,
                           const std::atomic<bool>* cancel, std::atomic<uint64_t>* counter) {
    out.clear();
    std::vector<std::wstring> stack{root};
    while (!stack.empty()) {
        if (cancel && cancel->load()) return false;
        std::wstring folder = std::move(stack.back());
        stack.pop_back();
        if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileExW((folder + L"*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                       nullptr, 0);
        if (find == INVALID_HANDLE_VALUE) continue;
        do {
            if (cancel && cancel->load()) {
                FindClose(find);
                return false;
            }
            const wchar_t* name = data.cFileName;
            if (name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0))) continue;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                stack.push_back(folder + name);
                continue;
            }
            const int64_t size = (int64_t)(((uint64_t)data.nFileSizeHigh << 32) | data.nFileSizeLow);
            if (size >= minSize) {
                const uint64_t mtime =
                    ((uint64_t)data.ftLastWriteTime.dwHighDateTime << 32) | data.ftLastWriteTime.dwLowDateTime;
                out.push_back({folder + name, size, mtime});
            }
            if (counter) counter->fetch_add(1);
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    return true;
}
