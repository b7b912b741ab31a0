// The USN journal monitor: one thread per NTFS volume keeps its index current.
#include <windows.h>
#include <winioctl.h>

#include <chrono>
#include <cstring>
#include <vector>

#include "core/Core.h"
#include "index/UsnRecords.h"
#include "index/VolumeIndex.h"
#include "platform/VolumeIo.h"
#include "core/Window.h"

namespace {

// Creations, deletions and renames change names; data and basic-information changes make the
// cached size and times of a file stale.
constexpr DWORD kMonitorReasonMask = USN_REASON_FILE_CREATE | USN_REASON_FILE_DELETE | USN_REASON_RENAME_OLD_NAME |
                                     USN_REASON_RENAME_NEW_NAME | USN_REASON_DATA_OVERWRITE |
                                     USN_REASON_DATA_EXTEND | USN_REASON_DATA_TRUNCATION |
                                     USN_REASON_BASIC_INFO_CHANGE;
constexpr DWORD kContentReasons =
    USN_REASON_DATA_OVERWRITE | USN_REASON_DATA_EXTEND | USN_REASON_DATA_TRUNCATION | USN_REASON_BASIC_INFO_CHANGE;
constexpr DWORD kReadBufferBytes = 0x10000;
// A read that leaves less room than the longest entry (a 255-character name) may have stopped
// for lack of room: more entries are waiting, and the next read follows at once.
constexpr DWORD kLongestEntryBytes = 1024;
constexpr auto kPollInterval = std::chrono::milliseconds(300);
constexpr auto kErrorPause = std::chrono::milliseconds(1000);

// Pauses until `until`, returning early when the monitor is asked to stop or, with a wake
// event, when the event is signalled.
void PauseMonitor(const std::atomic<bool>& running, std::chrono::steady_clock::time_point until,
                  HANDLE wake = nullptr) {
    while (running && !g_shuttingDown) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= until) return;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - now).count();
        const DWORD slice = static_cast<DWORD>(left < 50 ? left : 50);
        if (wake) {
            if (WaitForSingleObject(wake, slice) == WAIT_OBJECT_0) return;
        } else {
            Sleep(slice);
        }
    }
}

enum class MonitorEnd { Stopped, JournalLost, VolumeLost };

}  // namespace

int64_t VolumeIndex::ApplyUsnJournalBuffer(const uint8_t* data, uint32_t bytes) {
    if (!data || bytes < 8) return nextUsn;
    int64_t next;
    std::memcpy(&next, data, 8);
    ForEachUsnEntry(
        data, bytes,
        [&](const UsnEntry& e) {
            if (e.reason & USN_REASON_FILE_DELETE) {
                auto it = frnToRecord.find(e.frn);
                if (it != frnToRecord.end() && it->second < records.size()) {
                    FileRecord& r = records[it->second];
                    if (!r.deleted) {
                        r.deleted = 1;
                        ++deletedCount;
                    }
                }
                DropCachedFileInfo(e.frn);
                return;
            }
            const bool newName = (e.reason & (USN_REASON_FILE_CREATE | USN_REASON_RENAME_NEW_NAME)) != 0;
            const bool content = (e.reason & kContentReasons) != 0;
            if (!newName && !content) return;  // the old-name half of a rename
            auto it = frnToRecord.find(e.frn);
            const bool known = it != frnToRecord.end() && it->second < records.size();
            if (known && newName) {
                FileRecord& r = records[it->second];
                r.nameLength = e.nameLength;
                r.name = names.Append(e.name, e.nameLength);
                nameSignatures.Invalidate(it->second);
                r.parentFrn = e.parentFrn;
                if (r.deleted) {
                    r.deleted = 0;
                    if (deletedCount) --deletedCount;
                }
            } else if (!known && (newName || !(e.reason & USN_REASON_RENAME_OLD_NAME))) {
                // A new file, or a changed file that the index does not know yet (written while
                // the volume was being enumerated): its entry carries its current name.
                FileRecord r;
                r.frn = e.frn;
                r.parentFrn = e.parentFrn;
                r.name = names.Append(e.name, e.nameLength);
                r.nameLength = e.nameLength;
                r.isDirectory = (e.attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
                r.deleted = 0;
                records.push_back(r);
                frnToRecord.Insert(e.frn, records.size() - 1);
            }
            DropCachedFileInfo(e.frn);
        },
        [] { return !g_shuttingDown.load(); });
    return next;
}

void VolumeIndex::WakeUsnMonitor() {
    if (monitorWake) SetEvent(monitorWake.get());
}

void VolumeIndex::RunUsnMonitor() {
    MonitorEnd end = MonitorEnd::Stopped;
    bool lockHeld = false;
    try {
        std::vector<uint8_t> buffer(kReadBufferBytes, 0);
        while (monitorRunning && !g_shuttingDown) {
            VolumeIoReadUsnJournalDataV0 input{};
            input.StartUsn = nextUsn;
            input.ReasonMask = kMonitorReasonMask;
            input.ReturnOnlyOnClose = 0;
            input.Timeout = 0;
            input.BytesToWaitFor = 0;
            input.UsnJournalID = usnJournalId;
            DWORD bytes = 0;
            if (VolumeIoDeviceIoControl(volumeHandle, FSCTL_READ_USN_JOURNAL, &input, sizeof input, buffer.data(),
                                        kReadBufferBytes, &bytes, nullptr)) {
                if (bytes > kReadBufferBytes) bytes = kReadBufferBytes;
                const int64_t before = nextUsn;
                if (bytes > 8) {
                    AcquireSRWLockExclusive(&indexLock);
                    lockHeld = true;
                    nextUsn = ApplyUsnJournalBuffer(buffer.data(), bytes);
                    lockHeld = false;
                    ReleaseSRWLockExclusive(&indexLock);
                } else if (bytes == 8) {
                    // Nothing of interest, but the journal moved on past entries we filtered out.
                    std::memcpy(&nextUsn, buffer.data(), 8);
                }
                // A burst is drained read after read: pausing after each full buffer would let
                // the journal wrap past our position.
                const bool full = bytes + kLongestEntryBytes > kReadBufferBytes;
                if (full && nextUsn > before) continue;
                PauseMonitor(monitorRunning, std::chrono::steady_clock::now() + kPollInterval, monitorWake.get());
                continue;
            }
            const DWORD err = GetLastError();
            if (err == ERROR_OPERATION_ABORTED) break;
            if (err == ERROR_JOURNAL_ENTRY_DELETED || err == ERROR_JOURNAL_NOT_ACTIVE) {
                // The journal wrapped past our position, was deleted or replaced: changes were
                // missed and only a new enumeration can tell them.
                end = MonitorEnd::JournalLost;
                break;
            }
            if (err == ERROR_DEVICE_NOT_CONNECTED || err == ERROR_ACCESS_DENIED || err == ERROR_INVALID_HANDLE) {
                end = MonitorEnd::VolumeLost;
                break;
            }
            PauseMonitor(monitorRunning, std::chrono::steady_clock::now() + kErrorPause);
        }
    } catch (...) {
        if (lockHeld) ReleaseSRWLockExclusive(&indexLock);
        LogBackgroundException(L"usn_monitor");
        end = MonitorEnd::VolumeLost;
    }
    monitorRunning = false;
    if (end == MonitorEnd::Stopped) return;
    if (end == MonitorEnd::JournalLost) {
        // The drive is still there: its records stay searchable as they are while the engine
        // enumerates it again in the background (and tells the user).
        journalLost = true;
        if (!g_shuttingDown) {
            try {
                g_searchEngine.RebuildJournalLostVolumesAsync();
            } catch (...) {
                // No thread could be started: the next start-up or sync end tries again.
            }
        }
        return;
    }
    // The volume is gone: leave it out until a sync rebuilds it, and let the engine release the
    // handle and this thread.
    available = false;
    releasePending = true;
    if (!g_shuttingDown && g_hMainWnd) PostMessageW(g_hMainWnd, WM_VOLUME_LOST, 0, 0);
}
