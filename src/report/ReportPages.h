#pragma once

#include <QtGlobal>

#include <vector>

// How a table's rows go onto pages: as many as fit on the page where it begins, then
// full pages. Every row lands on exactly one page, in order.
struct PageSlice {
    qsizetype first = 0;
    qsizetype count = 0;
};

// rowsOnFirst may be 0 (the table starts on the next page); rowsPerPage is at least 1.
std::vector<PageSlice> paginateRows(qsizetype rows, qsizetype rowsOnFirst, qsizetype rowsPerPage);
