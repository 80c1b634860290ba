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
