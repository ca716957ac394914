// The plug-in refresh: which plug-ins are due at which minute, workers that run
// one after the other and never twice for one plug-in, and a stop that ends
// every worker, waiting ones and running ones, and forgets every job.
#include "plugins/PluginScheduler.h"
#include "support/Installation.h"

#include <thread>

using namespace marlin;
using namespace marlin::test;

namespace {

TEST(PluginScheduleTest, APluginIsDueWhenItsFrequencyDividesTheMinute)
{
    const std::vector<ScheduledPlugin> plugins{{1, 0, L"never"}, {2, 1, L"each"}, {3, 2, L"two"},
                                               {4, 7, L"seven"}, {5, 60, L"hourly"}, {6, -3, L"odd"}};
    const auto due = [&](int minute, std::vector<std::wstring> queued = {}) {
        std::wstring names;
        for (const ScheduledPlugin& plugin : DuePlugins(plugins, minute, queued)) names += plugin.name + L" ";
        return names;
    };
    EXPECT_EQ(due(0), L"each two seven hourly ");
    EXPECT_EQ(due(14), L"each two seven ");
    EXPECT_EQ(due(57), L"each ");
    EXPECT_EQ(due(56, {L"two"}), L"each seven ") << "still being refreshed";

    ResetMinuteCounter();
    int last = 0;
    for (int tick = 0; tick < 60; ++tick) last = AdvanceMinuteCounter();
    EXPECT_EQ(last, 0) << "the counter runs from 0 to 59";
}

class PluginSchedulerTest : public InstallationFixture {
protected:
    void SetUp() override
    {
        InstallationFixture::SetUp();
        ResetMinuteCounter();
    }
    static void WaitUntil(const std::function<bool()>& done)
    {
        for (int i = 0; i < 3000 && !done(); ++i) ::Sleep(5);
    }

    std::vector<ScheduledPlugin> m_catalogue{{1, 1, L"EBay"}, {3, 1, L"YouTube"}};
    std::atomic<int> m_running{0}, m_mostAtOnce{0}, m_runs{0};
    std::atomic<bool> m_release{false};
    CPluginScheduler::UpdateRunner Runner(bool honoursStop = true, bool result = true)
    {
        return [=, this](int, const std::atomic<bool>& stopping) {
            m_mostAtOnce = std::max(m_mostAtOnce.load(), ++m_running);
            ++m_runs;
            while (!m_release && !(honoursStop && stopping)) ::Sleep(2);
            --m_running;
            return result;
        };
    }
};

TEST_F(PluginSchedulerTest, WorkersRunOneAfterTheOtherAndNeverTwiceForOnePlugin)
{
    CPluginScheduler scheduler([&] { return std::optional(m_catalogue); }, Runner());
    EXPECT_EQ(scheduler.Tick(false), 0u) << "signed out";
    EXPECT_EQ(scheduler.Tick(true), 2u);
    WaitUntil([&] { return m_runs == 1; });
    EXPECT_EQ(scheduler.Tick(true), 0u) << "both still queued";
    EXPECT_EQ(scheduler.QueuedNames(), (std::vector<std::wstring>{L"EBay", L"YouTube"}));
    m_release = true;
    WaitUntil([&] { return scheduler.QueuedNames().empty(); });
    EXPECT_EQ(m_runs, 2);
    EXPECT_EQ(m_mostAtOnce, 1);
    EXPECT_EQ(ReadTextFile(errorLog), "");
}

TEST_F(PluginSchedulerTest, StoppingEndsRunningAndWaitingWorkersAndForgetsTheirJobs)
{
    {
        CPluginScheduler scheduler([&] { return std::optional(m_catalogue); }, Runner(true, false));
        scheduler.Tick(true);
        WaitUntil([&] { return m_runs == 1; });
        EXPECT_TRUE(scheduler.Stop());
        EXPECT_TRUE(scheduler.QueuedNames().empty());
        EXPECT_EQ(m_running, 0);
        EXPECT_EQ(m_runs, 1) << "the waiting worker ended without running";
        EXPECT_EQ(ReadTextFile(errorLog), "") << "a refresh cut short by a stop is no failure";

        // Started again, a refresh that fails is logged.
        m_release = true;
        scheduler.Tick(true);
        WaitUntil([&] { return scheduler.QueuedNames().empty(); });
    }
    EXPECT_NE(ReadTextFile(errorLog).find("[ThreadFunction][RunAutoUpdates][RunPluginUpdate failed]"), std::string::npos);

    // A refresh that never looks at the flag outlives the bound: logged, and
    // it ends by itself later without touching the scheduler that is gone.
    m_release = false;
    m_runs = 0;
    {
        CPluginScheduler scheduler([&] { return std::optional(m_catalogue); }, Runner(false));
        scheduler.Tick(true);
        WaitUntil([&] { return m_runs == 1; });
        EXPECT_FALSE(scheduler.Stop(50));
    }
    EXPECT_NE(ReadTextFile(errorLog).find("[CInvisibleWnd][StopPluginTimer][Failed to Terminate Thread]"),
              std::string::npos);
    m_release = true;
    WaitUntil([&] { return m_running == 0; });
    EXPECT_EQ(m_running, 0);
}

} // namespace
