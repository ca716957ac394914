#pragma once
// The timed refresh of plug-ins. The process keeps one scheduler (see
// PluginRefresh.h); each tick (once a minute) advances the minute counter and
// starts a worker for every plug-in that is due and not being refreshed yet.
// Workers run one after the other (the worker lock) once the start signal is
// set; while the scheduler is held the signal stays reset and workers wait.
// Tick, Stop and SetHeld may be called from different threads.
//
// Stopping is cooperative: the start signal is reset, every worker is asked to
// stop (a waiting one wakes and ends; a running one is told through the flag
// its refresh receives) and waited for, within a bound. Every job is run or
// removed by its worker, so no plug-in stays marked as being refreshed. A
// worker keeps the shared state (and the module) alive, so one that outlives
// the bound stays safe.
#include "platform/UniqueHandle.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace marlin {

// What the scheduler needs of a catalogue record.
struct ScheduledPlugin {
    int id = 0;
    int frequency = 0; // minutes; 0 or less: never refreshed
    std::wstring name;
};

inline constexpr UINT_PTR kPluginTimer = 5005;
inline constexpr UINT kPluginTimerPeriod = 60000;
inline constexpr DWORD kWorkerStopWaitMs = 5000;
// What a click (sign-out, a plug-in's Settings, the manager) waits for a
// worker blocked in a slow SDK: such a worker stores nothing after the stop,
// so the window's thread need not wait for it to end.
inline constexpr DWORD kInteractiveStopWaitMs = 1000;

// The minute counter the hidden windows of the process share (0 to 59).
int AdvanceMinuteCounter() noexcept;
void ResetMinuteCounter() noexcept;

// The plug-ins due at `minute` (frequency above 0 dividing it), in catalogue
// order, without those whose name is still `queued`.
std::vector<ScheduledPlugin> DuePlugins(const std::vector<ScheduledPlugin>& plugins, int minute,
                                        const std::vector<std::wstring>& queued);

class CPluginScheduler {
public:
    // One plug-in's refresh, on a worker thread. `stopping` turns true when
    // the scheduler stops: a long refresh looks at it between its steps.
    using UpdateRunner = std::function<bool(int pluginId, const std::atomic<bool>& stopping)>;
    // The catalogue, read afresh at every tick; nothing when it cannot be read.
    using CatalogueReader = std::function<std::optional<std::vector<ScheduledPlugin>>()>;

    CPluginScheduler(CatalogueReader catalogue, UpdateRunner runner);
    ~CPluginScheduler();
    CPluginScheduler(const CPluginScheduler&) = delete;
    CPluginScheduler& operator=(const CPluginScheduler&) = delete;

    // One tick, between killing the timer and arming it again: nothing while
    // not `signedIn`; else the counter advances and the due plug-ins start.
    // Answers how many workers started.
    size_t Tick(bool signedIn);
    // Stops every worker (see above). True when all ended within `waitMs`;
    // a worker that did not is logged and left to end by itself.
    bool Stop(DWORD waitMs = kWorkerStopWaitMs);

    // Held: the start signal stays reset, so workers wait before running
    // (a stop still ends them); released: it is set again.
    void SetHeld(bool held);

    // The names of the plug-ins queued (being refreshed or waiting to be).
    std::vector<std::wstring> QueuedNames() const;

    struct State;

private:
    void ReapFinishedWorkers();

    std::shared_ptr<State> m_state;
    std::mutex m_workersLock; // ticks and stops may come from different threads
    std::vector<unique_handle> m_workers;
};

} // namespace marlin
