#pragma once

#include "PublishedPoll.h"

#include <QList>

// Where the session hands every logged poll for publishing. Both calls come from the
// session's thread and must return at once, whatever the network is doing.
class PollPublisher {
public:
    virtual ~PollPublisher() = default;
    virtual void enqueue(const PublishedPoll& poll) = 0;
    // The channels of the instrument found, for the dashboards' discovery.
    virtual void setChannels(const QList<PublishedChannel>& channels) = 0;
};
