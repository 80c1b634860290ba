#include "SecondaryWindow.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

SecondaryWindow::SecondaryWindow(QWidget* parent, Qt::WindowFlags flags) : QWidget(parent, flags) {}

void SecondaryWindow::showEvent(QShowEvent* event) {
    if (!m_placed) {
        m_placed = true;
        QScreen* screen = this->screen();
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        if (screen) {
            QRect frame = frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    QWidget::showEvent(event);
}

void SecondaryWindow::closeEvent(QCloseEvent* event) {
    hide();
    event->ignore();
}
