// The calls a desk of the relation window makes to its server for each thing a user
// does, counted at the connection the host hands over (through the network server each
// is one round trip), on a company with more rows than a screen; and the names beside
// the rows, read from lists, against what the server has.

#include "DVeZezev.h"
#include "DemoData.h"
#include "Field.h"
#include "ModuloDemo.h"
#include "SClientDataSet.h"
#include "TTavrelDBgrid.h"
#include "TVNavegador.h"
#include "TestDatabase.h"
#include "UVeZezev.h"

#include <QScrollBar>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const int Empresa = 11; // the first generated company
const int FilasPorEmpresa = 60;

} // namespace

class TstLlamadas : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup() { m.reset(); }

    void cadaAccionCuestaPocasLlamadas_data();
    void cadaAccionCuestaPocasLlamadas();
    void nombreCambiadoApareceAlRefrescar();

private:
    // The calls made since `desde`, for the failure message.
    QString llamadas(int desde) const { return m->servidor->llamadas.mid(desde).join(u", "_s); }
    void pintar() { QVERIFY(!FrmVeZezev->grab().isNull()); }

    std::unique_ptr<ModuloDemo> m;
};

void TstLlamadas::initTestCase()
{
    TAVREL_SKIP_WITHOUT_POSTGRES();
}

void TstLlamadas::init()
{
    m = std::make_unique<ModuloDemo>(u"JPEREZ"_s, u"Tavrel2026"_s, QString::number(Empresa));
    tavrel::DemoData::generate(m->db->database(), 5 * FilasPorEmpresa, 1);
    m->db->disconnect();
    m->crearFormas();
    FrmVeZezev->resize(1000, 700);
    FrmVeZezev->show();
}

void TstLlamadas::cadaAccionCuestaPocasLlamadas_data()
{
    QTest::addColumn<QString>("accion");
    QTest::addColumn<int>("maximo");

    // The login check with both company lists, the relation, the concept and account
    // name lists, the related codes' list, the linked programs' paths with the company's
    // country, and the country's flag.
    QTest::newRow("open the window up to the first painted screen") << "abrir" << 6;
    // The rows are all in the desk; their names come from the lists read at the open.
    QTest::newRow("scroll the grid one screen down") << "bajar" << 1;
    // The server's time for the stamp and the row itself; the names come from the lists.
    QTest::newRow("post one edited row") << "grabar" << 2;
    // The server's time with the period setting, and the update with its clean-up.
    QTest::newRow("caused-value run") << "causado" << 3;
}

void TstLlamadas::cadaAccionCuestaPocasLlamadas()
{
    QFETCH(QString, accion);
    QFETCH(int, maximo);

    int desde = 0;
    if (accion != u"abrir") {
        FrmVeZezev->FormCreate();
        pintar();
        desde = int(m->servidor->llamadas.size());
    }
    SClientDataSet* relacion = DtmVeZezev->QryVeZEZev;
    if (accion == u"abrir") {
        FrmVeZezev->FormCreate();
        pintar();
    } else if (accion == u"bajar") {
        QScrollBar* barra = FrmVeZezev->DBGFrm->verticalScrollBar();
        const int primera = barra->value();
        barra->triggerAction(QAbstractSlider::SliderPageStepAdd);
        pintar();
        QVERIFY(barra->value() >= primera + 10);
    } else if (accion == u"grabar") {
        relacion->edit();
        tavrel::Field* total = relacion->fieldByName(u"VAL_TOTA"_s);
        total->setValue(total->asFloat() + 1);
        relacion->post();
        pintar();
    } else {
        FrmVeZezev->ActualizarCausado();
    }
    QVERIFY(m->mensajes.isEmpty());
    QCOMPARE(relacion->recordCount(), FilasPorEmpresa);
    const int hechas = int(m->servidor->llamadas.size()) - desde;
    qInfo("%s: %d calls: %s", qPrintable(accion), hechas, qPrintable(llamadas(desde)));
    QVERIFY2(hechas <= maximo, qPrintable(llamadas(desde)));
    if (accion == u"abrir") {
        // The relation's own read goes through the session's connection too.
        QVERIFY(m->servidor->llamadas.contains(u"open DtsPVeZEZev"_s));
        // A network session's login has checked the password: the window does not ask
        // for it again (a password check costs far more than a round trip).
        QCOMPARE(llamadas(desde).contains(u"ValidarUsuario"_s),
                 !tavrel::test::TestDatabase::isRemote());
    }
}

void TstLlamadas::nombreCambiadoApareceAlRefrescar()
{
    FrmVeZezev->FormCreate();
    pintar();
    SClientDataSet* relacion = DtmVeZezev->QryVeZEZev;
    relacion->first();
    const int concepto = relacion->fieldByName(u"COD_CONT"_s)->asInteger();
    const QString antes = relacion->fieldByName(u"DtfNmbCont"_s)->asString();
    QVERIFY(!antes.isEmpty());
    m->db->exec(u"UPDATE NM_NCCON SET NOM_CONT = 'CAMBIADO EN EL SERVIDOR' "
                "WHERE COD_EMPR = :E AND COD_CONT = :C"_s,
                {Empresa, concepto});
    m->db->disconnect();

    // Moving through the rows shows the names read with them.
    relacion->last();
    relacion->first();
    pintar();
    QCOMPARE(relacion->fieldByName(u"DtfNmbCont"_s)->asString(), antes);

    FrmVeZezev->VNvgdrFrm->btnClick(TVNavegador::Refresh);
    relacion->first();
    QCOMPARE(relacion->fieldByName(u"DtfNmbCont"_s)->asString(), u"CAMBIADO EN EL SERVIDOR"_s);
    QVERIFY(m->mensajes.isEmpty());

    // A concept the user types is checked against the server, not against the list.
    m->db->exec(u"INSERT INTO NM_NCCON (COD_EMPR, COD_CONT, NOM_CONT, CAM_RELA) "
                "VALUES (:E, 999, 'NUEVO EN EL SERVIDOR', 'COD_CCOS')"_s,
                {Empresa});
    m->db->disconnect();
    relacion->edit();
    relacion->fieldByName(u"COD_CONT"_s)->setValue(999);
    QCOMPARE(relacion->fieldByName(u"COD_CONT"_s)->asInteger(), 999);
    relacion->cancel();
}

QTEST_MAIN(TstLlamadas)
#include "tst_llamadas.moc"
