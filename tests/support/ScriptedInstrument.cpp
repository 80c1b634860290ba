#include "ScriptedInstrument.h"

#include "link/QtSerialDevice.h"
#include "link/SerialDevice.h"
#include "link/Unitcomport.h"

#include <QMutex>
#include <QMutexLocker>

#include <deque>
#include <vector>

struct ScriptedInstrument::State {
    mutable QMutex mutex;
    std::deque<Read> script;
    QStringList log;
    QList<std::uint8_t> written;
    int reads = 0;
    int opens = 0;
    int closes = 0;
    int openDevices = 0;
    bool failOpens = false;

    std::optional<Replies> replies;
    std::vector<std::uint8_t> pendingData; // data bytes of the reply under way
    std::size_t nextData = 0;
    bool awaitingEcho = false;
    std::uint8_t lastSent = 0;
    int wrongEchoes = 0;
    std::chrono::milliseconds elapsed{0};

    // The instrument's next byte, after the empty reads of a slow instrument.
    void queueByte(std::uint8_t b) {
        script.insert(script.end(), std::size_t(replies->emptyReadsBeforeEachByte), std::nullopt);
        script.push_back(b);
    }

    void queueNextData() {
        if (nextData < pendingData.size()) {
            lastSent = pendingData[nextData++];
            queueByte(lastSent);
            awaitingEcho = true;
        } else {
            awaitingEcho = false;
        }
    }

    void startReply(std::uint8_t command, std::vector<std::uint8_t> data) {
        queueByte(command);
        if (replies->stopAfter && data.size() > std::size_t(*replies->stopAfter))
            data.resize(std::size_t(*replies->stopAfter));
        pendingData = std::move(data);
        nextData = 0;
        queueNextData();
    }

    void hostWrote(std::uint8_t b) {
        if (!replies)
            return;
        if (awaitingEcho) {
            if (b != lastSent)
                ++wrongEchoes;
            queueNextData();
            return;
        }
        const Replies& r = *replies;
        switch (b) {
        case CmdProbe:
            queueByte(r.probeAnswer);
            break;
        case CmdStop:
            startReply(b, {});
            break;
        case CmdModel:
            startReply(b, {r.model});
            break;
        case CmdHeads:
            startReply(b, {r.head});
            break;
        case CmdReadClimatic:
            startReply(b, {r.climatic.begin(), r.climatic.end()});
            break;
        case CmdReadOptical:
            startReply(b, {r.optical.begin(), r.optical.end()});
            break;
        default:
            break;
        }
    }
};

namespace {
QString hex(std::uint8_t b) {
    return QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
}

class ScriptedDevice : public SerialDevice {
public:
    explicit ScriptedDevice(std::shared_ptr<ScriptedInstrument::State> state)
        : m_state(std::move(state)) {}
    // A device dropped without close() leaves no "close" in the log.
    ~ScriptedDevice() override {
        if (m_open) {
            QMutexLocker lock(&m_state->mutex);
            --m_state->openDevices;
        }
    }

    bool open(const QString&) override {
        QMutexLocker lock(&m_state->mutex);
        ++m_state->opens;
        m_state->log << QStringLiteral("open");
        if (m_state->failOpens)
            return false;
        m_open = true;
        ++m_state->openDevices;
        return true;
    }

    // Logged even after a failed open: the caller must close on every path.
    void close() override {
        if (m_closed)
            return;
        QMutexLocker lock(&m_state->mutex);
        m_closed = true;
        ++m_state->closes;
        if (m_open)
            --m_state->openDevices;
        m_open = false;
        m_state->log << QStringLiteral("close");
    }

    bool isOpen() const override { return m_open; }

    void writeByte(std::uint8_t b) override {
        if (!m_open)
            return;
        QMutexLocker lock(&m_state->mutex);
        m_state->log << QStringLiteral("W ") + hex(b);
        m_state->written << b;
        m_state->hostWrote(b);
    }

    int readByte(std::uint8_t& b) override {
        QMutexLocker lock(&m_state->mutex);
        ++m_state->reads;
        ScriptedInstrument::Read result;
        if (m_open && !m_state->script.empty()) {
            result = m_state->script.front();
            m_state->script.pop_front();
        }
        if (!result) {
            m_state->log << QStringLiteral("R -");
            m_state->elapsed += std::chrono::milliseconds(QtSerialDevice::ReadTimeoutMs);
            return 0;
        }
        b = *result;
        m_state->log << QStringLiteral("R ") + hex(b);
        return 1;
    }

private:
    std::shared_ptr<ScriptedInstrument::State> m_state;
    bool m_open = false;
    bool m_closed = false;
};
} // namespace

ScriptedInstrument::ScriptedInstrument() : m_state(std::make_shared<State>()) {
    std::shared_ptr<State> state = m_state;
    SetSerialDeviceFactory([state] { return std::make_unique<ScriptedDevice>(state); });
    // Any point will do as the start: only differences are used.
    const LinkClock::time_point start = LinkClock::now();
    SetLinkClock([state, start] {
        QMutexLocker lock(&state->mutex);
        return start + state->elapsed;
    });
}

ScriptedInstrument::~ScriptedInstrument() {
    ClosePort();
    SetSerialDeviceFactory({});
    SetLinkClock({});
}

ScriptedInstrument& ScriptedInstrument::reads(std::initializer_list<Read> results) {
    QMutexLocker lock(&m_state->mutex);
    m_state->script.insert(m_state->script.end(), results.begin(), results.end());
    return *this;
}

ScriptedInstrument& ScriptedInstrument::bytes(std::initializer_list<std::uint8_t> values) {
    QMutexLocker lock(&m_state->mutex);
    m_state->script.insert(m_state->script.end(), values.begin(), values.end());
    return *this;
}

ScriptedInstrument& ScriptedInstrument::emptyReads(int count) {
    QMutexLocker lock(&m_state->mutex);
    m_state->script.insert(m_state->script.end(), std::size_t(count), std::nullopt);
    return *this;
}

void ScriptedInstrument::answerLikeInstrument(const Replies& replies) {
    QMutexLocker lock(&m_state->mutex);
    m_state->replies = replies;
}

void ScriptedInstrument::failOpens(bool fail) {
    QMutexLocker lock(&m_state->mutex);
    m_state->failOpens = fail;
}

QStringList ScriptedInstrument::log() const {
    QMutexLocker lock(&m_state->mutex);
    return m_state->log;
}

QList<std::uint8_t> ScriptedInstrument::written() const {
    QMutexLocker lock(&m_state->mutex);
    return m_state->written;
}

int ScriptedInstrument::readCount() const {
    QMutexLocker lock(&m_state->mutex);
    return m_state->reads;
}

int ScriptedInstrument::openCount() const {
    QMutexLocker lock(&m_state->mutex);
    return m_state->opens;
}

int ScriptedInstrument::closeCount() const {
    QMutexLocker lock(&m_state->mutex);
    return m_state->closes;
}

bool ScriptedInstrument::isOpen() const {
    QMutexLocker lock(&m_state->mutex);
    return m_state->openDevices > 0;
}

int ScriptedInstrument::wrongEchoes() const {
    QMutexLocker lock(&m_state->mutex);
    return m_state->wrongEchoes;
}

std::chrono::milliseconds ScriptedInstrument::elapsed() const {
    QMutexLocker lock(&m_state->mutex);
    return m_state->elapsed;
}
