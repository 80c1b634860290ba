#pragma once

#include "LoggerOptions.h"
#include "PollPrinter.h"

#include <QObject>
#include <QTimer>

#include <cstdint>

class MeasurementSession;

// One run of the logger on the session: waits for the instrument, starts the run with the
// command line's settings, prints each poll once it is in the file, and ends on a stop
// signal, after the polls asked for, or when the instrument is lost, telling its exit
// status through finished.
class LoggerRun : public QObject {
    Q_OBJECT

public:
    LoggerRun(const LoggerOptions& options, MeasurementSession& session, QObject* parent = nullptr);

    // Starts waiting for the instrument (the search or the detection on --port).
    void start();
    qint64 pollsPrinted() const { return m_printer.printed(); }

signals:
    void finished(int status);

private:
    void detected(std::int8_t model, std::int8_t head, bool headAsked);
    void status(const QString& text);
    void runStateChanged(bool running);
    void recordRunDetails(const QString& model, const QString& head);
    // Whether a continued file was made by the instrument now found; says why not.
    bool fileFitsInstrument(const QString& model, const QString& head);
    // Ends after the exchange in flight, with everything handed over in the file.
    void end(int status);
    void finishWhenIdle();
    void message(const QString& text);

    const LoggerOptions m_options;
    MeasurementSession& m_session;
    PollPrinter m_printer;
    QTimer m_searchTimeout;
    QTimer m_stopCheck;
    bool m_found = false;
    bool m_ending = false;
    int m_status = 0;
    qint64 m_polls = 0;
    // What the session said since the last poll or the start of the run: why a run that
    // ends by itself ended.
    QString m_statusSincePoll;
};
