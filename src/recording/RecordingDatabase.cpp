#include "RecordingDatabase.h"

#include "export/FileFailureReason.h"
#include "measurement/LogSeries.h"
#include "measurement/MeasurementLog.h"
#include "measurement/Rounding.h"

#include <QFileInfo>
#include <QSet>

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <system_error>
#include <vector>

namespace {

const char* const Schema = R"(
PRAGMA application_id = 1447644244;
CREATE TABLE poll(id INTEGER PRIMARY KEY, t INTEGER NOT NULL,
                  c1, c2, c3, c4, c5, c6, c7, c8, c9, c10);
CREATE TABLE point_time(poll INTEGER NOT NULL, series INTEGER NOT NULL, t INTEGER NOT NULL);
CREATE TABLE missed_poll(after_poll INTEGER NOT NULL, t INTEGER NOT NULL);
)";

// What schema 2 adds to schema 1.
const char* const EventSchema = R"(
CREATE TABLE event(idx INTEGER PRIMARY KEY, kind INTEGER NOT NULL, series INTEGER NOT NULL,
                   side INTEGER NOT NULL, lim REAL, extreme REAL, missed INTEGER NOT NULL,
                   began INTEGER NOT NULL, ended INTEGER);
PRAGMA user_version = 2;
)";

// What schema 3 adds to schema 2.
const char* const RunSchema = R"(
ALTER TABLE event ADD COLUMN text TEXT;
CREATE TABLE run(key TEXT PRIMARY KEY, value TEXT NOT NULL);
PRAGMA user_version = 3;
)";

const char* const UpsertEvent = "INSERT OR REPLACE INTO event VALUES(?,?,?,?,?,?,?,?,?,?)";

// Event times to the millisecond, on the wall clock as the poll times are.
qint64 wallMsecs(const QDateTime& when) {
    const QDateTime local = when.timeSpec() == Qt::LocalTime ? when : when.toLocalTime();
    return wallSeconds(local) * 1000 + local.time().msec();
}

QDateTime wallMsecsDateTime(qint64 msecs) {
    const qint64 seconds = msecs >= 0 ? msecs / 1000 : -((-msecs + 999) / 1000);
    return wallDateTime(seconds).addMSecs(msecs - seconds * 1000);
}

// SQLite keeps a NaN as NULL.
void bindDouble(sqlite3_stmt* st, int column, double value) {
    if (std::isnan(value))
        sqlite3_bind_null(st, column);
    else
        sqlite3_bind_double(st, column, value);
}

double columnDouble(sqlite3_stmt* st, int column) {
    return sqlite3_column_type(st, column) == SQLITE_NULL ? std::nan("")
                                                          : sqlite3_column_double(st, column);
}

// A Y as the log holds it: whole tenths where they carry it exactly (nearly always),
// else the number itself; SQLite would turn a NaN into NULL, which means "no point".
void bindY(sqlite3_stmt* st, int column, double y) {
    const double r = RoundToTenth(y);
    if (std::isfinite(r) && std::fabs(r) < 2.0e8) {
        const auto q = static_cast<qint32>(std::llrint(static_cast<long double>(r) * 10));
        if (LogSeries::fromTenths(q) == r) {
            sqlite3_bind_int(st, column, q);
            return;
        }
    }
    if (std::isnan(r))
        sqlite3_bind_text(st, column, "NaN", 3, SQLITE_STATIC);
    else
        sqlite3_bind_double(st, column, r);
}

double columnY(sqlite3_stmt* st, int column) {
    switch (sqlite3_column_type(st, column)) {
    case SQLITE_INTEGER:
        return LogSeries::fromTenths(sqlite3_column_int(st, column));
    case SQLITE_FLOAT:
        return sqlite3_column_double(st, column);
    default:
        return std::nan("");
    }
}

struct MissedPoll {
    qint64 afterPoll;
    qint64 time;
};

struct PointTime {
    qint64 poll;
    int series;
    qint64 time;
    bool operator<(const PointTime& o) const {
        return poll != o.poll ? poll < o.poll : series < o.series;
    }
};

// Times from 1970 to 2200: anything else is no poll this program made.
bool plausibleTime(qint64 wall) {
    return wall >= 0 && wall < qint64(84000) * 86400;
}

QString columnText(sqlite3_stmt* st, int column) {
    const auto* text = static_cast<const char16_t*>(sqlite3_column_text16(st, column));
    return QString::fromUtf16(text, sqlite3_column_bytes16(st, column) / 2);
}

QDateTime local(qint64 wall) {
    return wallDateTime(wall);
}

} // namespace

bool RecordingDatabase::isOwnSchemaObject(const QString& type, const QString& name,
                                          const QString& sql) {
    // The objects a file of any schema may hold, exactly as this program makes them.
    static const QSet<QString> own = [] {
        QSet<QString> objects;
        sqlite3* db = nullptr;
        sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE, nullptr);
        auto collect = [&] {
            sqlite3_stmt* st = nullptr;
            sqlite3_prepare_v2(db,
                               "SELECT type || '|' || name || '|' || ifnull(sql, '') FROM "
                               "sqlite_schema",
                               -1, &st, nullptr);
            while (sqlite3_step(st) == SQLITE_ROW)
                objects.insert(
                    QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))));
            sqlite3_finalize(st);
        };
        for (const char* step : {Schema, EventSchema, RunSchema}) {
            sqlite3_exec(db, step, nullptr, nullptr, nullptr);
            collect();
        }
        sqlite3_close(db);
        return objects;
    }();
    return own.contains(type + u'|' + name + u'|' + sql);
}

RecordingDatabase::~RecordingDatabase() {
    close();
}

void RecordingDatabase::close() {
    for (sqlite3_stmt** st : {&m_insertPoll, &m_insertTime, &m_insertMissed, &m_upsertEvent}) {
        sqlite3_finalize(*st);
        *st = nullptr;
    }
    if (m_db) {
        sqlite3_close(m_db);
        m_db = nullptr;
    }
    m_lastPoll = 0;
    m_version = 0;
    m_bulk = false;
}

bool RecordingDatabase::failWith(const QString& reason) {
    m_reason = reason;
    return false;
}

bool RecordingDatabase::fail(int rc) {
    switch (rc & 0xFF) {
    case SQLITE_NOTADB:
        return failWith(QStringLiteral("файл не является базой данных SQLite"));
    case SQLITE_CORRUPT:
        return failWith(QStringLiteral("файл повреждён или обрезан"));
    case SQLITE_FULL:
        return failWith(FileFailureReason(std::make_error_code(std::errc::no_space_on_device)));
    default:
        break;
    }
    const int error = m_db ? sqlite3_system_errno(m_db) : 0;
    if (error != 0)
        return failWith(FileFailureReason(std::error_code(error, std::generic_category())));
    if ((rc & 0xFF) == SQLITE_READONLY || (rc & 0xFF) == SQLITE_PERM)
        return failWith(FileFailureReason(std::make_error_code(std::errc::permission_denied)));
    return failWith(QString::fromUtf8(sqlite3_errstr(rc)));
}

bool RecordingDatabase::exec(const char* sql) {
    const int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
    return rc == SQLITE_OK || fail(rc);
}

bool RecordingDatabase::queryInt(const char* sql, qint64& value) {
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(m_db, sql, -1, &st, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(st);
        if (rc == SQLITE_ROW) {
            value = sqlite3_column_int64(st, 0);
            rc = SQLITE_OK;
        }
    }
    sqlite3_finalize(st);
    return rc == SQLITE_OK || fail(rc);
}

bool RecordingDatabase::prepareStatements() {
    const struct {
        sqlite3_stmt** st;
        const char* sql;
    } statements[] = {
        {&m_insertPoll, "INSERT INTO poll VALUES(?,?,?,?,?,?,?,?,?,?,?,?)"},
        {&m_insertTime, "INSERT INTO point_time VALUES(?,?,?)"},
        {&m_insertMissed, "INSERT INTO missed_poll VALUES(?,?)"},
        {&m_upsertEvent, UpsertEvent},
    };
    for (const auto& s : statements) {
        if (s.st == &m_upsertEvent && m_version < SchemaVersion)
            break;
        if (sqlite3_prepare_v3(m_db, s.sql, -1, SQLITE_PREPARE_PERSISTENT, s.st, nullptr) !=
            SQLITE_OK)
            return false;
    }
    return true;
}

bool RecordingDatabase::create(const QString& path) {
    close();
    if (QFileInfo::exists(path))
        return failWith(QStringLiteral("файл уже существует"));
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &m_db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        fail(rc);
        close();
        return false;
    }
    // The WAL journal lets a commit be one append and one sync; FULL syncs it at every
    // commit, so a poll that was written survives a power cut.
    if (!exec("PRAGMA journal_mode=WAL") || !exec("PRAGMA synchronous=FULL") || !exec("BEGIN") ||
        !exec(Schema) || !exec(EventSchema) || !exec(RunSchema) || !exec("COMMIT") ||
        !queryInt("PRAGMA user_version", m_version) || !prepareStatements()) {
        close();
        return false;
    }
    return true;
}

bool RecordingDatabase::open(const QString& path, bool check) {
    close();
    const QFileInfo info(path);
    if (!info.exists())
        return failWith(
            FileFailureReason(std::make_error_code(std::errc::no_such_file_or_directory)));
    if (info.size() == 0)
        return failWith(QStringLiteral("файл пуст"));
    int rc = sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK) {
        fail(rc);
        close();
        return false;
    }
    // Until the file proves to be a recording of ours, closing it must not fold the journal
    // into it and delete the journal: a damaged recording is set aside with its journal,
    // whose polls may be the only copy, and a foreign file is left as it was.
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    sqlite3_busy_timeout(m_db, 1000);
    bool ok = identify();
    // Walking every leaf page of the polls finds a file cut short; a page damaged
    // inside shows when the polls are read, which sets the file aside the same way.
    qint64 polls = 0;
    if (ok && check)
        ok = queryInt("SELECT count(*) FROM poll", polls);
    // A copy of a measurement file continued as the recording is a plain file until here.
    ok = ok && exec("PRAGMA journal_mode=WAL") && exec("PRAGMA synchronous=FULL") &&
         queryInt("SELECT ifnull(max(id), 0) FROM poll", m_lastPoll);
    if (!ok) {
        close();
        return false;
    }
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 0, nullptr);
    return true;
}

bool RecordingDatabase::identify() {
    qint64 application = 0;
    qint64 version = 0;
    bool ok =
        queryInt("PRAGMA application_id", application) && queryInt("PRAGMA user_version", version);
    if (ok && (application != ApplicationId || version < 1))
        ok = failWith(QStringLiteral("это не запись журнала этой программы"));
    if (ok && version > SchemaVersion)
        ok = failWith(QStringLiteral("запись сделана более новой версией программы"));
    m_version = version;
    if (ok && !prepareStatements())
        ok = failWith(QStringLiteral("это не запись журнала этой программы"));
    return ok;
}

bool RecordingDatabase::take(sqlite3* db) {
    close();
    m_db = db;
    if (identify() && queryInt("SELECT ifnull(max(id), 0) FROM poll", m_lastPoll))
        return true;
    close();
    return false;
}

bool RecordingDatabase::createInMemory() {
    close();
    const int rc = sqlite3_open_v2(":memory:", &m_db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK || !exec(Schema) || !exec(EventSchema) || !exec(RunSchema) ||
        !queryInt("PRAGMA user_version", m_version) || !prepareStatements()) {
        if (rc != SQLITE_OK)
            fail(rc);
        close();
        return false;
    }
    return true;
}

bool RecordingDatabase::beginBulk() {
    if (!m_db || !exec("BEGIN"))
        return false;
    m_bulk = true;
    return true;
}

bool RecordingDatabase::endBulk() {
    m_bulk = false;
    return exec("COMMIT");
}

bool RecordingDatabase::vacuumInto(const QString& file) {
    if (!m_db)
        return failWith(QStringLiteral("запись не открыта"));
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(m_db, "VACUUM INTO ?", -1, &st, nullptr);
    if (rc == SQLITE_OK) {
        const QByteArray name = file.toUtf8();
        sqlite3_bind_text(st, 1, name.constData(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
        rc = sqlite3_step(st);
    }
    sqlite3_finalize(st);
    return rc == SQLITE_DONE || fail(rc);
}

bool RecordingDatabase::write(const std::function<bool()>& body) {
    if (!m_db)
        return failWith(QStringLiteral("запись не открыта"));
    if (m_bulk)
        return upgrade() && body(); // the caller's transaction holds it all
    if (!exec("BEGIN"))
        return false;
    const qint64 version = m_version;
    if (upgrade() && body() && exec("COMMIT"))
        return true;
    const QString reason = m_reason;
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    m_reason = reason;
    if (m_version != version) {
        sqlite3_finalize(m_upsertEvent);
        m_upsertEvent = nullptr;
        m_version = version;
    }
    return false;
}

// A file of an older schema that is written to gets the newer tables in the same
// transaction.
bool RecordingDatabase::upgrade() {
    if (m_version >= SchemaVersion)
        return true;
    if ((m_version < 2 && !exec(EventSchema)) || !exec(RunSchema))
        return false;
    m_version = SchemaVersion;
    const int rc = sqlite3_prepare_v3(m_db, UpsertEvent, -1, SQLITE_PREPARE_PERSISTENT,
                                      &m_upsertEvent, nullptr);
    return rc == SQLITE_OK || fail(rc);
}

bool RecordingDatabase::upsertEvents(const std::vector<RecordedEvent>& events) {
    for (const RecordedEvent& r : events) {
        const LogEvent& e = r.event;
        sqlite3_stmt* st = m_upsertEvent;
        sqlite3_reset(st);
        sqlite3_bind_int64(st, 1, r.index);
        sqlite3_bind_int(st, 2, e.kind);
        sqlite3_bind_int(st, 3, e.series);
        sqlite3_bind_int(st, 4, e.side);
        bindDouble(st, 5, e.limit);
        bindDouble(st, 6, e.extreme);
        sqlite3_bind_int(st, 7, e.missedPolls);
        sqlite3_bind_int64(st, 8, wallMsecs(e.start));
        if (e.end.isValid())
            sqlite3_bind_int64(st, 9, wallMsecs(e.end));
        else
            sqlite3_bind_null(st, 9);
        if (e.text.isEmpty())
            sqlite3_bind_null(st, 10);
        else
            sqlite3_bind_text16(st, 10, e.text.utf16(), static_cast<int>(e.text.size() * 2),
                                SQLITE_TRANSIENT);
        const int rc = sqlite3_step(st);
        if (rc != SQLITE_DONE)
            return fail(rc);
    }
    return true;
}

bool RecordingDatabase::writeEvents(const std::vector<RecordedEvent>& events) {
    return write([&] { return upsertEvents(events); });
}

bool RecordingDatabase::replaceEvents(const std::vector<RecordedEvent>& events) {
    return write([&] { return exec("DELETE FROM event") && upsertEvents(events); });
}

bool RecordingDatabase::writeDetails(const QMap<QString, QString>& details) {
    return write([&] {
        if (!exec("DELETE FROM run"))
            return false;
        sqlite3_stmt* st = nullptr;
        int rc = sqlite3_prepare_v2(m_db, "INSERT INTO run VALUES(?,?)", -1, &st, nullptr);
        for (auto it = details.begin(); rc == SQLITE_OK && it != details.end(); ++it) {
            const QByteArray key = it.key().toUtf8();
            const QByteArray value = it.value().toUtf8();
            sqlite3_reset(st);
            sqlite3_bind_text(st, 1, key.constData(), static_cast<int>(key.size()),
                              SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 2, value.constData(), static_cast<int>(value.size()),
                              SQLITE_TRANSIENT);
            rc = sqlite3_step(st);
            if (rc == SQLITE_DONE)
                rc = SQLITE_OK;
        }
        sqlite3_finalize(st);
        return rc == SQLITE_OK || fail(rc);
    });
}

bool RecordingDatabase::readDetails(QMap<QString, QString>& details) {
    if (m_version < 3)
        return true; // older files say nothing of their run
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(m_db, "SELECT key, value FROM run", -1, &st, nullptr);
    while (rc == SQLITE_OK && (rc = sqlite3_step(st)) == SQLITE_ROW) {
        rc = SQLITE_OK;
        if (sqlite3_column_type(st, 0) != SQLITE_TEXT || sqlite3_column_type(st, 1) != SQLITE_TEXT)
            continue;
        const QString key = columnText(st, 0);
        const QString value = columnText(st, 1);
        if (!key.isEmpty() && !value.isEmpty())
            details.insert(key, value);
    }
    sqlite3_finalize(st);
    return rc == SQLITE_DONE || fail(rc);
}

bool RecordingDatabase::readEvents(std::vector<LogEvent>& events) {
    sqlite3_stmt* st = nullptr;
    // A file of schema 2 has no texts: its events are no marks.
    const char* sql = m_version >= 3 ? "SELECT kind, series, side, lim, extreme, missed, began, "
                                       "ended, text FROM event ORDER BY idx"
                                     : "SELECT kind, series, side, lim, extreme, missed, began, "
                                       "ended, NULL FROM event ORDER BY idx";
    int rc = sqlite3_prepare_v2(m_db, sql, -1, &st, nullptr);
    while (rc == SQLITE_OK && (rc = sqlite3_step(st)) == SQLITE_ROW) {
        rc = SQLITE_OK;
        const int kind = sqlite3_column_int(st, 0);
        const int side = sqlite3_column_int(st, 2);
        if (kind < LogEvent::Alarm || kind > LogEvent::Mark || side < LimitCrossing::None ||
            side > LimitCrossing::Max)
            continue; // not one this program writes
        LogEvent e;
        e.kind = static_cast<LogEvent::Kind>(kind);
        e.series = sqlite3_column_int(st, 1);
        e.side = static_cast<LimitCrossing::Side>(side);
        e.limit = columnDouble(st, 3);
        e.extreme = columnDouble(st, 4);
        e.missedPolls = sqlite3_column_int(st, 5);
        e.start = wallMsecsDateTime(sqlite3_column_int64(st, 6));
        if (sqlite3_column_type(st, 7) != SQLITE_NULL)
            e.end = wallMsecsDateTime(sqlite3_column_int64(st, 7));
        if (sqlite3_column_type(st, 8) == SQLITE_TEXT)
            e.text = columnText(st, 8);
        if (e.kind == LogEvent::Mark && e.text.isEmpty())
            continue; // a mark always has its text
        events.push_back(e);
    }
    sqlite3_finalize(st);
    return rc == SQLITE_DONE || fail(rc);
}

bool RecordingDatabase::append(const RecordedPoll& poll, const std::vector<RecordedEvent>& events) {
    const qint64 id = m_lastPoll + 1;
    const bool ok = write([&] {
        sqlite3_stmt* st = m_insertPoll;
        sqlite3_reset(st);
        sqlite3_bind_int64(st, 1, id);
        sqlite3_bind_int64(st, 2, poll.time);
        for (int s = 0; s < RecordedPoll::SeriesCount; ++s) {
            if (poll.has(s))
                bindY(st, 3 + s, poll.y[static_cast<std::size_t>(s)]);
            else
                sqlite3_bind_null(st, 3 + s);
        }
        int rc = sqlite3_step(st);
        if (rc != SQLITE_DONE)
            return fail(rc);
        for (int s = 0; s < RecordedPoll::SeriesCount; ++s) {
            const qint64 at = poll.at[static_cast<std::size_t>(s)];
            if (!poll.has(s) || at == poll.time)
                continue;
            sqlite3_reset(m_insertTime);
            sqlite3_bind_int64(m_insertTime, 1, id);
            sqlite3_bind_int(m_insertTime, 2, s);
            sqlite3_bind_int64(m_insertTime, 3, at);
            rc = sqlite3_step(m_insertTime);
            if (rc != SQLITE_DONE)
                return fail(rc);
        }
        return upsertEvents(events);
    });
    if (ok)
        m_lastPoll = id;
    return ok;
}

bool RecordingDatabase::appendMissed(qint64 time, const std::vector<RecordedEvent>& events) {
    return write([&] {
        sqlite3_reset(m_insertMissed);
        sqlite3_bind_int64(m_insertMissed, 1, m_lastPoll);
        sqlite3_bind_int64(m_insertMissed, 2, time);
        const int rc = sqlite3_step(m_insertMissed);
        return (rc == SQLITE_DONE || fail(rc)) && upsertEvents(events);
    });
}

bool RecordingDatabase::clear() {
    const bool ok = write([&] {
        return exec("DELETE FROM poll") && exec("DELETE FROM point_time") &&
               exec("DELETE FROM missed_poll") && exec("DELETE FROM event") &&
               exec("DELETE FROM run");
    });
    if (ok)
        m_lastPoll = 0;
    return ok;
}

bool RecordingDatabase::summarize(Summary& summary) {
    summary = {};
    if (!queryInt("SELECT count(*) FROM poll", summary.polls) ||
        !queryInt("SELECT count(*) FROM missed_poll", summary.missed))
        return false;
    qint64 first = 0, last = 0, missedFirst = 0, missedLast = 0;
    if (summary.polls > 0 && (!queryInt("SELECT t FROM poll ORDER BY id LIMIT 1", first) ||
                              !queryInt("SELECT t FROM poll ORDER BY id DESC LIMIT 1", last)))
        return false;
    if (summary.missed > 0 &&
        (!queryInt("SELECT t FROM missed_poll ORDER BY rowid LIMIT 1", missedFirst) ||
         !queryInt("SELECT t FROM missed_poll ORDER BY rowid DESC LIMIT 1", missedLast)))
        return false;
    summary.first = summary.polls == 0    ? missedFirst
                    : summary.missed == 0 ? first
                                          : std::min(first, missedFirst);
    summary.last = summary.polls == 0    ? missedLast
                   : summary.missed == 0 ? last
                                         : std::max(last, missedLast);
    return true;
}

bool RecordingDatabase::readInto(MeasurementLog& log, const std::function<void(double)>& progress) {
    if (!m_db)
        return failWith(QStringLiteral("запись не открыта"));
    // The two side tables are small: read whole, then merged into the stream of polls.
    std::vector<MissedPoll> missed;
    std::vector<PointTime> times;
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(m_db, "SELECT after_poll, t FROM missed_poll ORDER BY rowid", -1,
                                &st, nullptr);
    while (rc == SQLITE_OK && (rc = sqlite3_step(st)) == SQLITE_ROW) {
        missed.push_back({sqlite3_column_int64(st, 0), sqlite3_column_int64(st, 1)});
        rc = plausibleTime(missed.back().time) ? SQLITE_OK : SQLITE_CORRUPT;
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE)
        return fail(rc);
    rc = sqlite3_prepare_v2(m_db, "SELECT poll, series, t FROM point_time", -1, &st, nullptr);
    while (rc == SQLITE_OK && (rc = sqlite3_step(st)) == SQLITE_ROW) {
        times.push_back(
            {sqlite3_column_int64(st, 0), sqlite3_column_int(st, 1), sqlite3_column_int64(st, 2)});
        rc = plausibleTime(times.back().time) ? SQLITE_OK : SQLITE_CORRUPT;
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE)
        return fail(rc);
    std::sort(times.begin(), times.end());

    const double total = std::max<qint64>(1, m_lastPoll);
    auto nextMissed = missed.begin();
    auto nextTime = times.begin();
    auto replayMissedUpTo = [&](qint64 poll) {
        for (; nextMissed != missed.end() && nextMissed->afterPoll <= poll; ++nextMissed)
            log.markGap(local(nextMissed->time));
    };
    // The date changes once a day: worked out again only then.
    qint64 dayStart = 1;
    qint64 dayEnd = 0;
    QDate date;
    auto add = [&](int series, double y, qint64 t) {
        if (t < dayStart || t >= dayEnd) {
            date = wallDate(t);
            dayStart = t - wallSecondOfDay(t);
            dayEnd = dayStart + 86400;
        }
        log.append(series, y, date, static_cast<int>(t - dayStart));
    };

    replayMissedUpTo(0);
    rc = sqlite3_prepare_v2(m_db, "SELECT * FROM poll ORDER BY id", -1, &st, nullptr);
    qint64 rows = 0;
    while (rc == SQLITE_OK && (rc = sqlite3_step(st)) == SQLITE_ROW) {
        rc = SQLITE_OK;
        const qint64 id = sqlite3_column_int64(st, 0);
        const qint64 t = sqlite3_column_int64(st, 1);
        if (!plausibleTime(t)) {
            sqlite3_finalize(st);
            return failWith(QStringLiteral("файл повреждён или обрезан"));
        }
        for (int s = 0; s < RecordedPoll::SeriesCount; ++s) {
            if (sqlite3_column_type(st, 2 + s) == SQLITE_NULL)
                continue;
            qint64 at = t;
            while (nextTime != times.end() &&
                   (nextTime->poll < id || (nextTime->poll == id && nextTime->series < s)))
                ++nextTime;
            if (nextTime != times.end() && nextTime->poll == id && nextTime->series == s)
                at = nextTime->time;
            add(s, columnY(st, 2 + s), at);
        }
        replayMissedUpTo(id);
        if (++rows % 8192 == 0 && progress)
            progress(static_cast<double>(id) / total);
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE)
        return fail(rc);
    replayMissedUpTo(std::numeric_limits<qint64>::max());
    // A file of schema 1 has no events: the log keeps those its missed polls made.
    if (m_version >= 2) {
        std::vector<LogEvent> events;
        if (!readEvents(events))
            return false;
        log.events().restore(std::move(events));
    }
    QMap<QString, QString> details;
    if (!readDetails(details))
        return false;
    for (auto it = details.begin(); it != details.end(); ++it)
        log.setDetail(it.key(), it.value());
    Summary summary;
    if (!summarize(summary))
        return false;
    // The program that wrote the file ended without closing what was still going on: at
    // the last time the file knows, which an event may hold to the millisecond.
    QDateTime last = local(summary.last);
    for (const LogEvent& e : log.events().all())
        last = std::max({last, e.start, e.end.isValid() ? e.end : e.start});
    if (summary.polls > 0 || summary.missed > 0 || log.events().count() > 0) {
        // A log with polls was polled even when its file holds no event that says so: the
        // first poll that continues it then closes the stop made here, as after a stop.
        log.events().pollLogged(last);
        log.events().runEnded(last);
    }
    if (progress)
        progress(1.0);
    return true;
}
