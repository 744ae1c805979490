#include "TVNavegador.h"

#include "Confirmation.h"
#include "DataSource.h"
#include "ErrorReporter.h"
#include "NavigatorIcons.h"
#include "SClientDataSet.h"

#include <QHBoxLayout>
#include <QPointer>
#include <QToolButton>
#include <iterator>

using tavrel::DataSetState;

namespace {

const TVNavegador::Button Order[] = {TVNavegador::First,  TVNavegador::Prior,  TVNavegador::Next,
                                     TVNavegador::Last,   TVNavegador::Insert, TVNavegador::Delete,
                                     TVNavegador::Edit,   TVNavegador::Post,   TVNavegador::Cancel,
                                     TVNavegador::Refresh};

int indexOf(TVNavegador::Button which)
{
    for (int i = 0; i < int(std::size(Order)); ++i) {
        if (Order[i] == which)
            return i;
    }
    return 0;
}

QStringList defaultHints()
{
    return {QStringLiteral("Primero"),  QStringLiteral("Anterior"), QStringLiteral("Siguiente"),
            QStringLiteral("Último"),   QStringLiteral("Insertar"), QStringLiteral("Borrar"),
            QStringLiteral("Editar"),   QStringLiteral("Grabar"),   QStringLiteral("Cancelar"),
            QStringLiteral("Refrescar")};
}

} // namespace

struct TVNavegador::Private
{
    QPointer<tavrel::DataSource> source;
    QList<QMetaObject::Connection> connections;
    QToolButton* buttons[std::size(Order)] = {};
    Buttons visible = TVNavegador::allButtons();
    bool flat = false;
    bool confirmDelete = true;
    QStringList hints;
};

TVNavegador::TVNavegador(QWidget* parent) : QWidget(parent), d(std::make_unique<Private>())
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const QColor glyph(0, 0, 128);
    for (int i = 0; i < int(std::size(Order)); ++i) {
        auto* b = new QToolButton(this);
        b->setIcon(NavigatorIcons::icon(Order[i], glyph));
        b->setAutoRaise(false);
        b->setFocusPolicy(Qt::NoFocus);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        b->setMinimumSize(22, 22);
        const Button which = Order[i];
        connect(b, &QToolButton::clicked, this, [this, which] { btnClick(which); });
        layout->addWidget(b);
        d->buttons[i] = b;
    }
    applyHints();
    updateButtons();
}

TVNavegador::~TVNavegador() = default;

tavrel::DataSource* TVNavegador::dataSource() const
{
    return d->source;
}

void TVNavegador::setDataSource(tavrel::DataSource* source)
{
    for (const auto& c : std::as_const(d->connections))
        disconnect(c);
    d->connections.clear();
    d->source = source;
    if (source) {
        d->connections << connect(source, &tavrel::DataSource::stateChanged, this,
                                  &TVNavegador::updateButtons);
        d->connections << connect(source, &tavrel::DataSource::dataChanged, this,
                                  &TVNavegador::updateButtons);
        d->connections << connect(source, &tavrel::DataSource::dataSetChanged, this,
                                  &TVNavegador::updateButtons);
        d->connections << connect(source, &QObject::destroyed, this, &TVNavegador::updateButtons);
    }
    updateButtons();
}

TVNavegador::Buttons TVNavegador::visibleButtons() const
{
    return d->visible;
}

void TVNavegador::setVisibleButtons(Buttons buttons)
{
    d->visible = buttons;
    for (int i = 0; i < int(std::size(Order)); ++i)
        d->buttons[i]->setVisible(buttons.testFlag(Order[i]));
}

bool TVNavegador::flat() const
{
    return d->flat;
}

void TVNavegador::setFlat(bool flat)
{
    d->flat = flat;
    for (QToolButton* b : d->buttons)
        b->setAutoRaise(flat);
}

bool TVNavegador::confirmDelete() const
{
    return d->confirmDelete;
}

void TVNavegador::setConfirmDelete(bool confirm)
{
    d->confirmDelete = confirm;
}

QStringList TVNavegador::hints() const
{
    return d->hints;
}

void TVNavegador::setHints(const QStringList& hints)
{
    d->hints = hints;
    applyHints();
}

void TVNavegador::applyHints()
{
    const QStringList defaults = defaultHints();
    for (int i = 0; i < int(std::size(Order)); ++i) {
        const QString own = d->hints.value(i);
        d->buttons[i]->setToolTip(own.isEmpty() ? defaults[i] : own);
    }
}

QToolButton* TVNavegador::button(Button which) const
{
    return d->buttons[indexOf(which)];
}

void TVNavegador::btnClick(Button which)
{
    tavrel::ErrorReporter::guard([this, which] { doAction(which); });
}

void TVNavegador::doAction(Button which)
{
    SClientDataSet* ds = d->source ? d->source->dataSet() : nullptr;
    if (!ds || d->source->state() == DataSetState::Inactive)
        return;
    if (which == Delete && d->confirmDelete && ds->state() != DataSetState::Insert &&
        !tavrel::Confirmation::ask(this, tavrel::Confirmation::deleteQuestion()))
        return;
    if (BeforeAction)
        BeforeAction(which);
    switch (which) {
    case First:
        ds->first();
        break;
    case Prior:
        ds->prior();
        break;
    case Next:
        ds->next();
        break;
    case Last:
        ds->last();
        break;
    case Insert:
        ds->insert();
        break;
    case Delete:
        ds->deleteRecord();
        break;
    case Edit:
        ds->edit();
        break;
    case Post:
        ds->post();
        break;
    case Cancel:
        ds->cancel();
        break;
    case Refresh:
        ds->refresh();
        break;
    }
}

void TVNavegador::updateButtons()
{
    SClientDataSet* ds = d->source ? d->source->dataSet() : nullptr;
    const DataSetState state = d->source ? d->source->state() : DataSetState::Inactive;
    const bool active = ds && state != DataSetState::Inactive;
    const bool editing = state == DataSetState::Edit || state == DataSetState::Insert;
    const bool up = active && !ds->bof();
    const bool down = active && !ds->eof();
    const bool hasRecord = active && !(ds->bof() && ds->eof());
    const auto enable = [this](Button which, bool on) { button(which)->setEnabled(on); };
    enable(First, up);
    enable(Prior, up);
    enable(Next, down);
    enable(Last, down);
    enable(Insert, active && !editing);
    enable(Delete, hasRecord);
    enable(Edit, active && !editing);
    enable(Post, active && editing);
    enable(Cancel, active && editing);
    enable(Refresh, active && !editing);
}
