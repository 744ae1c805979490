// The controls of the maintenance window: the grid's columns and the edit panel, at
// the positions of the form description.
#include "UVeZezev.h"

#include "DBEdit.h"
#include "DBLookupComboBox.h"
#include "DataSource.h"
#include "GridColumn.h"
#include "TTavrelDBgrid.h"
#include "TVInfoAyuda.h"
#include "TVNotas.h"
#include "TVPField.h"
#include "TipoCampoRelacionado.h"

#include <QLabel>
#include <QPalette>

using tavrel::DBEdit;
using tavrel::DBLookupComboBox;

namespace {

constexpr int AltoEdicion = 22;
constexpr int LadoBoton = 22;
const QColor Gris(0xE9, 0xE9, 0xE9);
const QColor Plata(0xC0, 0xC0, 0xC0);
const QColor TextoDeshabilitado(0x40, 0x40, 0x40);

} // namespace

void TFrmVeZezev::CrearColumnas()
{
    using tavrel::GridColumn;
    const auto editable = [](const char* campo) {
        return GridColumn{QLatin1String(campo), QString(), -1, false, QColor()};
    };
    const auto nombre = [](const char* campo) {
        return GridColumn{QLatin1String(campo), QString(), -1, true, Gris};
    };
    const auto soloExportada = [](const char* campo) {
        return GridColumn{QLatin1String(campo), QString(), -1, true, QColor(), true};
    };
    DBGFrm->setColumns({editable("COD_CONT"), nombre("DtfNmbCont"), editable("COD_CCOS"),
                        nombre("DtfNmbCamRela"), editable("COD_CUEN"), nombre("DtfNmbCuen"),
                        editable("DtfNmbFuen"), editable("DtfNmbPres"), editable("DtfNmbSitu"),
                        editable("DEP_APAC"), editable("VAL_TOTA"), editable("VAL_CAUS"),
                        // The export writes the budget codes beside their names and the
                        // server's stamp, which an import of the workbook reads back.
                        soloExportada("COD_FUEN"), soloExportada("COD_PRES"),
                        soloExportada("COD_SITU"), soloExportada("ACT_HORA")});
}

void TFrmVeZezev::CrearPanel()
{
    QWidget* p = panel();
    const auto etiqueta = [p](const char* nombre, const QString& texto, int left, int top) {
        auto* l = new QLabel(texto, p);
        l->setObjectName(QLatin1String(nombre));
        l->move(left, top);
        l->adjustSize();
        return l;
    };
    const auto edicion = [this, p](const char* nombre, const char* campo, int left, int top,
                                   int width) {
        auto* e = new DBEdit(p);
        e->setObjectName(QLatin1String(nombre));
        e->setDataSource(dtsFrm);
        e->setDataField(QLatin1String(campo));
        e->setGeometry(left, top, width, AltoEdicion);
        return e;
    };
    // The name beside a code: shown, reached by the mouse but not by Tab.
    const auto descripcion = [&edicion](const char* nombre, const char* campo, int left, int top,
                                        int width) {
        DBEdit* e = edicion(nombre, campo, left, top, width);
        e->setFocusPolicy(Qt::ClickFocus);
        return e;
    };
    const auto lista = [this, p](const char* nombre, const char* campo, int left, int width,
                                 const char* clave, const char* mostrar) {
        auto* c = new DBLookupComboBox(p);
        c->setObjectName(QLatin1String(nombre));
        c->setDataSource(dtsFrm);
        c->setDataField(QLatin1String(campo));
        c->setKeyField(QLatin1String(clave));
        c->setListField(QLatin1String(mostrar));
        c->setGeometry(left, 171, width, AltoEdicion);
        return c;
    };

    LblCodCont = etiqueta("LblCodCont", QStringLiteral("Contabilización"), 78, 17);
    DBEdtCodCont = edicion("DBEdtCodCont", "COD_CONT", 78, 33, 89);
    VNotas1 = new TVNotas(p);
    VNotas1->setObjectName(QStringLiteral("VNotas1"));
    VNotas1->setToolTip(QStringLiteral("Notas / Alertas"));
    VNotas1->setTituloForma(QStringLiteral("Relación Rubros SIIF2"));
    VNotas1->setForma(QStringLiteral("FrmVeZezev"));
    VNotas1->setCampo(QStringLiteral("COD_CONT"));
    VNotas1->setFocusPolicy(Qt::NoFocus);
    VNotas1->setGeometry(168, 32, LadoBoton, LadoBoton);
    DBEDtfNmbCont = descripcion("DBEDtfNmbCont", "DtfNmbCont", 193, 33, 398);

    LblCamRela = etiqueta("LblCamRela", QStringLiteral("Campo Relacionado"), 78, 60);
    DBECamRela = edicion("DBECamRela", "COD_CCOS", 78, 76, 89);
    DBEDtfNmbCamRela = descripcion("DBEDtfNmbCamRela", "DtfNmbCamRela", 167, 76, 424);

    LblCodCuen = etiqueta("LblCodCuen", QStringLiteral("Cuenta Contable"), 78, 106);
    DBEdtCodCuen = edicion("DBEdtCodCuen", "COD_CUEN", 78, 122, 193);
    DBEDtfNmbCuen = descripcion("DBEDtfNmbCuen", "DtfNmbCuen", 270, 122, 321);

    Label4 = etiqueta("Label4", QStringLiteral("Fuente Financiación"), 78, 155);
    DBLookupComboBox1 =
        lista("DBLookupComboBox1", "COD_FUEN", 78, 145, "COD_FUEN", "NOM_FUEN;COD_FUEN");
    Label5 = etiqueta("Label5", QStringLiteral("Recurso Presupuestal"), 238, 155);
    DBLookupComboBox2 =
        lista("DBLookupComboBox2", "COD_PRES", 238, 217, "COD_PRES", "NOM_PRES;COD_PRES");
    DBLookupComboBox2->setDropDownWidth(330);
    Label6 = etiqueta("Label6", QStringLiteral("Situación de Fondos"), 470, 155);
    DBLookupComboBox3 =
        lista("DBLookupComboBox3", "COD_SITU", 470, 145, "COD_SITU", "NOM_SITU;COD_SITU");

    Label1 = etiqueta("Label1", QStringLiteral("Dependencia de Afectación de PAC"), 78, 208);
    DBEdtDepAPac = edicion("DBEdtDepAPac", "DEP_APAC", 78, 224, 267);
    Label2 = etiqueta("Label2", QStringLiteral("Valor Total"), 80, 248);
    DBEdtValTota = edicion("DBEdtValTota", "VAL_TOTA", 78, 264, 121);
    Label3 = etiqueta("Label3", QStringLiteral("Valor Causado"), 216, 248);
    DBEdtValCaus = edicion("DBEdtValCaus", "VAL_CAUS", 216, 264, 121);
    Label7 = etiqueta("Label7", QStringLiteral("Valor Saldo"), 360, 248);
    DBEdtValSald = edicion("DBEdtValSald", "DtfNmbValSald", 360, 264, 121);
    DBEdtValSald->setEnabled(false);
    DBEdtValSald->setColor(Plata);
    // The style's disabled text would vanish on silver; the balance must stay readable.
    QPalette saldo = DBEdtValSald->palette();
    saldo.setColor(QPalette::Disabled, QPalette::Text, TextoDeshabilitado);
    DBEdtValSald->setPalette(saldo);

    LblCodCont->setBuddy(DBEdtCodCont);
    LblCamRela->setBuddy(DBECamRela);
    LblCodCuen->setBuddy(DBEdtCodCuen);

    CrearSelectores();

    // Tab order of the form description; the names beside the codes are skipped.
    const QList<QWidget*> orden{
        DBEdtCodCont,  DBEDtfNmbCont,     DBECamRela,        DBEDtfNmbCamRela,  DBEdtCodCuen,
        DBEDtfNmbCuen, DBLookupComboBox1, DBLookupComboBox2, DBLookupComboBox3, DBEdtDepAPac,
        DBEdtValTota,  DBEdtValCaus,      DBEdtValSald};
    for (qsizetype i = 1; i < orden.size(); ++i)
        setTabOrder(orden[i - 1], orden[i]);

    VInfoAyuda = new TVInfoAyuda(this);
    VInfoAyuda->setObjectName(QStringLiteral("VInfoAyuda"));
}

void TFrmVeZezev::CrearSelectores()
{
    QWidget* p = panel();
    const auto selector = [this, p](const char* nombre, const QString& titulo, int left, int top,
                                    QWidget* edicion) {
        auto* s = new TVPField(p);
        s->setObjectName(QLatin1String(nombre));
        s->setTitulo(titulo);
        s->setRemoteServer(DCOMCnction);
        s->setDataBaseName(QStringLiteral("DBTavrel"));
        s->setGeometry(left, top, LadoBoton, LadoBoton);
        s->setFocusPolicy(Qt::NoFocus);
        s->setBuddy(edicion);
        return s;
    };
    VPFieldCodCont = selector("VPFieldCodCont", QStringLiteral(" Lista de Contabilizaciones"), 592,
                              32, DBEdtCodCont);
    VPFCamRela =
        selector("VPFCamRela", QStringLiteral(" Lista de Centros de Costo"), 592, 75, DBECamRela);
    VPFieldCodCuen = selector("VPFieldCodCuen", QStringLiteral(" Lista de Cuentas Contables"), 592,
                              122, DBEdtCodCuen);

    // The chosen row's code goes into the field of the same name; the related-code
    // picker gets its code column each time a related-field kind is configured.
    for (TVPField* s : {VPFieldCodCont, VPFieldCodCuen}) {
        const QString campo =
            s == VPFieldCodCont ? QStringLiteral("COD_CONT") : QStringLiteral("COD_CUEN");
        s->variables() = {campo};
        s->destino() = {campo};
        s->titulos() = {QStringLiteral("Código"), QStringLiteral("Nombre")};
    }
    VPFCamRela->variables() = {QString()};
    VPFCamRela->destino() = {QStringLiteral("COD_CCOS")};

    VPFieldCodCont->OnClick = [this](QObject* sender) { VPFieldCodContClick(sender); };
    VPFCamRela->OnClick = [this](QObject* sender) { VPFCamRelaClick(sender); };
    VPFieldCodCuen->OnClick = [this](QObject* sender) { VPFieldCodCuenClick(sender); };
    DBEdtCodCuen->OnEnter = [this](DBEdit& edit) { DBEdtCodCuenEnter(&edit); };
}

void TFrmVeZezev::MostrarCampoRelacionado(const TipoCampoRelacionado& tipo)
{
    DBECamRela->setVisible(true);
    DBEDtfNmbCamRela->setVisible(true);
    // The label sizes itself to its caption, which is longer for some kinds.
    LblCamRela->setText(tipo.titulo);
    LblCamRela->adjustSize();
    VPFCamRela->setVisible(true);
    VPFCamRela->setTitulo(tipo.tituloLista);
    VPFCamRela->titulos() = {QStringLiteral("Código"), QStringLiteral("Nombre")};
    VPFCamRela->variables() = {tipo.campoCodigo};
}
