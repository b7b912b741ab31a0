#include "core/Crash.h"

#include <dbghelp.h>

#include <cstdlib>
#include <cwchar>
#include <exception>
#include <string>

#include "core/Paths.h"
#include "core/Tasks.h"
#include "core/Window.h"

namespace {

std::atomic<const std::atomic<uint64_t>*> g_crashTicketSource{nullptr};


constexpr int kMaxFrames = 48;
constexpr DWORD kStackOverflow = 0xC00000FD;

std::atomic<int> g_vectoredOnce{0};
std::atomic<bool> g_writeDumps{true};
thread_local ThreadCrashRecord t_crashRecord;

// The query copy the crash text prints; plain characters, always terminated at the end.
wchar_t g_crashQuery[256] = {};

// Everything a report needs about the faulting thread, captured on that thread, so that the
// report can also be written from a helper thread with stack to spare.
struct ReportJob {
    const wchar_t* reason = nullptr;
    EXCEPTION_POINTERS* exceptionPointers = nullptr;
    DWORD threadId = 0;
    const wchar_t* threadTag = nullptr;
    const ThreadCrashRecord* record = nullptr;
    bool walkFromContext = false;  // the back-trace comes from the exception context
};

// Fields of the report beyond the public context (thread identity and back-trace source).
struct ThreadInfo {
    DWORD threadId;
    const wchar_t* threadTag;
    const ThreadCrashRecord* record;
    bool walkFromContext;
};
thread_local const ThreadInfo* t_reportThreadInfo = nullptr;

void WriteHexPointer(FILE* f, const wchar_t* prefix, const void* p) {
    fwprintf(f, L"%ls0x%0*llX", prefix, static_cast<int>(sizeof(void*) * 2),
             static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(p)));
}

std::wstring ModuleFileName(HMODULE module) {
    wchar_t name[MAX_PATH] = {};
    DWORD n = GetModuleFileNameW(module, name, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) name[MAX_PATH - 1] = 0;
    return name;
}

bool IsReadableAddress(DWORD64 address) {
    MEMORY_BASIC_INFORMATION mbi{};
    if (!VirtualQuery(reinterpret_cast<void*>(address), &mbi, sizeof(mbi))) return false;
    if (mbi.State != MEM_COMMIT || (mbi.Protect & (PAGE_GUARD | PAGE_NOACCESS))) return false;
    return address + 8 <= reinterpret_cast<DWORD64>(mbi.BaseAddress) + mbi.RegionSize;
}

bool IsCodeAddress(DWORD64 address) {
    MEMORY_BASIC_INFORMATION mbi{};
    if (address < 0x10000 || !VirtualQuery(reinterpret_cast<void*>(address), &mbi, sizeof(mbi))) return false;
    const DWORD exec = PAGE_EXECUTE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    return mbi.State == MEM_COMMIT && (mbi.Protect & exec) != 0;
}

// The frames of the faulting thread unwound from the exception's context record: used when
// the report runs on a helper thread (a stack overflow leaves the faulting thread no stack).
USHORT WalkFromContext(const CONTEXT* start, void** frames, int maxFrames) {
#if defined(_M_X64) || defined(__x86_64__) || defined(_M_ARM64) || defined(__aarch64__)
    CONTEXT ctx = *start;
    USHORT count = 0;
    while (count < maxFrames) {
#if defined(_M_ARM64) || defined(__aarch64__)
        DWORD64 pc = ctx.Pc;
#else
        DWORD64 pc = ctx.Rip;
#endif
        if (pc == 0) break;
#if defined(_M_ARM64) || defined(__aarch64__)
        DWORD64 sp = ctx.Sp;
#else
        DWORD64 sp = ctx.Rsp;
#endif
        frames[count++] = reinterpret_cast<void*>(pc);
        DWORD64 imageBase = 0;
        PRUNTIME_FUNCTION entry = RtlLookupFunctionEntry(pc, &imageBase, nullptr);
        if (entry) {
            PVOID handlerData = nullptr;
            DWORD64 establisher = 0;
            RtlVirtualUnwind(UNW_FLAG_NHANDLER, imageBase, pc, entry, &ctx, &handlerData, &establisher,
                             nullptr);
        } else {
#if defined(_M_ARM64) || defined(__aarch64__)
            ctx.Pc = ctx.Lr;  // a leaf function: the return address is in the link register
            ctx.Lr = 0;
#else
            // A function without unwind data: take the first code address on the stack as
            // its return address (stack probes push a few registers before they fault).
            bool found = false;
            for (int slot = 0; slot < 8 && !found; ++slot) {
                DWORD64 at = ctx.Rsp + 8 * slot;
                if (!IsReadableAddress(at)) break;
                DWORD64 value = *reinterpret_cast<const DWORD64*>(at);
                if (IsCodeAddress(value)) {
                    ctx.Rip = value;
                    ctx.Rsp = at + 8;
                    found = true;
                }
            }
            if (!found) break;
#endif
        }
#if defined(_M_ARM64) || defined(__aarch64__)
        DWORD64 newSp = ctx.Sp;
        DWORD64 newPc = ctx.Pc;
#else
        DWORD64 newSp = ctx.Rsp;
        DWORD64 newPc = ctx.Rip;
#endif
        // Every step must move towards the stack's base (a leaf may keep it, not the pc).
        if (newSp < sp || (newSp == sp && newPc == pc)) break;
    }
    return count;
#else
    (void)start;
    (void)frames;
    (void)maxFrames;
    return 0;
#endif
}

void RunReport(const ReportJob& job);

DWORD WINAPI ReportThreadProc(LPVOID param) {
    RunReport(*static_cast<const ReportJob*>(param));
    return 0;
}

// Writes the report; a stack overflow is reported from a fresh thread with a large stack,
// which the faulting thread waits for.
void ReportFromThread(const wchar_t* reason, EXCEPTION_POINTERS* ep) {
    ReportJob job;
    job.reason = reason;
    job.exceptionPointers = ep;
    job.threadId = GetCurrentThreadId();
    job.threadTag = GetThreadTag();
    job.record = &GetThreadCrashRecord();
    bool overflow = ep && ep->ExceptionRecord && ep->ExceptionRecord->ExceptionCode == kStackOverflow;
    if (overflow && ep->ContextRecord) {
        job.walkFromContext = true;
        HANDLE thread = CreateThread(nullptr, 1024 * 1024, &ReportThreadProc, &job, 0, nullptr);
        if (thread) {
            WaitForSingleObject(thread, 60000);
            CloseHandle(thread);
            return;
        }
        job.walkFromContext = false;
    }
    RunReport(job);
}

void RunReport(const ReportJob& job) {
    ThreadInfo info{job.threadId, job.threadTag, job.record, job.walkFromContext};
    t_reportThreadInfo = &info;

    wchar_t exePath[MAX_PATH] = {};
    DWORD n = GetModuleFileNameW(nullptr, exePath, MAX_PATH);
    std::wstring folder = L".";
    if (n > 0 && n < MAX_PATH) {
        std::wstring full(exePath, n);
        size_t cut = full.find_last_of(L'\\');
        if (cut != std::wstring::npos) folder = full.substr(0, cut);
    }
    std::wstring dumpPath = folder + L"\\crash_last.dmp";

    CrashReportContext context;
    context.reason = job.reason;
    context.dumpPath = dumpPath.c_str();
    context.exceptionPointers = job.exceptionPointers;
    WriteCrashText(context, (folder + L"\\crash_early.txt").c_str());
    WriteCrashText(context, (GetConfigDir() + L"\\crash_last.txt").c_str());
    // The texts come first: a minidump can take seconds (or hang inside a damaged process),
    // and must never cost the texts.
    HANDLE file = g_writeDumps.load() ? CreateFileW(dumpPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr)
                                      : INVALID_HANDLE_VALUE;
    if (file != INVALID_HANDLE_VALUE) {
        MINIDUMP_EXCEPTION_INFORMATION mei{};
        mei.ThreadId = job.threadId;
        mei.ExceptionPointers = job.exceptionPointers;
        mei.ClientPointers = FALSE;
        auto type = static_cast<MINIDUMP_TYPE>(0x1165);
        MiniDumpWriteDump(GetCurrentProcess(), GetCurrentProcessId(), file, type,
                          job.exceptionPointers ? &mei : nullptr, nullptr, nullptr);
        CloseHandle(file);
    }

    t_reportThreadInfo = nullptr;
}

void FatalReport(const wchar_t* reason, EXCEPTION_POINTERS* ep) {
    g_crashInProgress.store(true);
    ReportFromThread(reason, ep);
}

}  // namespace

namespace core_detail {
void SetCrashDumpEnabled(bool enabled) { g_writeDumps.store(enabled); }
}  // namespace core_detail

ThreadCrashRecord& GetThreadCrashRecord() { return t_crashRecord; }

void SetCrashQueryText(const wchar_t* text) {
    size_t i = 0;
    if (text) {
        for (; i < 255 && text[i]; ++i) g_crashQuery[i] = text[i];
    }
    g_crashQuery[i] = 0;
}

bool IsFatalExceptionCode(DWORD code) {
    switch (code) {
        case 0x80000002:
        case 0xC0000005:
        case 0xC0000006:
        case 0xC000001D:
        case 0xC000008C:
        case 0xC000008E:
        case 0xC0000094:
        case 0xC0000096:
        case 0xC00000FD:
        case 0xC0000374:
        case 0xC0000409:
            return true;
        default:
            return false;
    }
}

void WriteCrashReport(const wchar_t* reason, EXCEPTION_POINTERS* exceptionPointers) {
    ReportFromThread(reason, exceptionPointers);
}

void WriteAddressWithModule(FILE* file, const wchar_t* key, const void* address) {
    if (!file || !key) return;
    if (address) {
        HMODULE module = nullptr;
        if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                static_cast<LPCWSTR>(address), &module)) {
            module = nullptr;
        }
        std::wstring name;
        if (module) {
            name = ModuleFileName(module);
        } else {
            MEMORY_BASIC_INFORMATION mbi{};
            if (VirtualQuery(address, &mbi, sizeof(mbi)) && mbi.AllocationBase) {
                module = static_cast<HMODULE>(mbi.AllocationBase);
                name = ModuleFileName(module);
                if (name.empty()) module = nullptr;
            }
        }
        if (module) {
            uintptr_t base = reinterpret_cast<uintptr_t>(module);
            uintptr_t a = reinterpret_cast<uintptr_t>(address);
            fwprintf(file, L"%ls=", key);
            WriteHexPointer(file, L"", address);
            fwprintf(file, L" module=%ls offset=0x%llX\n", name.c_str(),
                     static_cast<unsigned long long>(a >= base ? a - base : 0));
            return;
        }
    }
    fwprintf(file, L"%ls=", key);
    WriteHexPointer(file, L"", address);
    fwprintf(file, L" module=<unknown>\n");
}

void WriteCrashText(const CrashReportContext& context, const wchar_t* path) {
    if (!path) return;
    FILE* f = _wfopen(path, L"w, ccs=UTF-8");
    if (!f) return;
    const ThreadInfo* info = t_reportThreadInfo;

    SYSTEMTIME st{};
    GetLocalTime(&st);
    fwprintf(f, L"time=%04u-%02u-%02u %02u:%02u:%02u\n", st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute,
             st.wSecond);
    fwprintf(f, L"reason=%ls\n", context.reason ? context.reason : L"unknown");
    fwprintf(f, L"dump=%ls\n", context.dumpPath ? context.dumpPath : L"");

    EXCEPTION_POINTERS* ep = context.exceptionPointers;
    if (ep && ep->ExceptionRecord) {
        const EXCEPTION_RECORD* er = ep->ExceptionRecord;
        fwprintf(f, L"exception_code=0x%08X\n", static_cast<unsigned>(er->ExceptionCode));
        WriteHexPointer(f, L"exception_address=", er->ExceptionAddress);
        fwprintf(f, L"\n");
        WriteAddressWithModule(f, L"exception_module", er->ExceptionAddress);
        fwprintf(f, L"exception_flags=0x%08X\n", static_cast<unsigned>(er->ExceptionFlags));
        DWORD params = er->NumberParameters;
        fwprintf(f, L"exception_param_count=%lu\n", static_cast<unsigned long>(params));
        for (DWORD i = 0; i < params && i < 15; ++i) {
            fwprintf(f, L"exception_param_%lu=", static_cast<unsigned long>(i));
            WriteHexPointer(f, L"", reinterpret_cast<const void*>(er->ExceptionInformation[i]));
            fwprintf(f, L"\n");
        }
        if (er->ExceptionCode == 0xC0000005 && params >= 1) {
            ULONG_PTR kind = er->ExceptionInformation[0];
            const wchar_t* type = kind == 0 ? L"read" : kind == 1 ? L"write" : kind == 8 ? L"execute_dep" : L"unknown";
            fwprintf(f, L"av_type=%ls\n", type);
            if (params >= 2) {
                WriteHexPointer(f, L"av_target=", reinterpret_cast<const void*>(er->ExceptionInformation[1]));
                fwprintf(f, L"\n");
            }
        }
    }

    const ThreadCrashRecord& rec = info && info->record ? *info->record : GetThreadCrashRecord();
    const wchar_t* tag = info ? info->threadTag : GetThreadTag();
    fwprintf(f, L"thread_id=%lu\n", static_cast<unsigned long>(info ? info->threadId : GetCurrentThreadId()));
    fwprintf(f, L"thread_tag=%ls\n", tag ? tag : L"unknown");
    fwprintf(f, L"last_msg=0x%04X\n", static_cast<unsigned>(rec.msg));
    WriteHexPointer(f, L"last_hwnd=", rec.hwnd);
    fwprintf(f, L"\n");
    WriteHexPointer(f, L"last_wparam=", reinterpret_cast<const void*>(rec.wParam));
    fwprintf(f, L"\n");
    WriteHexPointer(f, L"last_lparam=", reinterpret_cast<const void*>(rec.lParam));
    fwprintf(f, L"\n");
    wchar_t extra[512];
    for (size_t i = 0; i < 512; ++i) extra[i] = rec.extra[i];
    extra[511] = 0;
    if (extra[0]) fwprintf(f, L"extra=%ls\n", extra);

    wchar_t query[256];
    for (size_t i = 0; i < 256; ++i) query[i] = g_crashQuery[i];
    query[255] = 0;
    fwprintf(f, L"query=%ls\n", query);
    const std::atomic<uint64_t>* ticket = g_crashTicketSource.load();
    fwprintf(f, L"ticket=%llu\n", static_cast<unsigned long long>(ticket ? ticket->load() : 0));
    fwprintf(f, L"mode=%d\n", static_cast<int>(*static_cast<volatile int*>(&g_appMode)));

    fwprintf(f, L"stack_begin\n");
    void* frames[kMaxFrames] = {};
    USHORT count = 0;
    if (info && info->walkFromContext && ep && ep->ContextRecord) {
        count = WalkFromContext(ep->ContextRecord, frames, kMaxFrames);
    } else {
        count = RtlCaptureStackBackTrace(0, kMaxFrames, frames, nullptr);
    }
    for (USHORT i = 0; i < count; ++i) {
        wchar_t key[32] = {};
        swprintf(key, 32, L"bt_%02u", static_cast<unsigned>(i));
        WriteAddressWithModule(f, key, frames[i]);
    }
    fwprintf(f, L"stack_end\n");
    fclose(f);
}

LONG WINAPI CrashVectoredHandler(EXCEPTION_POINTERS* exceptionPointers) {
    if (!exceptionPointers || !exceptionPointers->ExceptionRecord) return EXCEPTION_CONTINUE_SEARCH;
    if (!IsFatalExceptionCode(exceptionPointers->ExceptionRecord->ExceptionCode)) return EXCEPTION_CONTINUE_SEARCH;
    if (g_vectoredOnce.exchange(1) != 0) return EXCEPTION_CONTINUE_SEARCH;
    // A first-chance fault may still be handled by the code that raised it: the report is
    // written, but the run goes on normally (caches are still saved) unless it turns fatal.
    ReportFromThread(L"vectored_exception", exceptionPointers);
    return EXCEPTION_CONTINUE_SEARCH;
}

LONG WINAPI CrashUnhandledFilter(EXCEPTION_POINTERS* exceptionPointers) {
    FatalReport(L"unhandled_exception", exceptionPointers);
    return EXCEPTION_EXECUTE_HANDLER;
}

void CrashOnTerminate() {
    FatalReport(L"std_terminate", nullptr);
    ExitProcess(3);
}

void CrashOnInvalidParameter(const wchar_t*, const wchar_t*, const wchar_t*, unsigned int, uintptr_t) {
    FatalReport(L"invalid_parameter", nullptr);
    ExitProcess(4);
}

void CrashOnPureCall() {
    FatalReport(L"pure_virtual_call", nullptr);
    ExitProcess(5);
}

namespace {
void __cdecl PureCallThunk() { CrashOnPureCall(); }
}  // namespace

void InstallCrashHooks() {
    AddVectoredExceptionHandler(1, &CrashVectoredHandler);
    SetUnhandledExceptionFilter(&CrashUnhandledFilter);
    std::set_terminate(&CrashOnTerminate);
    _set_invalid_parameter_handler(&CrashOnInvalidParameter);
    _set_purecall_handler(&PureCallThunk);
}

#if defined(__GNUC__) && !defined(_MSC_VER)
// With GCC's runtime a pure virtual call goes to these functions, not to the C runtime's
// pure-call handler; both are defined here so the runtime's versions are never linked in.
extern "C" void __cxa_pure_virtual() { CrashOnPureCall(); }
extern "C" void __cxa_deleted_virtual() { CrashOnPureCall(); }
#endif

void SetCrashTicketSource(const std::atomic<uint64_t>* counter) { g_crashTicketSource.store(counter); }
