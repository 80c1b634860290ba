#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <span>

// One logged series as the statistics see it: its number of points and the Y value of
// point i. The window's owner hands these over, so the statistics do not depend on how
// the log stores its points.
struct StatSeries {
    qsizetype count = 0;
    std::function<double(qsizetype)> y;
};

// The histogram of one quantity: ten classes of fixed width from 0 up, the lower bound
// inclusive and the upper one exclusive, and the smallest and largest value of all
// points (0 and 0 for an empty series). Points below 0 or beyond the tenth class count
// in no class but still set the minimum and maximum.
class Histogram {
public:
    static constexpr int ClassCount = 10;
    static constexpr int QuantityCount = 6;

    // The quantities of the statistics window, in the order of its list:
    // t, RH, V, E, L, UV. Returns false for anything else (nothing chosen, typed text).
    static bool isQuantity(int quantity);
    // The log series (0..9, channel order) that a quantity summarises.
    static int seriesIndex(int quantity);

    static Histogram compute(int quantity, const StatSeries& series);
    static Histogram compute(int quantity, std::span<const double> values);

    int quantity() const { return m_quantity; }
    const std::array<int, ClassCount>& counts() const { return m_counts; }
    // Each class's label: its upper bound in the regional number form.
    const QStringList& labels() const { return m_labels; }
    // Each class's share of the counted points in percent; 100 for every class when no
    // point is counted at all.
    std::array<double, ClassCount> shares() const;
    double minimum() const { return m_min; }
    double maximum() const { return m_max; }

    // The text of a share mark: up to two decimals, at least one integer digit, then
    // " %" (33.333 gives 33.33 %, 100 gives 100 %).
    static QString shareText(double percent);

private:
    explicit Histogram(int quantity);
    void addAll(std::span<const double> values);

    int m_quantity = -1;
    // Class bounds 0..10: each the smallest double at or above the exact bound (the
    // 2.2-wide bounds are exact in extended precision only).
    std::array<double, ClassCount + 1> m_bounds{};
    std::array<int, ClassCount> m_counts{};
    QStringList m_labels;
    double m_min = 0.0;
    double m_max = 0.0;
};
