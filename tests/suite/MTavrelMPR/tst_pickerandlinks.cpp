// The picker button and the label links, without a server.

#include "ErrorReporter.h"
#include "Field.h"
#include "ModuleError.h"
#include "ProgramLauncher.h"
#include "SClientDataSet.h"
#include "SDCOMConnection.h"
#include "TVInfoAyuda.h"
#include "TVPField.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>

using tavrel::ModuleError;
using tavrel::ProgramRequest;

class TstPickerAndLinks : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void pickerPropertiesByName();
    void pickerListsAreEditedInPlace();
    void pickerKeys_data();
    void pickerKeys();
    void pickerRefusalIsReportedNotThrown();

    void labelClickOpensThePathOfItsIndex_data();
    void labelClickOpensThePathOfItsIndex();
    void linkCarriesTheKeyOfTheCurrentRecord();
    void fewerPathsLaterMakeALabelPlainAgain();
    void withoutHostTheProgramIsReportedUnavailable();

private:
    QStringList m_messages;
    QList<ProgramRequest> m_requests;
};

void TstPickerAndLinks::init()
{
    m_messages.clear();
    m_requests.clear();
    tavrel::ErrorReporter::setHandler([this](const std::exception& error) {
        m_messages.append(static_cast<const ModuleError&>(error).message());
    });
    tavrel::ProgramLauncher::setHandler(
        [this](const ProgramRequest& request) { m_requests.append(request); });
}

void TstPickerAndLinks::cleanup()
{
    tavrel::ErrorReporter::setHandler({});
    tavrel::ProgramLauncher::setHandler({});
}

void TstPickerAndLinks::pickerPropertiesByName()
{
    SClientDataSet dataSet;
    SDCOMConnection connection;
    TVPField picker;
    const QList<std::pair<const char*, QVariant>> settings{
        {"Variables", QStringList{QStringLiteral("COD_CONT")}},
        {"Destino", QStringList{QStringLiteral("COD_CONT")}},
        {"Titulos", QStringList{QStringLiteral("Código"), QStringLiteral("Nombre")}},
        {"SQL", QStringList{QStringLiteral("select 1")}},
        {"Valores", QStringList{QStringLiteral("10")}},
        {"Titulo", QStringLiteral(" Lista de Contabilizaciones")},
        {"DataBaseName", QStringLiteral("DBTavrel")},
        {"LookUpField", QStringLiteral("NOM_CONT")},
        {"LookUpValue", QStringLiteral("PRIMA")},
        {"Tag", 3},
        {"Name", QStringLiteral("VPFieldCodCont")},
        {"DataSet", QVariant::fromValue(&dataSet)},
        {"RemoteServer", QVariant::fromValue(&connection)},
    };
    for (const auto& [name, value] : settings) {
        QVERIFY2(picker.setProperty(name, value), name);
        QCOMPARE(picker.property(name), value);
    }
    QCOMPARE(picker.objectName(), QStringLiteral("VPFieldCodCont"));
    QCOMPARE(picker.dataSet(), &dataSet);
    QCOMPARE(picker.size(), QSize(22, 22));
}

void TstPickerAndLinks::pickerListsAreEditedInPlace()
{
    TVPField picker;
    picker.sql().append(QStringLiteral("select cod_ccos, nom_ccos"));
    picker.sql().append(QStringLiteral("from gn_ccost"));
    picker.valores() = {QStringLiteral("old")};
    picker.valores().clear();
    QCOMPARE(picker.property("SQL").toStringList(),
             QStringList(
                 {QStringLiteral("select cod_ccos, nom_ccos"), QStringLiteral("from gn_ccost")}));
    QVERIFY(picker.property("Valores").toStringList().isEmpty());
}

void TstPickerAndLinks::pickerKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("clicks");

    QTest::newRow("F2 in the edit opens the list") << int(Qt::Key_F2) << 0 << true << 1;
    QTest::newRow("Alt+Down in the edit opens the list")
        << int(Qt::Key_Down) << int(Qt::AltModifier) << true << 1;
    QTest::newRow("Down alone stays with the edit") << int(Qt::Key_Down) << 0 << true << 0;
    QTest::newRow("a disabled picker (browse state) ignores F2")
        << int(Qt::Key_F2) << 0 << false << 0;
}

void TstPickerAndLinks::pickerKeys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, enabled);
    QFETCH(int, clicks);

    QWidget form;
    auto* edit = new QLineEdit(&form);
    auto* picker = new TVPField(&form);
    picker->setBuddy(edit);
    picker->setEnabled(enabled);
    QList<QObject*> senders;
    picker->OnClick = [&senders](QObject* sender) { senders.append(sender); };

    QTest::keyClick(edit, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(senders.size(), clicks);
    if (clicks > 0)
        QCOMPARE(senders.first(), picker);
}

void TstPickerAndLinks::pickerRefusalIsReportedNotThrown()
{
    TVPField picker;
    picker.OnClick = [](QObject*) {
        throw ModuleError(QStringLiteral("Se Tiene que Asignar Primero la Contabilización."));
    };
    picker.click();
    QCOMPARE(m_messages,
             QStringList{QStringLiteral("Se Tiene que Asignar Primero la Contabilización.")});
}

void TstPickerAndLinks::labelClickOpensThePathOfItsIndex_data()
{
    QTest::addColumn<QStringList>("paths");
    QTest::addColumn<int>("clicked");
    QTest::addColumn<QString>("opened"); // empty: nothing opens and the label is plain

    const QStringList both{QStringLiteral("nomina/VNmNccon"), QStringLiteral("nomina/VNmNcmco")};
    QTest::newRow("concept label opens the first path") << both << 0 << "nomina/VNmNccon";
    QTest::newRow("account label opens the second path") << both << 1 << "nomina/VNmNcmco";
    QTest::newRow("one path for two labels: the second stays plain")
        << QStringList{QStringLiteral("nomina/VNmNccon")} << 1 << "";
    QTest::newRow("a blank path leaves its label plain")
        << QStringList{QStringLiteral(" "), QStringLiteral("nomina/VNmNcmco")} << 0 << "";
    QTest::newRow("no paths at all") << QStringList{} << 0 << "";
}

void TstPickerAndLinks::labelClickOpensThePathOfItsIndex()
{
    QFETCH(QStringList, paths);
    QFETCH(int, clicked);
    QFETCH(QString, opened);

    QWidget form;
    QList<QLabel*> labels{new QLabel(QStringLiteral("Contabilización"), &form),
                          new QLabel(QStringLiteral("Cuenta Contable"), &form)};
    TVInfoAyuda links;
    links.AsignarEventosMouseDown(labels, paths);

    QLabel* label = labels[clicked];
    QTest::mouseClick(label, Qt::LeftButton);
    QCOMPARE(m_requests.size(), opened.isEmpty() ? 0 : 1);
    if (!opened.isEmpty())
        QCOMPARE(m_requests.first().path, opened);
    QCOMPARE(label->font().underline(), !opened.isEmpty());
    QCOMPARE(label->cursor().shape(), opened.isEmpty() ? Qt::ArrowCursor : Qt::PointingHandCursor);
}

void TstPickerAndLinks::linkCarriesTheKeyOfTheCurrentRecord()
{
    SClientDataSet dataSet;
    dataSet.addField(QStringLiteral("COD_CONT"), tavrel::FieldType::SmallInt);
    dataSet.createDataSet();
    dataSet.append();
    dataSet.fieldByName(QStringLiteral("COD_CONT"))->setValue(20);
    dataSet.post();

    QLabel conceptLabel(QStringLiteral("Contabilización"));
    QLabel account(QStringLiteral("Cuenta Contable"));
    TVInfoAyuda links;
    links.setDataSet(&dataSet);
    links.AsignarEventosMouseDown({&conceptLabel, &account}, {QStringLiteral("nomina/VNmNccon"),
                                                              QStringLiteral("nomina/VNmNcmco")});
    links.CrearLlavesInformacion(QStringLiteral("COD_CONT"), QStringLiteral("COD_CONT"),
                                 &conceptLabel);

    QTest::mouseClick(&conceptLabel, Qt::LeftButton);
    QTest::mouseClick(&account, Qt::LeftButton);
    QCOMPARE(m_requests.size(), 2);
    QCOMPARE(m_requests[0].keyField, QStringLiteral("COD_CONT"));
    QCOMPARE(m_requests[0].infoField, QStringLiteral("COD_CONT"));
    QCOMPARE(m_requests[0].keyValue, QVariant(20));
    QVERIFY(m_requests[1].keyField.isEmpty());
    QVERIFY(!m_requests[1].keyValue.isValid());
}

void TstPickerAndLinks::fewerPathsLaterMakeALabelPlainAgain()
{
    QLabel conceptLabel(QStringLiteral("Contabilización"));
    QLabel account(QStringLiteral("Cuenta Contable"));
    const QColor plainColour = account.palette().color(QPalette::WindowText);
    TVInfoAyuda links;
    links.AsignarEventosMouseDown({&conceptLabel, &account}, {QStringLiteral("nomina/VNmNccon"),
                                                              QStringLiteral("nomina/VNmNcmco")});
    QVERIFY(account.palette().color(QPalette::WindowText) != plainColour);

    // The next company has only the first program.
    links.AsignarEventosMouseDown({&conceptLabel, &account}, {QStringLiteral("nomina/VNmNccon")});
    QCOMPARE(account.palette().color(QPalette::WindowText), plainColour);
    QVERIFY(!account.font().underline());
    QTest::mouseClick(&account, Qt::LeftButton);
    QVERIFY(m_requests.isEmpty());
    QCOMPARE(links.pathOf(&conceptLabel), QStringLiteral("nomina/VNmNccon"));
}

void TstPickerAndLinks::withoutHostTheProgramIsReportedUnavailable()
{
    tavrel::ProgramLauncher::setHandler({});
    QLabel conceptLabel(QStringLiteral("Contabilización"));
    TVInfoAyuda links;
    links.AsignarEventosMouseDown({&conceptLabel}, {QStringLiteral("nomina/VNmNccon")});
    QTest::mouseClick(&conceptLabel, Qt::LeftButton);
    QCOMPARE(m_messages, QStringList{QStringLiteral(
                             "El programa nomina/VNmNccon no está disponible en este equipo")});
}

QTEST_MAIN(TstPickerAndLinks)
#include "tst_pickerandlinks.moc"
