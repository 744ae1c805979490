#include "NotesDialog.h"

#include "ErrorReporter.h"
#include "FormatSettings.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace tavrel {

namespace {

enum Column
{
    DateColumn,
    UserColumn,
    AlertColumn,
    TextColumn
};

bool askDelete(QWidget* parent)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirmar"),
                    QStringLiteral("¿Borrar la nota?"), QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(QStringLiteral("Sí"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("No"), QMessageBox::NoRole);
    box.setDefaultButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

QString firstLine(const QString& text)
{
    const QString simplified = text.section(QLatin1Char('\n'), 0, 0).trimmed();
    return text.contains(QLatin1Char('\n')) ? simplified + QStringLiteral(" …") : simplified;
}

} // namespace

NotesDialog::NotesDialog(NotesStore& store, const QString& keyValue, const QString& title,
                         const QString& recordCaption, const QString& user, QWidget* parent)
    : QDialog(parent), ConfirmDelete(askDelete), m_store(store), m_keyValue(keyValue), m_user(user)
{
    setObjectName(QStringLiteral("NotesDialog"));
    setWindowTitle(title.isEmpty() ? QStringLiteral("Notas / Alertas")
                                   : QStringLiteral("Notas / Alertas - ") + title);

    auto* caption = new QLabel(recordCaption, this);
    caption->setObjectName(QStringLiteral("recordCaption"));
    QFont bold = caption->font();
    bold.setBold(true);
    caption->setFont(bold);

    m_list = new QTableWidget(0, 4, this);
    m_list->setObjectName(QStringLiteral("notes"));
    m_list->setHorizontalHeaderLabels({QStringLiteral("Fecha"), QStringLiteral("Usuario"),
                                       QStringLiteral("Alerta"), QStringLiteral("Nota")});
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setAlternatingRowColors(true);
    m_list->verticalHeader()->hide();
    m_list->setWordWrap(false);
    m_list->setTextElideMode(Qt::ElideRight);
    m_list->horizontalHeader()->setSectionResizeMode(DateColumn, QHeaderView::ResizeToContents);
    m_list->horizontalHeader()->setSectionResizeMode(UserColumn, QHeaderView::ResizeToContents);
    m_list->horizontalHeader()->setSectionResizeMode(AlertColumn, QHeaderView::ResizeToContents);
    m_list->horizontalHeader()->setSectionResizeMode(TextColumn, QHeaderView::Stretch);
    connect(m_list, &QTableWidget::itemSelectionChanged, this, &NotesDialog::showSelection);

    m_editorCaption = new QLabel(this);
    m_editor = new QPlainTextEdit(this);
    m_editor->setObjectName(QStringLiteral("noteText"));
    m_editor->setTabChangesFocus(true);
    m_editorCaption->setBuddy(m_editor);
    m_alert = new QCheckBox(QStringLiteral("&Alerta"), this);
    m_alert->setObjectName(QStringLiteral("alert"));
    m_alert->setToolTip(QStringLiteral("Marca la nota como alerta del registro"));

    auto* add = new QPushButton(QStringLiteral("&Nueva"), this);
    auto* save = new QPushButton(QStringLiteral("&Guardar"), this);
    m_delete = new QPushButton(QStringLiteral("&Eliminar"), this);
    auto* close = new QPushButton(QStringLiteral("&Cerrar"), this);
    add->setObjectName(QStringLiteral("nueva"));
    save->setObjectName(QStringLiteral("guardar"));
    m_delete->setObjectName(QStringLiteral("eliminar"));
    close->setObjectName(QStringLiteral("cerrar"));
    for (QPushButton* b : {add, save, m_delete, close})
        b->setAutoDefault(false);
    connect(add, &QPushButton::clicked, this, &NotesDialog::newNote);
    connect(save, &QPushButton::clicked, this,
            [this] { ErrorReporter::guard([this] { this->save(); }); });
    connect(m_delete, &QPushButton::clicked, this,
            [this] { ErrorReporter::guard([this] { removeSelected(); }); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_alert);
    buttons->addStretch(1);
    buttons->addWidget(add);
    buttons->addWidget(save);
    buttons->addWidget(m_delete);
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addWidget(m_list, 3);
    layout->addWidget(m_editorCaption);
    layout->addWidget(m_editor, 2);
    layout->addLayout(buttons);
    resize(620, 440);

    reload();
}

NotesDialog::~NotesDialog() = default;

void NotesDialog::reload()
{
    m_notes = m_store.load(m_keyValue);
    showNotes();
}

void NotesDialog::showNotes()
{
    const qint64 keep = m_editingKey;
    const QString format = FormatSettings::instance().shortDateFormat() + QStringLiteral(" HH:mm");
    const QSignalBlocker block(m_list);
    m_list->clearSelection();
    m_list->setRowCount(int(m_notes.size()));
    int selected = -1;
    for (int r = 0; r < m_notes.size(); ++r) {
        const Note& note = m_notes[r];
        const QString cells[] = {note.date.toString(format), note.user,
                                 note.alert ? QStringLiteral("Sí") : QString(),
                                 firstLine(note.text)};
        for (int c = 0; c < 4; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (note.alert) {
                QFont f = item->font();
                f.setBold(true);
                item->setFont(f);
                item->setForeground(QColor(0xB0, 0x00, 0x00));
            }
            if (c == TextColumn)
                item->setToolTip(note.text);
            m_list->setItem(r, c, item);
        }
        if (note.key == keep)
            selected = r;
    }
    if (selected >= 0) {
        m_list->selectRow(selected);
    } else {
        m_editingKey = -1;
    }
    m_delete->setEnabled(m_editingKey >= 0);
    m_editorCaption->setText(m_editingKey >= 0 ? QStringLiteral("Texto de la nota seleccionada:")
                                               : QStringLiteral("Texto de la nueva nota:"));
}

int NotesDialog::selectedIndex() const
{
    const QList<QTableWidgetItem*> items = m_list->selectedItems();
    return items.isEmpty() ? -1 : items.first()->row();
}

void NotesDialog::selectNote(int index)
{
    m_list->selectRow(index);
}

void NotesDialog::showSelection()
{
    const int index = selectedIndex();
    if (index < 0 || index >= m_notes.size())
        return;
    const Note& note = m_notes[index];
    m_editingKey = note.key;
    m_editor->setPlainText(note.text);
    m_alert->setChecked(note.alert);
    m_delete->setEnabled(true);
    m_editorCaption->setText(QStringLiteral("Texto de la nota seleccionada:"));
}

void NotesDialog::newNote()
{
    {
        const QSignalBlocker block(m_list);
        m_list->clearSelection();
    }
    m_editingKey = -1;
    m_editor->clear();
    m_alert->setChecked(false);
    m_delete->setEnabled(false);
    m_editorCaption->setText(QStringLiteral("Texto de la nueva nota:"));
    m_editor->setFocus();
}

void NotesDialog::save()
{
    const QString text = m_editor->toPlainText();
    const bool alert = m_alert->isChecked();
    try {
        if (m_editingKey < 0) {
            const Note added = m_store.add(m_keyValue, text, alert, m_user);
            m_editingKey = added.key;
        } else {
            auto it = std::find_if(m_notes.begin(), m_notes.end(),
                                   [this](const Note& n) { return n.key == m_editingKey; });
            if (it != m_notes.end())
                m_store.update(*it, text, alert);
        }
    } catch (...) {
        // Show what the server has now; the editor keeps what the user wrote.
        try {
            reload();
        } catch (...) {
            // The refusal is the error to report.
        }
        m_editor->setPlainText(text);
        m_alert->setChecked(alert);
        throw;
    }
    reload();
}

void NotesDialog::removeSelected()
{
    const int index = selectedIndex();
    if (index < 0)
        return;
    if (ConfirmDelete && !ConfirmDelete(this))
        return;
    const Note note = m_notes[index];
    try {
        m_store.remove(note);
    } catch (...) {
        try {
            reload();
        } catch (...) {
            // The refusal is the error to report.
        }
        throw;
    }
    m_editingKey = -1;
    reload();
    newNote();
}

} // namespace tavrel
