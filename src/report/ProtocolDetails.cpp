#include "ProtocolDetails.h"

#include "measurement/MeasurementLog.h"

namespace {
const QString Organisation = QStringLiteral("protocol.organisation");
const QString Department = QStringLiteral("protocol.department");
const QString Workplace = QStringLiteral("protocol.workplace");
const QString Document = QStringLiteral("protocol.document");
const QString Category = QStringLiteral("protocol.category");
const QString Period = QStringLiteral("protocol.period");
const QString MeasuredBy = QStringLiteral("protocol.measuredBy");
const QString Remark = QStringLiteral("protocol.remark");
} // namespace

ProtocolDetails ProtocolDetails::fromLog(const MeasurementLog& log) {
    ProtocolDetails d;
    d.organisation = log.detail(Organisation);
    d.department = log.detail(Department);
    d.workplace = log.detail(Workplace);
    d.document = log.detail(Document);
    d.category = log.detail(Category);
    d.period = log.detail(Period);
    d.measuredBy = log.detail(MeasuredBy);
    d.remark = log.detail(Remark);
    return d;
}

std::vector<std::pair<QString, QString>> ProtocolDetails::keyedValues() const {
    return {{Organisation, organisation}, {Department, department}, {Workplace, workplace},
            {Document, document},         {Category, category},     {Period, period},
            {MeasuredBy, measuredBy},     {Remark, remark}};
}
