// Files leaving the program: the CF_HDROP block with its "Preferred DropEffect" on the
// clipboard, and the OLE drag source of the results list.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <shlobj.h>

#include <cstring>

#include "results/FileActions.h"
#include "core/Window.h"
#include "ui/Tooltip.h"
#include "ui/Ui.h"

namespace {

constexpr uint32_t kHDropHeaderBytes = 20;

FORMATETC MakeFormat(CLIPFORMAT format) { return FORMATETC{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

std::vector<FORMATETC> OfferedFormats() {
    return {MakeFormat(CF_HDROP), MakeFormat(static_cast<CLIPFORMAT>(PreferredDropEffectFormat()))};
}

bool IsOfferedFormat(const FORMATETC* f) {
    return f && (f->tymed & TYMED_HGLOBAL) && f->dwAspect == DVASPECT_CONTENT && f->lindex == -1 &&
           (f->cfFormat == CF_HDROP || f->cfFormat == PreferredDropEffectFormat());
}

HGLOBAL CopyToBlock(const void* bytes, size_t size) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (!block) return nullptr;
    void* dst = GlobalLock(block);
    if (!dst) {
        GlobalFree(block);
        return nullptr;
    }
    memcpy(dst, bytes, size);
    GlobalUnlock(block);
    return block;
}

template <class T>
HRESULT QueryOne(T* self, REFIID riid, REFIID own, void** ppv) {
    if (!ppv) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, own)) {
        *ppv = self;
        self->AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

}  // namespace

UINT PreferredDropEffectFormat() { return RegisterClipboardFormatW(L"Preferred DropEffect"); }

std::vector<uint8_t> BuildHDropBytes(const std::vector<std::wstring>& paths) {
    size_t chars = 1;
    for (const std::wstring& p : paths) chars += p.size() + 1;
    std::vector<uint8_t> bytes(kHDropHeaderBytes + chars * sizeof(wchar_t), 0);
    DROPFILES header{};
    header.pFiles = kHDropHeaderBytes;
    header.fWide = TRUE;
    static_assert(sizeof(DROPFILES) == kHDropHeaderBytes, "DROPFILES header is 20 bytes");
    memcpy(bytes.data(), &header, sizeof(header));
    size_t offset = kHDropHeaderBytes;
    for (const std::wstring& p : paths) {
        memcpy(bytes.data() + offset, p.c_str(), p.size() * sizeof(wchar_t));
        offset += (p.size() + 1) * sizeof(wchar_t);  // the NUL is already zero
    }
    return bytes;
}

HGLOBAL MakeHDropBlock(const std::vector<std::wstring>& paths) {
    std::vector<uint8_t> bytes = BuildHDropBytes(paths);
    return CopyToBlock(bytes.data(), bytes.size());
}

HGLOBAL MakeDropEffectBlock(DWORD effect) { return CopyToBlock(&effect, sizeof(effect)); }

bool CopyFilesToClipboard(const std::vector<std::wstring>& paths, bool cut) {
    if (paths.empty()) return false;
    if (!OpenClipboard(g_hMainWnd)) return false;
    EmptyClipboard();
    HGLOBAL drop = MakeHDropBlock(paths);
    if (!drop) {
        CloseClipboard();
        return false;
    }
    if (!SetClipboardData(CF_HDROP, drop)) {
        GlobalFree(drop);
        CloseClipboard();
        return false;
    }
    if (UINT format = PreferredDropEffectFormat()) {
        if (HGLOBAL effect = MakeDropEffectBlock(cut ? DROPEFFECT_MOVE : DROPEFFECT_COPY)) {
            if (!SetClipboardData(format, effect)) GlobalFree(effect);
        }
    }
    CloseClipboard();
    return true;
}

// ---------------------------------------------------------------------------------------------

FormatEtcEnum::FormatEtcEnum(std::vector<FORMATETC> formats, size_t cursor)
    : cursor_(cursor), formats_(std::move(formats)) {}

HRESULT FormatEtcEnum::QueryInterface(REFIID riid, void** ppv) {
    return QueryOne(this, riid, IID_IEnumFORMATETC, ppv);
}
ULONG FormatEtcEnum::AddRef() { return ++refs_; }
ULONG FormatEtcEnum::Release() {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
}

HRESULT FormatEtcEnum::Next(ULONG celt, FORMATETC* rgelt, ULONG* pceltFetched) {
    if (!rgelt) return E_POINTER;
    ULONG copied = 0;
    while (copied < celt && cursor_ < formats_.size()) rgelt[copied++] = formats_[cursor_++];
    if (pceltFetched) *pceltFetched = copied;
    return copied == celt ? S_OK : S_FALSE;
}

HRESULT FormatEtcEnum::Skip(ULONG celt) {
    cursor_ = std::min(cursor_ + celt, formats_.size());
    return cursor_ == formats_.size() ? S_FALSE : S_OK;
}

HRESULT FormatEtcEnum::Reset() {
    cursor_ = 0;
    return S_OK;
}

HRESULT FormatEtcEnum::Clone(IEnumFORMATETC** ppenum) {
    if (!ppenum) return E_POINTER;
    *ppenum = new (std::nothrow) FormatEtcEnum(formats_, cursor_);
    return *ppenum ? S_OK : E_OUTOFMEMORY;
}

// ---------------------------------------------------------------------------------------------

FileDragDataObject::FileDragDataObject(std::vector<std::wstring> paths) : paths_(std::move(paths)) {}

HRESULT FileDragDataObject::QueryInterface(REFIID riid, void** ppv) {
    return QueryOne(this, riid, IID_IDataObject, ppv);
}
ULONG FileDragDataObject::AddRef() { return ++refs_; }
ULONG FileDragDataObject::Release() {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
}

HRESULT FileDragDataObject::GetData(FORMATETC* format, STGMEDIUM* medium) {
    if (!format || !medium) return E_INVALIDARG;
    medium->tymed = TYMED_NULL;
    medium->hGlobal = nullptr;
    medium->pUnkForRelease = nullptr;
    if (!IsOfferedFormat(format)) return DV_E_FORMATETC;
    HGLOBAL block = nullptr;
    if (format->cfFormat == CF_HDROP) {
        if (paths_.empty()) return STG_E_MEDIUMFULL;
        block = MakeHDropBlock(paths_);
    } else {
        block = MakeDropEffectBlock(DROPEFFECT_COPY);
    }
    if (!block) return STG_E_MEDIUMFULL;
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = block;
    return S_OK;
}

HRESULT FileDragDataObject::GetDataHere(FORMATETC*, STGMEDIUM*) { return DV_E_FORMATETC; }

HRESULT FileDragDataObject::QueryGetData(FORMATETC* format) {
    if (!format) return E_INVALIDARG;
    return IsOfferedFormat(format) ? S_OK : DV_E_FORMATETC;
}

HRESULT FileDragDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) {
    if (out) out->ptd = nullptr;
    return E_NOTIMPL;
}

HRESULT FileDragDataObject::SetData(FORMATETC*, STGMEDIUM*, BOOL) { return E_NOTIMPL; }

HRESULT FileDragDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** ppenum) {
    if (!ppenum) return E_POINTER;
    *ppenum = nullptr;
    if (direction != DATADIR_GET) return E_NOTIMPL;
    *ppenum = new (std::nothrow) FormatEtcEnum(OfferedFormats());
    return *ppenum ? S_OK : E_OUTOFMEMORY;
}

HRESULT FileDragDataObject::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) { return OLE_E_ADVISENOTSUPPORTED; }
HRESULT FileDragDataObject::DUnadvise(DWORD) { return OLE_E_ADVISENOTSUPPORTED; }
HRESULT FileDragDataObject::EnumDAdvise(IEnumSTATDATA**) { return OLE_E_ADVISENOTSUPPORTED; }

// ---------------------------------------------------------------------------------------------

HRESULT FileDropSource::QueryInterface(REFIID riid, void** ppv) { return QueryOne(this, riid, IID_IDropSource, ppv); }
ULONG FileDropSource::AddRef() { return ++refs_; }
ULONG FileDropSource::Release() {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
}

HRESULT FileDropSource::QueryContinueDrag(BOOL escapePressed, DWORD keyState) {
    if (escapePressed) return DRAGDROP_S_CANCEL;
    if (!(keyState & MK_LBUTTON)) return DRAGDROP_S_DROP;
    return S_OK;
}

HRESULT FileDropSource::GiveFeedback(DWORD) { return DRAGDROP_S_USEDEFAULTCURSORS; }

bool StartFileDrag(HWND window) {
    std::vector<std::wstring> paths = GetSelectedResultPaths();
    if (paths.empty()) return false;
    if (FAILED(OleInitialize(nullptr))) return false;
    auto* data = new (std::nothrow) FileDragDataObject(std::move(paths));
    auto* source = new (std::nothrow) FileDropSource();
    if (!data || !source) {
        if (data) data->Release();
        if (source) source->Release();
        OleUninitialize();
        return false;
    }
    HideTrackingTooltip(window);
    DWORD effect = DROPEFFECT_NONE;
    const HRESULT hr = DoDragDrop(data, source, DROPEFFECT_COPY, &effect);
    data->Release();
    source->Release();
    OleUninitialize();
    return SUCCEEDED(hr);
}
