// Size and date filters: the size/date test of one record for the filtered view and for the
// content-search candidates, with the attribute sources it uses.
#include "core/Core.h"
#include "index/Index.h"
#include "search/FiltersInternal.h"
#include "search/Search.h"

namespace {

uint64_t ChosenTime(const SizeDateFilterParams& p, const FileAttrInfo& info) {
    return p.useCreationTime ? AttrTimeU64(info.creation) : AttrTimeU64(info.lastWrite);
}

// Attributes of one file for the size/date test: the cached entry, else the size map (size
// filter only), else the record is filled from the disk. False when none can be had.
bool GetFilterAttributes(const SizeDateFilterParams& p, VolumeIndex* volume, uint32_t recordIndex,
                         uint64_t frn, FileAttrInfo& info) {
    info = FileAttrInfo{};
    bool found = false;
    AcquireSRWLockShared(&volume->attrCacheLock);
    auto it = volume->attrCache.find(frn);
    if (it != volume->attrCache.end()) {
        info = it->second;
        found = info.valid;
    }
    ReleaseSRWLockShared(&volume->attrCacheLock);
    if (found) {
        if (p.dateMode == 0 || ChosenTime(p, info) != 0) return true;
        HydrateRecordAttributes(volume, recordIndex, &info, true);
        return info.valid;
    }
    info = FileAttrInfo{};
    if (p.dateMode == 0) {
        SizePair sp{};
        if (volume->LookupFileSize(frn, &sp)) {
            info.size = static_cast<decltype(info.size)>(sp.size);
            info.valid = true;
            return true;
        }
        HydrateRecordAttributes(volume, recordIndex, &info, false);
    } else {
        HydrateRecordAttributes(volume, recordIndex, &info, true);
    }
    return info.valid;
}

bool AttributesPass(const SizeDateFilterParams& p, VolumeIndex* volume, uint32_t recordIndex,
                    uint64_t frn) {
    FileAttrInfo info{};
    if (!GetFilterAttributes(p, volume, recordIndex, frn, info)) return false;
    if (!SizePassesFilter(p, static_cast<int64_t>(info.size))) return false;
    return TimePassesFilter(p, ChosenTime(p, info));
}

}  // namespace

bool FilterPassesSizeDate(const SizeDateFilterParams& p, const MatchItem& item, bool isFolder,
                          uint64_t fileReference) {
    if (p.sizeMode == 0 && p.dateMode == 0) return true;
    if (isFolder || !item.volume) return false;
    return AttributesPass(p, item.volume, item.recordIndex, fileReference);
}

bool SearchPassesSizeDateFilter(const SizeDateFilterParams& p, VolumeIndex* volume, uint32_t recordIndex) {
    if (p.sizeMode == 0 && p.dateMode == 0) return true;
    if (!volume) return false;
    uint64_t frn = 0;
    bool ok = false;
    AcquireSRWLockShared(&volume->indexLock);
    if (recordIndex < volume->records.size()) {
        frn = volume->records[recordIndex].frn;
        ok = true;
    }
    ReleaseSRWLockShared(&volume->indexLock);
    if (!ok) return false;
    return AttributesPass(p, volume, recordIndex, frn);
}

SizeDateFilterParams SizeDateFilterModes(const std::wstring& sizeText) {
    SizeDateFilterParams p;
    p.sizeMode = g_sizeFilterMode;
    p.dateMode = g_dateFilterMode;
    p.useCreationTime = g_sortColumn == 4;
    if (p.sizeMode == 4) {
        int64_t mn = -1, mx = -1;
        p.customSizeValid = ParseSizeRangeText(sizeText, g_sizeFilterUnit, mn, mx);
        if (p.customSizeValid) {
            p.customMin = mn;
            p.customMax = mx;
        }
    }
    return p;
}

SizeDateFilterParams BuildSearchSizeDateFilterParams() {
    SizeDateFilterParams p = SizeDateFilterModes(g_customSizeText);
    FillFilterClock(p);
    p.invalidCustomDatePasses = true;
    if (p.dateMode == 4 && g_customDateFrom > 0 && g_customDateTo > 0 &&
        ParseFilterDateInt(g_customDateFrom, p.pickerFrom) && ParseFilterDateInt(g_customDateTo, p.pickerTo)) {
        p.pickersValid = true;
        PrepareCustomDateRange(p);
    }
    return p;
}
