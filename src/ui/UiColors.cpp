#include "ui/UiColors.h"

#include <cstdlib>
#include <cwchar>

#include "core/Core.h"

namespace {

constexpr COLORREF Hex(unsigned rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

constexpr UiPalette kLightBase = {
    Hex(0x1E293B), Hex(0x94A3B8), Hex(0x0F7646), Hex(0xF1F4F8), Hex(0xE8EDF3), Hex(0x94A3B8), Hex(0x64748B),
    Hex(0xFFFFFF), Hex(0xE2E8F0), Hex(0x64748B), Hex(0xE4E9F0), Hex(0xB0EDD0), Hex(0xFFFFFF), Hex(0x334155),
    Hex(0x2FA36E), Hex(0xCBD5E1), Hex(0xCBD5E1), Hex(0xFFFFFF), Hex(0xD8F3E6), Hex(0xE8EEF5), Hex(0xD8F3E6),
    Hex(0x258A5B), Hex(0xE8EDF3), Hex(0xDCE3EC), Hex(0x334155), Hex(0xDCE3EC)};

constexpr UiPalette kDarkBase = {
    Hex(0xCBD5E1), Hex(0x3B4252), Hex(0x5CE0AB), Hex(0x12141C), Hex(0x161823), Hex(0x42B883), Hex(0x64748B),
    Hex(0x1E2230), Hex(0x1E202A), Hex(0x7A8296), Hex(0x161823), Hex(0x355A48), Hex(0x1E2230), Hex(0x9AA3B8),
    Hex(0x42B883), Hex(0x232738), Hex(0x222430), Hex(0x1E2230), Hex(0x263A33), Hex(0x161925), Hex(0x263A33),
    Hex(0x38A074), Hex(0x12141C), Hex(0x181A25), Hex(0x9AA3B8), Hex(0x1C1F2B)};

constexpr int kSlotEditWell = 2;
constexpr int kSlotAccent = 8;
constexpr int kSlotBorder = 9;

// Per-channel weighted mix a * wa + b * (100 - wa), divided by 100 and truncated.
COLORREF Mix(COLORREF a, COLORREF b, int wa) {
    auto ch = [&](int shift) {
        int ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
        return static_cast<COLORREF>((ca * wa + cb * (100 - wa)) / 100) << shift;
    };
    return ch(0) | ch(8) | ch(16);
}

template <typename F>
COLORREF PerChannel(COLORREF c, F f) {
    return RGB(f(GetRValue(c)), f(GetGValue(c)), f(GetBValue(c)));
}

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

}  // namespace

UiPalette g_uiPalette = kDarkBase;
bool g_darkTheme = false;

const ColorSlot g_colorSlots[kColorSlotCount] = {
    {L"surface", L"窗口背景", L"Window background", &UiPalette::surface},
    {L"toolbar", L"工具栏背景", L"Toolbar background", &UiPalette::toolbar},
    {L"editWell", L"搜索框背景", L"Search box background", &UiPalette::editWell},
    {L"text", L"主文字", L"Main text", &UiPalette::text},
    {L"textHit", L"搜索命中文字", L"Search hit text", &UiPalette::textHit},
    {L"searchHit", L"搜索命中底色", L"Search hit background", &UiPalette::searchHit},
    {L"header", L"表头文字", L"Table header text", &UiPalette::header},
    {L"rowSel", L"表格选中行", L"Selected table row", &UiPalette::rowSel},
    {L"accent", L"强调色", L"Accent", &UiPalette::accent},
    {L"border", L"边框", L"Border", &UiPalette::border},
};

const ColorPreset g_colorPresets[kColorPresetCount] = {
    {L"品牌青绿 · 浅色", L"Brand Mint Light", 0,
     {Hex(0xFFFFFF), Hex(0xF8FAFC), Hex(0xFFFFFF), Hex(0x475569), Hex(0x168B4F), Hex(0xB0EDD0), Hex(0x5C6B82),
      Hex(0xE8F8F1), Hex(0x42B883), Hex(0xE2E8F0)}},
    {L"品牌青绿 · 深色", L"Brand Mint Dark", 1,
     {Hex(0x12141C), Hex(0x161823), Hex(0x1E2230), Hex(0xCBD5E1), Hex(0x5CE0AB), Hex(0x355A48), Hex(0x9AA3B8),
      Hex(0x263A33), Hex(0x42B883), Hex(0x222430)}},
    {L"海雾青 · 浅色", L"Sea Mist Light", 0,
     {Hex(0xF7FBFC), Hex(0xEEF5F7), Hex(0xFFFFFF), Hex(0x2C3E4A), Hex(0x0B7A8A), Hex(0xD2EEF2), Hex(0x5A727E),
      Hex(0xD8EFF3), Hex(0x1A9BA8), Hex(0xD0DEE4)}},
    {L"午夜岩灰 · 深色", L"Midnight Slate", 1,
     {Hex(0x141518), Hex(0x1A1B20), Hex(0x22242A), Hex(0xE2E4E9), Hex(0xF0B45A), Hex(0x3A2E1A), Hex(0x9A9EA8),
      Hex(0x3A3222), Hex(0xE8A83C), Hex(0x2A2C34)}},
    {L"纸感暖灰 · 浅色", L"Warm Paper", 0,
     {Hex(0xFCFBF8), Hex(0xF3F1EC), Hex(0xFFFFFF), Hex(0x3A3630), Hex(0x2F6F6A), Hex(0xD9EBE8), Hex(0x7A746A),
      Hex(0xE0EEEB), Hex(0x3D8B82), Hex(0xE4E0D8)}},
    {L"深海靛蓝 · 深色", L"Deep Ocean", 1,
     {Hex(0x0B121C), Hex(0x101826), Hex(0x162234), Hex(0xD7E2F0), Hex(0x4DD4C8), Hex(0x1A3A42), Hex(0x8A9BB0),
      Hex(0x1A3A48), Hex(0x3BC4B8), Hex(0x1C283A)}},
    {L"赤陶暖色 · 浅色", L"Terra Clay", 0,
     {Hex(0xFFF9F5), Hex(0xF7F0EA), Hex(0xFFFFFF), Hex(0x3D2E26), Hex(0xC45C26), Hex(0xF5DFD0), Hex(0x7A6558),
      Hex(0xF3E0D4), Hex(0xD46A2E), Hex(0xE8DCD2)}},
    {L"墨绿夜色 · 深色", L"Forest Night", 1,
     {Hex(0x0E1412), Hex(0x141C18), Hex(0x1C2822), Hex(0xD8E6DC), Hex(0x7DD39A), Hex(0x244232), Hex(0x8FA596),
      Hex(0x244232), Hex(0x5CC482), Hex(0x223028)}},
    {L"雾蓝灰 · 浅色", L"Fog Blue", 0,
     {Hex(0xF5F7FA), Hex(0xEBEFF5), Hex(0xFFFFFF), Hex(0x2A3342), Hex(0x2F6FB8), Hex(0xD7E6F8), Hex(0x6B788A),
      Hex(0xDBE8F7), Hex(0x3A7CC8), Hex(0xD4DBE6)}},
    {L"炭黑金 · 深色", L"Carbon Gold", 1,
     {Hex(0x111112), Hex(0x18181A), Hex(0x222226), Hex(0xE8E6E1), Hex(0xE0C072), Hex(0x3A321C), Hex(0xA09A8E),
      Hex(0x3A3420), Hex(0xD4B058), Hex(0x2C2C30)}},
};

COLORREF g_customColors[kColorSlotCount] = {};
bool g_customColorSet[kColorSlotCount] = {};
int g_lastColorPreset = -1;

const UiPalette& GetBasePalette(bool dark) { return dark ? kDarkBase : kLightBase; }

void ApplyThemePalette(bool dark) { g_uiPalette = GetBasePalette(dark); }

int ColorLuminance(COLORREF c) {
    return (GetRValue(c) * 299 + GetGValue(c) * 587 + GetBValue(c) * 114) / 1000;
}

void ApplyCustomColorOverrides() {
    for (int i = 0; i < kColorSlotCount; ++i)
        if (g_customColorSet[i]) g_uiPalette.*(g_colorSlots[i].entry) = g_customColors[i];
    const bool darkSurface = ColorLuminance(g_uiPalette.surface) < 128;
    if (g_customColorSet[kSlotAccent]) {
        const COLORREF accent = g_uiPalette.accent;
        const int w = darkSurface ? 82 : 74;
        g_uiPalette.accentPressed = PerChannel(accent, [w](int c) { return c * w / 100; });
        g_uiPalette.accentTint = Mix(accent, g_uiPalette.surface, darkSurface ? 28 : 12);
        g_uiPalette.scrollThumbHot = accent;
    }
    if (g_customColorSet[kSlotBorder])
        g_uiPalette.divider = Mix(g_uiPalette.border, g_uiPalette.surface, darkSurface ? 70 : 45);
    if (g_customColorSet[kSlotEditWell]) g_uiPalette.controlBg = g_uiPalette.editWell;
}

COLORREF GetUiColor(int slot) {
    if (slot < 0 || slot >= kColorSlotCount) return RGB(0, 0, 0);
    return g_customColorSet[slot] ? g_customColors[slot] : g_uiPalette.*(g_colorSlots[slot].entry);
}

COLORREF PickContrastOutlineColor(COLORREF fill, COLORREF candidate, COLORREF background) {
    const int lf = ColorLuminance(fill), lc = ColorLuminance(candidate), lb = ColorLuminance(background);
    COLORREF chosen = candidate;
    if (!(std::abs(lc - lf) >= 26 && std::abs(lc - lb) >= 18)) {
        chosen = lf < 150 ? PerChannel(fill, [](int c) { return (12240 + c * 52) / 100; })
                          : PerChannel(fill, [](int c) { return c * 68 / 100; });
    }
    if (std::abs(ColorLuminance(chosen) - lb) >= 18) return chosen;
    return lb >= 150 ? PerChannel(background, [](int c) { return c * 62 / 100; })
                     : PerChannel(background, [](int c) { return (13260 + c * 48) / 100; });
}

std::wstring FormatHexColor(COLORREF c) {
    wchar_t text[8];
    _snwprintf(text, 8, L"#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
    text[7] = 0;
    return text;
}

bool ParseHexColor(const std::wstring& text, COLORREF& out) {
    size_t begin = text.find_first_not_of(L" \t");
    if (begin == std::wstring::npos) return false;
    size_t end = text.find_last_not_of(L" \t\r\n");
    if (end == std::wstring::npos || end < begin) return false;
    std::wstring s = text.substr(begin, end - begin + 1);
    if (!s.empty() && s[0] == L'#') s.erase(0, 1);
    if (s.size() != 6) return false;
    int v[6];
    for (int i = 0; i < 6; ++i)
        if ((v[i] = HexDigit(s[i])) < 0) return false;
    out = RGB(v[0] * 16 + v[1], v[2] * 16 + v[3], v[4] * 16 + v[5]);
    return true;
}

std::wstring GetUiColorsPath() { return GetConfigDir() + L"\\ui_colors.ini"; }

void LoadUiColors() { LoadUiColorsFrom(GetUiColorsPath()); }

void LoadUiColorsFrom(const std::wstring& path) {
    for (int i = 0; i < kColorSlotCount; ++i) {
        g_customColorSet[i] = false;
        g_customColors[i] = 0;
    }
    ReadTextLines(
        path,
        [](const std::wstring& raw) {
            std::wstring line = raw;
            TrimWhitespace(line);
            if (line.empty() || line[0] == L'#') return;
            std::wstring key, value;
            if (!SplitKeyValue(line, key, value)) return;
            COLORREF color = 0;
            if (!ParseHexColor(value, color)) return;
            for (int i = 0; i < kColorSlotCount; ++i) {
                if (_wcsicmp(key.c_str(), g_colorSlots[i].key) == 0) {
                    g_customColors[i] = color;
                    g_customColorSet[i] = true;
                    break;
                }
            }
        },
        4096, size_t(1) << 20);
}

bool SaveUiColorsTo(const std::wstring& path) {
    std::wstring text = L"# Custom UI colors (hex RRGGBB). Use Reset in Settings to restore theme defaults.\n";
    text += L"# 自定义界面配色；在设置中心点“恢复默认配色”可还原主题默认值。\n";
    for (int i = 0; i < kColorSlotCount; ++i) {
        if (!g_customColorSet[i]) continue;
        text += g_colorSlots[i].key;
        text += L"=" + FormatHexColor(g_customColors[i]).substr(1) + L"\n";
    }
    if (WriteTextFileReplacing(path, text)) return true;
    LogGdi((L"ui_colors.ini not saved, error " + std::to_wstring(GetLastError())).c_str());
    return false;
}

bool SaveUiColors() { return SaveUiColorsTo(GetUiColorsPath()); }

bool ResetUiColors() {
    g_lastColorPreset = -1;
    for (bool& set : g_customColorSet) set = false;
    return SaveUiColors();
}
