#include "ReportTexts.h"

#include "measurement/Channel.h"
#include "measurement/OpticalDisplay.h"
#include "measurement/RegionalSettings.h"
#include "measurement/ValueText.h"

namespace ReportTexts {

QString valueText(int series, double value) {
    const auto c = static_cast<Channel>(series);
    if (c == Channel::E || c == Channel::L || c == Channel::UV)
        return opticalLogText(value);
    return ValueText(value);
}

QString dateTimeText(const QDateTime& when) {
    if (!when.isValid())
        return {};
    return RegionalSettings::shortDate(when.date()) + u' ' +
           RegionalSettings::longTime(when.time());
}

QString durationText(qint64 seconds) {
    seconds = std::max<qint64>(seconds, 0);
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace ReportTexts
