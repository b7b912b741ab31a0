#include <cwchar>
#include <cwctype>
#include <unordered_map>

#include "core/Core.h"
#include "index/Index.h"
#include "search/NameSearch.h"
#include "search/SearchInternal.h"

namespace {

constexpr int kMaxWalkSteps = 64;

class Memo {
public:
    Memo() {
        map_.max_load_factor(1.0f);
        map_.reserve(4096);
    }
    // Found: *inside set; stored under the full reference and under its record number.
    bool Find(uint64_t frn, bool* inside) const {
        auto it = map_.find(frn);
        if (it == map_.end()) it = map_.find(frn & kFrnRecordMask);
        if (it == map_.end()) return false;
        *inside = it->second;
        return true;
    }
    void Store(uint64_t frn, bool inside) {
        map_[frn] = inside;
        map_[frn & kFrnRecordMask] = inside;
    }

private:
    std::unordered_map<uint64_t, bool> map_;
};

// Record index of a reference (full key, then record number); false when absent.
bool LookupRecord(const VolumeIndex& v, uint64_t frn, uint64_t* index) {
    auto it = v.frnToRecord.find(frn);
    if (it == v.frnToRecord.end()) it = v.frnToRecord.find(frn & kFrnRecordMask);
    if (it == v.frnToRecord.end()) return false;
    *index = it->second;
    return true;
}

bool SameRef(uint64_t a, uint64_t b) { return a == b || (a & kFrnRecordMask) == (b & kFrnRecordMask); }

bool Stale(uint64_t generation) { return g_shuttingDown.load() || g_searchGeneration.load() != generation; }

}  // namespace

void CollectFolderSubtree(const std::wstring& folder, const std::vector<VolumeIndex*>& volumes,
                          std::shared_ptr<std::vector<MatchItem>>& results, uint64_t generation) {
    if (!results || folder.size() < 2) return;
    VolumeIndex* v = nullptr;
    for (VolumeIndex* c : volumes) {
        if (c && c->available.load() && !c->building.load() && !c->root.empty() &&
            towupper(c->root[0]) == towupper(folder[0])) {
            v = c;
            break;
        }
    }
    if (!v) return;

    std::vector<std::wstring> components;
    size_t pos = (folder.size() > 2 && (folder[2] == L'\\' || folder[2] == L'/')) ? 3 : 2;
    while (pos < folder.size()) {
        size_t sep = folder.find_first_of(L"\\/", pos);
        if (sep == std::wstring::npos) sep = folder.size();
        if (sep > pos) components.push_back(folder.substr(pos, sep - pos));
        pos = sep + 1;
    }

    AcquireSRWLockShared(&v->indexLock);
    SharedIndexLockRelease release{&v->indexLock};

    const size_t count = v->records.size();
    uint64_t parent = v->rootFrn;
    int64_t folderIndex = -1;
    for (size_t k = 0; k < components.size(); ++k) {
        if (Stale(generation) || count == 0) return;
        const std::wstring& comp = components[k];
        const bool lastComponent = k + 1 == components.size();
        int64_t fileFound = -1;
        bool folderFound = false;
        size_t r = 0;
        for (auto it = v->records.begin(); r < count; ++it, ++r) {
            if ((r & 255) == 0 && Stale(generation)) return;
            const FileRecord& rec = *it;
            if (rec.deleted || !rec.name || rec.nameLength != comp.size()) continue;
            if (_wcsnicmp(rec.name, comp.c_str(), comp.size()) != 0) continue;
            if (!SameRef(rec.parentFrn, parent)) continue;
            if (rec.isDirectory) {
                parent = rec.frn;
                folderIndex = static_cast<int64_t>(r);
                folderFound = true;
                break;
            }
            if (lastComponent) fileFound = static_cast<int64_t>(r);
        }
        if (!folderFound) {
            if (fileFound >= 0) results->push_back(MatchItem{v, static_cast<uint32_t>(fileFound)});
            return;
        }
    }

    if (components.empty() || v->IsRootFrn(parent)) {
        size_t r = 0;
        for (auto it = v->records.begin(); r < count; ++it, ++r) {
            if ((r & 255) == 0 && Stale(generation)) return;
            if (!it->deleted) results->push_back(MatchItem{v, static_cast<uint32_t>(r)});
        }
        return;
    }

    results->push_back(MatchItem{v, static_cast<uint32_t>(folderIndex)});
    Memo memo;
    memo.Store(parent, true);
    std::vector<uint64_t> ancestors;
    ancestors.reserve(16);
    const uint64_t rootLow = v->rootFrn & kFrnRecordMask;

    size_t r = 0;
    for (auto it = v->records.begin(); r < count; ++it, ++r) {
        if ((r & 255) == 0 && Stale(generation)) return;
        const FileRecord& rec = *it;
        if (rec.deleted || static_cast<int64_t>(r) == folderIndex) continue;
        bool inside = false;
        if (memo.Find(rec.parentFrn, &inside)) {
            if (inside) {
                results->push_back(MatchItem{v, static_cast<uint32_t>(r)});
                if (rec.isDirectory) memo.Store(rec.frn, true);
            }
            continue;
        }
        ancestors.clear();
        uint64_t cur = rec.parentFrn;
        inside = false;
        for (int step = 0; step < kMaxWalkSteps; ++step) {
            bool known = false;
            if (memo.Find(cur, &known)) {
                inside = known;
                break;
            }
            if (cur == 0 || (cur & kFrnRecordMask) == rootLow) break;
            uint64_t idx = 0;
            bool mapped = LookupRecord(*v, cur, &idx);
            if (mapped && idx == kRootMarker) break;
            ancestors.push_back(cur);
            if (!mapped || idx >= count) break;
            uint64_t next = v->records[static_cast<size_t>(idx)].parentFrn;
            if (SameRef(next, cur)) break;
            cur = next;
        }
        for (uint64_t a : ancestors) memo.Store(a, inside);
        if (rec.isDirectory) memo.Store(rec.frn, inside);
        if (inside) results->push_back(MatchItem{v, static_cast<uint32_t>(r)});
    }
}
