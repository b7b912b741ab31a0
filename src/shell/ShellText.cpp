// Small pieces of the shell without window state: the hidden switch, hotkey.ini, hotkey names
// and the exit summary line.
#include <cstdio>
#include <cwchar>

#include <algorithm>

#include "core/Core.h"
#include "shell/Shell.h"
#include "ui/Ui.h"

bool CommandLineAsksHidden(const wchar_t* commandLine, const wchar_t* lpCmdLine) {
    int argc = 0;
    LPWSTR* argv = commandLine ? CommandLineToArgvW(commandLine, &argc) : nullptr;
    if (argv) {
        bool hidden = false;
        for (int i = 1; i < argc; ++i) {
            if (_wcsicmp(argv[i], L"-hidden") == 0 || _wcsicmp(argv[i], L"/hidden") == 0) hidden = true;
        }
        LocalFree(argv);
        return hidden;
    }
    if (!lpCmdLine) return false;
    return wcsstr(lpCmdLine, L"-hidden") != nullptr || wcsstr(lpCmdLine, L"/hidden") != nullptr;
}

std::wstring FormatHotkeyText(UINT modifiers, UINT vk) {
    std::wstring text;
    if (modifiers & MOD_CONTROL) text += L"Ctrl+";
    if (modifiers & MOD_ALT) text += L"Alt+";
    if (modifiers & MOD_SHIFT) text += L"Shift+";
    if (modifiers & MOD_WIN) text += L"Win+";
    wchar_t name[64] = {};
    UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    if (scan && GetKeyNameTextW(static_cast<LONG>(scan << 16), name, 64) > 0) {
        text += name;
    } else if ((vk >= L'A' && vk <= L'Z') || (vk >= L'0' && vk <= L'9')) {
        text += static_cast<wchar_t>(vk);
    } else {
        text += L"Key";
    }
    return text;
}

std::wstring FormatPerfSummary(uint64_t hits, uint64_t misses, uint64_t diskReads,
                               uint64_t hydrateCalls, uint64_t hydrateMicros, uint64_t lockWaitUs,
                               uint64_t loadMs, uint64_t saveMs) {
    const uint64_t probes = hits + misses;
    const uint64_t ratio = probes ? hits * 10000 / probes : 0;
    std::wstring fraction = std::to_wstring(ratio % 100);
    if (fraction.size() < 2) fraction.insert(fraction.begin(), L'0');
    return L"summary hit_ratio=" + std::to_wstring(ratio / 100) + L"." + fraction +
           L"% hits=" + std::to_wstring(hits) + L" misses=" + std::to_wstring(misses) +
           L" disk_reads=" + std::to_wstring(diskReads) + L" hydrate_calls=" +
           std::to_wstring(hydrateCalls) + L" hydrate_us=" + std::to_wstring(hydrateMicros) +
           L" lock_wait_us=" + std::to_wstring(lockWaitUs) + L" cache_load_ms=" +
           std::to_wstring(loadMs) + L" cache_save_ms=" + std::to_wstring(saveMs);
}

TopBarLayout ComputeTopBarLayout(int clientWidth, bool sizeCustom, bool dateCustom) {
    const int m = ScaleForDpi(20), g = ScaleForDpi(12), scope = ScaleForDpi(120);
    const int combo = ScaleForDpi(130), edit = ScaleForDpi(78), unit = ScaleForDpi(78);
    const int picker = ScaleForDpi(130), three = ScaleForDpi(3), six = ScaleForDpi(6);
    TopBarLayout l;
    l.y = ScaleForDpi(16);
    int extra = 0;
    if (sizeCustom) extra = unit + edit + g + three;
    if (dateCustom) extra += 2 * picker + g + three;
    int sizeX = clientWidth - 2 * combo - extra - g - m;
    const int minSizeX = ScaleForDpi(80) + scope + g + m;
    if (minSizeX > sizeX) sizeX = minSizeX;
    l.scopeX = m;
    l.scopeWidth = scope;
    l.editX = m + scope + g;
    l.editWidth = std::max(ScaleForDpi(80), sizeX - l.editX - g);
    l.sizeX = sizeX;
    l.comboWidth = combo;
    int next = sizeX + combo + g;
    l.customEditX = sizeX + combo + three;
    l.customEditWidth = edit;
    l.unitX = sizeX + combo + edit + six;
    l.unitWidth = unit;
    if (sizeCustom) next = sizeX + combo + edit + unit + g + six;
    l.dateX = next;
    l.fromX = next + combo + three;
    l.toX = next + combo + picker + six;
    l.pickerWidth = picker;
    return l;
}
