#include "BackupCommand.h"
#include "InitDbCommand.h"
#include "SchemaCatalog.h"
#include "SqliteBackup.h"
#include "TestDatabase.h"
#include "Thrown.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <thread>

using namespace Qt::StringLiterals;
using namespace tavrel;
using tavrel::test::TestDatabase;

// Copies of a SQLite database: taken while desks write, checked, never over a file, and
// kept by an upgrade before it changes anything.
class TstBackup : public QObject
{
    Q_OBJECT

private slots:
    void aCopyTakenWhileAnotherConnectionWrites();
    void theCommandRefusesWhatItCannotCopySafely_data();
    void theCommandRefusesWhatItCannotCopySafely();
    void anUpgradeKeepsTheOldFile();
};

namespace {

struct Result
{
    int code;
    QString out;
    QString err;
};

template <class Command> Result runCommand(Command command, const QStringList& args)
{
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    const int code = command(args, outStream, errStream);
    return {code, out, err};
}

} // namespace

// The copy holds every row committed before it began and none half: the writer's rows
// are numbered 1, 2, 3 … in transactions of their own, so a consistent copy holds 1 to N.
void TstBackup::aCopyTakenWhileAnotherConnectionWrites()
{
    TestDatabase db(TestDatabase::Content::Demo, u"sqlite"_s);
    db.exec(u"CREATE TABLE T_ESCRITA (NUM_FILA INTEGER NOT NULL, TXT_FILA TEXT NOT NULL)"_s);
    const int relations = db.queryValue(u"SELECT COUNT(*) FROM NM_RPCOS"_s).toInt();
    db.disconnect();
    std::atomic<int> committed = 0;
    std::atomic<bool> stop = false;
    std::thread writer([&, file = db.url()] {
        {
            QSqlDatabase connection = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"escritor"_s);
            connection.setDatabaseName(file);
            connection.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=10000"_s);
            if (connection.open()) {
                QSqlQuery insert(connection);
                insert.prepare(u"INSERT INTO T_ESCRITA VALUES (?, ?)"_s);
                for (int n = 1; !stop && n < 100000; ++n) {
                    connection.transaction();
                    insert.addBindValue(n);
                    insert.addBindValue(QString(400, QLatin1Char('x')));
                    if (!insert.exec() || !connection.commit())
                        break;
                    committed = n;
                }
            }
        }
        QSqlDatabase::removeDatabase(u"escritor"_s);
    });
    QTRY_VERIFY(committed >= 200);
    const int before = committed;
    QTemporaryDir dir;
    const QString copy = dir.filePath(u"copia.sqlite"_s);
    const auto taken = thrownBy([&] { SqliteBackup::copy(db.url(), copy); });
    // The writer is not held up by the copy.
    const int after = committed;
    QTRY_VERIFY(committed > after);
    stop = true;
    writer.join();
    QVERIFY2(!taken, taken ? qPrintable(taken->message()) : "");

    TestDatabase opened(TestDatabase::Content::Nothing, u"sqlite"_s);
    QVERIFY(QFile::remove(opened.url()) || !QFile::exists(opened.url()));
    QVERIFY(QFile::copy(copy, opened.url()));
    QCOMPARE(opened.queryValue(u"PRAGMA integrity_check"_s).toString(), u"ok"_s);
    const QVariantList rows =
        opened.queryRows(u"SELECT COUNT(*), MAX(NUM_FILA) FROM T_ESCRITA"_s).value(0);
    QVERIFY2(rows.value(0).toInt() >= before, qPrintable(rows.value(0).toString()));
    QCOMPARE(rows.value(1).toInt(), rows.value(0).toInt());
    QCOMPARE(opened.queryValue(u"SELECT COUNT(*) FROM NM_RPCOS"_s).toInt(), relations);
}

void TstBackup::theCommandRefusesWhatItCannotCopySafely_data()
{
    QTest::addColumn<QString>("database"); // {demo}: a demo file
    QTest::addColumn<bool>("targetExists");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("said");
    QTest::newRow("a file is copied") << u"{demo}"_s << false << 0 << u"integridad revisada"_s;
    QTest::newRow("an existing file is not replaced")
        << u"{demo}"_s << true << 1 << u"ya existe; la copia no reemplaza"_s;
    QTest::newRow("a file that is not there")
        << u"/nonexistent/nomina.sqlite"_s << false << 1 << u"No existe la base de datos"_s;
    QTest::newRow("PostgreSQL has its own tools")
        << u"postgresql://tavrel@db/nomina"_s << false << 2 << u"pg_dump"_s;
}

void TstBackup::theCommandRefusesWhatItCannotCopySafely()
{
    QFETCH(QString, database);
    QFETCH(bool, targetExists);
    QFETCH(int, code);
    QFETCH(QString, said);
    TestDatabase demo(TestDatabase::Content::Demo, u"sqlite"_s);
    QTemporaryDir dir;
    const QString target = dir.filePath(u"copia.sqlite"_s);
    if (targetExists) {
        QFile existing(target);
        QVERIFY(existing.open(QIODevice::WriteOnly) && existing.write("anterior") == 8);
    }
    const Result result =
        runCommand(&BackupCommand::run,
                   {u"--database"_s, database.replace(u"{demo}"_s, demo.url()), u"--to"_s, target});
    QCOMPARE(result.code, code);
    QVERIFY2((result.out + result.err).contains(said), qPrintable(result.out + result.err));
    QFile written(target);
    QCOMPARE(written.exists(), code == 0 || targetExists);
    if (targetExists && written.open(QIODevice::ReadOnly))
        QCOMPARE(written.readAll(), QByteArray("anterior"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), written.exists() ? 1 : 0);
}

// The copy an upgrade makes keeps the file as it was: the older version, every row.
void TstBackup::anUpgradeKeepsTheOldFile()
{
    TestDatabase db(TestDatabase::Content::Demo, u"sqlite"_s);
    const int older = SchemaCatalog::version - 1;
    db.exec(u"UPDATE TVL_SCHEMA SET NUM_VERS = %1"_s.arg(older));
    db.disconnect();
    const Result upgraded =
        runCommand(&InitDbCommand::run, {u"--upgrade"_s, u"--database"_s, db.url()});
    QCOMPARE(upgraded.code, 0);
    // Beside the file, named with the day.
    const QString named =
        upgraded.out.section(u"Copia de la base anterior: "_s, 1).section(u'\n', 0, 0);
    QCOMPARE(QFileInfo(named).absolutePath(), QFileInfo(db.url()).absolutePath());
    QVERIFY2(named.contains(QDate::currentDate().toString(Qt::ISODate)), qPrintable(upgraded.out));
    QCOMPARE(db.queryValue(u"SELECT MAX(NUM_VERS) FROM TVL_SCHEMA"_s).toInt(),
             SchemaCatalog::version);
    TestDatabase old(TestDatabase::Content::Nothing, u"sqlite"_s);
    QVERIFY(QFile::copy(named, old.url()));
    QCOMPARE(old.queryValue(u"SELECT MAX(NUM_VERS) FROM TVL_SCHEMA"_s).toInt(), older);
    QCOMPARE(old.queryValue(u"SELECT COUNT(*) FROM NM_RPCOS"_s),
             db.queryValue(u"SELECT COUNT(*) FROM NM_RPCOS"_s));
}

QTEST_GUILESS_MAIN(TstBackup)
#include "tst_backup.moc"
