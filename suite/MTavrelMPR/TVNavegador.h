#pragma once

#include "MTavrelMPRExport.h"

#include <QFlags>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>

class QToolButton;

namespace tavrel {
class DataSource;
}

// The navigator bar over a data source: first, prior, next, last, insert, delete, edit,
// post, cancel and refresh buttons whose enabled state follows the dataset (moving
// buttons by the cursor's ends, post and cancel only while editing, and so on).
//
// Delete asks "¿Borrar el registro?" first (ConfirmDelete). Every click is a UI
// boundary: a refusal of the dataset is handed to tavrel::ErrorReporter.
class MTAVRELMPR_EXPORT TVNavegador : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(bool Flat READ flat WRITE setFlat)
    Q_PROPERTY(bool ConfirmDelete READ confirmDelete WRITE setConfirmDelete)
    Q_PROPERTY(QStringList Hints READ hints WRITE setHints)

public:
    enum Button
    {
        First = 0x001,
        Prior = 0x002,
        Next = 0x004,
        Last = 0x008,
        Insert = 0x010,
        Delete = 0x020,
        Edit = 0x040,
        Post = 0x080,
        Cancel = 0x100,
        Refresh = 0x200,
    };
    Q_DECLARE_FLAGS(Buttons, Button)
    Q_FLAG(Buttons)

    static constexpr Buttons allButtons() { return Buttons(0x3FF); }

    explicit TVNavegador(QWidget* parent = nullptr);
    ~TVNavegador() override;

    tavrel::DataSource* dataSource() const;
    void setDataSource(tavrel::DataSource* source);

    Buttons visibleButtons() const;
    void setVisibleButtons(Buttons buttons);
    bool flat() const;
    void setFlat(bool flat);
    bool confirmDelete() const;
    void setConfirmDelete(bool confirm);
    // One hint per button in the order of the enum; an empty list (or an empty entry)
    // keeps the Spanish default ("Primero", "Anterior", ...).
    QStringList hints() const;
    void setHints(const QStringList& hints);

    QToolButton* button(Button which) const;
    // What a click on the button does, also when it is hidden or disabled.
    void btnClick(Button which);

    // Called with the button before its action; a throw cancels the action.
    std::function<void(Button)> BeforeAction;

private:
    void updateButtons();
    void applyHints();
    void doAction(Button which);

    struct Private;
    std::unique_ptr<Private> d;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TVNavegador::Buttons)
