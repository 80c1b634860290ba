// The verdicts against the shipped microclimate norm, bound by bound, with the figures
// written out here rather than read back from the file the program uses.
#include "norms/NormLibrary.h"
#include "norms/PointJudgement.h"

#include <QTest>

#include <cmath>

namespace {

struct Figures {
    const char* category;
    YearPeriod period;
    double optLow, optHigh, optV;
    double belowLow, aboveHigh; // the permissible temperatures' outer bounds
    double vBelow, vAbove;
};

constexpr Figures Rows[] = {
    {"Iа", YearPeriod::Cold, 22, 24, 0.1, 20.0, 25.0, 0.1, 0.1},
    {"Iб", YearPeriod::Cold, 21, 23, 0.1, 19.0, 24.0, 0.1, 0.2},
    {"IIа", YearPeriod::Cold, 19, 21, 0.2, 17.0, 23.0, 0.1, 0.3},
    {"IIб", YearPeriod::Cold, 17, 19, 0.2, 15.0, 22.0, 0.2, 0.4},
    {"III", YearPeriod::Cold, 16, 18, 0.3, 13.0, 21.0, 0.2, 0.4},
    {"Iа", YearPeriod::Warm, 23, 25, 0.1, 21.0, 28.0, 0.1, 0.2},
    {"Iб", YearPeriod::Warm, 22, 24, 0.1, 20.0, 28.0, 0.1, 0.3},
    {"IIа", YearPeriod::Warm, 20, 22, 0.2, 18.0, 27.0, 0.1, 0.4},
    {"IIб", YearPeriod::Warm, 19, 21, 0.2, 16.0, 27.0, 0.2, 0.5},
    {"III", YearPeriod::Warm, 18, 20, 0.3, 15.0, 26.0, 0.2, 0.5},
};

const NormDocument& shipped() {
    static NormLibrary library = [] {
        NormLibrary l;
        l.load({QStringLiteral(VILTA_SOURCE_DIR "/resources/norms")});
        return l;
    }();
    return library.documents().front();
}

constexpr double NoT = std::numeric_limits<double>::quiet_NaN();

} // namespace

class NormVerdicts : public QObject {
    Q_OBJECT

private slots:
    void verdicts_data() {
        QTest::addColumn<QString>("category");
        QTest::addColumn<int>("period");
        QTest::addColumn<int>("quantity");
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("t");
        QTest::addColumn<int>("expected");
        const auto O = int(Verdict::Optimal), P = int(Verdict::Permissible),
                   N = int(Verdict::NonCompliant);
        const int T = int(NormQuantity::T), RH = int(NormQuantity::RH), V = int(NormQuantity::V);
        for (const Figures& f : Rows) {
            const QString c = QString::fromUtf8(f.category);
            const int p = int(f.period);
            const QString name =
                c + QLatin1String(f.period == YearPeriod::Cold ? " cold " : " warm ");
            auto row = [&](const char* what, int q, double value, double t, int expected) {
                QTest::newRow(qPrintable(name + QString::fromLatin1(what)))
                    << c << p << q << value << t << expected;
            };
            // Exactly on each bound, a tenth inside, a tenth outside.
            row("t below permissible", T, f.belowLow - 0.1, NoT, N);
            row("t on permissible low", T, f.belowLow, NoT, P);
            row("t a tenth into permissible", T, f.belowLow + 0.1, NoT, P);
            row("t a tenth below optimal", T, f.optLow - 0.1, NoT, P);
            row("t on optimal low", T, f.optLow, NoT, O);
            row("t a tenth into optimal", T, f.optLow + 0.1, NoT, O);
            row("t a tenth inside optimal high", T, f.optHigh - 0.1, NoT, O);
            row("t on optimal high", T, f.optHigh, NoT, O);
            row("t a tenth above optimal", T, f.optHigh + 0.1, NoT, P);
            row("t a tenth inside permissible high", T, f.aboveHigh - 0.1, NoT, P);
            row("t on permissible high", T, f.aboveHigh, NoT, P);
            row("t above permissible", T, f.aboveHigh + 0.1, NoT, N);
            // The speed limit follows the side of the optimal temperatures.
            const double cool = f.optLow - 0.5, warm = f.optHigh + 0.5, mid = f.optLow + 0.5;
            row("v on the limit below", V, f.vBelow, cool, f.vBelow <= f.optV ? O : P);
            row("v beyond the limit below", V, f.vBelow + 0.1, cool, N);
            row("v on the limit above", V, f.vAbove, warm, f.vAbove <= f.optV ? O : P);
            row("v beyond the limit above", V, f.vAbove + 0.1, warm, N);
            row("v on optimal", V, f.optV, mid, O);
            row("v a tenth over optimal", V, f.optV + 0.1, mid,
                f.optV + 0.1 <= std::min(f.vBelow, f.vAbove) + 1e-9 ? P : N);
            row("v of optimal t, t unknown", V, f.optV, NoT, O);
            row("rh on optimal low", RH, 40, mid, O);
            row("rh a tenth below optimal", RH, 39.9, mid, P);
            row("rh on optimal high", RH, 60, mid, O);
            row("rh a tenth above optimal", RH, 60.1, mid, P);
            row("rh on permissible low", RH, 15, mid, P);
            row("rh below permissible", RH, 14.9, mid, N);
            row("rh on permissible high", RH, 75, mid, P);
            row("rh above permissible", RH, 75.1, mid, N);
        }
        // The warm period's humidity cap: between listed temperatures the next one above.
        const int w = int(YearPeriod::Warm);
        const QString III = QStringLiteral("III");
        const struct {
            const char* name;
            double rh, t;
            int expected;
        } caps[] = {
            {"cap none below 25", 75, 24.9, P},
            {"cap 70 at 25", 70, 25.0, P},
            {"cap 70 at 25 exceeded", 70.1, 25.0, N},
            {"cap 65 above 25", 65.1, 25.1, N},
            {"cap 65 at 26", 65, 26.0, P},
            {"cap 60 at 27", 60.1, 27.0, N},
            {"cap 55 at 27.5", 55.1, 27.5, N},
            {"cap 55 at 27.5 kept", 55, 27.5, O},
            {"cap 55 above 28", 55.1, 29.0, N},
        };
        for (const auto& cap : caps)
            QTest::newRow(cap.name) << III << w << RH << cap.rh << cap.t << cap.expected;
        QTest::newRow("no cap in the cold period")
            << III << int(YearPeriod::Cold) << RH << 75.0 << 26.0 << P;
    }

    void verdicts() {
        QFETCH(QString, category);
        QFETCH(int, period);
        QFETCH(int, quantity);
        QFETCH(double, value);
        QFETCH(double, t);
        QFETCH(int, expected);
        const NormRow* row = shipped().row(category, YearPeriod(period));
        QVERIFY(row);
        PollValues poll;
        if (!std::isnan(t))
            poll.t = t;
        (quantity == int(NormQuantity::T)    ? poll.t
         : quantity == int(NormQuantity::RH) ? poll.rh
                                             : poll.v) = value;
        // One poll: its mean is its value, and it lies outside when the verdict says so.
        const PointJudgement j = PointJudgement::judge(*row, {poll});
        const QuantityJudgement& q = j.of(NormQuantity(quantity));
        QCOMPARE(verdictText(q.verdict), verdictText(Verdict(expected)));
        QCOMPARE(q.pollsOutside, expected == int(Verdict::NonCompliant) ? 1 : 0);
    }

    // A point's verdict is its worst measured quantity, the mean is judged rounded to
    // tenths, and polls outside are counted one by one.
    void pointOfSeveralPolls() {
        const NormRow* row = shipped().row(QStringLiteral("Iа"), YearPeriod::Cold);
        QVERIFY(row);
        // t mean 21.97 is judged as 22.0, optimal; one poll's humidity lies beyond 75 %.
        const PointJudgement j = PointJudgement::judge(
            *row,
            {{21.9, 50.0, std::nullopt}, {22.0, 76.0, std::nullopt}, {22.0, 60.0, std::nullopt}});
        QCOMPARE(j.of(NormQuantity::T).mean, 22.0);
        QCOMPARE(verdictText(j.of(NormQuantity::T).verdict), QStringLiteral("оптимальные"));
        QCOMPARE(j.of(NormQuantity::RH).pollsOutside, 1);
        QCOMPARE(j.of(NormQuantity::RH).max, 76.0);
        QCOMPARE(verdictText(j.of(NormQuantity::RH).verdict), QStringLiteral("допустимые"));
        QCOMPARE(verdictText(j.of(NormQuantity::V).verdict), QStringLiteral("не измерялось"));
        QCOMPARE(verdictText(j.verdict), QStringLiteral("допустимые"));
    }
};

QTEST_GUILESS_MAIN(NormVerdicts)
#include "norm_verdicts.moc"
