#pragma once

#include "Channel.h"

#include <QString>

// A channel's caption as the value panel shows it above its box ("t, *С", "E, лк", ...).
QString channelCaption(Channel c);
