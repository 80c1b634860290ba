#pragma once

#include <QString>

#include <optional>

// The optical channels send a mantissa m and a decade exponent c (the range code); the
// physical value is m x 10^c. Codes 0 to 3 are the instrument's ranges; any other code
// is a garbled reply and leaves the box and the log alone.

bool isKnownRangeCode(float rangeCode);

// The box text: "k" (Latin) marks thousands. Empty for an unknown code.
std::optional<QString> opticalBoxText(float mantissa, float rangeCode);

// The value in lx, cd/m² or mW/m², rounded to tenths and held in single precision, as
// the limit test uses it; for an unknown code the mantissa itself.
float scaledOpticalValue(float mantissa, float rangeCode);

// The log's Y for a known code: m x 10^c rounded to tenths (not narrowed to single
// precision, so large values keep their tenths).
double opticalLogValue(float mantissa, float rangeCode);

// A logged optical value (lx, cd/m² or mW/m²) written the way the box writes it. The log
// keeps the value, not the range it was taken on, so the text follows the value: below
// 10000 in plain units with their tenths (as ranges 0 and 1 show it), from 10000 on in
// thousands with hundredths and "k" (as ranges 2 and 3 show it). A small value taken on
// a high range therefore reads 5120 where its box read 5,12k: the same quantity.
QString opticalLogText(double logValue);
