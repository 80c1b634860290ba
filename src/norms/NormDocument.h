#pragma once

#include "NormRow.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

// One norm document as its data file holds it: the document's name, the tables the rows
// come from, and the rows by work category and period of the year.
struct NormDocument {
    QString fileName;
    QString title;
    QString tables;
    // Where the figures were checked, as the file says.
    QString checkedAgainst;
    std::vector<NormRow> rows;

    const NormRow* row(const QString& category, YearPeriod period) const;
    // The categories in the file's order, each once.
    std::vector<const NormRow*> categories() const;

    // Reads a JSON norm file; on failure returns nothing and says why in Russian, with the
    // line of a syntax error.
    static std::optional<NormDocument> parse(const QByteArray& json, const QString& fileName,
                                             QString* error);
};
