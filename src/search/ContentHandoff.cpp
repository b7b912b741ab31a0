#include <algorithm>
#include <cwchar>

#include "content/Content.h"
#include "core/Core.h"
#include "i18n/I18n.h"
#include "index/Index.h"
#include "search/Filters.h"
#include "search/SearchInternal.h"
#include "shell/Shell.h"

namespace {

// Candidate files of the scope whose extension is one of the query's. False: stale.
bool CollectContentCandidates(const ContentSearchRequest& req, std::vector<MatchItem>& out) {
    std::wstring ext;
    return ForEachLiveRecord(req.volumes, req.volumePosition, req.generation,
                             [&](VolumeIndex& v, size_t r, const FileRecord& rec) {
        if (rec.isDirectory || !rec.name || rec.nameLength == 0) return;
        const wchar_t* lower = rec.name + rec.nameLength + 1;
        const wchar_t* dot = nullptr;
        for (size_t k = rec.nameLength; k-- > 0;)
            if (lower[k] == L'.') {
                dot = lower + k;
                break;
            }
        if (!dot) return;
        ext.assign(dot, lower + rec.nameLength);
        if (std::find(req.query.exts.begin(), req.query.exts.end(), ext) == req.query.exts.end()) return;
        if (req.scope == 1) {
            bool reachedRoot = false;
            std::wstring path = v.BuildFullPath(r, &reachedRoot);
            if (!reachedRoot || !IsPathUnderBase(path, req.desktop)) return;
        }
        out.push_back(MatchItem{&v, static_cast<uint32_t>(r)});
    });
}

}  // namespace

void RunContentSearchBranch(const ContentSearchRequest& req) {
    const SortStateChange sortChange = req.keepSort ? SortStateChange::None : SortStateChange::ResetColumn;
    LoadContentZipSettings();
    std::vector<std::wstring> zipExts;
    std::vector<std::string> zipPatterns;
    AcquireSRWLockShared(&g_contentZipSettingsLock);
    zipExts = g_contentZipExts;
    zipPatterns = g_contentZipPatterns;
    ReleaseSRWLockShared(&g_contentZipSettingsLock);

    std::vector<MatchItem> candidates;
    if (!CollectContentCandidates(req, candidates)) return;

    if (!candidates.empty() && (req.filter.sizeMode != 0 || req.filter.dateMode != 0)) {
        std::vector<MatchItem> kept;
        kept.reserve(candidates.size());
        for (const MatchItem& c : candidates) {
            if (!IsSearchCurrent(req.generation)) return;
            if (SearchPassesSizeDateFilter(req.filter, c.volume, c.recordIndex)) kept.push_back(c);
        }
        candidates = std::move(kept);
    }

    auto results = std::make_shared<std::vector<MatchItem>>();
    results->reserve(8192);
    if (candidates.empty()) {
        if (!IsSearchCurrent(req.generation)) return;
        PostSearchStatusText(req.generation,
                             Tr(L"Status_ContentSearchNoCandidates",
                                L"\u7b5b\u9009\u540e\u6ca1\u6709\u53ef\u626b\u63cf\u7684\u6587\u4ef6\u3002",
                                L"No candidate files after filters."));
        PublishResultSet(results, req.generation, kResultsFinal, sortChange);
        return;
    }
    if (!IsSearchCurrent(req.generation)) return;

    const std::vector<EncodedTermGroup> groups = EncodeTermGroups(req.query.termGroups);
    SYSTEM_INFO si{};
    GetNativeSystemInfo(&si);
    const uint32_t threads =
        ChooseContentThreadCount(g_contentSearchThreads.load(), si.dwNumberOfProcessors, candidates.size());

    std::wstring status = FormatTableText(
        Tr(L"Status_FilteredFilesStartScanFmt",
           L"\u5df2\u8fc7\u6ee4 %zu \u4e2a\u6587\u672c\u6587\u4ef6\uff0c\u5f00\u59cb\u8bfb\u53d6\u5185\u5bb9...\uff08Esc "
           L"\u53ef\u53d6\u6d88\uff09",
           L"Filtered %zu files, scanning... (Esc to cancel)")
            .c_str(),
        candidates.size());
    if (status.size() > 255) status.resize(255);
    PostSearchStatusText(req.generation, status);

    RunContentScanThreads(candidates, groups, req.query, zipExts, zipPatterns, req.generation, threads, results);

    // After every join: the shared vector itself becomes the final set.
    PublishResultSet(results, req.generation, kResultsFinal, sortChange);
}
