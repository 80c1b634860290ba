#pragma once

#include "SecondaryWindow.h"
#include "norms/NormRow.h"
#include "session/SessionSettings.h"

#include <optional>

class MaskedTimeEdit;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

// The settings window. Its controls are the settings: other windows read them where
// they need a value. The axis limits, the point count, the poll interval and the series
// visibility are also pushed through the signals below, emitted from inside the
// handlers, so that a cascade of changes reaches the consumers in its own order.
class TFOptions : public SecondaryWindow {
    Q_OBJECT

public:
    explicit TFOptions(QWidget* parent = nullptr);

    // "Измеряемые параметры": which series the main chart draws.
    QGroupBox* GroupBoxSeries = nullptr;
    QCheckBox* CheckBox1T = nullptr;
    QCheckBox* CheckBox1RH = nullptr;
    QCheckBox* CheckBox1Tvl = nullptr;
    QCheckBox* CheckBox1Ttr = nullptr;
    QCheckBox* CheckBox1V = nullptr;
    QCheckBox* CheckBox1VR = nullptr;
    QCheckBox* CheckBox5 = nullptr; // the heat-stress index series (THC)
    QCheckBox* CheckBox2 = nullptr; // the globe temperature series (tсф.)
    QCheckBox* CheckBox1E = nullptr;
    QCheckBox* CheckBox1L = nullptr;
    QCheckBox* CheckBox1UV = nullptr;

    // "Масштаб".
    QGroupBox* GroupBoxScale = nullptr;
    QSlider* TrackBarYMax = nullptr;
    QSlider* TrackBarYMin = nullptr;
    QSlider* TrackBarXKol = nullptr; // how many points the chart shows
    QLabel* StaticTextYMax = nullptr;
    QLabel* StaticTextYMin = nullptr;
    QLabel* StaticTextXKol = nullptr; // the point count it sets

    // "Интервал".
    QGroupBox* GroupBoxInterval = nullptr;
    QSlider* TrackBarInterv = nullptr;
    QLabel* LabelInterv = nullptr;
    // "Продолжать опрос при сбоях связи": a missed poll leaves a gap in the log instead of
    // ending the run, and a port that went away is looked for again.
    QCheckBox* CheckBoxLinkFaults = nullptr;

    // "Критические уровни".
    QGroupBox* GroupBoxLimits = nullptr;
    QCheckBox* CheckBoxT = nullptr;
    QCheckBox* CheckBoxRH = nullptr;
    QCheckBox* CheckBoxV = nullptr;
    QCheckBox* CheckBoxE = nullptr;
    QCheckBox* CheckBoxL = nullptr;
    QCheckBox* CheckBoxUV = nullptr;
    QLineEdit* EditTmin = nullptr;
    QLineEdit* EditTmax = nullptr;
    QLineEdit* EditRHmin = nullptr;
    QLineEdit* EditRHmax = nullptr;
    QLineEdit* EditVmin = nullptr;
    QLineEdit* EditVmax = nullptr;
    QLineEdit* EditEmin = nullptr;
    QLineEdit* EditEmax = nullptr;
    QLineEdit* EditLmin = nullptr;
    QLineEdit* EditLmax = nullptr;
    QLineEdit* EditUVmin = nullptr;
    QLineEdit* EditUVmax = nullptr;
    QCheckBox* CheckBoxBeep = nullptr;

    // "Таймер".
    QGroupBox* GroupBoxTimer = nullptr;
    QCheckBox* CheckBoxTimer = nullptr;
    MaskedTimeEdit* MaskEditTimeN = nullptr; // daily start of a scheduled run
    MaskedTimeEdit* MaskEditTimeK = nullptr; // daily end of a scheduled run

    QPushButton* ButtonClose = nullptr;

    // "Пределы по норме": sets the limits of t, RH and V just outside the permissible
    // ranges of the norm row the protocol's details name; enabled while one is named.
    QPushButton* ButtonNormLimits = nullptr;
    QLabel* LabelNormLimits = nullptr;
    void setNormRow(std::optional<NormRow> row);

    // What the run reads of this window: the limits, the daily window, the link option.
    SessionSettings sessionSettings() const;

signals:
    void leftAxisMaxChanged(double value);
    void leftAxisMinChanged(double value);
    void visiblePointCountChanged(int count);
    void pollIntervalChanged(int milliseconds);
    // seriesIndex 0..9 in channel order (Series1 is 0).
    void seriesVisibilityChanged(int seriesIndex, bool shown);
    // Any control that sessionSettings() reads has changed.
    void sessionSettingsChanged(const SessionSettings& settings);

public slots:
    void TrackBarYMaxChange();
    void TrackBarYMinChange();
    void TrackBarXKolChange();
    void TrackBarIntervChange();
    void CheckBox1TClick();
    void CheckBox1RHClick();
    void CheckBox1TvlClick();
    void CheckBox1TtrClick();
    void CheckBox1VClick();
    void CheckBox1EClick();
    void CheckBox1LClick();
    void CheckBox1UVClick();
    void ButtonCloseClick();
    void ButtonNormLimitsClick();

private:
    void connectSessionSettings();
    void buildSeriesGroup();
    void buildTimerGroup();
    void buildLimitsGroup();
    void buildScaleGroup();
    void buildIntervalGroup();
    void buildNormLimitsRow();
    void connectHandlers();
    void nameControls();
    void nameForScreenReaders();

    std::optional<NormRow> m_normRow;
};
