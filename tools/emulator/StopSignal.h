#pragma once

#include <chrono>

// SIGINT and SIGTERM turned into a readable descriptor (self-pipe), so that every
// wait of the emulator can end promptly and the port-map link is removed on exit.
class StopSignal {
public:
    static void install();
    static int fd();
    static bool raised();
    // Sleeps for the given time; false if a stop signal came first.
    static bool sleep(std::chrono::microseconds duration);
    // Sleeps until the given time; false if a stop signal came first.
    static bool sleepUntil(std::chrono::steady_clock::time_point time);
};
