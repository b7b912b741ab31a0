#pragma once
// File sizes read from an NTFS volume's master file table: FILE records with their multi-sector
// fixups, the sizes of the unnamed $DATA attribute, mapping pairs, the sequential scan of $MFT
// and the per-drive size map kept current from the change journal.
#include <windows.h>
#include <winioctl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "index/FileSizes.h"

// One extent of a non-resident attribute: first cluster on the volume (-1 for a sparse run)
// and its length in clusters.
struct DataRun {
    int64_t lcn = 0;
    uint64_t clusterCount = 0;
};

// The fields of NTFS_VOLUME_DATA_BUFFER the scanner reads.
struct MftVolumeGeometry {
    uint32_t bytesPerCluster = 0;
    uint32_t bytesPerFileRecord = 0;
    uint64_t mftValidDataLength = 0;
    int64_t mftStartLcn = 0;
    uint64_t totalClusters = 0;   // 0 = unknown (clusters are then not bounded)
};

constexpr uint64_t kMftRecordMask = 0xFFFFFFFFFFFFull;

// Enables one privilege of the process token; true only when it is now enabled.
bool EnablePrivilege(const wchar_t* name);

// In-place multi-sector fixup of a FILE record of `size` bytes (a multiple of 512). False for a
// record whose update sequence array is malformed or whose sectors do not all end with the
// sequence value (a torn write); sectors before the first bad one are already fixed.
bool ApplyUpdateSequenceFixups(uint8_t* record, uint32_t size);

// Sizes of the unnamed $DATA attribute in one record (both set to 0 first; negative values read
// as 0). False when the record has no unnamed $DATA or its attribute walk is malformed.
bool GetDataAttributeSizes(const uint8_t* record, uint32_t size, int64_t* dataSize, int64_t* allocated);

// Decodes mapping pairs. False for a header whose fields run past the buffer or are wider than
// 8 bytes, a zero cluster count, or a cluster outside 0..totalClusters (when totalClusters is
// not 0), and when no run was decoded.
bool DecodeDataRuns(const uint8_t* runs, uint64_t length, std::vector<DataRun>& out, uint64_t totalClusters = 0);

// What one FILE record tells the scans.
struct FileRecordFacts {
    bool valid = false;          // a FILE record that is in use
    bool fixupsOk = false;
    bool directory = false;
    bool extension = false;      // an extension record (baseReference != 0)
    uint64_t baseReference = 0;
    uint16_t sequence = 0;
    bool hasData = false;        // an unnamed $DATA whose sizes are known (first extent)
    int64_t size = 0, allocated = 0;
    bool hasAttributeList = false;
};
// Parses a FILE record in place (fixups applied; a failed fixup is recorded, not fatal).
FileRecordFacts InspectFileRecord(uint8_t* record, uint32_t size);

// The extension records an attribute list names for the unnamed $DATA attribute (their record
// references), read from a record's resident $ATTRIBUTE_LIST. False when there is none.
bool ListDataExtensionRecords(const uint8_t* record, uint32_t size, uint64_t ownRecord, std::vector<uint64_t>& out);

// The data runs of $MFT itself (record 0 and, when $MFT is fragmented enough to carry an
// attribute list, the extents in its extension records). True only when the runs cover the
// table's valid length.
bool ReadMftDataRuns(HANDLE volume, const MftVolumeGeometry& geometry, std::vector<DataRun>& out);

enum class MftScanResult { Complete, Cancelled, ReadFailed };

// Reads $MFT opened as a file, one record per read, until the end of the file.
MftScanResult ScanMftFileSequential(HANDLE mftFile, uint32_t recordSize, uint64_t totalRecords, MftSizeMap& out,
                                    const SizeScanProgress& progress, const SizeScanCancel& cancel);
// Reads $MFT cluster by cluster on the volume handle by its data runs.
MftScanResult ScanMftByDataRuns(HANDLE volume, const MftVolumeGeometry& geometry, const std::vector<DataRun>& runs,
                                MftSizeMap& out, const SizeScanProgress& progress, const SizeScanCancel& cancel);

// How the last BuildMftSizeMap reached its map.
struct MftSizeMapStats {
    bool fromCache = false;          // the cache was current or caught up from the journal
    bool fullScan = false;
    uint64_t journalChanges = 0;     // files named by the journal since the cached position
    uint64_t recordsReread = 0;      // FILE records read again for the catch-up
    // The journal position the map is current to (journalId 0: none, the map follows no journal).
    uint64_t journalId = 0;
    int64_t journalUsn = 0;
    // Records the volume's file table holds (its valid length by the record size; 0: not read).
    // Every file of the volume has a record number below it.
    uint64_t fileRecords = 0;
};

// The id and next position of the drive's change journal; false when it cannot be asked.
[[nodiscard]] bool MftJournalPosition(wchar_t letter, uint64_t* journalId, int64_t* nextUsn);

// Most files the journal catch-up collects before it gives up in favour of a full scan.
constexpr uint64_t kMaxCatchUpChanges = 4000000;

// The size map of one NTFS drive, from the cache caught up through the journal or from a full
// scan of $MFT. On false `out` is empty and `error` (when given) holds an English text.
[[nodiscard]] bool BuildMftSizeMap(wchar_t letter, MftSizeMap& out, const SizeScanProgress& progress,
                     const SizeScanCancel& cancel, std::wstring* error, const std::wstring* cachePath,
                     MftSizeMapStats* stats = nullptr);
