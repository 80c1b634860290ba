#include "PointJudgement.h"

#include "measurement/Rounding.h"

#include <algorithm>

namespace {

std::optional<double> valueOf(const PollValues& p, NormQuantity q) {
    switch (q) {
    case NormQuantity::T:
        return p.t;
    case NormQuantity::RH:
        return p.rh;
    case NormQuantity::V:
        return p.v;
    }
    return std::nullopt;
}

Verdict judge(const NormRow& row, NormQuantity q, double value, std::optional<double> t) {
    switch (q) {
    case NormQuantity::T:
        return judgeTemperature(row, value);
    case NormQuantity::RH:
        return judgeHumidity(row, value, t);
    case NormQuantity::V:
        return judgeSpeed(row, value, t);
    }
    return Verdict::NotMeasured;
}

} // namespace

PointJudgement PointJudgement::judge(const NormRow& row, const std::vector<PollValues>& polls) {
    PointJudgement result;
    std::array<double, NormQuantityCount> sums{};
    for (const PollValues& p : polls)
        for (int i = 0; i < NormQuantityCount; ++i) {
            const auto q = static_cast<NormQuantity>(i);
            const std::optional<double> value = valueOf(p, q);
            if (!value)
                continue;
            QuantityJudgement& j = result.quantities[static_cast<std::size_t>(i)];
            j.min = j.count == 0 ? *value : std::min(j.min, *value);
            j.max = j.count == 0 ? *value : std::max(j.max, *value);
            ++j.count;
            sums[static_cast<std::size_t>(i)] += *value;
            if (::judge(row, q, *value, p.t) == Verdict::NonCompliant)
                ++j.pollsOutside;
        }
    std::optional<double> meanT;
    if (result.of(NormQuantity::T).count > 0)
        meanT = RoundToTenth(sums[0] / result.of(NormQuantity::T).count);
    for (int i = 0; i < NormQuantityCount; ++i) {
        QuantityJudgement& j = result.quantities[static_cast<std::size_t>(i)];
        if (j.count == 0)
            continue;
        j.mean = RoundToTenth(sums[static_cast<std::size_t>(i)] / j.count);
        j.verdict = ::judge(row, static_cast<NormQuantity>(i), j.mean, meanT);
        result.verdict = worse(result.verdict, j.verdict);
    }
    return result;
}
