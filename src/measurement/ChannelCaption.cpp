#include "ChannelCaption.h"

#include <array>

QString channelCaption(Channel c) {
    static constexpr std::array<const char*, ChannelCount> captions = {
        "t, *С", "RH, %",    "tвл., *С", "tтр., *С", "V, м/с",
        "THC",   "tсф., *С", "E, лк",    "L, Кд/м",  "UV, мВт/м",
    };
    return QString::fromUtf8(captions[static_cast<std::size_t>(seriesIndex(c))]);
}

QString channelHeading(Channel c) {
    return c == Channel::L ? channelCaption(c) + QChar(0x00B2) : channelCaption(c);
}
