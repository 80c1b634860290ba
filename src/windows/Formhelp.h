#pragma once

#include <QWidget>

class QPlainTextEdit;
class QPushButton;

// The help window: the user instruction as a scrolling text.
class TFHelp : public QWidget {
    Q_OBJECT

public:
    explicit TFHelp(QWidget* parent = nullptr);

    // The instruction as shipped: the text every start shows.
    static QString instruction();

    QPlainTextEdit* MemoHelp = nullptr;
    QPushButton* ButtonCloseHelp = nullptr;

public slots:
    void ButtonCloseHelpClick();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool m_placed = false;
};
