#pragma once

#include "link/ConfigurationDetection.h"
#include "link/RelinkSearch.h"
#include "measurement/PollReading.h"

#include <QMetaType>
#include <QString>

#include <cstdint>
#include <optional>

// What the session asks of the instrument, one exchange at a time.
enum class ExchangeKind {
    Detect,      // the model and head queries
    StartProbe,  // the presence probe before a run
    StopProbe,   // the probe at a run's end; its outcome changes nothing
    StopCommand, // the probe and, if answered, the stop command (end of a daily run)
    Poll,        // the probe and the measured blocks
    Relink,      // one step of looking for an instrument whose port went away
};

struct ExchangeRequest {
    ExchangeKind kind = ExchangeKind::Poll;
    int portNumber = 0;
    std::int8_t modelCode = 0; // which blocks a poll reads; what a relink looks for
    std::int8_t headCode = 0;
    bool newRelinkPass = false; // a relink step that starts over at COM1
};

struct ExchangeResult {
    ExchangeKind kind = ExchangeKind::Poll;
    bool answered = false; // the probe (or the queries) answered
    bool complete = false; // a poll read every block
    bool opened = true;    // the port opened: false means it is gone, not merely silent
    QString device;        // what the port number was mapped to
    DetectionReply reply;
    PollReading reading;
    std::optional<RelinkSearch::Answer> relink;
};

// Whether an instrument that answered is the one a run was polling.
inline bool isSameInstrument(const DetectionReply& reply, std::int8_t model, std::int8_t head) {
    return reply.model == model && (model != ModelWithHeads || reply.head == head);
}

Q_DECLARE_METATYPE(ExchangeResult)
