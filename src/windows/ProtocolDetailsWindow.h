#pragma once

#include "report/ProtocolDetails.h"

#include <QDate>
#include <QDialog>

class NormLibrary;
class QComboBox;
class QLabel;
class QLineEdit;

// "Сведения для протокола": what the measurement protocol is about and which norm row it
// judges by. Shows the details it is given and hands back what the user entered.
class ProtocolDetailsWindow : public QDialog {
    Q_OBJECT

public:
    ProtocolDetailsWindow(const NormLibrary& norms, const ProtocolDetails& details,
                          const QDate& today, QWidget* parent = nullptr);

    ProtocolDetails details() const;

    QLineEdit* EditOrganisation = nullptr;
    QLineEdit* EditDepartment = nullptr;
    QLineEdit* EditWorkplace = nullptr;
    QComboBox* ComboDocument = nullptr;
    QComboBox* ComboCategory = nullptr;
    QComboBox* ComboPeriod = nullptr;
    QLineEdit* EditMeasuredBy = nullptr;
    QLineEdit* EditRemark = nullptr;
    QLabel* LabelProblems = nullptr;

private:
    void fillCategories();

    const NormLibrary& m_norms;
    // The category the details named, kept when its norm has no file here.
    QString m_keptCategory;
    QString m_keptDocument;
};
