// Deleting files: three ways of removing one path, the recycle and permanent orders built from
// them, the confirmation and failure boxes.
#include <windows.h>
#include <shellapi.h>
#include <shobjidl.h>

#include "core/Core.h"
#include "i18n/I18n.h"
#include "core/Logs.h"
#include "core/Raii.h"
#include "results/FileActions.h"
#include "results/RecycleGuard.h"
#include "core/Window.h"

namespace {

constexpr DWORD kStrippedAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
constexpr FILEOP_FLAGS kSilentDeleteFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;

bool RealShellOperation(const std::wstring& path, bool recycle) { return DeleteWithShFileOperation(path, recycle); }
bool RealFileOperation(const std::wstring& path, bool recycle) { return DeleteWithFileOperation(path, recycle); }
bool RealDirect(const std::wstring& path) { return DeletePathDirect(path); }

const DeleteMethods kRealMethods{RealDirect, RealShellOperation, RealFileOperation};
const DeleteMethods* g_methods = &kRealMethods;

FileActionMessageBoxFn g_messageBox = nullptr;

}  // namespace

void SetFileActionMessageBox(FileActionMessageBoxFn fn) { g_messageBox = fn; }

int FileActionMessageBox(HWND owner, const std::wstring& text, const std::wstring& title, UINT type) {
    if (g_messageBox) return g_messageBox(owner, text, title, type);
    return MessageBoxW(owner, text.c_str(), title.c_str(), type);
}

void SetDeleteMethods(const DeleteMethods* methods) { g_methods = methods ? methods : &kRealMethods; }

bool DeletePathDirect(const std::wstring& path) {
    if (path.empty()) return false;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    const bool stripped = (attributes & kStrippedAttributes) != 0;
    if (stripped) SetFileAttributesW(path.c_str(), attributes & ~kStrippedAttributes);
    const bool ok = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryW(path.c_str()) != FALSE
                                                            : DeleteFileW(path.c_str()) != FALSE;
    if (!ok && stripped) {
        // The file stays: it keeps the protection it had.
        const DWORD error = GetLastError();
        SetFileAttributesW(path.c_str(), attributes);
        SetLastError(error);
    }
    return ok;
}

bool DeleteWithShFileOperation(const std::wstring& path, bool recycle) {
    if (path.empty()) return false;
    std::wstring from = path;
    from.push_back(L'\0');
    from.push_back(L'\0');
    SHFILEOPSTRUCTW op{};
    op.hwnd = g_hMainWnd;
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = static_cast<FILEOP_FLAGS>(kSilentDeleteFlags | (recycle ? FOF_ALLOWUNDO : 0));
    const int rc = SHFileOperationW(&op);
    return rc == 0 && !op.fAnyOperationsAborted;
}

namespace {

// Refuses every delete that would not go to the Recycle Bin: with FOF_NOCONFIRMATION the shell
// deletes for good what the bin cannot take, and asks nothing.
class RecycleOnlySink final : public IFileOperationProgressSink {
public:
    bool refused = false;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IFileOperationProgressSink) {
            *out = static_cast<IFileOperationProgressSink*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives on the caller's stack
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE PreDeleteItem(DWORD flags, IShellItem*) override {
        if (flags & TSF_DELETE_RECYCLE_IF_POSSIBLE) return S_OK;
        refused = true;
        return HRESULT_FROM_WIN32(ERROR_CANCELLED);
    }
    HRESULT STDMETHODCALLTYPE StartOperations() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE FinishOperations(HRESULT) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PreRenameItem(DWORD, IShellItem*, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PostRenameItem(DWORD, IShellItem*, LPCWSTR, HRESULT, IShellItem*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PreMoveItem(DWORD, IShellItem*, IShellItem*, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PostMoveItem(DWORD, IShellItem*, IShellItem*, LPCWSTR, HRESULT, IShellItem*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PreCopyItem(DWORD, IShellItem*, IShellItem*, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PostCopyItem(DWORD, IShellItem*, IShellItem*, LPCWSTR, HRESULT, IShellItem*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PostDeleteItem(DWORD, IShellItem*, HRESULT, IShellItem*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PreNewItem(DWORD, IShellItem*, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PostNewItem(DWORD, IShellItem*, LPCWSTR, LPCWSTR, DWORD, HRESULT, IShellItem*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE UpdateProgress(UINT, UINT) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResetTimer() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PauseTimer() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResumeTimer() override { return S_OK; }
};

}  // namespace

bool DeleteWithFileOperation(const std::wstring& path, bool recycle) {
    if (path.empty()) return false;
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const bool uninit = init == S_OK || init == S_FALSE;
    bool ok = false;
    bool refused = false;
    {
        ComPtr<IFileOperation> op;
        ComPtr<IShellItem> item;
        RecycleOnlySink sink;
        DWORD cookie = 0;
        const DWORD flags = recycle ? kSilentDeleteFlags | FOF_ALLOWUNDO | FOFX_RECYCLEONDELETE : kSilentDeleteFlags;
        // A recycle runs only with the sink in place.
        if (SUCCEEDED(CoCreateInstance(CLSID_FileOperation, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOperation,
                                       reinterpret_cast<void**>(op.put()))) &&
            op && SUCCEEDED(op->SetOperationFlags(flags)) && (!recycle || SUCCEEDED(op->Advise(&sink, &cookie))) &&
            SUCCEEDED(SHCreateItemFromParsingName(path.c_str(), nullptr, IID_IShellItem,
                                                  reinterpret_cast<void**>(item.put()))) &&
            item) {
            BOOL aborted = TRUE;
            ok = SUCCEEDED(op->DeleteItem(item.get(), nullptr)) && SUCCEEDED(op->PerformOperations()) &&
                 SUCCEEDED(op->GetAnyOperationsAborted(&aborted)) && !aborted && !sink.refused;
            refused = sink.refused;
            if (recycle) (void)op->Unadvise(cookie);
        }
    }
    if (uninit) CoUninitialize();
    // The caller tells "the Recycle Bin cannot take it" from "this way is not available".
    SetLastError(refused ? ERROR_CANCELLED : ok ? ERROR_SUCCESS : ERROR_NOT_SUPPORTED);
    return ok;
}

bool PathIsGone(const std::wstring& path) {
    if (path.empty()) return false;
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool RecyclePath(const std::wstring& path) {
    if (path.empty()) return false;
    // The shell object recycles only through its sink, which refuses every delete that would not
    // go to the bin. SHFileOperationW deletes for good what the bin cannot take: it gets a path
    // only with a second name for everything in it (RecycleGuard), and a path that cannot have
    // one stays. A file gets its second name before both calls (it is cheap).
    const DWORD attributes = GetFileAttributesW(path.c_str());
    const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    RecycleGuard guard;
    if (!folder) (void)guard.Guard(path);
    // A step that says it succeeded counts only when the path is really gone.
    SetLastError(ERROR_SUCCESS);
    const bool refused = !g_methods->fileOperation(path, true) && GetLastError() == ERROR_CANCELLED;
    if (!refused && !PathIsGone(path)) {
        if (!guard.Active() && !guard.Guard(path)) {
            LogFailure((L"[Delete] a second name for " + path + L" (so it is not handed to SHFileOperationW)").c_str(),
                       GetLastError());
            return false;
        }
        (void)g_methods->shellOperation(path, true);
    }
    return guard.Active() ? guard.Finish() : PathIsGone(path);
}

bool DeletePathPermanently(const std::wstring& path) {
    if (path.empty()) return false;
    if (g_methods->direct(path) && PathIsGone(path)) return true;
    if (g_methods->shellOperation(path, false) && PathIsGone(path)) return true;
    if (g_methods->fileOperation(path, false) && PathIsGone(path)) return true;
    if (PathIsGone(path)) return true;
    return g_methods->direct(path) && PathIsGone(path);
}

bool ConfirmPermanentDelete(const std::vector<std::wstring>& paths) {
    std::wstring text;
    if (paths.size() == 1) {
        text = Tr(L"Msg_DeleteSingleConfirmPrefix", L"确定要删除此文件吗？\n\n",
                  L"Are you sure you want to delete this file?\n\n") +
               paths.front();
    } else {
        text = Tr(L"Msg_DeleteMultiConfirmPrefix", L"确定要永久删除 ", L"Are you sure you want to permanently delete ") +
               std::to_wstring(paths.size()) +
               Tr(L"Msg_DeleteMultiConfirmSuffix", L" 个选中的项目吗？", L" selected items?");
    }
    return FileActionMessageBox(g_hMainWnd, text, Tr(L"MsgTitle_ConfirmDelete", L"确认删除", L"Confirm Delete"),
                                MB_YESNO | MB_ICONWARNING) == IDYES;
}

namespace {

// Paths the Recycle Bin did not take: delete them for good only on the user's word.
bool ConfirmPermanentAfterRecycleFailed(size_t count) {
    std::wstring text = FormatTableText(
        Tr(L"Msg_RecycleFailedAskPermanentFmt", L"%zu 个项目无法移到回收站。\n\n是否永久删除它们？",
           L"%zu item(s) could not be moved to the Recycle Bin.\n\nDelete them permanently?")
            .c_str(),
        count);
    return FileActionMessageBox(g_hMainWnd, text, Tr(L"MsgTitle_ConfirmDelete", L"确认删除", L"Confirm Delete"),
                                MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

void ReportPermanentFailures(size_t failed) {
    std::wstring text = FormatTableText(
        Tr(L"Msg_DeleteFailedCountFmt", L"无法删除 %zu 个选中的项目。", L"Failed to delete %zu selected items.").c_str(),
        failed);
    if (text.size() > 255) text.resize(255);
    FileActionMessageBox(g_hMainWnd, text, Tr(L"MsgTitle_Error", L"错误", L"Error"), MB_ICONERROR);
}

void ReportRecycleFailures() {
    FileActionMessageBox(g_hMainWnd,
                         Tr(L"Msg_RecycleDeleteFailed", L"移到回收站失败，备用删除方式也失败了。",
                            L"Failed to move to Recycle Bin. Backup deletion methods also failed."),
                         Tr(L"MsgTitle_Error", L"错误", L"Error"), MB_ICONERROR);
}

}  // namespace

DeleteOutcome DeletePaths(const std::vector<std::wstring>& paths, bool recycle, bool asked,
                          const DeleteStepHooks& steps) {
    DeleteOutcome out;
    if (paths.empty()) return out;
    if (!recycle && !asked && !ConfirmPermanentDelete(paths)) {
        out.refused = true;
        return out;
    }
    std::vector<bool> gone(paths.size(), false);
    std::vector<size_t> notRecycled;
    // One path, between the caller's looks before and after; false when the caller refused it.
    const auto step = [&](size_t i, bool toBin) {
        const std::wstring& path = paths[i];
        if (steps.before && !steps.before(path)) {
            out.refused = true;
            return false;
        }
        gone[i] = toBin ? RecyclePath(path) : DeletePathPermanently(path);
        if (steps.after) steps.after(path, gone[i]);
        return true;
    };
    for (size_t i = 0; i < paths.size(); ++i) {
        const std::wstring& path = paths[i];
        // A path that is not there to begin with was not deleted by us: it counts as failed.
        if (path.empty() || GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
        if (step(i, recycle) && recycle && !gone[i] && !PathIsGone(path)) notRecycled.push_back(i);
    }
    bool permanentTried = !recycle;
    if (!notRecycled.empty()) {
        const std::wstring line = L"[Tarnwick][Delete] " + std::to_wstring(notRecycled.size()) +
                                  L" path(s) not taken by the Recycle Bin, first: " + paths[notRecycled.front()] +
                                  L"\r\n";
        OutputDebugStringW(line.c_str());
        std::vector<std::wstring> left;
        for (size_t i : notRecycled) left.push_back(paths[i]);
        if (ConfirmPermanentAfterRecycleFailed(notRecycled.size()) &&
            (!steps.beforePermanent || steps.beforePermanent(left))) {
            permanentTried = true;
            for (size_t i : notRecycled) step(i, false);
        } else {
            out.refused = true;
        }
    }
    for (size_t i = 0; i < paths.size(); ++i) {
        if (gone[i]) out.deleted.push_back(paths[i]);
        else ++out.failed;
    }
    if (out.failed > 0 && !out.refused) {
        if (permanentTried) ReportPermanentFailures(out.failed);
        else ReportRecycleFailures();
    }
    return out;
}

std::vector<std::wstring> DeleteFilesWithConfirm(const std::vector<std::wstring>& paths, bool recycle) {
    return DeletePaths(paths, recycle).deleted;
}
