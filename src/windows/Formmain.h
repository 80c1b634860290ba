#pragma once

#include "export/SaveFormat.h"
#include "measurement/Channel.h"
#include "measurement/MeasurementLog.h"
#include "report/ReportSource.h"
#include "session/MeasurementSession.h"

#include <QDateTime>
#include <QMainWindow>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

class QAction;
class QCustomPlot;
class QFileDialog;
class QLabel;
class QLockFile;
class QMenu;
class QPrintDialog;
class QPrinter;
class QPushButton;
class QTimer;
class AlarmTone;
class TFHelp;
class TFEvents;
class TFLogo;
class TFOptions;
class TFStat;
class ExportJob;
class LogChart;
class LogGraph;
class ColourSwatch;
class RecordingWriter;
class ProtocolDetailsWindow;
struct PollReading;

// The main window: the chart that is the measurement log, the value panel, the status
// bar, the menu and the four timers that drive the program.
class TFMain : public QMainWindow {
    Q_OBJECT

    // The measurement below the window: first, since the members below refer to it.
    MeasurementSession* m_session;

public:
    explicit TFMain(QWidget* parent = nullptr);
    ~TFMain() override;

    // Hands the main window the settings, statistics, splash and help windows once they
    // exist; until then it reads no setting and shows no other window.
    void connectSecondaryWindows(TFStat* stat, TFOptions* options, TFLogo* logo, TFHelp* help);
    // The events window, shown and hidden by its menu item.
    void setEventsWindow(TFEvents* events) { m_events = events; }

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
    // The chart's own logic: views, following the newest points, the held view.
    LogChart* chart() const { return m_chart; }

    // Value panel.
    QWidget* PanelValue = nullptr;
    // Label1..Label10: the caption above each value box, in channel order; Label11: the
    // raised "2" of the luminance unit.
    std::array<QLabel*, 11> Labels{};
    // Shape1..Shape10: the colour swatch beside each value box, the series' point colour.
    std::array<ColourSwatch*, 10> Shapes{};
    QLabel* StaticTextT = nullptr;
    QLabel* StaticTextRH = nullptr;
    QLabel* StaticTextTvl = nullptr; // wet-bulb temperature
    QLabel* StaticTextTtr = nullptr; // dew point
    QLabel* StaticTextV = nullptr;
    QLabel* StaticTextTHC = nullptr; // heat-stress index
    QLabel* StaticTextTcf = nullptr; // globe temperature
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
    QAction* N10 = nullptr;                // "Графики ...": the submenu of chart views
    QAction* N11 = nullptr;                // the climatic view of the chart
    QAction* N12 = nullptr;                // the optical view of the chart
    QAction* N1 = nullptr;                 // "Сохранить ...": the submenu of saving
    QAction* BMP1 = nullptr;               // saves the chart as a bitmap
    QAction* EXL1 = nullptr;               // exports the log to a workbook
    QAction* CSV1 = nullptr;               // exports the log as CSV text
    QAction* PDF1 = nullptr;               // saves the measurement report
    QAction* MeasurementsAction = nullptr; // saves the log as a measurement file
    QAction* OpenAction = nullptr;         // opens a measurement file into the log
    QAction* N2 = nullptr;                 // "Печать ...": the submenu of printing
    QAction* N3 = nullptr;                 // the printer setup dialog
    QAction* N4 = nullptr;                 // prints the chart
    QAction* N5 = nullptr;                 // shows or hides the statistics window
    QAction* N13 = nullptr;                // shows or hides the events window
    QAction* N6 = nullptr;                 // shows or hides the settings window
    QAction* N7 = nullptr;                 // shows or hides the help window
    QAction* N8 = nullptr;                 // shows or hides the maker's splash card
    QAction* N9 = nullptr;                 // leaves the program
    // "Метка ...": a mark where the next poll begins a measuring point.
    QAction* ActionMark = nullptr;
    // While the chart holds a view: the report and CSV of the part it shows.
    QAction* ActionPartPdf = nullptr;
    QAction* ActionPartCsv = nullptr;

    // In "Сохранить ...": "Сведения для протокола ...", what the measurement protocol is
    // about, and "Протокол CSV ...", the protocol's rows as CSV.
    QAction* ProtocolDetailsAction = nullptr;
    QAction* ProtocolCsvAction = nullptr;

    // The session's timers: detection, the polls of a run, the daily window of a scheduled run.
    QTimer* TimerDetekt = nullptr;
    QTimer* TimerInterval = nullptr;
    QTimer* TimerPeriod = nullptr;
    QTimer* TimerLogo = nullptr; // shows and then closes the splash card at start

    QFileDialog* SaveDialogXLS = nullptr;
    QFileDialog* SaveDialogGraph = nullptr;
    QFileDialog* SaveDialogReport = nullptr;
    QFileDialog* OpenDialog = nullptr; // opens a measurement file
    QFileDialog* SaveDialogProtocol = nullptr;
    QPrinter* Printer = nullptr;
    QPrintDialog* PrinterSetupDialog = nullptr;

    // The detected configuration and the log: the session's.
    std::int8_t& ModelCode;
    std::int8_t& HeadCode;
    MeasurementLog& Log;
    MeasurementSession* session() const { return m_session; }
    // How many of the newest points the time axis spans (100..500): 100 at creation, then
    // what the settings window's point-count bar pushes.
    int VisiblePointCount = 100;

    // Seams for tests: the clock (the session's), how a modal dialog is run, how a message
    // is shown.
    std::function<QDateTime()>& Clock;
    std::function<bool(QFileDialog*)> RunFileDialog;
    std::function<bool(QPrintDialog*)> RunPrintDialog;
    std::function<bool(ProtocolDetailsWindow*)> RunProtocolDialog;
    std::function<void(const QString& title, const QString& text)> ShowMessage;
    // Asks a question with the given buttons and gives the text of the one chosen; the
    // last button is the one that changes nothing, and closing the box chooses it.
    std::function<QString(const QString& text, const QStringList& buttons)> Ask;
    // Asks for a line of text (title, prompt, proposed text); nothing when cancelled.
    std::function<std::optional<QString>(const QString&, const QString&, const QString&)> AskText;
    // Shows a context menu and gives the item chosen.
    std::function<QAction*(QMenu*, const QPoint&)> RunMenu;
    AlarmTone* Beeper = nullptr;

    // Waits for an export under way (tests, program end).
    void waitForExport();
    // Logs and shows one poll's values as a poll from the line is (benchmarks that drive
    // polls without a port).
    void showPoll(const PollReading& reading);

    // The recording of the log on disk (one per program instance).
    RecordingWriter* recording() const { return m_recording; }
    // Opens a measurement file into the log (read on a thread of its own, with a progress
    // window); false, with a message naming the file and why, leaves the log as it was.
    bool openMeasurementFile(const QString& path);
    // The same after the question about unsaved polls (and, for an empty path, the file
    // dialog): the menu item and a file named on the command line.
    void openFile(const QString& path);
    // The measurement file the log came from or was last saved to (empty: none).
    QString measurementFile() const { return m_measurementFile; }
    // Sets one of the log's details (an empty value removes it) and records it.
    void setLogDetail(const QString& key, const QString& value);
    // Logged polls that no export has saved since (what the exit question counts).
    qsizetype unsavedPolls() const { return m_pollsLogged - m_pollsSaved; }
    // The status bar's note that the recording stopped; hidden while it runs.
    QLabel* RecordingNote = nullptr;

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
    // At start: offers each recording left by a program that did not end normally.
    void offerRecordings();

    // Menu.
    void N11Click();
    void N12Click();
    void BMP1Click();
    void EXL1Click();
    void CSV1Click();
    void PDF1Click();
    void MeasurementsActionClick();
    void OpenActionClick();
    void PartPdfClick();
    void PartCsvClick();
    void ProtocolDetailsClick();
    void ProtocolCsvClick();
    void N13Click();
    void MarkClick();
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
    void setVisiblePointCount(int count);

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
    void connectStatistics();
    QWidget* namedControl(const QString& name) const;
    void enableNamed(const QStringList& names);
    // What the session says, shown.
    void showPollValues(const ShownPoll& poll);
    void showDetected(std::int8_t model, std::int8_t head, bool headAsked);
    void showRunState(bool running);
    void logCleared();
    // A new run starts: watched from its newest points, its details the instrument's.
    void runStarted();
    void recordingStopped(const QString& reason);
    // Whether the window may close: asks first when polls would be lost.
    bool confirmLeaving();
    void offerRecording(const QString& path, std::unique_ptr<QLockFile>& lock);
    bool restoreRecording(const QString& path, std::unique_ptr<QLockFile>& lock, qint64 polls);
    void setRecordingAside(const QString& path, const QString& reason);
    // The user chose a poll on the chart: offers a mark there.
    void chartPointChosen(const QDateTime& poll, const QPoint& globalPos);
    void moveTimeAxis();
    // Puts the time axis on the newest points (the time-axis step of a poll).
    void followNewestPoints();
    // Gives a view the user zoomed or panned back to following the newest points.
    void endViewHold();
    void ExportToWorkbook(const QString& fileName);
    // Shows a save dialog proposing name in format, then saves in the format the chosen
    // name asks for.
    void saveThroughDialog(QFileDialog* dialog, const QString& name, SaveFormat format);
    // The same for the part of the log the held chart view shows.
    void savePartThroughDialog(QFileDialog* dialog, const QString& name, SaveFormat format);
    void saveFile(const QString& fileName, SaveFormat format);
    // Saves the log as a measurement file: from the recording when it holds the whole log
    // (on its thread), else from memory.
    void saveMeasurements(const QString& fileName);
    void measurementsSaved(const QString& fileName, bool ok, const QString& reason);
    // What the run is, as the log's details, before a save.
    void recordRunDetails();
    // False (and the user told why) when the instrument found is not the one that made
    // the log's file.
    bool instrumentFitsLog();
    // Puts a log read from a file or a recording in place of Log.
    void showRestoredLog();
    // Runs read on a thread of its own while a window modal progress box (shown after
    // 300 ms) follows the share in thousandths that read reports; with a cancel text the
    // box can cancel, setting the flag that read watches.
    void readWithProgress(const QString& text, const QString& cancelText,
                          const std::function<void(std::atomic<int>& permille,
                                                   const std::atomic<bool>& cancel)>& read);
    // The window's title: the program, and the open file with "*" while polls are unsaved.
    void updateTitle();
    bool saveBusy() const;
    // False (and the user told why) for a log that holds nothing to report.
    bool canReport();
    void saveReport(const QString& fileName);
    ReportSource reportSource() const;
    // Tells the settings window the norm row the protocol's details name, if any.
    void protocolDetailsChanged();
    // Makes printer the one that printing and the setup dialog use.
    void usePrinter(std::unique_ptr<QPrinter> printer);
    void toggle(QWidget* window);
    QDateTime now() const;

    // The secondary windows, handed over by connectSecondaryWindows.
    TFStat* m_stat = nullptr;
    TFOptions* m_options = nullptr;
    TFLogo* m_logo = nullptr;
    TFHelp* m_help = nullptr;
    TFEvents* m_events = nullptr;
    ExportJob* m_export = nullptr;
    LogChart* m_chart = nullptr;
    RecordingWriter* m_recording = nullptr;
    qsizetype m_pollsLogged = 0;
    qsizetype m_pollsSaved = 0;    // logged polls that the last successful export holds
    qsizetype m_pollsAtExport = 0; // logged polls when the export under way took its copy
    bool m_closeAfterExport = false;
    bool m_openAfterSave = false; // the save was asked for before opening a file
    bool m_savingFile = false;    // a measurement file is being written
    bool m_recordingWhole = true; // the recording holds the whole log
    QString m_measurementFile;
    QString m_pendingOpen;             // opened once the save asked for before it is done
    bool m_runDetailsFromFile = false; // the log's run details are the opened file's
    QString m_programTitle;
    bool m_leaving = false;
    // The period a save takes (the held view's), invalid for the whole log.
    std::pair<QDateTime, QDateTime> m_savePeriod;
};
