#include "LoggerOptions.h"

#include "measurement/Channel.h"
#include "measurement/RegionalSettings.h"

#include <QRegularExpression>

#include <functional>
#include <map>

namespace {

constexpr int MinIntervalS = 3;
constexpr int MaxIntervalS = 600;

bool wholeNumber(const QString& text, qint64 low, qint64 high, qint64& value) {
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,12}$"));
    if (!digits.match(text).hasMatch())
        return false;
    value = text.toLongLong();
    return value >= low && value <= high;
}

QTime clockTime(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^([0-9]{1,2}):([0-9]{2})$"));
    const QRegularExpressionMatch m = form.match(text);
    return m.hasMatch() ? QTime(m.captured(1).toInt(), m.captured(2).toInt()) : QTime();
}

// An option whose value is a text that must not be empty (a file, a topic).
std::function<bool(const QString&)> nonEmptyText(QString& target) {
    return [&target](const QString& v) {
        target = v;
        return !v.isEmpty();
    };
}

bool limitBound(const QString& text) {
    double ignored = 0;
    return text.isEmpty() || RegionalSettings::parseNumber(text, ignored);
}

} // namespace

int LoggerOptions::limitSeries(const QString& name) {
    static const std::map<QString, Channel> names = {
        {QStringLiteral("t"), Channel::T}, {QStringLiteral("rh"), Channel::RH},
        {QStringLiteral("v"), Channel::V}, {QStringLiteral("e"), Channel::E},
        {QStringLiteral("l"), Channel::L}, {QStringLiteral("uv"), Channel::UV},
    };
    const auto it = names.find(name.toLower());
    return it == names.end() ? -1 : seriesIndex(it->second);
}

bool LoggerOptions::parse(const QStringList& arguments, QString& error) {
    // Each option with a value: how its text is taken; false when it does not fit.
    const std::map<QString, std::function<bool(const QString&)>> valued = {
        {QStringLiteral("--port"),
         [&](const QString& v) {
             static const QRegularExpression com(QStringLiteral("^COM([1-8])$"),
                                                 QRegularExpression::CaseInsensitiveOption);
             const QRegularExpressionMatch m = com.match(v);
             port = m.hasMatch() ? m.captured(1).toInt() : 0;
             return port != 0;
         }},
        {QStringLiteral("--interval"),
         [&](const QString& v) {
             qint64 s = 0;
             intervalS = wholeNumber(v, MinIntervalS, MaxIntervalS, s) ? int(s) : 0;
             return intervalS != 0;
         }},
        {QStringLiteral("--window"),
         [&](const QString& v) {
             const QStringList ends = v.split(u'-');
             scheduled = true;
             windowStart = ends.size() == 2 ? clockTime(ends[0]) : QTime();
             windowEnd = ends.size() == 2 ? clockTime(ends[1]) : QTime();
             return windowStart.isValid() && windowEnd.isValid() && windowStart != windowEnd;
         }},
        {QStringLiteral("--polls"),
         [&](const QString& v) { return wholeNumber(v, 1, 999999999999, polls); }},
        {QStringLiteral("--limit"),
         [&](const QString& v) {
             const qsizetype eq = v.indexOf(u'=');
             const int series = limitSeries(v.left(eq));
             const QStringList bounds = v.mid(eq + 1).split(u':');
             if (eq < 0 || series < 0 || bounds.size() != 2 || !limitBound(bounds[0]) ||
                 !limitBound(bounds[1]) || (bounds[0].isEmpty() && bounds[1].isEmpty()))
                 return false;
             limits[static_cast<std::size_t>(series)] = LimitSetting{true, bounds[0], bounds[1]};
             return true;
         }},
        {QStringLiteral("--out"), nonEmptyText(out)},
        {QStringLiteral("--search-timeout"),
         [&](const QString& v) {
             qint64 s = 0;
             searchTimeoutS = wholeNumber(v, 1, 86400, s) ? static_cast<int>(s) : 0;
             return searchTimeoutS > 0;
         }},
        {QStringLiteral("--mqtt"),
         [&](const QString& v) {
             static const QRegularExpression hostPort(QStringLiteral("^([^:\\s]+)(?::([0-9]+))?$"));
             const QRegularExpressionMatch m = hostPort.match(v);
             qint64 p = 0;
             mqttHost = m.captured(1);
             if (m.hasMatch() && m.captured(2).isEmpty())
                 return true;
             mqttPort = m.hasMatch() && wholeNumber(m.captured(2), 1, 65535, p) ? int(p) : 0;
             return mqttPort != 0;
         }},
        {QStringLiteral("--topic"), nonEmptyText(mqttTopic)},
        {QStringLiteral("--mqtt-user"),
         [&](const QString& v) {
             mqttUser = v;
             return true;
         }},
        {QStringLiteral("--mqtt-password-file"), nonEmptyText(mqttPasswordFile)},
        {QStringLiteral("--mqtt-cafile"), nonEmptyText(mqttCaFile)},
    };
    const std::map<QString, bool*> flags = {
        {QStringLiteral("--ride-out"), &rideOut},
        {QStringLiteral("--csv"), &csv},
        {QStringLiteral("--ha-discovery"), &haDiscovery},
        {QStringLiteral("--help"), &help},
        {QStringLiteral("-h"), &help},
    };

    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString name = arguments[i];
        std::optional<QString> value;
        // --name=value as well as --name value.
        if (const qsizetype eq = name.indexOf(u'='); name.startsWith(u"--") && eq > 2) {
            value = name.mid(eq + 1);
            name = name.left(eq);
        }
        if (const auto flag = flags.find(name); flag != flags.end() && !value) {
            *flag->second = true;
            continue;
        }
        const auto option = valued.find(name);
        if (option == valued.end()) {
            error = name.startsWith(u'-')
                        ? QStringLiteral("неизвестный параметр «%1»").arg(arguments[i])
                        : QStringLiteral("лишний аргумент «%1»").arg(arguments[i]);
            return false;
        }
        if (!value) {
            if (i + 1 >= arguments.size()) {
                error = QStringLiteral("у параметра «%1» нет значения").arg(name);
                return false;
            }
            value = arguments[++i];
        }
        if (!option->second(*value)) {
            error = QStringLiteral("недопустимое значение «%1» параметра «%2»").arg(*value, name);
            return false;
        }
    }
    return true;
}

SessionSettings LoggerOptions::settings() const {
    SessionSettings s;
    for (std::size_t i = 0; i < limits.size(); ++i)
        if (limits[i])
            s.limits[i] = *limits[i];
    s.pollIntervalMs = intervalS * 1000;
    s.scheduled = scheduled;
    if (scheduled) {
        s.windowStart = windowStart;
        s.windowEnd = windowEnd;
    }
    s.rideOutLinkFaults = rideOut;
    return s;
}

QString LoggerOptions::usage() {
    return QStringLiteral(
        "Использование: vilta-logger [параметры]\n"
        "Измерения прибором без окон: каждый опрос записывается в файл измерений и\n"
        "выводится строкой.\n"
        "\n"
        "Параметры:\n"
        "  --port COMn            порт прибора (COM1..COM8); без него прибор ищется\n"
        "                         на COM1..COM8\n"
        "  --interval S           интервал опроса, с (3..600, по умолчанию 3)\n"
        "  --window ЧЧ:ММ-ЧЧ:ММ   измерять только в этот период суток (опрос с\n"
        "                         интервалом --interval)\n"
        "  --polls N              закончить после N опросов\n"
        "  --limit КАНАЛ=MIN:MAX  пределы тревоги канала t, rh, v, e, l или uv; одну\n"
        "                         границу можно не указывать (t=:30); параметр\n"
        "                         повторяется для каждого канала\n"
        "  --ride-out             пропущенный опрос оставляет разрыв, измерения\n"
        "                         продолжаются\n"
        "  --out ФАЙЛ.vilta       файл измерений; существующий продолжается\n"
        "  --csv                  выводить строки в формате CSV\n"
        "  --search-timeout S     сколько секунд искать прибор (по умолчанию 60)\n"
        "  --mqtt ХОСТ[:ПОРТ], --topic ПРЕФИКС, --ha-discovery, --mqtt-user ИМЯ,\n"
        "  --mqtt-password-file ФАЙЛ, --mqtt-cafile ФАЙЛ\n"
        "                         публикация измерений брокеру MQTT\n"
        "  -h, --help             эта справка\n"
        "\n"
        "Коды завершения: 0 - успешно (в том числе по SIGINT и SIGTERM),\n"
        "64 - ошибка в параметрах, 69 - прибор не найден, 73 - файл нельзя\n"
        "использовать, 74 - прибор перестал отвечать.\n");
}
