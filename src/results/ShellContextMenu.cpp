// The Explorer context menu of the selected rows: built by the shell's own handlers for the
// rows in the first row's folder, tracked at a screen point, the chosen verb invoked.
#include <windows.h>
#include <shellapi.h>
#include <ole2.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "results/FileActions.h"

namespace {

IContextMenu3* g_shellContextMenu3 = nullptr;
IContextMenu2* g_shellContextMenu2 = nullptr;

void ReleaseTrackedMenus() {
    if (g_shellContextMenu3) g_shellContextMenu3->Release();
    if (g_shellContextMenu2) g_shellContextMenu2->Release();
    g_shellContextMenu3 = nullptr;
    g_shellContextMenu2 = nullptr;
}

// Everything one menu holds; released in every case.
struct ShellMenuSession {
    PIDLIST_ABSOLUTE firstList = nullptr;
    std::vector<PIDLIST_ABSOLUTE> moreLists;
    IShellFolder* folder = nullptr;
    IContextMenu* menuObject = nullptr;
    HMENU menu = nullptr;
    ~ShellMenuSession() {
        ReleaseTrackedMenus();
        if (menu) DestroyMenu(menu);
        if (menuObject) menuObject->Release();
        if (folder) folder->Release();
        for (PIDLIST_ABSOLUTE list : moreLists) CoTaskMemFree(list);
        if (firstList) CoTaskMemFree(firstList);
    }
};

// OLE, not only COM: the shell's Cut and Copy verbs put a data object on the OLE clipboard,
// which renders its formats from this thread when another program asks for them; OLE stays
// initialized for the thread's life so that the clipboard keeps them.
bool EnsureOleOnThisThread() {
    static thread_local HRESULT init = OleInitialize(nullptr);
    return SUCCEEDED(init) || init == RPC_E_CHANGED_MODE;
}

}  // namespace

std::wstring FolderOfPath(const std::wstring& path) {
    const size_t cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut + 1);
}

std::vector<std::wstring> PathsInFirstFolder(const std::vector<std::wstring>& paths) {
    std::vector<std::wstring> kept;
    if (paths.empty()) return kept;
    kept.push_back(paths.front());
    const std::wstring folder = FolderOfPath(paths.front());
    if (folder.empty()) return kept;
    for (size_t i = 1; i < paths.size(); ++i) {
        const std::wstring other = FolderOfPath(paths[i]);
        if (!other.empty() && _wcsicmp(other.c_str(), folder.c_str()) == 0) kept.push_back(paths[i]);
    }
    return kept;
}

bool ShowShellContextMenu(HWND owner, POINT pt) {
    std::vector<std::wstring> paths = PathsInFirstFolder(GetSelectedResultPaths());
    if (paths.empty()) return false;
    ShellMenuSession s;
    if (!EnsureOleOnThisThread()) return false;
    if (FAILED(SHParseDisplayName(paths.front().c_str(), nullptr, &s.firstList, 0, nullptr)) || !s.firstList)
        return false;
    PCUITEMID_CHILD firstChild = nullptr;
    if (FAILED(SHBindToParent(s.firstList, IID_IShellFolder, reinterpret_cast<void**>(&s.folder), &firstChild)) ||
        !s.folder)
        return false;
    std::vector<PCUITEMID_CHILD> children{firstChild};
    for (size_t i = 1; i < paths.size(); ++i) {
        PIDLIST_ABSOLUTE list = nullptr;
        if (FAILED(SHParseDisplayName(paths[i].c_str(), nullptr, &list, 0, nullptr)) || !list) continue;
        s.moreLists.push_back(list);
        children.push_back(ILFindLastID(list));
    }
    if (FAILED(s.folder->GetUIObjectOf(owner, static_cast<UINT>(children.size()), children.data(), IID_IContextMenu,
                                       nullptr, reinterpret_cast<void**>(&s.menuObject))) ||
        !s.menuObject)
        return false;
    s.menu = CreatePopupMenu();
    if (!s.menu) return false;
    UINT flags = CMF_EXPLORE;
    if (GetKeyState(VK_SHIFT) & 0x8000) flags |= CMF_EXTENDEDVERBS;
    if (FAILED(s.menuObject->QueryContextMenu(s.menu, 0, 1, 0x7FFF, flags))) return false;
    ReleaseTrackedMenus();
    if (FAILED(s.menuObject->QueryInterface(IID_IContextMenu3, reinterpret_cast<void**>(&g_shellContextMenu3))))
        g_shellContextMenu3 = nullptr;
    if (!g_shellContextMenu3 &&
        FAILED(s.menuObject->QueryInterface(IID_IContextMenu2, reinterpret_cast<void**>(&g_shellContextMenu2))))
        g_shellContextMenu2 = nullptr;
    SetForegroundWindow(owner);
    const UINT chosen =
        static_cast<UINT>(TrackPopupMenuEx(s.menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, pt.x, pt.y, owner, nullptr));
    ReleaseTrackedMenus();
    if (chosen < 1 || chosen > 0x7FFF) return false;
    // Some shells hand out menu ids that do not follow the first id asked for; the verb behind
    // the chosen id, when the shell names one, invokes the same command on any of them.
    char verb[128] = {};
    const bool haveVerb = SUCCEEDED(s.menuObject->GetCommandString(chosen - 1, GCS_VERBA, nullptr, verb,
                                                                   sizeof(verb))) &&
                          verb[0];
    wchar_t verbW[128] = {};
    if (haveVerb) MultiByteToWideChar(CP_ACP, 0, verb, -1, verbW, 128);
    CMINVOKECOMMANDINFOEX info{};
    info.cbSize = sizeof(info);
    info.fMask = CMIC_MASK_UNICODE | CMIC_MASK_PTINVOKE;
    info.hwnd = owner;
    info.lpVerb = haveVerb ? verb : MAKEINTRESOURCEA(chosen - 1);
    info.lpVerbW = haveVerb ? verbW : MAKEINTRESOURCEW(chosen - 1);
    info.nShow = SW_SHOWNORMAL;
    info.ptInvoke = pt;
    return SUCCEEDED(s.menuObject->InvokeCommand(reinterpret_cast<CMINVOKECOMMANDINFO*>(&info)));
}

bool ForwardMenuMessageToShellMenu(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    if (g_shellContextMenu3) return SUCCEEDED(g_shellContextMenu3->HandleMenuMsg2(msg, wParam, lParam, &result));
    if (g_shellContextMenu2) return SUCCEEDED(g_shellContextMenu2->HandleMenuMsg(msg, wParam, lParam));
    return false;
}
