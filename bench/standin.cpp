// The volume layer's own journal on a drive given on the command line (bench/standin_enum.sh
// maps a generated tree to it): enumeration time and the cost of change detection.
// Without an argument it prints nothing (scripts/bench runs every benchmark without one); with
// --enum-only after the drive it stops after the enumeration (bench/enum.sh).
#include <windows.h>
#include <psapi.h>
#include <shellapi.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/VolumeIo.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
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
    printf("standin_enum_s=%.3f\n", enumS);
    printf("standin_enum_entries=%llu\n", (unsigned long long)records);
    if (argc > 2 && wcscmp(argv[2], L"--enum-only") == 0) {
        VolumeIoCloseHandle(v);
        return 0;
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
        for (int i = 0; i < 10; ++i) VolumeIoRunChangeScan(letter, false);
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
