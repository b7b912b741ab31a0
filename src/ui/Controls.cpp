#include "ui/Controls.h"

#include <commctrl.h>
#include <dwmapi.h>
#include <uxtheme.h>

#include <algorithm>
#include <cwchar>
#include <cwctype>

#include "core/Raii.h"
#include "search/Filters.h"
#include "ui/Theme.h"
#include "ui/Ui.h"
#include "ui/UiColors.h"

HWND g_hoverButton = nullptr;
int g_hoveredFilterIndex = -1;

namespace {

constexpr UINT_PTR kSubclassComboList = 1;
constexpr UINT_PTR kSubclassFlatScrollBar = 2;
constexpr UINT_PTR kSubclassComboBox = 3;
constexpr UINT_PTR kSubclassDatePicker = 4;
constexpr DWORD kDwmUseImmersiveDarkMode = 20;
constexpr COLORREF kSlate = RGB(0x64, 0x74, 0x8B);

WNDPROC g_hoverButtonPrevProc = nullptr;
WNDPROC g_themedBackgroundPrevProc = nullptr;
HWND g_roundFramedEdit = nullptr;

bool IsLive(HWND h) { return h && IsWindow(h); }

// A solid brush for one drawing step, deleted with the object.
class SolidBrush {
public:
    explicit SolidBrush(COLORREF c) : brush_(CreateSolidBrush(c)) {}
    ~SolidBrush() {
        if (brush_) DeleteObject(brush_);
    }
    SolidBrush(const SolidBrush&) = delete;
    SolidBrush& operator=(const SolidBrush&) = delete;
    HBRUSH get() const { return brush_; }

private:
    HBRUSH brush_;
};

// A pen selected into a DC for one drawing step, the previous pen and brush restored after.
class SelectedPen {
public:
    SelectedPen(HDC dc, COLORREF c, bool hollow) : dc_(dc), pen_(CreatePen(PS_SOLID, 1, c)) {
        oldPen_ = pen_ ? SelectObject(dc_, pen_) : nullptr;
        oldBrush_ = hollow ? SelectObject(dc_, GetStockObject(NULL_BRUSH)) : nullptr;
    }
    ~SelectedPen() {
        if (oldBrush_) SelectObject(dc_, oldBrush_);
        if (oldPen_) SelectObject(dc_, oldPen_);
        if (pen_) DeleteObject(pen_);
    }
    SelectedPen(const SelectedPen&) = delete;
    SelectedPen& operator=(const SelectedPen&) = delete;

private:
    HDC dc_;
    HPEN pen_;
    HGDIOBJ oldPen_ = nullptr;
    HGDIOBJ oldBrush_ = nullptr;
};

void FillSolid(HDC dc, const RECT& rc, COLORREF c) {
    SolidBrush brush(c);
    if (brush.get()) FillRect(dc, &rc, brush.get());
}

void FrameHollow(HDC dc, const RECT& rc, COLORREF c) {
    SelectedPen pen(dc, c, true);
    Rectangle(dc, rc.left, rc.top, rc.right - 1 > rc.left ? rc.right - 1 : rc.right,
              rc.bottom - 1 > rc.top ? rc.bottom - 1 : rc.bottom);
}

COLORREF PerChannel(COLORREF c, int num, int add = 0) {
    auto f = [&](int v) { return std::clamp((v * num + add) / 100, 0, 255); };
    return RGB(f(GetRValue(c)), f(GetGValue(c)), f(GetBValue(c)));
}

COLORREF Mix(COLORREF a, COLORREF b, int wa) {
    auto f = [&](int ca, int cb) { return (ca * wa + cb * (100 - wa)) / 100; };
    return RGB(f(GetRValue(a), GetRValue(b)), f(GetGValue(a), GetGValue(b)), f(GetBValue(a), GetBValue(b)));
}

std::wstring WindowText(HWND h, int limit) {
    std::wstring text(static_cast<size_t>(limit) + 1, L'\0');
    int n = GetWindowTextW(h, &text[0], limit + 1);
    text.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return text;
}

std::wstring ComboItemText(HWND combo, LRESULT index) {
    if (index < 0) return {};
    LRESULT len = SendMessageW(combo, CB_GETLBTEXTLEN, index, 0);
    if (len == CB_ERR || len < 0 || len > 4096) return {};
    std::wstring text(static_cast<size_t>(len) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(wcslen(text.c_str()));
    return text;
}

HFONT ControlFont(HWND h) {
    HFONT f = reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0));
    return f ? f : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void DrawTextIn(HDC dc, const std::wstring& text, RECT rc, HFONT font, COLORREF color, UINT format) {
    HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, color);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rc, format);
    SelectObject(dc, old);
}

// The arrow of a combo or picker button: a small filled triangle centred in the button.
void DrawDropArrow(HDC dc, const RECT& button, COLORREF color) {
    const int h = std::max(ScaleForDpi(4), 3);
    const int cx = (button.left + button.right) / 2, cy = (button.top + button.bottom) / 2;
    POINT pts[3] = {{cx - h, cy - 1}, {cx + h, cy - 1}, {cx, cy + h - 1}};
    SolidBrush brush(color);
    SelectedPen pen(dc, color, false);
    HGDIOBJ old = brush.get() ? SelectObject(dc, brush.get()) : nullptr;
    Polygon(dc, pts, 3);
    if (old) SelectObject(dc, old);
}

void DrawButtonArea(HDC dc, const RECT& button, COLORREF arrow) {
    if (IsRectEmpty(&button)) return;
    FillSolid(dc, button, g_uiPalette.controlBg);
    RECT line{button.left, button.top, button.left + 1, button.bottom};
    FillSolid(dc, line, g_uiPalette.divider);
    DrawDropArrow(dc, button, arrow);
}

// The closed body of a combo: the client, or the item and button band of a tall client.
RECT ComboBodyRect(HWND combo) {
    RECT rc{};
    GetClientRect(combo, &rc);
    if (rc.bottom - rc.top > ScaleForDpi(38) + ScaleForDpi(12)) {
        COMBOBOXINFO info{sizeof(info)};
        LONG bottom = -1;
        if (GetComboBoxInfo(combo, &info)) bottom = std::max(info.rcItem.bottom, info.rcButton.bottom);
        rc.bottom = bottom > rc.top ? bottom : rc.top + ScaleForDpi(38);
    }
    return rc;
}

LRESULT CALLBACK ComboBoxSubclassProc(HWND combo, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    switch (msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_MOUSELEAVE: {
        LRESULT r = DefSubclassProc(combo, msg, wParam, lParam);
        InvalidateRect(combo, nullptr, FALSE);
        return r;
    }
    case WM_NCPAINT:
    case WM_NCACTIVATE: {
        LRESULT r = DefSubclassProc(combo, msg, wParam, lParam);
        DrawComboFrame(combo);
        return r;
    }
    case WM_PAINT: {
        LRESULT r = DefSubclassProc(combo, msg, wParam, lParam);
        HDC dc = GetDC(combo);
        if (!dc) return r;
        const bool enabled = IsWindowEnabled(combo) != FALSE;
        COMBOBOXINFO info{sizeof(info)};
        const bool haveInfo = GetComboBoxInfo(combo, &info) != FALSE;
        const int id = GetDlgCtrlID(combo);
        if (IsOwnerDrawnComboId(id)) {
            RECT body = ComboBodyRect(combo);
            FillSolid(dc, body, g_uiPalette.editWell);
            std::wstring text =
                ComboSelectionDisplayText(id, ComboItemText(combo, SendMessageW(combo, CB_GETCURSEL, 0, 0)));
            RECT textRc = body;
            if (haveInfo && !IsRectEmpty(&info.rcButton)) textRc.right = std::min(textRc.right, info.rcButton.left);
            textRc.left += 8;
            textRc.right -= 6;
            DrawTextIn(dc, text, textRc, ControlFont(combo), enabled ? g_uiPalette.text : g_uiPalette.textMuted,
                       DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
        }
        if (haveInfo) DrawButtonArea(dc, info.rcButton, kSlate);
        ReleaseDC(combo, dc);
        DrawComboFrame(combo);
        return r;
    }
    default:
        return DefSubclassProc(combo, msg, wParam, lParam);
    }
}

void ReapplyListTheme(HWND list) {
    BOOL dark = g_darkTheme ? TRUE : FALSE;
    DwmSetWindowAttribute(list, kDwmUseImmersiveDarkMode, &dark, sizeof(dark));
    SetWindowTheme(list, g_darkTheme ? L"DarkMode_Explorer" : L"", nullptr);
    EnumChildWindows(list, ApplyScrollBarThemeCallback, 0);
}

LRESULT CALLBACK ComboListSubclassProc(HWND list, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    switch (msg) {
    case WM_ERASEBKGND:
        if (g_brushEditWell && wParam) {
            RECT rc;
            GetClientRect(list, &rc);
            FillRect(reinterpret_cast<HDC>(wParam), &rc, g_brushEditWell);
            return 1;
        }
        break;
    case WM_PAINT: {
        LRESULT r = DefSubclassProc(list, msg, wParam, lParam);
        DrawClientBorder(list);
        DrawOverlayScrollBar(list);
        return r;
    }
    case WM_NCPAINT:
        if (wParam != 0 && wParam != 1) return 0;  // a real update region: native frame not drawn
        DrawWindowBorder(list);
        DrawOverlayScrollBar(list);
        return 0;
    case WM_NCACTIVATE:
        DrawWindowBorder(list);
        DrawOverlayScrollBar(list);
        return 1;
    case WM_VSCROLL:
    case WM_HSCROLL:
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL: {
        LRESULT r = DefSubclassProc(list, msg, wParam, lParam);
        ReapplyListTheme(list);
        RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
        DrawOverlayScrollBar(list);
        return r;
    }
    default:
        break;
    }
    return DefSubclassProc(list, msg, wParam, lParam);
}

BOOL CALLBACK NarrowScrollBarCallback(HWND child, LPARAM) {
    wchar_t cls[32] = {};
    if (GetClassNameW(child, cls, 32) && _wcsicmp(cls, L"ScrollBar") == 0) {
        RECT rc{};
        GetWindowRect(child, &rc);
        SetWindowPos(child, nullptr, 0, 0, ScaleForDpi(5), rc.bottom - rc.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        InvalidateRect(child, nullptr, TRUE);
    }
    return TRUE;
}

bool IsScrollBarClass(HWND h) {
    wchar_t cls[32] = {};
    return GetClassNameW(h, cls, 32) && _wcsicmp(cls, L"ScrollBar") == 0;
}

// A second SetWindowSubclass with the same procedure and id only updates its data: installing is
// idempotent.
void InstallSubclassOnce(HWND h, SUBCLASSPROC proc, UINT_PTR id) { SetWindowSubclass(h, proc, id, 0); }

LRESULT CALLBACK FlatScrollBarSubclassProc(HWND bar, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    switch (msg) {
    case WM_ERASEBKGND:
        if (wParam) {
            PaintFlatScrollBar(bar, reinterpret_cast<HDC>(wParam));
            return 1;
        }
        break;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(bar, &ps);
        if (dc) PaintFlatScrollBar(bar, dc);
        EndPaint(bar, &ps);
        return 0;
    }
    case WM_NCPAINT:
        if (wParam != 0) return 0;
        break;
    case WM_VSCROLL:
    case WM_HSCROLL:
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL: {
        LRESULT r = DefSubclassProc(bar, msg, wParam, lParam);
        InvalidateRect(bar, nullptr, FALSE);
        return r;
    }
    default:
        break;
    }
    return DefSubclassProc(bar, msg, wParam, lParam);
}

LRESULT CALLBACK DateTimePickerSubclassProc(HWND picker, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                            DWORD_PTR) {
    switch (msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_MOUSELEAVE: {
        LRESULT r = DefSubclassProc(picker, msg, wParam, lParam);
        InvalidateRect(picker, nullptr, FALSE);
        return r;
    }
    case WM_NCPAINT:
    case WM_NCACTIVATE: {
        LRESULT r = DefSubclassProc(picker, msg, wParam, lParam);
        DrawWindowBorder(picker);
        return r;
    }
    case WM_PAINT: {
        LRESULT r = DefSubclassProc(picker, msg, wParam, lParam);
        HDC dc = GetDC(picker);
        if (!dc) return r;
        DATETIMEPICKERINFO info{};
        info.cbSize = sizeof(info);
        // The info call can fail (older common controls): then the native body stays and only
        // the border is drawn, since the button's place is not known.
        if (SendMessageW(picker, DTM_GETDATETIMEPICKERINFO, 0, reinterpret_cast<LPARAM>(&info))) {
            RECT rc{};
            GetClientRect(picker, &rc);
            FillSolid(dc, rc, g_uiPalette.editWell);
            RECT textRc = rc;
            if (!IsRectEmpty(&info.rcButton)) textRc.right = std::min(textRc.right, info.rcButton.left);
            textRc.left += ScaleForDpi(6);
            textRc.right -= ScaleForDpi(4);
            DrawTextIn(dc, WindowText(picker, 128), textRc, ControlFont(picker),
                       IsWindowEnabled(picker) ? g_uiPalette.text : g_uiPalette.textMuted,
                       DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
            DrawButtonArea(dc, info.rcButton, g_uiPalette.text);
        }
        ReleaseDC(picker, dc);
        DrawClientBorder(picker);
        return r;
    }
    default:
        return DefSubclassProc(picker, msg, wParam, lParam);
    }
}

LRESULT CALLBACK HoverButtonProc(HWND button, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_ERASEBKGND && wParam) {
        RECT rc;
        GetClientRect(button, &rc);
        FillSolid(reinterpret_cast<HDC>(wParam), rc, g_uiPalette.controlBg);
        return 1;
    }
    if (msg == WM_MOUSEMOVE && g_hoverButton != button) {
        HWND previous = g_hoverButton;
        g_hoverButton = button;
        if (IsLive(previous)) InvalidateRect(previous, nullptr, FALSE);
        InvalidateRect(button, nullptr, FALSE);
        TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, button, 0};
        TrackMouseEvent(&tme);
    } else if (msg == WM_MOUSELEAVE) {
        if (g_hoverButton == button) g_hoverButton = nullptr;
        InvalidateRect(button, nullptr, FALSE);
    }
    return g_hoverButtonPrevProc ? CallWindowProcW(g_hoverButtonPrevProc, button, msg, wParam, lParam)
                                 : DefWindowProcW(button, msg, wParam, lParam);
}

LRESULT CALLBACK ThemedBackgroundWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_ERASEBKGND && wParam) {
        RECT rc;
        GetClientRect(hwnd, &rc);
        FillSolid(reinterpret_cast<HDC>(wParam), rc, g_uiPalette.toolbar);
        return 1;
    }
    return g_themedBackgroundPrevProc ? CallWindowProcW(g_themedBackgroundPrevProc, hwnd, msg, wParam, lParam)
                                      : DefWindowProcW(hwnd, msg, wParam, lParam);
}

void RoundOutline(HDC dc, RECT rc, COLORREF color, int corner) {
    SelectedPen pen(dc, color, true);
    int right = rc.right - rc.left > 1 ? rc.right - 1 : rc.right;
    int bottom = rc.bottom - rc.top > 1 ? rc.bottom - 1 : rc.bottom;
    RoundRect(dc, rc.left, rc.top, right, bottom, corner, corner);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Combo boxes

bool IsOwnerDrawnComboId(int id) {
    return id == kComboScopeId || id == kComboSizeId || id == kComboDateId || id == kComboUnitId ||
           id == kComboAnalysisDriveId || id == kComboDupDriveId || id == kComboDupModeId;
}

int GetComboBaseHeight() { return ScaleForDpi(38); }
int GetComboDropHeight() { return ScaleForDpi(280); }
int GetComboSelectionHeight() { return std::max(ScaleForDpi(38) - ScaleForDpi(2), ScaleForDpi(24)); }

void ApplyComboItemHeights(HWND combo) {
    if (!IsLive(combo)) return;
    SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), GetComboSelectionHeight());
    SendMessageW(combo, CB_SETITEMHEIGHT, 0, ScaleForDpi(28));
}

void PlaceCombo(HWND combo, int x, int y, int width) {
    if (!IsLive(combo)) return;
    SetWindowPos(combo, nullptr, x, y, width, GetComboDropHeight(), SWP_NOZORDER | SWP_NOACTIVATE);
    ApplyComboItemHeights(combo);
}

int MeasureComboHeight(HWND combo) {
    const int limit = ScaleForDpi(38) + ScaleForDpi(12);
    if (!IsLive(combo)) return ScaleForDpi(38);
    RECT rc{};
    GetClientRect(combo, &rc);
    int h = rc.bottom - rc.top;
    if (h > 0 && h <= limit) return h;
    COMBOBOXINFO info{sizeof(info)};
    if (GetComboBoxInfo(combo, &info)) {
        int span = std::max(info.rcItem.bottom, info.rcButton.bottom) - std::min(info.rcItem.top, info.rcButton.top);
        if (span > 0 && span <= limit) return span;
        if (info.rcItem.bottom - info.rcItem.top > 0) return info.rcItem.bottom - info.rcItem.top;
    }
    return ScaleForDpi(38);
}

void FitComboHeight(HWND combo, int target) {
    if (target < 1 || !IsLive(combo)) return;
    const int floor = ScaleForDpi(20);
    int h = std::max(target - ScaleForDpi(2), floor);
    bool brokeOff = false;
    for (int pass = 0; pass < 8; ++pass) {
        SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), h);
        SendMessageW(combo, CB_SETITEMHEIGHT, 0, ScaleForDpi(28));
        RECT rc{};
        GetClientRect(combo, &rc);
        const int c = rc.bottom - rc.top;
        if (c <= 0 || c > ScaleForDpi(38) + ScaleForDpi(12) || c >= ScaleForDpi(280) - ScaleForDpi(40)) {
            brokeOff = true;
            break;
        }
        if (c == target) return;
        int next = h - c + target;
        if (next < floor) {
            SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), floor);
            return;
        }
        if (pass == 7) return;
        h = next > target + ScaleForDpi(4) ? target : next;
    }
    if (brokeOff)
        SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), std::max(target - ScaleForDpi(2), floor));
}

std::wstring ComboSelectionDisplayText(int id, const std::wstring& itemText) {
    if (id != kComboScopeId) return itemText;
    for (size_t i = itemText.size(); i-- > 1;) {
        if (itemText[i] == L':' && ((itemText[i - 1] >= L'A' && itemText[i - 1] <= L'Z') ||
                                    (itemText[i - 1] >= L'a' && itemText[i - 1] <= L'z'))) {
            return std::wstring(1, static_cast<wchar_t>(towupper(itemText[i - 1]))) + L":";
        }
    }
    return itemText;
}

namespace {

HWND CreateControl(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int width,
                   int height, int id) {
    return CreateWindowExW(0, cls, text, style, ScaleForDpi(x), ScaleForDpi(y), width, height, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
}

}  // namespace

HWND CreateThemedCombo(HWND parent, int id, bool visible, int x, int y, int width, int droppedWidth) {
    DWORD style = WS_CHILD | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS;
    if (visible) style |= WS_VISIBLE;
    HWND combo = CreateControl(parent, L"COMBOBOX", L"", style, x, y, ScaleForDpi(width), GetComboDropHeight(), id);
    if (!combo) return nullptr;
    RegisterUiFontUser(combo, UiFontRole::Ui);
    ApplyComboItemHeights(combo);
    if (droppedWidth > 0) SendMessageW(combo, CB_SETDROPPEDWIDTH, ScaleForDpi(droppedWidth), 0);
    InstallComboBoxSubclass(combo);
    ApplyControlTheme(combo, g_darkTheme);
    return combo;
}

HWND CreateThemedButton(HWND parent, int id, int x, int y, int width, const std::wstring& text) {
    HWND button = CreateControl(parent, L"BUTTON", text.c_str(), WS_CHILD | WS_TABSTOP | BS_OWNERDRAW, x, y,
                                ScaleForDpi(width), GetComboBaseHeight(), id);
    if (button) {
        RegisterUiFontUser(button, UiFontRole::Button);
        SubclassHoverButton(button);
    }
    return button;
}

int FillDriveCombo(HWND combo, const std::wstring& allText, const std::vector<DriveComboItem>& drives, int preferred) {
    if (!IsLive(combo)) return -1;
    const LRESULT before = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    const LRESULT data = before == CB_ERR ? CB_ERR : SendMessageW(combo, CB_GETITEMDATA, before, 0);
    const wchar_t chosen = data == CB_ERR ? 0 : static_cast<wchar_t>(towupper(static_cast<wchar_t>(data)));
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(allText.c_str()));
    SendMessageW(combo, CB_SETITEMDATA, 0, 0);
    int select = -1;
    for (const DriveComboItem& drive : drives) {
        const LRESULT at = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(drive.text.c_str()));
        if (at == CB_ERR || at == CB_ERRSPACE) continue;
        const wchar_t letter = static_cast<wchar_t>(towupper(drive.letter));
        SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(letter));
        if (chosen >= L'A' && chosen <= L'Z' && letter == chosen && select < 0) select = static_cast<int>(at);
    }
    const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    if (select < 0) select = before == CB_ERR && preferred >= 0 && preferred < count ? preferred : 0;
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(select), 0);
    InvalidateRect(combo, nullptr, TRUE);
    return select;
}

bool DrawOwnerDrawnComboItem(const DRAWITEMSTRUCT* dis) {
    if (!dis || dis->CtlType != ODT_COMBOBOX || !IsOwnerDrawnComboId(static_cast<int>(dis->CtlID)) ||
        !IsLive(dis->hwndItem))
        return false;
    const bool field = (dis->itemState & ODS_COMBOBOXEDIT) != 0;
    if (dis->itemID == static_cast<UINT>(-1) && !field) return true;
    std::wstring text;
    if (field) text = ComboItemText(dis->hwndItem, SendMessageW(dis->hwndItem, CB_GETCURSEL, 0, 0));
    else text = ComboItemText(dis->hwndItem, dis->itemID);
    if (field) text = ComboSelectionDisplayText(static_cast<int>(dis->CtlID), text);
    FillSolid(dis->hDC, dis->rcItem, (dis->itemState & ODS_SELECTED) ? g_uiPalette.rowSel : g_uiPalette.editWell);
    RECT rc = dis->rcItem;
    rc.left += 8;
    rc.right -= 6;
    DrawTextIn(dis->hDC, text, rc, ControlFont(dis->hwndItem),
               (dis->itemState & ODS_DISABLED) ? g_uiPalette.textMuted : g_uiPalette.text,
               DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    return true;
}

void InstallComboBoxSubclass(HWND combo) {
    if (IsLive(combo)) InstallSubclassOnce(combo, ComboBoxSubclassProc, kSubclassComboBox);
}

void DrawComboFrame(HWND combo) {
    if (!IsLive(combo)) return;
    const int id = GetDlgCtrlID(combo);
    const bool modeCombo = id == kComboAnalysisDriveId || id == kComboDupDriveId || id == kComboDupModeId;
    const COLORREF candidate = modeCombo ? Mix(g_uiPalette.border, g_uiPalette.accent, 72) : g_uiPalette.border;
    const COLORREF background = modeCombo ? g_uiPalette.controlBg : g_uiPalette.toolbar;
    const COLORREF outline = PickContrastOutlineColor(g_uiPalette.editWell, candidate, background);
    HDC dc = GetDC(combo);
    if (!dc) return;
    FrameHollow(dc, ComboBodyRect(combo), outline);
    ReleaseDC(combo, dc);
}

void ApplyComboListTheme(HWND combo) {
    if (!IsLive(combo)) return;
    COMBOBOXINFO info{sizeof(info)};
    if (!GetComboBoxInfo(combo, &info) || !IsLive(info.hwndList)) return;
    HWND list = info.hwndList;
    ReapplyListTheme(list);
    InstallSubclassOnce(list, ComboListSubclassProc, kSubclassComboList);
    EnumChildWindows(list, NarrowScrollBarCallback, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void RemoveComboListSubclass(HWND combo) {
    if (!IsLive(combo)) return;
    COMBOBOXINFO info{sizeof(info)};
    if (!GetComboBoxInfo(combo, &info) || !IsLive(info.hwndList)) return;
    EnumChildWindows(info.hwndList, RemoveScrollBarSubclassCallback, 0);
    RemoveWindowSubclass(info.hwndList, ComboListSubclassProc, kSubclassComboList);
}

void DrawOverlayScrollBar(HWND list) {
    if (!IsLive(list) || !(GetWindowLongPtrW(list, GWL_STYLE) & WS_VSCROLL)) return;
    RECT window{}, client{};
    GetWindowRect(list, &window);
    GetClientRect(list, &client);
    POINT clientRight{client.right, 0};
    ClientToScreen(list, &clientRight);
    const int width = window.right - window.left, height = window.bottom - window.top;
    const int w = std::max<int>(window.right - clientRight.x, ScaleForDpi(5));
    if (height <= 0) return;
    SCROLLINFO si{sizeof(si), SIF_ALL};
    if (!GetScrollInfo(list, SB_VERT, &si)) return;
    HDC dc = GetWindowDC(list);
    if (!dc) return;
    RECT strip{width - w, 0, width, height};
    FillSolid(dc, strip, g_uiPalette.surface);
    FlatThumb t = ComputeFlatThumb(height, si);
    RECT thumb{strip.left + 2, t.offset + ScaleForDpi(2), strip.right - 1, 0};
    thumb.bottom = std::max<LONG>(t.offset + t.length - ScaleForDpi(2), thumb.top + ScaleForDpi(12));
    SolidBrush brush(g_uiPalette.scrollThumb);
    FillRoundRect(dc, thumb, ScaleForDpi(3), brush.get());
    ReleaseDC(list, dc);
}

void DrawClientBorder(HWND window) {
    if (!IsLive(window)) return;
    HDC dc = GetDC(window);
    if (!dc) return;
    RECT rc{};
    GetClientRect(window, &rc);
    POINT pts[5] = {{rc.left, rc.top}, {rc.right - 1, rc.top}, {rc.right - 1, rc.bottom - 1},
                    {rc.left, rc.bottom - 1}, {rc.left, rc.top}};
    {
        SelectedPen pen(dc, g_uiPalette.border, true);
        Polyline(dc, pts, 5);
    }
    ReleaseDC(window, dc);
}

void DrawWindowBorder(HWND window) {
    if (!IsLive(window)) return;
    HDC dc = GetWindowDC(window);
    if (!dc) return;
    RECT rc{};
    GetWindowRect(window, &rc);
    OffsetRect(&rc, -rc.left, -rc.top);
    FrameHollow(dc, rc, g_uiPalette.border);
    ReleaseDC(window, dc);
}

// ---------------------------------------------------------------------------------------------
// Push buttons, filter tags and menus

void FillRoundRect(HDC dc, RECT rc, int radius, HBRUSH brush) {
    if (!dc || !brush) return;
    HRGN region = CreateRoundRectRgn(rc.left, rc.top, rc.right + 1, rc.bottom + 1, radius, radius);
    if (region) {
        FillRgn(dc, region, brush);
        DeleteObject(region);
    } else {
        FillRect(dc, &rc, brush);
    }
}

void SubclassHoverButton(HWND button) {
    if (!IsLive(button)) return;
    WNDPROC previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(HoverButtonProc)));
    if (!g_hoverButtonPrevProc && previous != HoverButtonProc) g_hoverButtonPrevProc = previous;
}

bool IsPrimaryButtonId(int id) { return id == kButtonAnalysisScanId || id == kButtonDupScanId; }

COLORREF OnAccentTextColor(COLORREF accent) {
    return ColorLuminance(accent) < 150 ? RGB(0xF8, 0xFA, 0xFC) : RGB(0x12, 0x16, 0x18);
}

ButtonLook ComputeButtonLook(bool primary, bool pressed, bool disabled, bool hover) {
    const UiPalette& p = g_uiPalette;
    hover = hover && !disabled;
    ButtonLook look{};
    if (!primary) {
        if (disabled) look = {p.controlBg, p.border, p.textMuted};
        else if (pressed) look = {p.accentTint, p.accent, p.accent};
        else if (hover) look = {p.hoverBg, p.accent, p.text};
        else look = {p.editWell, p.border, p.text};
    } else {
        const COLORREF onAccent = OnAccentTextColor(p.accent);
        if (disabled) look = {Mix(p.border, p.controlBg, 12), p.border, p.textMuted};
        else if (pressed) look = {p.accentPressed, PerChannel(p.accentPressed, 78), onAccent};
        else if (hover) look = {PerChannel(p.accent, 86, 3570), p.accentPressed, onAccent};
        else look = {p.accent, p.accentPressed, onAccent};
    }
    look.outline = PickContrastOutlineColor(look.fill, look.outline, p.controlBg);
    return look;
}

bool DrawThemedButton(const DRAWITEMSTRUCT* dis) {
    if (!dis || dis->CtlType != ODT_BUTTON) return false;
    const int id = static_cast<int>(dis->CtlID);
    if (!IsPrimaryButtonId(id) && id != kButtonAnalysisBackId && id != kButtonDupBackId && id != kButtonDupPauseId)
        return false;
    const bool pressed = (dis->itemState & ODS_SELECTED) != 0;
    const bool disabled = (dis->itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
    const bool hover = !disabled && dis->hwndItem == g_hoverButton;
    HDC dc = dis->hDC;
    RECT rc = dis->rcItem;
    FillSolid(dc, rc, g_uiPalette.controlBg);
    const ButtonLook look = ComputeButtonLook(IsPrimaryButtonId(id), pressed, disabled, hover);
    const int r = ScaleForDpi(8);
    {
        SolidBrush fill(look.fill);
        FillRoundRect(dc, rc, r, fill.get());
    }
    RoundOutline(dc, rc, look.outline, r);
    RECT textRc{rc.left + ScaleForDpi(6), rc.top, rc.right - ScaleForDpi(6), rc.bottom};
    DrawTextIn(dc, WindowText(dis->hwndItem, 128), textRc,
               g_fontButton ? g_fontButton : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)), look.text,
               DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    return true;
}

std::wstring FilterTagLine(const std::wstring& text) {
    size_t crlf = text.find(L"\r\n");
    if (crlf == std::wstring::npos) return text;
    std::wstring count = text.substr(crlf + 2);
    return count.empty() ? text.substr(0, crlf) : text.substr(0, crlf) + L" " + count;
}

bool DrawFilterTag(const DRAWITEMSTRUCT* dis) {
    if (!dis || dis->CtlType != ODT_BUTTON || !dis->hwndItem) return false;
    const int id = static_cast<int>(dis->CtlID);
    if (id < kFilterTagFirstId || id > kFilterTagLastId) return false;
    const int i = id - kFilterTagFirstId;
    const bool selected = i == g_currentFilterCategory.load();
    const bool hover = (dis->itemState & ODS_HOTLIGHT) || i == g_hoveredFilterIndex;
    const bool pressed = (dis->itemState & ODS_SELECTED) != 0;
    const bool disabled = (dis->itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
    const UiPalette& p = g_uiPalette;
    HDC dc = dis->hDC;
    RECT rc = dis->rcItem;
    FillSolid(dc, rc, p.toolbar);
    COLORREF pill = selected ? p.controlBg : (hover ? (disabled ? p.toolbar : p.hoverBg) : p.toolbar);
    if (pressed && !disabled && !selected) pill = p.hoverBg;
    const int r = ScaleForDpi(8);
    if (selected || hover || pressed) {
        SolidBrush fill(pill);
        FillRoundRect(dc, rc, r, fill.get());
        if (selected) RoundOutline(dc, rc, p.accent, r);
    } else {
        RoundOutline(dc, rc, p.divider, r);
    }
    COLORREF color = p.tagText;
    if (disabled) color = kSlate;
    else if (selected) color = p.accent;
    else if (hover) color = g_darkTheme ? RGB(0xF1, 0xF5, 0xF9) : RGB(0x1E, 0x29, 0x3B);
    RECT textRc{rc.left + ScaleForDpi(8), rc.top, rc.right - ScaleForDpi(8), rc.bottom};
    DrawTextIn(dc, FilterTagLine(WindowText(dis->hwndItem, 256)), textRc,
               g_fontButton ? g_fontButton : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)), color,
               DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    return true;
}

void SplitMenuText(const std::wstring& text, std::wstring& label, std::wstring& rest) {
    size_t tab = text.find(L'\t');
    label = tab == std::wstring::npos ? text : text.substr(0, tab);
    rest = tab == std::wstring::npos ? std::wstring() : text.substr(tab + 1);
}

BOOL AppendMenuItem(HMENU menu, UINT flags, UINT_PTR id, const std::wstring& text) {
    return AppendMenuW(menu, (flags & ~MF_OWNERDRAW) | MF_STRING, id, text.c_str());
}

BOOL AppendMenuSeparator(HMENU menu) { return AppendMenuW(menu, MF_SEPARATOR, 0, nullptr); }

// ---------------------------------------------------------------------------------------------
// Scroll bars, date pickers and edit frames

FlatThumb ComputeFlatThumb(int track, const SCROLLINFO& si) {
    FlatThumb t;
    if (track < 1) return t;
    const int page = std::max<int>(static_cast<int>(si.nPage), 1);
    const int range = std::max(si.nMax - si.nMin + 1, 1);
    t.length = std::max(std::min(track, MulDiv(track, page, range)), ScaleForDpi(18));
    const int travel = std::max(track - t.length, 0);
    const int span = std::max(si.nMax - page - si.nMin + 1, 1);
    t.offset = std::clamp(MulDiv(travel, si.nPos - si.nMin, span), 0, travel);
    return t;
}

void PaintFlatScrollBar(HWND bar, HDC dc) {
    if (!IsLive(bar) || !dc) return;
    RECT rc{};
    GetClientRect(bar, &rc);
    FillSolid(dc, rc, g_uiPalette.surface);
    SCROLLINFO si{sizeof(si), SIF_ALL};
    if (!GetScrollInfo(bar, SB_CTL, &si)) return;
    const bool vertical = (GetWindowLongPtrW(bar, GWL_STYLE) & SBS_VERT) != 0;
    const int track = vertical ? rc.bottom - rc.top : rc.right - rc.left;
    if (track < 1) return;
    const FlatThumb t = ComputeFlatThumb(track, si);
    const int i = std::max(ScaleForDpi(1), 1);
    const int length = std::max(t.length - 2 * i, ScaleForDpi(12));
    RECT thumb = vertical ? RECT{rc.left + i, rc.top + i + t.offset, rc.right - i, rc.top + i + t.offset + length}
                          : RECT{rc.left + i + t.offset, rc.top + i, rc.left + i + t.offset + length, rc.bottom - i};
    SolidBrush brush(g_uiPalette.scrollThumb);
    FillRoundRect(dc, thumb, ScaleForDpi(3), brush.get());
}

void ApplyFlatScrollBarTheme(HWND bar) {
    if (!IsLive(bar)) return;
    ApplyControlTheme(bar, g_darkTheme);
    SetWindowTheme(bar, L"", nullptr);
    InstallSubclassOnce(bar, FlatScrollBarSubclassProc, kSubclassFlatScrollBar);
    InvalidateRect(bar, nullptr, TRUE);
}

BOOL CALLBACK ApplyScrollBarThemeCallback(HWND child, LPARAM) {
    if (!IsScrollBarClass(child)) return TRUE;
    ApplyControlTheme(child, g_darkTheme);
    SetWindowTheme(child, g_darkTheme ? L"DarkMode_Explorer" : L"", nullptr);
    InstallSubclassOnce(child, FlatScrollBarSubclassProc, kSubclassFlatScrollBar);
    InvalidateRect(child, nullptr, TRUE);
    return TRUE;
}

BOOL CALLBACK RemoveScrollBarSubclassCallback(HWND child, LPARAM) {
    if (IsScrollBarClass(child)) RemoveWindowSubclass(child, FlatScrollBarSubclassProc, kSubclassFlatScrollBar);
    return TRUE;
}

void InstallDateTimePickerSubclass(HWND picker) {
    if (!IsLive(picker)) return;
    InstallSubclassOnce(picker, DateTimePickerSubclassProc, kSubclassDatePicker);
    InvalidateRect(picker, nullptr, FALSE);
}

void ApplyMonthCalendarTheme(HWND picker) {
    if (!IsLive(picker)) return;
    HWND cal = reinterpret_cast<HWND>(SendMessageW(picker, DTM_GETMONTHCAL, 0, 0));
    if (!IsLive(cal)) return;
    ApplyControlTheme(cal, g_darkTheme);
    const UiPalette& p = g_uiPalette;
    SendMessageW(cal, MCM_SETCOLOR, MCSC_BACKGROUND, p.editWell);
    SendMessageW(cal, MCM_SETCOLOR, MCSC_MONTHBK, p.editWell);
    SendMessageW(cal, MCM_SETCOLOR, MCSC_TEXT, p.text);
    SendMessageW(cal, MCM_SETCOLOR, MCSC_TITLEBK, p.controlBg);
    SendMessageW(cal, MCM_SETCOLOR, MCSC_TITLETEXT, p.text);
    SendMessageW(cal, MCM_SETCOLOR, MCSC_TRAILINGTEXT, kSlate);
    // The drop-down container that holds the calendar as a child, if it has one. A calendar that
    // is a pop-up of its own has none: GetParent would give its owner, the window that holds the
    // picker, which must keep its size.
    HWND container = (GetWindowLongPtrW(cal, GWL_STYLE) & WS_CHILD) ? GetAncestor(cal, GA_PARENT) : nullptr;
    if (container == picker || container == GetAncestor(picker, GA_ROOT) || !IsLive(container)) container = nullptr;
    RECT min{};
    if (SendMessageW(cal, MCM_GETMINREQRECT, 0, reinterpret_cast<LPARAM>(&min))) {
        for (HWND h : {cal, container}) {
            if (!h) continue;
            LONG_PTR ex = GetWindowLongPtrW(h, GWL_EXSTYLE);
            if (ex & WS_EX_CLIENTEDGE) {
                SetWindowLongPtrW(h, GWL_EXSTYLE, ex & ~static_cast<LONG_PTR>(WS_EX_CLIENTEDGE));
                SetWindowPos(h, nullptr, 0, 0, 0, 0,
                             SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            }
        }
        if (container) {
            RECT pr{};
            GetWindowRect(container, &pr);
            SetWindowPos(container, nullptr, 0, 0, std::max<LONG>(min.right - min.left, pr.right - pr.left) + 2,
                         std::max<LONG>(min.bottom - min.top, pr.bottom - pr.top) + 2,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            DrawWindowBorder(container);
        }
        DrawClientBorder(cal);
    }
    InvalidateRect(cal, nullptr, TRUE);
}

void SubclassThemedBackground(HWND button) {
    if (!IsLive(button)) return;
    WNDPROC previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ThemedBackgroundWndProc)));
    if (!g_themedBackgroundPrevProc && previous != ThemedBackgroundWndProc) g_themedBackgroundPrevProc = previous;
}

void SetRoundFramedEdit(HWND edit) { g_roundFramedEdit = edit; }

void DrawRoundedEditFrame(HWND edit, HDC dc, bool frameOnly) {
    if (!IsLive(edit) || !dc) return;
    RECT rc{};
    GetClientRect(edit, &rc);
    const int r = ScaleForDpi(8);
    // The corners outside the rounded frame show the top band behind the box, also after the
    // edit's own paint filled its whole client area with the well's colour.
    GdiObject<HRGN> outside(CreateRectRgnIndirect(&rc));
    GdiObject<HRGN> well(CreateRoundRectRgn(rc.left, rc.top, rc.right + 1, rc.bottom + 1, r, r));
    if (outside && well && CombineRgn(outside.get(), outside.get(), well.get(), RGN_DIFF) != ERROR) {
        SolidBrush band(g_uiPalette.toolbar);
        FillRgn(dc, outside.get(), band.get());
    }
    if (!frameOnly) {
        SolidBrush fill(g_uiPalette.editWell);
        if (well) FillRgn(dc, well.get(), fill.get());
        else FillRect(dc, &rc, fill.get());
    }
    SelectedPen pen(dc, g_uiPalette.border, true);
    RoundRect(dc, rc.left, rc.top, rc.right, rc.bottom, r, r);
}

void DrawEditFrame(HWND edit) {
    if (!IsLive(edit)) return;
    HDC dc = GetDC(edit);
    if (!dc) return;
    if (edit == g_roundFramedEdit) {
        DrawRoundedEditFrame(edit, dc, true);
    } else {
        RECT rc{};
        GetClientRect(edit, &rc);
        FrameHollow(dc, rc, g_uiPalette.border);
    }
    ReleaseDC(edit, dc);
}
