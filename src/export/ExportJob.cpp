#include "ExportJob.h"

#include "LogSnapshot.h"
#include "Uxls.h"

#include <QThread>

#include <memory>

ExportJob::ExportJob(QObject* parent) : QObject(parent) {}

ExportJob::~ExportJob() {
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
    }
}

bool ExportJob::start(const MeasurementLog& log, const QDate& date, const QString& fileName) {
    if (m_thread)
        return false;
    auto snapshot = std::make_shared<LogSnapshot>(LogSnapshot::take(log, date));
    auto outcome = std::make_shared<ExportResult>();
    m_thread = QThread::create([this, snapshot, outcome, fileName] {
        // The export takes the snapshot over and frees it as it goes.
        *outcome = ExportWorkbook(std::move(*snapshot), fileName,
                                  [this](double fraction) { emit progress(fraction); });
    });
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
