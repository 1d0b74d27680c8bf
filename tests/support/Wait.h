#pragma once
// Waiting for a condition instead of sleeping a fixed time: the condition is
// checked every millisecond (Qt events are handled meanwhile) until it holds
// or the generous deadline has passed.
#include <functional>

namespace k71t::test {

constexpr int WaitDeadlineMs = 20000;

// True as soon as `condition` holds; false when the deadline passed first.
bool waitUntil(const std::function<bool()> &condition, int deadlineMs = WaitDeadlineMs);

} // namespace k71t::test
