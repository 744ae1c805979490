// The picker button and the label links, without a server.

#include "ProgramLauncher.h"
#include "TVInfoAyuda.h"
#include "TVPField.h"
#include "TestHelpers.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>

using namespace Qt::StringLiterals;

using tavrel::ProgramRequest;

class TstPickerAndLinks : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void sqlLinesAreEditedInPlace();
    void pickerKeys_data();
    void pickerKeys();

    void labelClickOpensThePathOfItsIndex_data();
    void labelClickOpensThePathOfItsIndex();
    void linkCarriesTheKeyOfTheCurrentRecord();
    void withoutHostTheProgramIsReportedUnavailable();

private:
    ReportedErrors m_messages;
    QList<ProgramRequest> m_requests;
    tavrel::SessionServices::Scope m_host{[this](tavrel::SessionServices& services) {
        services.launchProgram = [this](const ProgramRequest& r) { m_requests.append(r); };
    }};
};

void TstPickerAndLinks::init()
{
    m_messages.clear();
    m_requests.clear();
}

void TstPickerAndLinks::sqlLinesAreEditedInPlace()
{
    // The module clears the lines and appends its own.
    TVPField picker;
    picker.setSQL({u"select 1"_s});
    picker.sql().clear();
    picker.sql().append(u"from gn_ccost"_s);
    QCOMPARE(picker.property("SQL").toStringList(), QStringList{u"from gn_ccost"_s});
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

void TstPickerAndLinks::labelClickOpensThePathOfItsIndex_data()
{
    QTest::addColumn<QStringList>("paths");
    QTest::addColumn<int>("clicked");
    QTest::addColumn<QString>("opened"); // empty: nothing opens and the label is plain

    const QStringList both{u"nomina/VNmNccon"_s, u"nomina/VNmNcmco"_s};
    QTest::newRow("concept label opens the first path") << both << 0 << "nomina/VNmNccon";
    QTest::newRow("account label opens the second path") << both << 1 << "nomina/VNmNcmco";
    QTest::newRow("one path for two labels: the second stays plain")
        << QStringList{u"nomina/VNmNccon"_s} << 1 << "";
    QTest::newRow("a blank path leaves its label plain")
        << QStringList{u" "_s, u"nomina/VNmNcmco"_s} << 0 << "";
}

void TstPickerAndLinks::labelClickOpensThePathOfItsIndex()
{
    QFETCH(QStringList, paths);
    QFETCH(int, clicked);
    QFETCH(QString, opened);

    QWidget form;
    QList<QLabel*> labels{new QLabel(u"Contabilización"_s, &form),
                          new QLabel(u"Cuenta Contable"_s, &form)};
    TVInfoAyuda links;
    // Linked for one company first, then for the company of the row.
    links.AsignarEventosMouseDown(labels, {u"a"_s, u"b"_s});
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
    dataSet.addField(u"COD_CONT"_s, tavrel::FieldType::SmallInt);
    dataSet.createDataSet();
    appendRows(dataSet, {{20}});

    QLabel conceptLabel(u"Contabilización"_s);
    QLabel account(u"Cuenta Contable"_s);
    TVInfoAyuda links;
    links.setDataSet(&dataSet);
    links.AsignarEventosMouseDown({&conceptLabel, &account},
                                  {u"nomina/VNmNccon"_s, u"nomina/VNmNcmco"_s});
    links.CrearLlavesInformacion(u"COD_CONT"_s, u"COD_CONT"_s, &conceptLabel);

    QTest::mouseClick(&conceptLabel, Qt::LeftButton);
    QTest::mouseClick(&account, Qt::LeftButton);
    QCOMPARE(m_requests.size(), 2);
    QCOMPARE(m_requests[0].keyField, u"COD_CONT"_s);
    QCOMPARE(m_requests[0].infoField, u"COD_CONT"_s);
    QCOMPARE(m_requests[0].keyValue, QVariant(20));
    QVERIFY(m_requests[1].keyField.isEmpty());
    QVERIFY(!m_requests[1].keyValue.isValid());
}

void TstPickerAndLinks::withoutHostTheProgramIsReportedUnavailable()
{
    const tavrel::SessionServices::Scope noHost(
        [](auto& services) { services.launchProgram = {}; });
    QLabel conceptLabel(u"Contabilización"_s);
    TVInfoAyuda links;
    links.AsignarEventosMouseDown({&conceptLabel}, {u"nomina/VNmNccon"_s});
    QTest::mouseClick(&conceptLabel, Qt::LeftButton);
    QCOMPARE(m_messages,
             QStringList{u"El programa nomina/VNmNccon no está disponible en este equipo"_s});
}

QTEST_MAIN(TstPickerAndLinks)
#include "tst_pickerandlinks.moc"
