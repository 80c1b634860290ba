#include "ProtocolDetailsWindow.h"

#include "norms/NormLibrary.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

ProtocolDetailsWindow::ProtocolDetailsWindow(const NormLibrary& norms,
                                             const ProtocolDetails& details, const QDate& today,
                                             QWidget* parent)
    : QDialog(parent), m_norms(norms), m_keptCategory(details.category),
      m_keptDocument(details.document) {
    setObjectName(QStringLiteral("FProtocolDetails"));
    setWindowTitle(QStringLiteral("Сведения для протокола"));
    auto edit = [this](const QString& name, const QString& text) {
        auto* e = new QLineEdit(text, this);
        e->setObjectName(name);
        e->setMinimumWidth(360);
        return e;
    };
    auto combo = [this](const QString& name) {
        auto* c = new QComboBox(this);
        c->setObjectName(name);
        return c;
    };
    EditOrganisation = edit(QStringLiteral("EditOrganisation"), details.organisation);
    EditDepartment = edit(QStringLiteral("EditDepartment"), details.department);
    EditWorkplace = edit(QStringLiteral("EditWorkplace"), details.workplace);
    EditMeasuredBy = edit(QStringLiteral("EditMeasuredBy"), details.measuredBy);
    EditRemark = edit(QStringLiteral("EditRemark"), details.remark);

    ComboDocument = combo(QStringLiteral("ComboDocument"));
    for (const NormDocument& d : norms.documents())
        ComboDocument->addItem(d.title);
    // A log from elsewhere may name a norm this program has no file for: it stays named.
    if (!details.document.isEmpty() && ComboDocument->findText(details.document) < 0)
        ComboDocument->addItem(details.document);
    if (!details.document.isEmpty())
        ComboDocument->setCurrentText(details.document);

    ComboCategory = combo(QStringLiteral("ComboCategory"));
    fillCategories();
    const int category = ComboCategory->findData(details.category);
    if (category >= 0)
        ComboCategory->setCurrentIndex(category);
    connect(ComboDocument, &QComboBox::currentTextChanged, this, [this] {
        const QString chosen = ComboCategory->currentData().toString();
        fillCategories();
        const int same = ComboCategory->findData(chosen);
        if (same >= 0)
            ComboCategory->setCurrentIndex(same);
    });

    ComboPeriod = combo(QStringLiteral("ComboPeriod"));
    for (YearPeriod p : {YearPeriod::Cold, YearPeriod::Warm})
        ComboPeriod->addItem(yearPeriodText(p));
    ComboPeriod->setCurrentText(details.period.isEmpty()
                                    ? yearPeriodText(proposedYearPeriod(today.month()))
                                    : details.period);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Организация:"), EditOrganisation);
    form->addRow(QStringLiteral("Подразделение:"), EditDepartment);
    form->addRow(QStringLiteral("Рабочее место:"), EditWorkplace);
    form->addRow(QStringLiteral("Нормы:"), ComboDocument);
    form->addRow(QStringLiteral("Категория работ:"), ComboCategory);
    form->addRow(QStringLiteral("Период года:"), ComboPeriod);
    form->addRow(QStringLiteral("Измерения провёл:"), EditMeasuredBy);
    form->addRow(QStringLiteral("Примечание:"), EditRemark);

    QStringList problems = norms.problems();
    if (norms.documents().empty())
        problems.prepend(QStringLiteral("Файлы норм не найдены."));
    LabelProblems = new QLabel(problems.join(u'\n'), this);
    LabelProblems->setObjectName(QStringLiteral("LabelProblems"));
    LabelProblems->setWordWrap(true);
    LabelProblems->setStyleSheet(QStringLiteral("color: #b00000;"));
    LabelProblems->setVisible(!problems.isEmpty());

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("ОК"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(LabelProblems);
    layout->addWidget(buttons);
}

void ProtocolDetailsWindow::fillCategories() {
    ComboCategory->clear();
    const NormDocument* d = m_norms.document(ComboDocument->currentText());
    if (!d) {
        if (ComboDocument->currentText() == m_keptDocument && !m_keptCategory.isEmpty())
            ComboCategory->addItem(m_keptCategory, m_keptCategory);
        return;
    }
    // The category with its energy use, as the document tells the categories apart.
    for (const NormRow* row : d->categories())
        ComboCategory->addItem(row->energy.isEmpty()
                                   ? row->category
                                   : QStringLiteral("%1 (%2)").arg(row->category, row->energy),
                               row->category);
}

ProtocolDetails ProtocolDetailsWindow::details() const {
    ProtocolDetails d;
    d.organisation = EditOrganisation->text().trimmed();
    d.department = EditDepartment->text().trimmed();
    d.workplace = EditWorkplace->text().trimmed();
    d.document = ComboDocument->currentText();
    d.category = ComboCategory->currentData().toString();
    d.period = ComboPeriod->currentText();
    d.measuredBy = EditMeasuredBy->text().trimmed();
    d.remark = EditRemark->text().trimmed();
    return d;
}
