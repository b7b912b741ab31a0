// Name search over real names: the volume is built from a names list (one UTF-8 name per line)
// through the index's own build path (USN_RECORD_V2 buffers of 64 KiB, made before the clock
// starts, parsed by the build's parser thread), then every query is timed the way a user meets
// it: its first search, then the median of seven more. bench/search.sh makes the lists, runs the
// peers over the same names and checks the row counts printed here against its own counts.
//
//   bench_search_bench.exe --names LABEL FILE [--names LABEL FILE ...] --query KEY TEXT [--query ...]
//
// The first query is also the first search after the fresh build. Prints, per names list:
//   index_build_ms_LABEL              the build (parse, signatures, reference map), median of three
//   index_build_unsigned_ms_LABEL     the same build leaving the name blocks unsigned, median of three
//   search_first_ms_LABEL             the first search after the build: the first query's final set
//   search_KEY_first_ms_LABEL         each query's first search
//   search_KEY_ms_LABEL               median of the next seven
//   search_KEY_rows_LABEL             rows of the final set (the same in every run, or the run fails)
//   search_common_first_partial_ms_LABEL  median time to the first partial set of the query "common"
//   index_bytes_per_name_LABEL        bytes the index holds per name (records, names and their
//                                     lower-case copies, reference map, name signatures)
// Without arguments it prints nothing (scripts/bench runs every benchmark executable bare).
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../tests/index/UsnTestData.h"
#include "UsnBatches.h"
#include "core/Core.h"
#include "index/Index.h"
#include "search/Search.h"
#include "search/ScanThreads.h"
#include "shell/Shell.h"

namespace {

LARGE_INTEGER g_freq;
double NowMs() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(g_freq.QuadPart);
}

double g_firstPartialAt = -1;
double g_finalAt = -1;
size_t g_finalRows = 0;
void Observe(const std::shared_ptr<std::vector<MatchItem>>& set, uint64_t, LPARAM kind) {
    if (kind == kResultsPartial && g_firstPartialAt < 0) g_firstPartialAt = NowMs();
    if (kind == kResultsFinal) {
        g_finalRows = set ? set->size() : 0;
        g_finalAt = NowMs();
    }
}

// The whole file, or empty when it cannot be read.
std::string ReadFileBytes(const std::wstring& path) {
    std::string data;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return data;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(f, &size) && size.QuadPart > 0) {
        data.resize(static_cast<size_t>(size.QuadPart));
        size_t done = 0;
        DWORD got = 0;
        while (done < data.size() &&
               ReadFile(f, data.data() + done, static_cast<DWORD>(std::min<size_t>(data.size() - done, 1 << 30)), &got, nullptr) &&
               got > 0)
            done += got;
        data.resize(done);
    }
    CloseHandle(f);
    return data;
}

// The names of a list as the enumeration's output: one 64 KiB buffer per FSCTL_ENUM_USN_DATA
// call. Every name is a file in the root folder (the search looks at names only).
std::vector<UsnBatch*> MakeBatches(const std::string& text, size_t* count) {
    std::vector<UsnBatch*> out;
    std::vector<uint8_t> buf;
    buf.reserve(0x10000);
    buf.assign(8, 0);
    usntest::Entry e;
    wchar_t wide[1024];
    uint64_t number = 64;
    auto flush = [&] {
        out.push_back(MakeUsnBatch(buf));
        buf.assign(8, 0);
    };
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const int len = MultiByteToWideChar(CP_UTF8, 0, text.data() + at, static_cast<int>(end - at), wide, 1023);
        at = end + 1;
        if (len <= 0 || len > 255) continue;
        e.name.assign(wide, static_cast<size_t>(len));
        e.frn = number | (uint64_t(1) << 48);
        ++number;
        const size_t need = (60 + e.name.size() * 2 + 7) & ~size_t(7);
        if (buf.size() + need > 0x10000) flush();
        usntest::AppendRecord(buf, e);
    }
    if (buf.size() > 8) flush();
    *count = static_cast<size_t>(number - 64);
    return out;
}

struct Run {
    double ms;
    double partialMs;  // -1: no partial set
    size_t rows;
};

Run SearchOnce(const std::wstring& query) {
    g_firstPartialAt = -1;
    g_finalAt = -1;
    g_finalRows = 0;
    const uint64_t gen = ++g_searchGeneration;
    const double start = NowMs();
    RunNameSearchTask(query, gen, false);
    const double end = g_finalAt >= 0 ? g_finalAt : NowMs();
    Run run{end - start, g_firstPartialAt >= 0 ? g_firstPartialAt - start : -1, g_finalRows};
    std::lock_guard<std::mutex> lock(g_resultsMutex);
    g_results = std::make_shared<std::vector<MatchItem>>();
    return run;
}

double Median(std::vector<double> v) {
    if (v.empty()) return -1;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Query {
    std::string key;
    std::wstring text;
};

// Builds a volume from the names list and returns it with the build's time (the batches are made
// before the clock starts). Without `sign` the build leaves the name blocks unsigned, as it did
// before builds signed them: the two times show what signing costs the build.
std::unique_ptr<VolumeIndex> TimedBuild(const std::wstring& file, bool sign, size_t* count, double* ms) {
    std::vector<UsnBatch*> batches = MakeBatches(ReadFileBytes(file), count);
    const NameSignatures::NameBitsFn bits = NameSignatures::NameBits();
    if (!sign) NameSignatures::SetNameBits(nullptr);
    const double start = NowMs();
    std::unique_ptr<VolumeIndex> built = MakeVolumeIndex();
    built->root = L"C:";
    built->fileSystem = L"NTFS";
    built->rootFrn = 5;
    BuildFromBatches(*built, batches);
    *ms = NowMs() - start;
    NameSignatures::SetNameBits(bits);
    return built;
}

bool RunList(const std::string& label, const std::wstring& file, const std::vector<Query>& queries) {
    size_t count = 0;
    const char* l = label.c_str();
    // Builds with and without signing alternate (three each, the last signed one is kept), so
    // that neither is favoured by a warmer heap or a quieter moment; each figure is the median.
    std::vector<double> signedMs, unsignedMs;
    std::unique_ptr<VolumeIndex> built;
    for (int i = 0; i < 3; ++i) {
        double ms = 0;
        built.reset();
        TimedBuild(file, false, &count, &ms);
        if (count == 0) {
            fprintf(stderr, "search bench: no names in %ls\n", file.c_str());
            return false;
        }
        unsignedMs.push_back(ms);
        built = TimedBuild(file, true, &count, &ms);
        signedMs.push_back(ms);
    }
    printf("index_build_ms_%s=%.0f\n", l, Median(signedMs));
    printf("index_build_unsigned_ms_%s=%.0f\n", l, Median(unsignedMs));
    if (built->records.size() != count) {
        fprintf(stderr, "search bench: %zu records built from %zu names\n", built->records.size(), count);
        return false;
    }
    const double bytesPerName = double(built->RecordMemoryBytes() + built->names.MemoryBytes() +
                                       built->frnToRecord.MemoryBytes() + built->nameSignatures.MemoryBytes()) /
                                double(count);
    {
        std::vector<std::unique_ptr<VolumeIndex>> list;
        list.push_back(std::move(built));
        std::lock_guard<std::mutex> lock(g_searchEngine.mutex);
        g_searchEngine.volumes = std::move(list);
        g_searchEngine.indexReady.store(true);
    }
    bool ok = true;
    for (size_t q = 0; q < queries.size(); ++q) {
        const char* key = queries[q].key.c_str();
        const Run first = SearchOnce(queries[q].text);
        if (q == 0) printf("search_first_ms_%s=%.2f\n", l, first.ms);
        printf("search_%s_first_ms_%s=%.2f\n", key, l, first.ms);
        std::vector<double> times, partials;
        for (int i = 0; i < 7; ++i) {
            const Run run = SearchOnce(queries[q].text);
            times.push_back(run.ms);
            if (run.partialMs >= 0) partials.push_back(run.partialMs);
            if (run.rows != first.rows) {
                fprintf(stderr, "search bench: '%s' gave %zu rows, then %zu\n", key, first.rows, run.rows);
                ok = false;
            }
        }
        printf("search_%s_ms_%s=%.2f\n", key, l, Median(times));
        printf("search_%s_rows_%s=%zu\n", key, l, first.rows);
        if (queries[q].key == "common" && !partials.empty())
            printf("search_common_first_partial_ms_%s=%.3f\n", l, Median(partials));
        fflush(stdout);
    }
    printf("index_bytes_per_name_%s=%.1f\n", l, bytesPerName);
    fflush(stdout);
    std::lock_guard<std::mutex> lock(g_searchEngine.mutex);
    g_searchEngine.volumes.clear();
    return ok;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 2) return 0;
    std::vector<std::pair<std::string, std::wstring>> lists;
    std::vector<Query> queries;
    auto narrow = [](const wchar_t* s) {
        std::string out;
        for (; *s; ++s) out.push_back(static_cast<char>(*s));
        return out;
    };
    for (int i = 1; i < argc; ++i) {
        const std::wstring opt = argv[i];
        if ((opt == L"--names" || opt == L"--query") && i + 2 < argc) {
            if (opt == L"--names")
                lists.emplace_back(narrow(argv[i + 1]), argv[i + 2]);
            else
                queries.push_back(Query{narrow(argv[i + 1]), argv[i + 2]});
            i += 2;
        } else {
            fprintf(stderr, "search bench: bad argument %ls\n", opt.c_str());
            return 2;
        }
    }
    if (lists.empty() || queries.empty()) {
        fprintf(stderr, "search bench: usage: --names LABEL FILE ... --query KEY TEXT ...\n");
        return 2;
    }
    QueryPerformanceFrequency(&g_freq);
    g_hMainWnd = nullptr;
    g_initialSearchEnabled = true;
    SetResultsPublishedObserver(Observe);
    bool ok = true;
    // The program starts the scan threads while its drives are read (before any search).
    StartScanThreads();
    for (const auto& [label, file] : lists) ok = RunList(label, file, queries) && ok;
    return ok ? 0 : 1;
}
