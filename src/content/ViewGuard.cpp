#include "content/ViewGuard.h"

#include <windows.h>

#include <mutex>

#if defined(_MSC_VER)

bool CallWithViewGuard(const void* begin, size_t size, bool (*fn)(void* context), void* context, bool* result) {
    const char* low = static_cast<const char*>(begin);
    const char* high = low + size;
    __try {
        *result = fn(context);
        return true;
    } __except ((GetExceptionCode() == EXCEPTION_IN_PAGE_ERROR || GetExceptionCode() == EXCEPTION_ACCESS_VIOLATION) &&
                        GetExceptionInformation()->ExceptionRecord->NumberParameters >= 2 &&
                        reinterpret_cast<const char*>(
                            GetExceptionInformation()->ExceptionRecord->ExceptionInformation[1]) >= low &&
                        reinterpret_cast<const char*>(
                            GetExceptionInformation()->ExceptionRecord->ExceptionInformation[1]) < high
                    ? EXCEPTION_EXECUTE_HANDLER
                    : EXCEPTION_CONTINUE_SEARCH) {
        return false;
    }
}

#else

// Without structured exception handling in the compiler: a vectored handler resumes the thread at
// the point captured before the call, with the guard marked as faulted.
namespace {

struct ViewGuardState {
    CONTEXT resume;
    const char* low = nullptr;
    const char* high = nullptr;
    volatile LONG active = 0;
    volatile LONG faulted = 0;
};

thread_local ViewGuardState* t_guard = nullptr;

LONG CALLBACK ViewFaultHandler(EXCEPTION_POINTERS* info) {
    ViewGuardState* g = t_guard;
    if (!g || !g->active || !info || !info->ExceptionRecord) return EXCEPTION_CONTINUE_SEARCH;
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    if (record->ExceptionCode != EXCEPTION_IN_PAGE_ERROR && record->ExceptionCode != EXCEPTION_ACCESS_VIOLATION)
        return EXCEPTION_CONTINUE_SEARCH;
    if (record->NumberParameters < 2) return EXCEPTION_CONTINUE_SEARCH;
    const char* address = reinterpret_cast<const char*>(record->ExceptionInformation[1]);
    if (address < g->low || address >= g->high) return EXCEPTION_CONTINUE_SEARCH;
    g->active = 0;
    g->faulted = 1;
    *info->ContextRecord = g->resume;
    return EXCEPTION_CONTINUE_EXECUTION;
}

}  // namespace

__attribute__((noinline)) bool CallWithViewGuard(const void* begin, size_t size, bool (*fn)(void* context),
                                                 void* context, bool* result) {
    static std::once_flag installed;
    std::call_once(installed, [] { AddVectoredExceptionHandler(1, ViewFaultHandler); });
    ViewGuardState state;
    state.low = static_cast<const char*>(begin);
    state.high = state.low + size;
    ViewGuardState* volatile guard = &state;
    t_guard = guard;
    RtlCaptureContext(&guard->resume);
    // Reached a second time, through the handler, after a fault in the range.
    if (guard->faulted) {
        t_guard = nullptr;
        return false;
    }
    guard->active = 1;
    const bool r = fn(context);
    guard->active = 0;
    t_guard = nullptr;
    *result = r;
    return true;
}

#endif
