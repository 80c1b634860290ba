#pragma once

#include "measurement/Channel.h"
#include "measurement/MeasurementLog.h"

#include <QDateTime>
#include <QMainWindow>
#include <QSharedPointer>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class QAction;
class QCustomPlot;
class QFileDialog;
class QLabel;
class QPrintDialog;
class QPrinter;
class QPushButton;
class QTimer;
class AlarmTone;
class ExportJob;
class LogGraph;
class TimeLabelTicker;
class ColourSwatch;
struct PollReading;

// The main window: the chart that is the measurement log, the value panel, the status
// bar, the menu and the four timers that drive the program.
class TFMain : public QMainWindow {
    Q_OBJECT

public:
    explicit TFMain(QWidget* parent = nullptr);
    ~TFMain() override;

    // Connects the settings, statistics, splash and help windows once they exist.
    void connectSecondaryWindows();
    void connectStatistics();

    // What the window frame adds to the client size (outer = client + frame); the
    // resize arithmetic works on outer sizes.
    static constexpr int FrameWidth = 9;
    static constexpr int FrameHeight = 49;

    // Chart and its ten series, in channel order.
    QCustomPlot* ChartValue = nullptr;
    LogGraph* Series1 = nullptr;
    LogGraph* Series2 = nullptr;
    LogGraph* Series3 = nullptr;
    LogGraph* Series4 = nullptr;
    LogGraph* Series5 = nullptr;
    LogGraph* Series6 = nullptr;
    LogGraph* Series7 = nullptr;
    LogGraph* Series8 = nullptr;
    LogGraph* Series9 = nullptr;
    LogGraph* Series10 = nullptr;
    std::array<LogGraph*, 10> series() const;

    // Value panel.
    QWidget* PanelValue = nullptr;
    std::array<QLabel*, 11> Labels{};       // Label1..Label11
    std::array<ColourSwatch*, 10> Shapes{}; // Shape1..Shape10
    QLabel* StaticTextT = nullptr;
    QLabel* StaticTextRH = nullptr;
    QLabel* StaticTextTvl = nullptr;
    QLabel* StaticTextTtr = nullptr;
    QLabel* StaticTextV = nullptr;
    QLabel* StaticTextTHC = nullptr;
    QLabel* StaticTextTcf = nullptr;
    QLabel* StaticTextE = nullptr;
    QLabel* StaticTextL = nullptr;
    QLabel* StaticTextUV = nullptr;
    std::array<QLabel*, 10> valueBoxes() const;
    QPushButton* ButtonClear = nullptr;
    QPushButton* ButtonStartStop = nullptr;

    // Status bar panels 0..3: port, model, head, running status.
    std::array<QLabel*, 4> StatusPanels{};
    QString panelText(int panel) const;
    void setPanelText(int panel, const QString& text);

    // Menu.
    QAction* N10 = nullptr;
    QAction* N11 = nullptr;
    QAction* N12 = nullptr;
    QAction* N1 = nullptr;
    QAction* BMP1 = nullptr;
    QAction* EXL1 = nullptr;
    QAction* N2 = nullptr;
    QAction* N3 = nullptr;
    QAction* N4 = nullptr;
    QAction* N5 = nullptr;
    QAction* N6 = nullptr;
    QAction* N7 = nullptr;
    QAction* N8 = nullptr;
    QAction* N9 = nullptr;

    QTimer* TimerDetekt = nullptr;
    QTimer* TimerInterval = nullptr;
    QTimer* TimerPeriod = nullptr;
    QTimer* TimerLogo = nullptr;

    QFileDialog* SaveDialogXLS = nullptr;
    QFileDialog* SaveDialogGraph = nullptr;
    QPrinter* Printer = nullptr;
    QPrintDialog* PrinterSetupDialog = nullptr;

    // The detected configuration.
    std::int8_t ModelCode = 0;
    std::int8_t HeadCode = 0;

    MeasurementLog Log;

    // Seams for tests: the clock, how a modal dialog is run, how a message is shown.
    std::function<QDateTime()> Clock;
    std::function<bool(QFileDialog*)> RunFileDialog;
    std::function<bool(QPrintDialog*)> RunPrintDialog;
    std::function<void(const QString& title, const QString& text)> ShowMessage;
    AlarmTone* Beeper = nullptr;

    // Waits for an export under way (tests, program end).
    void waitForExport();
    // Shows and logs one poll's values; PollInstrument's second half, open to benchmarks
    // that drive polls without a port.
    void showPoll(const PollReading& reading);

signals:
    void exportFinished(bool ok);

public slots:
    // Start-up, detection and run control.
    void FormCreate();
    void TimerDetektTimer();
    void TimerLogoTimer();
    void ButtonStartStopClick();
    void TimerIntervalTimer();
    void TimerPeriodTimer();
    void ButtonClearClick();
    void PollInstrument();

    // Menu.
    void N11Click();
    void N12Click();
    void BMP1Click();
    void EXL1Click();
    void N3Click();
    void N4Click();
    void N5Click();
    void N6Click();
    void N7Click();
    void N8Click();
    void N9Click();

    // The settings window's pushes.
    void setLeftAxisMaximum(double value);
    void setLeftAxisMinimum(double value);
    void setSeriesShown(int seriesIndex, bool shown);
    void setPollInterval(int milliseconds);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormResize();
    void buildChart();
    void buildValuePanel();
    void buildStatusBar();
    void buildMenu();
    void buildTimersAndDialogs();
    // A value box of this window or a check box of the settings window, by its name.
    QWidget* namedControl(const QString& name) const;
    void enableNamed(const QStringList& names);
    void endRunWithoutAnswer();
    void showMeasured(Channel c, float accepted);
    void showOptical(Channel c, float mantissa, float rangeCode);
    void testLimits(Channel c, float value);
    void addPoint(int seriesIndex, double y);
    void moveTimeAxis();
    void ExportToWorkbook(const QString& fileName);
    void toggle(QWidget* window);
    QDateTime now() const;

    ExportJob* m_export = nullptr;
    QSharedPointer<TimeLabelTicker> m_timeTicker;
};
