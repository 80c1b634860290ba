// The measurement protocol: its details and its rows as CSV.
#include "Formmain.h"

#include "Formoptions.h"
#include "ProtocolDetailsWindow.h"
#include "export/Uxls.h"
#include "norms/NormLibrary.h"
#include "report/MeasurementProtocol.h"
#include "report/ProtocolDetails.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>

void TFMain::ProtocolDetailsClick() {
    ProtocolDetailsWindow window(NormLibrary::shared(), ProtocolDetails::fromLog(Log), now().date(),
                                 this);
    if (!RunProtocolDialog(&window))
        return;
    // Into the recording too, so that they come back with a restored log.
    for (const auto& [key, value] : window.details().keyedValues())
        setLogDetail(key, value);
    protocolDetailsChanged();
}

void TFMain::protocolDetailsChanged() {
    if (!m_options)
        return;
    const ProtocolDetails details = ProtocolDetails::fromLog(Log);
    const NormDocument* document = NormLibrary::shared().document(details.document);
    const NormRow* row = document ? document->row(details.category,
                                                  details.period == yearPeriodText(YearPeriod::Warm)
                                                      ? YearPeriod::Warm
                                                      : YearPeriod::Cold)
                                  : nullptr;
    m_options->setNormRow(row && details.isFilled() ? std::optional<NormRow>(*row) : std::nullopt);
}

void TFMain::ProtocolCsvClick() {
    if (!canReport())
        return;
    const MeasurementProtocol protocol =
        MeasurementProtocol::build(Log, reportSource(), NormLibrary::shared());
    if (protocol.isEmpty()) {
        ShowMessage(QApplication::applicationName(),
                    QStringLiteral("Протокол не составлен: в сведениях для протокола не выбраны "
                                   "нормы, категория работ и период года."));
        return;
    }
    SaveDialogProtocol->selectFile(DefaultProtocolCsvName(now().date()));
    if (!RunFileDialog(SaveDialogProtocol))
        return;
    const QStringList chosen = SaveDialogProtocol->selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty())
        return;
    QString fileName = chosen.first();
    // A bare name gets the dialog's extension; any other name is kept as chosen.
    if (QFileInfo(fileName).suffix().isEmpty())
        fileName += QStringLiteral(".csv");
    QString reason;
    if (!WriteProtocolCsv(protocol, fileName, &reason))
        ShowMessage(QApplication::applicationName(), SaveFailureMessage(fileName, reason));
}
