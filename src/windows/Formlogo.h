#pragma once

#include "SecondaryWindow.h"

class QFrame;
class QLabel;
class QTextEdit;

// The splash card: the logo and four blocks of the maker's details. Any click on any
// part of it closes it.
class TFLogo : public SecondaryWindow {
    Q_OBJECT

public:
    explicit TFLogo(QWidget* parent = nullptr);

    QFrame* PanelLogo = nullptr;
    QLabel* ImageVilta = nullptr;
    QFrame* PanelAtributi = nullptr; // the panel of the maker's details
    QTextEdit* Memo1 = nullptr;      // the maker's name
    QTextEdit* Memo2 = nullptr;      // what the maker does
    QTextEdit* Memo3 = nullptr;      // what the maker's instruments measure
    QTextEdit* Memo4 = nullptr;      // the maker's address, telephone and mail

public slots:
    void PanelLogoClick();
    void ImageViltaClick();
    void PanelAtributiClick();
    void Memo1Click();
    void Memo2Click();
    void Memo3Click();
    void Memo4Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QTextEdit* memo(const QRect& place, const QStringList& lines, int pointSize, bool italic);
};
