#include "ModuleEntries.h"

#include "ModuleApplication.h"
#include "ModuleError.h"
#include "SessionGlobals.h"

#include <QApplication>
#include <QLoggingCategory>
#include <QTest>
#include <QWidget>

#include <optional>

namespace {

QStringList gLifecycle;
QtMessageHandler gPreviousHandler = nullptr;

void captureLifecycle(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (context.category && qstrcmp(context.category, "tavrel.module.lifecycle") == 0) {
        gLifecycle << text;
        return;
    }
    gPreviousHandler(type, context, text);
}

const char16_t* w(const QString& text)
{
    return reinterpret_cast<const char16_t*>(text.utf16());
}

struct OwnedBstr
{
    BSTR text;
    explicit OwnedBstr(const QString& value) : text(tavrel::toBstr(value)) {}
    ~OwnedBstr() { SysFreeString(text); }
};

QWidget* topLevel(const QString& name)
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == name) {
            return widget;
        }
    }
    return nullptr;
}

const QStringList PreviousList{"lista de la carga anterior"};

} // namespace

class TstEntryPoints : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void sessionReachesGlobals_data();
    void sessionReachesGlobals();
    void nullWideTextsAreEmpty();
    void hostParameters_data();
    void hostParameters();
    void clientVersionAndDate_data();
    void clientVersionAndDate();
    void formsCreatedAndFreedInOrder();
    void loadReturnsMaintenanceWindow();
    void unloadWithoutLoadDoesNothing();
    void resizeWithoutFormIsIgnored();
    void resizeChangesMaintenanceForm();
    void cambiarTamanoWRejectsNonIntegers_data();
    void cambiarTamanoWRejectsNonIntegers();
    void identityEntries_data();
    void identityEntries();

private:
    quintptr loadW(const QString& hpv, const QString& versionFecha = "3.1.0;20/03/2018");

    ModuleEntries m_module;
};

void TstEntryPoints::initTestCase()
{
    const QString error = m_module.open(QCoreApplication::applicationDirPath());
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QLoggingCategory::setFilterRules(QStringLiteral("tavrel.module.lifecycle.debug=true"));
    gPreviousHandler = qInstallMessageHandler(captureLifecycle);
}

void TstEntryPoints::cleanupTestCase()
{
    qInstallMessageHandler(gPreviousHandler);
}

void TstEntryPoints::init()
{
    m_module.unload();
    gLifecycle.clear();
    for (QString* global :
         {&gStProtocolo, &gStAliasCnx, &gStParSrv, &gStParUsu, &gStParPas, &gStParEmp, &gStParHpv,
          &gStVersionCliente, &gStFechaCliente, &gStServerGUID, &gStServerName, &gStServerGUIDNet,
          &gStServerNameNet, &gStPublicKeyToken}) {
        *global = QStringLiteral("sin asignar");
    }
    gHandleTareas = 0;
    gSlParams = std::make_unique<QStringList>(PreviousList);
}

void TstEntryPoints::cleanup()
{
    m_module.unload();
}

quintptr TstEntryPoints::loadW(const QString& hpv, const QString& versionFecha)
{
    return m_module.loadW(0x5A17, u"local", u"demo", u"var/demo.sqlite", u"ADMIN", u"clave", u"1",
                          w(hpv), w(versionFecha));
}

void TstEntryPoints::sessionReachesGlobals_data()
{
    QTest::addColumn<bool>("comStrings");
    QTest::addColumn<QString>("password");

    QTest::newRow("wide-text entry") << false << "clave";
    // Only the length prefix can carry an embedded zero through.
    QTest::newRow("COM string entry reads the whole counted text")
        << true << QString::fromUtf16(u"cl\0ave", 6);
}

void TstEntryPoints::sessionReachesGlobals()
{
    QFETCH(bool, comStrings);
    QFETCH(QString, password);

    // Every argument is distinct, so a swapped pair shows.
    const QStringList args{"local",  "demo", "var/demo.sqlite", "ADMIN",
                           password, "7",    "abc AND",         "3.1.0;20/03/2018"};
    if (comStrings) {
        std::vector<std::unique_ptr<OwnedBstr>> b;
        for (const QString& arg : args) {
            b.push_back(std::make_unique<OwnedBstr>(arg));
        }
        m_module.load(0x5A17, b[0]->text, b[1]->text, b[2]->text, b[3]->text, b[4]->text,
                      b[5]->text, b[6]->text, b[7]->text);
    } else {
        m_module.loadW(0x5A17, w(args[0]), w(args[1]), w(args[2]), w(args[3]), w(args[4]),
                       w(args[5]), w(args[6]), w(args[7]));
    }

    QCOMPARE(gHandleTareas, quintptr(0x5A17));
    QCOMPARE(tavrel::ModuleApplication::instance()->hostWindow(), quintptr(0x5A17));
    QCOMPARE(gStProtocolo, QString("local"));
    QCOMPARE(gStAliasCnx, QString("demo"));
    QCOMPARE(gStParSrv, QString("var/demo.sqlite"));
    QCOMPARE(gStParUsu, QString("ADMIN"));
    QCOMPARE(gStParPas, password);
    QCOMPARE(gStParEmp, QString("7"));
    QCOMPARE(*gSlParams, (QStringList{"abc", "AND"}));
    QCOMPARE(gStParHpv, QString("AND"));
    QCOMPARE(gStVersionCliente, QString("3.1.0"));
    QCOMPARE(gStFechaCliente, QString("20/03/2018"));
    QCOMPARE(gStServerGUID, QString("{DBE9EBA5-64BD-47FE-86EA-5A4B472636EB}"));
    QCOMPARE(gStServerName, QString("VVeZezev.VVeZezevDmr"));
    QCOMPARE(gStServerGUIDNet, QString("{CF2C242B-B879-4297-A1A0-047B76BAD2F0}"));
    QCOMPARE(gStServerNameNet, QString("VVeZezevBD.VVeZezev"));
    QCOMPARE(gStPublicKeyToken, QString("5c81f0d94e27b316"));

    // The session outlives the unload until the next load.
    m_module.unload();
    QCOMPARE(gStParPas, password);
    QCOMPARE(*gSlParams, (QStringList{"abc", "AND"}));
}

void TstEntryPoints::nullWideTextsAreEmpty()
{
    const quintptr handle =
        m_module.loadW(1, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    QVERIFY(handle != 0);
    for (const QString* global : {&gStProtocolo, &gStAliasCnx, &gStParSrv, &gStParUsu, &gStParPas,
                                  &gStParEmp, &gStParHpv, &gStVersionCliente, &gStFechaCliente}) {
        QVERIFY(global->isEmpty());
    }
    QCOMPARE(*gSlParams, PreviousList);
}

void TstEntryPoints::hostParameters_data()
{
    QTest::addColumn<QString>("hpv");
    QTest::addColumn<std::optional<QStringList>>("params"); // nullopt: list untouched
    QTest::addColumn<QString>("filter");

    using List = std::optional<QStringList>;
    QTest::newRow("quoted condition is one entry and becomes the filter")
        << "abc \"AND COD_EMPR = 1\" def" << List({"abc", "AND COD_EMPR = 1", "def"})
        << "AND COD_EMPR = 1";
    QTest::newRow("no entry begins with AND: filter empty")
        << "abc def" << List({"abc", "def"}) << "";
    QTest::newRow("the later AND entry wins, in its own letter case")
        << "\"AND A = 1\" x \"and B = 2\"" << List({"AND A = 1", "x", "and B = 2"}) << "and B = 2";
    QTest::newRow("ANDES counts: only three letters are compared")
        << "\"AND A = 1\" ANDES" << List({"AND A = 1", "ANDES"}) << "ANDES";
    QTest::newRow("unquoted condition splits at its blanks; the bare AND is the filter")
        << "AND X = 1" << List({"AND", "X", "=", "1"}) << "AND";
    QTest::newRow("missing closing quote: an empty entry, then the text")
        << "\"abc" << List({"", "abc"}) << "";
    QTest::newRow("leading blank: one empty entry at the front")
        << " abc" << List({"", "abc"}) << "";
    QTest::newRow("blank-only text: list untouched, blanks kept") << "   " << List() << "   ";
    QTest::newRow("empty text: list untouched") << "" << List() << "";
    QTest::newRow("codes below 32 are blank too: list untouched, text kept")
        << QString::fromUtf16(u"\t\u0001 ") << List() << QString::fromUtf16(u"\t\u0001 ");
}

void TstEntryPoints::hostParameters()
{
    QFETCH(QString, hpv);
    QFETCH(std::optional<QStringList>, params);
    QFETCH(QString, filter);

    loadW(hpv);
    QCOMPARE(*gSlParams, params.value_or(PreviousList));
    QCOMPARE(gStParHpv, filter);
}

void TstEntryPoints::clientVersionAndDate_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("date");

    QTest::newRow("version ; date") << "3.1.0;20/03/2018"
                                    << "3.1.0"
                                    << "20/03/2018";
    QTest::newRow("no semicolon: empty date") << "3.1.0"
                                              << "3.1.0"
                                              << "";
    QTest::newRow("nothing after the semicolon: empty date") << "3.1.0;"
                                                             << "3.1.0"
                                                             << "";
    QTest::newRow("split at the first semicolon only") << "3.1;20/03/2018;x"
                                                       << "3.1"
                                                       << "20/03/2018;x";
    QTest::newRow("empty argument") << ""
                                    << ""
                                    << "";
}

void TstEntryPoints::clientVersionAndDate()
{
    QFETCH(QString, argument);
    QFETCH(QString, version);
    QFETCH(QString, date);

    loadW("abc", argument);
    QCOMPARE(gStVersionCliente, version);
    QCOMPARE(gStFechaCliente, date);
}

void TstEntryPoints::formsCreatedAndFreedInOrder()
{
    loadW("");
    QCOMPARE(gLifecycle, (QStringList{"created DtmVeZezev", "created FrmVeZezev",
                                      "created RptVeZEZev", "created Captura"}));
    gLifecycle.clear();

    m_module.unload();
    QCOMPARE(gLifecycle,
             (QStringList{"destroyed Captura", "destroyed RptVeZEZev", "closed FrmVeZezev",
                          "destroyed FrmVeZezev", "destroyed DtmVeZezev"}));
    for (const char* name : {"FrmVeZezev", "RptVeZEZev", "Captura"}) {
        QVERIFY2(!topLevel(name), name);
    }
    QCOMPARE(tavrel::ModuleApplication::instance(), nullptr);
}

void TstEntryPoints::loadReturnsMaintenanceWindow()
{
    const quintptr handle = loadW("");
    QWidget* form = topLevel("FrmVeZezev");
    QVERIFY(form);
    QVERIFY(handle != 0);
    QCOMPARE(handle, quintptr(form->winId()));
    QCOMPARE(form->windowTitle(), QString("Relación Rubros SIIF2"));
}

void TstEntryPoints::unloadWithoutLoadDoesNothing()
{
    m_module.unload();
    loadW("");
    m_module.unload();
    gLifecycle.clear();
    m_module.unload();
    QVERIFY(gLifecycle.isEmpty());
}

void TstEntryPoints::resizeWithoutFormIsIgnored()
{
    m_module.cambiarAltura(300);
    m_module.cambiarTamano(400, 300);
    m_module.cambiarTamanoW(u"400", u"300");
    loadW("");
    m_module.unload();
    m_module.cambiarAltura(300);
    m_module.cambiarTamano(400, 300);
    // Nothing to check but that ASan saw no access to a freed form.
}

void TstEntryPoints::resizeChangesMaintenanceForm()
{
    loadW("");
    QWidget* form = topLevel("FrmVeZezev");
    const int width = form->width();

    m_module.cambiarAltura(333);
    QCOMPARE(form->size(), QSize(width, 333));
    m_module.cambiarTamano(640, 480);
    QCOMPARE(form->size(), QSize(640, 480));
    m_module.cambiarTamanoW(u"+700", u" 500");
    QCOMPARE(form->size(), QSize(700, 500));
}

void TstEntryPoints::cambiarTamanoWRejectsNonIntegers_data()
{
    QTest::addColumn<QString>("ancho");
    QTest::addColumn<QString>("alto");
    QTest::addColumn<QString>("message");

    QTest::newRow("letters after digits") << "12a"
                                          << "300"
                                          << "'12a' no es un valor entero válido";
    QTest::newRow("second text wrong: the valid first one is not applied either")
        << "640"
        << "4,5"
        << "'4,5' no es un valor entero válido";
    QTest::newRow("decimal fraction") << "1.5"
                                      << "300"
                                      << "'1.5' no es un valor entero válido";
    QTest::newRow("hexadecimal is not decimal") << "0x10"
                                                << "300"
                                                << "'0x10' no es un valor entero válido";
    QTest::newRow("beyond 32 bits") << "640"
                                    << "2147483648"
                                    << "'2147483648' no es un valor entero válido";
    QTest::newRow("empty text") << ""
                                << "300"
                                << "'' no es un valor entero válido";
}

void TstEntryPoints::cambiarTamanoWRejectsNonIntegers()
{
    QFETCH(QString, ancho);
    QFETCH(QString, alto);
    QFETCH(QString, message);

    loadW("");
    QWidget* form = topLevel("FrmVeZezev");
    const QSize before = form->size();
    try {
        m_module.cambiarTamanoW(w(ancho), w(alto));
        QFAIL("no error");
    } catch (const tavrel::ModuleError& error) {
        QCOMPARE(error.kind(), tavrel::ModuleError::Kind::Conversion);
        QCOMPARE(error.message(), message);
    }
    QCOMPARE(form->size(), before);
}

void TstEntryPoints::identityEntries_data()
{
    QTest::addColumn<bool>("afterUnload");
    QTest::newRow("before any load") << false;
    QTest::newRow("after an unload") << true;
}

void TstEntryPoints::identityEntries()
{
    QFETCH(bool, afterUnload);
    if (afterUnload) {
        loadW("");
        m_module.unload();
    }

    const struct
    {
        GetServerTextFn com;
        GetServerTextWFn wide;
        const char* expected;
    } entries[] = {
        {m_module.guidNet, m_module.guidNetW, "{CF2C242B-B879-4297-A1A0-047B76BAD2F0}"},
        {m_module.nameNet, m_module.nameNetW, "VVeZezevBD.VVeZezev"},
        {m_module.publicToken, m_module.publicTokenW, "5c81f0d94e27b316"},
    };
    for (const auto& entry : entries) {
        // The caller's old string is released by the entry; ASan reports it otherwise.
        BSTR result = tavrel::toBstr("valor anterior del llamador");
        entry.com(&result);
        QCOMPARE(tavrel::fromBstr(result), QString(entry.expected));
        SysFreeString(result);

        const char16_t* pointer = nullptr;
        const char16_t* returned = entry.wide(&pointer);
        QCOMPARE(returned, pointer);
        QCOMPARE(QString::fromUtf16(pointer), QString(entry.expected));
    }
}

QTEST_MAIN(TstEntryPoints)
#include "tst_entrypoints.moc"
