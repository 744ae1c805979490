#include "QbeCriteriaDialog.h"

#include "ErrorReporter.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

namespace tavrel {

QbeCriteriaDialog::QbeCriteriaDialog(const QList<FieldInfo>& fields, const QString& dateFormat,
                                     QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Consulta por ejemplo"));
    setObjectName(QStringLiteral("QbeCriteriaDialog"));

    auto* intro = new QLabel(QStringLiteral("Escriba los valores que deben cumplir los "
                                            "registros; los campos vacíos no se tienen en "
                                            "cuenta."),
                             this);
    intro->setWordWrap(true);

    auto* grid = new QWidget;
    auto* layout = new QGridLayout(grid);
    layout->setColumnStretch(2, 1);
    layout->setHorizontalSpacing(8);
    const auto header = [&](const QString& text, int column) {
        auto* label = new QLabel(text);
        QFont bold = label->font();
        bold.setBold(true);
        label->setFont(bold);
        layout->addWidget(label, 0, column);
    };
    header(QStringLiteral("Campo"), 0);
    header(QStringLiteral("Operador"), 1);
    header(QStringLiteral("Valor"), 2);

    for (const FieldInfo& field : fields) {
        Row row;
        row.field = field;
        const int line = int(m_rows.size()) + 1;
        auto* label = new QLabel(field.label);
        row.op = new QComboBox;
        row.op->setObjectName(QStringLiteral("op_") + field.fieldName);
        for (QbeOperator op : QbeConditionBuilder::operatorsFor(field.type))
            row.op->addItem(QbeConditionBuilder::operatorName(op), int(op));
        row.op->setMinimumContentsLength(11);
        row.op->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        row.value = new QLineEdit;
        row.value->setObjectName(QStringLiteral("value_") + field.fieldName);
        row.value->setMinimumWidth(220);
        if (field.type == FieldType::DateTime)
            row.value->setPlaceholderText(dateFormat);
        else if (field.type == FieldType::Boolean)
            row.value->setPlaceholderText(QStringLiteral("S / N"));
        label->setBuddy(row.value);
        layout->addWidget(label, line, 0);
        layout->addWidget(row.op, line, 1);
        layout->addWidget(row.value, line, 2);
        m_rows.append(row);
    }
    layout->setRowStretch(int(m_rows.size()) + 1, 1);

    auto* scroll = new QScrollArea(this);
    scroll->setWidget(grid);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("Aceptar"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("aceptar"));
    ok->setDefault(true);
    buttons->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("cancelar"));
    QPushButton* clear = buttons->addButton(QStringLiteral("Limpiar"), QDialogButtonBox::ResetRole);
    clear->setObjectName(QStringLiteral("limpiar"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QbeCriteriaDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QbeCriteriaDialog::reject);
    connect(clear, &QPushButton::clicked, this, &QbeCriteriaDialog::clearValues);

    auto* main = new QVBoxLayout(this);
    main->addWidget(intro);
    main->addWidget(scroll, 1);
    main->addWidget(buttons);

    // As wide as the lines need; tall enough for about twelve fields, more scroll.
    const QSize lines = layout->sizeHint();
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setMinimumWidth(lines.width() + scroll->verticalScrollBar()->sizeHint().width());
    if (lines.height() <= 400) {
        scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scroll->setMinimumHeight(lines.height());
    } else {
        scroll->setMinimumHeight(400);
    }
    resize(sizeHint());
}

QbeCriteriaDialog::~QbeCriteriaDialog() = default;

QList<QbeCriterion> QbeCriteriaDialog::criteria() const
{
    QList<QbeCriterion> list;
    for (const Row& row : m_rows) {
        QbeCriterion c;
        c.fieldName = row.field.fieldName;
        c.label = row.field.label;
        c.type = row.field.type;
        c.op = QbeOperator(row.op->currentData().toInt());
        c.value = row.value->text();
        list.append(c);
    }
    return list;
}

void QbeCriteriaDialog::setCriteria(const QList<QbeCriterion>& criteria)
{
    for (const QbeCriterion& c : criteria) {
        const int index = rowOf(c.fieldName);
        if (index < 0)
            continue;
        const Row& row = m_rows[index];
        const int opIndex = row.op->findData(int(c.op));
        if (opIndex >= 0)
            row.op->setCurrentIndex(opIndex);
        row.value->setText(c.value);
    }
}

void QbeCriteriaDialog::clearValues()
{
    for (const Row& row : m_rows) {
        row.op->setCurrentIndex(0);
        row.value->clear();
    }
}

QComboBox* QbeCriteriaDialog::operatorBox(const QString& fieldName) const
{
    const int index = rowOf(fieldName);
    return index < 0 ? nullptr : m_rows[index].op;
}

QLineEdit* QbeCriteriaDialog::valueEdit(const QString& fieldName) const
{
    const int index = rowOf(fieldName);
    return index < 0 ? nullptr : m_rows[index].value;
}

void QbeCriteriaDialog::accept()
{
    if (OnAccept && !ErrorReporter::guard([this] { OnAccept(criteria()); }))
        return;
    QDialog::accept();
}

int QbeCriteriaDialog::rowOf(const QString& fieldName) const
{
    for (int i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].field.fieldName.compare(fieldName, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

} // namespace tavrel
