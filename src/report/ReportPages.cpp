#include "ReportPages.h"

#include <algorithm>

std::vector<PageSlice> paginateRows(qsizetype rows, qsizetype rowsOnFirst, qsizetype rowsPerPage) {
    std::vector<PageSlice> pages;
    rowsPerPage = std::max<qsizetype>(rowsPerPage, 1);
    qsizetype next = 0;
    qsizetype room = std::max<qsizetype>(rowsOnFirst, 0);
    // A table begins where it is placed even without rows, so its header shows.
    if (rows == 0 && room > 0)
        pages.push_back({0, 0});
    while (next < rows) {
        if (room > 0) {
            const qsizetype n = std::min(room, rows - next);
            pages.push_back({next, n});
            next += n;
        } else if (pages.empty()) {
            pages.push_back({0, 0}); // nothing fits below what precedes it
        }
        room = rowsPerPage;
    }
    return pages;
}
