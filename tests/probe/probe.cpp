// probe.exe: a small console tool the end-to-end scripts run beside the real program (under Wine
// on the same display and server) to see what a user would see and to drive what xdotool cannot.
// It never links the program's code: it looks at the program only from outside.
//
// Usage: probe.exe [--hwnd 0xHWND | --class NAME] COMMAND [ARGS...]
//   The target window is the program's main window (class MARROWLENS) unless --hwnd or --class
//   names another top-level window. Output is UTF-8, one item per line. Exit code 0 on success,
//   1 when the target or the data asked for is missing, 2 on a usage error.
//
// Commands
//   window                     the target window's handle, "0x..." (exit 1 when there is none)
//   windows                    the visible top-level windows of the target's process, one per
//                              line: hwnd class "title" (message boxes and menus show up here)
//   controls                   the target's child windows, one per line:
//                              hwnd id=N class=NAME visible=0|1 rect=x,y,w,h text="..."
//   text ID                    the text of the child control with id ID
//   clip-text                  the clipboard's CF_UNICODETEXT
//   clip-files                 the clipboard's CF_HDROP file list, one path per line
//   clip-effect                the clipboard's "Preferred DropEffect" as a number (1 copy,
//                              2 move, 5 copy+link), "none" when absent
//   clip-formats               the clipboard's formats: id and name
//   clip-set-text TEXT         puts TEXT on the clipboard as CF_UNICODETEXT
//   clip-clear                 empties the clipboard
//   post MSG [WPARAM [LPARAM]] PostMessageW to the target
//   send MSG [WPARAM [LPARAM]] SendMessageTimeoutW (5 s) to the target; prints the result
//   post-child ID MSG [W [L]]  PostMessageW to the target's child control with id ID
//   command ID                 posts WM_COMMAND with ID (no notification code, no control)
//   search-text TEXT           replaces the search box text (control id 101) the way a paste
//                              does: selects all, puts TEXT on the clipboard, sends WM_PASTE
//   search-chars TEXT          posts one WM_CHAR per character of TEXT to the search box
//   pixel X Y [X Y ...]        the colour "RRGGBB" at each client point X,Y of the target, one
//                              line per point (read from the screen: the window must be visible
//                              and uncovered)
//   window-pixels [CLASS]      the client area of the target (or of its first child window of
//                              class CLASS) read from the screen: a line "W H", then H lines of
//                              W colours "RRGGBB" separated by blanks
//   window-rect CLASS          the first visible top-level window of the target's process of class
//                              CLASS (a tooltip, say): "rect=x,y,w,h work=left,top,right,bottom"
//                              in screen coordinates, with the work area of its monitor
//   tray                       "tray=1" when the target has its notification icon (uID 1),
//                              "tray=0" otherwise (an icon-less NIM_MODIFY succeeds only for an
//                              icon that was added)
//   hold-hotkey MODS VK SECS   registers the global hotkey MODS+VK for this process, prints
//                              "held" (or "refused ERROR" and exit 1), keeps it SECS seconds
//   visible                    "visible=1" or "visible=0": whether the target window is shown
//   set-title TEXT             sets the target's title (WM_SETTEXT): a mark that the program's
//                              next title change replaces, so a script can wait for that change
//   ui-faces                   the faces Windows gives menus, message boxes, status texts and
//                              captions (SystemParametersInfo) and the stock GUI font, one
//                              "role=FACE" line each
//   glyphs FACE PX WEIGHT TEXT...
//                              draws every letter of each TEXT alone in a font of FACE (PX pixels
//                              high, WEIGHT) in a memory bitmap, as DrawTextW does, and compares
//                              it with U+E000 drawn the same way (a private-use character no
//                              installed font has: the missing-glyph box). One line per TEXT:
//                              "ok TEXT" or "missing U+XXXX ... in TEXT" for letters drawn as that
//                              box or not at all; exit 1 when any letter is missing. The first
//                              line tells the face the font system chose: "face=NAME"
//   file-delete PATH           DeleteFileW(PATH), as another program would while the target asks a
//                              question: prints "ok" or "error N" (exit 1 on an error)
//   file-write PATH TEXT       opens PATH for writing (sharing everything) and writes TEXT over its
//                              first bytes: "ok" or "error N"
//   file-rename PATH NEW       MoveFileW(PATH, NEW): "ok" or "error N"
// MSG is a number (decimal or 0x hex), a name from the table below (WM_COMMAND, WM_CHAR, ...),
// WM_USER+N or WM_APP+N, or reg:NAME for RegisterWindowMessageW(NAME). WPARAM and LPARAM are
// numbers; "xy:X,Y" packs two coordinates into an LPARAM as MAKELPARAM does.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <cwctype>
#include <string>
#include <vector>

namespace {

void WriteUtf8(DWORD stdHandle, const std::wstring& text) {
  int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                  nullptr, nullptr);
  if (bytes <= 0) return;
  std::string utf8(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(), bytes,
                      nullptr, nullptr);
  DWORD written = 0;
  WriteFile(GetStdHandle(stdHandle), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

void Out(const std::wstring& line) { WriteUtf8(STD_OUTPUT_HANDLE, line + L"\n"); }
void Err(const std::wstring& line) { WriteUtf8(STD_ERROR_HANDLE, L"probe: " + line + L"\n"); }

std::wstring Hex(const void* p) {
  wchar_t buf[32];
  _snwprintf(buf, 32, L"0x%llx", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(p)));
  return buf;
}

bool ParseNumber(const wchar_t* text, long long& value) {
  if (!text || !*text) return false;
  wchar_t* end = nullptr;
  value = wcstoll(text, &end, 0);
  while (end && iswspace(*end)) ++end;
  return end && end != text && *end == 0;
}

bool ParseParam(const wchar_t* text, long long& value) {
  if (text && wcsncmp(text, L"xy:", 3) == 0) {
    long long x = 0, y = 0;
    std::wstring rest = text + 3;
    size_t comma = rest.find(L',');
    if (comma == std::wstring::npos) return false;
    if (!ParseNumber(rest.substr(0, comma).c_str(), x) || !ParseNumber(rest.substr(comma + 1).c_str(), y))
      return false;
    value = static_cast<long long>(static_cast<DWORD>(MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y))));
    return true;
  }
  return ParseNumber(text, value);
}

struct NamedMessage {
  const wchar_t* name;
  UINT id;
};

constexpr NamedMessage kMessages[] = {
    {L"WM_NULL", WM_NULL},           {L"WM_CLOSE", WM_CLOSE},
    {L"WM_COMMAND", WM_COMMAND},     {L"WM_SYSCOMMAND", WM_SYSCOMMAND},
    {L"WM_CHAR", WM_CHAR},           {L"WM_KEYDOWN", WM_KEYDOWN},
    {L"WM_KEYUP", WM_KEYUP},         {L"WM_PASTE", WM_PASTE},
    {L"WM_COPY", WM_COPY},           {L"WM_CUT", WM_CUT},
    {L"WM_CLEAR", WM_CLEAR},         {L"WM_TIMER", WM_TIMER},
    {L"WM_HOTKEY", WM_HOTKEY},       {L"WM_MOUSEMOVE", WM_MOUSEMOVE},
    {L"WM_LBUTTONDOWN", WM_LBUTTONDOWN}, {L"WM_LBUTTONUP", WM_LBUTTONUP},
    {L"WM_LBUTTONDBLCLK", WM_LBUTTONDBLCLK}, {L"WM_RBUTTONDOWN", WM_RBUTTONDOWN},
    {L"WM_RBUTTONUP", WM_RBUTTONUP}, {L"WM_MOUSEWHEEL", WM_MOUSEWHEEL},
    {L"WM_VSCROLL", WM_VSCROLL},     {L"WM_HSCROLL", WM_HSCROLL},
    {L"WM_CONTEXTMENU", WM_CONTEXTMENU}, {L"WM_SETFOCUS", WM_SETFOCUS},
    {L"WM_ACTIVATE", WM_ACTIVATE},   {L"WM_SIZE", WM_SIZE},
    {L"WM_GETTEXTLENGTH", WM_GETTEXTLENGTH}, {L"WM_SETTINGCHANGE", WM_SETTINGCHANGE},
    {L"WM_DEVICECHANGE", WM_DEVICECHANGE}, {L"WM_POWERBROADCAST", WM_POWERBROADCAST},
    {L"WM_THEMECHANGED", WM_THEMECHANGED}, {L"WM_USER", WM_USER},
    {L"WM_APP", WM_APP},             {L"EM_SETSEL", EM_SETSEL},
    {L"BM_CLICK", BM_CLICK},         {L"CB_GETCURSEL", CB_GETCURSEL},
    {L"CB_SETCURSEL", CB_SETCURSEL},
};

bool ParseMessage(const wchar_t* text, UINT& id) {
  if (!text) return false;
  if (wcsncmp(text, L"reg:", 4) == 0) {
    id = RegisterWindowMessageW(text + 4);
    return id != 0;
  }
  std::wstring name = text;
  long long offset = 0;
  size_t plus = name.find(L'+');
  if (plus != std::wstring::npos) {
    if (!ParseNumber(name.substr(plus + 1).c_str(), offset)) return false;
    name.resize(plus);
  }
  for (const NamedMessage& m : kMessages) {
    if (_wcsicmp(m.name, name.c_str()) == 0) {
      id = m.id + static_cast<UINT>(offset);
      return true;
    }
  }
  long long value = 0;
  if (plus == std::wstring::npos && ParseNumber(text, value)) {
    id = static_cast<UINT>(value);
    return true;
  }
  return false;
}

std::wstring WindowText(HWND hwnd) {
  // WM_GETTEXT through a timeout: a hung program must not hang the probe.
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) return L"";
  if (length > 1 << 20) length = 1 << 20;
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                           SMTO_ABORTIFHUNG, 2000, &copied))
    return L"";
  text.resize(wcsnlen(text.c_str(), text.size()));
  return text;
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[256] = {};
  GetClassNameW(hwnd, name, 256);
  return name;
}

std::wstring Escaped(const std::wstring& text) {
  std::wstring out;
  for (wchar_t c : text) {
    if (c == L'\r') out += L"\\r";
    else if (c == L'\n') out += L"\\n";
    else if (c == L'"') out += L"\\\"";
    else if (c == L'\\') out += L"\\\\";
    else out += c;
  }
  return out;
}

HWND ChildById(HWND parent, int id) {
  struct Find {
    int id;
    HWND found;
  } find{id, nullptr};
  EnumChildWindows(
      parent,
      [](HWND child, LPARAM p) -> BOOL {
        auto* f = reinterpret_cast<Find*>(p);
        if (GetDlgCtrlID(child) == f->id) {
          f->found = child;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&find));
  return find.found;
}

int ListControls(HWND target) {
  std::vector<HWND> children;
  EnumChildWindows(
      target,
      [](HWND child, LPARAM p) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(p)->push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&children));
  for (HWND child : children) {
    RECT r{};
    GetWindowRect(child, &r);
    POINT topLeft{r.left, r.top};
    ScreenToClient(target, &topLeft);
    wchar_t line[160];
    _snwprintf(line, 160, L" id=%d class=", GetDlgCtrlID(child));
    std::wstring text = Hex(child) + line + ClassOf(child);
    _snwprintf(line, 160, L" visible=%d rect=%ld,%ld,%ld,%ld text=\"", IsWindowVisible(child) ? 1 : 0,
               topLeft.x, topLeft.y, r.right - r.left, r.bottom - r.top);
    Out(text + line + Escaped(WindowText(child)) + L"\"");
  }
  return 0;
}

int ListTopWindows(HWND target) {
  struct Ctx {
    DWORD pid;
  } ctx{};
  GetWindowThreadProcessId(target, &ctx.pid);
  EnumWindows(
      [](HWND hwnd, LPARAM p) -> BOOL {
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        if (pid == reinterpret_cast<Ctx*>(p)->pid && IsWindowVisible(hwnd))
          Out(Hex(hwnd) + L" " + ClassOf(hwnd) + L" \"" + Escaped(WindowText(hwnd)) + L"\"");
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&ctx));
  return 0;
}

// The clipboard may be held by the program for a moment: try for up to a second.
bool OpenClipboardRetrying() {
  for (int i = 0; i < 50; ++i) {
    if (OpenClipboard(nullptr)) return true;
    Sleep(20);
  }
  Err(L"cannot open the clipboard");
  return false;
}

struct ClipboardSession {
  bool open = OpenClipboardRetrying();
  ~ClipboardSession() {
    if (open) CloseClipboard();
  }
};

int ClipText() {
  ClipboardSession clip;
  if (!clip.open) return 1;
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (!data) return 1;
  const auto* text = static_cast<const wchar_t*>(GlobalLock(data));
  if (!text) return 1;
  size_t limit = GlobalSize(data) / sizeof(wchar_t);
  Out(std::wstring(text, wcsnlen(text, limit)));
  GlobalUnlock(data);
  return 0;
}

int ClipFiles() {
  ClipboardSession clip;
  if (!clip.open) return 1;
  auto drop = static_cast<HDROP>(GetClipboardData(CF_HDROP));
  if (!drop) return 1;
  UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    UINT length = DragQueryFileW(drop, i, nullptr, 0);
    std::wstring path(length + 1, L'\0');
    DragQueryFileW(drop, i, path.data(), length + 1);
    path.resize(length);
    Out(path);
  }
  return count ? 0 : 1;
}

int ClipEffect() {
  ClipboardSession clip;
  if (!clip.open) return 1;
  UINT format = RegisterClipboardFormatW(L"Preferred DropEffect");
  HANDLE data = format ? GetClipboardData(format) : nullptr;
  if (!data || GlobalSize(data) < sizeof(DWORD)) {
    Out(L"none");
    return 0;
  }
  const auto* effect = static_cast<const DWORD*>(GlobalLock(data));
  if (!effect) return 1;
  Out(std::to_wstring(*effect));
  GlobalUnlock(data);
  return 0;
}

int ClipFormats() {
  ClipboardSession clip;
  if (!clip.open) return 1;
  for (UINT f = EnumClipboardFormats(0); f; f = EnumClipboardFormats(f)) {
    wchar_t name[256] = {};
    if (!GetClipboardFormatNameW(f, name, 256)) name[0] = 0;
    Out(std::to_wstring(f) + L" " + name);
  }
  return 0;
}

bool SetClipboardText(const std::wstring& text) {
  ClipboardSession clip;
  if (!clip.open) return false;
  EmptyClipboard();
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  if (!mem) return false;
  void* dst = GlobalLock(mem);
  if (!dst) {
    GlobalFree(mem);
    return false;
  }
  memcpy(dst, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  GlobalUnlock(mem);
  if (!SetClipboardData(CF_UNICODETEXT, mem)) {
    GlobalFree(mem);
    return false;
  }
  return true;
}

int ClipClear() {
  ClipboardSession clip;
  if (!clip.open) return 1;
  return EmptyClipboard() ? 0 : 1;
}

int PostOrSend(HWND to, bool send, int argc, wchar_t** argv) {
  UINT msg = 0;
  long long w = 0, l = 0;
  if (argc < 1 || !ParseMessage(argv[0], msg) || (argc > 1 && !ParseParam(argv[1], w)) ||
      (argc > 2 && !ParseParam(argv[2], l))) {
    Err(L"bad message or parameter");
    return 2;
  }
  if (!send) {
    if (!PostMessageW(to, msg, static_cast<WPARAM>(w), static_cast<LPARAM>(l))) {
      Err(L"PostMessageW failed, error " + std::to_wstring(GetLastError()));
      return 1;
    }
    return 0;
  }
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(to, msg, static_cast<WPARAM>(w), static_cast<LPARAM>(l), SMTO_ABORTIFHUNG, 5000,
                           &result)) {
    Err(L"SendMessageTimeoutW failed, error " + std::to_wstring(GetLastError()));
    return 1;
  }
  Out(std::to_wstring(static_cast<long long>(result)));
  return 0;
}

constexpr int kSearchEditId = 101;

int SearchText(HWND target, const std::wstring& text) {
  HWND edit = ChildById(target, kSearchEditId);
  if (!edit) return 1;
  if (!SetClipboardText(text)) return 1;
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(edit, EM_SETSEL, 0, -1, SMTO_ABORTIFHUNG, 2000, &ignored);
  if (!SendMessageTimeoutW(edit, WM_PASTE, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored)) return 1;
  return 0;
}

int SearchChars(HWND target, const std::wstring& text) {
  HWND edit = ChildById(target, kSearchEditId);
  if (!edit) return 1;
  for (wchar_t c : text) PostMessageW(edit, WM_CHAR, c, 1);
  return 0;
}

// One line "RRGGBB" per point (client coordinates), "none" for a point off the screen.
int Pixels(HWND target, const std::vector<POINT>& points) {
  HDC screen = GetDC(nullptr);
  bool all = true;
  for (POINT p : points) {
    ClientToScreen(target, &p);
    COLORREF c = GetPixel(screen, p.x, p.y);
    if (c == CLR_INVALID) {
      Out(L"none");
      all = false;
      continue;
    }
    wchar_t buf[16];
    _snwprintf(buf, 16, L"%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
    Out(buf);
  }
  ReleaseDC(nullptr, screen);
  return all ? 0 : 1;
}

// The client area of a window as seen on the screen (a notification icon of the shell, say).
int WindowPixels(HWND window) {
  RECT client{};
  if (!GetClientRect(window, &client) || client.right <= 0 || client.bottom <= 0) return 1;
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  HDC screen = GetDC(nullptr);
  Out(std::to_wstring(client.right) + L" " + std::to_wstring(client.bottom));
  for (int y = 0; y < client.bottom; ++y) {
    std::wstring line;
    for (int x = 0; x < client.right; ++x) {
      COLORREF c = GetPixel(screen, origin.x + x, origin.y + y);
      wchar_t buf[16];
      _snwprintf(buf, 16, L"%s%02X%02X%02X", x ? L" " : L"", GetRValue(c), GetGValue(c), GetBValue(c));
      line += buf;
    }
    Out(line);
  }
  ReleaseDC(nullptr, screen);
  return 0;
}

HWND FirstChildOfClass(HWND parent, const std::wstring& cls) {
  struct Find {
    const std::wstring* cls;
    HWND found;
  } find{&cls, nullptr};
  EnumChildWindows(
      parent,
      [](HWND child, LPARAM p) -> BOOL {
        auto* f = reinterpret_cast<Find*>(p);
        if (_wcsicmp(ClassOf(child).c_str(), f->cls->c_str()) != 0) return TRUE;
        f->found = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&find));
  return find.found;
}

int WindowRect(HWND target, const std::wstring& cls) {
  struct Find {
    DWORD pid;
    const std::wstring* cls;
    HWND found;
  } find{0, &cls, nullptr};
  GetWindowThreadProcessId(target, &find.pid);
  EnumWindows(
      [](HWND hwnd, LPARAM p) -> BOOL {
        auto* f = reinterpret_cast<Find*>(p);
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        if (pid != f->pid || !IsWindowVisible(hwnd) || _wcsicmp(ClassOf(hwnd).c_str(), f->cls->c_str()) != 0)
          return TRUE;
        f->found = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&find));
  if (!find.found) return 1;
  RECT r{};
  GetWindowRect(find.found, &r);
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  GetMonitorInfoW(MonitorFromWindow(find.found, MONITOR_DEFAULTTONEAREST), &info);
  wchar_t line[160];
  _snwprintf(line, 160, L"rect=%ld,%ld,%ld,%ld work=%ld,%ld,%ld,%ld", r.left, r.top, r.right - r.left,
             r.bottom - r.top, info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom);
  Out(line);
  return 0;
}

int Tray(HWND target) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof(data);
  data.hWnd = target;
  data.uID = 1;
  data.uFlags = 0;
  bool present = Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
  Out(present ? L"tray=1" : L"tray=0");
  return 0;
}

int HoldHotkey(long long modifiers, long long vk, long long seconds) {
  if (!RegisterHotKey(nullptr, 1, static_cast<UINT>(modifiers), static_cast<UINT>(vk))) {
    Out(L"refused " + std::to_wstring(GetLastError()));
    return 1;
  }
  Out(L"held");
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(seconds) * 1000;
  while (GetTickCount64() < end) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(50);
  }
  UnregisterHotKey(nullptr, 1);
  return 0;
}

int FileResult(bool ok) {
  Out(ok ? L"ok" : L"error " + std::to_wstring(GetLastError()));
  return ok ? 0 : 1;
}

int FileWrite(const wchar_t* path, const std::wstring& text) {
  HANDLE file = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return FileResult(false);
  const std::string bytes(text.begin(), text.end());
  DWORD written = 0;
  const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size();
  const DWORD error = GetLastError();
  CloseHandle(file);
  SetLastError(error);
  return FileResult(ok);
}

// What a font draws for one piece of text: the pixels of a white bitmap it was drawn on in black.
class GlyphCanvas {
 public:
  GlyphCanvas(HFONT font) : dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = kSide;
    info.bmiHeader.biHeight = -kSide;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<const DWORD*>(bits);
    oldBitmap_ = SelectObject(dc_, bitmap_);
    oldFont_ = SelectObject(dc_, font);
    SetTextColor(dc_, RGB(0, 0, 0));
    SetBkMode(dc_, TRANSPARENT);
  }
  ~GlyphCanvas() {
    SelectObject(dc_, oldFont_);
    SelectObject(dc_, oldBitmap_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  GlyphCanvas(const GlyphCanvas&) = delete;
  GlyphCanvas& operator=(const GlyphCanvas&) = delete;

  std::wstring Face() const {
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc_, LF_FACESIZE, face);
    return face;
  }

  // The pixels of text drawn at the top left; empty when nothing was drawn.
  std::vector<DWORD> Draw(const std::wstring& text) {
    if (!bits_) return {};
    RECT all{0, 0, kSide, kSide};
    FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    RECT r{4, 4, kSide - 4, kSide - 4};
    DrawTextW(dc_, text.c_str(), static_cast<int>(text.size()), &r, DT_SINGLELINE | DT_NOPREFIX | DT_LEFT | DT_TOP);
    GdiFlush();
    std::vector<DWORD> pixels(bits_, bits_ + kSide * kSide);
    for (DWORD& p : pixels) p &= 0xFFFFFF;
    for (DWORD p : pixels)
      if (p != 0xFFFFFF) return pixels;
    return {};
  }

 private:
  static constexpr int kSide = 96;
  HDC dc_;
  HBITMAP bitmap_ = nullptr;
  const DWORD* bits_ = nullptr;
  HGDIOBJ oldBitmap_ = nullptr;
  HGDIOBJ oldFont_ = nullptr;
};

// Letters that draw something of their own: no spaces, controls, direction marks, joiners or
// combining marks (which draw nothing, or a mark on nothing, alone).
bool IsLetterToCheck(const std::wstring& letter) {
  wchar_t c = letter[0];
  if (letter.size() == 1) {
    if (iswspace(c) || c < 0x20 || (c >= 0x200B && c <= 0x200F) || (c >= 0x202A && c <= 0x202E) ||
        (c >= 0x2060 && c <= 0x206F) || c == 0xFEFF)
      return false;
    WORD type = 0;
    if (GetStringTypeW(CT_CTYPE3, &c, 1, &type) && (type & C3_NONSPACING)) return false;
  }
  return true;
}

int Glyphs(const std::wstring& face, int pixels, int weight, int count, wchar_t** texts) {
  if (face.size() >= LF_FACESIZE || pixels <= 0 || pixels > 64) return 2;
  HFONT font = CreateFontW(-pixels, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, face.c_str());
  if (!font) return 1;
  int rc = 0;
  {
    GlyphCanvas canvas(font);
    Out(L"face=" + canvas.Face());
    const std::vector<DWORD> box = canvas.Draw(L"\xE000");
    for (int t = 0; t < count; ++t) {
      const std::wstring text = texts[t];
      std::wstring missing;
      for (size_t i = 0; i < text.size();) {
        size_t length = IS_HIGH_SURROGATE(text[i]) && i + 1 < text.size() ? 2 : 1;
        std::wstring letter = text.substr(i, length);
        i += length;
        if (!IsLetterToCheck(letter)) continue;
        std::vector<DWORD> drawn = canvas.Draw(letter);
        if (!drawn.empty() && drawn != box) continue;
        wchar_t code[16];
        unsigned value = length == 2 ? 0x10000 + ((letter[0] - 0xD800) << 10) + (letter[1] - 0xDC00) : letter[0];
        _snwprintf(code, 16, L" U+%04X", value);
        if (missing.find(code) == std::wstring::npos) missing += code;
      }
      if (missing.empty()) {
        Out(L"ok " + text);
      } else {
        Out(L"missing" + missing + L" in " + text);
        rc = 1;
      }
    }
  }
  DeleteObject(font);
  return rc;
}

int UiFaces() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
    Out(std::wstring(L"menu=") + metrics.lfMenuFont.lfFaceName);
    Out(std::wstring(L"message=") + metrics.lfMessageFont.lfFaceName);
    Out(std::wstring(L"status=") + metrics.lfStatusFont.lfFaceName);
    Out(std::wstring(L"caption=") + metrics.lfCaptionFont.lfFaceName);
    Out(std::wstring(L"smcaption=") + metrics.lfSmCaptionFont.lfFaceName);
  }
  LOGFONTW gui{};
  if (GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(gui), &gui)) Out(std::wstring(L"gui=") + gui.lfFaceName);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int i = 1;
  HWND target = nullptr;
  bool explicitTarget = false;
  while (i + 1 < argc && argv[i][0] == L'-' && argv[i][1] == L'-') {
    long long value = 0;
    if (wcscmp(argv[i], L"--hwnd") == 0 && ParseNumber(argv[i + 1], value)) {
      target = reinterpret_cast<HWND>(static_cast<intptr_t>(value));
    } else if (wcscmp(argv[i], L"--class") == 0) {
      target = FindWindowW(argv[i + 1], nullptr);
    } else {
      Err(L"unknown option");
      return 2;
    }
    explicitTarget = true;
    i += 2;
  }
  if (i >= argc) {
    Err(L"usage: probe.exe [--hwnd H | --class NAME] COMMAND [ARGS] (see the top of probe.cpp)");
    return 2;
  }
  if (!explicitTarget) target = FindWindowW(L"MARROWLENS", nullptr);
  std::wstring command = argv[i];
  int rest = argc - i - 1;
  wchar_t** args = argv + i + 1;

  // Commands that do not need the program's window.
  if (command == L"clip-text") return ClipText();
  if (command == L"clip-files") return ClipFiles();
  if (command == L"clip-effect") return ClipEffect();
  if (command == L"clip-formats") return ClipFormats();
  if (command == L"clip-clear") return ClipClear();
  if (command == L"clip-set-text") return rest >= 1 && SetClipboardText(args[0]) ? 0 : 1;
  if (command == L"ui-faces") return UiFaces();
  if (command == L"glyphs") {
    long long px = 0, weight = 0;
    if (rest < 4 || !ParseNumber(args[1], px) || !ParseNumber(args[2], weight)) return 2;
    return Glyphs(args[0], static_cast<int>(px), static_cast<int>(weight), rest - 3, args + 3);
  }
  if (command == L"file-delete") return rest >= 1 ? FileResult(DeleteFileW(args[0]) != FALSE) : 2;
  if (command == L"file-write") return rest >= 2 ? FileWrite(args[0], args[1]) : 2;
  if (command == L"file-rename") return rest >= 2 ? FileResult(MoveFileW(args[0], args[1]) != FALSE) : 2;
  if (command == L"hold-hotkey") {
    long long m = 0, k = 0, t = 0;
    if (rest < 3 || !ParseNumber(args[0], m) || !ParseNumber(args[1], k) || !ParseNumber(args[2], t)) return 2;
    return HoldHotkey(m, k, t);
  }

  if (!target || !IsWindow(target)) {
    Err(L"no target window");
    return 1;
  }
  long long a = 0, b = 0;
  if (command == L"window") {
    Out(Hex(target));
    return 0;
  }
  if (command == L"windows") return ListTopWindows(target);
  if (command == L"controls") return ListControls(target);
  if (command == L"text") {
    if (rest < 1 || !ParseNumber(args[0], a)) return 2;
    HWND child = ChildById(target, static_cast<int>(a));
    if (!child) return 1;
    Out(WindowText(child));
    return 0;
  }
  if (command == L"post") return PostOrSend(target, false, rest, args);
  if (command == L"send") return PostOrSend(target, true, rest, args);
  if (command == L"post-child") {
    if (rest < 2 || !ParseNumber(args[0], a)) return 2;
    HWND child = ChildById(target, static_cast<int>(a));
    if (!child) return 1;
    return PostOrSend(child, false, rest - 1, args + 1);
  }
  if (command == L"command") {
    if (rest < 1 || !ParseNumber(args[0], a)) return 2;
    return PostMessageW(target, WM_COMMAND, static_cast<WPARAM>(a), 0) ? 0 : 1;
  }
  if (command == L"search-text") return rest >= 1 ? SearchText(target, args[0]) : 2;
  if (command == L"search-chars") return rest >= 1 ? SearchChars(target, args[0]) : 2;
  if (command == L"pixel") {
    if (rest < 2 || rest % 2 != 0) return 2;
    std::vector<POINT> points;
    for (int k = 0; k + 1 < rest; k += 2) {
      if (!ParseNumber(args[k], a) || !ParseNumber(args[k + 1], b)) return 2;
      points.push_back({static_cast<LONG>(a), static_cast<LONG>(b)});
    }
    return Pixels(target, points);
  }
  if (command == L"tray") return Tray(target);
  if (command == L"window-rect") return rest >= 1 ? WindowRect(target, args[0]) : 2;
  if (command == L"window-pixels") {
    HWND window = rest >= 1 ? FirstChildOfClass(target, args[0]) : target;
    return window ? WindowPixels(window) : 1;
  }
  if (command == L"set-title") {
    if (rest < 1) return 2;
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(target, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(args[0]), SMTO_ABORTIFHUNG, 5000,
                               &ignored)
               ? 0
               : 1;
  }
  if (command == L"visible") {
    Out(IsWindowVisible(target) ? L"visible=1" : L"visible=0");
    return 0;
  }
  Err(L"unknown command " + command);
  return 2;
}
