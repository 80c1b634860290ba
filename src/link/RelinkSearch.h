#pragma once

#include "ConfigurationDetection.h"
#include "PortMap.h"

#include <optional>

// Looks for the instrument again once its port has gone (an adapter pulled out), the way
// the search at start does: COM1..COM8 in turn through the port map, the presence probe,
// then the model and head queries. It runs on the user-interface thread between polls,
// so it goes in steps, each holding the window no longer than one exchange: absent ports
// cost nothing, and a step probes at most one port that opens.
class RelinkSearch {
public:
    struct Answer {
        int portNumber = 0;
        PortDevice device;
        DetectionReply reply;
    };

    // Goes on from the port after the last one probed; each pass reads the port map
    // afresh, so a device that reappeared under another name is found. An answer names
    // the port whose instrument answered the probe and the queries, and its device; the
    // link state keeps the device it had, for the caller to decide whether to take it.
    std::optional<Answer> step();
    // The next step starts a new pass at COM1.
    void restart() { m_next = 1; }

private:
    int m_next = 1;
    PortMap::Pass m_devices;
};
