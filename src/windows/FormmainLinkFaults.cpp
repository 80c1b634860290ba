// Runs that ride out link faults: a missed poll leaves a gap instead of ending the run,
// and a port that went away is looked for again until the same instrument answers.
#include "Formmain.h"
#include "Formoptions.h"
#include "link/ConfigurationDetection.h"
#include "link/Unitcomport.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace {
const QString NoAnswer = QStringLiteral("Нет отклика от прибора");

// The model's name and, for the model with heads, the head's label: "ДАРЕН/25, гол.1".
QString configurationName(const DetectionReply& reply) {
    const auto model = FindModel(reply.model);
    if (!model)
        return {};
    QString name = model->name;
    if (reply.model == ModelWithHeads) {
        if (const auto head = FindHead(reply.head))
            name += QStringLiteral(", ") + head->text;
    }
    return name;
}
} // namespace

void TFMain::beginRun() {
    endViewHold(); // a new run is watched from its newest points
    m_missedPolls = 0;
    m_portLost = false;
    // The run now goes on with this instrument and these settings, which a save records.
    m_runDetailsFromFile = false;
}

bool TFMain::ridesOutLinkFaults() const {
    return m_options && m_options->CheckBoxLinkFaults->isChecked();
}

void TFMain::missedPoll(bool portGone) {
    if (!ridesOutLinkFaults()) {
        m_portLost = false;
        endRunWithoutAnswer();
        return;
    }
    if (portGone && !m_portLost) {
        m_portLost = true;
        m_relink.restart();
    }
    logMissedPoll();
    ++m_missedPolls;
    setPanelText(3, QStringLiteral("%1 (%2)").arg(NoAnswer).arg(m_missedPolls));
}

void TFMain::lookForLostInstrument() {
    const auto answer = m_relink.step();
    if (answer) {
        const bool sameInstrument = answer->reply.model == ModelCode &&
                                    (ModelCode != ModelWithHeads || answer->reply.head == HeadCode);
        if (!sameInstrument) {
            endRunWithOtherInstrument(*answer);
            return;
        }
        // Back, perhaps under another number or device: polling goes on there.
        ComPort.PortNumber = static_cast<std::int8_t>(answer->portNumber);
        ComPort.PortLabel = PortName(answer->portNumber);
        ComPort.DeviceName = answer->device.path;
        ComPort.DeviceLinked = answer->device.linked;
        setPanelText(0, ComPort.PortLabel);
        StatusPanels[0]->setToolTip(ComPort.DeviceName);
        m_portLost = false;
    }
    // The tick polled nothing either way; the next one polls.
    missedPoll(false);
}

void TFMain::endRunWithOtherInstrument(const RelinkSearch::Answer& answer) {
    // Its channels may not be this configuration's: only a new detection may poll it.
    m_portLost = false;
    const QString name = configurationName(answer.reply);
    setPanelText(3, QStringLiteral("На %1 другой прибор%2, опрос остановлен")
                        .arg(PortName(answer.portNumber),
                             name.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(name)));
    TimerPeriod->stop();
    ButtonStartStop->setText(QStringLiteral("Старт"));
    TimerInterval->stop();
    Log.events().runEnded(now());
}
