#include "core/Tasks.h"

#include <memory>
#include <thread>

#include "core/Logs.h"

std::atomic<bool> g_shuttingDown{false};

namespace {

thread_local const wchar_t* t_threadTag = L"main";

struct TaskBlock {
    const wchar_t* name;
    std::function<void()> work;
};

void RunTaskBody(TaskBlock* raw) {
    std::unique_ptr<TaskBlock> block(raw);
    SetThreadTag(block->name ? block->name : L"background");
    try {
        block->work();  // an empty function throws std::bad_function_call
    } catch (...) {
        LogBackgroundException(block->name);
    }
}

}  // namespace

const wchar_t* GetThreadTag() { return t_threadTag; }

void SetThreadTag(const wchar_t* tag) { t_threadTag = tag ? tag : L"background"; }

void RunBackgroundTask(const wchar_t* name, const std::function<void()>& work) {
    auto block = std::make_unique<TaskBlock>(TaskBlock{name, work});
    std::thread thread(&RunTaskBody, block.get());
    block.release();  // the thread owns the block from here on
    thread.detach();
}

