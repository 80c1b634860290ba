// Every text of the main, settings and statistics windows is drawn whole, inside its
// widget and its frames, clear of its neighbours, with this machine's fonts. The texts
// are found in the rendered windows; ctest runs this at QT_SCALE_FACTOR 1 and 2.
#include "MainWindowFixture.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QtTest>

#include <memory>

namespace {

QString shownText(const QWidget* w) {
    if (const auto* l = qobject_cast<const QLabel*>(w))
        return l->text();
    if (const auto* b = qobject_cast<const QAbstractButton*>(w))
        return b->text();
    if (const auto* e = qobject_cast<const QLineEdit*>(w))
        return e->displayText();
    return {};
}

// The widget of the window with this object name or, failing that, every widget
// showing this text.
QList<QWidget*> find(QWidget* window, const QString& key) {
    if (auto* named = window->findChild<QWidget*>(key))
        return {named};
    QList<QWidget*> found;
    for (QWidget* w : window->findChildren<QWidget*>())
        if (w->isVisible() && shownText(w) == key)
            found << w;
    return found;
}

bool isPlainLabel(const QWidget* w) {
    const auto* l = qobject_cast<const QLabel*>(w);
    return l && l->frameShape() == QFrame::NoFrame;
}

bool isCheckOrRadio(const QWidget* w) {
    return qobject_cast<const QCheckBox*>(w) || qobject_cast<const QRadioButton*>(w);
}

// The indicator and the text part of a check box or radio button.
QRect buttonPart(QWidget* w, bool indicator) {
    QStyleOptionButton o;
    o.initFrom(w);
    o.text = shownText(w);
    const bool radio = qobject_cast<QRadioButton*>(w);
    const QStyle::SubElement e =
        radio ? (indicator ? QStyle::SE_RadioButtonIndicator : QStyle::SE_RadioButtonContents)
              : (indicator ? QStyle::SE_CheckBoxIndicator : QStyle::SE_CheckBoxContents);
    return w->style()->subElementRect(e, &o, w);
}

QRectF toWindow(const QWidget* w, const QRectF& r) {
    return r.translated(w->mapTo(w->window(), QPoint()));
}

// The box of the pixels that differ between two images, in logical pixels.
QRectF changed(const QImage& a, const QImage& b, const QRect& part) {
    const qreal dpr = a.devicePixelRatio();
    const QRect device = QRect(part.topLeft() * dpr, part.size() * dpr) & a.rect();
    QRect box;
    for (int y = device.top(); y <= device.bottom(); ++y)
        for (int x = device.left(); x <= device.right(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                box |= QRect(x, y, 1, 1);
    return QRectF(box.x() / dpr, box.y() / dpr, box.width() / dpr, box.height() / dpr);
}

// What the widget draws in its text colour, found by drawing it a second time with the
// text in another colour; in the window's logical pixels.
QRectF inkBox(QWidget* w) {
    const QImage plain = w->grab().toImage();
    const QPalette keep = w->palette();
    QPalette marked = keep;
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        for (QPalette::ColorRole r : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            marked.setColor(g, r, QColor(255, 0, 255));
    w->setPalette(marked);
    const QImage coloured = w->grab().toImage();
    w->setPalette(keep);
    const QRect part = isCheckOrRadio(w) ? buttonPart(w, false) : w->rect();
    return toWindow(w, changed(plain, coloured, part));
}

// The size of the text drawn alone, with room all round, at the widget's scale.
QSizeF wholeInk(const QWidget* w, const QString& text) {
    const QFontMetrics fm(w->font());
    const qreal dpr = w->devicePixelRatioF();
    const QSize room(fm.horizontalAdvance(text) + 4 * fm.height(), 3 * fm.height());
    QImage blank(room * dpr, QImage::Format_ARGB32_Premultiplied);
    blank.setDevicePixelRatio(dpr);
    blank.fill(Qt::white);
    QImage drawn = blank;
    QPainter p(&drawn);
    p.setFont(w->font());
    p.drawText(QPoint(2 * fm.height(), 2 * fm.height()), text);
    p.end();
    return changed(blank, drawn, QRect(QPoint(), room)).size();
}

class Checker {
public:
    explicit Checker(QWidget* window) : m_window(window) {}

    // Whole: as large as the same text drawn alone. Inside: within the contents of the
    // widget and of each frame around it. Clear: a pixel away from every other widget
    // and text (but the partner: a unit and its raised digit).
    void check(QWidget* w, QWidget* partner, int margin = 0) {
        const QString text = shownText(w);
        const QRectF ink = inkOf(w);
        QVERIFY2(!ink.isEmpty(), qPrintable(text));
        const QSizeF whole = wholeInk(w, text);
        QVERIFY2(ink.width() >= whole.width() - 1 && ink.height() >= whole.height() - 1,
                 qPrintable(QStringLiteral("«%1» is cut: drawn %2 x %3 of %4 x %5")
                                .arg(text)
                                .arg(ink.width())
                                .arg(ink.height())
                                .arg(whole.width())
                                .arg(whole.height())));
        // A right-aligned reading too wide for its box loses its first characters.
        QVERIFY2(ink.left() >= toWindow(w, w->contentsRect()).left() + margin,
                 qPrintable(QStringLiteral("«%1» leaves no margin of %2").arg(text).arg(margin)));
        for (QWidget* frame = w; frame != m_window; frame = frame->parentWidget())
            QVERIFY2(toWindow(frame, frame->contentsRect()).contains(ink),
                     qPrintable(QStringLiteral("«%1» leaves the frame of %2")
                                    .arg(text, frame->metaObject()->className())));
        const QRectF clearance = ink.adjusted(-1, -1, 1, 1);
        for (QWidget* other : m_window->findChildren<QWidget*>()) {
            if (other == w || other == partner || !other->isVisible() ||
                !other->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).isEmpty())
                continue;
            for (const QRectF& obstacle : obstaclesOf(other))
                QVERIFY2(
                    !clearance.intersects(obstacle),
                    qPrintable(QStringLiteral("«%1» touches %2 «%3»")
                                   .arg(text, other->metaObject()->className(), shownText(other))));
        }
    }

    QRectF inkOf(QWidget* w) {
        if (!m_ink.contains(w))
            m_ink.insert(w, inkBox(w));
        return m_ink.value(w);
    }

private:
    // Labels and check boxes block with their text (and indicator), the rest whole.
    QList<QRectF> obstaclesOf(QWidget* w) {
        if (isPlainLabel(w))
            return {inkOf(w)};
        if (isCheckOrRadio(w))
            return {inkOf(w), toWindow(w, buttonPart(w, true))};
        return {toWindow(w, w->rect())};
    }

    QWidget* m_window;
    QHash<QWidget*, QRectF> m_ink;
};

} // namespace

class TextFitTest : public QObject {
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> m_forms;

    static void columns() {
        QTest::addColumn<QString>("widget"); // object name or the text it shows
        QTest::addColumn<QString>("text");   // a text to give it first, if any
        QTest::addColumn<QString>("raised"); // a raised digit that belongs to the text
        QTest::addColumn<QString>("before"); // the part of the text the digit follows
        QTest::addColumn<int>("margin");     // room to spare left of the text
    }

    static void row(const char* name, const QString& widget, const QString& text = {},
                    const QString& raised = {}, const QString& before = {}, int margin = 0) {
        QTest::newRow(name) << widget << text << raised << before << margin;
    }

    static void show(QWidget* window) {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        // The scale the ctest entry asks for is the one drawn.
        QCOMPARE(window->devicePixelRatioF(),
                 qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")).toDouble());
    }

    // Finds the row's widgets, gives them the row's text if any, and checks them.
    static void checkRow(QWidget* window) {
        QFETCH(QString, widget);
        QFETCH(QString, text);
        QFETCH(QString, raised);
        QFETCH(QString, before);
        QFETCH(int, margin);
        const QList<QWidget*> found = find(window, widget);
        QVERIFY2(!found.isEmpty(), qPrintable(widget));
        for (QWidget* w : found) {
            if (auto* l = qobject_cast<QLabel*>(w); l && !text.isEmpty())
                l->setText(text);
            if (auto* e = qobject_cast<QLineEdit*>(w); e && !text.isEmpty())
                e->setText(text);
            if (auto* list = qobject_cast<QComboBox*>(w)) {
                checkList(list, window);
                continue;
            }
            Checker checker(window);
            QWidget* digit = raised.isEmpty() ? nullptr : find(window, raised).value(0);
            checker.check(w, digit, margin);
            if (digit && !QTest::currentTestFailed())
                checker.check(digit, w);
            if (QTest::currentTestFailed())
                return;
            if (!digit)
                continue;
            // The digit stands right after the part of the unit it raises, above its foot,
            // and within the blanks before the rest of the unit.
            const QRectF ink = checker.inkOf(digit);
            const QFontMetricsF fm(w->font());
            const qreal start = w->mapTo(window, QPoint()).x() + fm.horizontalAdvance(before);
            QVERIFY(ink.left() >= start);
            QVERIFY(ink.left() <= start + fm.horizontalAdvance(QLatin1Char(' ')) + 1);
            QVERIFY(ink.bottom() < checker.inkOf(w).bottom());
            const QString rest = shownText(w).mid(before.size());
            const QString blanks = rest.left(rest.size() - rest.trimmed().size());
            if (!rest.trimmed().isEmpty())
                QVERIFY(ink.right() <= start + fm.horizontalAdvance(blanks));
        }
    }

    // Every item of a drop-down list is shown whole in the closed box, and gets all the
    // room it asks for when the list opens.
    static void checkList(QComboBox* list, QWidget* window) {
        for (int i = 0; i < list->count() && !QTest::currentTestFailed(); ++i) {
            list->setCurrentIndex(i);
            list->lineEdit()->home(false);
            Checker(window).check(list->lineEdit(), nullptr);
        }
        list->showPopup();
        QAbstractItemView* view = list->view();
        QVERIFY(QTest::qWaitForWindowExposed(view->window()));
        for (int i = 0; i < list->count(); ++i)
            QVERIFY2(view->sizeHintForIndex(list->model()->index(i, 0)).width() <=
                         view->viewport()->width(),
                     qPrintable(list->itemText(i)));
        list->hidePopup();
    }

private slots:
    void initTestCase() { m_forms = std::make_unique<MainWindowFixture>(); }
    void cleanupTestCase() { m_forms.reset(); }

    void mainWindow_data() {
        columns();
        row("t", "t, *С");
        row("RH", "RH, %");
        row("tvl", "tвл., *С");
        row("ttr", "tтр., *С");
        row("V", "V, м/с");
        row("THC", "THC");
        row("tsf", "tсф., *С");
        row("E", "E, лк");
        row("L", "L, Кд/м", {}, "Label11", "L, Кд/м");
        row("UV", "UV, мВт/м");
        row("boxes at start", "0.0");
        row("t box", "StaticTextT", "-34,9");
        row("RH box", "StaticTextRH", "109,9");
        row("E box", "StaticTextE", "123,4k");
        row("L box", "StaticTextL", "12,34k");
        row("UV box", "StaticTextUV", "1999,9");
        for (const char* box :
             {"StaticTextT", "StaticTextRH", "StaticTextTvl", "StaticTextTtr", "StaticTextV",
              "StaticTextTHC", "StaticTextTcf", "StaticTextE", "StaticTextL", "StaticTextUV"})
            for (const char* reading : {"6553,5k", "-40,0"})
                row(QByteArray(box).append(' ').append(reading).constData(),
                    QString::fromLatin1(box), QString::fromLatin1(reading), {}, {}, 3);
        row("clear", "Очистить");
        row("start", "Старт");
        row("port", "StatusPanel0", "COM8");
        row("model", "StatusPanel1", "ДАРЕН/25");
        row("head", "StatusPanel2", "гол.1");
        row("status", "StatusPanel3", "Соединение прошло успешно, ожидание начала измерений ");
        row("missed polls", "StatusPanel3", "Нет отклика от прибора (99999)");
        row("another instrument", "StatusPanel3",
            "На COM8 другой прибор (ДАРЕН/25, гол.1), опрос остановлен");
    }
    void mainWindow() {
        show(FMain);
        checkRow(FMain);
    }

    void settingsWindow_data() {
        columns();
        for (const char* caption : {"Температура t, *С",
                                    "Относительная влажность RH, %",
                                    "Температура влажного термометра tвл., *С",
                                    "Температура точки росы tтр., *С",
                                    "Скорость движения воздуха V, м/с",
                                    "Расход, м/с",
                                    "Индекс тепловой нагрузки среды THC",
                                    "Температура сферы tсф., *С",
                                    "Освещённость E, лк",
                                    "Яркость L, Кд/м",
                                    "Энергетическая освещённость UV, мВт/м",
                                    "Вкл./Выкл.",
                                    "Начало измерений",
                                    "Конец измерений",
                                    "min",
                                    "max",
                                    "t",
                                    "RH",
                                    "V",
                                    "E",
                                    "L",
                                    "UV",
                                    "0.0",
                                    "звуковая индикация",
                                    "Y",
                                    "X",
                                    "3",
                                    "600",
                                    "Закрыть",
                                    "Интервал измерений, 3 сек.",
                                    "Продолжать опрос при сбоях связи",
                                    "__:__",
                                    "Max 100",
                                    "Min 0",
                                    "Kol 100"})
            row(caption, QString::fromUtf8(caption));
        row("interval", "Интервал измерений, 3 сек.", "Интервал измерений, 600 cek.");
        row("times", "__:__", "08:30");
        row("upper bar", "Max 100", "Max 200000");
        row("lower bar", "Min 0", "Min 199999");
        row("point count", "Kol 100", "500");
    }
    void settingsWindow() {
        show(FOptions);
        checkRow(FOptions);
    }

    void statisticsWindow_data() {
        columns();
        for (const char* caption :
             {"Обновить", "Мин.", "Макс.", "Закрыть", "Сечение ", "воздуховода:", "Прямоугольная",
              "Круглая", "Произвольная", "Ширина, м", "Высота, м", "Диаметр, м", "1"})
            row(caption, QString::fromUtf8(caption));
        row("quantities", "ComboBoxStat");
        row("area", "Площадь, м", {}, "2", "Площадь, м");
        row("flow unit", "м  /ч", {}, "3", "м");
        row("minimum", "StaticTextMin", "-34,9");
        row("maximum", "StaticTextMax", "200000");
        row("area value", "EditS", "0,19625");
        row("flow", "StaticTextP", "108000"); // 30 m/s through 1 m² in m³/h
        row("flow in decimals", "StaticTextP", "868,995");
    }
    void statisticsWindow() {
        // The flow area shows for the air speed when the settings ask for it.
        FOptions->CheckBox1VR->setChecked(true);
        FStat->ComboBoxStat->setCurrentIndex(2);
        show(FStat);
        checkRow(FStat);
    }
};

QTEST_MAIN(TextFitTest)
#include "text_fit.moc"
