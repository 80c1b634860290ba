#include "Uxls.h"

#include "FileFailureReason.h"
#include "ReplacingFile.h"
#include "XlsWorkbookWriter.h"
#include "XlsxWorkbookWriter.h"
#include "measurement/RegionalSettings.h"

#include <QDir>
#include <QFile>

QString DefaultWorkbookName(const QDate& date) {
    return RegionalSettings::shortDate(date) + QStringLiteral("XLS.xls");
}

bool IsXlsxName(const QString& fileName) {
    return fileName.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive);
}

ExportResult ExportWorkbook(LogSnapshot snapshot, const QString& fileName,
                            const ExportProgress& progress) {
    ReplacingFile target(fileName);
    if (!target.create())
        return ExportResult::failure(target.errorString());

    ExportResult result;
    if (IsXlsxName(fileName)) {
        result = XlsxWorkbookWriter::write(snapshot, target.temporaryName(), progress);
    } else {
        QFile file(target.temporaryName());
        if (!file.open(QIODevice::ReadWrite | QIODevice::Truncate))
            return ExportResult::failure(file.errorString());
        result = XlsWorkbookWriter::write(snapshot, &file, progress);
        if (result.ok && !file.flush())
            result = ExportResult::failure(file.errorString());
        file.close();
        if (result.ok && file.error() != QFileDevice::NoError)
            result = ExportResult::failure(file.errorString());
    }
    if (!result.ok)
        return ExportResult::failure(FileFailureReason(result.reason));
    if (!target.commit())
        return ExportResult::failure(target.errorString());
    return result;
}

QString SaveFailureMessage(const QString& fileName, const QString& reason) {
    return QStringLiteral("Не удалось сохранить файл «%1»: %2")
        .arg(QDir::toNativeSeparators(fileName), reason);
}
