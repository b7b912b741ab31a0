#pragma once
// Owners of Windows handles: each closes its handle once, when it goes out of scope or is
// reset, and can be moved but not copied. Use them instead of hand-written CloseHandle,
// FindClose, DeleteObject, ReleaseDC, RegCloseKey and Release pairs.
//
//   UniqueHandle file(CreateFileW(...));           if (!file) { ... GetLastError() ... }
//   UniqueFindHandle find(FindFirstFileW(...));
//   GdiObject<HBRUSH> brush(CreateSolidBrush(c));   FillRect(dc, &rc, brush.get());
//   SelectedObject keep(dc, font);                  // puts the previous object back
//   WindowDc dc(hwnd);  MemoryDc mem(dc.get());
//   ComPtr<IShellItem> item;  SHCreateItemFromParsingName(path, nullptr, IID_PPV_ARGS(item.put()));
//   RegKey key;  RegOpenKeyExW(root, path, 0, KEY_READ, key.put());
//   SrwExclusive lock(srw);  SrwShared lock(srw);
#include <windows.h>
#include <unknwn.h>

#include <utility>

// A handle with a closing function and an invalid value.
template <class H, class Traits>
class UniqueResource {
public:
    UniqueResource() = default;
    explicit UniqueResource(H h) : h_(h) {}
    ~UniqueResource() { reset(); }
    UniqueResource(UniqueResource&& other) noexcept : h_(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;

    H get() const { return h_; }
    explicit operator bool() const { return Traits::Valid(h_); }
    // Closes the held handle (if any) and takes h.
    void reset(H h = Traits::Invalid()) {
        if (Traits::Valid(h_)) Traits::Close(h_);
        h_ = h;
    }
    H release() { return std::exchange(h_, Traits::Invalid()); }
    // For functions that return a handle through a pointer: closes the held one first.
    H* put() {
        reset();
        return &h_;
    }

private:
    H h_ = Traits::Invalid();
};

struct KernelHandleTraits {  // CreateFile and friends: INVALID_HANDLE_VALUE and null are both empty
    static HANDLE Invalid() { return nullptr; }
    static bool Valid(HANDLE h) { return h && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
struct FindHandleTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static bool Valid(HANDLE h) { return h && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { FindClose(h); }
};
template <class G>
struct GdiObjectTraits {
    static G Invalid() { return nullptr; }
    static bool Valid(G h) { return h != nullptr; }
    static void Close(G h) { DeleteObject(h); }
};
struct MemoryDcTraits {
    static HDC Invalid() { return nullptr; }
    static bool Valid(HDC h) { return h != nullptr; }
    static void Close(HDC h) { DeleteDC(h); }
};
struct RegKeyTraits {
    static HKEY Invalid() { return nullptr; }
    static bool Valid(HKEY h) { return h != nullptr; }
    static void Close(HKEY h) { RegCloseKey(h); }
};
struct IconTraits {
    static HICON Invalid() { return nullptr; }
    static bool Valid(HICON h) { return h != nullptr; }
    static void Close(HICON h) { DestroyIcon(h); }
};
struct MenuTraits {
    static HMENU Invalid() { return nullptr; }
    static bool Valid(HMENU h) { return h != nullptr; }
    static void Close(HMENU h) { DestroyMenu(h); }
};

using UniqueHandle = UniqueResource<HANDLE, KernelHandleTraits>;
using UniqueFindHandle = UniqueResource<HANDLE, FindHandleTraits>;
template <class G>
using GdiObject = UniqueResource<G, GdiObjectTraits<G>>;  // HBRUSH, HPEN, HFONT, HBITMAP, HRGN
using MemoryDc = UniqueResource<HDC, MemoryDcTraits>;     // CreateCompatibleDC
using RegKey = UniqueResource<HKEY, RegKeyTraits>;
using UniqueIcon = UniqueResource<HICON, IconTraits>;
using UniqueMenu = UniqueResource<HMENU, MenuTraits>;

// A DC of a window (GetDC), released with ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// Selects an object into a DC and selects the previous one back when it goes.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(dc && object ? SelectObject(dc, object) : nullptr) {}
    ~SelectedObject() {
        if (dc_ && previous_) SelectObject(dc_, previous_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A COM interface pointer, released once.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    void reset() {
        if (p_) std::exchange(p_, nullptr)->Release();
    }
    // For IID_PPV_ARGS-style out parameters: releases the held pointer first.
    T** put() {
        reset();
        return &p_;
    }

private:
    T* p_ = nullptr;
};

// A window class registered for the lifetime of the object (unregistered when it goes).
class RegisteredWindowClass {
public:
    explicit RegisteredWindowClass(const WNDCLASSW& wc) : name_(wc.lpszClassName), instance_(wc.hInstance) {
        atom_ = RegisterClassW(&wc);
    }
    ~RegisteredWindowClass() {
        if (atom_) UnregisterClassW(name_, instance_);
    }
    RegisteredWindowClass(const RegisteredWindowClass&) = delete;
    RegisteredWindowClass& operator=(const RegisteredWindowClass&) = delete;
    explicit operator bool() const { return atom_ != 0; }  // false: GetLastError tells why

private:
    const wchar_t* name_;
    HINSTANCE instance_;
    ATOM atom_ = 0;
};

// Slim reader/writer lock guards.
class SrwExclusive {
public:
    explicit SrwExclusive(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
    ~SrwExclusive() { ReleaseSRWLockExclusive(&lock_); }
    SrwExclusive(const SrwExclusive&) = delete;
    SrwExclusive& operator=(const SrwExclusive&) = delete;

private:
    SRWLOCK& lock_;
};
class SrwShared {
public:
    explicit SrwShared(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockShared(&lock_); }
    ~SrwShared() { ReleaseSRWLockShared(&lock_); }
    SrwShared(const SrwShared&) = delete;
    SrwShared& operator=(const SrwShared&) = delete;

private:
    SRWLOCK& lock_;
};
