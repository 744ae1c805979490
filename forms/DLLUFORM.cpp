#include "DLLUFORM.h"

#include "DataSource.h"
#include "ErrorReporter.h"
#include "Field.h"
#include "FieldType.h"
#include "FormatSettings.h"
#include "ModuleApplication.h"
#include "ModuleError.h"
#include "SClientDataSet.h"
#include "TTavrelDBgrid.h"
#include "TVNavegador.h"
#include "TVPField.h"
#include "TVSDBQbe.h"
#include "TVsCmbCodigo.h"

#include <QApplication>
#include <QDate>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

using tavrel::DataSetState;
using tavrel::ErrorReporter;
using tavrel::MessageKind;
using tavrel::ModuleError;

QPointer<TCaptura> Captura;

bool gBoDobleClic = false;
QString gStBusqueda;
const QStringList* gLsTitulos = nullptr;
QPointer<TVPField> gVpfCampo;

namespace {

// The incremental search finds the first row whose text starts with what was typed, in
// any case.
constexpr tavrel::LocateOptions kOpcionesBusqueda =
    tavrel::LocateOption::CaseInsensitive | tavrel::LocateOption::PartialKey;

// Modal, through the module application (a sink in tests); without one, through the
// components' error reporter.
void mostrarMensaje(const QString& texto, MessageKind tipo = MessageKind::Information)
{
    if (auto* app = tavrel::ModuleApplication::instance())
        app->showMessage(texto, tipo);
    else
        ErrorReporter::report(ModuleError(texto));
}

bool editando(const SClientDataSet* ds)
{
    return ds && (ds->state() == DataSetState::Edit || ds->state() == DataSetState::Insert);
}

// Restores a field's tag when the write into it ends, also by an error.
class TagRestaurado
{
public:
    explicit TagRestaurado(tavrel::Field* campo) : m_campo(campo), m_tag(campo->tag()) {}
    ~TagRestaurado() { m_campo->setTag(m_tag); }
    TagRestaurado(const TagRestaurado&) = delete;
    TagRestaurado& operator=(const TagRestaurado&) = delete;
    int tag() const { return m_tag; }

private:
    tavrel::Field* m_campo;
    int m_tag;
};

QLabel* etiqueta(QWidget* padre, const QString& texto, int x, int y)
{
    auto* label = new QLabel(texto, padre);
    label->move(x, y);
    label->adjustSize();
    return label;
}

QPushButton* boton(QWidget* padre, const QString& texto, int y, QStyle::StandardPixmap icono)
{
    auto* b = new QPushButton(padre->style()->standardIcon(icono), texto, padre);
    b->setGeometry(26, y, 92, 29);
    return b;
}

} // namespace

TCaptura::TCaptura(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Captura"));
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    QFont fuente(QStringLiteral("MS Sans Serif"));
    fuente.setPixelSize(11);
    setFont(fuente);
    setFixedSize(721, 409);
    crearComponentes();
    conectarEventos();
}

TCaptura::~TCaptura()
{
    CdsTmp->AfterOpen = nullptr;
    disconnect(Datos1, nullptr, this, nullptr);
    disconnect(CdsTmp, nullptr, this, nullptr);
    gBoDobleClic = false;
    gStBusqueda.clear();
    gLsTitulos = nullptr;
    gVpfCampo = nullptr;
}

void TCaptura::crearComponentes()
{
    CdsTmp = new SClientDataSet(this);
    CdsTmp->setObjectName(QStringLiteral("CdsTmp"));
    CdsTmp->setProviderName(QStringLiteral("DtsPTemporal"));
    CdsTmp->setCompany(0);
    CdsTmp->setSAuditFields(false);
    Datos1 = new tavrel::DataSource(this);
    Datos1->setObjectName(QStringLiteral("Datos1"));
    Datos1->setDataSet(CdsTmp);

    Label3 = etiqueta(this, QStringLiteral("Campo"), 13, 7);
    CmbCampos = new TVsCmbCodigo(this);
    CmbCampos->setObjectName(QStringLiteral("CmbCampos"));
    CmbCampos->setGeometry(13, 23, 190, 21);
    CmbCampos->setMaxVisibleItems(15);
    Label4 = etiqueta(this, QStringLiteral("Busqueda Incremental"), 203, 7);
    edtBusqueda = new QLineEdit(this);
    edtBusqueda->setObjectName(QStringLiteral("edtBusqueda"));
    edtBusqueda->setGeometry(203, 23, 356, 21);
    Label5 = etiqueta(this, QStringLiteral("Busqueda por Valor"), 560, 7);
    edtValor = new QLineEdit(this);
    edtValor->setObjectName(QStringLiteral("edtValor"));
    edtValor->setGeometry(560, 23, 121, 21);
    SpeedButton1 = new QToolButton(this);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setGeometry(681, 19, 28, 28);
    SpeedButton1->setAutoRaise(true);
    SpeedButton1->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    SpeedButton1->setToolTip(QStringLiteral("Buscar el valor"));

    DBGrid1 = new TTavrelDBgrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setGeometry(13, 50, 546, 327);
    DBGrid1->setDataSource(Datos1);
    DBGrid1->setReadOnly(true);
    VNavegador1 = new TVNavegador(this);
    VNavegador1->setObjectName(QStringLiteral("VNavegador1"));
    VNavegador1->setGeometry(291, 378, 268, 28);
    VNavegador1->setDataSource(Datos1);
    VNavegador1->setVisibleButtons(TVNavegador::First | TVNavegador::Prior | TVNavegador::Next |
                                   TVNavegador::Last);
    VNavegador1->setFlat(true);

    Panel2 = new QFrame(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel2->setGeometry(565, 50, 145, 148);
    BitBtnAceptar = boton(Panel2, QStringLiteral("Aceptar"), 13, QStyle::SP_DialogOkButton);
    BitBtnAceptar->setObjectName(QStringLiteral("BitBtnAceptar"));
    BitBtnAceptar->setDefault(true);
    BitBtn2 = boton(Panel2, QStringLiteral("Cancelar"), 44, QStyle::SP_DialogCancelButton);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    VSDBQbe1 = new TVSDBQbe(Panel2);
    VSDBQbe1->setObjectName(QStringLiteral("VSDBQbe1"));
    VSDBQbe1->setGeometry(26, 76, 92, 29);
    VSDBQbe1->setText(QStringLiteral("Query     "));
    VSDBQbe1->setToolTip(QStringLiteral("Query By Example"));
    VSDBQbe1->setPermiteFiltro(false);
    VSDBQbe1->setRefrescar(true);
    VSDBQbe1->setSQLUpperCase(true);
    BitBtn3 = boton(Panel2, QStringLiteral("Ayuda"), 107, QStyle::SP_DialogHelpButton);
    BitBtn3->setObjectName(QStringLiteral("BitBtn3"));
    BitBtn3->setAutoDefault(false);

    LblVersion = new QLabel(this);
    LblVersion->setObjectName(QStringLiteral("LblVersion"));
    LblVersion->setGeometry(13, 384, 200, 16);

    setTabOrder(edtBusqueda, DBGrid1);
    setTabOrder(DBGrid1, BitBtnAceptar);
}

void TCaptura::conectarEventos()
{
    CdsTmp->AfterOpen = [this](SClientDataSet&) { CdsTmpAfterOpen(CdsTmp); };
    const auto alCambiarDatos = [this] { Datos1DataChange(Datos1); };
    connect(Datos1, &tavrel::DataSource::dataChanged, this, alCambiarDatos);
    connect(Datos1, &tavrel::DataSource::stateChanged, this, alCambiarDatos);
    connect(CdsTmp, &SClientDataSet::rowsReset, this, alCambiarDatos);

    // Aceptar carries the modal result OK: the dialog closes as accepted after the
    // handler, also when the handler stopped at an error.
    connect(BitBtnAceptar, &QPushButton::clicked, this, [this] {
        setResult(QDialog::Accepted);
        ErrorReporter::guard([this] { BitBtnAceptarClick(BitBtnAceptar); });
        accept();
    });
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(DBGrid1, &QAbstractItemView::doubleClicked, this,
            [this] { ErrorReporter::guard([this] { DBGrid1DblClick(DBGrid1); }); });
    connect(CmbCampos, &QComboBox::activated, this,
            [this] { ErrorReporter::guard([this] { CmbCamposClick(CmbCampos); }); });
    connect(edtBusqueda, &QLineEdit::textChanged, this,
            [this] { ErrorReporter::guard([this] { edtBusquedaChange(edtBusqueda); }); });
    connect(SpeedButton1, &QToolButton::clicked, this,
            [this] { ErrorReporter::guard([this] { SpeedButton1Click(SpeedButton1); }); });
    edtBusqueda->installEventFilter(this);
    DBGrid1->installEventFilter(this);
}

bool TCaptura::EjecutarCaptura(TVPField* VPField)
{
    FBoAbrir = VPField->tag() == 0;
    gVpfCampo = VPField;
    const bool aceptado = MostrarCaptura(VPField->remoteServer(), VPField->dataSet(),
                                         VPField->sql(), VPField->variables(), VPField->destino(),
                                         VPField->valores(), VPField->titulos(), VPField->titulo());
    // Back to the edit the picker serves, for the user goes on typing there.
    if (QWidget* edit = VPField->buddy(); edit && edit->isEnabled()) {
        edit->window()->activateWindow();
        edit->setFocus(Qt::OtherFocusReason);
    }
    return aceptado;
}

bool TCaptura::MostrarCaptura(SDCOMConnection* Servidor, SClientDataSet* DataSet,
                              const QStringList& SQL, const QStringList& Variables,
                              const QStringList& Destino, QStringList& Valores,
                              const QStringList& Titulos, const QString& Titulo)
{
    gBoDobleClic = false;
    FVariables.clear();
    FValores.clear();
    FDestino.clear();
    FVariables.append(Variables);
    FDestino.append(Destino);

    FDataSet = DataSet;
    setWindowTitle(Titulo);

    CdsTmp->close();
    CdsTmp->setRemoteServer(Servidor);
    CdsTmp->setCommandText(QString());
    CdsTmp->setCommandText(SQL.join(QLatin1Char('\n')));

    VSDBQbe1->SetDataset(CdsTmp);
    gLsTitulos = &Titulos;

    // The criteria the user types are appended with AND when the query has a WHERE.
    int conWhere = 0;
    for (const QString& linea : SQL) {
        if (linea.toUpper().contains(QLatin1String("WHERE"))) {
            conWhere = 1;
            break;
        }
    }
    VSDBQbe1->setTag(conWhere);

    tavrel::FormatSettings& formatos = tavrel::FormatSettings::instance();
    if (formatos.shortDateFormat().trimmed().isEmpty())
        formatos.setShortDateFormat(QStringLiteral("dd/MM/yyyy"));
    VSDBQbe1->setDateFormat(formatos.shortDateFormat());

    // Codes hidden from the grid can still be searched in the criteria window.
    VSDBQbe1->setMostrarTodos(true);
    VSDBQbe1->Inicializar(false);

    // Opened empty first, so that the columns are known before the dialog shows.
    struct TitulosPrestados
    {
        ~TitulosPrestados() { gLsTitulos = nullptr; }
    } prestados;
    VSDBQbe1->Vquery(conWhere == 0 ? QStringLiteral(" WHERE 1=0") : QStringLiteral(" AND 1=0"));

    DBGrid1->setEnabled(true);
    const int resultado = exec();
    const bool aceptado = resultado == QDialog::Accepted || gBoDobleClic;

    if (!FValores.isEmpty()) {
        Valores.clear();
        Valores.append(FValores);
    }
    CdsTmp->close();
    return aceptado;
}

void TCaptura::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        ErrorReporter::guard([this] { FormShow(this); });
}

void TCaptura::FormShow(QObject*)
{
    VSDBQbe1->setFlat(false);
    const QDate hoy = QDate::currentDate();
    LblVersion->setText(QStringLiteral("Versión ") + hoy.toString(QStringLiteral("yy")) +
                        QStringLiteral(".0 ") + hoy.toString(QStringLiteral("yyyy")));

    if (FBoAbrir)
        VSDBQbe1->Vquery(QString());
    else
        VSDBQbe1->click();

    CmbCampos->limpiar();
    const bool conTitulos = gLsTitulos && !gLsTitulos->isEmpty();
    const QList<tavrel::Field*> campos = CdsTmp->fields();
    for (int i = 0; i < campos.size(); ++i) {
        const QString nombre = campos[i]->fieldName();
        const QString titulo = conTitulos && i < gLsTitulos->size() ? gLsTitulos->at(i) : nombre;
        CmbCampos->agregar(titulo, nombre);
    }
    if (CmbCampos->count() > 0)
        CmbCampos->setCurrentIndex(0);
    prepararBusqueda();

    edtBusqueda->clear();
    edtValor->clear();
    edtBusqueda->setFocus(Qt::OtherFocusReason);
}

void TCaptura::CdsTmpAfterOpen(QObject*)
{
    if (gLsTitulos && !gLsTitulos->isEmpty()) {
        if (gLsTitulos->size() != CdsTmp->fieldCount()) {
            mostrarMensaje(QStringLiteral("[Error en TITULOS][Falta definicion de titulos]"));
        } else {
            for (int i = 0; i < CdsTmp->fieldCount(); ++i)
                CdsTmp->field(i)->setDisplayLabel(gLsTitulos->at(i));
        }
    }
    // The grid lays out its columns anew for the new fields.
    DBGrid1->resize(DBGrid1->width() + 1, DBGrid1->height());
    DBGrid1->resize(DBGrid1->width() - 1, DBGrid1->height());
}

void TCaptura::Datos1DataChange(QObject*)
{
    BitBtnAceptar->setEnabled(CdsTmp->active() && CdsTmp->recordCount() > 0);
}

void TCaptura::DBGrid1DblClick(QObject*)
{
    if (!CdsTmp->active() || CdsTmp->recordCount() == 0)
        return;
    BitBtnAceptarClick(DBGrid1);
    reject();
    gBoDobleClic = true;
}

void TCaptura::CmbCamposClick(QObject*)
{
    edtBusqueda->clear();
    edtValor->clear();
    prepararBusqueda();
}

// The search's index of the chosen column is built now rather than on the first keystroke.
void TCaptura::prepararBusqueda()
{
    const QString columna = CmbCampos->Codigos().value(CmbCampos->currentIndex());
    if (CdsTmp->active() && CdsTmp->findField(columna))
        CdsTmp->prepareLocate(columna, kOpcionesBusqueda);
}

void TCaptura::edtBusquedaKeyPress(QObject*)
{
    gStBusqueda = edtBusqueda->text();
}

void TCaptura::edtBusquedaChange(QObject*)
{
    const QString texto = edtBusqueda->text();
    if (texto.isEmpty() || !CdsTmp->active())
        return;
    const QString columna = CmbCampos->Codigos().value(CmbCampos->currentIndex());
    tavrel::Field* campo = CdsTmp->fieldByName(columna);

    // The text is read as the value type the column has; a letter in a number column
    // brings back the text as it was before, without a message.
    QVariant valor;
    try {
        valor = tavrel::coerce(texto, campo->dataType());
    } catch (const ModuleError& error) {
        if (error.kind() != ModuleError::Kind::Conversion)
            throw;
        edtBusqueda->setText(gStBusqueda);
        edtValor->clear();
        throw ModuleError::abort();
    }
    CdsTmp->locate(columna, {valor}, kOpcionesBusqueda);
}

void TCaptura::SpeedButton1Click(QObject*)
{
    gStBusqueda = edtBusqueda->text();
    edtBusqueda->setText(edtValor->text());
}

void TCaptura::BitBtnAceptarClick(QObject*)
{
    for (int i = 0; i < FVariables.size(); ++i) {
        const QString linea = QString::number(i + 1);
        const QString v = FVariables[i].toUpper().trimmed();
        if (v.isEmpty()) {
            mostrarMensaje(QStringLiteral("[Error en VARIABLES][Linea (") + linea +
                           QStringLiteral(") vacia ]"));
            return;
        }
        FVariables[i] = v;

        if (FDataSet) {
            bool existe = false;
            for (const tavrel::Field* campo : CdsTmp->fields())
                existe = existe || campo->fieldName().toUpper().trimmed() == v;
            if (!existe) {
                mostrarMensaje(QStringLiteral("[Error en VARIABLES][no existe variable <") + v +
                               QStringLiteral("> en Query ]"));
                return;
            }
        }
        FValores.append(CdsTmp->fieldByName(v)->asString());
        if (!FDataSet)
            continue;

        // A destination list shorter than the variables counts as an empty line.
        const QString d = FDestino.value(i).toUpper().trimmed();
        if (i < FDestino.size())
            FDestino[i] = d;
        if (d.isEmpty()) {
            mostrarMensaje(QStringLiteral("[Error en DESTINO][Linea (") + linea +
                           QStringLiteral(") vacia ]"));
            return;
        }
        if (!editando(FDataSet))
            continue;
        escribirDestino(i, v);
    }
}

void TCaptura::escribirDestino(int linea, const QString& variable)
{
    if (gVpfCampo) {
        const QString lookUpField = gVpfCampo->lookUpField();
        if (lookUpField.isEmpty()) {
            gVpfCampo->setLookUpValue(QString());
        } else if (tavrel::Field* f = CdsTmp->findField(lookUpField.trimmed())) {
            gVpfCampo->setLookUpValue(f->asString());
        } else {
            mostrarMensaje(QStringLiteral(" Error de parametrización de componente [") +
                               gVpfCampo->objectName() + QStringLiteral("] campo LookUpField [") +
                               lookUpField +
                               QStringLiteral("] no encontrado en query de consulta "),
                           MessageKind::Error);
        }
    }
    // Validation handlers tell a value chosen in the list from a typed one by the tag
    // raised by 1000 while the value is written.
    tavrel::Field* destino = FDataSet->fieldByName(FDestino[linea]);
    const TagRestaurado restaurar(destino);
    destino->setTag(restaurar.tag() + 1000);
    destino->setAsString(CdsTmp->fieldByName(variable)->asString());
}

bool TCaptura::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto* tecla = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers mods = tecla->modifiers() & ~Qt::KeypadModifier;

    if (watched == edtBusqueda) {
        // The search box steers the grid, so the hand stays on the keyboard.
        if (mods == Qt::NoModifier && CdsTmp->active()) {
            const int filas =
                DBGrid1->rowHeight(0) > 0
                    ? qMax(1, DBGrid1->viewport()->height() / DBGrid1->rowHeight(0) - 1)
                    : 1;
            switch (tecla->key()) {
            case Qt::Key_Up:
                ErrorReporter::guard([this] { CdsTmp->prior(); });
                return true;
            case Qt::Key_Down:
                ErrorReporter::guard([this] { CdsTmp->next(); });
                return true;
            case Qt::Key_PageUp:
                ErrorReporter::guard([this, filas] { CdsTmp->moveBy(-filas); });
                return true;
            case Qt::Key_PageDown:
                ErrorReporter::guard([this, filas] { CdsTmp->moveBy(filas); });
                return true;
            default:
                break;
            }
        }
        edtBusquedaKeyPress(edtBusqueda);
        return false;
    }

    if (watched == DBGrid1) {
        // Typing in the grid goes on in the search box.
        const QString texto = tecla->text();
        const bool imprimible = !texto.isEmpty() && texto.at(0).isPrint();
        if (imprimible && !(mods & (Qt::ControlModifier | Qt::AltModifier))) {
            edtBusqueda->setFocus(Qt::OtherFocusReason);
            QKeyEvent copia(QEvent::KeyPress, tecla->key(), tecla->modifiers(), texto);
            QApplication::sendEvent(edtBusqueda, &copia);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
