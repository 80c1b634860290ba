#include "FileFailureReason.h"

#include <QtGlobal>

namespace {

struct Cause {
    std::errc condition;
    const char* text;
};

constexpr Cause Causes[] = {
    {std::errc::no_such_file_or_directory, "нет такой папки"},
    {std::errc::not_a_directory, "нет такой папки"},
    {std::errc::permission_denied, "нет прав на запись"},
    {std::errc::operation_not_permitted, "нет прав на запись"},
    {std::errc::read_only_file_system, "файловая система доступна только для чтения"},
    {std::errc::no_space_on_device, "на диске нет места"},
    {std::errc::file_too_large, "файл достиг предельного размера"},
    {std::errc::text_file_busy, "файл занят другой программой"},
    {std::errc::device_or_resource_busy, "файл занят другой программой"},
    {std::errc::is_a_directory, "под этим именем уже есть папка"},
};

} // namespace

QString FileFailureReason(const std::error_code& error, const QString& systemText) {
    for (const Cause& cause : Causes)
        if (error == cause.condition)
            return QString::fromUtf8(cause.text);
    return systemText.isEmpty() ? QString::fromLocal8Bit(error.message()) : systemText;
}

QString FileFailureReason(const QString& systemText) {
    // A file device words a failed call exactly as Qt words the error number.
    for (const Cause& cause : Causes)
        if (systemText == qt_error_string(static_cast<int>(cause.condition)))
            return QString::fromUtf8(cause.text);
    return systemText;
}
