// The text sort of the Name, Type and Path columns: one pass over the rows takes each live row's
// text, then the texts are sorted.
#include <string>

#include "core/Core.h"
#include "index/Index.h"
#include "results/Results.h"
#include "search/Search.h"
#include "search/SortKeys.h"

namespace {
// Rows read under one shared index lock at most.
constexpr size_t kTextLockRun = 4096;
}  // namespace

bool IsSortRequestCurrent(const SortRequest& r) {
    return g_searchGeneration.load() == r.generation && !g_shuttingDown.load();
}

// Name, Type and Path: one pass over the published rows drops the rows whose record is gone
// (index past the end, or deleted) and takes each remaining row's text, reading the records in
// runs of one volume under one shared index lock; then the texts are sorted.
bool SortRowsByText(const SortRequest& req, const std::vector<MatchItem>& rows, std::vector<MatchItem>& out) {
    const int column = req.column;
    NameSortTexts texts(rows);
    // Generous: reserved room costs nothing until it is written.
    texts.Reserve(rows.size(), column == 6 ? rows.size() * 96 : rows.size() * 24);
    std::wstring scratch;
    size_t i = 0;
    while (i < rows.size()) {
        if (!IsSortRequestCurrent(req)) return false;
        VolumeIndex* v = rows[i].volume;
        if (!v) {
            ++i;
            continue;
        }
        size_t end = i;
        AcquireSRWLockShared(&v->indexLock);
        const size_t count = v->records.size();
        while (end < rows.size() && end - i < kTextLockRun && rows[end].volume == v) {
            const MatchItem& item = rows[end];
            if (item.recordIndex < count && v->records[item.recordIndex].deleted == 0) {
                const auto& rec = v->records[item.recordIndex];
                const wchar_t* name = rec.name ? rec.name : L"";
                const size_t nameLength = rec.name ? rec.nameLength : 0;
                if (column == 1) {
                    texts.Add(static_cast<uint32_t>(end), name, nameLength);
                } else {
                    if (column == 5)
                        scratch = GetLowerExtension(rec.isDirectory != 0, std::wstring(name, nameLength));
                    else
                        scratch = v->BuildFullPath(item.recordIndex, nullptr);
                    texts.Add(static_cast<uint32_t>(end), scratch.c_str(), scratch.size());
                }
            }
            ++end;
        }
        ReleaseSRWLockShared(&v->indexLock);
        i = end;
    }
    if (!IsSortRequestCurrent(req)) return false;
    texts.SortInto(SortComparatorState{column, req.ascending}, out);
    return true;
}
