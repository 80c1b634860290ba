#include "CsvLine.h"

#include "MarkCells.h"
#include "measurement/Channel.h"
#include "measurement/ChannelCaption.h"

#include <QLocale>

#include <cmath>
#include <cstdlib>

namespace CsvLine {

namespace {

void appendTwoDigits(QByteArray& out, int v) {
    out.append(static_cast<char>('0' + v / 10));
    out.append(static_cast<char>('0' + v % 10));
}

} // namespace

QByteArray header(const std::vector<int>& series, bool marks) {
    QByteArray out("Дата и время");
    for (int s : series)
        out.append(';').append(channelHeading(static_cast<Channel>(s)).toUtf8());
    if (marks)
        out.append(';').append(markHeading().toUtf8());
    out.append("\r\n");
    return out;
}

QByteArray dateText(const QDate& date) {
    return date.toString(u"dd.MM.yyyy ").toLatin1();
}

void appendTime(QByteArray& out, int secondOfDay) {
    appendTwoDigits(out, secondOfDay / 3600);
    out.append(':');
    appendTwoDigits(out, secondOfDay / 60 % 60);
    out.append(':');
    appendTwoDigits(out, secondOfDay % 60);
}

void appendTenths(QByteArray& out, qint32 tenths, char separator) {
    if (tenths < 0)
        out.append('-');
    const auto magnitude = static_cast<quint32>(std::abs(static_cast<qint64>(tenths)));
    out.append(QByteArray::number(magnitude / 10));
    if (magnitude % 10 != 0) {
        out.append(separator);
        out.append(static_cast<char>('0' + magnitude % 10));
    }
}

void appendValue(QByteArray& out, double value, char separator) {
    if (!std::isfinite(value))
        return;
    QLocale c(QLocale::C);
    c.setNumberOptions(QLocale::OmitGroupSeparator);
    out.append(c.toString(value, 'g', 15).replace(u'.', QChar::fromLatin1(separator)).toLatin1());
}

// A text a spreadsheet would take for a formula (a mark may come from someone else's file)
// gets a leading apostrophe, which keeps it text.
QByteArray text(const QString& text) {
    QByteArray t = text.toUtf8();
    if (t.startsWith('=') || t.startsWith('+') || t.startsWith('-') || t.startsWith('@'))
        t.prepend('\'');
    if (!t.contains(';') && !t.contains('"') && !t.contains('\n') && !t.contains('\r'))
        return t;
    return '"' + t.replace('"', "\"\"") + '"';
}

} // namespace CsvLine
