#include "ExportJob.h"

#include "CsvWriter.h"
#include "LogSnapshot.h"
#include "PollTable.h"
#include "Uxls.h"
#include "measurement/RegionalSettings.h"

#include <QThread>

#include <memory>

ExportJob::ExportJob(QObject* parent) : QObject(parent) {}

ExportJob::~ExportJob() {
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
    }
}

bool ExportJob::start(const MeasurementLog& log, const QDate& date, const QString& fileName,
                      const QDateTime& from, const QDateTime& to) {
    if (m_thread)
        return false;
    auto outcome = std::make_shared<ExportResult>();
    const auto tell = [this](double fraction) { emit progress(fraction); };
    if (IsCsvName(fileName)) {
        auto table = std::make_shared<PollTable>(PollTable::take(log, from, to));
        const QChar separator = RegionalSettings::decimalSeparator();
        m_thread = QThread::create([table, outcome, fileName, separator, tell] {
            *outcome = ExportCsv(std::move(*table), separator, fileName, tell);
        });
    } else {
        auto snapshot = std::make_shared<LogSnapshot>(LogSnapshot::take(log, date));
        m_thread = QThread::create([snapshot, outcome, fileName, tell] {
            // The export takes the snapshot over and frees it as it goes.
            *outcome = ExportWorkbook(std::move(*snapshot), fileName, tell);
        });
    }
    connect(m_thread, &QThread::finished, this, [this, outcome] {
        // finished is emitted just before the thread ends.
        m_thread->wait();
        delete m_thread;
        m_thread = nullptr;
        m_result = *outcome;
        emit finished(m_result.ok);
    });
    m_thread->start();
    return true;
}

void ExportJob::wait() {
    if (m_thread)
        m_thread->wait();
}
