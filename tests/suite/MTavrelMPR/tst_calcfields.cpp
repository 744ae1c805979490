#include "DataSetFixture.h"
#include "DataSetTableModel.h"
#include "Field.h"
#include "ModuleError.h"

#include <QTest>

using tavrel::DataSetState;
using tavrel::Field;
using tavrel::FieldKind;
using tavrel::FieldType;
using tavrel::ModuleError;

// An in-memory relation list whose rows name a funding source (resolved by a lookup
// field from an in-memory code list) and a concept (resolved by OnCalcFields through a
// query on the server), with a balance computed per row.
class TstCalcFields : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void eachRowIsCalculatedFromItsOwnValues();
    void assignmentRecalculatesTheRecordBeingEdited();
    void scrollingRecalculatesTheRowReached();
    void onlyCalculatedFieldsMayBeAssignedDuringTheCalculation();

private:
    void addRow(const QString& fuente, int concepto, const QVariant& total,
                const QVariant& causado);

    std::unique_ptr<DataSetFixture> f; // its dataset is the concept query
    std::unique_ptr<SClientDataSet> fuentes;
    std::unique_ptr<SClientDataSet> rubros;
    QList<int> calculatedConcepts;
};

void TstCalcFields::init()
{
    f = std::make_unique<DataSetFixture>();
    f->dataSet.setCommandText(
        QStringLiteral("SELECT * FROM CONCEPTOS WHERE COD_CONT = :P_COD_CONT"));

    fuentes = std::make_unique<SClientDataSet>();
    fuentes->addField(QStringLiteral("COD_FUEN"), FieldType::String, 2);
    fuentes->addField(QStringLiteral("NOM_FUEN"), FieldType::String, 16);
    fuentes->createDataSet();
    for (const auto& [code, name] :
         {std::pair{"01", "Nación"}, std::pair{"02", "Recursos propios"}}) {
        fuentes->append();
        fuentes->field(0)->setValue(QString::fromUtf8(code));
        fuentes->field(1)->setValue(QString::fromUtf8(name));
        fuentes->post();
    }

    rubros = std::make_unique<SClientDataSet>();
    rubros->setObjectName(QStringLiteral("QryVeZEZev"));
    rubros->addField(QStringLiteral("COD_FUEN"), FieldType::FixedChar, 2);
    rubros->addField(QStringLiteral("COD_CONT"), FieldType::SmallInt);
    rubros->addField(QStringLiteral("VAL_TOTA"), FieldType::Float);
    rubros->addField(QStringLiteral("VAL_CAUS"), FieldType::Float);
    Field* fuente =
        rubros->addField(QStringLiteral("DtfNmbFuen"), FieldType::String, 8, FieldKind::Lookup);
    fuente->setKeyField(QStringLiteral("COD_FUEN"));
    fuente->setLookupDataSet(fuentes.get());
    fuente->setLookupKeyField(QStringLiteral("COD_FUEN"));
    fuente->setLookupResultField(QStringLiteral("NOM_FUEN"));
    rubros->addField(QStringLiteral("DtfNmbCont"), FieldType::String, 40, FieldKind::Calculated);
    rubros->addField(QStringLiteral("DtfNmbValSald"), FieldType::Float, 0, FieldKind::Calculated);
    rubros->OnCalcFields = [this](SClientDataSet& ds) {
        QCOMPARE(ds.state(), DataSetState::CalcFields);
        Field* cont = ds.fieldByName(QStringLiteral("COD_CONT"));
        calculatedConcepts << cont->asInteger();
        SClientDataSet& qry = f->dataSet;
        qry.close();
        qry.paramByName(QStringLiteral("P_COD_CONT")).value = cont->value();
        qry.open();
        ds.fieldByName(QStringLiteral("DtfNmbCont"))
            ->setValue(qry.fieldByName(QStringLiteral("NOM_CONT"))->value());
        Field* total = ds.fieldByName(QStringLiteral("VAL_TOTA"));
        Field* causado = ds.fieldByName(QStringLiteral("VAL_CAUS"));
        const bool both = !total->isNull() && !causado->isNull();
        ds.fieldByName(QStringLiteral("DtfNmbValSald"))
            ->setValue(both ? total->asFloat() - causado->asFloat() : 0.0);
    };
    rubros->createDataSet();
}

void TstCalcFields::cleanup()
{
    rubros.reset();
    fuentes.reset();
    f.reset();
    calculatedConcepts.clear();
}

void TstCalcFields::addRow(const QString& fuente, int concepto, const QVariant& total,
                           const QVariant& causado)
{
    rubros->append();
    rubros->fieldByName(QStringLiteral("COD_FUEN"))->setValue(fuente);
    rubros->fieldByName(QStringLiteral("COD_CONT"))->setValue(concepto);
    rubros->fieldByName(QStringLiteral("VAL_TOTA"))->setValue(total);
    rubros->fieldByName(QStringLiteral("VAL_CAUS"))->setValue(causado);
    rubros->post();
}

void TstCalcFields::eachRowIsCalculatedFromItsOwnValues()
{
    addRow(QStringLiteral("01"), 1, 1000.0, 400.0);
    addRow(QStringLiteral("02"), 2, 250.5, QVariant());
    addRow(QStringLiteral("09"), 3, 80.0, 30.0);
    rubros->first();
    rubros->invalidateCalculatedFields(); // only the current row is calculated again

    tavrel::DataSetTableModel model;
    model.setDataSet(rubros.get());
    model.setColumns({QStringLiteral("DtfNmbFuen"), QStringLiteral("DtfNmbCont"),
                      QStringLiteral("DtfNmbValSald")});
    calculatedConcepts.clear();
    const QStringList expected[] = {{"Nación", "Sueldo básico", "600"},
                                    {"Recursos", "Horas extra", "0"},
                                    {"", "Auxilio de transporte", "50"}};
    for (int row = 2; row >= 0; --row) {
        for (int col = 0; col < 3; ++col)
            QCOMPARE(model.index(row, col).data().toString(), expected[row][col]);
    }
    // One calculation per row not yet calculated; the cursor and the state never moved.
    QCOMPARE(calculatedConcepts, (QList<int>{3, 2}));
    QCOMPARE(rubros->recNo(), 1);
    QCOMPARE(rubros->state(), DataSetState::Browse);
    QCOMPARE(fuentes->recNo(), 2);
}

void TstCalcFields::assignmentRecalculatesTheRecordBeingEdited()
{
    addRow(QStringLiteral("01"), 1, 1000.0, 400.0);
    rubros->edit();
    rubros->fieldByName(QStringLiteral("VAL_CAUS"))->setValue(100.0);
    QCOMPARE(rubros->fieldByName(QStringLiteral("DtfNmbValSald"))->asFloat(), 900.0);
    rubros->fieldByName(QStringLiteral("COD_FUEN"))->setValue(QStringLiteral("02"));
    QCOMPARE(rubros->fieldByName(QStringLiteral("DtfNmbFuen"))->asString(),
             QStringLiteral("Recursos"));
    rubros->fieldByName(QStringLiteral("COD_CONT"))->setValue(2);
    QCOMPARE(rubros->fieldByName(QStringLiteral("DtfNmbCont"))->asString(),
             QStringLiteral("Horas extra"));
    rubros->cancel();
    QCOMPARE(rubros->fieldByName(QStringLiteral("DtfNmbValSald"))->asFloat(), 600.0);
    QCOMPARE(rubros->fieldByName(QStringLiteral("DtfNmbFuen"))->asString(),
             QStringLiteral("Nación"));
}

void TstCalcFields::scrollingRecalculatesTheRowReached()
{
    addRow(QStringLiteral("01"), 1, 1000.0, 400.0);
    addRow(QStringLiteral("02"), 2, 250.5, 0.5);
    rubros->first();
    QCOMPARE(rubros->fieldByName(QStringLiteral("DtfNmbFuen"))->asString(),
             QStringLiteral("Nación"));

    // The code list changes while the relation stands on another row.
    rubros->next();
    fuentes->first();
    fuentes->edit();
    fuentes->field(1)->setValue(QStringLiteral("Nación (PGN)"));
    fuentes->post();
    f->server->change(QStringLiteral("CONCEPTOS"), 0, QStringLiteral("NOM_CONT"),
                      QStringLiteral("Sueldo"));

    rubros->prior();
    QCOMPARE(rubros->fieldByName(QStringLiteral("DtfNmbFuen"))->asString(),
             QStringLiteral("Nación ("));
    QCOMPARE(rubros->fieldByName(QStringLiteral("DtfNmbCont"))->asString(),
             QStringLiteral("Sueldo"));
}

void TstCalcFields::onlyCalculatedFieldsMayBeAssignedDuringTheCalculation()
{
    QString refusal;
    rubros->OnCalcFields = [&](SClientDataSet& ds) {
        ds.fieldByName(QStringLiteral("DtfNmbValSald"))->setValue(1.0);
        try {
            ds.fieldByName(QStringLiteral("VAL_TOTA"))->setValue(1.0);
        } catch (const ModuleError& e) {
            refusal = e.message();
        }
        QVERIFY_THROWS_EXCEPTION(ModuleError, ds.next());
    };
    addRow(QStringLiteral("01"), 1, 1000.0, 400.0);
    QVERIFY2(refusal.contains(QLatin1String("VAL_TOTA")), qPrintable(refusal));
    QCOMPARE(rubros->fieldByName(QStringLiteral("VAL_TOTA"))->asFloat(), 1000.0);
    QCOMPARE(rubros->fieldByName(QStringLiteral("DtfNmbValSald"))->asFloat(), 1.0);
}

QTEST_GUILESS_MAIN(TstCalcFields)
#include "tst_calcfields.moc"
