#include "Formmain.h"

#include "ColourSwatch.h"
#include "ProtocolDetailsWindow.h"
#include "TextQuestion.h"
#include "chart/LogChart.h"
#include "chart/LogGraph.h"
#include "export/ExportJob.h"
#include "measurement/ChannelCaption.h"
#include "measurement/TimeAxis.h"
#include "recording/RecordingFolder.h"
#include "recording/RecordingWriter.h"
#include "sound/AlarmTone.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTimer>
#include <qcustomplot.h>

#include <algorithm>

namespace {

struct RowLook {
    const char* valueBox;
    QRgb swatch;
};

// The value panel, row by row in channel order; the captions come from channelCaption.
constexpr RowLook Rows[10] = {
    {"StaticTextT", 0x008000},   {"StaticTextRH", 0xFF0000}, {"StaticTextTvl", 0xFFFF00},
    {"StaticTextTtr", 0x0000FF}, {"StaticTextV", 0xFFFFFF},  {"StaticTextTHC", 0xC0C0C0},
    {"StaticTextTcf", 0xFF00FF}, {"StaticTextE", 0x00FFFF},  {"StaticTextL", 0x000000},
    {"StaticTextUV", 0x800000},
};

// The widest readings a value box shows: the largest optical value, the lowest temperature.
constexpr const char* WidestReadings[] = {"6553,5k", "-40,0"};
// Room the widest reading leaves in its box, so that a slightly wider face still fits.
constexpr int BoxMargin = 3;

// The bold box face, condensed as far as the widest reading needs to fit `room` pixels
// with the margin to spare, whatever face the system gives.
QFont fittedBoxFont(QFont f, int room) {
    for (int stretch = QFont::Condensed; stretch > QFont::ExtraCondensed; --stretch) {
        f.setStretch(stretch);
        const QFontMetricsF fm(f);
        qreal widest = 0;
        for (const char* reading : WidestReadings)
            widest = std::max(widest, fm.horizontalAdvance(QString::fromLatin1(reading)));
        if (widest + BoxMargin <= room)
            break;
    }
    return f;
}

constexpr int ClientWidth = 791;
constexpr int ClientHeight = 513;
constexpr int StatusBarHeight = 19;

} // namespace

TFMain::TFMain(QWidget* parent)
    : QMainWindow(parent), m_session(new MeasurementSession(RecordingFolder::path(), this)),
      ModelCode(m_session->ModelCode), HeadCode(m_session->HeadCode), Log(m_session->Log),
      Clock(m_session->Clock) {
    setObjectName(QStringLiteral("FMain"));
    m_programTitle = QStringLiteral("ВИЛТА Монитор в." VILTA_VERSION);
    setWindowTitle(m_programTitle);
    QFont f = font();
    f.setPointSize(8);
    setFont(f);

    RunFileDialog = [](QFileDialog* d) { return d->exec() == QDialog::Accepted; };
    RunPrintDialog = [](QPrintDialog* d) { return d->exec() == QDialog::Accepted; };
    RunProtocolDialog = [](ProtocolDetailsWindow* d) { return d->exec() == QDialog::Accepted; };
    ShowMessage = [this](const QString& title, const QString& text) {
        QMessageBox::information(this, title, text);
    };
    Ask = [this](const QString& text, const QStringList& buttons) {
        QMessageBox box(QMessageBox::Question, QApplication::applicationName(), text,
                        QMessageBox::NoButton, this);
        QList<QAbstractButton*> made;
        for (const QString& caption : buttons)
            made << box.addButton(caption, made.isEmpty() ? QMessageBox::AcceptRole
                                                          : QMessageBox::ActionRole);
        box.setDefaultButton(qobject_cast<QPushButton*>(made.first()));
        box.setEscapeButton(made.last());
        box.exec();
        const qsizetype chosen = made.indexOf(box.clickedButton());
        return buttons.value(chosen < 0 ? buttons.size() - 1 : chosen);
    };
    AskText = [this](const QString& title, const QString& prompt, const QString& proposed) {
        return askText(this, title, prompt, proposed);
    };
    RunMenu = [](QMenu* menu, const QPoint& at) { return menu->exec(at); };
    Beeper = new AlarmTone(this, [] { QApplication::beep(); });
    m_export = new ExportJob(this);
    m_recording = m_session->recording();
    connect(m_recording, &RecordingWriter::stopped, this, &TFMain::recordingStopped);
    connect(m_recording, &RecordingWriter::fileSaved, this, &TFMain::measurementsSaved);
    // The observer stays with Log when a restored log is put in its place.
    Log.events().addObserver([this](qsizetype index) {
        if (m_chart)
            m_chart->eventChanged(index);
    });
    // A tick while the program is still making its windows (a slow start lets one through
    // the main window's creation) waits for the next one: detection enables check boxes
    // of the settings window, which does not exist yet.
    m_session->DetectionGate = [this] { return m_options != nullptr; };
    connect(m_session, &MeasurementSession::statusText, this, &TFMain::setPanelText);
    connect(m_session, &MeasurementSession::deviceChanged, this,
            [this](const QString& device) { StatusPanels[0]->setToolTip(device); });
    connect(m_session, &MeasurementSession::detected, this, &TFMain::showDetected);
    connect(m_session, &MeasurementSession::runStarted, this, &TFMain::runStarted);
    connect(m_session, &MeasurementSession::runStateChanged, this, &TFMain::showRunState);
    connect(m_session, &MeasurementSession::stoppedByUser, this, [this] { Beeper->silence(); });
    connect(m_session, &MeasurementSession::pollShown, this, &TFMain::showPollValues);
    connect(m_session, &MeasurementSession::cleared, this, &TFMain::logCleared);
    connect(this, &TFMain::exportFinished, this, [this](bool ok) {
        if (ok)
            m_pollsSaved = m_pollsAtExport;
        updateTitle();
        if (std::exchange(m_closeAfterExport, false) && ok) {
            m_leaving = true;
            close();
        }
        if (std::exchange(m_openAfterSave, false) && ok)
            QTimer::singleShot(0, this, [this] { openFile(std::exchange(m_pendingOpen, {})); });
    });

    auto* central = new QWidget(this);
    setCentralWidget(central);
    buildChart();
    buildValuePanel();
    buildStatusBar();
    buildMenu();
    buildTimersAndDialogs();

    // The client area (below the menu) is 791 x 513, the status bar included.
    resize(ClientWidth, ClientHeight + menuBar()->sizeHint().height());
    if (layout())
        layout()->activate();
    resize(ClientWidth, height() + (ClientHeight - StatusBarHeight - centralWidget()->height()));
    // It can grow (maximised) but not shrink: below this the value rows, the buttons and
    // the menu no longer have their room.
    setMinimumSize(size());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect r = screen->availableGeometry();
        move(r.center() - QPoint(width() / 2, height() / 2));
    }
    FormCreate();
}

TFMain::~TFMain() {
    // A workbook being written is finished, not cut off.
    m_export->wait();
    // The normal end leaves no recording behind.
    m_recording->discard();
    // The printer is no child object; its dialog goes first since it refers to it.
    delete PrinterSetupDialog;
    delete Printer;
}

std::array<LogGraph*, 10> TFMain::series() const {
    return {Series1, Series2, Series3, Series4, Series5,
            Series6, Series7, Series8, Series9, Series10};
}

std::array<QLabel*, 10> TFMain::valueBoxes() const {
    return {StaticTextT,   StaticTextRH,  StaticTextTvl, StaticTextTtr, StaticTextV,
            StaticTextTHC, StaticTextTcf, StaticTextE,   StaticTextL,   StaticTextUV};
}

void TFMain::buildChart() {
    ChartValue = new QCustomPlot(centralWidget());
    ChartValue->setObjectName(QStringLiteral("ChartValue"));
    ChartValue->setGeometry(0, 0, 705, 490);
    m_chart = new LogChart(ChartValue, Log, [this] {
        return timeAxisStep(Log, ModelCode, HeadCode, VisiblePointCount);
    });
    connect(m_chart, &LogChart::pointChosen, this, &TFMain::chartPointChosen);
    const auto made = m_chart->series();
    Series1 = made[0];
    Series2 = made[1];
    Series3 = made[2];
    Series4 = made[3];
    Series5 = made[4];
    Series6 = made[5];
    Series7 = made[6];
    Series8 = made[7];
    Series9 = made[8];
    Series10 = made[9];
}

void TFMain::buildValuePanel() {
    auto* panel = new QFrame(centralWidget());
    PanelValue = panel;
    panel->setObjectName(QStringLiteral("PanelValue"));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setGeometry(710, 0, 81, 490);

    // Bold 10 point, condensed so that readings such as "6553,5k" fit the 49 px box.
    QFont boxFont = font();
    boxFont.setPointSize(10);
    boxFont.setBold(true);
    // Captions such as "UV, мВт/м" must fit between the swatch column and the edge.
    QFont captionFont = font();
    captionFont.setStretch(QFont::Condensed);
    std::array<QLabel*, 10> boxes{};
    for (int k = 0; k < 10; ++k) {
        auto* label = new QLabel(channelCaption(static_cast<Channel>(k)), panel);
        label->setFont(captionFont);
        label->setObjectName(QStringLiteral("Label%1").arg(k + 1));
        label->move(24, 8 + 40 * k);
        label->adjustSize();
        Labels[static_cast<std::size_t>(k)] = label;

        auto* swatch = new ColourSwatch(QColor::fromRgb(Rows[k].swatch), panel);
        swatch->setObjectName(QStringLiteral("Shape%1").arg(k + 1));
        swatch->setGeometry(8, 28 + 40 * k, 9, 9);
        Shapes[static_cast<std::size_t>(k)] = swatch;

        auto* box = new QLabel(QStringLiteral("0.0"), panel);
        box->setObjectName(QString::fromLatin1(Rows[k].valueBox));
        box->setGeometry(24, 24 + 40 * k, 49, 18);
        box->setFrameShape(QFrame::Panel);
        box->setFrameShadow(QFrame::Sunken);
        box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        box->setIndent(1);
        if (k == 0)
            boxFont = fittedBoxFont(boxFont, box->contentsRect().width() - box->indent());
        box->setFont(boxFont);
        // Filled like a text field: the polls give it the fields' colour (Base) or red.
        box->setAutoFillBackground(true);
        box->setBackgroundRole(QPalette::Base);
        QPalette pal = box->palette();
        pal.setColor(QPalette::Base, pal.color(QPalette::Light)); // button highlight
        box->setPalette(pal);
        box->setEnabled(false);
        boxes[static_cast<std::size_t>(k)] = box;
    }
    StaticTextT = boxes[0];
    StaticTextRH = boxes[1];
    StaticTextTvl = boxes[2];
    StaticTextTtr = boxes[3];
    StaticTextV = boxes[4];
    StaticTextTHC = boxes[5];
    StaticTextTcf = boxes[6];
    StaticTextE = boxes[7];
    StaticTextL = boxes[8];
    StaticTextUV = boxes[9];

    // The raised "2" that makes "L, Кд/м" read as candela per square metre, right after
    // the caption whatever its font's width.
    auto* squared = new QLabel(QStringLiteral("2"), panel);
    squared->setObjectName(QStringLiteral("Label11"));
    QFont small = font();
    small.setPointSize(6);
    squared->setFont(small);
    squared->move(Labels[8]->geometry().right() + 1, 324);
    squared->adjustSize();
    Labels[10] = squared;

    ButtonClear = new QPushButton(QStringLiteral("Очистить"), panel);
    ButtonClear->setObjectName(QStringLiteral("ButtonClear"));
    ButtonClear->setGeometry(8, 424, 65, 25);
    connect(ButtonClear, &QPushButton::clicked, this, &TFMain::ButtonClearClick);

    ButtonStartStop = new QPushButton(QStringLiteral("Старт"), panel);
    ButtonStartStop->setObjectName(QStringLiteral("ButtonStartStop"));
    ButtonStartStop->setGeometry(8, 456, 65, 25);
    ButtonStartStop->setEnabled(false);
    connect(ButtonStartStop, &QPushButton::clicked, this, &TFMain::ButtonStartStopClick);
}

void TFMain::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    bar->setSizeGripEnabled(false);
    bar->setFixedHeight(StatusBarHeight);
    constexpr int widths[3] = {40, 50, 50};
    // The narrow panels take a condensed face so that "ДАРЕН/25" fits in 50 pixels.
    QFont narrow = font();
    narrow.setStretch(QFont::Condensed);
    // The panels stand side by side in a row of their own: the bar's own layout would
    // put 6 px between them and push the last one 20 px to the right.
    auto* row = new QWidget(bar);
    auto* panels = new QHBoxLayout(row);
    panels->setContentsMargins(0, 0, 0, 0);
    panels->setSpacing(0);
    bar->addWidget(row, 1);
    for (int i = 0; i < 4; ++i) {
        auto* panel = new QLabel(row);
        if (i < 3)
            panel->setFont(narrow);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        if (i < 3) {
            panel->setFixedWidth(widths[i]);
            panel->setAlignment(Qt::AlignCenter);
            panels->addWidget(panel);
        } else {
            panel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            panels->addWidget(panel, 1);
        }
        StatusPanels[static_cast<std::size_t>(i)] = panel;
    }
    // Beside the four panels, so that the poll's texts in panel 3 never hide it.
    RecordingNote = new QLabel(row);
    RecordingNote->setObjectName(QStringLiteral("RecordingNote"));
    RecordingNote->setFrameShape(QFrame::Panel);
    RecordingNote->setFrameShadow(QFrame::Sunken);
    RecordingNote->setStyleSheet(QStringLiteral("color: #b00000;"));
    RecordingNote->hide();
    panels->addWidget(RecordingNote);
}

QString TFMain::panelText(int panel) const {
    return StatusPanels[static_cast<std::size_t>(panel)]->text();
}

void TFMain::setPanelText(int panel, const QString& text) {
    StatusPanels[static_cast<std::size_t>(panel)]->setText(text);
}

void TFMain::buildMenu() {
    QMenuBar* bar = menuBar();
    auto action = [this](const QString& objectName, const QString& caption) {
        auto* a = new QAction(caption, this);
        a->setObjectName(objectName);
        return a;
    };

    QMenu* charts = bar->addMenu(QStringLiteral("Графики ..."));
    N10 = charts->menuAction();
    N10->setObjectName(QStringLiteral("N10"));
    N11 = action(QStringLiteral("N11"), QStringLiteral("Климатические"));
    N12 = action(QStringLiteral("N12"), QStringLiteral("Оптические"));
    N11->setCheckable(true);
    N12->setCheckable(true);
    N11->setChecked(true);
    charts->addAction(N11);
    charts->addAction(N12);

    OpenAction = action(QStringLiteral("OpenAction"), QStringLiteral("Открыть ..."));
    bar->addAction(OpenAction);

    QMenu* save = bar->addMenu(QStringLiteral("Сохранить ..."));
    N1 = save->menuAction();
    N1->setObjectName(QStringLiteral("N1"));
    BMP1 = action(QStringLiteral("BMP1"), QStringLiteral("Paint (*.bmp)"));
    EXL1 = action(QStringLiteral("EXL1"), QStringLiteral("Microsoft Office Excel (*.xls)"));
    CSV1 = action(QStringLiteral("CSV1"), QStringLiteral("Текст CSV (*.csv)"));
    PDF1 = action(QStringLiteral("PDF1"), QStringLiteral("Отчёт PDF (*.pdf)"));
    save->addAction(BMP1);
    save->addAction(EXL1);
    save->addAction(CSV1);
    save->addAction(PDF1);
    MeasurementsAction =
        action(QStringLiteral("MeasurementsAction"), QStringLiteral("Измерения ..."));
    save->addAction(MeasurementsAction);
    ActionPartPdf =
        action(QStringLiteral("ActionPartPdf"), QStringLiteral("Отчёт PDF (видимый участок) ..."));
    ActionPartCsv =
        action(QStringLiteral("ActionPartCsv"), QStringLiteral("Текст CSV (видимый участок) ..."));
    save->addAction(ActionPartPdf);
    save->addAction(ActionPartCsv);
    // Only a view the user holds has a part of its own to save.
    connect(save, &QMenu::aboutToShow, this, [this] {
        ActionPartPdf->setVisible(m_chart->isHeld());
        ActionPartCsv->setVisible(m_chart->isHeld());
    });
    connect(ActionPartPdf, &QAction::triggered, this, &TFMain::PartPdfClick);
    connect(ActionPartCsv, &QAction::triggered, this, &TFMain::PartCsvClick);
    ProtocolDetailsAction = action(QStringLiteral("ProtocolDetailsAction"),
                                   QStringLiteral("Сведения для протокола ..."));
    ProtocolCsvAction =
        action(QStringLiteral("ProtocolCsvAction"), QStringLiteral("Протокол CSV ..."));
    save->addAction(ProtocolDetailsAction);
    save->addAction(ProtocolCsvAction);

    QMenu* print = bar->addMenu(QStringLiteral("Печать ..."));
    N2 = print->menuAction();
    N2->setObjectName(QStringLiteral("N2"));
    N3 = action(QStringLiteral("N3"), QStringLiteral("Настройки печати"));
    N4 = action(QStringLiteral("N4"), QStringLiteral("Печать"));
    print->addAction(N3);
    print->addAction(N4);

    N5 = action(QStringLiteral("N5"), QStringLiteral("Статистика"));
    N13 = action(QStringLiteral("N13"), QStringLiteral("События"));
    N6 = action(QStringLiteral("N6"), QStringLiteral("Настройки"));
    N7 = action(QStringLiteral("N7"), QStringLiteral("Помощь"));
    N8 = action(QStringLiteral("N8"), QStringLiteral("\"ОРИЛ \"ВИЛТА\""));
    N9 = action(QStringLiteral("N9"), QStringLiteral("Выход"));
    ActionMark = action(QStringLiteral("ActionMark"), QStringLiteral("Метка ..."));
    ActionMark->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    for (QAction* a : {N5, N13, N6, N7, N8, N9})
        bar->addAction(a);
    // Marks go on the chart, and the bar has no room left at the design width; Ctrl+M works
    // wherever the window has focus.
    charts->addSeparator();
    charts->addAction(ActionMark);
    addAction(ActionMark);
    connect(ActionMark, &QAction::triggered, this, &TFMain::MarkClick);

    connect(N11, &QAction::triggered, this, &TFMain::N11Click);
    connect(N12, &QAction::triggered, this, &TFMain::N12Click);
    connect(BMP1, &QAction::triggered, this, &TFMain::BMP1Click);
    connect(EXL1, &QAction::triggered, this, &TFMain::EXL1Click);
    connect(CSV1, &QAction::triggered, this, &TFMain::CSV1Click);
    connect(PDF1, &QAction::triggered, this, &TFMain::PDF1Click);
    connect(MeasurementsAction, &QAction::triggered, this, &TFMain::MeasurementsActionClick);
    connect(OpenAction, &QAction::triggered, this, &TFMain::OpenActionClick);
    connect(ProtocolDetailsAction, &QAction::triggered, this, &TFMain::ProtocolDetailsClick);
    connect(ProtocolCsvAction, &QAction::triggered, this, &TFMain::ProtocolCsvClick);
    connect(N13, &QAction::triggered, this, &TFMain::N13Click);
    connect(N3, &QAction::triggered, this, &TFMain::N3Click);
    connect(N4, &QAction::triggered, this, &TFMain::N4Click);
    connect(N5, &QAction::triggered, this, &TFMain::N5Click);
    connect(N6, &QAction::triggered, this, &TFMain::N6Click);
    connect(N7, &QAction::triggered, this, &TFMain::N7Click);
    connect(N8, &QAction::triggered, this, &TFMain::N8Click);
    connect(N9, &QAction::triggered, this, &TFMain::N9Click);
}

void TFMain::buildTimersAndDialogs() {
    auto timer = [this](const QString& name, int interval, bool enabled) {
        auto* t = new QTimer(this);
        t->setObjectName(name);
        t->setInterval(interval);
        if (enabled)
            t->start();
        return t;
    };
    TimerDetekt = m_session->detectionTimer();
    TimerInterval = m_session->intervalTimer();
    TimerPeriod = m_session->periodTimer();
    TimerLogo = timer(QStringLiteral("TimerLogo"), 1000, true);
    connect(TimerLogo, &QTimer::timeout, this, &TFMain::TimerLogoTimer);

    // Save dialogs that offer every format (the name's extension decides), no default
    // suffix, no overwrite question. Qt's own dialog, which speaks Russian through Qt's
    // translations; a desktop's native one would follow the desktop's language.
    auto saveDialog = [this](const QString& name) {
        auto* d = new QFileDialog(this);
        d->setObjectName(name);
        d->setOption(QFileDialog::DontUseNativeDialog, true);
        d->setAcceptMode(QFileDialog::AcceptSave);
        d->setFileMode(QFileDialog::AnyFile);
        d->setOption(QFileDialog::DontConfirmOverwrite, true);
        d->setDirectory(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
        d->setNameFilters(saveFilters());
        return d;
    };
    SaveDialogXLS = saveDialog(QStringLiteral("SaveDialogXLS"));
    SaveDialogGraph = saveDialog(QStringLiteral("SaveDialogGraph"));
    SaveDialogReport = saveDialog(QStringLiteral("SaveDialogReport"));
    OpenDialog = new QFileDialog(this);
    OpenDialog->setObjectName(QStringLiteral("OpenDialog"));
    OpenDialog->setOption(QFileDialog::DontUseNativeDialog, true);
    OpenDialog->setAcceptMode(QFileDialog::AcceptOpen);
    OpenDialog->setFileMode(QFileDialog::ExistingFile);
    OpenDialog->setDirectory(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    OpenDialog->setNameFilter(saveFilter(SaveFormat::Vilta));
    // The protocol is CSV whatever the name: its dialog offers nothing else.
    SaveDialogProtocol = saveDialog(QStringLiteral("SaveDialogProtocol"));
    SaveDialogProtocol->setNameFilters({QStringLiteral("Протокол CSV (*.csv)")});
    usePrinter(std::make_unique<QPrinter>(QPrinter::HighResolution));
}

void TFMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TFMain::FormResize() {
    if (!ChartValue || !PanelValue)
        return;
    const int W = width() + FrameWidth;
    const int H = centralWidget()->height() + StatusBarHeight + FrameHeight;
    ChartValue->resize(ChartValue->width(), H - 72);
    ChartValue->resize(W - 95, ChartValue->height());
    PanelValue->resize(PanelValue->width(), H - 72);
    PanelValue->move(W - 90, PanelValue->y());
    ButtonClear->move(ButtonClear->x(), H - 138);
    ButtonStartStop->move(ButtonStartStop->x(), H - 106);
}

void TFMain::closeEvent(QCloseEvent* event) {
    if (!m_leaving && !confirmLeaving()) {
        event->ignore();
        return;
    }
    // Closing the main window ends the program; no byte goes to the instrument.
    m_session->shutdown();
    TimerLogo->stop();
    Beeper->silence();
    event->accept();
    QApplication::quit();
}

QDateTime TFMain::now() const {
    return Clock();
}
