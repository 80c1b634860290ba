#include "PollPrinter.h"

#include "export/CsvLine.h"
#include "measurement/Channel.h"
#include "measurement/ChannelCaption.h"
#include "measurement/LogSeries.h"
#include "measurement/RegionalSettings.h"

#include <QStringList>

namespace {

// The channel's name without its unit: "t", "RH", "tвл.", "THC".
QString shortName(int series) {
    return channelCaption(static_cast<Channel>(series)).section(QStringLiteral(", "), 0, 0);
}

} // namespace

PollPrinter::PollPrinter(bool csv, std::FILE* out) : m_csv(csv), m_out(out) {}

QString PollPrinter::line(const ShownPoll& poll) {
    QStringList parts{RegionalSettings::shortDate(poll.time.date()) + u' ' +
                      RegionalSettings::longTime(poll.time.time())};
    QStringList alarmed;
    for (int s = 0; s < ChannelCount; ++s) {
        const auto i = static_cast<std::size_t>(s);
        if (poll.texts[i])
            parts << shortName(s) + u'=' + *poll.texts[i];
        if (poll.alarms[i].value_or(false))
            alarmed << shortName(s);
    }
    if (!alarmed.isEmpty())
        parts << QStringLiteral("ТРЕВОГА: ") + alarmed.join(QStringLiteral(", "));
    return parts.join(QStringLiteral("  "));
}

QByteArray PollPrinter::csvRow(const ShownPoll& poll, const std::vector<int>& columns) {
    const char separator = RegionalSettings::decimalSeparator().toLatin1();
    QByteArray out = CsvLine::dateText(poll.time.date());
    CsvLine::appendTime(out, poll.time.time().msecsSinceStartOfDay() / 1000);
    for (int s : columns) {
        out.append(';');
        const std::optional<double>& v = poll.values[static_cast<std::size_t>(s)];
        if (!v)
            continue;
        const qint32 tenths = LogSeries::tenthsOf(*v);
        if (tenths != LogSeries::OutlierMark)
            CsvLine::appendTenths(out, tenths, separator ? separator : '.');
        else
            CsvLine::appendValue(out, *v, separator ? separator : '.');
    }
    out.append("\r\n");
    return out;
}

void PollPrinter::shown(const ShownPoll& poll) {
    if (m_unwritable) {
        print(poll);
        return;
    }
    m_waiting.push_back(poll);
    release();
}

void PollPrinter::written() {
    ++m_writtenAhead;
    release();
}

void PollPrinter::release() {
    // A poll that logged nothing has nothing to wait for, but keeps its place in the order.
    while (!m_waiting.empty() && (!m_waiting.front().logged || m_writtenAhead > 0)) {
        if (m_waiting.front().logged)
            --m_writtenAhead;
        print(m_waiting.front());
        m_waiting.pop_front();
    }
}

void PollPrinter::unwritable() {
    m_unwritable = true;
    flush();
}

void PollPrinter::flush() {
    for (const ShownPoll& poll : m_waiting)
        print(poll);
    m_waiting.clear();
}

void PollPrinter::print(const ShownPoll& poll) {
    QByteArray text;
    if (!m_csv) {
        text = line(poll).toUtf8() + '\n';
    } else {
        if (!m_headerDone) {
            for (int s = 0; s < ChannelCount; ++s)
                if (poll.values[static_cast<std::size_t>(s)])
                    m_columns.push_back(s);
            text = QByteArray(CsvLine::ByteOrderMark) + CsvLine::header(m_columns, false);
            m_headerDone = true;
        }
        text += csvRow(poll, m_columns);
    }
    // A line at a time, so that a pipe or the service's journal has it at once.
    std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), m_out);
    std::fflush(m_out);
    ++m_printed;
}
