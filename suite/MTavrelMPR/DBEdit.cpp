#include "DBEdit.h"

#include "DataSource.h"
#include "ErrorReporter.h"
#include "Field.h"
#include "SClientDataSet.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QPointer>

namespace tavrel {

struct DBEdit::Private
{
    QPointer<DataSource> source;
    QList<QMetaObject::Connection> connections;
    QString fieldName;
    QColor color;
    bool pending = false;
    bool loading = false;
};

DBEdit::DBEdit(QWidget* parent) : QLineEdit(parent), d(std::make_unique<Private>())
{
    connect(this, &QLineEdit::textEdited, this, [this] { d->pending = true; });
}

DBEdit::~DBEdit() = default;

DataSource* DBEdit::dataSource() const
{
    return d->source;
}

void DBEdit::setDataSource(DataSource* source)
{
    for (const auto& c : std::as_const(d->connections))
        disconnect(c);
    d->connections.clear();
    if (d->source)
        d->source->removeUpdateHandlers(this);
    d->source = source;
    if (source) {
        d->connections << connect(source, &DataSource::stateChanged, this, [this] {
            if (!d->pending)
                reload();
        });
        // Any field may change what this one shows (calculated and lookup fields);
        // typed text gives way only to a change of its own field.
        d->connections << connect(source, &DataSource::dataChanged, this, [this](Field* f) {
            if (!d->pending || !f || f == field())
                reload();
        });
        d->connections << connect(source, &DataSource::dataSetChanged, this, &DBEdit::reload);
        source->addUpdateHandler(this, [this] { updateRecord(); });
    }
    reload();
}

QString DBEdit::dataField() const
{
    return d->fieldName;
}

void DBEdit::setDataField(const QString& fieldName)
{
    d->fieldName = fieldName;
    reload();
}

Field* DBEdit::field() const
{
    SClientDataSet* ds = d->source ? d->source->dataSet() : nullptr;
    return ds && !d->fieldName.isEmpty() ? ds->findField(d->fieldName) : nullptr;
}

QColor DBEdit::color() const
{
    return d->color.isValid() ? d->color : palette().color(QPalette::Base);
}

void DBEdit::setColor(const QColor& color)
{
    d->color = color;
    QPalette p = palette();
    p.setColor(QPalette::Base, color.isValid() ? color : QPalette().color(QPalette::Base));
    setPalette(p);
}

bool DBEdit::pending() const
{
    return d->pending;
}

bool DBEdit::editable() const
{
    const Field* f = field();
    return f && f->kind() == FieldKind::Data && !f->readOnly() && !isReadOnly();
}

void DBEdit::reload()
{
    const bool selectedAll = hasFocus() && !text().isEmpty() && selectedText() == text();
    const Field* f = field();
    const DataSetState state = d->source ? d->source->state() : DataSetState::Inactive;
    const bool editing = state == DataSetState::Edit || state == DataSetState::Insert;
    QString shown;
    if (f && state != DataSetState::Inactive)
        shown = editing && editable() && hasFocus() ? f->asString() : f->displayText();
    if (f) {
        const FieldType t = f->dataType();
        const bool number = t == FieldType::SmallInt || t == FieldType::Integer ||
                            t == FieldType::LargeInt || t == FieldType::Float;
        setAlignment(number ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignLeft | Qt::AlignVCenter);
        const bool isText = t == FieldType::String || t == FieldType::FixedChar;
        const int length = isText && f->size() > 0 && editable() ? f->size() : 32767;
        if (length != maxLength())
            setMaxLength(length);
    }
    d->pending = false;
    if (shown != text())
        setText(shown);
    // A text selected whole stays selected, so that typing replaces it.
    if (selectedAll)
        selectAll();
}

bool DBEdit::ensureEditing()
{
    if (!editable())
        return false;
    const DataSetState state = d->source->state();
    if (state == DataSetState::Edit || state == DataSetState::Insert)
        return true;
    bool editing = false;
    ErrorReporter::guard([&] { editing = d->source->edit(); });
    return editing;
}

void DBEdit::updateRecord()
{
    if (!d->pending)
        return;
    Field* f = field();
    if (!f || !ensureEditing()) {
        reload();
        return;
    }
    try {
        f->setAsString(text());
    } catch (...) {
        reload();
        throw;
    }
    reload();
}

bool DBEdit::changesText(QKeyEvent* event) const
{
    if (event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut) ||
        event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo) ||
        event->matches(QKeySequence::Delete) || event->matches(QKeySequence::DeleteEndOfWord) ||
        event->matches(QKeySequence::DeleteStartOfWord) ||
        event->matches(QKeySequence::DeleteEndOfLine))
        return true;
    if (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete)
        return true;
    const QString typed = event->text();
    return !typed.isEmpty() && typed.front().isPrint() &&
           !(event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier));
}

bool DBEdit::event(QEvent* event)
{
    // Escape first drops the typed text; only then may a shortcut of the form take it.
    if (event->type() == QEvent::ShortcutOverride && d->pending &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        event->accept();
        return true;
    }
    return QLineEdit::event(event);
}

void DBEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && d->pending) {
        reload();
        selectAll();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (ErrorReporter::guard([this] { updateRecord(); }))
            selectAll();
        event->ignore(); // the form may still use Enter (a default button)
        return;
    }
    if (!isReadOnly() && changesText(event) && !ensureEditing()) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void DBEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    if (!d->pending)
        reload();
    if (OnEnter)
        ErrorReporter::guard([this] { OnEnter(*this); });
}

void DBEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // Another window (a message box) taking the focus is not leaving the control.
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason)
        return;
    ErrorReporter::guard([this] { updateRecord(); });
    reload();
    if (OnExit)
        ErrorReporter::guard([this] { OnExit(*this); });
}

} // namespace tavrel
