#include "ModuleEntries.h"

#include "DeskConnection.h"
#include "ModuleApplication.h"
#include "ModuleError.h"
#include "SessionGlobals.h"
#include "TestDatabase.h"
#include "Thrown.h"

#include <QApplication>
#include <QLoggingCategory>
#include <QTest>
#include <QWidget>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

QStringList gLifecycle;
QtMessageHandler gPreviousHandler = nullptr;

void captureLifecycle(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (qstrcmp(context.category, "tavrel.module.lifecycle") == 0) {
        gLifecycle << text;
    } else {
        gPreviousHandler(type, context, text);
    }
}

const char16_t* w(const QString& text)
{
    return reinterpret_cast<const char16_t*>(text.utf16());
}

QWidget* topLevel(const char* name)
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String(name)) {
            return widget;
        }
    }
    return nullptr;
}

QStringList sessionGlobals()
{
    return {gStProtocolo, gStAliasCnx, gStParSrv,         gStParUsu,      gStParPas,
            gStParEmp,    gStParHpv,   gStVersionCliente, gStFechaCliente};
}

const QStringList PreviousList{"lista de la carga anterior"};

} // namespace

class TstEntryPoints : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void sessionReachesGlobals_data();
    void sessionReachesGlobals();
    void blankHostTextKeepsTheList_data();
    void blankHostTextKeepsTheList();
    void clientVersionAndDate_data();
    void clientVersionAndDate();
    void formsLiveFromLoadToUnload();
    void resizeReachesOnlyALiveForm();
    void cambiarTamanoWRejectsNonIntegers_data();
    void cambiarTamanoWRejectsNonIntegers();
    void identityEntries();

private:
    quintptr loadW(const QString& hpv, const QString& versionFecha = "3.1.0;20/03/2018")
    {
        return m_module.loadW(0x5A17, w(m_db->protocol()), u"demo", w(m_db->server()), u"JPEREZ",
                              u"Tavrel2026", u"1", w(hpv), w(versionFecha));
    }

    ModuleEntries m_module;
    // The demo database the window logs into; the tests only read it.
    std::unique_ptr<tavrel::test::TestDatabase> m_db;
    const tavrel::SessionServices::Scope m_host{{.connectServer = tavrel::test::deskConnection()}};
};

void TstEntryPoints::initTestCase()
{
    TAVREL_SKIP_WITHOUT_POSTGRES();
    const QString error = m_module.open(QCoreApplication::applicationDirPath());
    QVERIFY2(error.isEmpty(), qPrintable(error));
    m_db = std::make_unique<tavrel::test::TestDatabase>();
    QLoggingCategory::setFilterRules(u"tavrel.module.lifecycle.debug=true"_s);
    gPreviousHandler = qInstallMessageHandler(captureLifecycle);
}

void TstEntryPoints::init()
{
    gLifecycle.clear();
    gSlParams = std::make_unique<QStringList>(PreviousList);
}

void TstEntryPoints::cleanup()
{
    m_module.unload();
}

void TstEntryPoints::sessionReachesGlobals_data()
{
    QTest::addColumn<int>("entry"); // 0 wide texts, 1 COM strings, 2 null pointers
    QTest::addColumn<QString>("alias");

    QTest::newRow("wide texts, each into its own global") << 0 << "demo";
    QTest::newRow("COM strings are read to their counted length")
        << 1 << QString::fromUtf16(u"de\0mo", 5);
    // A network session cannot leave its protocol out: an empty one is "local".
    QTest::newRow("null wide texts are empty, a network session names its protocol") << 2 << "";
}

void TstEntryPoints::sessionReachesGlobals()
{
    QFETCH(int, entry);
    QFETCH(QString, alias);

    // Every argument is distinct, so a swapped pair shows. The window logs in, so the
    // server, user and password are never null; company 7 is not the user's and the
    // first of hers is taken. The module never releases a list it handed out: whoever
    // kept it still reads it.
    const QStringList* previous = gSlParams.get();
    const QString protocol = m_db->protocol(), url = m_db->server();
    const QString named = protocol == u"local" ? QString() : protocol; // even when null
    const QStringList args{protocol,     alias, url,       "JPEREZ",
                           "Tavrel2026", "7",   "abc AND", "3.1.0;20/03/2018"};
    if (entry == 1) {
        BSTR b[8];
        for (int i = 0; i < 8; ++i) {
            b[i] = tavrel::toBstr(args[i]);
        }
        m_module.load(0x5A17, b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7]);
        std::for_each(b, b + 8, SysFreeString);
    } else {
        const auto arg = [&](int i) {
            return entry == 0 || (i >= 2 && i <= 4) || (i == 0 && !named.isEmpty()) ? w(args[i])
                                                                                    : nullptr;
        };
        m_module.loadW(0x5A17, arg(0), arg(1), arg(2), arg(3), arg(4), arg(5), arg(6), arg(7));
    }

    const QStringList expected =
        entry == 2 ? QStringList{named, "", url, "JPEREZ", "Tavrel2026", "", "", "", ""}
                   : QStringList{protocol, alias, url,     "JPEREZ",    "Tavrel2026",
                                 "7",      "AND", "3.1.0", "20/03/2018"};
    QCOMPARE(sessionGlobals(), expected);
    QCOMPARE(*gSlParams, entry == 2 ? PreviousList : QStringList({"abc", "AND"}));
    QCOMPARE(*previous, PreviousList);
    QCOMPARE(gHandleTareas, quintptr(0x5A17));
    QCOMPARE(tavrel::ModuleApplication::instance()->hostWindow(), quintptr(0x5A17));

    m_module.unload(); // the session stays until the next load
    QCOMPARE(sessionGlobals(), expected);
}

void TstEntryPoints::blankHostTextKeepsTheList_data()
{
    QTest::addColumn<QString>("hpv");
    QTest::newRow("blanks only") << "   ";
    QTest::newRow("codes below 32 count as blanks") << QString::fromUtf16(u"\t\u0001 ");
}

void TstEntryPoints::blankHostTextKeepsTheList()
{
    QFETCH(QString, hpv);
    loadW(hpv);
    QCOMPARE(*gSlParams, PreviousList);
    QCOMPARE(gStParHpv, hpv);
}

void TstEntryPoints::clientVersionAndDate_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QStringList>("versionAndDate");

    QTest::newRow("no semicolon: empty date") << "3.1.0" << QStringList{"3.1.0", ""};
    QTest::newRow("nothing after the semicolon: empty date")
        << "3.1.0;" << QStringList{"3.1.0", ""};
    QTest::newRow("split at the first semicolon only")
        << "3.1;20/03/2018;x" << QStringList{"3.1", "20/03/2018;x"};
}

void TstEntryPoints::clientVersionAndDate()
{
    QFETCH(QString, argument);
    QFETCH(QStringList, versionAndDate);

    loadW("abc", argument);
    QCOMPARE((QStringList{gStVersionCliente, gStFechaCliente}), versionAndDate);
}

void TstEntryPoints::formsLiveFromLoadToUnload()
{
    m_module.unload(); // before any load: nothing to free
    const quintptr handle = loadW("");
    QCOMPARE(gLifecycle, (QStringList{"created DtmVeZezev", "created FrmVeZezev",
                                      "created RptVeZEZev", "created Captura"}));
    QVERIFY(topLevel("FrmVeZezev"));
    QCOMPARE(handle, quintptr(topLevel("FrmVeZezev")->winId()));

    gLifecycle.clear();
    m_module.unload();
    m_module.unload(); // a second unload finds nothing
    QCOMPARE(gLifecycle,
             (QStringList{"destroyed Captura", "destroyed RptVeZEZev", "closed FrmVeZezev",
                          "destroyed FrmVeZezev", "destroyed DtmVeZezev"}));
    QVERIFY(!topLevel("FrmVeZezev") && !topLevel("RptVeZEZev") && !topLevel("Captura"));
    QCOMPARE(tavrel::ModuleApplication::instance(), nullptr);
}

void TstEntryPoints::resizeReachesOnlyALiveForm()
{
    // Without a form (before the load, after the unload) the entries do nothing;
    // ASan reports any access to a freed form.
    m_module.cambiarTamano(400, 300);
    loadW("");
    m_module.unload();
    m_module.cambiarAltura(300);
    m_module.cambiarTamanoW(u"400", u"300");

    loadW("");
    QWidget* form = topLevel("FrmVeZezev");
    const int width = form->width();
    m_module.cambiarAltura(333);
    QCOMPARE(form->size(), QSize(width, 333));
    m_module.cambiarTamano(640, 480);
    QCOMPARE(form->size(), QSize(640, 480));
    m_module.cambiarTamanoW(u"+700", u"500");
    QCOMPARE(form->size(), QSize(700, 500));
}

void TstEntryPoints::cambiarTamanoWRejectsNonIntegers_data()
{
    QTest::addColumn<QStringList>("anchoAlto"); // the message names the first wrong one

    QTest::newRow("letters after digits") << QStringList{"12a", "300"};
    QTest::newRow("wrong height: the valid width is not applied either")
        << QStringList{"640", "4.5"};
    QTest::newRow("hexadecimal is not decimal") << QStringList{"0x10", "300"};
    QTest::newRow("beyond 32 bits") << QStringList{"640", "2147483648"};
    QTest::newRow("empty text") << QStringList{"", "300"};
}

void TstEntryPoints::cambiarTamanoWRejectsNonIntegers()
{
    QFETCH(QStringList, anchoAlto);
    const QString ancho = anchoAlto[0], alto = anchoAlto[1];
    const QString wrong = ancho == u"640" ? alto : ancho;

    loadW("");
    const QSize before = topLevel("FrmVeZezev")->size();
    const auto error = thrownBy([&] { m_module.cambiarTamanoW(w(ancho), w(alto)); });
    QVERIFY(error && error->kind() == tavrel::ModuleError::Kind::Conversion);
    QCOMPARE(error->message(), QString("'%1' no es un valor entero válido").arg(wrong));
    QCOMPARE(topLevel("FrmVeZezev")->size(), before);
}

void TstEntryPoints::identityEntries()
{
    // After an unload, as a host asks again when it reopens the module.
    loadW("");
    m_module.unload();
    const std::tuple<GetServerTextFn, GetServerTextWFn, const char*> entries[] = {
        {m_module.guidNet, m_module.guidNetW, "{CF2C242B-B879-4297-A1A0-047B76BAD2F0}"},
        {m_module.nameNet, m_module.nameNetW, "VVeZezevBD.VVeZezev"},
        {m_module.publicToken, m_module.publicTokenW, "5c81f0d94e27b316"},
    };
    for (const auto& [com, wide, expected] : entries) {
        BSTR result = tavrel::toBstr("valor anterior"); // the entry must free it
        com(&result);
        QCOMPARE(tavrel::fromBstr(result), QString(expected));
        SysFreeString(result);

        const char16_t* pointer = nullptr;
        const char16_t* returned = wide(&pointer);
        QCOMPARE(returned, pointer);
        QCOMPARE(QString::fromUtf16(pointer), QString(expected));
    }
}

QTEST_MAIN(TstEntryPoints)
#include "tst_entrypoints.moc"
