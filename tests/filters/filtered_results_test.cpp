// The filtered result set: the pass, its cache key (down to the very publication it filtered),
// stale passes, the visible rows, the selection reset on a filter change, and the size/date
// test's attribute sources.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "search/Search.h"
#include "support/fixture.h"
#include "volume_fixture.h"

namespace {

constexpr uint64_t kMB = 1048576;

class FilteredResults : public ::testing::Test {
protected:
    void SetUp() override {
        savedCategories_ = g_filterCategories;
        g_filterCategories = g_defaultFilterCategories;  // 2 Documents, 3 Images, 1 Folders
        Reset();
        doc50_ = vol_.Add(L"report.PDF");
        vol_.SetAttr(doc50_, 50 * kMB);
        doc200_ = vol_.Add(L"big.docx");
        vol_.SetAttr(doc200_, 200 * kMB);
        img50_ = vol_.Add(L"photo.png");
        vol_.SetAttr(img50_, 50 * kMB);
        folder_ = vol_.Add(L"Docs.pdf", true);
        deleted_ = vol_.Add(L"gone.txt");
        vol_.SetAttr(deleted_, 1);
        vol_.Delete(deleted_);
        notesDir_ = vol_.Add(L"notes.dir");
        vol_.SetAttr(notesDir_, 10);
        set_ = PublishRows({vol_.Row(doc50_), vol_.Row(doc200_), vol_.Row(img50_), vol_.Row(folder_),
                            vol_.Row(deleted_), vol_.Row(notesDir_), MatchItem{nullptr, 0}});
    }
    void TearDown() override {
        Reset();
        g_filterCategories = savedCategories_;
        PublishRows({});
    }
    static void Reset() {
        g_currentFilterCategory = 0;
        g_sizeFilterMode = 0;
        g_dateFilterMode = 0;
        g_sizeFilterUnit = 2;
        g_customSizeText = L"1-100";
        g_customSizeTextHash = 0;
        g_customDateFrom = 0;
        g_customDateTo = 0;
        ++g_filterGeneration;  // any pass still running is stale
        ResetFilteredResultsCache();
        ClearSelection();
    }
    FilterPassSnapshot Snapshot(int category) {
        FilterPassSnapshot s;
        s.generation = ++g_filterGeneration;
        s.results = set_;
        s.category = category;
        if (category > 0) {
            s.categoryExts = g_filterCategories[category].exts;
            s.categoryIsFolder = CategoryIsFolder(g_filterCategories[category]);
        }
        s.sizeMode = g_sizeFilterMode;
        s.dateMode = g_dateFilterMode;
        s.sizeUnit = g_sizeFilterUnit;
        s.sizeText = g_customSizeText;
        s.sizeTextHash = g_customSizeTextHash;
        s.dateFrom = g_customDateFrom;
        s.dateTo = g_customDateTo;
        return s;
    }
    // Waits for the background pass of RefreshFilteredResultsAsync to publish.
    static std::shared_ptr<std::vector<MatchItem>> WaitForFilteredSet() {
        for (int i = 0; i < 500; ++i) {
            {
                std::lock_guard<std::mutex> lock(g_filteredResultsMutex);
                if (g_filteredResults) return g_filteredResults;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return nullptr;
    }

    TestVolume vol_;
    uint32_t doc50_ = 0, doc200_ = 0, img50_ = 0, folder_ = 0, deleted_ = 0, notesDir_ = 0;
    std::shared_ptr<std::vector<MatchItem>> set_;
    std::vector<FilterCategory> savedCategories_;
};

}  // namespace

TEST_F(FilteredResults, CategoryAndCustomSizeTogether) {
    g_sizeFilterMode = 4;  // 1-100 MB
    g_currentFilterCategory = 2;
    auto out = RunFilterPass(Snapshot(2));
    ASSERT_TRUE(out);
    EXPECT_EQ(std::vector<uint32_t>{doc50_}, RecordIndices(*out));
    EXPECT_EQ(1, g_visibleResultCount.load());

    // Without a size filter: both documents; deleted records and folders are left out.
    g_sizeFilterMode = 0;
    out = RunFilterPass(Snapshot(2));
    ASSERT_TRUE(out);
    EXPECT_EQ((std::vector<uint32_t>{doc50_, doc200_}), RecordIndices(*out));
}

TEST_F(FilteredResults, FolderCategoryShowsFoldersOnlyAndNothingUnderASizeFilter) {
    g_currentFilterCategory = 1;
    auto out = RunFilterPass(Snapshot(1));
    ASSERT_TRUE(out);
    EXPECT_EQ(std::vector<uint32_t>{folder_}, RecordIndices(*out));  // notes.dir is a file
    g_sizeFilterMode = 1;
    out = RunFilterPass(Snapshot(1));
    ASSERT_TRUE(out);
    EXPECT_TRUE(out->empty());
}

TEST_F(FilteredResults, SizeFilterAloneKeepsFilesOnly) {
    g_sizeFilterMode = 1;  // < 1MB
    auto out = RunFilterPass(Snapshot(0));
    ASSERT_TRUE(out);
    EXPECT_EQ(std::vector<uint32_t>{notesDir_}, RecordIndices(*out));
}

TEST_F(FilteredResults, StalePassPublishesNothing) {
    g_currentFilterCategory = 2;
    FilterPassSnapshot old = Snapshot(2);
    ++g_filterGeneration;  // a newer call
    EXPECT_FALSE(RunFilterPass(old));
    std::lock_guard<std::mutex> lock(g_filteredResultsMutex);
    EXPECT_FALSE(g_filteredResults);
}

TEST_F(FilteredResults, PassOvertakenByACategoryChangeIsDropped) {
    g_currentFilterCategory = 3;
    EXPECT_FALSE(RunFilterPass(Snapshot(2)));  // the pass was for Documents
}

TEST_F(FilteredResults, VisibleRowsFollowTheCacheKey) {
    // No filter: the published set itself.
    EXPECT_EQ(set_, GetVisibleResults());
    EXPECT_EQ(7, g_visibleResultCount.load());

    // A filter without a matching set: the unfiltered rows meanwhile.
    g_currentFilterCategory = 2;
    EXPECT_EQ(set_, GetVisibleResults());
    auto filtered = RunFilterPass(Snapshot(2));
    ASSERT_TRUE(filtered);
    EXPECT_EQ(filtered, GetVisibleResults());
    EXPECT_EQ(2, g_visibleResultCount.load());

    // A change of a setting misses the cache.
    g_sizeFilterUnit = 1;
    EXPECT_EQ(set_, GetVisibleResults());
    g_sizeFilterUnit = 2;
    EXPECT_EQ(filtered, GetVisibleResults());

    // A new publication misses the cache, even with the same settings.
    auto newer = PublishRows(*set_);
    EXPECT_EQ(newer, GetVisibleResults());
}

TEST_F(FilteredResults, KeyNeverMatchesANewSetAtAFreedSetsAddress) {
    g_currentFilterCategory = 2;
    ASSERT_TRUE(RunFilterPass(Snapshot(2)));
    // The source set goes away and a new one is published; the allocator may hand the new
    // vector the old address. Simulate exactly that: the key's address now equals the new set.
    auto newer = PublishRows(*set_);
    set_.reset();
    {
        std::lock_guard<std::mutex> lock(g_filteredResultsMutex);
        g_filteredResultsKey.source = static_cast<const void*>(newer.get());
    }
    EXPECT_EQ(newer, GetVisibleResults());  // the stale filtered set is not shown
}

TEST_F(FilteredResults, RefreshWithoutFilterPostsAndResets) {
    g_currentFilterCategory = 2;
    ASSERT_TRUE(RunFilterPass(Snapshot(2)));
    g_currentFilterCategory = 0;
    const uint64_t gen = g_filterGeneration.load();
    RefreshFilteredResultsAsync();
    EXPECT_EQ(gen + 1, g_filterGeneration.load());
    std::lock_guard<std::mutex> lock(g_filteredResultsMutex);
    EXPECT_FALSE(g_filteredResults);
    EXPECT_EQ(-1, g_filteredResultsKey.category.load());
    EXPECT_EQ(7, g_visibleResultCount.load());
}

TEST_F(FilteredResults, SecondRefreshWithUnchangedSettingsHitsTheCache) {
    g_currentFilterCategory = 2;
    RefreshFilteredResultsAsync();
    auto first = WaitForFilteredSet();
    ASSERT_TRUE(first);
    EXPECT_EQ((std::vector<uint32_t>{doc50_, doc200_}), RecordIndices(*first));
    RefreshFilteredResultsAsync();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(first, WaitForFilteredSet());  // the very same set: no new pass
    EXPECT_EQ(2, g_visibleResultCount.load());
}

TEST_F(FilteredResults, AFilterChangeClearsTheSelectionAtOnce) {
    SelectRowRange(0);
    SelectRowRange(4);
    g_caretRow = 4;
    g_currentFilterCategory = 3;
    RefreshFilteredResultsAsync();
    // Until the new set is built the list shows the unfiltered rows; nothing of the old
    // selection may reach a command (Delete above all).
    EXPECT_TRUE(g_selectedRows.empty());
    EXPECT_EQ(-1, g_caretRow);
    EXPECT_TRUE(GetSelectedMatchItems().empty());
    ASSERT_TRUE(WaitForFilteredSet());
}

TEST_F(FilteredResults, SelectedItemsComeFromTheVisibleSet) {
    SelectSingleRow(2);
    ToggleRowSelection(0);
    auto items = GetSelectedMatchItems();
    ASSERT_EQ(2u, items.size());
    EXPECT_EQ(doc50_, items[0].recordIndex);
    EXPECT_EQ(img50_, items[1].recordIndex);
    ClearSelection();
    g_caretRow = 5;
    ASSERT_EQ(1u, GetSelectedMatchItems().size());
    g_caretRow = 12;
    EXPECT_TRUE(GetSelectedMatchItems().empty());
}

TEST_F(FilteredResults, AttributeSourcesOfTheSizeAndDateTest) {
    SizeDateFilterParams p;
    p.sizeMode = 1;  // < 1MB
    const uint32_t mapOnly = vol_.Add(L"map.bin");
    vol_.SetMapSize(mapOnly, 10);
    const uint32_t unknown = vol_.Add(L"cold.bin");
    const uint64_t before = g_hydrateCalls.load();
    // A size from the size map is used without reading the file.
    EXPECT_TRUE(FilterPassesSizeDate(p, vol_.Row(mapOnly), false, vol_.Frn(mapOnly)));
    EXPECT_EQ(before, g_hydrateCalls.load());
    // Nothing cached: the record is filled.
    FilterPassesSizeDate(p, vol_.Row(unknown), false, vol_.Frn(unknown));
    EXPECT_EQ(before + 1, g_hydrateCalls.load());
    // A folder never passes an active size or date filter.
    EXPECT_FALSE(FilterPassesSizeDate(p, vol_.Row(folder_), true, vol_.Frn(folder_)));
    // A date filter with a cached entry without times fills the times.
    p.sizeMode = 0;
    p.dateMode = 4;
    p.customDateValid = true;
    p.customStart = 0;
    p.customEnd = ~0ull;
    vol_.SetAttr(doc50_, 50 * kMB, 0, 0);
    const std::wstring drive = testfx::FixtureDrive(L'T');
    ASSERT_FALSE(drive.empty());
    EXPECT_FALSE(FilterPassesSizeDate(p, vol_.Row(doc50_), false, vol_.Frn(doc50_)));  // no file: fails
    EXPECT_EQ(before + 2, g_hydrateCalls.load());
    ASSERT_TRUE(testfx::WriteFileBytes(drive + L"report.PDF", "pdf"));
    EXPECT_TRUE(FilterPassesSizeDate(p, vol_.Row(doc50_), false, vol_.Frn(doc50_)));
    EXPECT_EQ(before + 3, g_hydrateCalls.load());
}
