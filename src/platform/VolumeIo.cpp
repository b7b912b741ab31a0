// Volume access layer: the system's calls first, the layer's own change journal for drives that
// do not serve the journal calls, and scripted answers for tests.
#include "platform/VolumeIo.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <deque>
#include <list>
#include <mutex>
#include <unordered_map>

#include "platform/StandInJournal.h"

namespace {

struct HandleInfo {
    wchar_t letter = 0;   // 'A'..'Z'
    bool volume = false;  // "\\.\X:" itself
    uint64_t position = 0;   // volume handles: the file pointer, for reads the layer serves
    // Volume handles whose raw reads or NTFS data calls the system answered as unsupported: the
    // layer serves the later ones at once (each refused call costs the system a round trip).
    bool readsServed = false;
    bool ntfsDataServed = false;
};

struct Script {
    DWORD code = 0;
    bool isError = false;
    DWORD error = 0;
    std::vector<BYTE> output;
    unsigned count = 0;
};

enum class Mode { Unknown, System, StandIn };

struct DriveConfig {
    VolumeIoDriveOptions options;
    Mode mode = Mode::Unknown;
    std::deque<Script> scripts;
};

// A read of the layer's journal that is waiting; cancelled by handle or by thread.
struct PendingWait {
    HANDLE handle;
    DWORD threadId;
    HANDLE event;
};

// The layer's state lives as long as the process: it is never destroyed, so that volumes closed
// by other objects' destructors at exit still find it.
struct LayerState {
    std::mutex mutex;   // guards everything below
    std::unordered_map<HANDLE, HandleInfo> handles;
    std::array<DriveConfig, 26> config;
    std::list<PendingWait> waits;
};

LayerState& State() {
    static LayerState* state = new LayerState();
    return *state;
}

wchar_t UpperLetter(wchar_t c) {
    if (c >= L'a' && c <= L'z') return (wchar_t)(c - 32);
    return (c >= L'A' && c <= L'Z') ? c : 0;
}

// The drive letter a path names, and whether it is the volume device itself.
HandleInfo ClassifyPath(LPCWSTR path) {
    HandleInfo info;
    if (!path) return info;
    std::wstring p(path, wcsnlen(path, 32768));
    std::replace(p.begin(), p.end(), L'/', L'\\');
    size_t at = 0;
    if (p.size() >= 4 && p[0] == L'\\' && p[1] == L'\\' && (p[2] == L'.' || p[2] == L'?') && p[3] == L'\\') at = 4;
    if (p.size() < at + 2 || p[at + 1] != L':') return info;
    wchar_t letter = UpperLetter(p[at]);
    if (!letter) return info;
    info.letter = letter;
    info.volume = at == 4 && p.size() == at + 2;
    return info;
}

bool LookupHandle(HANDLE h, HandleInfo* out) {
    std::lock_guard<std::mutex> lock(State().mutex);
    auto it = State().handles.find(h);
    if (it == State().handles.end()) return false;
    *out = it->second;
    return true;
}

Mode DriveMode(wchar_t letter) {
    std::lock_guard<std::mutex> lock(State().mutex);
    const DriveConfig& c = State().config[letter - L'A'];
    return c.options.forceStandIn ? Mode::StandIn : c.mode;
}

void SetDriveMode(wchar_t letter, Mode mode) {
    std::lock_guard<std::mutex> lock(State().mutex);
    DriveConfig& c = State().config[letter - L'A'];
    if (c.mode == Mode::Unknown) c.mode = mode;
}

// Takes the next scripted answer for the code, when there is one.
bool TakeScript(wchar_t letter, DWORD code, Script* out) {
    std::lock_guard<std::mutex> lock(State().mutex);
    auto& list = State().config[letter - L'A'].scripts;
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (it->code != 0 && it->code != code) continue;
        *out = *it;
        if (--it->count == 0) list.erase(it);
        return true;
    }
    return false;
}

void MarkHandle(HANDLE h, bool HandleInfo::*flag) {
    std::lock_guard<std::mutex> lock(State().mutex);
    auto it = State().handles.find(h);
    if (it != State().handles.end()) it->second.*flag = true;
}

bool IsUnsupported(DWORD error) { return error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED; }

// Reports a synchronous result through an OVERLAPPED as well, for callers that passed one.
BOOL Complete(BOOL ok, DWORD bytes, LPDWORD bytesReturned, LPOVERLAPPED overlapped) {
    DWORD error = ok ? ERROR_SUCCESS : GetLastError();
    if (bytesReturned) *bytesReturned = bytes;
    if (overlapped) {
        overlapped->Internal = ok ? 0 : (ULONG_PTR)0xC0000001L;
        overlapped->InternalHigh = bytes;
        if (overlapped->hEvent) SetEvent(overlapped->hEvent);
    }
    SetLastError(error);
    return ok;
}

// Asks the system whether the drive serves the journal calls (once per drive and process).
Mode ProbeDrive(wchar_t letter) {
    Mode m = DriveMode(letter);
    if (m != Mode::Unknown) return m;
    wchar_t path[] = L"\\\\.\\X:";
    path[4] = letter;
    HANDLE v = CreateFileW(path, GENERIC_READ, 7, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (v == INVALID_HANDLE_VALUE) return Mode::Unknown;
    VolumeIoUsnJournalDataV0 data{};
    DWORD got = 0;
    BOOL ok = DeviceIoControl(v, FSCTL_QUERY_USN_JOURNAL, nullptr, 0, &data, sizeof data, &got, nullptr);
    DWORD error = ok ? 0 : GetLastError();
    CloseHandle(v);
    if (ok || error == ERROR_JOURNAL_NOT_ACTIVE || error == ERROR_JOURNAL_DELETE_IN_PROGRESS)
        SetDriveMode(letter, Mode::System);
    else if (IsUnsupported(error))
        SetDriveMode(letter, Mode::StandIn);
    return DriveMode(letter);
}

}  // namespace

HANDLE VolumeIoCreateFile(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode,
                          LPSECURITY_ATTRIBUTES securityAttributes, DWORD creationDisposition,
                          DWORD flagsAndAttributes, HANDLE templateFile) {
    HANDLE h = CreateFileW(fileName, desiredAccess, shareMode, securityAttributes, creationDisposition,
                           flagsAndAttributes, templateFile);
    if (h == INVALID_HANDLE_VALUE) return h;
    DWORD error = GetLastError();
    HandleInfo info = ClassifyPath(fileName);
    {
        std::lock_guard<std::mutex> lock(State().mutex);
        if (info.letter) State().handles[h] = info;
        else State().handles.erase(h);   // a value reused after a plain CloseHandle
    }
    SetLastError(error);
    return h;
}

BOOL VolumeIoCloseHandle(HANDLE handle) {
    {
        std::lock_guard<std::mutex> lock(State().mutex);
        State().handles.erase(handle);
    }
    return CloseHandle(handle);
}

BOOL VolumeIoDeviceIoControl(HANDLE device, DWORD ioControlCode, LPVOID inBuffer, DWORD inBufferSize,
                             LPVOID outBuffer, DWORD outBufferSize, LPDWORD bytesReturned,
                             LPOVERLAPPED overlapped) {
    HandleInfo info;
    if (!LookupHandle(device, &info))
        return DeviceIoControl(device, ioControlCode, inBuffer, inBufferSize, outBuffer, outBufferSize,
                               bytesReturned, overlapped);
    Script script;
    if (TakeScript(info.letter, ioControlCode, &script)) {
        if (script.isError) {
            SetLastError(script.error);
            return Complete(FALSE, 0, bytesReturned, overlapped);
        }
        DWORD n = (DWORD)std::min<size_t>(script.output.size(), outBuffer ? outBufferSize : 0);
        if (n) memcpy(outBuffer, script.output.data(), n);
        return Complete(TRUE, n, bytesReturned, overlapped);
    }
    if (volumeio::IsNtfsDataControlCode(ioControlCode) && info.volume) {
        if (!info.ntfsDataServed) {
            BOOL ok = DeviceIoControl(device, ioControlCode, inBuffer, inBufferSize, outBuffer, outBufferSize,
                                      bytesReturned, overlapped);
            DWORD error = ok ? 0 : GetLastError();
            if (ok || !IsUnsupported(error)) {
                SetLastError(error);
                return ok;
            }
            MarkHandle(device, &HandleInfo::ntfsDataServed);
        }
        DWORD got = 0;
        BOOL ok = volumeio::StandInNtfsControl(info.letter, ioControlCode, inBuffer, inBufferSize, outBuffer,
                                               outBufferSize, &got);
        return Complete(ok, got, bytesReturned, overlapped);
    }
    if (!volumeio::IsJournalControlCode(ioControlCode) || !info.volume)
        return DeviceIoControl(device, ioControlCode, inBuffer, inBufferSize, outBuffer, outBufferSize,
                               bytesReturned, overlapped);
    if (DriveMode(info.letter) != Mode::StandIn) {
        BOOL ok = DeviceIoControl(device, ioControlCode, inBuffer, inBufferSize, outBuffer, outBufferSize,
                                  bytesReturned, overlapped);
        DWORD error = ok ? 0 : GetLastError();
        if (ok || !IsUnsupported(error)) {
            if (ok || (error != ERROR_INVALID_HANDLE && error != ERROR_ACCESS_DENIED && error != ERROR_IO_PENDING))
                SetDriveMode(info.letter, Mode::System);
            SetLastError(error);
            return ok;
        }
        SetDriveMode(info.letter, Mode::StandIn);
        if (DriveMode(info.letter) != Mode::StandIn) {
            SetLastError(error);
            return FALSE;
        }
    }
    // The layer's journal. A read that waits registers itself so that a cancellation ends it.
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::list<PendingWait>::iterator self;
    {
        std::lock_guard<std::mutex> lock(State().mutex);
        self = State().waits.insert(State().waits.end(), PendingWait{device, GetCurrentThreadId(), event});
    }
    DWORD got = 0;
    BOOL ok = volumeio::StandInControl(info.letter, ioControlCode, inBuffer, inBufferSize, outBuffer, outBufferSize,
                                       &got, event);
    DWORD error = ok ? 0 : GetLastError();
    {
        std::lock_guard<std::mutex> lock(State().mutex);
        State().waits.erase(self);
    }
    if (event) CloseHandle(event);
    SetLastError(error);
    return Complete(ok, got, bytesReturned, overlapped);
}

namespace {
void SetPosition(HANDLE h, uint64_t position) {
    std::lock_guard<std::mutex> lock(State().mutex);
    auto it = State().handles.find(h);
    if (it != State().handles.end()) it->second.position = position;
}
}  // namespace

BOOL VolumeIoReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead,
                      LPOVERLAPPED overlapped) {
    HandleInfo info;
    if (overlapped || !LookupHandle(file, &info) || !info.volume)
        return ReadFile(file, buffer, bytesToRead, bytesRead, overlapped);
    DWORD got = 0;
    BOOL ok = FALSE;
    DWORD error = ERROR_INVALID_FUNCTION;
    if (!info.readsServed) {
        ok = ReadFile(file, buffer, bytesToRead, &got, nullptr);
        error = ok ? 0 : GetLastError();
    }
    if (!ok && IsUnsupported(error) && buffer &&
        volumeio::StandInReadVolume(info.letter, info.position, buffer, bytesToRead, &got)) {
        ok = TRUE;
        error = 0;
        if (!info.readsServed) MarkHandle(file, &HandleInfo::readsServed);
    }
    if (ok) SetPosition(file, info.position + got);
    if (bytesRead) *bytesRead = ok ? got : 0;
    SetLastError(error);
    return ok;
}

BOOL VolumeIoSetFilePointerEx(HANDLE file, LARGE_INTEGER distanceToMove, PLARGE_INTEGER newFilePointer,
                              DWORD moveMethod) {
    HandleInfo info;
    if (!LookupHandle(file, &info) || !info.volume)
        return SetFilePointerEx(file, distanceToMove, newFilePointer, moveMethod);
    LARGE_INTEGER now{};
    // The system's pointer matters only while the system serves the reads.
    BOOL ok = info.readsServed && moveMethod != FILE_END ? TRUE : SetFilePointerEx(file, distanceToMove, &now, moveMethod);
    // A volume whose reads the layer serves keeps its own pointer.
    int64_t target = -1;
    if (moveMethod == FILE_BEGIN) target = distanceToMove.QuadPart;
    else if (moveMethod == FILE_CURRENT) target = static_cast<int64_t>(info.position) + distanceToMove.QuadPart;
    else if (ok) target = now.QuadPart;
    if (target < 0) {
        if (!ok) return FALSE;
        SetLastError(ERROR_NEGATIVE_SEEK);
        return FALSE;
    }
    SetPosition(file, static_cast<uint64_t>(target));
    if (newFilePointer) newFilePointer->QuadPart = target;
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL VolumeIoGetFileInformationByHandle(HANDLE file, LPBY_HANDLE_FILE_INFORMATION information) {
    BOOL ok = GetFileInformationByHandle(file, information);
    if (!ok || !information) return ok;
    HandleInfo info;
    if (!LookupHandle(file, &info) || info.volume) return ok;
    if (ProbeDrive(info.letter) != Mode::StandIn) return TRUE;
    uint64_t index = ((uint64_t)information->nFileIndexHigh << 32) | information->nFileIndexLow;
    uint64_t ref = volumeio::StandInFileReference(info.letter, index);
    information->nFileIndexHigh = (DWORD)(ref >> 32);
    information->nFileIndexLow = (DWORD)ref;
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL VolumeIoCancelIoEx(HANDLE file, LPOVERLAPPED overlapped) {
    bool cancelled = false;
    {
        std::lock_guard<std::mutex> lock(State().mutex);
        for (auto& w : State().waits)
            if (w.handle == file && w.event) {
                SetEvent(w.event);
                cancelled = true;
            }
    }
    BOOL ok = CancelIoEx(file, overlapped);
    if (cancelled) {
        SetLastError(ERROR_SUCCESS);
        return TRUE;
    }
    return ok;
}

BOOL VolumeIoCancelSynchronousIo(HANDLE thread) {
    DWORD id = thread ? GetThreadId(thread) : 0;
    bool cancelled = false;
    if (id) {
        std::lock_guard<std::mutex> lock(State().mutex);
        for (auto& w : State().waits)
            if (w.threadId == id && w.event) {
                SetEvent(w.event);
                cancelled = true;
            }
    }
    BOOL ok = CancelSynchronousIo(thread);
    if (cancelled) {
        SetLastError(ERROR_SUCCESS);
        return TRUE;
    }
    return ok;
}

BOOL VolumeIoGetVolumeInformation(LPCWSTR rootPathName, LPWSTR volumeNameBuffer, DWORD volumeNameSize,
                                  LPDWORD volumeSerialNumber, LPDWORD maximumComponentLength,
                                  LPDWORD fileSystemFlags, LPWSTR fileSystemNameBuffer,
                                  DWORD fileSystemNameSize) {
    BOOL ok = GetVolumeInformationW(rootPathName, volumeNameBuffer, volumeNameSize, volumeSerialNumber,
                                    maximumComponentLength, fileSystemFlags, fileSystemNameBuffer,
                                    fileSystemNameSize);
    if (!ok || !fileSystemNameBuffer) return ok;
    wchar_t letter = ClassifyPath(rootPathName).letter;
    if (!letter) return ok;
    std::wstring name;
    {
        std::lock_guard<std::mutex> lock(State().mutex);
        name = State().config[letter - L'A'].options.fileSystemName;
    }
    if (name.empty()) return ok;
    if (name.size() + 1 > fileSystemNameSize) {
        SetLastError(ERROR_BAD_LENGTH);
        return FALSE;
    }
    memcpy(fileSystemNameBuffer, name.c_str(), (name.size() + 1) * sizeof(wchar_t));
    return TRUE;
}

void VolumeIoSetStateFolder(const std::wstring& folder) { volumeio::StandInSetStateFolder(folder); }

void VolumeIoSetDriveOptions(wchar_t letter, const VolumeIoDriveOptions& options) {
    wchar_t up = UpperLetter(letter);
    if (!up) return;
    std::lock_guard<std::mutex> lock(State().mutex);
    State().config[up - L'A'].options = options;
}

namespace volumeio {
uint64_t DriveWalkWatchLimit(wchar_t letter) {
    const wchar_t up = UpperLetter(letter);
    if (!up) return kWalkWatchLimit;
    std::lock_guard<std::mutex> lock(State().mutex);
    const uint64_t limit = State().config[up - L'A'].options.walkWatchLimit;
    return limit ? limit : kWalkWatchLimit;
}
}  // namespace volumeio

void VolumeIoClearDriveOptions() {
    std::lock_guard<std::mutex> lock(State().mutex);
    for (auto& c : State().config) c.options = VolumeIoDriveOptions{};
}

namespace {
void AddScript(wchar_t letter, Script script) {
    wchar_t up = UpperLetter(letter);
    if (!up || script.count == 0) return;
    std::lock_guard<std::mutex> lock(State().mutex);
    State().config[up - L'A'].scripts.push_back(std::move(script));
}
}  // namespace

void VolumeIoScriptError(wchar_t letter, DWORD ioControlCode, DWORD error, unsigned count) {
    AddScript(letter, Script{ioControlCode, true, error, {}, count});
}

void VolumeIoScriptOutput(wchar_t letter, DWORD ioControlCode, const std::vector<BYTE>& output, unsigned count) {
    AddScript(letter, Script{ioControlCode, false, 0, output, count});
}

void VolumeIoClearScripts() {
    std::lock_guard<std::mutex> lock(State().mutex);
    for (auto& c : State().config) c.scripts.clear();
}

void VolumeIoResetForTests() {
    {
        std::lock_guard<std::mutex> lock(State().mutex);
        for (auto& c : State().config) {
            c.options = VolumeIoDriveOptions();
            c.mode = Mode::Unknown;
            c.scripts.clear();
        }
    }
    volumeio::StandInReset();
    volumeio::StandInMftReset();
}

VolumeIoStandInStats VolumeIoGetStandInStats(wchar_t letter) {
    VolumeIoStandInStats s = volumeio::StandInStats(letter);
    wchar_t up = UpperLetter(letter);
    if (up) s.active = s.active && DriveMode(up) == Mode::StandIn;
    s.fileRecordsServed = volumeio::StandInFileRecordsServed(letter);
    return s;
}

bool VolumeIoRunChangeScan(wchar_t letter, bool fullSweep) { return volumeio::StandInRunScan(letter, fullSweep); }
