#include <algorithm>
#include <cwchar>

#include "content/Content.h"
#include "search/ContentScanThreads.h"
#include "core/Core.h"
#include "i18n/I18n.h"
#include "index/Index.h"
#include "search/Filters.h"
#include "search/SearchInternal.h"
#include "core/Window.h"

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
        // The index folds ASCII letters only; the query's extensions have every letter folded.
        for (wchar_t c : ext)
            if (c >= 0x80) {
                ext = LowerCaseText(std::move(ext));
                break;
            }
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

void RunContentSearchBranch(const ContentSearchRequest& req, std::unique_lock<std::mutex>& engineLock) {
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
    // Volumes are never freed while the program runs and every row is checked against its volume
    // under the volume's lock, so the candidates stay usable without the engine mutex.
    engineLock.unlock();

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

    const bool complete =
        RunContentScanThreads(candidates, groups, req.query, zipExts, zipPatterns, req.generation, threads, results);
    if (!complete) {
        // Part of the candidates was never scanned: what was found is shown as an unfinished set,
        // and the title says why, never "results found".
        if (!PublishResultSet(results, req.generation, kResultsPartial, sortChange)) return;
        PostSearchStatusText(req.generation, FormatTableText(Tr(L"Status_ContentSearchIncompleteFmt",
                                                                L"\u5185\u5bb9\u641c\u7d22\u672a\u5b8c\u6210\uff1a"
                                                                L"\u626b\u63cf\u7ebf\u7a0b\u65e0\u6cd5\u542f\u52a8"
                                                                L"\uff08\u5df2\u627e\u5230 %zu \u4e2a\uff09",
                                                                L"Content search incomplete: a scan thread could not "
                                                                L"start (%zu found so far)")
                                                                 .c_str(),
                                                             results->size()));
        return;
    }
    // After every join: the shared vector itself becomes the final set.
    PublishResultSet(results, req.generation, kResultsFinal, sortChange);
}
