#include "DataSetFixture.h"
#include "DataSetTableModel.h"
#include "Field.h"
#include "ModuleError.h"
#include "TestHelpers.h"

#include <QTest>

using namespace Qt::StringLiterals;

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
    void scrollingRecalculatesTheRowReached();
    void onlyCalculatedFieldsMayBeAssignedDuringTheCalculation();

private:
    Field* field(const QString& name) { return rubros->fieldByName(name); }

    std::unique_ptr<DataSetFixture> f; // its dataset is the concept query
    std::unique_ptr<SClientDataSet> fuentes;
    std::unique_ptr<SClientDataSet> rubros;
    QList<int> calculatedConcepts;
};

void TstCalcFields::init()
{
    f = std::make_unique<DataSetFixture>();
    f->dataSet.setCommandText(u"SELECT * FROM CONCEPTOS WHERE COD_CONT = :P_COD_CONT"_s);

    fuentes = std::make_unique<SClientDataSet>();
    fuentes->addField(u"COD_FUEN"_s, FieldType::String, 2);
    fuentes->addField(u"NOM_FUEN"_s, FieldType::String, 16);
    fuentes->createDataSet();
    appendRows(*fuentes, {{u"01"_s, u"Nación"_s}, {u"02"_s, u"Recursos propios"_s}});

    rubros = std::make_unique<SClientDataSet>();
    rubros->setObjectName(u"QryVeZEZev"_s);
    rubros->addField(u"COD_FUEN"_s, FieldType::FixedChar, 2);
    rubros->addField(u"COD_CONT"_s, FieldType::SmallInt);
    rubros->addField(u"VAL_TOTA"_s, FieldType::Float);
    rubros->addField(u"VAL_CAUS"_s, FieldType::Float);
    Field* fuente = rubros->addField(u"DtfNmbFuen"_s, FieldType::String, 8, FieldKind::Lookup);
    fuente->setKeyField(u"COD_FUEN"_s);
    fuente->setLookupDataSet(fuentes.get());
    fuente->setLookupKeyField(u"COD_FUEN"_s);
    fuente->setLookupResultField(u"NOM_FUEN"_s);
    rubros->addField(u"DtfNmbCont"_s, FieldType::String, 40, FieldKind::Calculated);
    rubros->addField(u"DtfNmbValSald"_s, FieldType::Float, 0, FieldKind::Calculated);
    rubros->OnCalcFields = [this](SClientDataSet& ds) {
        QCOMPARE(ds.state(), DataSetState::CalcFields);
        Field* cont = ds.fieldByName(u"COD_CONT"_s);
        calculatedConcepts << cont->asInteger();
        SClientDataSet& qry = f->dataSet;
        qry.close();
        qry.paramByName(u"P_COD_CONT"_s).value = cont->value();
        qry.open();
        ds.fieldByName(u"DtfNmbCont"_s)->setValue(qry.fieldByName(u"NOM_CONT"_s)->value());
        Field* total = ds.fieldByName(u"VAL_TOTA"_s);
        Field* causado = ds.fieldByName(u"VAL_CAUS"_s);
        const bool both = !total->isNull() && !causado->isNull();
        ds.fieldByName(u"DtfNmbValSald"_s)
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

void TstCalcFields::eachRowIsCalculatedFromItsOwnValues()
{
    appendRows(
        *rubros,
        {{u"01"_s, 1, 1000.0, 400.0}, {u"02"_s, 2, 250.5, QVariant()}, {u"09"_s, 3, 80.0, 30.0}});
    rubros->first();
    rubros->invalidateCalculatedFields(); // only the current row is calculated again

    tavrel::DataSetTableModel model;
    model.setDataSet(rubros.get());
    model.setColumns({u"DtfNmbFuen"_s, u"DtfNmbCont"_s, u"DtfNmbValSald"_s});
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

void TstCalcFields::scrollingRecalculatesTheRowReached()
{
    appendRows(*rubros, {{u"01"_s, 1, 1000.0, 400.0}, {u"02"_s, 2, 250.5, 0.5}});
    rubros->first();
    QCOMPARE(field(u"DtfNmbFuen"_s)->asString(), u"Nación"_s);

    // The code list changes while the relation stands on another row.
    rubros->next();
    fuentes->first();
    fuentes->edit();
    fuentes->field(1)->setValue(u"Nación (PGN)"_s);
    fuentes->post();
    f->server->change(u"CONCEPTOS"_s, 0, u"NOM_CONT"_s, u"Sueldo"_s);

    rubros->prior();
    QCOMPARE(field(u"DtfNmbFuen"_s)->asString(), u"Nación ("_s);
    QCOMPARE(field(u"DtfNmbCont"_s)->asString(), u"Sueldo"_s);
}

void TstCalcFields::onlyCalculatedFieldsMayBeAssignedDuringTheCalculation()
{
    QString refusal;
    rubros->OnCalcFields = [&](SClientDataSet& ds) {
        ds.fieldByName(u"DtfNmbValSald"_s)->setValue(1.0);
        try {
            ds.fieldByName(u"VAL_TOTA"_s)->setValue(1.0);
        } catch (const ModuleError& e) {
            refusal = e.message();
        }
        QVERIFY_THROWS_EXCEPTION(ModuleError, ds.next());
    };
    appendRows(*rubros, {{u"01"_s, 1, 1000.0, 400.0}});
    QVERIFY2(refusal.contains(QLatin1String("VAL_TOTA")), qPrintable(refusal));
    QCOMPARE(field(u"VAL_TOTA"_s)->asFloat(), 1000.0);
    QCOMPARE(field(u"DtfNmbValSald"_s)->asFloat(), 1.0);
}

QTEST_GUILESS_MAIN(TstCalcFields)
#include "tst_calcfields.moc"
