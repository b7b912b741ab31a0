// The volume layer's own journal on a drive given on the command line (bench/standin_enum.sh
// maps a generated tree to it): enumeration time and the cost of change detection.
// Without an argument it prints nothing (scripts/bench runs every benchmark without one); with
// --enum-only after the drive it stops after the enumeration and its memory figure; with
// --change-seen (bench/enum.sh) it then builds the volume index on the drive as the program does
// and times how long files created in five random deep folders take to reach the index, then one
// whole change scan with the files' sweep.
#include <windows.h>
#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "index/Index.h"
#include "platform/VolumeIo.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

uint64_t PrivateBytes() {
    PROCESS_MEMORY_COUNTERS pmc{};
    return GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc) ? pmc.PagefileUsage : 0;
}

struct Folder {
    uint64_t parent;
    std::wstring name;
};

// Files created in five folders at least five levels deep, picked at random among the
// enumeration's folders; prints the median time until the volume index holds each (the
// program's index and journal monitor, polling as they do). False when a file was not seen in
// 60 s or could not be made.
bool ChangeSeen(wchar_t letter, const std::unordered_map<uint64_t, Folder>& folders) {
    auto pathOf = [&](uint64_t ref, int* depth) {
        std::wstring path;
        *depth = 0;
        for (auto it = folders.find(ref); it != folders.end() && *depth < 200; it = folders.find(it->second.parent)) {
            path = L"\\" + it->second.name + path;
            ++*depth;
        }
        return std::wstring(1, letter) + L":" + path;
    };
    std::vector<std::pair<uint64_t, int>> deep;
    for (const auto& [ref, f] : folders) {
        int depth = 0;
        pathOf(ref, &depth);
        if (depth >= 5) deep.push_back({ref, depth});
    }
    if (deep.size() < 5) {
        fprintf(stderr, "fewer than five deep folders\n");
        return false;
    }
    std::sort(deep.begin(), deep.end());
    const uint64_t seed = (uint64_t)std::chrono::system_clock::now().time_since_epoch().count();
    std::mt19937_64 random(seed);
    std::shuffle(deep.begin(), deep.end(), random);
    deep.resize(5);

    auto volume = MakeVolumeIndex();
    const std::wstring root = std::wstring(1, letter) + L":";
    auto t0 = std::chrono::steady_clock::now();
    if (!volume->BuildNtfs(root)) {
        fprintf(stderr, "index build failed\n");
        return false;
    }
    printf("standin_index_build_s=%.3f\n", Seconds(t0));
    const uint64_t before = volume->RecordCountLocked();

    struct Made {
        std::wstring name, path;
        int depth;
        double createdAt = 0, seenAt = -1;
    };
    std::vector<Made> made;
    const auto start = std::chrono::steady_clock::now();
    bool ok = true;
    for (size_t i = 0; i < deep.size(); ++i) {
        Made m;
        int depth = 0;
        m.name = L"tarnwick-change-" + std::to_wstring(seed % 1000000) + L"-" + std::to_wstring(i) + L".txt";
        m.path = pathOf(deep[i].first, &depth) + L"\\" + m.name;
        m.depth = depth;
        HANDLE f = CreateFileW(m.path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        if (f == INVALID_HANDLE_VALUE) {
            fprintf(stderr, "cannot create %ls (%lu)\n", m.path.c_str(), GetLastError());
            ok = false;
            continue;
        }
        CloseHandle(f);
        m.createdAt = Seconds(start);
        made.push_back(std::move(m));
    }
    size_t seen = 0;
    while (ok && seen < made.size() && Seconds(start) < 60) {
        Sleep(20);
        AcquireSRWLockShared(&volume->indexLock);
        for (size_t r = before; r < volume->records.size(); ++r) {
            const FileRecord& rec = volume->records[r];
            if (rec.deleted || !rec.name) continue;
            const std::wstring_view name(rec.name, rec.nameLength);
            for (Made& m : made)
                if (m.seenAt < 0 && name == m.name) {
                    m.seenAt = Seconds(start);
                    ++seen;
                }
        }
        ReleaseSRWLockShared(&volume->indexLock);
    }
    volume->CloseVolume();
    std::vector<double> ms;
    for (const Made& m : made) {
        DeleteFileW(m.path.c_str());
        printf("standin_change_seen_depth%d_ms=%.0f\n", m.depth, m.seenAt < 0 ? -1.0 : (m.seenAt - m.createdAt) * 1000);
        if (m.seenAt < 0) ok = false;
        ms.push_back(m.seenAt < 0 ? 60000.0 : (m.seenAt - m.createdAt) * 1000);
    }
    std::sort(ms.begin(), ms.end());
    printf("standin_change_seed=%llu\n", (unsigned long long)seed);
    if (ms.size() == 5) printf("standin_change_seen_ms=%.0f\n", ms[2]);
    return ok && ms.size() == 5;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 2 || wcslen(argv[1]) < 2) return 0;
    wchar_t letter = argv[1][0];
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring state = std::wstring(temp) + L"tarnwick-bench-standin";
    CreateDirectoryW(state.c_str(), nullptr);
    VolumeIoSetStateFolder(state);
    // --walk-watch-limit=N (last argument): folders the first walk lists under the change
    // notification, to measure what watching costs.
    if (argc > 2 && wcsncmp(argv[argc - 1], L"--walk-watch-limit=", 19) == 0) {
        VolumeIoDriveOptions options;
        options.walkWatchLimit = wcstoull(argv[argc - 1] + 19, nullptr, 10);
        VolumeIoSetDriveOptions(letter, options);
        --argc;
    }

    std::wstring volumePath = L"\\\\.\\";
    volumePath += letter;
    volumePath += L':';
    HANDLE v = VolumeIoCreateFile(volumePath.c_str(), GENERIC_READ, 7, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (v == INVALID_HANDLE_VALUE) {
        fprintf(stderr, "cannot open %ls (%lu)\n", volumePath.c_str(), GetLastError());
        return 1;
    }
    VolumeIoUsnJournalDataV0 j{};
    DWORD got = 0;
    if (!VolumeIoDeviceIoControl(v, FSCTL_QUERY_USN_JOURNAL, nullptr, 0, &j, sizeof j, &got, nullptr)) {
        VolumeIoCreateUsnJournalData c{0x10000000, 0x1000000};
        VolumeIoDeviceIoControl(v, FSCTL_CREATE_USN_JOURNAL, &c, sizeof c, nullptr, 0, &got, nullptr);
        if (!VolumeIoDeviceIoControl(v, FSCTL_QUERY_USN_JOURNAL, nullptr, 0, &j, sizeof j, &got, nullptr)) {
            fprintf(stderr, "no journal (%lu)\n", GetLastError());
            return 1;
        }
    }

    // Enumeration as the index does it: 64 KiB buffers until ERROR_HANDLE_EOF.
    std::vector<BYTE> buf(65536);
    VolumeIoMftEnumDataV0 in{0, 0, j.NextUsn};
    uint64_t records = 0;
    const bool changeSeen = argc > 2 && wcscmp(argv[2], L"--change-seen") == 0;
    const uint64_t privateBefore = PrivateBytes();
    auto t0 = std::chrono::steady_clock::now();
    while (VolumeIoDeviceIoControl(v, FSCTL_ENUM_USN_DATA, &in, sizeof in, buf.data(), (DWORD)buf.size(), &got, nullptr)) {
        memcpy(&in.StartFileReferenceNumber, buf.data(), 8);
        for (DWORD off = 8; off + 64 <= got;) {
            DWORD len;
            memcpy(&len, buf.data() + off, 4);
            if (len < 64) break;
            ++records;
            off += len;
        }
    }
    double enumS = Seconds(t0);
    const uint64_t privateAfter = PrivateBytes();
    printf("standin_enum_s=%.3f\n", enumS);
    printf("standin_enum_entries=%llu\n", (unsigned long long)records);
    // The layer's memory: the process's private bytes that the enumeration added, per entry.
    if (records && privateAfter > privateBefore)
        printf("standin_bytes_per_entry=%.1f\n", double(privateAfter - privateBefore) / double(records));
    if (argc > 2 && wcscmp(argv[2], L"--enum-only") == 0) {
        VolumeIoCloseHandle(v);
        return 0;
    }
    if (changeSeen) {
        // The folders, from a second enumeration (the layer answers it from its model).
        std::unordered_map<uint64_t, Folder> folders;
        in = VolumeIoMftEnumDataV0{0, 0, j.NextUsn};
        while (VolumeIoDeviceIoControl(v, FSCTL_ENUM_USN_DATA, &in, sizeof in, buf.data(), (DWORD)buf.size(), &got, nullptr)) {
            memcpy(&in.StartFileReferenceNumber, buf.data(), 8);
            for (DWORD off = 8; off + 64 <= got;) {
                VolumeIoUsnRecordV2 h;
                memcpy(&h, buf.data() + off, 60);
                if (h.RecordLength < 64 || off + h.RecordLength > got || h.FileNameOffset + h.FileNameLength > h.RecordLength)
                    break;
                if (h.FileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    folders[h.FileReferenceNumber] = {
                        h.ParentFileReferenceNumber,
                        std::wstring(reinterpret_cast<const wchar_t*>(buf.data() + off + h.FileNameOffset), h.FileNameLength / 2)};
                off += h.RecordLength;
            }
        }
        VolumeIoCloseHandle(v);
        if (!ChangeSeen(letter, folders)) return 1;
        // One whole round of the files' sweep (every file's size and time against the model), as
        // a drive whose folders the change notification does not all cover runs it in slices:
        // on the unchanged tree it must find no file changed.
        const VolumeIoStandInStats s0 = VolumeIoGetStandInStats(letter);
        t0 = std::chrono::steady_clock::now();
        if (!VolumeIoRunChangeScan(letter, true)) return 1;
        const double sweepS = Seconds(t0);
        const VolumeIoStandInStats s1 = VolumeIoGetStandInStats(letter);
        printf("standin_whole_sweep_s=%.3f\n", sweepS);
        printf("standin_whole_sweep_files=%llu\n", (unsigned long long)(s1.filesChecked - s0.filesChecked));
        printf("standin_whole_sweep_files_changed=%llu\n", (unsigned long long)(s1.filesChanged - s0.filesChanged));
        return s1.filesChanged == s0.filesChanged ? 0 : 1;
    }
    PROCESS_MEMORY_COUNTERS pmc{};
    if (GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc))
        printf("standin_private_mb_after_enum=%.1f\n", pmc.PagefileUsage / 1048576.0);

    // An idle poll of the journal, as the monitor makes one every 300 ms.
    VolumeIoReadUsnJournalDataV0 rd{j.NextUsn, 0xFFFFFFFF, 0, 0, 0, j.UsnJournalID};
    VolumeIoDeviceIoControl(v, FSCTL_READ_USN_JOURNAL, &rd, sizeof rd, buf.data(), (DWORD)buf.size(), &got, nullptr);
    memcpy(&rd.StartUsn, buf.data(), 8);
    const int polls = 50;
    t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < polls; ++i) {
        VolumeIoDeviceIoControl(v, FSCTL_READ_USN_JOURNAL, &rd, sizeof rd, buf.data(), (DWORD)buf.size(), &got, nullptr);
        memcpy(&rd.StartUsn, buf.data(), 8);
    }
    printf("standin_idle_poll_ms=%.2f\n", Seconds(t0) * 1000 / polls);
    VolumeIoStandInStats s0 = VolumeIoGetStandInStats(letter);
    // Sweep of every folder's time (what one round of the safety net costs).
    t0 = std::chrono::steady_clock::now();
    VolumeIoRunChangeScan(letter, true);
    VolumeIoStandInStats s1 = VolumeIoGetStandInStats(letter);
    printf("standin_full_sweep_ms=%.1f\n", Seconds(t0) * 1000);
    printf("standin_full_sweep_folders=%llu\n", (unsigned long long)(s1.foldersChecked - s0.foldersChecked));
    printf("standin_folders=%llu\n", (unsigned long long)s1.folders);
    // Sliced rounds: how long the idle polls take to cover every folder once.
    uint64_t perPoll = 0;
    {
        uint64_t before = s1.foldersChecked;
        // A slice takes a share of the time since the last one: pause as the monitor does.
        for (int i = 0; i < 10; ++i) {
            Sleep(300);
            VolumeIoRunChangeScan(letter, false);
        }
        perPoll = (VolumeIoGetStandInStats(letter).foldersChecked - before) / 10;
        printf("standin_sweep_folders_per_poll=%llu\n", (unsigned long long)perPoll);
        if (perPoll)
            printf("standin_sweep_round_s_at_300ms_polls=%.0f\n", (double)s1.folders / (double)perPoll * 0.3);
    }

    // Latency of a change inside a folder that existed before the journal read the drive.
    std::wstring top = std::wstring(1, letter) + L":\\top199\\sub050";
    if (GetFileAttributesW(top.c_str()) == INVALID_FILE_ATTRIBUTES) top = std::wstring(1, letter) + L":\\top000";
    std::wstring target = top + L"\\bench-change.txt";
    DeleteFileW(target.c_str());
    VolumeIoRunChangeScan(letter, false);
    VolumeIoDeviceIoControl(v, FSCTL_READ_USN_JOURNAL, &rd, sizeof rd, buf.data(), (DWORD)buf.size(), &got, nullptr);
    memcpy(&rd.StartUsn, buf.data(), 8);
    HANDLE f = CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
    t0 = std::chrono::steady_clock::now();
    bool seen = false;
    while (!seen && Seconds(t0) < 60) {
        if (!VolumeIoDeviceIoControl(v, FSCTL_READ_USN_JOURNAL, &rd, sizeof rd, buf.data(), (DWORD)buf.size(), &got, nullptr))
            break;
        memcpy(&rd.StartUsn, buf.data(), 8);
        seen = got > 8;
        if (!seen) Sleep(10);
    }
    if (seen) printf("standin_change_seen_ms=%.1f\n", Seconds(t0) * 1000);
    DeleteFileW(target.c_str());
    VolumeIoCloseHandle(v);
    return 0;
}
