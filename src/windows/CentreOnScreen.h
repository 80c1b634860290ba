#pragma once

class QWidget;

// Places a top-level window in the middle of the available area of its screen (or of
// the primary screen before it has one).
void centreOnScreen(QWidget* window);
