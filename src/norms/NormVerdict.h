#pragma once

#include "NormRow.h"

#include <QString>

#include <optional>

// How a measured value stands against a norm row; a later value is worse.
enum class Verdict { NotMeasured, Optimal, Permissible, NonCompliant };

// "оптимальные", "допустимые", "не соответствуют", "не измерялось".
QString verdictText(Verdict verdict);
Verdict worse(Verdict a, Verdict b);

// Every value here is a reading rounded to tenths, as the program shows it; bounds are
// met to the tenth, so a value exactly on a bound is inside.

Verdict judgeTemperature(const NormRow& row, double t);
// The highest humidity allowed at temperature t: between the listed temperatures the
// cap of the next one above, beyond the last one its cap; none below the first.
std::optional<double> humidityCap(const NormRow& row, std::optional<double> t);
Verdict judgeHumidity(const NormRow& row, double rh, std::optional<double> t);
// The permissible air speed depends on the side of the optimal temperatures t lies on;
// at optimal or unknown t the smaller of the two limits holds.
double permissibleSpeed(const NormRow& row, std::optional<double> t);
Verdict judgeSpeed(const NormRow& row, double v, std::optional<double> t);
