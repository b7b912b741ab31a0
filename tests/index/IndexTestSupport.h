#pragma once
// A window that collects the messages the index posts, and small helpers for the drive tests.
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "index/Index.h"

namespace indextest {

struct Posted {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

// A message-only window owned by the test thread.
class MessageSink {
public:
    MessageSink() {
        static bool registered = false;
        if (!registered) {
            WNDCLASSW wc{};
            wc.lpfnWndProc = DefWindowProcW;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"TarnwickIndexTestSink";
            RegisterClassW(&wc);
            registered = true;
        }
        hwnd = CreateWindowExW(0, L"TarnwickIndexTestSink", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    }
    ~MessageSink() { DestroyWindow(hwnd); }

    // Pumps the thread's messages until a message `msg` arrived (returns it) or the time ran out.
    bool WaitFor(UINT msg, int timeoutMs, Posted* out = nullptr) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            for (size_t i = 0; i < seen.size(); ++i) {
                if (seen[i].msg == msg) {
                    if (out) *out = seen[i];
                    seen.erase(seen.begin() + static_cast<long>(i));
                    return true;
                }
            }
            MSG m;
            while (PeekMessageW(&m, hwnd, 0, 0, PM_REMOVE)) {
                if (m.message >= WM_USER && m.message < WM_USER + 100) seen.push_back({m.message, m.wParam, m.lParam});
            }
            bool found = false;
            for (const Posted& p : seen) found = found || p.msg == msg;
            if (found) continue;
            if (std::chrono::steady_clock::now() >= until) return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
    }
    // Every message received so far, in order (pumps once).
    std::vector<Posted> Drain() {
        MSG m;
        while (PeekMessageW(&m, hwnd, 0, 0, PM_REMOVE))
            if (m.message >= WM_USER && m.message < WM_USER + 100) seen.push_back({m.message, m.wParam, m.lParam});
        std::vector<Posted> out;
        out.swap(seen);
        return out;
    }

    HWND hwnd = nullptr;
    std::vector<Posted> seen;
};

// Polls cond every 50 ms for up to timeoutMs.
inline bool WaitUntil(const std::function<bool()>& cond, int timeoutMs) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (cond()) return true;
        if (std::chrono::steady_clock::now() >= until) return false;
        Sleep(50);
    }
}

// The full paths of the live records of a volume whose walk to the root succeeds.
inline std::vector<std::wstring> LivePaths(VolumeIndex& v) {
    std::vector<std::wstring> out;
    AcquireSRWLockShared(&v.indexLock);
    for (uint64_t i = 0; i < v.records.size(); ++i) {
        if (v.records[i].deleted) continue;
        std::wstring p;
        if (v.BuildFullPath(i, p)) out.push_back(p);
    }
    ReleaseSRWLockShared(&v.indexLock);
    return out;
}

inline bool HasPath(VolumeIndex& v, const std::wstring& path) {
    for (const auto& p : LivePaths(v))
        if (_wcsicmp(p.c_str(), path.c_str()) == 0) return true;
    return false;
}

// Empties the engine between tests (the volumes are kept alive, as in the program).
inline void ResetEngine() {
    g_searchEngine.ReleaseAllVolumes();
    g_searchEngine.indexReady = false;
}

inline uint32_t Bit(wchar_t letter) { return 1u << (letter - L'A'); }

}  // namespace indextest
