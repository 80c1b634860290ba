#pragma once

#include <QWidget>

// A window that lives as long as the program: it is centred on its screen the first
// time it is shown (later it reopens where the user left it), and closing it only hides
// it, so its state survives until the program ends.
class SecondaryWindow : public QWidget {
    Q_OBJECT

public:
    SecondaryWindow(QWidget* parent, Qt::WindowFlags flags);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool m_placed = false;
};
