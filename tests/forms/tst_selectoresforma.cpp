// The code pickers of the maintenance window on a demo database, with the real data
// module and the lookup dialog: guards, lists and what a pick leaves in the relation row.

#include "DBEdit.h"
#include "DBLookupComboBox.h"
#include "DLLUFORM.h"
#include "DVeZezev.h"
#include "ErrorReporter.h"
#include "Field.h"
#include "ModuloDemo.h"
#include "SClientDataSet.h"
#include "SDCOMConnection.h"
#include "SessionGlobals.h"
#include "TVPField.h"
#include "TVsCmbCodigo.h"
#include "TestHelpers.h"
#include "UVeZezev.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using tavrel::DataSetState;

namespace {

const QString kMensajeCuenta = QStringLiteral(
    "Debe seleccionar una contabilización antes de seleccionar la cuenta contable...");

// Chooses the row whose name starts with `nombre` and accepts it; keeps what it saw.
struct Eleccion
{
    explicit Eleccion(const QString& n) : nombre(n) {}
    QString nombre;
    QStringList columnas;
    int filas = -1;
    QString sql;

    void operator()(TCaptura* d)
    {
        filas = d->CdsTmp->recordCount();
        sql = d->CdsTmp->commandText();
        for (const tavrel::Field* f : d->CdsTmp->fields())
            columnas << f->fieldName().toUpper();
        d->CmbCampos->setCurrentIndex(1);
        for (const QChar c : nombre) {
            QKeyEvent tecla(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(d->edtBusqueda, &tecla);
        }
        d->BitBtnAceptar->click();
    }
};

} // namespace

class TstSelectoresForma : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { TAVREL_SKIP_WITHOUT_POSTGRES(); }
    void init();
    void cleanup() { m.reset(); }

    void navegandoNoAbren_data();
    void navegandoNoAbren();
    void faltaLaContabilizacion_data();
    void faltaLaContabilizacion();
    void conceptoCuentaYGasto();
    void relacionadoSinTipoMuestraElErrorDelServidor();

private:
    SClientDataSet* relacion() const { return DtmVeZezev->QryVeZEZev; }
    // Runs the picker's click and returns whether the dialog opened.
    bool pulsar(TVPField* picker, std::function<void(TCaptura*)> accion = {});

    std::unique_ptr<ModuloDemo> m;
};

void TstSelectoresForma::init()
{
    m = std::make_unique<ModuloDemo>();
    m->abrir();
    Captura = m->app->create<TCaptura>();
    FrmVeZezev->show();
    FrmVeZezev->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(FrmVeZezev));
    QCOMPARE(relacion()->state(), DataSetState::Browse);
}

bool TstSelectoresForma::pulsar(TVPField* picker, std::function<void(TCaptura*)> accion)
{
    // The dialog can only open inside the click; a watcher left over from a click that
    // opened nothing stands down.
    struct Estado
    {
        bool vigente = true;
        bool abierto = false;
    };
    auto estado = std::make_shared<Estado>();
    whenModalShows<TCaptura>(
        [estado, accion](TCaptura* d) {
            if (!estado->vigente)
                return;
            estado->abierto = true;
            if (accion)
                accion(d);
            if (d->isVisible())
                d->reject();
        },
        1000);
    // As the picker's own click does, also while it is disabled.
    tavrel::ErrorReporter::guard([picker] { picker->OnClick(picker); });
    estado->vigente = false;
    return estado->abierto;
}

void TstSelectoresForma::navegandoNoAbren_data()
{
    QTest::addColumn<QString>("selector");
    QTest::newRow("concept picker") << "VPFieldCodCont";
    QTest::newRow("account picker") << "VPFieldCodCuen";
}

void TstSelectoresForma::navegandoNoAbren()
{
    QFETCH(QString, selector);
    relacion()->first();
    auto* picker = FrmVeZezev->findChild<TVPField*>(selector);
    QVERIFY(picker);
    const QStringList antes = picker->sql();
    QVERIFY(!pulsar(picker));
    QCOMPARE(picker->sql(), antes);
    QVERIFY(m->mensajes.isEmpty());
}

void TstSelectoresForma::faltaLaContabilizacion_data()
{
    QTest::addColumn<QString>("como");
    QTest::addColumn<QString>("mensaje");
    QTest::addColumn<bool>("focoAlConcepto");

    QTest::newRow("account picker: focus to the concept edit, account message")
        << "VPFieldCodCuen" << kMensajeCuenta << true;
    QTest::newRow("related picker: its own message, the focus stays")
        << "VPFCamRela"
        << "Se Tiene que Asignar Primero la Contabilización." << false;
    QTest::newRow("entering the account edit sends the focus back")
        << "DBEdtCodCuen" << kMensajeCuenta << true;
}

void TstSelectoresForma::faltaLaContabilizacion()
{
    QFETCH(QString, como);
    QFETCH(QString, mensaje);
    QFETCH(bool, focoAlConcepto);

    TFrmVeZezev* f = FrmVeZezev;
    relacion()->insert();
    f->DBLookupComboBox1->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f->DBLookupComboBox1));
    if (como == QLatin1String("DBEdtCodCuen")) {
        f->DBEdtCodCuen->setFocus();
    } else {
        QVERIFY(!pulsar(f->findChild<TVPField*>(como)));
    }
    QTRY_COMPARE(m->mensajes, QStringList{mensaje});
    QWidget* esperado = focoAlConcepto ? static_cast<QWidget*>(f->DBEdtCodCont)
                                       : static_cast<QWidget*>(f->DBLookupComboBox1);
    QTRY_COMPARE(QApplication::focusWidget(), esperado);
    QCOMPARE(relacion()->state(), DataSetState::Insert);
}

void TstSelectoresForma::conceptoCuentaYGasto()
{
    TFrmVeZezev* f = FrmVeZezev;
    relacion()->insert();

    // The window's own picker settings carry the codes into the row.
    Eleccion concepto{QStringLiteral("ap")};
    QVERIFY(pulsar(f->VPFieldCodCont, std::ref(concepto)));
    QCOMPARE(concepto.filas, 5);
    QVERIFY2(m->mensajes.isEmpty(), qPrintable(m->mensajes.join(QLatin1Char('|'))));
    QCOMPARE(relacion()->fieldByName(QStringLiteral("COD_CONT"))->asInteger(), 40);
    QCOMPARE(f->DBEDtfNmbCont->text(), QStringLiteral("APORTES PATRONALES A SALUD"));
    // The concept's kind is configured: the related picker now lists expenses.
    QCOMPARE(DtmVeZezev->gStCamRela, QStringLiteral("cod_gast"));

    QCOMPARE(f->VPFCamRela->variables(), QStringList{QStringLiteral("cod_gast")});
    Eleccion gasto{QStringLiteral("contri")};
    QVERIFY(pulsar(f->VPFCamRela, std::ref(gasto)));
    QCOMPARE(f->VPFCamRela->sql(),
             (QStringList{"select cod_gast, nom_gast", "from nm_gacon", "where cod_empr = 1"}));
    QCOMPARE(gasto.columnas, (QStringList{"COD_GAST", "NOM_GAST"}));
    QCOMPARE(gasto.filas, 3);
    QCOMPARE(relacion()->fieldByName(QStringLiteral("COD_CCOS"))->asInteger(), 2);

    Eleccion cuenta{QStringLiteral("aportes a adm")};
    QVERIFY(pulsar(f->VPFieldCodCuen, std::ref(cuenta)));
    QCOMPARE(cuenta.filas, 2);
    QVERIFY2(cuenta.sql.contains(QLatin1String("WHERE (COD_EMPR = 1) AND  (COD_CONT = 40)")),
             qPrintable(cuenta.sql));
    QCOMPARE(relacion()->fieldByName(QStringLiteral("COD_CUEN"))->asString(),
             QStringLiteral("51030202"));
    QCOMPARE(f->DBEDtfNmbCuen->text(),
             QStringLiteral("APORTES A ADMINISTRADORAS DE RIESGOS LABORALES"));
    QVERIFY2(m->mensajes.isEmpty(), qPrintable(m->mensajes.join(QLatin1Char('|'))));
}

void TstSelectoresForma::relacionadoSinTipoMuestraElErrorDelServidor()
{
    relacion()->first();
    while (relacion()->fieldByName(QStringLiteral("COD_CONT"))->isNull() && !relacion()->eof())
        relacion()->next();
    QVERIFY(!relacion()->fieldByName(QStringLiteral("COD_CONT"))->isNull());
    DtmVeZezev->gStTabRela.clear();
    DtmVeZezev->gStCamRela.clear();
    DtmVeZezev->gStNomRela.clear();

    QVERIFY(!pulsar(FrmVeZezev->VPFCamRela));
    QCOMPARE(FrmVeZezev->VPFCamRela->sql(),
             (QStringList{"select , ", "from ", "where cod_empr = 1"}));
    QCOMPARE(m->mensajes.size(), 1);
    QVERIFY(!m->mensajes.first().isEmpty());
    QVERIFY(!Captura->isVisible());
}

QTEST_MAIN(TstSelectoresForma)
#include "tst_selectoresforma.moc"
