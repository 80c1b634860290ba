#pragma once

#include <QStringList>

#include <vector>

class QFont;
class QPaintDevice;
class QPainter;

// One row of a report's table between the column edges: a heading row shaded and ruled
// above, every row ruled below; cells top-aligned, a heading's text wrapped, a value's lines
// cut short rather than overlap the next cell. Returns the y below the row.
double DrawTableRow(QPainter& painter, QPaintDevice* device, const QFont& font,
                    const QStringList& cells, const std::vector<double>& edges, double y,
                    double height, bool header);
