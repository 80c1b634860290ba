#include "StopRequest.h"

#include <atomic>
#include <csignal>

namespace StopRequest {

namespace {

std::atomic<bool> g_requested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void onStopSignal(int) {
    g_requested.store(true);
}

} // namespace

void install() {
    std::signal(SIGINT, onStopSignal);
    std::signal(SIGTERM, onStopSignal);
}

bool requested() {
    return g_requested.load();
}

} // namespace StopRequest
