#include "platform/ProcessValue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

using namespace marlin;

TEST(ProcessValue, ConcurrentReadersNeverSeeATornString)
{
    // Both live on the heap and differ in length and content, so a copy made
    // from the pointer of one and the length of the other shows.
    const std::wstring first(100, L'a');
    const std::wstring second(200, L'b');
    ProcessValue<std::wstring> value;
    value = first;

    std::atomic<int> torn{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 50000; ++i) value.set((i + t) % 2 ? first : second);
        });
        threads.emplace_back([&] {
            for (int i = 0; i < 50000; ++i) {
                std::wstring seen = value.get();
                if (seen != first && seen != second) ++torn;
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(torn.load(), 0);
    const std::wstring last = value.get();
    EXPECT_TRUE(last == first || last == second);
}
