#pragma once

#include <QString>

// A file written under a temporary name in the target's folder and renamed over the
// target only when complete, so that a failed or half-done export never leaves a file
// under the chosen name. The temporary file is removed unless committed.
class ReplacingFile {
public:
    explicit ReplacingFile(const QString& targetName);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Creates the empty temporary file; false with errorString() when the folder does
    // not take it.
    bool create();
    QString temporaryName() const { return m_temporaryName; }
    // Renames the temporary file over the target, replacing an existing file.
    bool commit();
    // Removes the temporary file now.
    void discard();
    QString errorString() const { return m_error; }

private:
    QString m_targetName;
    QString m_temporaryName;
    QString m_error;
    bool m_pending = false;
};
