#pragma once

#include <QString>

#include <system_error>

// Why a file could not be written, in the words the user reads in the failure message:
// the common causes (no such folder, no permission, read-only file system, disk full,
// file in use, a folder of that name) in Russian, any other in the system's own words.

// From the system's error code, as std::filesystem or errno report it; systemText is
// kept when the code is none of the common causes (its own message when empty).
QString FileFailureReason(const std::error_code& error, const QString& systemText = {});

// From the text a file device reports (QFileDevice::errorString), which for a failed
// system call is the system's message for its error number.
QString FileFailureReason(const QString& systemText);
