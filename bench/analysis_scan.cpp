// The disk analysis of a drive: the first scan (the whole master file table read, the model
// built) and a rescan with the size cache warm (caught up from the change journal). Run by
// bench/analysis_scan.sh with the fixture's drive:
//   bench_analysis_scan.exe Q: LABEL  ->  analysis_scan_s_LABEL, analysis_rescan_s_LABEL,
//                                         analysis_bytes_LABEL, analysis_files_LABEL
// The drive's name index is built first and not timed (the analysis starts from it).
// Without arguments it prints nothing (scripts/bench runs every benchmark once on its own).
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

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

bool Analyze(VolumeIndex* volume, double* seconds, int64_t* bytes, uint64_t* files) {
    LARGE_INTEGER t0, t1;
    QueryPerformanceCounter(&t0);
    std::vector<AnalysisScanJob> jobs;
    jobs.push_back(MakeAnalysisScanJob(volume, false));
    AnalysisScanOutcome out = AnalyzeDrives(jobs, {});
    QueryPerformanceCounter(&t1);
    *seconds = Seconds(t0, t1);
    if (out.drives.empty()) {
        fwprintf(stderr, L"analysis failed: %ls\n", out.error.c_str());
        return false;
    }
    *bytes = out.drives[0]->model.RootTotalSize();
    *files = out.drives[0]->model.fileCount;
    return true;
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
    double first = 0, second = 0;
    int64_t bytes = 0, again = 0;
    uint64_t files = 0, againFiles = 0;
    if (!Analyze(volume, &first, &bytes, &files) || !Analyze(volume, &second, &again, &againFiles)) return 1;
    printf("analysis_scan_s_%s=%.3f\n", label.c_str(), first);
    printf("analysis_rescan_s_%s=%.3f\n", label.c_str(), second);
    printf("analysis_bytes_%s=%lld\n", label.c_str(), static_cast<long long>(bytes));
    printf("analysis_files_%s=%llu\n", label.c_str(), static_cast<unsigned long long>(files));
    fflush(stdout);
    const bool same = again == bytes && againFiles == files;
    if (!same) printf("analysis_rescan_differs_%s=%lld\n", label.c_str(), static_cast<long long>(again));
    g_searchEngine.ReleaseAllVolumes();
    return same ? 0 : 1;
}
