#pragma once
// Volume access layer: every raw volume call of the index goes through these functions.
//
// Each function has the signature and the semantics of the Win32 call it is named after and
// calls that real interface first. When a drive answers the change-journal calls
// (FSCTL_QUERY/CREATE/DELETE/ENUM/READ_USN_JOURNAL, FSCTL_ENUM_USN_DATA) as unsupported
// (ERROR_INVALID_FUNCTION or ERROR_NOT_SUPPORTED), the layer serves them for that drive from a
// change journal of its own, built from the drive's folder tree:
//   - file references are record numbers the layer assigns per drive, dense and stable for as
//     long as a file exists (renames and moves keep them), with a sequence number in the high
//     16 bits that grows when a deleted file's number is reused; the root folder is 5;
//     references are unique in their low 48 bits; GetFileInformationByHandle on a handle opened
//     through VolumeIoCreateFile gives the same references;
//   - the journal id is non-zero, kept across runs (a small file in the state folder) and
//     replaced by a new one after FSCTL_DELETE_USN_JOURNAL;
//   - FSCTL_ENUM_USN_DATA returns USN_RECORD_V2 entries after the 8-byte next start reference,
//     and fails with ERROR_HANDLE_EOF at the end;
//   - FSCTL_READ_USN_JOURNAL returns the creations, deletions, renames (old-name and new-name
//     entries), data and basic-info changes found on the drive since the last read, by any
//     program, honouring ReasonMask, StartUsn and ReturnOnlyOnClose. A read that asks to wait
//     (BytesToWaitFor > 0) waits at most its Timeout (bounded by the layer) and is ended with
//     ERROR_OPERATION_ABORTED by VolumeIoCancelIoEx on its handle or VolumeIoCancelSynchronousIo
//     on its thread.
// When a volume answers FSCTL_GET_NTFS_VOLUME_DATA or FSCTL_GET_NTFS_FILE_RECORD, or a raw read
// of its clusters, as unsupported, the layer serves them from FILE records it builds for the
// drive's files (a master file table with multi-sector fixups, resident and non-resident $DATA,
// fragmented runs, extension records named by attribute lists), numbered by the references
// above: after volume data, the first raw read of the table's clusters takes a snapshot of the
// drive that the later ones return; a FILE record is built from the drive's current state, and a record not in use is
// answered with the nearest lower one, as NTFS does. Opening "\\.\X:\$MFT" is not served.
//
// Handles: open with VolumeIoCreateFile and close with VolumeIoCloseHandle. A volume handle
// ("\\.\X:") and any handle of a path on drive X: are tied to drive X for the functions below.
// Every function is thread-safe.
#include <windows.h>
#include <winioctl.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// ---- The Win32 calls -------------------------------------------------------------------------

HANDLE VolumeIoCreateFile(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode,
                          LPSECURITY_ATTRIBUTES securityAttributes, DWORD creationDisposition,
                          DWORD flagsAndAttributes, HANDLE templateFile);
BOOL VolumeIoCloseHandle(HANDLE handle);
BOOL VolumeIoDeviceIoControl(HANDLE device, DWORD ioControlCode, LPVOID inBuffer, DWORD inBufferSize,
                             LPVOID outBuffer, DWORD outBufferSize, LPDWORD bytesReturned,
                             LPOVERLAPPED overlapped);
BOOL VolumeIoReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead,
                      LPOVERLAPPED overlapped);
BOOL VolumeIoSetFilePointerEx(HANDLE file, LARGE_INTEGER distanceToMove, PLARGE_INTEGER newFilePointer,
                              DWORD moveMethod);
BOOL VolumeIoGetFileInformationByHandle(HANDLE file, LPBY_HANDLE_FILE_INFORMATION information);
BOOL VolumeIoCancelIoEx(HANDLE file, LPOVERLAPPED overlapped);
BOOL VolumeIoCancelSynchronousIo(HANDLE thread);
BOOL VolumeIoGetVolumeInformation(LPCWSTR rootPathName, LPWSTR volumeNameBuffer, DWORD volumeNameSize,
                                  LPDWORD volumeSerialNumber, LPDWORD maximumComponentLength,
                                  LPDWORD fileSystemFlags, LPWSTR fileSystemNameBuffer,
                                  DWORD fileSystemNameSize);

// ---- Structures the SDK headers of some toolchains lack (documented layouts) ----------------

#pragma pack(push, 1)
struct VolumeIoUsnRecordV2 {   // USN_RECORD_V2
    DWORD RecordLength;
    WORD MajorVersion;
    WORD MinorVersion;
    DWORDLONG FileReferenceNumber;
    DWORDLONG ParentFileReferenceNumber;
    LONGLONG Usn;
    LARGE_INTEGER TimeStamp;
    DWORD Reason;
    DWORD SourceInfo;
    DWORD SecurityId;
    DWORD FileAttributes;
    WORD FileNameLength;
    WORD FileNameOffset;
    WCHAR FileName[1];
};
#pragma pack(pop)
static_assert(offsetof(VolumeIoUsnRecordV2, FileName) == 60, "USN_RECORD_V2 layout");

struct VolumeIoMftEnumDataV0 {   // MFT_ENUM_DATA_V0 (24 bytes)
    DWORDLONG StartFileReferenceNumber;
    LONGLONG LowUsn;
    LONGLONG HighUsn;
};
struct VolumeIoMftEnumDataV1 {   // MFT_ENUM_DATA_V1 (32 bytes)
    DWORDLONG StartFileReferenceNumber;
    LONGLONG LowUsn;
    LONGLONG HighUsn;
    WORD MinMajorVersion;
    WORD MaxMajorVersion;
};
struct VolumeIoReadUsnJournalDataV0 {   // READ_USN_JOURNAL_DATA_V0 (40 bytes)
    LONGLONG StartUsn;
    DWORD ReasonMask;
    DWORD ReturnOnlyOnClose;
    DWORDLONG Timeout;
    DWORDLONG BytesToWaitFor;
    DWORDLONG UsnJournalID;
};
struct VolumeIoReadUsnJournalDataV1 {   // READ_USN_JOURNAL_DATA_V1 (48 bytes)
    LONGLONG StartUsn;
    DWORD ReasonMask;
    DWORD ReturnOnlyOnClose;
    DWORDLONG Timeout;
    DWORDLONG BytesToWaitFor;
    DWORDLONG UsnJournalID;
    WORD MinMajorVersion;
    WORD MaxMajorVersion;
};
struct VolumeIoUsnJournalDataV0 {   // USN_JOURNAL_DATA_V0 (56 bytes)
    DWORDLONG UsnJournalID;
    LONGLONG FirstUsn;
    LONGLONG NextUsn;
    LONGLONG LowestValidUsn;
    LONGLONG MaxUsn;
    DWORDLONG MaximumSize;
    DWORDLONG AllocationDelta;
};
struct VolumeIoCreateUsnJournalData {   // CREATE_USN_JOURNAL_DATA (16 bytes)
    DWORDLONG MaximumSize;
    DWORDLONG AllocationDelta;
};
struct VolumeIoDeleteUsnJournalData {   // DELETE_USN_JOURNAL_DATA (16 bytes)
    DWORDLONG UsnJournalID;
    DWORD DeleteFlags;
};
static_assert(sizeof(VolumeIoMftEnumDataV0) == 24 && sizeof(VolumeIoMftEnumDataV1) == 32, "enum input");
static_assert(sizeof(VolumeIoReadUsnJournalDataV0) == 40 && sizeof(VolumeIoReadUsnJournalDataV1) == 48,
              "read input");
static_assert(sizeof(VolumeIoUsnJournalDataV0) == 56 && sizeof(VolumeIoDeleteUsnJournalData) == 16,
              "journal data");

// ---- Configuration ---------------------------------------------------------------------------

// Folder of the layer's small state files (journal ids and positions per drive). Empty (the
// default) means the program's configuration folder.
void VolumeIoSetStateFolder(const std::wstring& folder);

// Per-drive options. Letters are 'A'..'Z' (lower case accepted).
struct VolumeIoDriveOptions {
    bool forceStandIn = false;          // serve the change-journal calls from the layer's own
                                        // journal without asking the system first
    std::wstring fileSystemName;        // when not empty, VolumeIoGetVolumeInformation reports it
                                        // as the drive's file-system name
    uint64_t walkWatchLimit = 0;        // folders the layer's first walk of the drive lists under
                                        // its change notification, at most (0: the default,
                                        // 256); past it the notification covers only the root
                                        // and the folders listed after the walk
};
void VolumeIoSetDriveOptions(wchar_t letter, const VolumeIoDriveOptions& options);
void VolumeIoClearDriveOptions();

// ---- Scripted answers (tests) ----------------------------------------------------------------
// A scripted answer replaces the next `count` VolumeIoDeviceIoControl calls with the given
// control code (0 = any code) on a handle of the drive: either a failure with `error`, or a
// success that returns `output` (copied into the caller's buffer, cut to its size). Answers are
// used in the order they were added.
void VolumeIoScriptError(wchar_t letter, DWORD ioControlCode, DWORD error, unsigned count = 1);
void VolumeIoScriptOutput(wchar_t letter, DWORD ioControlCode, const std::vector<BYTE>& output,
                          unsigned count = 1);
void VolumeIoClearScripts();

// Forgets every drive's in-memory journal and option, as a new process would (the state files
// stay). Handles opened before stay usable as plain handles.
void VolumeIoResetForTests();

// ---- Diagnostics -----------------------------------------------------------------------------

struct VolumeIoStandInStats {
    bool active = false;             // the drive is served by the layer's journal
    uint64_t journalId = 0;
    uint64_t entries = 0;            // files and folders known
    uint64_t folders = 0;
    uint64_t scans = 0;              // change scans run
    uint64_t foldersChecked = 0;     // folder time checks done by those scans, in total
    uint64_t foldersListed = 0;      // folder listings done by those scans, in total
    uint64_t notifications = 0;      // change notifications taken, in total
    uint64_t filesChecked = 0;       // file checks of the files' sweep, in total
    uint64_t filesChanged = 0;       // files that sweep found changed, in total
    double lastScanMs = 0;           // duration of the last change scan
    uint64_t fileRecordsServed = 0;  // FSCTL_GET_NTFS_FILE_RECORD calls the layer answered
};
VolumeIoStandInStats VolumeIoGetStandInStats(wchar_t letter);

// Runs one change scan of the drive's own journal now; with fullSweep every folder's time is
// checked, not only a slice (and, where the change notification does not cover every folder,
// every file's size and time). False when the drive's journal has not read the drive yet.
bool VolumeIoRunChangeScan(wchar_t letter, bool fullSweep);
