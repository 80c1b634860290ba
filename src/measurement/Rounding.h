#pragma once

// Rounding to a multiple of a decimal step with halves going to the even multiple
// (the floating-point unit's default mode). The quotient and product are formed in
// extended precision, so the result is the double nearest to the decimal multiple:
// 66 steps of 0.1 give the double nearest 6.6, not 66 * 0.1 in double arithmetic.
double RoundToTenth(double x);
double RoundToHundredth(double x);
double RoundToUnit(double x);
double RoundToFiveDecimals(double x);
