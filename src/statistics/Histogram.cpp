#include "Histogram.h"

#include "measurement/RegionalSettings.h"
#include "measurement/ValueText.h"

#include <cmath>
#include <limits>

namespace {
// Log series of t, RH, V, E, L, UV in the order of the statistics list.
constexpr std::array<int, Histogram::QuantityCount> SeriesOfQuantity{0, 1, 4, 7, 8, 9};
constexpr std::array<int, Histogram::QuantityCount> IntegerWidth{5, 10, 0, 20000, 20000, 20000};
constexpr int AirSpeed = 2;
// The air-speed classes are 2.2 wide. Their bounds are k times the double nearest 2.2,
// kept in extended precision: 10 x 2.2 then lies just above 22, so a reading of 22
// stays in the last class, and 3 x 2.2 just below 6.6, so 6.6 falls into the class above.
constexpr long double AirSpeedWidth = static_cast<long double>(2.2);

long double lowerBound(int quantity, int k) {
    if (quantity == AirSpeed)
        return static_cast<long double>(k) * AirSpeedWidth;
    return static_cast<long double>(k) * IntegerWidth[static_cast<std::size_t>(quantity)];
}
} // namespace

bool Histogram::isQuantity(int quantity) {
    return quantity >= 0 && quantity < QuantityCount;
}

int Histogram::seriesIndex(int quantity) {
    return isQuantity(quantity) ? SeriesOfQuantity[static_cast<std::size_t>(quantity)] : -1;
}

Histogram::Histogram(int quantity) : m_quantity(quantity) {
    // For a double y, y >= B holds exactly when y >= the smallest double not below B, so
    // the extended-precision bounds can be compared in double arithmetic.
    for (int k = 0; k <= ClassCount; ++k) {
        const long double exact = lowerBound(quantity, k);
        double bound = static_cast<double>(exact);
        if (static_cast<long double>(bound) < exact)
            bound = std::nextafter(bound, std::numeric_limits<double>::infinity());
        m_bounds[static_cast<std::size_t>(k)] = bound;
    }
    for (int i = 1; i <= ClassCount; ++i) {
        if (quantity == AirSpeed)
            m_labels << ValueText(static_cast<double>(lowerBound(quantity, i)));
        else
            m_labels << QString::number(i * IntegerWidth[static_cast<std::size_t>(quantity)]);
    }
}

void Histogram::addAll(std::span<const double> values) {
    // One slot more than there are classes, for the points that fall in none; the
    // class is the number of inner bounds at or below y. No branches: a log of a
    // million points is counted in a few milliseconds.
    std::array<qsizetype, ClassCount + 1> tally{};
    const double low = m_bounds[0];
    const double high = m_bounds[ClassCount];
    for (double y : values) {
        int k = 0;
        for (std::size_t j = 1; j < ClassCount; ++j)
            k += y >= m_bounds[j] ? 1 : 0;
        const bool counted = y >= low && y < high; // false for NaN too
        ++tally[counted ? static_cast<std::size_t>(k) : ClassCount];
        m_min = std::min(m_min, y);
        m_max = std::max(m_max, y);
    }
    for (std::size_t k = 0; k < ClassCount; ++k)
        m_counts[k] += static_cast<int>(tally[k]);
}

Histogram Histogram::compute(int quantity, std::span<const double> values) {
    Histogram h(quantity);
    if (values.empty())
        return h;
    h.m_min = h.m_max = values.front();
    h.addAll(values);
    return h;
}

Histogram Histogram::compute(int quantity, const StatSeries& series) {
    Histogram h(quantity);
    if (!series.y || series.count <= 0)
        return h;
    h.m_min = h.m_max = series.y(0);
    // Fetched block by block, so that the counting runs over plain arrays.
    std::array<double, 512> block;
    for (qsizetype from = 0; from < series.count; from += qsizetype(block.size())) {
        const qsizetype n = std::min<qsizetype>(qsizetype(block.size()), series.count - from);
        for (qsizetype i = 0; i < n; ++i)
            block[static_cast<std::size_t>(i)] = series.y(from + i);
        h.addAll(std::span<const double>(block.data(), static_cast<std::size_t>(n)));
    }
    return h;
}

std::array<double, Histogram::ClassCount> Histogram::shares() const {
    std::array<double, ClassCount> result{};
    long long sum = 0;
    for (int c : m_counts)
        sum += c;
    for (std::size_t k = 0; k < result.size(); ++k)
        result[k] = sum == 0 ? 100.0 : 100.0 * m_counts[k] / static_cast<double>(sum);
    return result;
}

QString Histogram::shareText(double percent) {
    QString text = RegionalSettings::locale().toString(percent, 'f', 2);
    const QString point = RegionalSettings::locale().decimalPoint();
    if (text.contains(point)) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(point))
            text.chop(point.size());
    }
    return text + QStringLiteral(" %");
}
