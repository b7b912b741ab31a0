#include "core/Tasks.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "core/Logs.h"

std::atomic<bool> g_shuttingDown{false};

namespace {

thread_local const wchar_t* t_threadTag = L"main";

struct TaskEntry {
    const wchar_t* name;
    std::shared_ptr<std::atomic<bool>> cancel;
};

// The registry outlives every detached thread: it is never destroyed (a task still running when
// the process ends must not find it gone).
struct TaskRegistry {
    std::mutex mutex;
    std::condition_variable finished;
    std::map<TaskId, TaskEntry> running;
    TaskId nextId = 1;
};

TaskRegistry& Registry() {
    static TaskRegistry* registry = new TaskRegistry();
    return *registry;
}

struct TaskBlock {
    TaskId id;
    const wchar_t* name;
    std::shared_ptr<std::atomic<bool>> cancel;
    std::function<void(const std::atomic<bool>&)> work;
};

void Unregister(TaskId id) {
    TaskRegistry& registry = Registry();
    {
        std::lock_guard<std::mutex> lock(registry.mutex);
        registry.running.erase(id);
    }
    registry.finished.notify_all();
}

void RunTaskBody(TaskBlock* raw) {
    std::unique_ptr<TaskBlock> block(raw);
    SetThreadTag(block->name ? block->name : L"background");
    try {
        block->work(*block->cancel);  // an empty function throws std::bad_function_call
    } catch (...) {
        LogBackgroundException(block->name);
    }
    Unregister(block->id);
}

TaskId Start(const wchar_t* name, std::function<void(const std::atomic<bool>&)> work) {
    auto cancel = std::make_shared<std::atomic<bool>>(g_shuttingDown.load());
    TaskRegistry& registry = Registry();
    TaskId id = 0;
    {
        std::lock_guard<std::mutex> lock(registry.mutex);
        id = registry.nextId++;
        registry.running.emplace(id, TaskEntry{name, cancel});
    }
    auto block = std::make_unique<TaskBlock>(TaskBlock{id, name, cancel, std::move(work)});
    try {
        std::thread thread(&RunTaskBody, block.get());
        block.release();  // the thread owns the block from here on
        thread.detach();
    } catch (...) {
        Unregister(id);
        throw;
    }
    return id;
}

}  // namespace

const wchar_t* GetThreadTag() { return t_threadTag; }

void SetThreadTag(const wchar_t* tag) { t_threadTag = tag ? tag : L"background"; }

void RunBackgroundTask(const wchar_t* name, const std::function<void()>& work) {
    Start(name, [work](const std::atomic<bool>&) { work(); });
}

TaskId RunCancellableTask(const wchar_t* name, const std::function<void(const std::atomic<bool>& cancel)>& work) {
    return Start(name, work);
}

void CancelTask(TaskId id) {
    TaskRegistry& registry = Registry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    auto it = registry.running.find(id);
    if (it != registry.running.end()) it->second.cancel->store(true);
}

bool IsTaskRunning(TaskId id) {
    TaskRegistry& registry = Registry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    return registry.running.count(id) != 0;
}

std::size_t RunningTaskCount() {
    TaskRegistry& registry = Registry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    return registry.running.size();
}

bool StopAndWaitForTasks(DWORD timeoutMs) {
    TaskRegistry& registry = Registry();
    std::unique_lock<std::mutex> lock(registry.mutex);
    for (auto& [id, entry] : registry.running) entry.cancel->store(true);
    const bool done = registry.finished.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                                 [&] { return registry.running.empty(); });
    if (done) return true;
    std::wstring names;
    for (const auto& [id, entry] : registry.running) {
        if (!names.empty()) names += L", ";
        names += entry.name ? entry.name : L"background";
    }
    LogGdi((L"tasks still running at exit: " + names).c_str());
    return false;
}
