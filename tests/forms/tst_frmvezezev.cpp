// The maintenance window over a demo database: its creation, the locking of the key
// fields outside editing, the panel's keyboard order, the label links of a company
// change, the PDF, and the code pickers with the real data module and
// the lookup dialog: guards, lists and what a pick leaves in the relation row.

#include "DBEdit.h"
#include "DBLookupComboBox.h"
#include "DLLUFORM.h"
#include "DVeZezev.h"
#include "DataSetTableModel.h"
#include "DataSource.h"
#include "ErrorReporter.h"
#include "Field.h"
#include "ModuloDemo.h"
#include "ProgramLauncher.h"
#include "SClientDataSet.h"
#include "SessionGlobals.h"
#include "TTavrelDBgrid.h"
#include "TVInfoAyuda.h"
#include "TVNavegador.h"
#include "TVNotas.h"
#include "TVPField.h"
#include "TVSDBQbe.h"
#include "TVsCmbCodigo.h"
#include "TestHelpers.h"
#include "UVeZezev.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <poppler-qt6.h>

using namespace Qt::StringLiterals;

using tavrel::DataSetState;
using tavrel::DBEdit;

namespace {

const QColor Gris(0xE9, 0xE9, 0xE9);

const QString kMensajeCuenta =
    u"Debe seleccionar una contabilización antes de seleccionar la cuenta contable..."_s;

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
        typeText(d->edtBusqueda, nombre);
        d->BitBtnAceptar->click();
    }
};

} // namespace

class TstFrmVeZezev : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { TAVREL_SKIP_WITHOUT_POSTGRES(); }
    void init();
    void cleanup();

    void boundBeforeTheFirstCompanyChange();
    void keyFieldsLockedOutsideEditing_data();
    void keyFieldsLockedOutsideEditing();
    void tabOrderOfThePanel();
    void panelFollowsTheFieldsWhileEditing_data();
    void panelFollowsTheFieldsWhileEditing();
    void gridListsTheBudgetCodes_data();
    void gridListsTheBudgetCodes();
    void labelsOpenThePathsOfTheAnswer();
    void companyChange_data();
    void companyChange();
    void pdfShowsTheChosenCompany();
    void panelFitsWithoutOverlaps();
    void faltaLaContabilizacion_data();
    void faltaLaContabilizacion();
    void conceptoCuentaYGasto();
    void relacionadoSinTipoMuestraElErrorDelServidor();

private:
    void crear();
    // Runs the picker's click and returns whether the dialog opened.
    bool pulsar(TVPField* picker, std::function<void(TCaptura*)> accion = {});
    SClientDataSet* relacion() const { return DtmVeZezev->QryVeZEZev; }

    std::unique_ptr<ModuloDemo> m;
};

void TstFrmVeZezev::init()
{
    m = std::make_unique<ModuloDemo>();
    m->crearFormas();
}

void TstFrmVeZezev::cleanup()
{
    m.reset();
}

void TstFrmVeZezev::crear()
{
    FrmVeZezev->FormCreate();
    FrmVeZezev->show();
    FrmVeZezev->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(FrmVeZezev));
    Captura = m->app->create<TCaptura>();
}

void TstFrmVeZezev::boundBeforeTheFirstCompanyChange()
{
    // The framework's creation reads the user's companies before it chooses one.
    QStringList visto;
    m->prepararServidor = [&visto](ServidorDemo& espia) {
        espia.alAbrir = [&visto](const QString& provider) {
            if (provider != u"DtsPGnUempr" || !visto.isEmpty())
                return;
            // The columns already have their titles' widths.
            TTavrelDBgrid* grid = FrmVeZezev->DBGFrm;
            const QFontMetrics letras = grid->horizontalHeader()->fontMetrics();
            int angostas = 0;
            for (int c = 0; c < grid->model()->columnCount(); ++c) {
                const QString titulo = grid->model()->headerData(c, Qt::Horizontal).toString();
                angostas += !grid->isColumnHidden(c) &&
                            grid->columnWidth(c) < letras.horizontalAdvance(titulo) + 12;
            }
            visto << QString::number(angostas) << gStNombProg
                  << QString::number(FrmVeZezev->dtsFrm->dataSet() == DtmVeZezev->QryVeZEZev)
                  << QString::number(FrmVeZezev->DBGFrm->dataSource() == FrmVeZezev->dtsFrm)
                  << QString::number(FrmVeZezev->DBQbe1->dataSet() == DtmVeZezev->QryVeZEZev)
                  << gStCodiEmpr;
        };
    };
    gStCodiEmpr.clear();
    crear();
    QCOMPARE(visto, (QStringList{"0", "VVeZezev", "1", "1", "1", ""}));
    QVERIFY(relacion()->active());
    QCOMPARE(FrmVeZezev->DBGFrm->model()->rowCount(), relacion()->recordCount());
}

void TstFrmVeZezev::keyFieldsLockedOutsideEditing_data()
{
    QTest::addColumn<QString>("pasos"); // i insert, c cancel
    QTest::addColumn<bool>("editable");

    QTest::newRow("browsing after the company opened the relation: locked") << "" << false;
    QTest::newRow("insert: codes can be typed and picked") << "i" << true;
    QTest::newRow("cancel of the insert: locked again") << "ic" << false;
}

void TstFrmVeZezev::keyFieldsLockedOutsideEditing()
{
    QFETCH(QString, pasos);
    QFETCH(bool, editable);

    crear();
    TFrmVeZezev* f = FrmVeZezev;
    QCOMPARE(relacion()->state(), DataSetState::Browse);
    relacion()->last();
    for (QChar paso : pasos)
        paso == u'i' ? relacion()->insert() : relacion()->cancel();
    QVERIFY(m->mensajes.isEmpty());

    const QColor color = editable ? QGuiApplication::palette().color(QPalette::Base) : Gris;
    for (int columna : {0, 2, 4}) {
        QCOMPARE(f->DBGFrm->dataModel()->columnColor(columna), color);
        QCOMPARE(f->DBGFrm->dataModel()->columnReadOnly(columna), !editable);
    }
    // The names beside the codes never change.
    for (int columna : {1, 3, 5}) {
        QCOMPARE(f->DBGFrm->dataModel()->columnColor(columna), Gris);
        QVERIFY(f->DBGFrm->dataModel()->columnReadOnly(columna));
    }
    for (DBEdit* codigo : {f->DBEdtCodCont, f->DBECamRela, f->DBEdtCodCuen}) {
        QCOMPARE(codigo->color(), color);
        QCOMPARE(codigo->isReadOnly(), !editable);
    }
    for (DBEdit* nombre : {f->DBEDtfNmbCont, f->DBEDtfNmbCamRela, f->DBEDtfNmbCuen}) {
        QCOMPARE(nombre->color(), color);
        QVERIFY(!nombre->isReadOnly());
    }
    for (TVPField* selector : {f->VPFieldCodCont, f->VPFCamRela, f->VPFieldCodCuen})
        QCOMPARE(selector->isEnabled(), editable);
}

void TstFrmVeZezev::tabOrderOfThePanel()
{
    crear();
    TFrmVeZezev* f = FrmVeZezev;
    relacion()->insert();
    // The account edit is entered only once the row has a concept.
    relacion()->fieldByName(u"COD_CONT"_s)->setValue(10);
    f->DBEdtCodCont->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), f->DBEdtCodCont);

    // The names beside the codes and the disabled balance are passed over.
    const QList<QWidget*> esperado{f->DBECamRela,        f->DBEdtCodCuen,      f->DBLookupComboBox1,
                                   f->DBLookupComboBox2, f->DBLookupComboBox3, f->DBEdtDepAPac,
                                   f->DBEdtValTota,      f->DBEdtValCaus};
    for (QWidget* siguiente : esperado) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), siguiente->objectName());
    }
    QVERIFY(QApplication::focusWidget() != f->DBEdtValSald);
}

void TstFrmVeZezev::panelFollowsTheFieldsWhileEditing_data()
{
    QTest::addColumn<bool>("insertar");
    QTest::newRow("insert") << true;
    QTest::newRow("edit of the first row") << false;
}

void TstFrmVeZezev::panelFollowsTheFieldsWhileEditing()
{
    QFETCH(bool, insertar);
    crear();
    TFrmVeZezev* f = FrmVeZezev;
    relacion()->first();
    if (insertar)
        relacion()->insert();
    else
        relacion()->edit();
    const auto escribir = [](DBEdit* edicion, const QString& texto) {
        edicion->setFocus();
        edicion->selectAll();
        QTest::keyClicks(edicion, texto);
        QTest::keyClick(edicion, Qt::Key_Tab);
    };
    // The names are looked up as soon as the code is in the row, not once it is posted.
    escribir(f->DBEdtCodCont, u"11"_s);
    QCOMPARE(f->DBEDtfNmbCont->text(), u"HORAS EXTRAS Y RECARGOS"_s);
    escribir(f->DBEdtCodCuen, u"51010301"_s);
    QCOMPARE(f->DBEDtfNmbCuen->text(), u"HORAS EXTRAS Y FESTIVOS"_s);
    // Typed plain, shown formatted once the focus has left.
    escribir(f->DBEdtValTota, u"2000000"_s);
    QCOMPARE(f->DBEdtValTota->text(), u"2.000.000,00"_s);
    escribir(f->DBEdtValCaus, u"500000"_s);
    QCOMPARE(f->DBEdtValSald->text(), u"1.500.000,00"_s);
    QCOMPARE(relacion()->state(), insertar ? DataSetState::Insert : DataSetState::Edit);
    QVERIFY2(m->mensajes.isEmpty(), qPrintable(m->mensajes.join(u'|')));
}

void TstFrmVeZezev::gridListsTheBudgetCodes_data()
{
    // The row without concept holds source 02, resource 15 and situation 02.
    QTest::addColumn<int>("columna");
    QTest::addColumn<QKeyCombination>("abrir");
    QTest::addColumn<int>("mover"); // rows down the list (up when negative)
    QTest::addColumn<QVariant>("codigo");
    QTest::addColumn<QString>("nombre");

    QTest::newRow("funding source: F4, one up, 01")
        << 6 << QKeyCombination(Qt::Key_F4) << -1 << QVariant(u"01"_s) << "Nación";
    QTest::newRow("budget resource: from Donaciones 15 to the other Donaciones, 25")
        << 7 << QKeyCombination(Qt::AltModifier, Qt::Key_Down) << 10 << QVariant(25)
        << "Donaciones";
    QTest::newRow("funds situation: F4, one up, 01")
        << 8 << QKeyCombination(Qt::Key_F4) << -1 << QVariant(u"01"_s) << "CSF";
}

void TstFrmVeZezev::gridListsTheBudgetCodes()
{
    QFETCH(int, columna);
    QFETCH(QKeyCombination, abrir);
    QFETCH(int, mover);
    QFETCH(QVariant, codigo);
    QFETCH(QString, nombre);
    crear();
    TTavrelDBgrid* grid = FrmVeZezev->DBGFrm;
    QVERIFY(relacion()->locate(u"COD_PRES"_s, {15}));
    const int fila = relacion()->recNo() - 1;
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(fila, columna));
    QTest::keyClick(grid, abrir.key(), abrir.keyboardModifiers());
    auto* lista = grid->findChild<QComboBox*>();
    QVERIFY(lista && lista->view()->isVisible());
    for (int i = 0; i < std::abs(mover); ++i)
        QTest::keyClick(lista->view(), mover > 0 ? Qt::Key_Down : Qt::Key_Up);
    QTest::keyClick(lista->view(), Qt::Key_Return);

    const QString clave = grid->dataModel()->columnField(columna)->keyField();
    QCOMPARE(relacion()->state(), DataSetState::Edit);
    QCOMPARE(relacion()->fieldByName(clave)->value(), codigo);
    QCOMPARE(grid->model()->index(fila, columna).data().toString(), nombre);
    QVERIFY2(m->mensajes.isEmpty(), qPrintable(m->mensajes.join(u'|')));
}

void TstFrmVeZezev::labelsOpenThePathsOfTheAnswer()
{
    QVariantList enviados;
    m->prepararServidor = [&enviados](ServidorDemo& espia) {
        espia.responder = [&enviados](const QString& metodo, QVariantList& args) {
            if (metodo == u"BuscarPathProgramaArreglo")
                enviados = args;
            return false;
        };
    };
    const QList<tavrel::ProgramRequest>& pedidos = m->programas;
    crear();

    QCOMPARE(enviados.size(), 5);
    QCOMPARE(enviados[0].toList().value(0).toString(), u"\"VNmNccon\",\"VNmNcmco\""_s);
    QCOMPARE(enviados[1].toString(), u"JPEREZ Tavrel2026 1A"_s);
    QCOMPARE(enviados[2].toString(), u"A"_s);
    QCOMPARE(enviados[3].toString(), u"JPEREZ"_s);

    // Only the concept's label carries the row's key.
    QTest::mouseClick(FrmVeZezev->LblCodCuen, Qt::LeftButton);
    QCOMPARE(pedidos.size(), 1);
    QVERIFY(pedidos[0].keyField.isEmpty());
    QVERIFY(m->mensajes.isEmpty());
}

void TstFrmVeZezev::companyChange_data()
{
    QTest::addColumn<bool>("falla"); // the paths of the change fail on the server
    QTest::addColumn<QString>("digiDian");

    QTest::newRow("company 2 has no V0000017 of its own: N") << false << "N";
    QTest::newRow("the paths fail on the server: company 1's flag and links stay") << true << "S";
}

void TstFrmVeZezev::companyChange()
{
    QFETCH(bool, falla);
    QFETCH(QString, digiDian);

    const QString metodo = u"BuscarPathProgramaArreglo"_s;
    crear();
    QCOMPARE(DtmVeZezev->gStDigiDian, u"S"_s);
    if (falla)
        m->servidor->metodoQueFalla = metodo;

    TVsCmbCodigo* empresas = FrmVeZezev->cmbEmpresa;
    QVERIFY(empresas->seleccionarCodigo(u"2"_s));
    emit empresas->activated(empresas->currentIndex());

    QCOMPARE(m->mensajes,
             falla ? QStringList{"el servidor no responde a " + metodo} : QStringList());
    QCOMPARE(gStCodiEmpr, u"2"_s);
    QCOMPARE(DtmVeZezev->gStDigiDian, digiDian);
    QCOMPARE(FrmVeZezev->VInfoAyuda->pathOf(FrmVeZezev->LblCodCont), u"nomina/VNmNccon"_s);
    QCOMPARE(FrmVeZezev->VInfoAyuda->pathOf(FrmVeZezev->LblCodCuen), u"nomina/VNmNcmco"_s);
}

void TstFrmVeZezev::pdfShowsTheChosenCompany()
{
    // Company 2 is not the first of the company list: the header is still its own, in
    // the exported file and on the data module's printer (a PDF file here).
    crear();
    TVsCmbCodigo* empresas = FrmVeZezev->cmbEmpresa;
    QVERIFY(empresas->seleccionarCodigo(u"2"_s));
    emit empresas->activated(empresas->currentIndex());
    QTemporaryDir dir;
    const QStringList archivos{dir.filePath(u"exportado.pdf"_s), dir.filePath(u"impreso.pdf"_s)};
    FrmVeZezev->ExportarPdf(archivos[0]);
    DtmVeZezev->Impresora().setOutputFormat(QPrinter::PdfFormat);
    DtmVeZezev->Impresora().setOutputFileName(archivos[1]);
    FrmVeZezev->spbReporte->click();

    QStringList esperados{u"Nómina - Relación Rubros SIIF2"_s};
    for (const char* columna : {"NOM_EMPR", "NIT_EMPR"})
        esperados << m->db
                         ->queryValue(u"SELECT %1 FROM GN_EMPRE WHERE COD_EMPR = 2"_s.arg(
                             QLatin1String(columna)))
                         .toString();
    for (const QString& archivo : archivos) {
        const auto pdf = Poppler::Document::load(archivo);
        QVERIFY2(pdf, qPrintable(archivo));
        const QString texto = pdf->page(0)->text(QRectF()).simplified();
        for (const QString& esperado : esperados)
            QVERIFY2(texto.contains(esperado), qPrintable(esperado + u" / "_s + texto));
    }
    QVERIFY(m->mensajes.isEmpty());
}

void TstFrmVeZezev::panelFitsWithoutOverlaps()
{
    crear();

    // Every control of the edit panel is in view and on its own; a code edit and the
    // name beside it may share their one-pixel border.
    const QList<QWidget*> controles =
        FrmVeZezev->panel()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    const QRect vista = FrmVeZezev->ScBFrm->viewport()->rect();
    for (QWidget* a : controles) {
        QVERIFY2(vista.contains(a->geometry()), qPrintable(a->objectName()));
        if (auto* etiqueta = qobject_cast<QLabel*>(a))
            QVERIFY2(etiqueta->width() >= etiqueta->sizeHint().width(),
                     qPrintable(etiqueta->text()));
        for (QWidget* b : controles) {
            const QRect comun = a->geometry() & b->geometry();
            QVERIFY2(a == b || comun.isEmpty() || comun.width() <= 1,
                     qPrintable(a->objectName() + u' ' + b->objectName()));
        }
    }
    // The grid shows several rows and its titles whole.
    TTavrelDBgrid* grid = FrmVeZezev->DBGFrm;
    const QFontMetrics letras(grid->horizontalHeader()->font());
    for (int c = 0; c < grid->model()->columnCount(); ++c) {
        const QString titulo = grid->model()->headerData(c, Qt::Horizontal).toString();
        QVERIFY2(grid->isColumnHidden(c) ||
                     letras.horizontalAdvance(titulo) + 8 <= grid->columnWidth(c),
                 qPrintable(titulo));
    }
    QVERIFY(FrmVeZezev->DBGFrm->height() >
            4 * FrmVeZezev->DBGFrm->verticalHeader()->defaultSectionSize());
}

bool TstFrmVeZezev::pulsar(TVPField* picker, std::function<void(TCaptura*)> accion)
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

void TstFrmVeZezev::faltaLaContabilizacion_data()
{
    QTest::addColumn<QString>("como");
    QTest::addColumn<QString>("mensaje");
    QTest::addColumn<bool>("focoAlConcepto");
    QTest::addColumn<bool>("insertar"); // otherwise browsing, where no picker opens

    QTest::newRow("browsing: the concept picker neither opens nor says anything")
        << "VPFieldCodCont" << QString() << false << false;
    QTest::newRow("browsing: nor does the account picker")
        << "VPFieldCodCuen" << QString() << false << false;
    QTest::newRow("account picker: focus to the concept edit, account message")
        << "VPFieldCodCuen" << kMensajeCuenta << true << true;
    QTest::newRow("related picker: its own message, the focus stays")
        << "VPFCamRela"
        << "Se Tiene que Asignar Primero la Contabilización." << false << true;
    QTest::newRow("entering the account edit sends the focus back")
        << "DBEdtCodCuen" << kMensajeCuenta << true << true;
}

void TstFrmVeZezev::faltaLaContabilizacion()
{
    crear();
    QFETCH(QString, como);
    QFETCH(QString, mensaje);
    QFETCH(bool, focoAlConcepto);
    QFETCH(bool, insertar);

    TFrmVeZezev* f = FrmVeZezev;
    insertar ? relacion()->insert() : relacion()->first();
    f->DBLookupComboBox1->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f->DBLookupComboBox1));
    if (como == u"DBEdtCodCuen"_s) {
        f->DBEdtCodCuen->setFocus();
    } else {
        auto* picker = f->findChild<TVPField*>(como);
        const QStringList antes = picker->sql();
        QVERIFY(!pulsar(picker));
        if (!insertar)
            QCOMPARE(picker->sql(), antes);
    }
    QTRY_COMPARE(m->mensajes, mensaje.isEmpty() ? QStringList() : QStringList{mensaje});
    QWidget* esperado = focoAlConcepto ? static_cast<QWidget*>(f->DBEdtCodCont)
                                       : static_cast<QWidget*>(f->DBLookupComboBox1);
    QTRY_COMPARE(QApplication::focusWidget(), esperado);
    QCOMPARE(relacion()->state(), insertar ? DataSetState::Insert : DataSetState::Browse);
}

void TstFrmVeZezev::conceptoCuentaYGasto()
{
    crear();
    TFrmVeZezev* f = FrmVeZezev;
    relacion()->insert();

    // The window's own picker settings carry the codes into the row.
    Eleccion concepto{u"ap"_s};
    QVERIFY(pulsar(f->VPFieldCodCont, std::ref(concepto)));
    QCOMPARE(concepto.filas, 5);
    QVERIFY2(m->mensajes.isEmpty(), qPrintable(m->mensajes.join(u'|')));
    QCOMPARE(relacion()->fieldByName(u"COD_CONT"_s)->asInteger(), 40);
    QCOMPARE(f->DBEDtfNmbCont->text(), u"APORTES PATRONALES A SALUD"_s);
    // The concept's kind is configured: the related picker now lists expenses.
    QCOMPARE(DtmVeZezev->gStCamRela, u"cod_gast"_s);

    QCOMPARE(f->VPFCamRela->variables(), QStringList{u"cod_gast"_s});
    Eleccion gasto{u"contri"_s};
    QVERIFY(pulsar(f->VPFCamRela, std::ref(gasto)));
    QCOMPARE(f->VPFCamRela->sql(),
             (QStringList{"select cod_gast, nom_gast", "from nm_gacon", "where cod_empr = 1"}));
    QCOMPARE(gasto.columnas, (QStringList{"COD_GAST", "NOM_GAST"}));
    QCOMPARE(gasto.filas, 3);
    QCOMPARE(relacion()->fieldByName(u"COD_CCOS"_s)->asInteger(), 2);

    Eleccion cuenta{u"aportes a adm"_s};
    QVERIFY(pulsar(f->VPFieldCodCuen, std::ref(cuenta)));
    QCOMPARE(cuenta.filas, 2);
    QVERIFY2(cuenta.sql.contains(u"WHERE (COD_EMPR = 1) AND  (COD_CONT = 40)"_s),
             qPrintable(cuenta.sql));
    QCOMPARE(relacion()->fieldByName(u"COD_CUEN"_s)->asString(), u"51030202"_s);
    QCOMPARE(f->DBEDtfNmbCuen->text(), u"APORTES A ADMINISTRADORAS DE RIESGOS LABORALES"_s);
    QVERIFY2(m->mensajes.isEmpty(), qPrintable(m->mensajes.join(u'|')));
}

void TstFrmVeZezev::relacionadoSinTipoMuestraElErrorDelServidor()
{
    crear();
    relacion()->first();
    while (relacion()->fieldByName(u"COD_CONT"_s)->isNull() && !relacion()->eof())
        relacion()->next();
    QVERIFY(!relacion()->fieldByName(u"COD_CONT"_s)->isNull());
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

QTEST_MAIN(TstFrmVeZezev)
#include "tst_frmvezezev.moc"
