#include "AlarmTone.h"

#include <QApplication>
#include <QAudioDevice>
#include <QAudioSink>
#include <QBuffer>
#include <QMediaDevices>
#include <QTimer>

#include <cmath>
#include <cstring>
#include <numbers>

AlarmTone::AlarmTone(QObject* parent) : QObject(parent) {}

AlarmTone::~AlarmTone() {
    if (m_sink)
        m_sink->stop();
}

void AlarmTone::beep() {
    ++m_requested;
    ++m_pending;
    if (!m_playing)
        playNext();
}

QByteArray AlarmTone::makeTone(const QAudioFormat& format) const {
    const int rate = format.sampleRate();
    const int channels = format.channelCount();
    const int frames = rate * DurationMs / 1000;
    QByteArray out;
    out.resize(static_cast<qsizetype>(frames) * channels * format.bytesPerSample());
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
    return out;
}

void AlarmTone::playNext() {
    if (m_playing)
        return;
    if (m_pending == 0)
        return;
    --m_pending;
    m_playing = true;
    emit toneStarted();

    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
        QApplication::beep();
        QTimer::singleShot(DurationMs, this, &AlarmTone::toneEnded);
        return;
    }
    if (!m_sink) {
        QAudioFormat format;
        format.setSampleRate(44100);
        format.setChannelCount(1);
        format.setSampleFormat(QAudioFormat::Int16);
        if (!device.isFormatSupported(format))
            format = device.preferredFormat();
        m_samples = makeTone(format);
        m_sink = new QAudioSink(device, format, this);
        m_buffer = new QBuffer(&m_samples, this);
        connect(m_sink, &QAudioSink::stateChanged, this, &AlarmTone::onStateChanged);
    }
    m_buffer->close();
    m_buffer->open(QIODevice::ReadOnly);
    m_sink->start(m_buffer);
    if (m_sink->error() != QAudio::NoError) {
        QApplication::beep();
        QTimer::singleShot(DurationMs, this, &AlarmTone::toneEnded);
    }
}

void AlarmTone::toneEnded() {
    if (!m_playing)
        return;
    m_playing = false;
    playNext();
}

void AlarmTone::onStateChanged(QAudio::State state) {
    if (state != QAudio::IdleState)
        return;
    m_sink->stop();
    // Not from inside the sink's own signal: start the next tone from the event loop.
    QTimer::singleShot(0, this, &AlarmTone::toneEnded);
}
