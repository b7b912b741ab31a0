// Content search over fixture corpora: plain text files, compared with ripgrep over the same files
// (run natively on the host, same case rule, file names written to a file), and Office documents.
// Prints name=value lines.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "content/Content.h"
#include "core/Core.h"
#include "index/Index.h"
#include "search/Search.h"
#include "shell/Shell.h"
#include "support/synthetic_volume.h"
#include "support/zip_builder.h"

namespace {

constexpr const char* kTerm = "qzvkblorp";
constexpr int kHitEvery = 100;

const char* kWords[] = {"report",  "invoice", "budget",  "meeting", "project", "summary", "contract", "letter",
                        "quarter", "revenue", "harbour", "station", "weather", "garden",  "kitchen",  "travel",
                        "payment", "account", "balance", "schedule", "delivery", "customer", "product", "review"};

LARGE_INTEGER g_freq;
double NowMs() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(g_freq.QuadPart);
}

std::string Words(std::mt19937_64& rng, size_t bytes) {
    std::string s;
    s.reserve(bytes + 16);
    while (s.size() < bytes) {
        s += kWords[rng() % std::size(kWords)];
        s += (rng() % 12 == 0) ? "\r\n" : " ";
    }
    return s;
}

std::string HostPath(const std::wstring& winPath) {
    using Fn = char*(__cdecl*)(const wchar_t*);
    auto fn = reinterpret_cast<Fn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!fn) return {};
    const char* p = fn(winPath.c_str());
    return p ? std::string(p) : std::string();
}

// A synthetic volume of drive C: holding the folder chain of `dir` and the given files in it.
std::unique_ptr<VolumeIndex> CorpusVolume(const std::wstring& dir, const std::vector<std::wstring>& files) {
    auto v = testfx::MakeSyntheticVolume(L"C:");
    uint64_t parent = 5, frn = 100;
    size_t start = 3;  // after "C:\"
    while (start < dir.size()) {
        size_t slash = dir.find(L'\\', start);
        const std::wstring part = dir.substr(start, slash == std::wstring::npos ? std::wstring::npos : slash - start);
        testfx::AddSyntheticRecord(*v, frn, parent, part, true);
        parent = frn++;
        if (slash == std::wstring::npos) break;
        start = slash + 1;
    }
    for (const auto& f : files) testfx::AddSyntheticRecord(*v, frn++, parent, f);
    return v;
}

// Median of 5 warm runs of a content query over the volume, in ms, with the hit count.
double TimeContentSearch(std::unique_ptr<VolumeIndex> volume, const std::wstring& query, size_t* hits) {
    std::vector<std::unique_ptr<VolumeIndex>> list;
    list.push_back(std::move(volume));
    testfx::InstallVolumes(std::move(list));
    std::vector<double> runs;
    for (int i = 0; i < 6; ++i) {
        const uint64_t gen = ++g_searchGeneration;
        const double start = NowMs();
        RunNameSearchTask(query, gen, false);
        if (i > 0) runs.push_back(NowMs() - start);  // the first run warms the cache
    }
    *hits = GetResultsSnapshot()->size();
    testfx::InstallVolumes({});
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

// ripgrep over the folder on the host: case-sensitive fixed string, matching file names written
// to a file; median of 5 warm runs in ms (-1 when it cannot run).
double RipgrepMs(const std::wstring& dir, size_t* hits) {
    const std::wstring base = dir + L"_rg";
    const std::string hostDir = HostPath(dir), out = HostPath(base + L".ms"), list = HostPath(base + L".txt");
    const std::string script = HostPath(base + L".sh");
    if (hostDir.empty() || out.empty() || script.empty()) return -1;
    const std::string rg = "rg -s -F -l --no-messages '" + std::string(kTerm) + "' '" + hostDir + "' > '" + list + "'";
    const std::string body = "#!/bin/sh\ncommand -v rg >/dev/null || { echo -1 > '" + out + "'; exit 0; }\n" + rg +
                             "\nfor i in 1 2 3 4 5; do\n s=$(date +%s%N); " + rg +
                             "; e=$(date +%s%N)\n echo $(( (e - s) / 1000 ))\ndone | sort -n | sed -n 3p > '" +
                             out + ".part' && mv '" + out + ".part' '" + out + "'\n";
    DeleteFileW((base + L".ms").c_str());
    HANDLE f = CreateFileW((base + L".sh").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return -1;
    DWORD written = 0;
    WriteFile(f, body.data(), static_cast<DWORD>(body.size()), &written, nullptr);
    CloseHandle(f);
    std::wstring cmd = L"\\\\?\\unix\\bin\\sh \"" + std::wstring(script.begin(), script.end()) + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
    WaitForSingleObject(pi.hProcess, 300000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    // The host shell's end does not come back through the handle: wait for its result file.
    double us = -2;
    for (int i = 0; i < 3000 && us == -2; ++i) {
        if (FILE* r = _wfopen((base + L".ms").c_str(), L"rb")) {
            long v = -1;
            if (fscanf(r, "%ld", &v) == 1) us = static_cast<double>(v);
            fclose(r);
        }
        if (us == -2) Sleep(10);
    }
    size_t lines = 0;
    if (FILE* r = _wfopen((base + L".txt").c_str(), L"rb")) {
        for (int c; (c = fgetc(r)) != EOF;) lines += c == '\n';
        fclose(r);
    }
    *hits = lines;
    for (const wchar_t* ext : {L".ms", L".txt", L".sh"}) DeleteFileW((base + ext).c_str());
    return us < 0 ? -1 : us / 1000.0;
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    CloseHandle(f);
    return ok;
}

std::wstring MakeDir(const std::wstring& name) {
    wchar_t tmp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, tmp);
    std::wstring dir = std::wstring(tmp) + name;
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

void RunPlain(size_t count) {
    const std::wstring dir = MakeDir(L"tarnwick_content_plain_" + std::to_wstring(count));
    std::mt19937_64 rng(777);
    std::vector<std::wstring> names;
    for (size_t i = 0; i < count; ++i) {
        std::string text = Words(rng, 4096 + rng() % 28672);  // 4 to 32 KiB
        if (i % kHitEvery == 7) text.insert(text.size() / 2, std::string(" ") + kTerm + " ");
        names.push_back(L"note_" + std::to_wstring(i) + L".txt");
        if (!WriteBytes(dir + L"\\" + names.back(), text)) return;
    }
    size_t hits = 0, rgHits = 0;
    const std::wstring term(kTerm, kTerm + strlen(kTerm));
    const double ours = TimeContentSearch(CorpusVolume(dir, names), L"s:" + term + L"|.txt", &hits);
    printf("content_plain_ms_%zu=%.2f\n", count, ours);
    printf("content_plain_hits_%zu=%zu\n", count, hits);
    fflush(stdout);
    // The same on one scan thread: where the system serialises file opens, more threads only
    // wait for each other.
    const int threads = g_contentSearchThreads.exchange(1);
    printf("content_plain_1t_ms_%zu=%.2f\n", count,
           TimeContentSearch(CorpusVolume(dir, names), L"s:" + term + L"|.txt", &hits));
    g_contentSearchThreads.store(threads);
    fflush(stdout);
    const double rg = RipgrepMs(dir, &rgHits);
    printf("rg_plain_ms_%zu=%.2f\n", count, rg);
    printf("rg_plain_hits_%zu=%zu\n", count, rgHits);
    if (rg > 0) printf("content_plain_vs_rg_%zu=%.2f\n", count, ours / rg);
    fflush(stdout);
}

void RunDocx(size_t count) {
    const std::wstring dir = MakeDir(L"tarnwick_content_docx_" + std::to_wstring(count));
    std::mt19937_64 rng(991);
    std::vector<std::wstring> names;
    for (size_t i = 0; i < count; ++i) {
        std::vector<std::string> runs;
        for (int r = 0; r < 200; ++r) runs.push_back(Words(rng, 40 + rng() % 120));
        if (i % kHitEvery == 3) runs[100] += kTerm;
        names.push_back(L"doc_" + std::to_wstring(i) + L".docx");
        if (!WriteBytes(dir + L"\\" + names.back(), zipfx::Build(zipfx::Docx(runs)))) return;
    }
    size_t hits = 0;
    const std::wstring term(kTerm, kTerm + strlen(kTerm));
    printf("content_docx_ms_%zu=%.2f\n", count, TimeContentSearch(CorpusVolume(dir, names), L"s:" + term + L"|.docx", &hits));
    printf("content_docx_hits_%zu=%zu\n", count, hits);
    fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    QueryPerformanceFrequency(&g_freq);
    g_hMainWnd = nullptr;
    SetConfigDirOverride(MakeDir(L"tarnwick_content_bench_cfg"));
    const std::string only = argc > 1 ? argv[1] : "";  // "plain" or "docx" runs one corpus
    if (argc > 2) g_contentSearchThreads.store(atoi(argv[2]));
    if (only.empty() || only == "plain") RunPlain(5000);
    if (only.empty() || only == "docx") RunDocx(1000);
    return 0;
}
