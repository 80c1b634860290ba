#pragma once

#include "NormVerdict.h"

#include <array>
#include <optional>
#include <vector>

// One poll of a measuring point: the values it logged, each rounded to tenths.
struct PollValues {
    std::optional<double> t;
    std::optional<double> rh;
    std::optional<double> v;
};

enum class NormQuantity { T, RH, V };
constexpr int NormQuantityCount = 3;

// One quantity of a measuring point against a norm row.
struct QuantityJudgement {
    int count = 0;
    double mean = 0; // rounded to tenths
    double min = 0;
    double max = 0;
    Verdict verdict = Verdict::NotMeasured;
    // Polls whose own value lies beyond the permissible range (humidity and air speed
    // judged with the poll's own temperature).
    int pollsOutside = 0;
};

struct PointJudgement {
    std::array<QuantityJudgement, NormQuantityCount> quantities{};
    // The worst of the measured quantities; NotMeasured when none was.
    Verdict verdict = Verdict::NotMeasured;

    const QuantityJudgement& of(NormQuantity q) const {
        return quantities[static_cast<std::size_t>(q)];
    }

    static PointJudgement judge(const NormRow& row, const std::vector<PollValues>& polls);
};
