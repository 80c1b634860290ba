#pragma once

#include "PublishedPoll.h"
#include "ShownPoll.h"

#include <QList>

#include <cstdint>

// A logged poll as publishing carries it: the logged value of each channel under its
// short key (t, rh, v, tvl, ttr, e, l, uv) and the keys in alarm.
PublishedPoll publishedPoll(const ShownPoll& poll);

// The channels a configuration carries, with their names and units.
QList<PublishedChannel> publishedChannels(std::int8_t model, std::int8_t head);
