#include "SdkCall.h"

#include "config/ErrorLog.h"
#include "platform/ComTypes.h"
#include "platform/Threads.h"
#include "platform/UniqueHandle.h"

#include <atomic>
#include <memory>

namespace marlin {

namespace {

std::atomic<bool> g_notAnswering{false};
std::atomic<DWORD> g_timeoutMs{kSdkCallTimeoutMs};

// Owned by the call's thread once it starts.
struct SdkJob {
    std::function<void()> work;
    HMODULE self = nullptr;
};

DWORD WINAPI SdkThread(void* argument)
{
    std::unique_ptr<SdkJob> job(static_cast<SdkJob*>(argument));
    const HMODULE self = job->self;
    {
        ComInitScope com;
        if (com.usable()) {
            try {
                job->work();
            } catch (...) {
                // The work's failure is its own: the caller sees only that it ended.
            }
        }
        job.reset(); // whatever the work kept goes while COM still runs here
    }
    // A thread left running must not outlive the code it runs.
    ::FreeLibraryAndExitThread(self, 0);
}

} // namespace

bool RunSdkCall(std::function<void()> work) noexcept
{
    if (g_notAnswering) return false;
    try {
        auto job = std::make_unique<SdkJob>();
        job->work = std::move(work);
        job->self = HoldModuleOf(reinterpret_cast<const void*>(&SdkThread));
        if (!job->self) return false;
        const unique_handle thread(::CreateThread(nullptr, 0, &SdkThread, job.get(), 0, nullptr));
        if (!thread) {
            ::FreeLibrary(job->self);
            return false;
        }
        job.release();
        if (WaitHandlingSentMessages(thread.get(), g_timeoutMs)) return true;
        if (!g_notAnswering.exchange(true)) LogError(kRiskLow, ErrorMessages::kSdkNotAnswering);
        return false;
    } catch (...) {
        return false;
    }
}

DWORD SetSdkCallTimeout(DWORD timeoutMs) noexcept
{
    return g_timeoutMs.exchange(timeoutMs ? timeoutMs : kSdkCallTimeoutMs);
}

void ResetSdkCallState() noexcept
{
    g_notAnswering = false;
    g_timeoutMs = kSdkCallTimeoutMs;
}

} // namespace marlin
