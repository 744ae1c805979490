#include "RelacionDatos.h"

#include "Field.h"

#include <QBuffer>
#include <QImage>

using namespace Qt::StringLiterals;

using tavrel::FieldKind;
using tavrel::FieldType;

namespace {

QByteArray logoPng()
{
    QImage imagen(240, 150, QImage::Format_RGB32);
    imagen.fill(QColor(0, 84, 147));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    imagen.save(&buffer, "PNG");
    return bytes;
}

} // namespace

RelacionDatos::RelacionDatos()
{
    empresa.setObjectName(u"CdsGnEmpre"_s);
    empresa.addField(u"NOM_EMPR"_s, FieldType::String, 80);
    empresa.addField(u"NIT_EMPR"_s, FieldType::String, 20);
    empresa.addField(u"BMP_REPO"_s, FieldType::Blob);
    empresa.createDataSet();
    for (const auto& [nombre, nit] :
         {std::pair{"Instituto Departamental de Tránsito del Meta", "892.000.148-8"},
          {NombreEmpresaActual, NitEmpresaActual},
          {"Empresa de Acueducto de Granada", "822.002.459-1"}}) {
        empresa.append();
        empresa.field(0)->setValue(QString::fromUtf8(nombre));
        empresa.field(1)->setValue(QString::fromUtf8(nit));
        empresa.field(2)->setValue(logoPng());
        empresa.post();
    }
    empresa.setRecNo(2);

    relacion.setObjectName(u"QryVeZEZev"_s);
    for (const char* nombre : {"COD_CONT", "COD_CCOS"})
        relacion.addField(QLatin1String(nombre), FieldType::SmallInt);
    for (const char* nombre : {"COD_CUEN", "DEP_APAC", "DtfNmbCont", "DtfNmbCamRela", "DtfNmbCuen",
                               "DtfNmbFuen", "DtfNmbPres", "DtfNmbSitu"})
        relacion.addField(QLatin1String(nombre), FieldType::String, 90);
    for (const char* nombre : {"VAL_TOTA", "VAL_CAUS"})
        relacion.addField(QLatin1String(nombre), FieldType::Float)->setDisplayFormat(u"#,##.00"_s);
    relacion.addField(u"DtfNmbValSald"_s, FieldType::Float, 0, FieldKind::Calculated)
        ->setDisplayFormat(u"#,##.00"_s);
    relacion.OnCalcFields = [](SClientDataSet& ds) { // balance: total less caused
        ds.field(12)->setValue(ds.field(10)->asFloat() - ds.field(11)->asFloat());
    };
    relacion.createDataSet();
}

void RelacionDatos::agregar(int n)
{
    relacion.append();
    const auto poner = [&](const char* nombre, const QVariant& valor) {
        relacion.fieldByName(QLatin1String(nombre))->setValue(valor);
    };
    poner("COD_CONT", 100 + n);
    poner("DtfNmbCont", u"Sueldo básico %1"_s.arg(n));
    poner("COD_CCOS", n % 3 + 1);
    poner("DtfNmbCamRela", u"Nómina de planta"_s);
    poner("COD_CUEN", u"51010%1"_s.arg(n % 10));
    poner("DtfNmbCuen", u"Sueldos del personal administrativo"_s);
    poner("DtfNmbFuen", u"Nación"_s);
    poner("DtfNmbPres", u"10 - Recursos corrientes"_s);
    poner("DtfNmbSitu", u"CSF"_s);
    poner("DEP_APAC", u"Gestión General"_s);
    poner("VAL_TOTA", 1000000.0 * n + 0.89);
    poner("VAL_CAUS", 500000.0);
    relacion.post();
}
