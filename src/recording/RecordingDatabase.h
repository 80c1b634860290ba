#pragma once

#include "RecordedEvent.h"
#include "RecordedPoll.h"

#include <QMap>
#include <QString>

#include <functional>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;
class MeasurementLog;

// One recording file: an SQLite database in WAL mode whose every write is one
// transaction, synced to disk before the call returns. One thread at a time uses it.
//
// Schema 1: table poll (id in poll order, t its wall-clock seconds, c1..c10 the point of
// Series1..Series10 in whole tenths, NULL where the poll gave that series no point);
// point_time for the rare point whose second differs from its poll's; missed_poll for a
// poll that logged nothing while the run went on, after the poll of id after_poll.
// Schema 2 adds event: the log's events by their index in its list, times in wall-clock
// milliseconds, end NULL while the event lasts. A file of schema 1 is read as it is and
// gets the table at its first write.
// Schema 3 adds the event's text (a mark's) and run: what the run was, as key/value
// texts (the log's details); keys this version does not know are kept and ignored.
// Older files get both at their first write; a newer schema is refused.
class RecordingDatabase {
public:
    static constexpr int SchemaVersion = 3;
    // Marks the file as this program's recording ("VILT"), so a foreign database with
    // a similar layout is never taken for one.
    static constexpr int ApplicationId = 0x56494C54;

    struct Summary {
        qint64 polls = 0;
        qint64 missed = 0;
        // Wall-clock seconds of the first and the last poll or missed poll.
        qint64 first = 0;
        qint64 last = 0;
    };

    // Whether an object of a file's schema is one this program makes (a table or its
    // index, of any schema version, exactly as made).
    static bool isOwnSchemaObject(const QString& type, const QString& name, const QString& sql);

    RecordingDatabase() = default;
    ~RecordingDatabase();
    RecordingDatabase(const RecordingDatabase&) = delete;
    RecordingDatabase& operator=(const RecordingDatabase&) = delete;

    // A new, empty recording; the file must not exist yet.
    bool create(const QString& path);
    // An existing recording that this version can read. With check, the pages of the
    // polls are walked once, so that a file cut short is found before anyone relies on it.
    bool open(const QString& path, bool check);
    // Takes over a connection opened elsewhere (a file checked as untrusted input); it
    // must be one of our recordings, else it is closed and false given.
    bool take(sqlite3* db);
    // A scratch database in memory, to write a whole log at once in one transaction
    // between beginBulk and endBulk.
    bool createInMemory();
    bool beginBulk();
    bool endBulk();
    // A compact, consistent copy as a new plain file (VACUUM INTO).
    bool vacuumInto(const QString& file);
    void close();
    bool isOpen() const { return m_db != nullptr; }

    // A poll or a missed poll together with the events it added or changed.
    bool append(const RecordedPoll& poll, const std::vector<RecordedEvent>& events = {});
    bool appendMissed(qint64 time, const std::vector<RecordedEvent>& events = {});
    bool writeEvents(const std::vector<RecordedEvent>& events);
    // The log's whole list of events in place of the recorded one.
    bool replaceEvents(const std::vector<RecordedEvent>& events);
    // The log's whole set of details in place of the recorded one.
    bool writeDetails(const QMap<QString, QString>& details);
    bool clear();

    bool summarize(Summary& summary);
    // Replays the polls and missed polls, in their order, into an empty log, telling the
    // progress from 0 to 1, then gives it the events, those left open ended at the last
    // poll. A failure leaves the log half filled: hand it one of its own.
    bool readInto(MeasurementLog& log, const std::function<void(double)>& progress);

    // Why the last call failed, in the user's words (Russian).
    QString reason() const { return m_reason; }

private:
    bool fail(int rc);
    bool failWith(const QString& reason);
    bool exec(const char* sql);
    bool prepareStatements();
    bool queryInt(const char* sql, qint64& value);
    bool write(const std::function<bool()>& body);
    bool upgrade();
    bool identify();
    bool upsertEvents(const std::vector<RecordedEvent>& events);
    bool readEvents(std::vector<LogEvent>& events);
    bool readDetails(QMap<QString, QString>& details);

    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_insertPoll = nullptr;
    sqlite3_stmt* m_insertTime = nullptr;
    sqlite3_stmt* m_insertMissed = nullptr;
    sqlite3_stmt* m_upsertEvent = nullptr; // prepared once the table exists
    qint64 m_version = 0;
    qint64 m_lastPoll = 0; // id of the newest poll
    bool m_bulk = false;   // inside the caller's transaction
    QString m_reason;
};
