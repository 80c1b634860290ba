#pragma once

#include "ExportResult.h"

#include <QDate>
#include <QDateTime>
#include <QObject>
#include <QString>

class MeasurementLog;
class QThread;

// One export (a workbook, or CSV for a name ending in .csv) at a time, written on a thread of its
// own. start() takes the snapshot of the log on the calling thread, so polls may go on while the
// file is written; progress and the end are told on the thread that started the job.
class ExportJob : public QObject {
    Q_OBJECT

public:
    explicit ExportJob(QObject* parent = nullptr);
    // A file under way is finished, not cut off.
    ~ExportJob() override;

    // Takes the snapshot of the log, with date for A1, and starts writing fileName: CSV
    // when the name ends in .csv, else a workbook.
    // Refused (false, nothing done) while a job is under way. CSV may take only the polls
    // within [from, to] (a held view of the chart).
    bool start(const MeasurementLog& log, const QDate& date, const QString& fileName,
               const QDateTime& from = {}, const QDateTime& to = {});
    // From start until finished has been emitted.
    bool isBusy() const { return m_thread != nullptr; }
    // Blocks until the file is written; finished still comes through the event loop.
    void wait();
    // The outcome of the last job, once it has finished.
    ExportResult result() const { return m_result; }

signals:
    void progress(double fraction);
    void finished(bool ok);

private:
    QThread* m_thread = nullptr;
    ExportResult m_result;
};
