#pragma once
// Pieces of the main window procedure shared between the shell's source files.
#include <windows.h>

#include <string>

// Message id registered for "TaskbarCreated" (0 until WM_CREATE).
extern UINT g_taskbarCreatedMsg;
// The single-instance mutex, held until the process ends.
extern HANDLE g_singleInstanceMutex;

LRESULT OnCreate(HWND hwnd);
LRESULT OnSize(HWND hwnd, WPARAM wParam, LPARAM lParam);
void OnDestroy(HWND hwnd);
LRESULT OnClose(HWND hwnd);
// Worker messages, timers and system notifications; true when handled (result set).
bool HandleWorkerMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
bool HandleTimer(HWND hwnd, UINT_PTR id);
LRESULT OnDeviceChange(HWND hwnd, WPARAM wParam, LPARAM lParam);
// WM_COMMAND from the child controls.
void OnCommand(HWND hwnd, WPARAM wParam, LPARAM lParam);
LRESULT OnNotify(HWND hwnd, LPARAM lParam);
// Context menus.
void ShowResultsContextMenu(HWND hwnd, POINT clientPoint);
void OnTrayNotify(HWND hwnd, LPARAM lParam);

// Sets the status line text (when the status line exists).
void SetStatusText(const std::wstring& text);
// The search box text (at most 255 characters).
std::wstring ReadSearchBoxText();
// Places the top bar of the search mode for a client width.
void LayoutTopBar(int clientWidth);
// Wheel and scroll-bar scrolling of the result list (search mode); true when handled.
bool HandleListScrollInput(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// A fault while the hover tooltip of the results was built (what = the exception's text, null
// for one of no standard type): a crash report the program survives, once per run (false when
// one was already written).
bool ReportTooltipFault(const char* what);
// Keys and mouse of the results list (search mode) and the shell menu's owner-draw messages;
// true when handled (result set).
bool HandleResultsListInput(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

