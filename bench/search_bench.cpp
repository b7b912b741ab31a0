// Name-search latency over synthetic volumes of 1,000,000 and 10,000,000 realistic file names,
// compared with grep -F over the same names written one per line (run natively on the host).
// Prints name=value lines.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "core/Core.h"
#include "index/Index.h"
#include "search/Search.h"
#include "shell/Shell.h"

namespace {

const wchar_t* kWords[] = {
    L"report", L"invoice", L"budget", L"photo", L"img", L"scan", L"backup", L"draft", L"final", L"notes",
    L"meeting", L"project", L"summary", L"config", L"setup", L"readme", L"license", L"changelog", L"index",
    L"main", L"test", L"data", L"export", L"import", L"archive", L"music", L"video", L"holiday", L"family",
    L"contract", L"letter", L"resume", L"slides", L"plan", L"design", L"logo", L"icon", L"font", L"theme",
    L"settings", L"cache", L"temp", L"log", L"debug", L"release", L"build", L"source", L"module", L"service",
    L"client", L"server", L"database", L"schema", L"query", L"result", L"chart", L"table", L"figure", L"draft2",
    L"scan_copy", L"statement", L"receipt", L"travel", L"tickets", L"manual", L"guide", L"tutorial", L"lecture",
    L"homework", L"thesis", L"paper", L"review", L"proposal", L"quote", L"order", L"shipping", L"payroll",
};
const wchar_t* kExts[] = {L".txt", L".docx", L".pdf", L".jpg", L".png", L".xlsx", L".dll", L".exe", L".h",
                          L".cpp", L".json", L".xml", L".mp3", L".mp4", L".zip", L".log", L".ini", L".html"};
constexpr const wchar_t* kRareTerm = L"zqxvkw";
constexpr int kRareCount = 12;

// GB2312 first-level characters (by pinyin), for Chinese names.
std::wstring ChineseChars() {
    std::wstring out;
    for (int hi = 0xB0; hi <= 0xD7; ++hi)
        for (int lo = 0xA1; lo <= 0xFE; ++lo) {
            char b[2] = {static_cast<char>(hi), static_cast<char>(lo)};
            wchar_t w = 0;
            if (MultiByteToWideChar(936, 0, b, 2, &w, 1) == 1 && w >= 0x4E00 && w <= 0x9FFF) out.push_back(w);
        }
    return out;
}

// Deterministic realistic names, about 20 characters on average.
std::vector<std::wstring> MakeNames(size_t count) {
    std::mt19937_64 rng(12345);
    const std::wstring cjk = ChineseChars();
    const size_t words = std::size(kWords), exts = std::size(kExts);
    std::vector<std::wstring> names;
    names.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        std::wstring n;
        const unsigned kind = rng() % 100;
        if (kind < 6 && !cjk.empty()) {
            const int len = 2 + static_cast<int>(rng() % 4);
            for (int k = 0; k < len; ++k) n.push_back(cjk[rng() % cjk.size()]);
            if (rng() % 2) n += std::to_wstring(2000 + rng() % 30);
        } else {
            const int parts = 1 + static_cast<int>(rng() % 3);
            for (int k = 0; k < parts; ++k) {
                if (k) n.push_back(L"_- "[rng() % 3]);
                std::wstring w = kWords[rng() % words];
                if (rng() % 5 == 0) w[0] = static_cast<wchar_t>(towupper(w[0]));
                n += w;
            }
            if (rng() % 2) n += L"_" + std::to_wstring(rng() % 100000);
        }
        if (rng() % 10) n += kExts[rng() % exts];
        names.push_back(std::move(n));
    }
    for (int k = 0; k < kRareCount; ++k) names[(k * 7919 + 1) * (count / (kRareCount * 7919 + 7)) % count] += kRareTerm;
    return names;
}

std::unique_ptr<VolumeIndex> BuildVolume(const std::vector<std::wstring>& names) {
    auto v = MakeVolumeIndex();
    v->root = L"C:";
    v->fileSystem = L"NTFS";
    v->rootFrn = 5;
    for (size_t i = 0; i < names.size(); ++i) {
        FileRecord r{};
        r.frn = 100 + i;
        r.parentFrn = 5;
        r.name = v->names.Append(names[i].c_str(), names[i].size());
        r.nameLength = static_cast<uint16_t>(names[i].size());
        v->records.push_back(r);
    }
    return v;
}

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

// Median latency of a query in ms (and its first partial set).
double TimeQuery(const std::wstring& query, double* firstPartialMs = nullptr, size_t* rows = nullptr) {
    std::vector<double> runs, partials;
    for (int i = 0; i < 7; ++i) {
        g_firstPartialAt = -1;
        const uint64_t gen = ++g_searchGeneration;
        const double start = NowMs();
        RunNameSearchTask(query, gen, false);
        runs.push_back(NowMs() - start);
        if (g_firstPartialAt >= 0) partials.push_back(g_firstPartialAt - start);
        {
            std::lock_guard<std::mutex> lock(g_resultsMutex);
            g_results = std::make_shared<std::vector<MatchItem>>();
        }
    }
    std::sort(runs.begin(), runs.end());
    std::sort(partials.begin(), partials.end());
    if (firstPartialMs) *firstPartialMs = partials.empty() ? -1 : partials[partials.size() / 2];
    if (rows) *rows = g_finalRows;
    return runs[runs.size() / 2];
}

// Host path of a Windows path (the benchmark runs under the Wine test host).
std::string HostPath(const std::wstring& winPath) {
    using Fn = char*(__cdecl*)(const wchar_t*);
    auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!fn) return {};
    const char* p = fn(winPath.c_str());
    return p ? std::string(p) : std::string();
}

// grep -c -F of the rare term over the names, one per line, warm cache: median of 5 runs in ms.
double GrepRareMs(const std::vector<std::wstring>& names) {
    wchar_t tmp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, tmp);
    const std::wstring base = std::wstring(tmp) + L"tarnwick_bench_names";
    std::string text;
    text.reserve(names.size() * 24);
    for (const auto& n : names) {
        char buf[1024];
        int len = WideCharToMultiByte(CP_UTF8, 0, n.c_str(), static_cast<int>(n.size()), buf, sizeof buf, nullptr, nullptr);
        text.append(buf, static_cast<size_t>(std::max(len, 0)));
        text.push_back('\n');
    }
    HANDLE f = CreateFileW((base + L".txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return -1;
    DWORD written = 0;
    for (size_t off = 0; off < text.size(); off += written)
        if (!WriteFile(f, text.data() + off, static_cast<DWORD>(std::min<size_t>(text.size() - off, 1 << 30)), &written, nullptr)) break;
    CloseHandle(f);
    const std::string names8 = HostPath(base + L".txt"), out = HostPath(base + L".ms"), script = HostPath(base + L".sh");
    if (names8.empty() || out.empty() || script.empty()) return -1;
    char term[64];
    WideCharToMultiByte(CP_UTF8, 0, kRareTerm, -1, term, sizeof term, nullptr, nullptr);
    std::string body = "#!/bin/sh\nf='" + names8 + "'\ngrep -c -F '" + term + "' \"$f\" >/dev/null\nfor i in 1 2 3 4 5; do\n" +
                       " s=$(date +%s%N); grep -c -F '" + term + "' \"$f\" >/dev/null; e=$(date +%s%N)\n" +
                       " echo $(( (e - s) / 1000 ))\ndone | sort -n | sed -n 3p > '" + out + "'\n";
    f = CreateFileW((base + L".sh").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return -1;
    WriteFile(f, body.data(), static_cast<DWORD>(body.size()), &written, nullptr);
    CloseHandle(f);
    DeleteFileW((base + L".ms").c_str());
    std::wstring cmd = L"\\\\?\\unix\\bin\\sh \"" + std::wstring(script.begin(), script.end()) + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
    WaitForSingleObject(pi.hProcess, 120000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    double us = -1;
    for (int i = 0; i < 500 && us < 0; ++i) {
        FILE* r = _wfopen((base + L".ms").c_str(), L"rb");
        if (r) {
            long v = -1;
            if (fscanf(r, "%ld", &v) == 1) us = static_cast<double>(v);
            fclose(r);
        }
        if (us < 0) Sleep(10);
    }
    DeleteFileW((base + L".txt").c_str());
    DeleteFileW((base + L".sh").c_str());
    DeleteFileW((base + L".ms").c_str());
    return us < 0 ? -1 : us / 1000.0;
}

void RunSize(size_t count, const char* suffix, bool withGrep) {
    auto names = MakeNames(count);
    std::vector<std::unique_ptr<VolumeIndex>> list;
    list.push_back(BuildVolume(names));
    {
        std::lock_guard<std::mutex> lock(g_searchEngine.mutex);
        for (auto& v : g_searchEngine.volumes) v.reset();
        g_searchEngine.volumes = std::move(list);
        g_searchEngine.indexReady.store(true);
    }
    size_t rows = 0;
    double partial = -1;
    {
        // The first search after a build: its final set, then the name signatures it makes.
        const uint64_t gen = ++g_searchGeneration;
        const double start = NowMs();
        RunNameSearchTask(kRareTerm, gen, false);
        printf("search_first_ms_%s=%.2f\n", suffix, g_finalAt - start);
        printf("search_first_signed_ms_%s=%.2f\n", suffix, NowMs() - start);
    }
    printf("search_rare_ms_%s=%.2f\n", suffix, TimeQuery(kRareTerm, nullptr, &rows));
    printf("search_rare_rows_%s=%zu\n", suffix, rows);
    printf("search_common_ms_%s=%.2f\n", suffix, TimeQuery(L"report", &partial, &rows));
    printf("search_common_rows_%s=%zu\n", suffix, rows);
    printf("search_common_first_partial_ms_%s=%.3f\n", suffix, partial);
    printf("search_and_ms_%s=%.2f\n", suffix, TimeQuery(L"report and 2024", nullptr, &rows));
    printf("search_or_ms_%s=%.2f\n", suffix, TimeQuery(L"invoice or budget", nullptr, &rows));
    printf("search_pinyin_ms_%s=%.2f\n", suffix, TimeQuery(L"bj", nullptr, &rows));
    printf("search_pinyin_rows_%s=%zu\n", suffix, rows);
    fflush(stdout);
    if (withGrep) {
        printf("grep_rare_ms_%s=%.2f\n", suffix, GrepRareMs(names));
        fflush(stdout);
    }
    std::lock_guard<std::mutex> lock(g_searchEngine.mutex);
    g_searchEngine.volumes.clear();
}

}  // namespace

int main() {
    QueryPerformanceFrequency(&g_freq);
    g_hMainWnd = nullptr;
    g_initialSearchEnabled = true;
    SetResultsPublishedObserver(Observe);
    RunSize(1000000, "1m", true);
    RunSize(10000000, "10m", true);
    return 0;
}
