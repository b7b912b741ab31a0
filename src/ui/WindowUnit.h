#pragma once
// Feature units of the main window. A feature (a view mode, the tray icon, the Settings Center,
// ...) owns its handles and state in one object derived from WindowUnit and implements the hooks
// it needs; the main window calls every registered unit from its procedure instead of growing a
// case per feature. Units are registered once at start-up (src/shell/Units.cpp), live for the
// whole process and are called on the UI thread only.
#include <windows.h>

class WindowUnit {
public:
    virtual ~WindowUnit() = default;

    // The main window was created (make child controls here) or is being destroyed (release
    // handles; background work of the unit is asked to stop).
    virtual void OnCreate(HWND /*window*/) {}
    virtual void OnDestroy(HWND /*window*/) {}
    // The client area changed size (pixels, current DPI); also called after a mode switch.
    virtual void OnLayout(HWND /*window*/, int /*width*/, int /*height*/) {}
    // Paints the client area into `dc` (the back buffer) when the unit owns the current view;
    // true when it painted, so the search-mode painter is skipped.
    virtual bool OnPaint(HWND /*window*/, HDC /*dc*/, const RECT& /*client*/) { return false; }
    // WM_COMMAND from a menu, accelerator or child control; true when handled.
    virtual bool OnCommand(HWND /*window*/, int /*id*/, int /*code*/, HWND /*control*/) { return false; }
    // WM_TIMER; true when the timer id is the unit's.
    virtual bool OnTimer(HWND /*window*/, UINT_PTR /*id*/) { return false; }
    // Any other message (worker messages, input while the unit owns the view, registered
    // messages); true when handled, with `result` as the procedure's answer.
    virtual bool OnMessage(HWND /*window*/, UINT /*msg*/, WPARAM /*wParam*/, LPARAM /*lParam*/,
                           LRESULT& /*result*/) {
        return false;
    }
    // The application mode changed (see AppMode in core/Window.h).
    virtual void OnModeChanged(HWND /*window*/, int /*oldMode*/, int /*newMode*/) {}
    // The text table or the palette changed: re-translate or re-theme what the unit shows.
    virtual void OnLanguageChanged(HWND /*window*/) {}
    virtual void OnThemeChanged(HWND /*window*/) {}
    // The drives the window offers changed (a drive came or went, the index was refreshed): refill
    // what lists them.
    virtual void OnDrivesChanged(HWND /*window*/) {}
};

// Adds a unit (kept by address; a unit registered twice is kept once). Units are called in the
// order they were registered.
void RegisterWindowUnit(WindowUnit& unit);
// Removes every unit (tests).
void ClearWindowUnits();

// The dispatchers the main window calls.
void UnitsCreate(HWND window);
void UnitsDestroy(HWND window);
void UnitsLayout(HWND window, int width, int height);
bool UnitsPaint(HWND window, HDC dc, const RECT& client);
bool UnitsCommand(HWND window, int id, int code, HWND control);
bool UnitsTimer(HWND window, UINT_PTR id);
bool UnitsMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
void UnitsModeChanged(HWND window, int oldMode, int newMode);
void UnitsLanguageChanged(HWND window);
void UnitsThemeChanged(HWND window);
void UnitsDrivesChanged(HWND window);
