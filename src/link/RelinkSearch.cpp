#include "RelinkSearch.h"

#include "Unitcomport.h"

std::optional<RelinkSearch::Answer> RelinkSearch::step() {
    // The ports tried here must not become the port of the next poll.
    const QString keptDevice = ComPort.DeviceName;
    const bool keptLinked = ComPort.DeviceLinked;
    std::optional<Answer> answer;
    for (int visited = 0; visited < PortMap::PortCount; ++visited) {
        if (m_next == 1)
            m_devices = PortMap::devicesForPass();
        const int n = m_next;
        m_next = n % PortMap::PortCount + 1;
        const PortDevice& device = m_devices[std::size_t(n - 1)];
        if (!OpenPortDevice(device)) {
            ClosePort();
            continue;
        }
        // Probe and queries make one exchange, under one deadline.
        PlanExchange(ProbeBytes);
        if (ProbeInstrument()) {
            const DetectionReply reply = QueryOpenPort();
            if (reply.answered)
                answer = Answer{n, device, reply};
        }
        ClosePort();
        break;
    }
    if (answer)
        restart();
    ComPort.DeviceName = keptDevice;
    ComPort.DeviceLinked = keptLinked;
    return answer;
}
