// Indexing a drive that has no change journal by walking its folder tree.
#include <windows.h>

#include "core/Core.h"
#include "index/VolumeIndex.h"

namespace {
constexpr uint64_t kFirstSyntheticFrn = 0x100000;
constexpr int kMaxWalkDepth = 128;
}  // namespace

bool VolumeIndex::BuildByWalk(const std::wstring& rootArg, const std::wstring& fileSystemArg) {
    std::lock_guard<std::mutex> buildGuard(buildMutex);
    building = true;
    struct ClearBuilding {
        std::atomic<bool>& f;
        ~ClearBuilding() { f = false; }
    } clearBuilding{building};
    // Readers look at root without a lock: a rebuild leaves an equal value alone. The
    // file-system name is replaced under its own lock.
    if (&rootArg != &root && root != rootArg) root = rootArg;
    fileSystem = fileSystemArg;
    available = true;
    CloseVolume();
    releasePending = false;

    AcquireSRWLockExclusive(&indexLock);
    struct Unlock {
        SRWLOCK* l;
        ~Unlock() { ReleaseSRWLockExclusive(l); }
    } unlock{&indexLock};
    ResetContents();
    nextSyntheticFrn = kFirstSyntheticFrn;
    rootFrn = 1;
    frnToRecord.InsertExact(1, kRootMarker);
    WalkFolder(root, 1, 0);
    SignBuiltBlocks();
    const bool found = !records.empty();
    if (!found) available = false;
    return found;
}

void VolumeIndex::WalkFolder(const std::wstring& path, uint64_t parentFrn, int depth) {
    if (depth > kMaxWalkDepth || g_shuttingDown) return;
    WIN32_FIND_DATAW fd{};
    const std::wstring pattern = path + L"\\*";
    HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) return;
    struct Closer {
        HANDLE h;
        ~Closer() { FindClose(h); }
    } closer{find};
    do {
        const wchar_t* n = fd.cFileName;
        if (n[0] == L'.' && (n[1] == 0 || (n[1] == L'.' && n[2] == 0))) continue;
        const bool isDir = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        const uint64_t frn = nextSyntheticFrn.fetch_add(1);
        const size_t len = wcsnlen(n, MAX_PATH);
        FileRecord r;
        r.frn = frn;
        r.parentFrn = parentFrn;
        r.name = names.Append(n, len);
        r.nameLength = static_cast<uint16_t>(len);
        r.isDirectory = isDir ? 1 : 0;
        r.deleted = 0;
        records.push_back(r);
        frnToRecord.Insert(frn, records.size() - 1);
        // Folder links and junctions are recorded but not followed: their targets are indexed
        // where they really are, and a link to an ancestor would loop.
        if (isDir && !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            WalkFolder(path + L"\\" + std::wstring(n, len), frn, depth + 1);
    } while (!g_shuttingDown && FindNextFileW(find, &fd));
}
