#pragma once

#include <QString>

// The text of every number the program shows: general format, up to 15 significant
// digits, no trailing zeros, no group separators, the regional decimal separator.
QString ValueText(double value);
