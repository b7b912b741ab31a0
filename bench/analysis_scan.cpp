// The disk analysis of a drive: the first scan (the whole master file table read, the model
// built), a rescan with nothing changed (the journal shows the analysis is current and it is
// kept), and a rescan after three files changed (the size cache caught up from the change
// journal, the model built again). Run by bench/analysis_scan.sh with the fixture's drive:
//   bench_analysis_scan.exe Q: LABEL  ->  analysis_scan_s_LABEL, analysis_rescan_s_LABEL,
//                                         analysis_rescan_changed_s_LABEL,
//                                         analysis_files_asked_by_path_LABEL (files of the first
//                                         analysis asked by path: none without hard links),
//                                         analysis_bytes_LABEL, analysis_files_LABEL
// The drive's name index is built first and not timed (the analysis starts from it).
// Without arguments it prints nothing (scripts/bench runs every benchmark once on its own).
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "analysis/AnalysisScan.h"
#include "core/Core.h"
#include "index/Index.h"
#include "platform/VolumeIo.h"

namespace {

double Seconds(LARGE_INTEGER a, LARGE_INTEGER b) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return double(b.QuadPart - a.QuadPart) / double(f.QuadPart);
}

// One analysis of the volume; `previous` holds the last one's drives (kept when still current).
bool Analyze(VolumeIndex* volume, std::vector<std::unique_ptr<DriveAnalysis>>& previous, double* seconds,
             int64_t* bytes, uint64_t* files, uint64_t* asked = nullptr) {
    LARGE_INTEGER t0, t1;
    QueryPerformanceCounter(&t0);
    AnalysisScanOutcome out = AnalyzeVolumes({volume}, std::move(previous), {});
    QueryPerformanceCounter(&t1);
    *seconds = Seconds(t0, t1);
    if (out.drives.empty()) {
        fwprintf(stderr, L"analysis failed: %ls\n", out.error.c_str());
        return false;
    }
    *bytes = out.drives[0]->model.RootTotalSize();
    *files = out.drives[0]->model.fileCount;
    if (asked) *asked = out.drives[0]->model.filesAskedByPath;
    previous = std::move(out.drives);
    return true;
}

// The first three files of the drive's first folder that has files, found by a walk.
std::vector<std::wstring> SomeFiles(const std::wstring& folder, int depth = 0) {
    std::vector<std::wstring> files, folders;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return files;
    do {
        const std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) folders.push_back(folder + L"\\" + name);
        else if (files.size() < 3) files.push_back(folder + L"\\" + name);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    if (files.size() == 3 || depth > 8) return files;
    for (const std::wstring& f : folders) {
        std::vector<std::wstring> below = SomeFiles(f, depth + 1);
        if (below.size() == 3) return below;
    }
    return {};
}

// Sets a file's length; false when it cannot be opened or changed.
bool SetLength(const std::wstring& path, int64_t length) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER to;
    to.QuadPart = length;
    const bool ok = SetFilePointerEx(h, to, nullptr, FILE_BEGIN) && SetEndOfFile(h);
    CloseHandle(h);
    return ok;
}

int64_t LengthOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA a;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &a)) return -1;
    return (static_cast<int64_t>(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 3) return 0;
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring config = std::wstring(temp) + L"tarnwick_analysis_bench_cfg";
    CreateDirectoryW(config.c_str(), nullptr);
    SetConfigDirOverride(config);
    VolumeIoSetStateFolder(config);
    const std::wstring root = std::wstring(argv[1]).substr(0, 2);
    const std::string label(argv[2], argv[2] + wcslen(argv[2]));
    DeleteFileW(GetMftSizeCachePath(root[0]).c_str());

    auto owned = MakeVolumeIndex();
    VolumeIndex* volume = owned.get();
    if (!volume->BuildNtfs(root)) {
        fprintf(stderr, "index build of %ls failed\n", root.c_str());
        return 1;
    }
    {
        std::lock_guard<std::mutex> lock(g_searchEngine.mutex);
        g_searchEngine.volumes.push_back(std::move(owned));
    }
    std::vector<std::unique_ptr<DriveAnalysis>> previous;
    double first = 0, second = 0;
    int64_t bytes = 0, again = 0;
    uint64_t files = 0, againFiles = 0, asked = 0;
    if (!Analyze(volume, previous, &first, &bytes, &files, &asked) ||
        !Analyze(volume, previous, &second, &again, &againFiles))
        return 1;
    printf("analysis_scan_s_%s=%.3f\n", label.c_str(), first);
    printf("analysis_files_asked_by_path_%s=%llu\n", label.c_str(), static_cast<unsigned long long>(asked));
    printf("analysis_rescan_s_%s=%.3f\n", label.c_str(), second);
    printf("analysis_bytes_%s=%lld\n", label.c_str(), static_cast<long long>(bytes));
    printf("analysis_files_%s=%llu\n", label.c_str(), static_cast<unsigned long long>(files));
    fflush(stdout);
    bool same = again == bytes && againFiles == files;
    if (!same) printf("analysis_rescan_differs_%s=%lld\n", label.c_str(), static_cast<long long>(again));

    // Three files grow by 1000 bytes each: the rescan catches up from the journal (the change
    // may take a moment to reach it) and rebuilds the model. The files get their lengths back.
    const std::vector<std::wstring> changed = SomeFiles(root);
    std::vector<int64_t> lengths;
    bool grown = changed.size() == 3;
    for (const std::wstring& f : changed) {
        lengths.push_back(LengthOf(f));
        grown = grown && lengths.back() >= 0 && SetLength(f, lengths.back() + 1000);
    }
    double third = 0;
    int64_t after = 0;
    uint64_t afterFiles = 0;
    bool followed = false;
    for (int attempt = 0; grown && attempt < 50 && !followed; ++attempt) {
        if (!Analyze(volume, previous, &third, &after, &afterFiles)) break;
        followed = after == bytes + 3000;
        if (!followed) Sleep(100);
    }
    for (size_t i = 0; i < changed.size() && i < lengths.size(); ++i)
        if (lengths[i] >= 0 && !SetLength(changed[i], lengths[i])) fwprintf(stderr, L"cannot restore %ls\n", changed[i].c_str());
    if (followed) {
        printf("analysis_rescan_changed_s_%s=%.3f\n", label.c_str(), third);
    } else {
        printf("analysis_rescan_changed_differs_%s=%lld\n", label.c_str(), static_cast<long long>(after));
        same = false;
    }
    g_searchEngine.ReleaseAllVolumes();
    return same ? 0 : 1;
}
