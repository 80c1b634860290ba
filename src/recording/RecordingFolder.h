#pragma once

#include <QString>

#include <memory>
#include <vector>

class QLockFile;

// Where the recordings live and how their files are named, claimed, set aside and
// removed. A recording is `log-<start>-<pid>.db` with SQLite's `-wal` and `-shm` beside
// it, guarded by `<name>.lock` while its program runs.
namespace RecordingFolder {

// $XDG_STATE_HOME/vilta-monitor, or ~/.local/state/vilta-monitor when that is unset.
QString path();
// A new name for this instance's recording in folder.
QString newRecordingName(const QString& folder);
// A lock on a recording, held by whoever writes or offers it; stale when its program
// died, never when it still runs, however old.
std::unique_ptr<QLockFile> lockFor(const QString& recording);

struct Abandoned {
    QString path;
    std::unique_ptr<QLockFile> lock; // held: no other instance offers it meanwhile
};
// The recordings in folder whose program is gone, claimed for this instance, oldest
// first. A running instance's recording is left alone.
std::vector<Abandoned> claimAbandoned(const QString& folder);

// Renames a recording with its journal files to `damaged-<name>`, where no search for
// recordings looks; returns the new name, or empty when the rename failed.
QString setAside(const QString& recording);
// Removes a recording with its journal files.
bool remove(const QString& recording);

} // namespace RecordingFolder
