#pragma once
// Filter categories (filters.ini), size and date filters, the filtered result set, visible rows
// and selection, and sorting (the filter bar is in results/FilterBar.h). Included by the umbrella header search/Search.h.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

struct MatchItem;
class VolumeIndex;

// ---------------------------------------------------------------------------------------------
// Filter categories and filters.ini
// ---------------------------------------------------------------------------------------------

struct FilterCategory {
    std::wstring name;               // stored display name
    std::vector<std::wstring> exts;  // lower case, leading "."; ".dir"/".folder" mark folders
};

// Upper bound of categories taken from one file: one button per category, control ids 200..1199.
inline constexpr size_t kMaxFilterCategories = 1000;

extern std::vector<FilterCategory> g_defaultFilterCategories;  // built-in list, Chinese names
extern std::vector<FilterCategory> g_filterCategories;         // active list (UI thread)
// Position of the current category in g_filterCategories; read by the filter pass thread.
extern std::atomic<int> g_currentFilterCategory;

std::wstring GetFiltersPath();
std::wstring GetDefaultFiltersPath();
bool ParseFilterLine(const std::wstring& line, FilterCategory& out);
// What a read of a filters file found.
enum class FilterFileState {
    kUnreadable,    // missing, a folder, or it cannot be opened
    kNoCategories,  // text without a category line (empty, comments only)
    kWhole,         // categories, every line read whole
    kCutShort,      // categories, but the file ends in the middle of a line (or is too long)
    kDamaged,       // not text: bytes that are not UTF-8 (or UTF-16LE after its mark), control
                    // characters, or an entry that no file name can end with
};
// True when the file yielded at least one category and is not damaged (out replaced; a file cut
// short counts, *state tells it). False leaves out untouched; a damaged file is logged.
bool ReadFilterCategories(const std::wstring& path, std::vector<FilterCategory>& out,
                          FilterFileState* state = nullptr);
// Replaces the file through a temporary file; false when nothing could be written.
bool WriteFilterCategories(const std::wstring& path, const std::vector<FilterCategory>& list);
void ResetFilterCategoriesToDefaults();
std::vector<FilterCategory> BuildLocalizedDefaultFilters();
bool FilterCategoriesEqual(const std::vector<FilterCategory>& a,
                           const std::vector<FilterCategory>& b);
bool CategoryIsFolder(const FilterCategory& category);
bool IsFolderCategory(int index);
bool MatchesFilterCategory(const wchar_t* fileName, int index);
// The file rule against an explicit entry list (the filter pass works on a copy of the entries).
bool FileNameMatchesExtensions(const wchar_t* fileName, const std::vector<std::wstring>& exts);
FilterCategory MakeFolderCategory();
bool EnsureFolderCategory(std::vector<FilterCategory>& list);
// The start-up load. A damaged or cut file is never copied to filters.bak: it is set aside as
// "<file>.damaged" and rewritten from a whole backup; without one a damaged file counts as
// absent (the next source, at last the defaults) and is set aside before anything is written in
// its place.
void InitFilterCategories();

// The filter step of a language change: reloads g_filterCategories for the new language and
// asks the user (owner window) when their filters.ini differs from the new defaults. Returns
// true when the counts should be refreshed (every case but "filters.ini equals the defaults").
bool ReloadFilterCategoriesForLanguage(HWND owner);

// Seam for the conflict question of a language change: returns IDYES, IDNO, IDCANCEL (or any
// other value for a closed box). Defaults to a MessageBoxW with MB_YESNOCANCEL|MB_ICONQUESTION.
using FilterConflictQuestionFn = int (*)(HWND owner, const std::wstring& text,
                                         const std::wstring& title);
extern FilterConflictQuestionFn g_filterConflictQuestion;

// ---------------------------------------------------------------------------------------------
// Size and date filters
// ---------------------------------------------------------------------------------------------

enum SizeFilterMode : int {
    kSizeFilterAll = 0, kSizeFilterUnder1MB = 1, kSizeFilter1To100MB = 2, kSizeFilterOver100MB = 3, kSizeFilterCustom = 4
};
enum DateFilterMode : int {
    kDateFilterAll = 0, kDateFilterToday = 1, kDateFilter7Days = 2, kDateFilter30Days = 3, kDateFilterCustom = 4
};
extern int g_sizeFilterMode;   // 0 all, 1 "< 1MB", 2 "1~100MB", 3 "> 100MB", 4 custom
extern int g_dateFilterMode;   // 0 all, 1 today, 2 7 days, 3 30 days, 4 custom
extern int g_sizeFilterUnit;   // 0 B, 1 KB, 2 MB, 3 GB
extern std::wstring g_customSizeText;
extern std::atomic<uint32_t> g_customSizeTextHash;
extern int g_customDateFrom;   // yyyymmdd
extern int g_customDateTo;     // yyyymmdd

// The size and date filter controls of the main window (null until it creates them; UI thread).
extern HWND g_hSizeFilterCombo;
extern HWND g_hDateFilterCombo;
extern HWND g_hSizeUnitCombo;
extern HWND g_hCustomSizeEdit;
extern HWND g_hDateRangeHintEdit;
extern HWND g_hDateFromPicker;
extern HWND g_hDateToPicker;

struct SizeDateFilterParams {
    int sizeMode = 0;
    int dateMode = 0;
    bool useCreationTime = false;
    bool customSizeValid = false;
    int64_t customMin = -1;
    int64_t customMax = -1;
    uint64_t now = 0;
    uint64_t todayStart = 0;
    // Custom date range. pickersValid: the two pickers gave dates (the filtered view lets no
    // file pass without them). customDateValid: both days converted to the UTC bounds below.
    bool pickersValid = false;
    SYSTEMTIME pickerFrom{};
    SYSTEMTIME pickerTo{};
    bool customDateValid = false;
    uint64_t customStart = 0;
    uint64_t customEnd = 0;
    // What an unusable custom range does: false = no file passes (filtered view), true = every
    // file passes (content-search candidates, button counts).
    bool invalidCustomDatePasses = false;
};

// Clock and time-zone seam (tests replace it with a fixed clock and zone).
struct FilterTimeSource {
    void (*systemTimeNow)(FILETIME* out);
    void (*localTimeNow)(SYSTEMTIME* out);
    BOOL (*localToUtc)(const SYSTEMTIME* local, SYSTEMTIME* utc);
};
extern FilterTimeSource g_filterTimeSource;

int64_t SizeUnitMultiplier(int unit);
void StripParenthesized(std::wstring& s);
bool ParseSizeRangeText(const std::wstring& text, int unit, int64_t& outMin, int64_t& outMax);
// Rejects values before 1970, months outside 1..12 and days that the month does not have.
bool ParseFilterDateInt(int yyyymmdd, SYSTEMTIME& out);
int SystemTimeToYyyymmdd(const SYSTEMTIME& st);
// Local first day 00:00:00.000 to local last day 23:59:59.999 (swapped when reversed), in UTC.
bool LocalDayRangeToUtc(SYSTEMTIME first, SYSTEMTIME last, uint64_t& start, uint64_t& end);
// The size and date modes of the settings, the sort's time column, and the custom size range
// parsed from sizeText in the current unit (customSizeValid tells whether it parsed).
SizeDateFilterParams SizeDateFilterModes(const std::wstring& sizeText);
// Fills now and todayStart from the time source (todayStart only for the Today mode).
void FillFilterClock(SizeDateFilterParams& p);
// Fills the custom range from the two picker dates (sets customDateValid).
void PrepareCustomDateRange(SizeDateFilterParams& p);
bool SizePassesFilter(const SizeDateFilterParams& p, int64_t size);
bool TimePassesFilter(const SizeDateFilterParams& p, uint64_t t);
FILETIME U64ToFileTime(uint64_t v);
uint64_t FileTimeToU64(const FILETIME& ft);

bool FilterPassesSizeDate(const SizeDateFilterParams& p, const MatchItem& item, bool isFolder,
                          uint64_t fileReference);
bool SearchPassesSizeDateFilter(const SizeDateFilterParams& p, VolumeIndex* volume,
                                uint32_t recordIndex);
// Snapshot of the settings for the content-search candidates; call it on the UI thread when
// the search starts (before its task).
SizeDateFilterParams BuildSearchSizeDateFilterParams();

// ---------------------------------------------------------------------------------------------
// Filtered results
// ---------------------------------------------------------------------------------------------

struct FilteredResultsKey {
    std::atomic<int> category{-1};
    std::atomic<int> sizeMode{-1};
    std::atomic<int> dateMode{-1};
    std::atomic<int> sizeUnit{-1};
    std::atomic<uint32_t> sizeTextHash{0};
    std::atomic<int> dateFrom{-1};
    std::atomic<int> dateTo{-1};
    std::atomic<const void*> source{nullptr};
    // The set that was filtered, held weakly under g_filteredResultsMutex: the cache matches only
    // the very same publication, never a newer set that happens to reuse the freed address.
    std::weak_ptr<std::vector<MatchItem>> sourceRef;
};

extern std::atomic<uint64_t> g_filterGeneration;
extern std::shared_ptr<std::vector<MatchItem>> g_filteredResults;
extern std::mutex g_filteredResultsMutex;
extern FilteredResultsKey g_filteredResultsKey;

// Everything one filter pass works from, taken on the UI thread.
struct FilterPassSnapshot {
    uint64_t generation = 0;
    std::shared_ptr<std::vector<MatchItem>> results;
    int category = 0;
    std::vector<std::wstring> categoryExts;  // copy of the category's entries
    bool categoryIsFolder = false;
    int sizeMode = 0;
    int dateMode = 0;
    int sizeUnit = 2;
    std::wstring sizeText;
    uint32_t sizeTextHash = 0;
    int dateFrom = -1;
    int dateTo = -1;
    bool pickersValid = false;
    SYSTEMTIME pickerFrom{};
    SYSTEMTIME pickerTo{};
    bool useCreationTime = false;
};

bool IsAnyFilterActive();
// Resets g_filteredResults and its key under g_filteredResultsMutex.
void ResetFilteredResultsCache();
void RefreshFilteredResultsAsync();
// The body of "refresh_filtered_results": builds and (when still current) publishes the set.
// Returns the built set, or null when the pass became stale.
std::shared_ptr<std::vector<MatchItem>> RunFilterPass(const FilterPassSnapshot& snap);

// ---------------------------------------------------------------------------------------------
// Visible rows and selection
// ---------------------------------------------------------------------------------------------

extern std::unordered_set<int64_t> g_selectedRows;
extern int64_t g_caretRow;
extern int64_t g_anchorRow;

std::shared_ptr<std::vector<MatchItem>> GetVisibleResults();
void ClearSelection();
bool IsRowSelected(int64_t row);
void SelectSingleRow(int64_t row);
void ToggleRowSelection(int64_t row);
void SelectRowRange(int64_t row);
std::vector<int64_t> GetSelectedRowIndices(int64_t rowCount);
std::vector<MatchItem> GetSelectedMatchItems();

// ---------------------------------------------------------------------------------------------
// Sorting
// ---------------------------------------------------------------------------------------------

extern std::atomic<uint64_t> g_lastSortCacheSaveTick;
// Test seam: the next n starts of a hydration thread fail as if no thread could be created.
extern std::atomic<int> g_sortThreadStartFailures;

struct SortRequest {
    uint64_t generation = 0;
    int column = 0;
    bool reverseOnly = false;
    bool ascending = true;
};

struct SortComparatorState {
    int column = 1;
    bool ascending = true;
};

// Type column text: "" for a folder, a name without '.', or a name ending in '.'; else the text
// from the last '.' (included) lower-cased with towlower.
std::wstring GetLowerExtension(bool isDirectory, const std::wstring& name);

void DoSortAsync(int column, bool keepDirection);
// The body of "do_sort".
void RunSortRequest(const SortRequest& request);
MatchItem* RemoveStaleResultRefs(MatchItem* first, MatchItem* last);
void BuildSortKeys(std::vector<MatchItem>& rows, int column, bool ascending);
// Hydration thread count for h hardware threads: h/2 clamped to 2..6 (2 when h is 0).
unsigned SortHydrateThreadCount(unsigned hardwareThreads);
