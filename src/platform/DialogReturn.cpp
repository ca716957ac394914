#include "DialogReturn.h"

#include <atomic>

namespace marlin {
namespace {
std::atomic<bool> g_IgnoreNextReturn{false};
}

void IgnoreNextReturn() noexcept { g_IgnoreNextReturn.store(true); }

bool TakeIgnoreNextReturn() noexcept { return g_IgnoreNextReturn.exchange(false); }

} // namespace marlin
