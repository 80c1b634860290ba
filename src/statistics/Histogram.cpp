#include "Histogram.h"

#include "measurement/RegionalSettings.h"
#include "measurement/ValueText.h"

#include <cmath>

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
    for (int i = 1; i <= ClassCount; ++i) {
        if (quantity == AirSpeed)
            m_labels << ValueText(static_cast<double>(lowerBound(quantity, i)));
        else
            m_labels << QString::number(i * IntegerWidth[static_cast<std::size_t>(quantity)]);
    }
}

int Histogram::classOf(double y) const {
    const long double v = y;
    if (!(v >= 0.0L) || v >= lowerBound(m_quantity, ClassCount))
        return -1;
    // A first guess by division, then corrected against the exact bounds, so that a
    // value on a border lands where the comparison with the bound puts it.
    const long double width = lowerBound(m_quantity, 1);
    int k = static_cast<int>(std::floor(v / width));
    if (k > ClassCount - 1)
        k = ClassCount - 1;
    while (k > 0 && v < lowerBound(m_quantity, k))
        --k;
    while (k < ClassCount - 1 && v >= lowerBound(m_quantity, k + 1))
        ++k;
    return k;
}

void Histogram::add(double y) {
    const int k = classOf(y);
    if (k >= 0)
        ++m_counts[static_cast<std::size_t>(k)];
}

Histogram Histogram::compute(int quantity, const StatSeries& series) {
    Histogram h(quantity);
    if (!series.y || series.count <= 0)
        return h;
    double mn = series.y(0);
    double mx = mn;
    for (qsizetype i = 0; i < series.count; ++i) {
        const double y = series.y(i);
        mn = std::min(mn, y);
        mx = std::max(mx, y);
        h.add(y);
    }
    h.m_min = mn;
    h.m_max = mx;
    return h;
}

Histogram Histogram::compute(int quantity, std::span<const double> values) {
    StatSeries s;
    s.count = static_cast<qsizetype>(values.size());
    s.y = [values](qsizetype i) { return values[static_cast<std::size_t>(i)]; };
    return compute(quantity, s);
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
