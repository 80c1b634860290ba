#pragma once

#include "PollReading.h"

#include <cstdint>

// Turning the instrument's 16-bit words into values, and the plausibility tests.

// Climatic block: t is signed tenths of a degree, RH unsigned tenths of a percent,
// V unsigned hundredths of a metre per second.
void decodeClimatic(PollReading& r, std::uint16_t tWord, std::uint16_t rhWord, std::uint16_t vWord);

// Optical block: two mantissas in tenths, each with its decade exponent. The first pair
// is illuminance, the second luminance and ultraviolet alike, until the head rules say
// otherwise.
void decodeOptical(PollReading& r, std::uint16_t value1, std::uint16_t range1, std::uint16_t value2,
                   std::uint16_t range2);

// Model 65 carries exchangeable heads: head 1 measures luminance and ultraviolet,
// head 2 illuminance.
void applyHeadRules(PollReading& r, int modelCode, int headCode);

// Fills the accepted fields: the decoded value when its rounded value lies within the
// channel's plausible range, else 0.
void applyValidityTests(PollReading& r);

bool temperatureValid(float t);
bool humidityValid(float rh);
bool airSpeedValid(float v);
// Illuminance, luminance and ultraviolet share the range, applied to the mantissa.
bool opticalMantissaValid(float m);
