#pragma once
// The layer's own change journal for drives whose file system does not serve the USN calls.
// Internal to src/platform: the public face is platform/VolumeIo.h.
#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/VolumeIo.h"

namespace volumeio {

// Serves one change-journal control code (query, create, delete, enumerate, read) for the drive
// of `letter` ('A'..'Z'). Sets the last error and returns FALSE on failure, like DeviceIoControl.
// `cancelEvent` (may be null) ends a waiting read with ERROR_OPERATION_ABORTED when signalled.
BOOL StandInControl(wchar_t letter, DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize,
                    DWORD* returned, HANDLE cancelEvent);

// True for the control codes StandInControl serves.
bool IsJournalControlCode(DWORD code);

// The drive's file reference for a file-system file index (the root folder becomes 5).
uint64_t StandInFileReference(wchar_t letter, uint64_t fileIndex);

void StandInSetStateFolder(const std::wstring& folder);
void StandInReset();
VolumeIoStandInStats StandInStats(wchar_t letter);
bool StandInRunScan(wchar_t letter, bool fullSweep);

}  // namespace volumeio
