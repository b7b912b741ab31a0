// The floor of a folder walk under this platform: a minimal lister of ours that only lists the
// folders of the drive given on the command line (bench/enum.sh maps the 1M tree to it) and
// counts their entries, with the listing's I/O and nothing else: no model, no names kept.
// Each variant named on the command line walks once: NtQueryDirectoryFile (ntN) or
// GetFileInformationByHandleEx (apiN) on N threads in one process (a shared stack of folders, newest first). Asks for
// FileIdBothDirectoryInformation, the information the volume layer's journal needs. Prints
// enum_floor_<variant>_s and _entries for each and enum_floor_s / enum_floor_variant for the
// fastest. Without an argument it prints nothing (scripts/bench runs every benchmark once so).
#include <windows.h>
#include <shellapi.h>
#include <winternl.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr ULONG kFileIdBothDirectoryInformation = 37;
using NtQueryDirectoryFileFn = NTSTATUS(NTAPI*)(HANDLE, HANDLE, PVOID, PVOID, PIO_STATUS_BLOCK, PVOID, ULONG, ULONG,
                                                BOOLEAN, PUNICODE_STRING, BOOLEAN);
NtQueryDirectoryFileFn g_ntQuery = nullptr;

struct Walk {
    std::mutex mutex;
    std::condition_variable cv;
    std::vector<std::wstring> folders;
    unsigned busy = 0;
    uint64_t entries = 0;
};

// Lists one folder; calls `child` for every subfolder. Returns the number of entries.
template <class Child>
uint64_t ListOne(const std::wstring& path, bool nt, std::vector<BYTE>& buf, Child child) {
    HANDLE h = CreateFileW(path.c_str(), FILE_LIST_DIRECTORY, 7, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return 0;
    uint64_t count = 0;
    bool first = true;
    for (;;) {
        if (nt) {
            IO_STATUS_BLOCK io{};
            NTSTATUS st = g_ntQuery(h, nullptr, nullptr, nullptr, &io, buf.data(), (ULONG)buf.size(),
                                    kFileIdBothDirectoryInformation, FALSE, nullptr, first);
            if (st < 0) break;
        } else if (!GetFileInformationByHandleEx(h, first ? FileIdBothDirectoryRestartInfo : FileIdBothDirectoryInfo,
                                                 buf.data(), (DWORD)buf.size())) {
            break;
        }
        first = false;
        for (size_t off = 0;;) {
            auto* e = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(buf.data() + off);
            const size_t n = e->FileNameLength / 2;
            const bool dot = (n == 1 && e->FileName[0] == L'.') || (n == 2 && e->FileName[0] == L'.' && e->FileName[1] == L'.');
            if (!dot) {
                ++count;
                if ((e->FileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(e->FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                    child(e->FileName, n);
            }
            if (!e->NextEntryOffset) break;
            off += e->NextEntryOffset;
        }
    }
    CloseHandle(h);
    return count;
}

void Lister(Walk* w, bool nt) {
    std::vector<BYTE> buf(65536);
    std::vector<std::wstring> found;
    std::unique_lock<std::mutex> lock(w->mutex);
    for (;;) {
        w->cv.wait(lock, [w] { return !w->folders.empty() || w->busy == 0; });
        if (w->folders.empty()) return;
        std::wstring path = std::move(w->folders.back());
        w->folders.pop_back();
        ++w->busy;
        lock.unlock();
        found.clear();
        const uint64_t n = ListOne(path, nt, buf, [&](const wchar_t* name, size_t len) {
            found.push_back(path + L'\\');
            found.back().append(name, len);
        });
        lock.lock();
        w->entries += n;
        for (auto& f : found) w->folders.push_back(std::move(f));
        --w->busy;
        w->cv.notify_all();
    }
}

double Run(const std::wstring& root, bool nt, unsigned threads, uint64_t* entries) {
    Walk w;
    w.folders.push_back(root);
    auto t0 = std::chrono::steady_clock::now();
    std::vector<std::thread> pool;
    for (unsigned i = 0; i < threads; ++i) pool.emplace_back(Lister, &w, nt);
    for (auto& t : pool) t.join();
    *entries = w.entries;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 2 || wcslen(argv[1]) < 2) return 0;
    // Variants to run ("nt2,api2" by default): interface and thread count.
    std::wstring variants = argc > 2 ? argv[2] : L"nt2,api2";
    g_ntQuery = reinterpret_cast<NtQueryDirectoryFileFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryDirectoryFile")));
    std::wstring root = std::wstring(1, argv[1][0]) + L":\\";
    double best = 0;
    std::string bestName;
    uint64_t bestEntries = 0;
    for (size_t at = 0; at < variants.size();) {
        size_t comma = variants.find(L',', at);
        if (comma == std::wstring::npos) comma = variants.size();
        const std::wstring v = variants.substr(at, comma - at);
        at = comma + 1;
        const bool nt = v.rfind(L"nt", 0) == 0;
        const unsigned threads = v.empty() ? 0 : (unsigned)_wtoi(v.c_str() + (nt ? 2 : 3));
        if ((!nt && v.rfind(L"api", 0) != 0) || threads < 1 || threads > 16 || (nt && !g_ntQuery)) {
            fprintf(stderr, "unknown variant %ls\n", v.c_str());
            return 1;
        }
        uint64_t entries = 0;
        const double s = Run(root, nt, threads, &entries);
        const std::string name(v.begin(), v.end());
        printf("enum_floor_%s_s=%.3f\n", name.c_str(), s);
        printf("enum_floor_%s_entries=%llu\n", name.c_str(), (unsigned long long)entries);
        fflush(stdout);
        if (bestName.empty() || s < best) {
            best = s;
            bestName = name;
            bestEntries = entries;
        }
    }
    printf("enum_floor_s=%.3f\n", best);
    printf("enum_floor_variant=%s\n", bestName.c_str());
    printf("enum_floor_entries=%llu\n", (unsigned long long)bestEntries);
    return 0;
}
