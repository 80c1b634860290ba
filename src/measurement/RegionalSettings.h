#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>

// The system's regional settings as the program uses them: decimal separator,
// short date format and long time format. Tests hand in another locale so that the
// same code runs under Russian and English settings.
namespace RegionalSettings {

QLocale locale();
void setLocale(const QLocale& locale);
void resetToSystem();

QChar decimalSeparator();
QString shortDateFormat();
// Qt's long time format without its time-zone part: hours, minutes, seconds in the
// system's order and padding (HH:mm:ss under Russian settings, h:mm:ss AP under US).
QString longTimeFormat();

QString shortDate(const QDate& date);
QString longTime(const QTime& time);

// Reads a number the way the user typed it: in the regional format, and also with the
// other decimal separator ('.' or ','), since both are common. Blanks around it are
// ignored. Returns false for empty text or anything that is not a number.
bool parseNumber(const QString& text, double& value);

} // namespace RegionalSettings
