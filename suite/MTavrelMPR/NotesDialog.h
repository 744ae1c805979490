#pragma once

#include "MTavrelMPRExport.h"
#include "NotesStore.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace tavrel {

// The notes of one record: a list with date, user, alert mark and text, and an editor
// below it. Selecting a note puts it in the editor; Guardar stores the editor's text as
// a change of the selected note or, after Nueva, as a new note; Eliminar deletes the
// selected note after asking. Server refusals are reported and the list is read again,
// so it always shows what the server has; the editor keeps the user's text.
class MTAVRELMPR_EXPORT NotesDialog : public QDialog
{
    Q_OBJECT

public:
    // `recordCaption` tells the user which record the notes belong to.
    NotesDialog(NotesStore& store, const QString& keyValue, const QString& title,
                const QString& recordCaption, const QString& user, QWidget* parent = nullptr);
    ~NotesDialog() override;

    const QList<Note>& notes() const { return m_notes; }
    // Reads the notes again; the selection follows the note it was on.
    void reload();
    void selectNote(int index);
    void newNote();
    void save();
    void removeSelected();

    QPlainTextEdit* editor() const { return m_editor; }
    QCheckBox* alertBox() const { return m_alert; }
    QTableWidget* list() const { return m_list; }

    // Asks before a delete; a test may answer in its place.
    std::function<bool(QWidget* parent)> ConfirmDelete;

private:
    void showNotes();
    void showSelection();
    int selectedIndex() const;

    NotesStore& m_store;
    QString m_keyValue;
    QString m_user;
    QList<Note> m_notes;
    qint64 m_editingKey = -1; // the note in the editor; -1: a new note

    QTableWidget* m_list = nullptr;
    QPlainTextEdit* m_editor = nullptr;
    QCheckBox* m_alert = nullptr;
    QLabel* m_editorCaption = nullptr;
    QPushButton* m_delete = nullptr;
};

} // namespace tavrel
