#pragma once

#include "session/ShownPoll.h"

#include <QByteArray>

#include <cstdio>
#include <deque>
#include <vector>

// Prints the logged polls on the standard output, each only once the file holds it: a line
// of the time and each carried channel's value as the value boxes write it, or with csv the
// rows of the CSV export under its header. While the file cannot be written the lines keep
// coming at once.
class PollPrinter {
public:
    PollPrinter(bool csv, std::FILE* out);

    // A poll the session showed; one it logged was handed to the file, and waits for it.
    void shown(const ShownPoll& poll);
    // The file holds the next logged poll (each is written whole, in order).
    void written();
    // The file takes no more: what waits and what comes is printed at once.
    void unwritable();
    // Everything handed over is in the file (or never will be): print what waits.
    void flush();
    qint64 printed() const { return m_printed; }

    // A poll as one line of text (without its end).
    static QString line(const ShownPoll& poll);
    // A poll as a CSV row under the given columns, with CRLF.
    static QByteArray csvRow(const ShownPoll& poll, const std::vector<int>& columns);

private:
    // Prints the waiting polls up to the first that the file does not hold yet.
    void release();
    void print(const ShownPoll& poll);

    const bool m_csv;
    std::FILE* const m_out;
    std::deque<ShownPoll> m_waiting;
    std::vector<int> m_columns; // the CSV's, fixed by the first poll
    bool m_headerDone = false;
    bool m_unwritable = false;
    qint64 m_writtenAhead = 0; // written, not yet shown (never, as the session tells them)
    qint64 m_printed = 0;
};
