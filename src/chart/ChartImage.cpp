#include "ChartImage.h"

#include "export/FileFailureReason.h"
#include "measurement/RegionalSettings.h"

#include <QDate>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QSaveFile>
#include <qcustomplot.h>

#include <system_error>

QString DefaultBitmapName(const QDate& date) {
    return RegionalSettings::shortDate(date) + QStringLiteral("Graph.bmp");
}

bool SaveChartBitmap(QCustomPlot* chart, const QString& fileName, QString* reason) {
    // Drawn as on screen: current view, series shown, axis limits and size.
    const QPixmap pixmap = chart->toPixmap(chart->width(), chart->height(), 1.0);
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_RGB888);

    QSaveFile file(fileName);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        // Qt words a folder under the name in a text of its own, not the system's.
        if (reason)
            *reason = QFileInfo(fileName).isDir()
                          ? FileFailureReason(std::make_error_code(std::errc::is_a_directory), {})
                          : FileFailureReason(file.errorString());
        return false;
    }
    QImageWriter writer(&file, "bmp");
    if (!writer.write(image)) {
        if (reason)
            *reason = file.error() != QFileDevice::NoError ? FileFailureReason(file.errorString())
                                                           : writer.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (reason)
            *reason = FileFailureReason(file.errorString());
        return false;
    }
    return true;
}
