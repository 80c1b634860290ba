#include "RegionalSettings.h"

#include <QMutex>
#include <QRegularExpression>

#include <cmath>

namespace {
QMutex g_mutex;
bool g_overridden = false;
QLocale g_locale;
} // namespace

namespace RegionalSettings {

QLocale locale() {
    QMutexLocker lock(&g_mutex);
    QLocale l = g_overridden ? g_locale : QLocale::system();
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    return l;
}

void setLocale(const QLocale& l) {
    QMutexLocker lock(&g_mutex);
    g_locale = l;
    g_overridden = true;
}

void resetToSystem() {
    QMutexLocker lock(&g_mutex);
    g_overridden = false;
}

QChar decimalSeparator() {
    const QString s = locale().decimalPoint();
    return s.isEmpty() ? QChar(u'.') : s.at(0);
}

QString shortDateFormat() {
    return locale().dateFormat(QLocale::ShortFormat);
}

QString longTimeFormat() {
    QString f = locale().timeFormat(QLocale::LongFormat);
    // Drop the time-zone part ("t", "tttt") and the blanks around it.
    static const QRegularExpression zone(QStringLiteral("\\s*\\(?t+\\)?\\s*"));
    f.replace(zone, QStringLiteral(" "));
    return f.trimmed();
}

QString shortDate(const QDate& date) {
    return locale().toString(date, shortDateFormat());
}

QString longTime(const QTime& time) {
    return locale().toString(time, longTimeFormat());
}

bool parseNumber(const QString& text, double& value) {
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    const QLocale l = locale();
    bool ok = false;
    double v = l.toDouble(t, &ok);
    if (!ok) {
        QString other = t;
        other.replace(QChar(u','), QChar(u'.'));
        v = QLocale::c().toDouble(other, &ok);
    }
    if (!ok || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

} // namespace RegionalSettings
