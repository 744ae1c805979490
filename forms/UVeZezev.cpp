#include "UVeZezev.h"

#include "CommaText.h"
#include "CountryFlags.h"
#include "DBEdit.h"
#include "DBLookupComboBox.h"
#include "DVeZezev.h"
#include "DataSource.h"
#include "ModuleError.h"
#include "ReporteRelacion.h"
#include "SClientDataSet.h"
#include "SDCOMConnection.h"
#include "SessionGlobals.h"
#include "TTavrelDBgrid.h"
#include "TVInfoAyuda.h"
#include "TVNavegador.h"
#include "TVNotas.h"
#include "TVPField.h"
#include "TVSDBQbe.h"
#include "TipoCampoRelacionado.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPalette>

using tavrel::DataSetState;
using tavrel::DBEdit;
using tavrel::ModuleError;

QPointer<TFrmVeZezev> FrmVeZezev;

namespace {

constexpr int AnchoCliente = 719;
constexpr int AltoExterior = 551;
const QColor Gris(0xE9, 0xE9, 0xE9);

// The two programs behind the concept and account labels, as one comma text.
const QString ProgramasEnlazados = QStringLiteral("\"VNmNccon\",\"VNmNcmco\"");

QColor colorVentana()
{
    return QGuiApplication::palette().color(QPalette::Base);
}

// Element 0 of the server's answer as text; an answer that is no array is the text.
QString primerElemento(const QVariant& respuesta)
{
    if (respuesta.typeId() == QMetaType::QVariantList ||
        respuesta.typeId() == QMetaType::QStringList) {
        const QVariantList elementos = respuesta.toList();
        return elementos.isEmpty() ? QString() : elementos.first().toString();
    }
    return respuesta.toString();
}

} // namespace

TFrmVeZezev::TFrmVeZezev(QWidget* parent) : TfrmFormaMaestro(parent)
{
    setObjectName(QStringLiteral("FrmVeZezev"));
    setWindowTitle(
        QStringLiteral("GESTIÓN Y ADMÓN. DE REC. HUMANOS - Nómina - Relación Rubros SIIF2"));
    resize(AnchoCliente, AltoExterior);

    DCOMCnction->setServerGUID(QStringLiteral("{DBE9EBA5-64BD-47FE-86EA-5A4B472636EB}"));
    DCOMCnction->setServerName(QStringLiteral("VVeZezev.VVeZezevDmr"));
    CdsGnUempr->paramByName(QStringLiteral("P_COD_USUA")).type = tavrel::FieldType::String;
    DBQbe1->setSQLUpperCase(true);
    NotasTavrel->setTituloForma(QStringLiteral("Relación Rubros SIIF2"));
    NotasTavrel->setForma(QStringLiteral("FrmVeZezev"));
    VNvgdrFrm->setHints({});

    CrearColumnas();
    CrearPanel();
    EnlazarDatos();

    connect(dtsFrm, &tavrel::DataSource::stateChanged, this, [this] { dtsFrmStateChange(dtsFrm); });
    connect(dtsFrm, &tavrel::DataSource::dataSetChanged, this,
            [this] { dtsFrmStateChange(dtsFrm); });
    dtsFrmStateChange(dtsFrm);
    setReportHandler([this](QObject* sender) { BtnReporteClick(sender); });
    setPdfExport([this](const QString& archivo) { ExportarPdf(archivo); });
    // A relation row is one concept, account and related code of one company.
    setKeyFields({QStringLiteral("COD_EMPR"), QStringLiteral("COD_CONT"),
                  QStringLiteral("COD_CUEN"), QStringLiteral("COD_CCOS")});
    publishOperation({QStringLiteral("ActualizarCausado"), QStringLiteral("Actualizar &Causado…"),
                      QStringLiteral("Se recalculará el valor causado de los rubros de TODAS las "
                                     "empresas a partir de los movimientos débito de la "
                                     "contabilización de nómina.\n\n¿Desea continuar?")},
                     [this] { ActualizarCausado(); });
}

TFrmVeZezev::~TFrmVeZezev() = default;

void TFrmVeZezev::showEvent(QShowEvent* event)
{
    // The outer height of the design includes the window frame, which is known only
    // once the window is on the screen.
    if (!m_alturaExterior && isWindow()) {
        m_alturaExterior = true;
        const int marco = frameGeometry().height() - geometry().height();
        if (marco > 0 && height() == AltoExterior)
            resize(width(), AltoExterior - marco);
    }
    TfrmFormaMaestro::showEvent(event);
}

void TFrmVeZezev::EnlazarDatos()
{
    TDtmVeZezev* dtm = DtmVeZezev;
    if (!dtm)
        return;
    SClientDataSet* relacion = dtm->QryVeZEZev;
    for (TVPField* selector : {VPFieldCodCont, VPFCamRela, VPFieldCodCuen})
        selector->setDataSet(relacion);
    VNotas1->setDataSet(relacion);
    VInfoAyuda->setDataSet(relacion);
    DBLookupComboBox1->setListSource(dtm->DtsCdsFueFina);
    DBLookupComboBox2->setListSource(dtm->DtsCdsRecPres);
    DBLookupComboBox3->setListSource(dtm->DtsCdsSitFond);
    connect(dtm, &TDtmVeZezev::campoRelacionadoConfigurado, this,
            &TFrmVeZezev::MostrarCampoRelacionado, Qt::UniqueConnection);
}

void TFrmVeZezev::FormCreate(QObject* Sender)
{
    if (!DtmVeZezev)
        throw ModuleError(QStringLiteral("El módulo de datos de la relación no existe; no se "
                                         "puede abrir la ventana."));
    EnlazarDatos();
    if (!DtmVeZezev->frxRptVeZezev)
        DtmVeZezev->frxRptVeZezev = std::make_shared<ReporteRelacion>();
    gStNombProg = QStringLiteral("VVeZezev");
    dtsFrm->setDataSet(DtmVeZezev->QryVeZEZev);
    DBQbe1->SetDataset(DtmVeZezev->QryVeZEZev);
    AjustarAnchoColumnas();
    TfrmFormaMaestro::FormCreate(Sender);
}

// A column narrower than its title (the field's display width is that of its values)
// gets the width of the title.
void TFrmVeZezev::AjustarAnchoColumnas()
{
    const QFontMetrics letras = DBGFrm->horizontalHeader()->fontMetrics();
    for (int columna = 0; columna < DBGFrm->model()->columnCount(); ++columna) {
        const QString titulo =
            DBGFrm->model()->headerData(columna, Qt::Horizontal, Qt::DisplayRole).toString();
        const int ancho = letras.horizontalAdvance(titulo) + 12;
        if (DBGFrm->columnWidth(columna) < ancho) {
            DBGFrm->setColumnDefaultWidth(columna, ancho);
            DBGFrm->setColumnWidth(columna, ancho);
        }
    }
}

void TFrmVeZezev::cmbEmpresaChange(QObject* Sender)
{
    TfrmFormaMaestro::cmbEmpresaChange(Sender);

    // Paths of the programs behind the labels. The list only lives in this block, so
    // a failure leaves the labels as they were.
    QStringList rutas;
    {
        QVariantList argumentos{QVariantList{ProgramasEnlazados},
                                gStCodiUsua + u' ' + gStPassUsua + u' ' + gStCodiEmpr +
                                    gStTipoUsuario,
                                gStTipoUsuario, gStCodiUsua, QVariant()};
        // The paths and the company's country travel in one round trip.
        DCOMCnction->prefetch(QList{tavrel::BatchCall::invoke(
                                  QStringLiteral("BuscarPathProgramaArreglo"), argumentos)} +
                              DtmVeZezev->LecturasDeFlags());
        DCOMCnction->invoke(QStringLiteral("BuscarPathProgramaArreglo"), argumentos);
        gStTipoUsuario = argumentos.value(2).toString();
        gStCodiUsua = argumentos.value(3).toString();
        rutas = tavrel::CommaText::split(primerElemento(argumentos.value(4)));
    }
    VInfoAyuda->AsignarEventosMouseDown({LblCodCont, LblCodCuen}, rutas);
    VInfoAyuda->CrearLlavesInformacion(QStringLiteral("COD_CONT"), QStringLiteral("COD_CONT"),
                                       LblCodCont);
    DtmVeZezev->gStDigiDian = DtmVeZezev->VerDigiFlags(tavrel::CountryFlags::digiDian()).toString();
}

void TFrmVeZezev::dtsFrmStateChange(QObject*)
{
    const SClientDataSet* relacion = dtsFrm->dataSet();
    const DataSetState estado = relacion ? relacion->state() : DataSetState::Inactive;
    const bool editando = estado == DataSetState::Edit || estado == DataSetState::Insert;
    const QColor color = editando ? colorVentana() : Gris;

    for (int columna : {0, 2, 4}) {
        DBGFrm->setColumnColor(columna, color);
        DBGFrm->setColumnReadOnly(columna, !editando);
    }
    // Group by group: the code edit and its name take the colour, the code edit and
    // the picker follow the state; the name's read-only state is its field's.
    const auto grupo = [&](DBEdit* codigo, DBEdit* nombre, TVPField* selector) {
        codigo->setColor(color);
        nombre->setColor(color);
        codigo->setReadOnly(!editando);
        selector->setEnabled(editando);
    };
    grupo(DBECamRela, DBEDtfNmbCamRela, VPFCamRela);
    grupo(DBEdtCodCont, DBEDtfNmbCont, VPFieldCodCont);
    grupo(DBEdtCodCuen, DBEDtfNmbCuen, VPFieldCodCuen);
}

QString TFrmVeZezev::NomProg() const
{
    return gStNombProg;
}

QString TFrmVeZezev::CodiUsua() const
{
    return gStCodiUsua;
}
