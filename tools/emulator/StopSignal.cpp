#include "StopSignal.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {
int g_pipe[2] = {-1, -1};
volatile std::sig_atomic_t g_raised = 0;

void onSignal(int) {
    g_raised = 1;
    const char c = 's';
    const int saved = errno;
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &c, 1);
    errno = saved;
}
} // namespace

void StopSignal::install() {
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    struct sigaction sa = {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);
    // A host that vanishes must not kill us through a broken pipe.
    ::signal(SIGPIPE, SIG_IGN);
}

int StopSignal::fd() {
    return g_pipe[0];
}

bool StopSignal::raised() {
    return g_raised != 0;
}

bool StopSignal::sleep(std::chrono::microseconds duration) {
    if (raised())
        return false;
    if (duration.count() <= 0)
        return true;
    pollfd p = {fd(), POLLIN, 0};
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(duration);
    timespec ts = {static_cast<time_t>(seconds.count()),
                   static_cast<long>((duration - seconds).count() * 1000)};
    while (::ppoll(&p, 1, &ts, nullptr) < 0 && errno == EINTR) {
    }
    return !raised();
}

bool StopSignal::sleepUntil(std::chrono::steady_clock::time_point time) {
    return sleep(
        std::chrono::ceil<std::chrono::microseconds>(time - std::chrono::steady_clock::now()));
}
