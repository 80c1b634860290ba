#pragma once

#include <QDate>
#include <QString>

#include <atomic>
#include <functional>

class MeasurementLog;
class RecordingDatabase;

// A measurement file (.vilta): a log the user saved, in the recording's own format (the
// same schema, application id and user_version), plus what the run was in the table run.
// It is written whole under a temporary name next to its place and renamed into place, as
// a plain file (no WAL) that opens read-only anywhere.
//
// Keys of the run that a save writes (texts; keys this version does not know are ignored):
//   instrument.model, instrument.head            the model and head as the status bar names them
//   instrument.model_code, instrument.head_code  the codes the instrument answered (decimal)
//   poll.interval_ms                             the poll interval in milliseconds
//   poll.window                                  the daily window "HH:mm:ss-HH:mm:ss", if used
//   limit.<n>.enabled, limit.<n>.min, limit.<n>.max  the limits of series n (0..9) in force
//   program.version                              the version of the program that saved it
//   saved_at                                     when it was saved, local time, ISO 8601
//
// A file may come from anyone: reading it treats it as untrusted input.
namespace MeasurementFile {

inline constexpr char Suffix[] = "vilta";
QString modelKey();
QString headKey();
QString modelCodeKey();
QString headCodeKey();
QString intervalKey();
QString windowKey();
QString limitKey(int series, const char* part); // part: "enabled", "min" or "max"
QString versionKey();
QString savedAtKey();

// Writes a consistent copy of db (VACUUM INTO a temporary name), synced, renamed to path.
bool saveCopy(RecordingDatabase& db, const QString& path, QString& reason);
// Writes a whole log from memory (when the recording cannot give it).
bool writeLog(const MeasurementLog& log, const QString& path, QString& reason);

// The name a save proposes: "<date>Измерения.vilta".
QString defaultName(const QDate& date);

struct ReadResult {
    bool ok = false;
    QString reason; // why not, in the user's words (Russian)
    qint64 polls = 0;
    bool copied = false; // the copy asked for was written
};
// Reads the file at path into log, which must be empty and becomes the file's log. Read
// only, with SQLite's defensive settings, only our statements, a check of every schema
// object and of the pages first. cancel stops it (reason then says so). With copyTo, a
// copy of the file is also written there (a new recording that continues it); a failed
// copy does not fail the reading.
ReadResult read(const QString& path, MeasurementLog& log,
                const std::function<void(double)>& progress, const std::atomic<bool>& cancel,
                const QString& copyTo = {});

} // namespace MeasurementFile
