#pragma once
// A dialog closed with the Return key leaves that key to the window that gets
// the focus back: the search box would start a search with it. Every modal
// dialog raises this process-wide one-shot mark when it closes, and the
// search box's Return handler takes it instead of searching once.

namespace marlin {

void IgnoreNextReturn() noexcept;
// True when the mark was raised; lowers it.
bool TakeIgnoreNextReturn() noexcept;

} // namespace marlin
