#include "ToneOutput.h"

#include <QAudioSink>
#include <QBuffer>

#include <cmath>
#include <cstring>
#include <numbers>
#include <utility>

namespace {
// How often a sounding sink is asked how much the server has played.
constexpr int PlayOutPollMs = 10;
// Silence after a run, so that it ends before the stream runs dry.
constexpr int TrailMs = 2 * ToneOutput::BufferMs;
// How long a stopped sink is kept before it is deleted.
constexpr int SinkLingerMs = 2000;

// Silence in this format: zero, or the middle for unsigned samples.
char silenceByte(const QAudioFormat& format) {
    return format.sampleFormat() == QAudioFormat::UInt8 ? char(128) : char(0);
}
} // namespace

ToneOutput::ToneOutput(std::function<QAudioDevice()> device)
    : m_device(std::move(device)), m_playOut(new QTimer(this)) {
    m_playOut->setInterval(PlayOutPollMs);
    connect(m_playOut, &QTimer::timeout, this, &ToneOutput::checkPlayedOut);
}

QByteArray ToneOutput::makeTone(const QAudioFormat& format) {
    const int rate = format.sampleRate();
    const int channels = format.channelCount();
    const int frames = rate * DurationMs / 1000;
    const int gapFrames = rate * GapMs / 1000;
    QByteArray out;
    out.resize(static_cast<qsizetype>(frames + gapFrames) * channels * format.bytesPerSample());
    char* p = out.data();
    for (int i = 0; i < frames; ++i) {
        const double s =
            0.5 * std::sin(2.0 * std::numbers::pi * FrequencyHz * i / static_cast<double>(rate));
        for (int c = 0; c < channels; ++c) {
            switch (format.sampleFormat()) {
            case QAudioFormat::Float: {
                const float v = static_cast<float>(s);
                std::memcpy(p, &v, sizeof v);
                break;
            }
            case QAudioFormat::Int32: {
                const qint32 v = static_cast<qint32>(s * 2147483647.0);
                std::memcpy(p, &v, sizeof v);
                break;
            }
            case QAudioFormat::UInt8: {
                *p = static_cast<char>(static_cast<quint8>(128 + s * 127));
                break;
            }
            default: {
                const qint16 v = static_cast<qint16>(s * 32767.0);
                std::memcpy(p, &v, sizeof v);
                break;
            }
            }
            p += format.bytesPerSample();
        }
    }
    std::memset(p, silenceByte(format), static_cast<size_t>(out.data() + out.size() - p));
    return out;
}

void ToneOutput::play(quint64 run, int tones) {
    if (m_run != 0)
        finish(false); // the window asks for a run only after the last one ended
    if (wanted.load() != run) {
        emit ended(run, false); // given up on while it waited here
        return;
    }
    m_run = run;
    m_tones = tones;
    // The first call connects to the sound server and can wait for it.
    const QAudioDevice device = m_device();
    if (device.isNull() || wanted.load() != run || !startSink(device, tones)) {
        finish(false);
        return;
    }
    emit started(run);
}

bool ToneOutput::startSink(const QAudioDevice& device, int tones) {
    QAudioFormat format;
    format.setSampleRate(44100);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(format))
        format = device.preferredFormat();
    if (format != m_format || m_tone.isEmpty()) {
        m_format = format;
        m_tone = makeTone(format);
    }
    // The run, then silence longer than the server's buffer: the sink is stopped once the
    // run is heard, before the stream runs dry, since Qt drops what the server holds at
    // stop() and a stream that ran dry has Qt ask the server for a drain.
    m_samples = m_tone.repeated(tones);
    m_samples.chop(format.bytesForDuration(qint64(GapMs) * 1000));
    m_samples.append(format.bytesForDuration(qint64(TrailMs) * 1000), silenceByte(format));

    m_sink = new QAudioSink(device, format, this);
    m_sink->setBufferSize(format.bytesForDuration(qint64(BufferMs) * 1000));
    auto* source = new QBuffer(&m_samples, m_sink);
    source->open(QIODevice::ReadOnly);
    m_sinceStart.start();
    m_sink->start(source);
    m_playOut->start();
    // Connected only now: a sink that fails to open reports it from inside start().
    connect(m_sink, &QAudioSink::stateChanged, this, &ToneOutput::onStateChanged);
    return m_sink->error() == QAudio::NoError && m_sink->state() != QAudio::StoppedState;
}

void ToneOutput::onStateChanged(QAudio::State state) {
    // An underrun (Idle) needs nothing: the sink carries on by itself.
    if (m_sink && state == QAudio::StoppedState && m_sink->error() != QAudio::NoError)
        finish(false); // e.g. the sound server went away during the run
}

void ToneOutput::checkPlayedOut() {
    if (wanted.load() != m_run) {
        finish(false); // silenced
        return;
    }
    // What the server has played, not what it was handed; a backend that cannot tell is
    // stopped once the run and the server's buffer have had their time.
    const qint64 playedUs = m_sink->processedUSecs();
    if (playedUs >= runMs() * 1000)
        finish(true);
    else if (m_sinceStart.elapsed() < runMs() + TrailMs + BufferMs)
        return;
    else
        finish(playedUs > 0); // a stream that never started is a failure
}

void ToneOutput::finish(bool played) {
    dropSink();
    const quint64 run = std::exchange(m_run, 0);
    emit ended(run, played);
}

void ToneOutput::dropSink() {
    m_playOut->stop();
    if (!m_sink)
        return;
    disconnect(m_sink, nullptr, this, nullptr);
    m_sink->stop();
    // Qt's PulseAudio sink can still receive the reply to a drain it asked for when the
    // stream ran dry, after stop(); deleting it at once lets that reply reach a freed object.
    QTimer::singleShot(SinkLingerMs, m_sink, &QObject::deleteLater);
    m_sink = nullptr;
}
