#pragma once

#include "PollReading.h"

#include <optional>

// Wet-bulb and dew-point temperatures from the received t (°C) and RH (%), whether or
// not those passed their plausibility tests. Arithmetic is in extended precision.

// Empirical wet-bulb formula, rounded to tenths.
float wetBulbTemperature(float t, float rh);

// Magnus form (17.5043, 241.2 °C), unrounded. Dry air (RH exactly 0) has no dew point
// (the logarithm of 0 is not taken): the result is empty, and the caller then leaves
// the dew-point box as it is and logs no dew-point point for that poll.
std::optional<float> dewPointTemperature(float t, float rh);

// Sets WetBulbT and, when there is one, DewPointT from RawT and RawRH; returns whether a
// dew point was computed (DewPointT is left untouched otherwise).
bool computeDerivedQuantities(PollReading& r);
