#include "NormDocument.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace {

// A field that is missing or of the wrong kind stops the reading of the file.
struct FieldError {
    QString text;
};

double number(const QJsonObject& o, const QString& key) {
    const QJsonValue v = o.value(key);
    if (!v.isDouble())
        throw FieldError{QStringLiteral("нет числа «%1»").arg(key)};
    return v.toDouble();
}

NormRange range(const QJsonObject& o, const QString& key) {
    const QJsonArray a = o.value(key).toArray();
    if (a.size() != 2 || !a[0].isDouble() || !a[1].isDouble() || a[0].toDouble() > a[1].toDouble())
        throw FieldError{QStringLiteral("«%1» не диапазон из двух чисел").arg(key)};
    return {a[0].toDouble(), a[1].toDouble()};
}

QString text(const QJsonObject& o, const QString& key) {
    const QString s = o.value(key).toString();
    if (s.isEmpty())
        throw FieldError{QStringLiteral("нет текста «%1»").arg(key)};
    return s;
}

YearPeriod period(const QJsonObject& o) {
    const QString p = text(o, QStringLiteral("period"));
    if (p == yearPeriodText(YearPeriod::Cold))
        return YearPeriod::Cold;
    if (p == yearPeriodText(YearPeriod::Warm))
        return YearPeriod::Warm;
    throw FieldError{QStringLiteral("период года «%1» не «холодный» и не «тёплый»").arg(p)};
}

NormRow rowOf(const QJsonObject& o) {
    NormRow r;
    r.category = text(o, QStringLiteral("category"));
    r.energy = o.value(QStringLiteral("energy")).toString();
    r.period = period(o);
    const QJsonObject optimal = o.value(QStringLiteral("optimal")).toObject();
    r.optimalT = range(optimal, QStringLiteral("t"));
    r.optimalRh = range(optimal, QStringLiteral("rh"));
    r.optimalV = number(optimal, QStringLiteral("v"));
    const QJsonObject permissible = o.value(QStringLiteral("permissible")).toObject();
    r.permissibleTBelow = range(permissible, QStringLiteral("tBelow"));
    r.permissibleTAbove = range(permissible, QStringLiteral("tAbove"));
    r.permissibleRh = range(permissible, QStringLiteral("rh"));
    r.permissibleVBelow = number(permissible, QStringLiteral("vBelow"));
    r.permissibleVAbove = number(permissible, QStringLiteral("vAbove"));
    return r;
}

void addHumidityCaps(const QJsonArray& sets, std::vector<NormRow>& rows) {
    for (const QJsonValue& set : sets) {
        const QJsonObject o = set.toObject();
        const YearPeriod p = period(o);
        std::vector<HumidityCap> caps;
        for (const QJsonValue& pair : o.value(QStringLiteral("caps")).toArray()) {
            const QJsonArray a = pair.toArray();
            if (a.size() != 2 || !a[0].isDouble() || !a[1].isDouble())
                throw FieldError{QStringLiteral("предел влажности не пара чисел")};
            caps.push_back({a[0].toDouble(), a[1].toDouble()});
        }
        std::sort(caps.begin(), caps.end(), [](const HumidityCap& a, const HumidityCap& b) {
            return a.temperature < b.temperature;
        });
        for (NormRow& r : rows)
            if (r.period == p)
                r.humidityCaps = caps;
    }
}

} // namespace

const NormRow* NormDocument::row(const QString& category, YearPeriod period) const {
    for (const NormRow& r : rows)
        if (r.category == category && r.period == period)
            return &r;
    return nullptr;
}

std::vector<const NormRow*> NormDocument::categories() const {
    std::vector<const NormRow*> result;
    for (const NormRow& r : rows)
        if (std::none_of(result.begin(), result.end(),
                         [&](const NormRow* seen) { return seen->category == r.category; }))
            result.push_back(&r);
    return result;
}

std::optional<NormDocument> NormDocument::parse(const QByteArray& json, const QString& fileName,
                                                QString* error) {
    const auto fail = [&](const QString& why) {
        if (error)
            *error = QStringLiteral("Файл норм «%1» пропущен: %2.").arg(fileName, why);
        return std::nullopt;
    };
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        const qsizetype line = json.left(parseError.offset).count('\n') + 1;
        return fail(
            QStringLiteral("ошибка в строке %1 (%2)").arg(line).arg(parseError.errorString()));
    }
    if (!doc.isObject())
        return fail(QStringLiteral("в нём нет описания документа"));
    const QJsonObject o = doc.object();
    NormDocument d;
    d.fileName = fileName;
    try {
        d.title = text(o, QStringLiteral("document"));
        d.tables = o.value(QStringLiteral("tables")).toString();
        d.checkedAgainst = o.value(QStringLiteral("checkedAgainst")).toString();
        for (const QJsonValue& r : o.value(QStringLiteral("rows")).toArray())
            d.rows.push_back(rowOf(r.toObject()));
        addHumidityCaps(o.value(QStringLiteral("humidityCaps")).toArray(), d.rows);
    } catch (const FieldError& e) {
        return fail(e.text);
    }
    if (d.rows.empty())
        return fail(QStringLiteral("в нём нет ни одной строки норм"));
    return d;
}
