#pragma once
// What the user does with result rows: the result commands (open, reveal, run as administrator,
// properties, copy paths, copy and cut files, recycle, delete), deleting files, the clipboard
// file list and the drag source, the Explorer context menu and the inline rename.
// Everything here runs on the UI thread.
#include <windows.h>
#include <objidl.h>
#include <oleidl.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "results/Results.h"
#include "search/ResultSet.h"

// ---------------------------------------------------------------------------------------------
// Result commands
// ---------------------------------------------------------------------------------------------

// Runs one command on the current selection (the caret row when nothing is selected).
void ExecuteResultCommand(ResultCommand command);
// Takes deleted paths out of the shown results (content queries) or runs the search again.
void RemoveDeletedFromResults(const std::vector<std::wstring>& deleted);
// Explorer with the item selected; falls back to opening its folder.
void RevealInExplorer(const std::wstring& path);
void ShowFileProperties(const std::wstring& path);
// Opens at most kMaxOpenAtOnce paths (entries beyond are ignored).
void OpenFiles(HWND owner, const std::vector<std::wstring>& paths);
inline constexpr size_t kMaxOpenAtOnce = 20;
// The text as CF_UNICODETEXT; false when nothing was put on the clipboard.
bool CopyTextToClipboard(const std::wstring& text);
std::wstring JoinLinesCrLf(const std::vector<std::wstring>& lines);
// True when the keyboard focus is on an edit, combo box or date picker other than the window.
bool IsFocusInTextInput(HWND mainWindow);
// Full paths of the selected rows in selection order (rows that cannot be resolved left out).
std::vector<std::wstring> GetSelectedResultPaths();

// Scroll position kept across the search that follows a deletion.
extern std::atomic<int64_t> g_restoreScrollY;
extern std::atomic<bool> g_restoreScrollPending;

// Message boxes of the file actions go through this function (a test can answer them).
using FileActionMessageBoxFn = int (*)(HWND owner, const std::wstring& text, const std::wstring& title,
                                       UINT type);
void SetFileActionMessageBox(FileActionMessageBoxFn fn);  // null restores MessageBoxW
int FileActionMessageBox(HWND owner, const std::wstring& text, const std::wstring& title, UINT type);

// ---------------------------------------------------------------------------------------------
// Deleting files
// ---------------------------------------------------------------------------------------------

// One file or empty folder without the shell. Read-only, hidden and system bits are cleared
// first and put back when the delete fails.
[[nodiscard]] bool DeletePathDirect(const std::wstring& path);
[[nodiscard]] bool DeleteWithShFileOperation(const std::wstring& path, bool recycle);
[[nodiscard]] bool DeleteWithFileOperation(const std::wstring& path, bool recycle);

// The ways of removing one path the fallback orders use (a test can replace them).
struct DeleteMethods {
    bool (*direct)(const std::wstring& path) = nullptr;
    bool (*shellOperation)(const std::wstring& path, bool recycle) = nullptr;
    bool (*fileOperation)(const std::wstring& path, bool recycle) = nullptr;
};
void SetDeleteMethods(const DeleteMethods* methods);  // null restores the real ones

// True when nothing exists at the path any more.
bool PathIsGone(const std::wstring& path);
// The recycle order: the shell object, then SHFileOperationW; never a permanent delete.
bool RecyclePath(const std::wstring& path);
// The permanent order: direct, SHFileOperationW, the shell object, direct again.
bool DeletePathPermanently(const std::wstring& path);

struct DeleteOutcome {
    std::vector<std::wstring> deleted;  // paths that are gone, in input order
    size_t failed = 0;                  // paths that still exist (or were empty)
    bool refused = false;               // the user said No to a question
};
// The question before a permanent deletion (the path when there is one, else the count); true
// when the user answered Yes.
bool ConfirmPermanentDelete(const std::vector<std::wstring>& paths);
// Asks (permanent deletion, unless the caller has asked with ConfirmPermanentDelete: asked),
// deletes with the order of its kind, reports failures. Paths the Recycle Bin does not take are
// deleted for good only when the user agrees (No is the default).
// What a caller may look at while DeletePaths works:
struct DeleteStepHooks {
    // Each path right before it is recycled or deleted for good (false leaves that path where it
    // is; it counts as refused), and right after each such try whether it went.
    std::function<bool(const std::wstring& path)> before;
    std::function<void(const std::wstring& path, bool gone)> after;
    // The paths the Recycle Bin did not take, right before they are deleted for good, after the
    // user's Yes to the question that follows; false deletes none of them (they count as refused).
    std::function<bool(const std::vector<std::wstring>& paths)> beforePermanent;
};
DeleteOutcome DeletePaths(const std::vector<std::wstring>& paths, bool recycle, bool asked = false,
                          const DeleteStepHooks& steps = {});
// The same, returning the deleted paths (the duplicate and analysis views update from them).
std::vector<std::wstring> DeleteFilesWithConfirm(const std::vector<std::wstring>& paths, bool recycle);

// ---------------------------------------------------------------------------------------------
// Clipboard file lists and the drag source
// ---------------------------------------------------------------------------------------------

// The bytes of a CF_HDROP block for the paths (20-byte header, wide list, double NUL).
std::vector<uint8_t> BuildHDropBytes(const std::vector<std::wstring>& paths);
// The same in a new GMEM_MOVEABLE block; null when it cannot be allocated.
HGLOBAL MakeHDropBlock(const std::vector<std::wstring>& paths);
HGLOBAL MakeDropEffectBlock(DWORD effect);
UINT PreferredDropEffectFormat();
bool CopyFilesToClipboard(const std::vector<std::wstring>& paths, bool cut);
bool StartFileDrag(HWND window);

class FormatEtcEnum : public IEnumFORMATETC {
public:
    explicit FormatEtcEnum(std::vector<FORMATETC> formats, size_t cursor = 0);
    virtual ~FormatEtcEnum() = default;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE Next(ULONG celt, FORMATETC* rgelt, ULONG* pceltFetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG celt) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumFORMATETC** ppenum) override;

private:
    std::atomic<ULONG> refs_{1};
    size_t cursor_ = 0;
    std::vector<FORMATETC> formats_;
};

class FileDragDataObject : public IDataObject {
public:
    explicit FileDragDataObject(std::vector<std::wstring> paths);
    virtual ~FileDragDataObject() = default;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** ppenum) override;
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override;
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override;
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override;

private:
    std::atomic<ULONG> refs_{1};
    std::vector<std::wstring> paths_;
};

class FileDropSource : public IDropSource {
public:
    virtual ~FileDropSource() = default;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escapePressed, DWORD keyState) override;
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD effect) override;

private:
    std::atomic<ULONG> refs_{1};
};

// ---------------------------------------------------------------------------------------------
// Explorer context menu
// ---------------------------------------------------------------------------------------------

// The shell's menu for the selected rows of the first row's folder, at a screen point; true
// when a command was chosen and ran.
bool ShowShellContextMenu(HWND owner, POINT screenPoint);
// Offers WM_INITMENUPOPUP, WM_DRAWITEM, WM_MEASUREITEM and WM_MENUCHAR to the shell menu being
// tracked; true when it handled the message (result set).
bool ForwardMenuMessageToShellMenu(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
// The folder part of a path (up to and including its last separator), empty without one.
std::wstring FolderOfPath(const std::wstring& path);
// The paths that share the first path's folder (case ignored), in order.
std::vector<std::wstring> PathsInFirstFolder(const std::vector<std::wstring>& paths);

// ---------------------------------------------------------------------------------------------
// Inline rename
// ---------------------------------------------------------------------------------------------

extern HWND g_hRenameEdit;
void BeginInlineRename();
void CommitInlineRename();
void EndInlineRename(bool refocus);
// Checks a new name typed by the user: 0 usable, else the reason it is not.
enum class RenameNameProblem : int { None = 0, Empty, InvalidCharacters, TrailingDotOrBlank };
RenameNameProblem CheckNewName(const std::wstring& name);
// The part of a name selected when the edit opens: [0, end).
size_t RenameSelectionEnd(const std::wstring& name, bool isFolder);
// The slow second click on a Name cell that starts a rename: time and row of the last click
// (0 and -1 when none); a rename resets them so that the next click does not start another.
extern uint64_t g_lastNameClickTick;
extern int64_t g_lastNameClickRow;
