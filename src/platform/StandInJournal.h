#pragma once
// The layer's own change journal for drives whose file system does not serve the USN calls.
// Internal to src/platform: the public face is platform/VolumeIo.h.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/VolumeIo.h"

namespace volumeio {

// Serves one change-journal control code (query, create, delete, enumerate, read) for the drive
// of `letter` ('A'..'Z'). Sets the last error and returns FALSE on failure, like DeviceIoControl.
// `cancelEvent` (may be null) ends a waiting read with ERROR_OPERATION_ABORTED when signalled.
BOOL StandInControl(wchar_t letter, DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize,
                    DWORD* returned, HANDLE cancelEvent);

// Folders a drive's first walk lists under the change notification, at most (the drive's
// option walkWatchLimit, else kWalkWatchLimit).
constexpr uint64_t kWalkWatchLimit = 256;
uint64_t DriveWalkWatchLimit(wchar_t letter);

// True for the control codes StandInControl serves.
bool IsJournalControlCode(DWORD code);

// The drive's file reference for a file-system file index (the root folder becomes 5).
uint64_t StandInFileReference(wchar_t letter, uint64_t fileIndex);

// Record numbers of the drive's view as an NTFS volume: 0 is the table itself, 5 the root
// folder, the table's own extension records take kStandInTableExtensionFirst onwards, and the
// drive's files are numbered from kStandInFirstFileRecord up.
constexpr uint64_t kStandInTableExtensionFirst = 16;
constexpr uint64_t kStandInTableExtensionCount = 8;
constexpr uint64_t kStandInFirstFileRecord = 24;

// One entry of the drive's model, for the layer's view of the drive as an NTFS volume.
struct StandInFile {
    uint64_t ref = 0;         // record number | sequence number << 48
    bool directory = false;
    int64_t size = 0;
    uint64_t extension = 0;   // reference of the extension record that holds its data, or 0
};
// Every file and folder of the drive, brought up to date first (the root folder is 5).
bool StandInCollectFiles(wchar_t letter, std::vector<StandInFile>& out);
// The file record in use at record number `record`, else the nearest one below it.
struct StandInRecord {
    StandInFile file;          // the entry the record belongs to
    bool extension = false;    // the entry's extension record rather than its base record
    uint64_t reference = 0;    // the record's own reference
};
bool StandInFindRecord(wchar_t letter, uint64_t record, StandInRecord* out);
// The number of record numbers the drive uses (the highest one given out + 1), the drive
// brought up to date first.
bool StandInRecordCount(wchar_t letter, uint64_t* count);

// Serves FSCTL_GET_NTFS_VOLUME_DATA and FSCTL_GET_NTFS_FILE_RECORD for the drive from FILE
// records the layer builds for the drive's files (StandInMft.cpp).
BOOL StandInNtfsControl(wchar_t letter, DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize,
                        DWORD* returned);
bool IsNtfsDataControlCode(DWORD code);
// Serves a raw read of the volume at `offset` from the same records; false when the drive has
// no view yet (FSCTL_GET_NTFS_VOLUME_DATA makes it).
bool StandInReadVolume(wchar_t letter, uint64_t offset, void* buffer, DWORD bytes, DWORD* read);
void StandInMftReset();
uint64_t StandInFileRecordsServed(wchar_t letter);

void StandInSetStateFolder(const std::wstring& folder);
void StandInReset();
VolumeIoStandInStats StandInStats(wchar_t letter);
bool StandInRunScan(wchar_t letter, bool fullSweep);

}  // namespace volumeio
