#include "ui/WindowUnit.h"

#include <algorithm>
#include <vector>

namespace {

std::vector<WindowUnit*>& Units() {
    static std::vector<WindowUnit*> units;
    return units;
}

// A copy, so a hook may register or clear units without invalidating the loop.
std::vector<WindowUnit*> Snapshot() { return Units(); }

}  // namespace

void RegisterWindowUnit(WindowUnit& unit) {
    auto& units = Units();
    if (std::find(units.begin(), units.end(), &unit) == units.end()) units.push_back(&unit);
}

void ClearWindowUnits() { Units().clear(); }

void UnitsCreate(HWND window) {
    for (WindowUnit* unit : Snapshot()) unit->OnCreate(window);
}

void UnitsDestroy(HWND window) {
    // Destroyed in the reverse order of creation.
    auto units = Snapshot();
    for (auto it = units.rbegin(); it != units.rend(); ++it) (*it)->OnDestroy(window);
}

void UnitsLayout(HWND window, int width, int height) {
    for (WindowUnit* unit : Snapshot()) unit->OnLayout(window, width, height);
}

bool UnitsPaint(HWND window, HDC dc, const RECT& client) {
    for (WindowUnit* unit : Snapshot())
        if (unit->OnPaint(window, dc, client)) return true;
    return false;
}

bool UnitsCommand(HWND window, int id, int code, HWND control) {
    for (WindowUnit* unit : Snapshot())
        if (unit->OnCommand(window, id, code, control)) return true;
    return false;
}

bool UnitsTimer(HWND window, UINT_PTR id) {
    for (WindowUnit* unit : Snapshot())
        if (unit->OnTimer(window, id)) return true;
    return false;
}

bool UnitsMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    for (WindowUnit* unit : Snapshot())
        if (unit->OnMessage(window, msg, wParam, lParam, result)) return true;
    return false;
}

void UnitsModeChanged(HWND window, int oldMode, int newMode) {
    for (WindowUnit* unit : Snapshot()) unit->OnModeChanged(window, oldMode, newMode);
}

void UnitsLanguageChanged(HWND window) {
    for (WindowUnit* unit : Snapshot()) unit->OnLanguageChanged(window);
}

void UnitsThemeChanged(HWND window) {
    for (WindowUnit* unit : Snapshot()) unit->OnThemeChanged(window);
}

void UnitsDrivesChanged(HWND window) {
    for (WindowUnit* unit : Snapshot()) unit->OnDrivesChanged(window);
}
