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

    void pickerKeys_data();
    void pickerKeys();

    void labelsOpenTheirPathWithTheRecordKey();
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

void TstPickerAndLinks::labelsOpenTheirPathWithTheRecordKey()
{
    SClientDataSet dataSet;
    dataSet.addField(u"COD_CONT"_s, tavrel::FieldType::SmallInt);
    dataSet.createDataSet();
    appendRows(dataSet, {{20}});
    QLabel conceptLabel(u"Contabilización"_s), blank(u"Cuenta Contable"_s), unpaired(u"Fuente"_s);
    const QList<QLabel*> labels{&conceptLabel, &blank, &unpaired};
    TVInfoAyuda links;
    links.setDataSet(&dataSet);
    // Linked for one company first, then for the company of the row: a blank path and a
    // label beyond the paths leave their labels plain again.
    links.AsignarEventosMouseDown(labels, {u"a"_s, u"b"_s, u"c"_s});
    links.AsignarEventosMouseDown(labels, {u"nomina/VNmNccon"_s, u" "_s});
    links.CrearLlavesInformacion(u"COD_CONT"_s, u"COD_CONT"_s, &conceptLabel);

    for (QLabel* label : labels) {
        QTest::mouseClick(label, Qt::LeftButton);
        QCOMPARE(label->font().underline(), label == &conceptLabel);
        QCOMPARE(label->cursor().shape(),
                 label == &conceptLabel ? Qt::PointingHandCursor : Qt::ArrowCursor);
    }
    QCOMPARE(m_requests.size(), 1);
    QCOMPARE(m_requests[0].path, u"nomina/VNmNccon"_s);
    QCOMPARE(m_requests[0].keyField, u"COD_CONT"_s);
    QCOMPARE(m_requests[0].infoField, u"COD_CONT"_s);
    QCOMPARE(m_requests[0].keyValue, QVariant(20));
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
