#include "PollPublishing.h"

#include "measurement/ChannelCaption.h"
#include "measurement/ChannelConfiguration.h"

namespace {
struct Key {
    Channel channel;
    const char* key;
};
// The published channels, in the order of the value panel; the heat-stress index and the
// globe temperature have no instrument that measures them.
constexpr Key Keys[] = {
    {Channel::T, "t"}, {Channel::RH, "rh"}, {Channel::WetBulb, "tvl"}, {Channel::DewPoint, "ttr"},
    {Channel::V, "v"}, {Channel::E, "e"},   {Channel::L, "l"},         {Channel::UV, "uv"},
};

std::size_t slot(Channel c) {
    return static_cast<std::size_t>(seriesIndex(c));
}
} // namespace

PublishedPoll publishedPoll(const ShownPoll& poll) {
    PublishedPoll p;
    p.time = poll.time;
    for (const Key& k : Keys) {
        if (const auto& value = poll.values[slot(k.channel)])
            p.values.append({QString::fromLatin1(k.key), *value});
        if (poll.alarms[slot(k.channel)].value_or(false))
            p.alarms.append(QString::fromLatin1(k.key));
    }
    return p;
}

QList<PublishedChannel> publishedChannels(std::int8_t model, std::int8_t head) {
    const ChannelSet carried = processedChannels(model, head);
    QList<PublishedChannel> channels;
    for (const Key& k : Keys) {
        if (!carried.contains(k.channel))
            continue;
        // "t, *С": the name before the comma, the unit after it.
        const QString heading = channelHeading(k.channel);
        const qsizetype comma = heading.indexOf(QStringLiteral(", "));
        channels.append({QString::fromLatin1(k.key), comma < 0 ? heading : heading.left(comma),
                         comma < 0 ? QString() : heading.mid(comma + 2)});
    }
    return channels;
}
