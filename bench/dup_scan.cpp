// The duplicate finder's first Exact scan of a folder (walk, hash, group, save both caches) and
// the same scan again with the caches warm. Run by bench/dup_scan.sh with the fixture's drive:
//   bench_dup_scan.exe Q: LABEL   ->  dup_scan_s_LABEL, dup_rescan_s_LABEL, dup_groups_LABEL,
//                                     dup_files_LABEL (files in the groups)
// Without arguments it prints nothing (scripts/bench runs every benchmark once on its own).
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "core/Core.h"
#include "duplicates/Duplicates.h"

namespace {

double Seconds(LARGE_INTEGER a, LARGE_INTEGER b) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return double(b.QuadPart - a.QuadPart) / double(f.QuadPart);
}

size_t Scan(const std::wstring& root, double* seconds, size_t* grouped) {
    LARGE_INTEGER t0, t1;
    QueryPerformanceCounter(&t0);
    std::vector<DupFileItem> files;
    DupCollectFilesByWalk(root, 1024, files, nullptr, nullptr);
    const std::wstring hashPath = GetDupCacheDir() + L"\\files.hash";
    DupFileHashStore store;
    store.Load(hashPath);
    auto groups = DupBuildGroups(std::move(files), nullptr, nullptr, nullptr, nullptr, &store, DupCompareMode::Exact);
    store.Save(hashPath);
    if (!SaveDupCache(GetDupCachePath(root[0]), root[0], 1024, 0, groups)) std::fprintf(stderr, "dup cache not saved\n");
    QueryPerformanceCounter(&t1);
    *seconds = Seconds(t0, t1);
    *grouped = 0;
    for (const DupGroup& g : groups) *grouped += g.files.size();
    return groups.size();
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 3) return 0;
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, temp);
    SetConfigDirOverride(std::wstring(temp) + L"tarnwick_dup_bench_cfg");
    const std::wstring dir = GetDupCacheDir();
    DeleteFileW((dir + L"\\files.hash").c_str());
    const std::wstring root = argv[1];
    DeleteFileW(GetDupCachePath(root[0]).c_str());
    const std::string label(argv[2], argv[2] + wcslen(argv[2]));
    double first = 0, second = 0;
    size_t files = 0, filesAgain = 0;
    const size_t groups = Scan(root, &first, &files);
    const size_t again = Scan(root, &second, &filesAgain);
    printf("dup_scan_s_%s=%.3f\n", label.c_str(), first);
    printf("dup_rescan_s_%s=%.3f\n", label.c_str(), second);
    printf("dup_groups_%s=%zu\n", label.c_str(), groups);
    printf("dup_files_%s=%zu\n", label.c_str(), files);
    if (again != groups) printf("dup_rescan_groups_differ_%s=%zu\n", label.c_str(), again);
    return 0;
}
