#include "MeasurementFile.h"

#include "RecordingDatabase.h"
#include "export/FileFailureReason.h"
#include "export/ReplacingFile.h"
#include "measurement/MeasurementLog.h"
#include "measurement/RegionalSettings.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QUrl>

#include <sqlite3.h>

#include <array>
#include <limits>
#include <system_error>

namespace MeasurementFile {

QString modelKey() {
    return QStringLiteral("instrument.model");
}
QString headKey() {
    return QStringLiteral("instrument.head");
}
QString modelCodeKey() {
    return QStringLiteral("instrument.model_code");
}
QString headCodeKey() {
    return QStringLiteral("instrument.head_code");
}
QString intervalKey() {
    return QStringLiteral("poll.interval_ms");
}
QString windowKey() {
    return QStringLiteral("poll.window");
}
QString limitKey(int series, const char* part) {
    return QStringLiteral("limit.%1.%2").arg(series).arg(QLatin1String(part));
}
QString versionKey() {
    return QStringLiteral("program.version");
}
QString savedAtKey() {
    return QStringLiteral("saved_at");
}

namespace {

const QString NotOurs = QStringLiteral("это не файл измерений этой программы");
const QString Damaged = QStringLiteral("файл повреждён или обрезан");

// A file VACUUM INTO wrote from a WAL database says WAL in its header: made a plain
// rollback-journal file, and one small synced write puts all its pages on disk.
bool makePlainAndSync(const QString& file, QString& reason) {
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db,
                          "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL; BEGIN IMMEDIATE; "
                          "PRAGMA user_version=" +
                              QByteArray::number(RecordingDatabase::SchemaVersion) + "; COMMIT",
                          nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        reason = (rc & 0xFF) == SQLITE_FULL
                     ? FileFailureReason(std::make_error_code(std::errc::no_space_on_device))
                     : QString::fromUtf8(sqlite3_errstr(rc));
    sqlite3_close(db);
    return rc == SQLITE_OK;
}

int interruptWhenAsked(void* cancel) {
    return static_cast<const std::atomic<bool>*>(cancel)->load() ? 1 : 0;
}

// A crafted file must not make SQLite spend unbounded memory or time on one value.
void limitUntrusted(sqlite3* db, const std::atomic<bool>& cancel) {
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
    sqlite3_limit(db, SQLITE_LIMIT_LENGTH, 1000000);
    sqlite3_limit(db, SQLITE_LIMIT_SQL_LENGTH, 100000);
    sqlite3_limit(db, SQLITE_LIMIT_COLUMN, 100);
    sqlite3_limit(db, SQLITE_LIMIT_EXPR_DEPTH, 100);
    sqlite3_limit(db, SQLITE_LIMIT_COMPOUND_SELECT, 4);
    sqlite3_limit(db, SQLITE_LIMIT_VDBE_OP, 100000);
    sqlite3_limit(db, SQLITE_LIMIT_FUNCTION_ARG, 8);
    sqlite3_limit(db, SQLITE_LIMIT_ATTACHED, 1); // VACUUM INTO attaches its output
    sqlite3_limit(db, SQLITE_LIMIT_LIKE_PATTERN_LENGTH, 100);
    sqlite3_limit(db, SQLITE_LIMIT_TRIGGER_DEPTH, 1);
    sqlite3_progress_handler(db, 1000, interruptWhenAsked,
                             const_cast<void*>(static_cast<const void*>(&cancel)));
}

bool queryInt(sqlite3* db, const char* sql, qint64& value, int& rc) {
    sqlite3_stmt* st = nullptr;
    rc = sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
    if (rc == SQLITE_OK && (rc = sqlite3_step(st)) == SQLITE_ROW) {
        value = sqlite3_column_int64(st, 0);
        rc = SQLITE_OK;
    }
    sqlite3_finalize(st);
    return rc == SQLITE_OK;
}

QString text(sqlite3_stmt* st, int column) {
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, column)));
}

// Why an untrusted file cannot be read; empty when it is one of ours, whole and current.
QString checkUntrusted(sqlite3* db, int& rc) {
    qint64 application = 0;
    qint64 version = 0;
    if (!queryInt(db, "PRAGMA application_id", application, rc) ||
        !queryInt(db, "PRAGMA user_version", version, rc))
        return {};
    if (application != RecordingDatabase::ApplicationId || version < 1)
        return NotOurs;
    if (version > RecordingDatabase::SchemaVersion)
        return QStringLiteral("файл сделан более новой версией программы");
    sqlite3_stmt* st = nullptr;
    rc = sqlite3_prepare_v2(db, "SELECT type, name, sql FROM sqlite_schema", -1, &st, nullptr);
    QString why;
    while (rc == SQLITE_OK && (rc = sqlite3_step(st)) == SQLITE_ROW) {
        rc = SQLITE_OK;
        if (!RecordingDatabase::isOwnSchemaObject(text(st, 0), text(st, 1), text(st, 2)))
            why = NotOurs;
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE || !why.isEmpty())
        return why;
    rc = sqlite3_prepare_v2(db, "PRAGMA quick_check(1)", -1, &st, nullptr);
    if (rc == SQLITE_OK && (rc = sqlite3_step(st)) == SQLITE_ROW) {
        if (text(st, 0) != QLatin1String("ok"))
            why = Damaged;
        rc = SQLITE_DONE;
    }
    sqlite3_finalize(st);
    return why;
}

QString sqliteReason(int rc, const std::atomic<bool>& cancel) {
    if (cancel.load())
        return QStringLiteral("открытие отменено");
    switch (rc & 0xFF) {
    case SQLITE_NOTADB:
        return QStringLiteral("файл не является базой данных SQLite");
    case SQLITE_CORRUPT:
        return Damaged;
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return FileFailureReason(std::make_error_code(std::errc::permission_denied));
    default:
        return QString::fromUtf8(sqlite3_errstr(rc));
    }
}

} // namespace

bool saveCopy(RecordingDatabase& db, const QString& path, QString& reason) {
    ReplacingFile file(path);
    if (!file.create()) {
        reason = file.errorString();
        return false;
    }
    if (!db.vacuumInto(file.temporaryName())) {
        reason = db.reason();
        return false;
    }
    if (!makePlainAndSync(file.temporaryName(), reason))
        return false;
    if (!file.commit()) {
        reason = file.errorString();
        return false;
    }
    return true;
}

bool writeLog(const MeasurementLog& log, const QString& path, QString& reason) {
    RecordingDatabase db;
    if (!db.createInMemory() || !db.beginBulk()) {
        reason = db.reason();
        return false;
    }
    // The polls again from the points: the points of all series at one time make a
    // poll, and a missed poll follows the polls up to its time, as it did in the run.
    constexpr qint64 EpochJulianDay = 2440588;
    const qint64 base = (log.baseDate().toJulianDay() - EpochJulianDay) * 86400;
    std::vector<qint64> missed;
    for (const QDateTime& t : log.missedPolls())
        missed.push_back(wallSeconds(t));
    auto nextMissed = missed.begin();
    std::array<qsizetype, MeasurementLog::SeriesCount> next{};
    bool ok = true;
    for (;;) {
        qint64 t = std::numeric_limits<qint64>::max();
        for (int s = 0; s < MeasurementLog::SeriesCount; ++s)
            if (next[std::size_t(s)] < log.count(s))
                t = std::min(t, base + log.series(s).seconds(next[std::size_t(s)]));
        for (; ok && nextMissed != missed.end() && *nextMissed < t; ++nextMissed)
            ok = db.appendMissed(*nextMissed);
        if (!ok || t == std::numeric_limits<qint64>::max())
            break;
        RecordedPoll poll;
        for (int s = 0; s < MeasurementLog::SeriesCount; ++s) {
            qsizetype& i = next[std::size_t(s)];
            if (i < log.count(s) && base + log.series(s).seconds(i) == t)
                poll.add(s, log.y(s, i++), t);
        }
        ok = db.append(poll);
    }
    std::vector<RecordedEvent> events;
    for (qsizetype i = 0; i < log.events().count(); ++i)
        events.push_back({i, log.events().at(i)});
    ok = ok && db.replaceEvents(events) && db.writeDetails(log.details()) && db.endBulk();
    if (!ok) {
        reason = db.reason();
        return false;
    }
    return saveCopy(db, path, reason);
}

QString defaultName(const QDate& date) {
    return RegionalSettings::shortDate(date) + QStringLiteral("Измерения.vilta");
}

ReadResult read(const QString& path, MeasurementLog& log,
                const std::function<void(double)>& progress, const std::atomic<bool>& cancel,
                const QString& copyTo) {
    ReadResult result;
    const QFileInfo info(path);
    if (!info.exists()) {
        result.reason =
            FileFailureReason(std::make_error_code(std::errc::no_such_file_or_directory));
        return result;
    }
    if (info.size() == 0) {
        result.reason = QStringLiteral("файл пуст");
        return result;
    }
    // Read only: nothing is ever written into a file that is opened.
    const QByteArray uri = QUrl::fromLocalFile(info.absoluteFilePath()).toEncoded() + "?mode=ro";
    sqlite3* handle = nullptr;
    int rc =
        sqlite3_open_v2(uri.constData(), &handle, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close(handle);
        result.reason = sqliteReason(rc, cancel);
        return result;
    }
    limitUntrusted(handle, cancel);
    result.reason = checkUntrusted(handle, rc);
    if (result.reason.isEmpty() && rc != SQLITE_OK && rc != SQLITE_DONE)
        result.reason = sqliteReason(rc, cancel);
    if (!result.reason.isEmpty()) {
        sqlite3_close(handle);
        return result;
    }
    RecordingDatabase db;
    RecordingDatabase::Summary summary;
    result.ok = db.take(handle) && db.readInto(log, progress) && db.summarize(summary);
    if (!result.ok) {
        result.reason = cancel.load() ? QStringLiteral("открытие отменено") : db.reason();
        return result;
    }
    result.polls = summary.polls;
    result.copied = !copyTo.isEmpty() && db.vacuumInto(copyTo);
    return result;
}

} // namespace MeasurementFile
