#include "PluginScheduler.h"

#include "config/ErrorLog.h"
#include "platform/Diagnostics.h"

#include <algorithm>
#include <deque>
#include <mutex>

namespace marlin {

namespace {

std::atomic<int> g_minuteCounter{0};


struct Job {
    DWORD threadId = 0;
    int pluginId = 0;
    int frequency = 0;
    std::wstring name;
};

} // namespace

struct CPluginScheduler::State {
    CatalogueReader catalogue;
    UpdateRunner runner;
    std::mutex workerLock;                      // workers run one after the other
    mutable std::mutex queueLock;               // the queue: appended by the window, shortened by workers
    std::deque<Job> queue;
    unique_handle startSignal{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    unique_handle stopSignal{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    // Each worker keeps the flag of the run it was started in: a stop raises
    // it, and a tick after the stop starts a new one, so a worker of a stopped
    // run never takes the new run's flag for its own.
    std::mutex stopLock;
    std::shared_ptr<std::atomic<bool>> stopping = std::make_shared<std::atomic<bool>>(false);
    std::mutex signalLock; // the start signal and whether it is held
    bool held = false;

    // Lets the workers run, unless the scheduler is held.
    void Open()
    {
        std::lock_guard lock(signalLock);
        if (!held) ::SetEvent(startSignal.get());
    }
    void Close()
    {
        std::lock_guard lock(signalLock);
        ::ResetEvent(startSignal.get());
    }

    std::shared_ptr<std::atomic<bool>> CurrentStop()
    {
        std::lock_guard lock(stopLock);
        return stopping;
    }
    // The flag for workers started now: a fresh one once the last was raised.
    std::shared_ptr<std::atomic<bool>> RunningStop()
    {
        std::lock_guard lock(stopLock);
        if (*stopping) stopping = std::make_shared<std::atomic<bool>>(false);
        return stopping;
    }

    void Remove(DWORD threadId)
    {
        std::lock_guard lock(queueLock);
        std::erase_if(queue, [&](const Job& job) { return job.threadId == threadId; });
    }
    std::optional<Job> Find(DWORD threadId) const
    {
        std::lock_guard lock(queueLock);
        const auto found = std::ranges::find(queue, threadId, &Job::threadId);
        return found == queue.end() ? std::nullopt : std::optional<Job>(*found);
    }
};

int AdvanceMinuteCounter() noexcept
{
    int current = g_minuteCounter.load();
    while (!g_minuteCounter.compare_exchange_weak(current, (current + 1) % 60)) {
    }
    return (current + 1) % 60;
}

void ResetMinuteCounter() noexcept { g_minuteCounter = 0; }

std::vector<ScheduledPlugin> DuePlugins(const std::vector<ScheduledPlugin>& plugins, int minute,
                                        const std::vector<std::wstring>& queued)
{
    std::vector<ScheduledPlugin> due;
    for (const ScheduledPlugin& plugin : plugins) {
        if (std::ranges::find(queued, plugin.name) != queued.end()) continue; // still being refreshed
        if (plugin.frequency > 0 && minute % plugin.frequency == 0) due.push_back(plugin);
    }
    return due;
}

namespace {

// What a worker is started with: the state it shares and its run's stop flag.
struct WorkerStart {
    std::shared_ptr<CPluginScheduler::State> state;
    std::shared_ptr<std::atomic<bool>> stopping;
};

// A worker: waits for its turn and the start signal, runs its job unless the
// scheduler stops, and always removes its job. It holds the state it shares
// and the module until it has ended.
DWORD WINAPI RunAutoUpdates(void* parameter) noexcept
{
    HMODULE self = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&RunAutoUpdates), &self);
    {
        std::unique_ptr<WorkerStart> owned(static_cast<WorkerStart*>(parameter));
        CPluginScheduler::State& state = *owned->state;
        const std::atomic<bool>& stopping = *owned->stopping;
        const DWORD me = ::GetCurrentThreadId();
        try {
            std::lock_guard turn(state.workerLock);
            const HANDLE signals[] = {state.startSignal.get(), state.stopSignal.get()};
            const DWORD woken = ::WaitForMultipleObjects(2, signals, FALSE, INFINITE);
            if (woken == WAIT_OBJECT_0 && !stopping) {
                if (const std::optional<Job> job = state.Find(me)) {
                    if (!state.runner(job->pluginId, stopping) && !stopping) {
                        LogError(kRiskLow, ErrorMessages::kPluginUpdateFailed);
                    }
                }
            }
        } catch (...) {
            ReportFailure(L"RunAutoUpdates");
        }
        state.Remove(me);
    }
    if (self) ::FreeLibraryAndExitThread(self, 0);
    return 0;
}

} // namespace

CPluginScheduler::CPluginScheduler(CatalogueReader catalogue, UpdateRunner runner)
    : m_state(std::make_shared<State>())
{
    m_state->catalogue = std::move(catalogue);
    m_state->runner = std::move(runner);
}

CPluginScheduler::~CPluginScheduler() { Stop(); }

std::vector<std::wstring> CPluginScheduler::QueuedNames() const
{
    std::lock_guard lock(m_state->queueLock);
    std::vector<std::wstring> names;
    for (const Job& job : m_state->queue) names.push_back(job.name);
    return names;
}

void CPluginScheduler::SetHeld(bool held)
{
    {
        std::lock_guard lock(m_state->signalLock);
        m_state->held = held;
        if (held) ::ResetEvent(m_state->startSignal.get());
    }
    // Released: workers queued meanwhile may run now.
    if (!held && !*m_state->CurrentStop()) m_state->Open();
}

void CPluginScheduler::ReapFinishedWorkers()
{
    std::erase_if(m_workers, [](const unique_handle& worker) { return ::WaitForSingleObject(worker.get(), 0) == WAIT_OBJECT_0; });
}

size_t CPluginScheduler::Tick(bool signedIn)
{
    std::lock_guard workers(m_workersLock);
    ReapFinishedWorkers();
    if (!signedIn || !m_state->startSignal || !m_state->stopSignal) return 0;
    const int minute = AdvanceMinuteCounter();
    const std::optional<std::vector<ScheduledPlugin>> plugins = m_state->catalogue ? m_state->catalogue() : std::nullopt;
    if (!plugins) return 0;
    // A tick after a stop starts a new run.
    const std::shared_ptr<std::atomic<bool>> stopping = m_state->RunningStop();
    ::ResetEvent(m_state->stopSignal.get());
    size_t started = 0;
    for (const ScheduledPlugin& plugin : DuePlugins(*plugins, minute, QueuedNames())) {
        HMODULE held = nullptr;
        if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&RunAutoUpdates),
                                  &held)) {
            break;
        }
        auto shared = std::make_unique<WorkerStart>(WorkerStart{m_state, stopping});
        DWORD threadId = 0;
        // Suspended until its job is queued: a worker always finds its own job.
        unique_handle worker(::CreateThread(nullptr, 0, &RunAutoUpdates, shared.get(), CREATE_SUSPENDED, &threadId));
        if (!worker) {
            ::FreeLibrary(held);
            break;
        }
        shared.release();
        {
            std::lock_guard lock(m_state->queueLock);
            m_state->queue.push_back(Job{threadId, plugin.id, plugin.frequency, plugin.name});
        }
        ::ResumeThread(worker.get());
        m_workers.push_back(std::move(worker));
        m_state->Open();
        ++started;
    }
    return started;
}

bool CPluginScheduler::Stop(DWORD waitMs)
{
    m_state->Close();
    *m_state->CurrentStop() = true;
    if (m_state->stopSignal) ::SetEvent(m_state->stopSignal.get());
    // Waited for without the lock: a tick on another thread never waits for a stop.
    std::vector<unique_handle> stopped;
    {
        std::lock_guard workers(m_workersLock);
        stopped.swap(m_workers);
    }
    bool allEnded = true;
    const ULONGLONG deadline = ::GetTickCount64() + waitMs;
    for (unique_handle& worker : stopped) {
        const ULONGLONG now = ::GetTickCount64();
        const DWORD left = now < deadline ? static_cast<DWORD>(deadline - now) : 0;
        if (::WaitForSingleObject(worker.get(), left) != WAIT_OBJECT_0) {
            allEnded = false;
            LogError(kRiskHigh, ErrorMessages::kTerminateThreadFailed);
        }
    }
    {
        // A worker that did not end in time removes nothing more that matters:
        // its plug-in may be started again by a later tick.
        std::lock_guard lock(m_state->queueLock);
        m_state->queue.clear();
    }
    return allEnded;
}

} // namespace marlin
