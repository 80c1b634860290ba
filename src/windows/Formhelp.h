#pragma once

#include "SecondaryWindow.h"

class QPlainTextEdit;
class QPushButton;

// The help window: the user instruction as a scrolling text.
class TFHelp : public SecondaryWindow {
    Q_OBJECT

public:
    explicit TFHelp(QWidget* parent = nullptr);

    // The instruction as shipped: the text every start shows.
    static QString instruction();

    QPlainTextEdit* MemoHelp = nullptr;
    QPushButton* ButtonCloseHelp = nullptr;

public slots:
    void ButtonCloseHelpClick();
};
