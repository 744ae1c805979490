#include "CapturaBench.h"

#include "BenchData.h"
#include "BenchProcess.h"
#include "BulkInserter.h"
#include "DLLUFORM.h"
#include "Database.h"
#include "LocalAppServer.h"
#include "ModuleError.h"
#include "SClientDataSet.h"
#include "SDCOMConnection.h"
#include "TTavrelDBgrid.h"
#include "TVsCmbCodigo.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <random>

namespace tavrel::bench {

namespace {

constexpr int kCompany = 1;
constexpr int kConcept = 9000; // a concept of its own, so that its list is all generated

QString accountSql()
{
    return QStringLiteral(" SELECT COD_CUEN, NOM_CUEN  FROM NM_NCMCO              WHERE "
                          "(COD_EMPR = %1) AND  (COD_CONT = %2) ")
        .arg(kCompany)
        .arg(kConcept);
}

double seconds(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

// What the user types: account codes found at the start, the middle and the end of the
// list, a code no account has, then parts of names in the name column.
struct Typing
{
    QStringList codes;
    QStringList names;
};

Typing typingFor(Database& db)
{
    Typing t;
    QSqlQuery q = db.exec(QStringLiteral("SELECT COD_CUEN FROM NM_NCMCO WHERE COD_EMPR = %1 AND "
                                         "COD_CONT = %2 ORDER BY COD_CUEN")
                              .arg(kCompany)
                              .arg(kConcept));
    QStringList all;
    while (q.next())
        all.append(q.value(0).toString().trimmed());
    if (all.isEmpty())
        throw ModuleError(QStringLiteral("the bench database has no accounts"));
    for (double at : {0.1, 0.5, 0.999})
        t.codes.append(all.at(qsizetype(double(all.size() - 1) * at)));
    t.codes.append(QStringLiteral("5999"));
    t.names = {QStringLiteral("servicios t"), QStringLiteral("viaticos"), QStringLiteral("zz")};
    return t;
}

} // namespace

QString CapturaBench::database(const QString& dir, int accounts, bool regenerate)
{
    const QString name = QStringLiteral("captura-%1.sqlite").arg(accounts);
    return BenchData::sqliteFile(dir, name, regenerate, [accounts](Database& db) {
        db.transaction([&] {
            BulkInserter concepto(
                db, QStringLiteral("NM_NCCON"),
                BulkInserter::columns({"COD_EMPR", "COD_CONT", "NOM_CONT", "CAM_RELA"}));
            concepto.add({kCompany, kConcept, QStringLiteral("NÓMINA DE PRUEBA A ESCALA"),
                          QStringLiteral("COD_CCOS")});
            concepto.finish();
            static const char* const words[] = {
                "SERVICIOS",    "PERSONALES",   "TRANSFERENCIAS", "VIATICOS", "GASTOS",
                "HONORARIOS",   "APORTES",      "SALUD",          "PENSION",  "CESANTIAS",
                "PRIMAS",       "BONIFICACION", "DOTACION",       "SUBSIDIO", "TRANSPORTE",
                "ALIMENTACION", "VACACIONES",   "INDEMNIZACION"};
            std::mt19937 random(20260101u);
            const auto word = [&] { return QLatin1String(words[random() % std::size(words)]); };
            BulkInserter rows(
                db, QStringLiteral("NM_NCMCO"),
                BulkInserter::columns({"COD_EMPR", "COD_CONT", "COD_CUEN", "NOM_CUEN"}));
            for (int i = 0; i < accounts; ++i) {
                const QString code = QString::number(5101000000LL + qint64(i) * 37);
                rows.add({kCompany, kConcept, code,
                          QStringLiteral("%1 %2 %3").arg(word(), word()).arg(i)});
            }
            rows.finish();
        });
    });
}

CapturaBench::Result CapturaBench::measure(const QString& database)
{
    Result result;
    Typing typing;
    {
        std::unique_ptr<Database> db = Database::open(database);
        typing = typingFor(*db);
        QElapsedTimer timer;
        timer.start();
        QSqlQuery q = db->exec(accountSql());
        while (q.next()) {
            q.value(0);
            q.value(1);
        }
        result.openFloor = seconds(timer);
    }

    SDCOMConnection connection;
    connection.setAppServer(std::shared_ptr<IAppServer>(LocalAppServer::connect(database)));
    TCaptura captura;
    captura.FBoAbrir = true;
    QStringList valores;
    const QStringList titulos{QStringLiteral("Código"), QStringLiteral("Nombre")};
    QList<double> keys, keyCpu, repaints;
    QElapsedTimer opening;

    QTimer::singleShot(0, &captura, [&] {
        QCoreApplication::processEvents();
        result.open = seconds(opening);
        result.rows = captura.CdsTmp->recordCount();
        QWidget* viewport = captura.DBGrid1->viewport();
        const auto type = [&](const QString& text) {
            captura.edtBusqueda->clear();
            for (const QChar c : text) {
                QElapsedTimer key;
                key.start();
                const std::clock_t cpu = std::clock();
                QTest::keyClicks(captura.edtBusqueda, QString(c));
                QCoreApplication::processEvents();
                viewport->repaint();
                keys.append(seconds(key));
                keyCpu.append(double(std::clock() - cpu) / CLOCKS_PER_SEC);
            }
            QElapsedTimer paint;
            paint.start();
            viewport->repaint();
            repaints.append(seconds(paint));
        };
        for (const QString& code : typing.codes)
            type(code);
        captura.CmbCampos->setCurrentIndex(1);
        captura.CmbCamposClick();
        for (const QString& name : typing.names)
            type(name);

        captura.CmbCampos->setCurrentIndex(0);
        captura.CmbCamposClick();
        captura.edtValor->setText(typing.codes.at(2));
        QElapsedTimer value;
        value.start();
        captura.SpeedButton1->click();
        QCoreApplication::processEvents();
        viewport->repaint();
        result.valueSearch = seconds(value);
        captura.reject();
    });
    opening.start();
    captura.MostrarCaptura(&connection, nullptr, {accountSql()},
                           {QStringLiteral("COD_CUEN"), QStringLiteral("NOM_CUEN")}, {}, valores,
                           titulos, QStringLiteral("Cuentas contables"));

    result.keystrokes = int(keys.size());
    result.keyMedian = BenchProcess::median(keys);
    result.keyMax = keys.isEmpty() ? 0 : *std::max_element(keys.begin(), keys.end());
    result.repaint = BenchProcess::median(repaints);
    result.keyCpuMedian = BenchProcess::median(keyCpu);
    result.keyCpuMax = keyCpu.isEmpty() ? 0 : *std::max_element(keyCpu.begin(), keyCpu.end());
    return result;
}

} // namespace tavrel::bench
