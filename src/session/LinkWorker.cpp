#include "LinkWorker.h"

#include "link/Unitcomport.h"
#include "measurement/ChannelDecoding.h"

namespace {

bool readsOptical(std::int8_t modelCode) {
    return modelCode > 60;
}

// Every byte of a poll, both directions: its deadline allows their line time.
int pollBytes(std::int8_t modelCode) {
    return ProbeBytes + commandBytes(6) + (readsOptical(modelCode) ? commandBytes(8) : 0);
}

// Reads the climatic block and, for the optical models, the optical block. False when
// the instrument stopped answering midway or too slowly; then nothing of the poll may
// be used.
bool readBlocks(PollReading& r, std::int8_t modelCode) {
    if (!SendCommand(CmdReadClimatic))
        return false;
    const auto t = ReceiveWord();
    const auto rh = t ? ReceiveWord() : std::nullopt;
    const auto v = rh ? ReceiveWord() : std::nullopt;
    if (!v)
        return false;
    decodeClimatic(r, *t, *rh, *v);
    if (readsOptical(modelCode)) {
        if (!SendCommand(CmdReadOptical))
            return false;
        std::optional<std::uint16_t> words[4];
        for (auto& w : words) {
            w = ReceiveWord();
            if (!w)
                return false;
        }
        decodeOptical(r, *words[0], *words[1], *words[2], *words[3]);
    }
    return true;
}

} // namespace

void LinkWorker::perform(const ExchangeRequest& request) {
    ExchangeResult result;
    result.kind = request.kind;
    switch (request.kind) {
    case ExchangeKind::Detect:
        result.reply = QueryConfiguration(request.portNumber);
        result.answered = result.reply.answered;
        break;
    case ExchangeKind::StartProbe:
    case ExchangeKind::StopProbe: {
        PortSession session(request.portNumber, ProbeBytes);
        result.opened = session.opened();
        result.answered = ProbeInstrument();
        break;
    }
    case ExchangeKind::StopCommand: {
        PortSession session(request.portNumber, ProbeBytes + commandBytes(0));
        result.opened = session.opened();
        result.answered = ProbeInstrument();
        if (result.answered)
            SendCommand(CmdStop); // the acknowledgement is not needed
        break;
    }
    case ExchangeKind::Poll:
        result = poll(request);
        break;
    case ExchangeKind::Relink:
        if (request.newRelinkPass)
            m_relink.restart();
        result.relink = m_relink.step();
        if (result.relink &&
            isSameInstrument(result.relink->reply, request.modelCode, request.headCode)) {
            // Back, perhaps under another number or device: polling goes on there.
            ComPort.PortNumber = static_cast<std::int8_t>(result.relink->portNumber);
            ComPort.PortLabel = PortName(result.relink->portNumber);
            ComPort.DeviceName = result.relink->device.path;
            ComPort.DeviceLinked = result.relink->device.linked;
        }
        break;
    }
    result.device = ComPort.DeviceName;
    emit done(result);
}

ExchangeResult LinkWorker::poll(const ExchangeRequest& request) {
    ExchangeResult result;
    result.kind = ExchangeKind::Poll;
    {
        PortSession session(request.portNumber, pollBytes(request.modelCode));
        result.opened = session.opened();
        result.answered = ProbeInstrument();
        if (result.answered) {
            emit progress(QStringLiteral("Чтение данных ..."));
            result.complete = readBlocks(result.reading, request.modelCode);
        }
    } // the port is closed before anything is shown
    return result;
}
