#pragma once

#include "statistics/Histogram.h"

#include "SecondaryWindow.h"
#include <QSharedPointer>

#include <functional>

class QCPAxisTickerText;
class QCPBars;
class QCPItemLine;
class QCPItemText;
class QComboBox;
class QCustomPlot;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TFOptions;

// The statistics window: a histogram with minimum and maximum of one logged quantity,
// computed when the window is shown, on "Обновить" and when the quantity changes, and
// the air-flow calculator "Расход" that every air-speed reading updates.
class TFStat : public SecondaryWindow {
    Q_OBJECT

public:
    explicit TFStat(QWidget* parent = nullptr);

    // The window's outer height with the flow area in view and without it; the frame
    // (caption and border) takes FrameHeight of it, the rest is the client area.
    static constexpr int OuterHeightWithFlow = 555;
    static constexpr int OuterHeight = 480;
    static constexpr int FrameHeight = 24;

    // Where the points come from: the log series with the given index (0..9, channel
    // order). Without a source every series is empty.
    void setSeriesSource(std::function<StatSeries(int seriesIndex)> source);
    // The settings window, whose "Расход" box decides whether choosing the air speed
    // brings the flow area into view.
    void setOptionsWindow(const TFOptions* options);

    // The quantity chosen in the list (0..5), or -1 when nothing or a text that names
    // no item is in it.
    int selectedQuantity() const;

    // Run after each air-speed reading with the text the main window shows for it.
    void FlowUpdate(const QString& speedText);

    QComboBox* ComboBoxStat = nullptr;
    QPushButton* ButtonStatReload = nullptr;
    QFrame* PanelMinMax = nullptr;
    QLabel* LabelMin = nullptr;
    QLabel* StaticTextMin = nullptr;
    QLabel* LabelMax = nullptr;
    QLabel* StaticTextMax = nullptr;
    QCustomPlot* ChartStat = nullptr;
    QCPBars* BarSeriesStat = nullptr;
    QPushButton* ButtonClose = nullptr;

    // "Расход".
    QGroupBox* m3c = nullptr; // the frame of the air-flow calculator
    QLabel* Label1 = nullptr; // caption of the width field
    QLabel* Label2 = nullptr; // caption of the height field
    QLabel* Label3 = nullptr; // caption of the diameter field
    QLabel* Label4 = nullptr; // caption of the area field
    QLabel* Label5 = nullptr; // the raised "2" of the area unit
    QLabel* Label6 = nullptr; // the unit of the flow
    QLabel* Label7 = nullptr; // the raised "3" of the flow unit
    QLabel* Label8 = nullptr; // "Сечение ", first line of the cross-section caption
    QLabel* Label9 = nullptr; // "воздуховода:", its second line
    QRadioButton* RadioButtonXY = nullptr;
    QRadioButton* RadioButtonD = nullptr;
    QRadioButton* RadioButtonS = nullptr;
    QLineEdit* EditX = nullptr;
    QLineEdit* EditY = nullptr;
    QLineEdit* EditD = nullptr;
    QLineEdit* EditS = nullptr;
    QLabel* StaticTextP = nullptr;

    // The bar marks as drawn ("##0.## %"), in bar order; empty when no quantity is chosen.
    QStringList markTexts() const;

public slots:
    void FormShow();
    void ButtonStatReloadClick();
    void ComboBoxStatChange();
    void ButtonCloseClick();
    void RadioButtonXYClick();
    void RadioButtonDClick();
    void RadioButtonSClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildChart();
    void buildFlowArea();
    void nameControls();
    void Recompute();
    void clearMarks();
    void addMark(double key, double value, const QString& text);
    void setClientHeight(int outerHeight);

    std::function<StatSeries(int)> m_source;
    // Kept typed: a dynamic cast of the axis's ticker across the chart library fails.
    QSharedPointer<QCPAxisTickerText> m_classLabels;
    const TFOptions* m_options = nullptr;
    QList<QCPItemText*> m_markTexts;
    QList<QCPItemLine*> m_markLines;
};
