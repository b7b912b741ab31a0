#pragma once
// The folder tree of one analysed drive: a node per file and folder of the drive's name index,
// file sizes from the drive's size map, subtree totals per folder, every folder's children
// sorted with their shares, and the space used per extension.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "index/VolumeIndex.h"

// One live record of a drive's index, as the scan hands it to the build.
struct AnalysisIndexEntry {
    uint64_t frn = 0;
    uint64_t parentFrn = 0;
    const wchar_t* name = nullptr;  // not terminated; kept alive by the caller during the build
    uint16_t nameLength = 0;
    uint8_t isFolder = 0;
    uint8_t skip = 0;               // non-zero: ignored
    uint32_t recordIndex = 0;       // position in the volume's record list (unused here)
};

struct AnalysisNode {
    uint64_t frn = 0;
    uint64_t parentFrn = 0;
    const wchar_t* name = L"";      // into the model's name storage (never null)
    uint16_t nameLength = 0;
    uint8_t isFolder = 0;
    // Files: 1 when this name carries the file's data in the totals. A file with several names
    // (hard links) is counted once, under one of them; every name shows its size.
    uint8_t carriesData = 1;
    int64_t size = 0;               // files: the file's size (whichever name)
    int64_t allocated = 0;
    int64_t totalSize = 0;          // files: the bytes counted under this name (size or 0);
    int64_t totalAllocated = 0;     // folders: subtree sum (-1 while unsummed)
    std::vector<uint32_t> children;
};

// A row of a folder's child list (also the panel's rows and the ring's input).
struct ChildEntry {
    uint32_t nodeIndex = 0;
    uint64_t frn = 0;               // at All Disks: a drive-row marker
    uint8_t isFolder = 0;
    const wchar_t* name = L"";      // never null
    uint16_t nameLength = 0;
    int64_t totalSize = 0;          // counted in the totals (0 for a further name of a file)
    int64_t totalAllocated = 0;
    int64_t size = 0;               // shown: a file's size (every name), a folder's total
    double share = 0;               // percent of the parent
};

// What the file system says of a file reached by its path.
struct AnalysisFileFacts {
    uint64_t reference = 0;         // the file's identity on its volume
    int64_t size = 0;
    int64_t allocated = 0;
    uint32_t links = 1;             // names the file has
    bool isFolder = false;
};
// Asks the file system about a path; false when it cannot be opened.
using AnalysisFileQuery = std::function<bool(const std::wstring& path, AnalysisFileFacts& out)>;

struct ExtStat {
    std::wstring extension;         // lower case with its dot; empty for none
    int64_t totalSize = 0;
    int64_t totalAllocated = 0;
    uint64_t fileCount = 0;
    COLORREF color = 0;
};

class DiskAnalysisModel {
public:
    DiskAnalysisModel() = default;
    ~DiskAnalysisModel();
    DiskAnalysisModel(const DiskAnalysisModel&) = delete;
    DiskAnalysisModel& operator=(const DiskAnalysisModel&) = delete;

    // Clears the model and builds it. False for no entries or no usable entry. A file the sizes
    // do not know is empty (size 0) when its record number is below `tableRecords`, the number of
    // records of the drive's file table: the sizes leave out no file with data, only empty files
    // and folders. A name whose reference is at or beyond that count (or every unknown name, when
    // `tableRecords` is 0: not known) is no record of the table but a name the volume layer gave a
    // reference of its own, such as a further name of a file: it is asked through `query` (when
    // given) by its path, gets the size of the file the path names, and a name of a file that
    // another name already carries is counted once (as du does).
    bool Build(const AnalysisIndexEntry* entries, size_t count, const MftSizeMap& sizes, wchar_t driveLetter,
               const AnalysisFileQuery& query = nullptr, uint64_t tableRecords = 0);
    // Sums a folder's subtree (without recursion: deep trees are fine).
    void ComputeTotals(uint32_t nodeIndex);
    // Drops the child lists: each is made again, from the current totals, when next asked for.
    void BuildChildLists();
    void BuildExtensionStats();

    int64_t RootTotalSize() const;
    bool GetNodeInfo(uint64_t frn, ChildEntry& out) const;
    bool GetParentFrn(uint64_t frn, uint64_t& out) const;
    // Names from the root's child down to the node (at most the 512 nearest the node).
    std::vector<std::wstring> GetPathComponents(uint64_t frn) const;
    bool IsRoot(uint64_t frn) const;
    std::wstring GetFullPath(uint64_t frn) const;
    // The child list of a folder (full FRN, then record number); null when it has none.
    const std::vector<ChildEntry>* ChildrenOf(uint64_t folderFrn) const;
    // Node index of an FRN (full, then record number); -1 when unknown.
    int64_t FindNode(uint64_t frn) const;
    // The reference of the file whose data a file node shows: its own, unless the file system
    // gave another one for the name's path (a further name of a file).
    uint64_t FileIdentity(uint32_t nodeIndex) const;
    // Removes a file node from the tree (the node is emptied in place); false when the FRN is
    // unknown or names a folder. When the file's data went with it, its ancestors' totals drop
    // by the bytes counted under it. When the file keeps other names (dataStays), the totals keep
    // its data: another name of it in the model carries it from then on (its folders' totals
    // take the bytes over), or, with none, the totals stay as they are. The child lists and
    // extension table are not rebuilt here.
    bool RemoveFileNode(uint64_t frn, bool dataStays = false);

    wchar_t driveLetter = 0;
    uint64_t rootFrn = 5;
    uint64_t fileCount = 0;
    uint64_t folderCount = 0;
    // Files the last build asked the file system about by their path (unknown to the sizes and no
    // record of the drive's file table).
    uint64_t filesAskedByPath = 0;
    std::vector<AnalysisNode> nodes;
    // Node index by FRN: every node under its full FRN and under its record number (the later
    // of two nodes with one key wins); a removed file's keys lead past the nodes.
    FrnMap frnToNode;
    // Sorted child list by node index of its folder (ChildrenOf finds the folder like FindNode),
    // made the first time the folder's list is asked for.
    mutable std::unordered_map<uint32_t, std::vector<ChildEntry>> childLists;
    std::vector<ExtStat> extensions;

private:
    void Clear();
    void Register(uint64_t frn, uint32_t index);
    // Sizes and identities of the files in `unsized` through the query; names of one file then
    // carry its data once.
    void AskUnsizedFiles(const std::vector<uint32_t>& unsized, const MftSizeMap& sizes, const AnalysisFileQuery& query);
    // Adds a (possibly negative) amount to the totals of a folder and the folders above it.
    void AddToFolders(uint64_t folderFrn, int64_t size, int64_t allocated);
    // Path pieces and full path of a node by its index (-1: none).
    std::vector<std::wstring> ComponentsOf(int64_t nodeIndex) const;
    std::wstring FullPathOf(int64_t nodeIndex) const;
    ChildEntry EntryOf(uint32_t index) const;  // share 0
    const std::vector<ChildEntry>* ListOf(uint32_t folderIndex) const;
    mutable std::mutex childListsMutex_;
    std::vector<wchar_t> names_;    // every node's name text (reserved once per build)
    // Files with more than one name in the model: node indices by the record number of their
    // identity, the carrying name first.
    std::unordered_map<uint64_t, std::vector<uint32_t>> sharedFiles_;
    // File identities that differ from the node's own reference, by node index.
    std::unordered_map<uint32_t, uint64_t> otherIdentities_;
};

// Record number of a file reference.
inline uint64_t AnalysisRecordNumber(uint64_t frn) { return frn & kFrnRecordMask; }

// Lower-case extension of a file name with its dot ("" for none): the text from the last "."
// after the last "\" or "/", when at least one character follows it.
std::wstring AnalysisExtensionOf(const wchar_t* name, size_t length);
// Colour of a file name's extension (FNV-1a of the lower-case extension).
COLORREF ExtensionColor(const wchar_t* name, size_t length);
// "12 B", "1.00 KB", "3.50 MB", "1.20 GB", "2.00 TB".
std::wstring FormatSizeShort(int64_t bytes);
