#include "ChannelDecoding.h"

#include "Rounding.h"

namespace {
// The product is formed in extended precision and only then narrowed.
float scaled(long double word, long double factor) {
    return static_cast<float>(word * factor);
}

double tested(float value) {
    return RoundToTenth(static_cast<double>(value));
}

float accepted(float value, bool valid) {
    return valid ? value : 0.0f;
}
} // namespace

void decodeClimatic(PollReading& r, std::uint16_t tWord, std::uint16_t rhWord,
                    std::uint16_t vWord) {
    r.RawT = scaled(static_cast<std::int16_t>(tWord), 0.1L);
    r.RawRH = scaled(rhWord, 0.1L);
    r.RawV = scaled(vWord, 0.01L);
}

void decodeOptical(PollReading& r, std::uint16_t value1, std::uint16_t range1, std::uint16_t value2,
                   std::uint16_t range2) {
    r.OptValue1 = scaled(value1, 0.1L);
    r.OptRange1 = range1;
    r.OptValue2 = scaled(value2, 0.1L);
    r.OptRange2 = range2;
    r.EValue = r.OptValue1;
    r.ERange = r.OptRange1;
    r.LValue = r.OptValue2;
    r.LRange = r.OptRange2;
    r.UVValue = r.OptValue2;
    r.UVRange = r.OptRange2;
}

void applyHeadRules(PollReading& r, int modelCode, int headCode) {
    if (modelCode != 65)
        return;
    if (headCode == 2) {
        r.EValue = r.OptValue1;
        r.ERange = r.OptRange1;
    } else if (headCode == 1) {
        r.LValue = r.OptValue1;
        r.LRange = r.OptRange1;
        r.UVValue = r.OptValue2;
        r.UVRange = r.OptRange2;
    }
}

bool temperatureValid(float t) {
    const double x = tested(t);
    return x > -35.0 && x <= 65.0;
}

bool humidityValid(float rh) {
    const double x = tested(rh);
    return x >= 0.0 && x <= 110.0;
}

bool airSpeedValid(float v) {
    const double x = tested(v);
    return x >= 0.0 && x <= 30.0;
}

bool opticalMantissaValid(float m) {
    const double x = tested(m);
    return x >= 0.0 && x <= 200000.0;
}

void applyValidityTests(PollReading& r) {
    r.AcceptedT = accepted(r.RawT, temperatureValid(r.RawT));
    r.AcceptedRH = accepted(r.RawRH, humidityValid(r.RawRH));
    r.AcceptedV = accepted(r.RawV, airSpeedValid(r.RawV));
    r.AcceptedE = accepted(r.EValue, opticalMantissaValid(r.EValue));
    r.AcceptedL = accepted(r.LValue, opticalMantissaValid(r.LValue));
    r.AcceptedUV = accepted(r.UVValue, opticalMantissaValid(r.UVValue));
}
