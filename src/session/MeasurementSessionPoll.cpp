// One poll: what it logs, shows and tests against the limits.
#include "MeasurementSession.h"

#include "PollPublisher.h"
#include "PollPublishing.h"
#include "measurement/ChannelConfiguration.h"
#include "measurement/ChannelDecoding.h"
#include "measurement/DerivedQuantities.h"
#include "measurement/LimitAlarm.h"
#include "measurement/OpticalDisplay.h"
#include "measurement/Rounding.h"
#include "measurement/ValueText.h"
#include "recording/RecordingWriter.h"

namespace {
std::size_t slot(int series) {
    return static_cast<std::size_t>(series);
}
std::size_t slot(Channel c) {
    return slot(seriesIndex(c));
}
} // namespace

void MeasurementSession::poll() {
    // A tick while an exchange is still under way is skipped, not queued: the line keeps
    // one poll per interval at most.
    if (m_exchanging || m_ended)
        return;
    if (m_portLost) {
        request(ExchangeKind::Relink, std::exchange(m_newRelinkPass, false));
        return;
    }
    request(ExchangeKind::Poll);
}

void MeasurementSession::pollAnswered(const ExchangeResult& result) {
    if (!result.complete) {
        missedPoll(!result.opened);
        return;
    }
    PollReading r = result.reading;
    applyHeadRules(r, ModelCode, HeadCode);
    applyValidityTests(r);
    logPoll(r);
}

void MeasurementSession::logPoll(const PollReading& r) {
    ShownPoll shown;
    shown.time = now();
    const ChannelSet carried = processedChannels(ModelCode, HeadCode);
    if (carried.t)
        showMeasured(shown, Channel::T, r.AcceptedT);
    if (carried.rh) {
        showMeasured(shown, Channel::RH, r.AcceptedRH);
        PollReading derived = r;
        const bool dewPoint = computeDerivedQuantities(derived);
        const double wetBulb = RoundToTenth(derived.WetBulbT);
        shown.texts[slot(Channel::WetBulb)] = ValueText(wetBulb);
        const double dew = RoundToTenth(derived.DewPointT);
        if (dewPoint)
            shown.texts[slot(Channel::DewPoint)] = ValueText(dew);
        addPoint(shown, seriesIndex(Channel::WetBulb), wetBulb);
        if (dewPoint)
            addPoint(shown, seriesIndex(Channel::DewPoint), dew);
    }
    if (carried.v)
        showMeasured(shown, Channel::V, r.AcceptedV);
    if (carried.e)
        showOptical(shown, Channel::E, r.AcceptedE, r.ERange);
    if (carried.l)
        showOptical(shown, Channel::L, r.AcceptedL, r.LRange);
    if (carried.uv)
        showOptical(shown, Channel::UV, r.AcceptedUV, r.UVRange);
    // The whole poll goes to the disk in one piece, or not at all.
    if (!m_pollPoints.isEmpty()) {
        shown.logged = true;
        ++m_pollsLogged;
        m_recording->record(m_pollPoints);
        m_pollPoints = {};
        if (m_publisher)
            m_publisher->enqueue(publishedPoll(shown));
    }
    emit pollShown(shown);
}

void MeasurementSession::showMeasured(ShownPoll& shown, Channel c, float accepted) {
    const double value = RoundToTenth(accepted);
    shown.texts[slot(c)] = ValueText(value);
    addPoint(shown, seriesIndex(c), value);
    testLimits(shown, c, accepted);
}

void MeasurementSession::showOptical(ShownPoll& shown, Channel c, float mantissa, float rangeCode) {
    if (const auto text = opticalBoxText(mantissa, rangeCode))
        shown.texts[slot(c)] = *text;
    if (isKnownRangeCode(rangeCode))
        addPoint(shown, seriesIndex(c), opticalLogValue(mantissa, rangeCode));
    testLimits(shown, c, scaledOpticalValue(mantissa, rangeCode));
}

void MeasurementSession::testLimits(ShownPoll& shown, Channel c, float value) {
    const LimitSetting& limit = m_settings.limits[slot(c)];
    const LimitCrossing crossing =
        limit.enabled ? LimitTest(value, limit.min, limit.max) : LimitCrossing{};
    Log.events().limitTested(seriesIndex(c), crossing, limitTestValue(value), shown.time);
    shown.alarms[slot(c)] = static_cast<bool>(crossing);
}

void MeasurementSession::addPoint(ShownPoll& shown, int seriesIndex, double y) {
    Log.append(seriesIndex, y, shown.time);
    m_pollPoints.add(seriesIndex, y, wallSeconds(shown.time));
    shown.values[slot(seriesIndex)] = y;
}
