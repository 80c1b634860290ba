#pragma once

#include "Channel.h"

#include <QString>

// A channel's caption as the value panel shows it above its box ("t, *С", "E, лк", ...).
QString channelCaption(Channel c);

// The caption with its unit as the value panel shows it, the raised "2" of the luminance
// unit included ("L, Кд/м²"): the heading of a column or a table row.
QString channelHeading(Channel c);
