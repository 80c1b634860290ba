#pragma once

// How many of the newest points the chart's time axis spans (100..500). Set by the
// settings window's point-count bar and by the main window at creation; read by the
// time-axis step of every poll.
inline int VisiblePointCount = 100;
