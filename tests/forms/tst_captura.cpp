// The lookup dialog on the demo database: how it opens, how the user searches and
// chooses, and what reaches the destination record and the picker.

#include "DLLUFORM.h"
#include "Field.h"
#include "ModuleError.h"
#include "ModuloDemo.h"
#include "QbeCriteriaDialog.h"
#include "SClientDataSet.h"
#include "SDCOMConnection.h"
#include "TTavrelDBgrid.h"
#include "TVPField.h"
#include "TVSDBQbe.h"
#include "TVsCmbCodigo.h"
#include "TestHelpers.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

using namespace Qt::StringLiterals;
using tavrel::FieldType;

namespace {

// The concept picker's query: the company's concepts of the four related-field kinds.
const QString kConceptos =
    u" SELECT COD_CONT, NOM_CONT  FROM NM_NCCON              WHERE (COD_EMPR = 1 AND CAM_RELA "
    "IN ('COD_TNOM','COD_GAST','COD_CCOS','COD_GPRO')) "_s;

void tecla(QWidget* w, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
}

QString codigoActual(TCaptura* d)
{
    return d->CdsTmp->fieldByName(u"COD_CONT"_s)->asString();
}

} // namespace

class TstCaptura : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void aperturaSegunTag_data();
    void aperturaSegunTag();
    void busquedaIncremental_data();
    void busquedaIncremental();
    void cierre_data();
    void cierre();
    void mensajesDeConfiguracion_data();
    void mensajesDeConfiguracion();
    void tagDelDestinoDuranteLaEscritura();
    void lookUpField_data();
    void lookUpField();
    void tecladoMueveLaGrilla();

private:
    // Opens the picker's dialog, runs `accion` on it once it shows and returns the result.
    bool ejecutar(std::function<void(TCaptura*)> accion);

    std::unique_ptr<ModuloDemo> m_modulo;
    std::unique_ptr<SDCOMConnection> m_conexion;

    std::unique_ptr<TCaptura> m_dialogo;
    std::unique_ptr<TVPField> m_picker;
    std::unique_ptr<SClientDataSet> m_destino;
};

void TstCaptura::initTestCase()
{
    TAVREL_SKIP_WITHOUT_POSTGRES();
    m_modulo = std::make_unique<ModuloDemo>();
    m_conexion = std::make_unique<SDCOMConnection>();
    m_conexion->setAppServer(m_modulo->db->appServer());
}

void TstCaptura::cleanupTestCase()
{
    m_conexion.reset();
    m_modulo.reset();
}

void TstCaptura::init()
{
    m_modulo->mensajes.clear();
    m_dialogo = std::make_unique<TCaptura>();
    m_destino = std::make_unique<SClientDataSet>();
    m_destino->setObjectName(u"QryVeZEZev"_s);
    m_destino->addField(u"COD_CONT"_s, FieldType::SmallInt);
    m_destino->addField(u"COD_CUEN"_s, FieldType::FixedChar, 30);
    m_destino->addField(u"COD_CCOS"_s, FieldType::SmallInt);
    m_destino->createDataSet();
    m_destino->append();

    m_picker = std::make_unique<TVPField>();
    m_picker->setObjectName(u"VPFieldCodCont"_s);
    m_picker->setRemoteServer(m_conexion.get());
    m_picker->setDataSet(m_destino.get());
    m_picker->setSQL({kConceptos});
    m_picker->setVariables({u"COD_CONT"_s});
    m_picker->setDestino({u"COD_CONT"_s});
    m_picker->setTitulos({u"Código"_s, u"Nombre"_s});
    m_picker->setTitulo(u" Lista de Contabilizaciones"_s);
}

void TstCaptura::cleanup()
{
    m_picker.reset();
    m_dialogo.reset();
    m_destino.reset();
}

bool TstCaptura::ejecutar(std::function<void(TCaptura*)> accion)
{
    whenModalShows<TCaptura>(accion);
    return m_dialogo->EjecutarCaptura(m_picker.get());
}

void TstCaptura::aperturaSegunTag_data()
{
    QTest::addColumn<int>("tag");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("guarda");
    QTest::addColumn<int>("filas");

    QTest::newRow("tag 0: the concepts of company 1 of the four kinds, all at once")
        << 0 << kConceptos << QString() << 5;
    QTest::newRow("tag 1, WHERE in the query: criteria first, the empty opening ANDs its guard")
        << 1 << kConceptos << u" AND 1=0"_s << 0;
    QTest::newRow("lower-case where on the second line counts as WHERE")
        << 1 << u"select cod_cont, nom_cont from nm_nccon\nwhere cod_empr = 2"_s << u" AND 1=0"_s
        << 0;
    QTest::newRow("no WHERE in any line: the guard brings its own")
        << 2 << u"SELECT COD_CONT, NOM_CONT\nFROM NM_NCCON"_s << u" WHERE 1=0"_s << 0;
}

void TstCaptura::aperturaSegunTag()
{
    QFETCH(int, tag);
    QFETCH(QString, sql);
    QFETCH(QString, guarda);
    QFETCH(int, filas);

    m_picker->setTag(tag);
    m_picker->setSQL(sql.split(u'\n'));
    QString textoVacio;
    bool criteriosPrimero = false;
    if (tag != 0) {
        whenModalShows<tavrel::QbeCriteriaDialog>([&](tavrel::QbeCriteriaDialog* criterios) {
            criteriosPrimero = !m_dialogo->CdsTmp->active() || m_dialogo->CdsTmp->isEmpty();
            textoVacio = m_dialogo->CdsTmp->commandText();
            criterios->reject();
        });
    }
    m_picker->setValores({u"previo"_s});
    int filasVistas = -1;
    QStringList titulos;
    bool aceptarHabilitado = true;
    bool abierto = false;
    const bool aceptado = ejecutar([&](TCaptura* d) {
        filasVistas = d->CdsTmp->recordCount();
        titulos = d->DBGrid1->visibleTitles();
        aceptarHabilitado = d->BitBtnAceptar->isEnabled();
        if (filasVistas == 0) { // nothing to choose: neither a double click nor Enter closes
            d->DBGrid1DblClick();
            QTest::keyClick(d->edtBusqueda, Qt::Key_Return);
        }
        abierto = d->isVisible();
        d->BitBtn2->click();
    });

    QVERIFY(!aceptado);
    QVERIFY(abierto);
    QCOMPARE(m_picker->valores(), QStringList{u"previo"_s});
    QVERIFY(m_destino->fieldByName(u"COD_CONT"_s)->isNull());
    QCOMPARE(filasVistas, filas);
    QCOMPARE(aceptarHabilitado, filas > 0);
    QCOMPARE(titulos, (QStringList{u"Código"_s, u"Nombre"_s}));
    QCOMPARE(m_dialogo->windowTitle(), u" Lista de Contabilizaciones"_s);
    QVERIFY(!m_dialogo->CdsTmp->active());
    if (tag != 0) {
        QVERIFY(criteriosPrimero);
        QVERIFY2(textoVacio.endsWith(guarda), qPrintable(textoVacio));
    }
    QVERIFY(m_modulo->mensajes.isEmpty());
}

void TstCaptura::busquedaIncremental_data()
{
    QTest::addColumn<int>("columna");
    QTest::addColumn<QStringList>("escrito"); // typed, left in the box, code found

    QTest::newRow("two lower-case letters find the name that starts with them")
        << 1 << QStringList{"bo", "bo", "30"};
    QTest::newRow("upper-case letters find the same way") << 1 << QStringList{"AP", "AP", "40"};
    QTest::newRow("a name that matches nothing leaves the row where it was")
        << 1 << QStringList{"zz", "zz", "10"};
    QTest::newRow("a code column takes the whole number") << 0 << QStringList{"11", "11", "11"};
    QTest::newRow("a letter in the code column brings the digits back")
        << 0 << QStringList{"2x", "2", "10"};
    QTest::newRow("a letter first in the code column leaves the box empty")
        << 0 << QStringList{"x", "", "10"};
}

void TstCaptura::busquedaIncremental()
{
    QFETCH(int, columna);
    QFETCH(QStringList, escrito);
    const QString tecleado = escrito[0], textoFinal = escrito[1], codigo = escrito[2];

    QString texto, valor, encontrado;
    ejecutar([&](TCaptura* d) {
        d->CmbCampos->setCurrentIndex(columna);
        d->edtValor->setText(u"algo"_s);
        typeText(d->edtBusqueda, tecleado);
        texto = d->edtBusqueda->text();
        valor = d->edtValor->text();
        encontrado = codigoActual(d);
        d->reject();
    });

    QCOMPARE(texto, textoFinal);
    QCOMPARE(encontrado, codigo);
    // Only a text that could not be read empties the value box.
    QCOMPARE(valor.isEmpty(), textoFinal != tecleado);
    QVERIFY2(m_modulo->mensajes.isEmpty(), qPrintable(m_modulo->mensajes.join(u'|')));
}

void TstCaptura::cierre_data()
{
    QTest::addColumn<QString>("como");
    QTest::addColumn<bool>("enEdicion");
    QTest::addColumn<bool>("aceptado");
    QTest::addColumn<QVariant>("escrito");
    QTest::addColumn<QStringList>("valores");

    const QVariant nulo;
    const QStringList antes{u"previo"_s};
    const QStringList elegido{u"30"_s};
    QTest::newRow("Enter in the search box accepts")
        << "enter" << true << true << QVariant(30) << elegido;
    QTest::newRow("a double click accepts though the dialog ends with Cancel")
        << "dobleclic" << true << true << QVariant(30) << elegido;
    QTest::newRow("Cancelar changes nothing") << "cancelar" << true << false << nulo << antes;
    QTest::newRow("a browsing destination gets nothing, the picker gets the values")
        << "aceptar" << false << true << nulo << elegido;
}

void TstCaptura::cierre()
{
    QFETCH(QString, como);
    QFETCH(bool, enEdicion);
    QFETCH(bool, aceptado);
    QFETCH(QVariant, escrito);
    QFETCH(QStringList, valores);

    if (!enEdicion)
        m_destino->cancel();
    m_picker->setValores({u"previo"_s});
    int resultado = -1;
    const bool r = ejecutar([&](TCaptura* d) {
        d->CmbCampos->setCurrentIndex(1);
        typeText(d->edtBusqueda, u"Bo"_s);
        if (como == u"aceptar"_s) {
            d->BitBtnAceptar->click();
        } else if (como == u"enter"_s) {
            QTest::keyClick(d->edtBusqueda, Qt::Key_Return);
        } else if (como == u"dobleclic"_s) {
            const QModelIndex celda = d->DBGrid1->currentIndex();
            const QPoint centro = d->DBGrid1->visualRect(celda).center();
            QTest::mouseClick(d->DBGrid1->viewport(), Qt::LeftButton, {}, centro);
            QTest::mouseDClick(d->DBGrid1->viewport(), Qt::LeftButton, {}, centro);
        } else {
            d->BitBtn2->click();
        }
        if (d->isVisible())
            d->reject(); // the action did not close it
    });
    resultado = m_dialogo->result();

    QCOMPARE(r, aceptado);
    QCOMPARE(m_picker->valores(), valores);
    if (enEdicion)
        QCOMPARE(m_destino->fieldByName(u"COD_CONT"_s)->value(), escrito);
    else
        QVERIFY(m_destino->isEmpty());
    if (como == u"dobleclic"_s)
        QCOMPARE(resultado, int(QDialog::Rejected));
    QVERIFY(m_modulo->mensajes.isEmpty());
}

void TstCaptura::mensajesDeConfiguracion_data()
{
    QTest::addColumn<QStringList>("variables");
    QTest::addColumn<QStringList>("destino");
    QTest::addColumn<QStringList>("titulos");
    QTest::addColumn<QString>("mensaje");
    QTest::addColumn<QVariant>("codCont");
    QTest::addColumn<QStringList>("valores");

    const QStringList dosTitulos{u"Código"_s, u"Nombre"_s};
    QTest::newRow("second variable line blank: the first is written, line 2 is named")
        << QStringList{" cod_cont ", "  "} << QStringList{"COD_CONT", "COD_CUEN"} << dosTitulos
        << "[Error en VARIABLES][Linea (2) vacia ]" << QVariant(10) << QStringList{"10"};
    QTest::newRow("a variable that is no column of the query stops before any write")
        << QStringList{"cod_xxx"} << QStringList{"COD_CONT"} << dosTitulos
        << "[Error en VARIABLES][no existe variable <COD_XXX> en Query ]" << QVariant()
        << QStringList{"previo"};
    QTest::newRow("a blank destination line stops after the value is taken")
        << QStringList{"COD_CONT"} << QStringList{" "} << dosTitulos
        << "[Error en DESTINO][Linea (1) vacia ]" << QVariant() << QStringList{"10"};
    QTest::newRow("one title for two columns: message, the labels stay the names")
        << QStringList{"COD_CONT"} << QStringList{"COD_CONT"} << QStringList{"Código"}
        << "[Error en TITULOS][Falta definicion de titulos]" << QVariant(10) << QStringList{"10"};
}

void TstCaptura::mensajesDeConfiguracion()
{
    QFETCH(QStringList, variables);
    QFETCH(QStringList, destino);
    QFETCH(QStringList, titulos);
    QFETCH(QString, mensaje);
    QFETCH(QVariant, codCont);
    QFETCH(QStringList, valores);

    m_picker->setVariables(variables);
    m_picker->setDestino(destino);
    m_picker->setTitulos(titulos);
    m_picker->setValores({u"previo"_s});
    QString etiqueta;
    const bool r = ejecutar([&](TCaptura* d) {
        etiqueta = d->CdsTmp->field(0)->displayLabel();
        d->BitBtnAceptar->click();
    });

    QVERIFY(r);
    QVERIFY(!m_modulo->mensajes.isEmpty());
    QCOMPARE(m_modulo->mensajes.last(), mensaje);
    QCOMPARE(m_destino->fieldByName(u"COD_CONT"_s)->value(), codCont);
    QCOMPARE(m_picker->valores(), valores);
    QCOMPARE(etiqueta, titulos.size() == 2 ? titulos.first() : u"COD_CONT"_s);
}

void TstCaptura::tagDelDestinoDuranteLaEscritura()
{
    // The validation sees the write come from the picker; a refused value shows its
    // message and the tag comes back all the same.
    tavrel::Field* campo = m_destino->fieldByName(u"COD_CONT"_s);
    campo->setTag(5);
    int visto = -1;
    campo->OnValidate = [&](tavrel::Field& f) {
        visto = f.tag();
        throw tavrel::ModuleError(u"Contabilización no válida"_s);
    };
    const bool r = ejecutar([&](TCaptura* d) { d->BitBtnAceptar->click(); });

    QVERIFY(r);
    QCOMPARE(visto, 1005);
    QCOMPARE(campo->tag(), 5);
    QVERIFY(campo->isNull());
    QCOMPARE(m_modulo->mensajes, QStringList{"Contabilización no válida"});
}

void TstCaptura::lookUpField_data()
{
    QTest::addColumn<QString>("lookUpField");
    QTest::addColumn<QString>("lookUpValue");
    QTest::addColumn<QStringList>("mensajes");

    QTest::newRow("a column of the query gives its value")
        << " NOM_CONT" << u"SUELDO BÁSICO PERSONAL DE PLANTA"_s << QStringList{};
    QTest::newRow("no LookUpField empties the value") << "" << QString() << QStringList{};
    QTest::newRow("a missing column: error naming picker and field, the line is still written")
        << "NOM_XXX "
        << "antes"
        << QStringList{" Error de parametrización de componente [VPFieldCodCont] campo "
                       "LookUpField [NOM_XXX ] no encontrado en query de consulta "};
}

void TstCaptura::lookUpField()
{
    QFETCH(QString, lookUpField);
    QFETCH(QString, lookUpValue);
    QFETCH(QStringList, mensajes);

    m_picker->setLookUpField(lookUpField);
    m_picker->setLookUpValue(u"antes"_s);
    ejecutar([&](TCaptura* d) { d->BitBtnAceptar->click(); });

    QCOMPARE(m_picker->lookUpValue(), lookUpValue);
    QCOMPARE(m_modulo->mensajes, mensajes);
    QCOMPARE(m_destino->fieldByName(u"COD_CONT"_s)->asInteger(), 10);
}

void TstCaptura::tecladoMueveLaGrilla()
{
    // The picker's window: the edit it serves has the focus before the pick.
    QWidget ventana;
    auto* edicion = new QLineEdit(&ventana);
    m_picker->setBuddy(edicion);
    ventana.show();
    ventana.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&ventana));
    QStringList codigos;
    QWidget* foco = nullptr;
    ejecutar([&](TCaptura* d) {
        // The focus arrives once the dialog is active, which a loaded machine delays.
        (void)QTest::qWaitFor([d] { return d->focusWidget() == d->edtBusqueda; }, 5000);
        foco = d->focusWidget();
        tecla(d->edtBusqueda, Qt::Key_Down);
        tecla(d->edtBusqueda, Qt::Key_Down);
        codigos << codigoActual(d);
        tecla(d->edtBusqueda, Qt::Key_Up);
        codigos << codigoActual(d);
        tecla(d->edtBusqueda, Qt::Key_PageDown);
        codigos << codigoActual(d);
        tecla(d->edtBusqueda, Qt::Key_PageUp);
        codigos << codigoActual(d);
        // Typing while the grid has the focus goes on in the search box.
        d->CmbCampos->setCurrentIndex(1);
        d->DBGrid1->setFocus();
        typeText(d->DBGrid1, u"h"_s);
        codigos << codigoActual(d) << d->edtBusqueda->text();
        QTest::keyClick(d->edtBusqueda, Qt::Key_Enter);
    });

    QCOMPARE(foco, m_dialogo->edtBusqueda);
    QCOMPARE(codigos, (QStringList{"20", "11", "40", "10", "11", "h"}));
    QCOMPARE(m_destino->fieldByName(u"COD_CONT"_s)->asInteger(), 11);
    QTRY_COMPARE(QApplication::focusWidget(), edicion);
}

QTEST_MAIN(TstCaptura)
#include "tst_captura.moc"
