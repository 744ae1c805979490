#include "BackupCommand.h"
#include "InitDbCommand.h"
#include "SchemaCatalog.h"
#include "TestDatabase.h"

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

// Copies of a SQLite database: taken while desks write, never over another file, and
// kept by an upgrade before it changes anything.
class TstBackup : public QObject
{
    Q_OBJECT

private slots:
    void aCopyTakenWhileAnotherConnectionWrites();
    void anUpgradeKeepsTheOldFile();
};

namespace {

// A command's exit code and all it wrote.
template <class Command> QPair<int, QString> runCommand(Command command, const QStringList& args)
{
    QString said;
    QTextStream out(&said);
    const int code = command(args, out, out);
    return {code, said};
}

} // namespace

// The writer's rows are numbered 1, 2, 3 … in transactions of their own: a copy of one
// moment holds 1 to N, with N at least the rows committed before the copy began.
void TstBackup::aCopyTakenWhileAnotherConnectionWrites()
{
    TestDatabase db(TestDatabase::Content::Demo, u"sqlite"_s);
    db.exec(u"CREATE TABLE T_ESCRITA (NUM_FILA INTEGER NOT NULL, TXT_FILA TEXT NOT NULL)"_s);
    db.disconnect();
    std::atomic<int> committed = 0;
    std::atomic<bool> stop = false;
    std::thread writer([&, file = db.url()] {
        {
            QSqlDatabase connection = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"escritor"_s);
            connection.setDatabaseName(file);
            connection.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=10000"_s);
            QSqlQuery insert(connection.open() ? connection : QSqlDatabase());
            insert.prepare(u"INSERT INTO T_ESCRITA VALUES (?, ?)"_s);
            for (int n = 1; !stop && connection.transaction(); committed = n++) {
                insert.addBindValue(n);
                insert.addBindValue(QString(400, QLatin1Char('x')));
                if (!insert.exec() || !connection.commit())
                    break;
            }
        }
        QSqlDatabase::removeDatabase(u"escritor"_s);
    });
    QTRY_VERIFY(committed >= 200);
    const int before = committed;
    QTemporaryDir dir;
    const QString copy = dir.filePath(u"copia.sqlite"_s);
    const auto taken =
        runCommand(&BackupCommand::run, {u"--database"_s, db.url(), u"--to"_s, copy});
    const int after = committed;
    QTRY_VERIFY2(committed > after, "the writer goes on after the copy");
    stop = true;
    writer.join();
    QVERIFY2(taken.first == 0 && taken.second.contains(u"integridad revisada"_s),
             qPrintable(taken.second));

    TestDatabase opened(TestDatabase::Content::Nothing, u"sqlite"_s);
    QVERIFY(QFile::copy(copy, opened.url()));
    QCOMPARE(opened.queryValue(u"PRAGMA integrity_check"_s).toString(), u"ok"_s);
    const QVariantList rows =
        opened.queryRows(u"SELECT COUNT(*), MAX(NUM_FILA) FROM T_ESCRITA"_s).value(0);
    QVERIFY2(rows.value(0).toInt() >= before, qPrintable(rows.value(0).toString()));
    QCOMPARE(rows.value(1).toInt(), rows.value(0).toInt());

    // A second copy to the same name is refused and leaves the first as it was.
    QVERIFY(QFile(copy).resize(4096));
    QCOMPARE(runCommand(&BackupCommand::run, {u"--database"_s, db.url(), u"--to"_s, copy}).first,
             1);
    QCOMPARE(QFileInfo(copy).size(), 4096);
}

// The copy an upgrade makes keeps the file as it was: the older version, every row.
void TstBackup::anUpgradeKeepsTheOldFile()
{
    TestDatabase db(TestDatabase::Content::Demo, u"sqlite"_s);
    const int older = SchemaCatalog::version - 1;
    db.exec(u"UPDATE TVL_SCHEMA SET NUM_VERS = %1"_s.arg(older));
    db.disconnect();
    const auto [code, output] =
        runCommand(&InitDbCommand::run, {u"--upgrade"_s, u"--database"_s, db.url()});
    QCOMPARE(code, 0);
    // Beside the file, named with the day.
    const QString named = output.section(u"Copia de la base anterior: "_s, 1).section(u'\n', 0, 0);
    QCOMPARE(QFileInfo(named).absolutePath(), QFileInfo(db.url()).absolutePath());
    QVERIFY2(named.contains(QDate::currentDate().toString(Qt::ISODate)), qPrintable(output));
    TestDatabase old(TestDatabase::Content::Nothing, u"sqlite"_s);
    QVERIFY(QFile::copy(named, old.url()));
    const QString version = u"SELECT MAX(NUM_VERS) FROM TVL_SCHEMA"_s;
    QCOMPARE(old.queryValue(version).toInt(), older);
    QCOMPARE(db.queryValue(version).toInt(), SchemaCatalog::version);
    const QString relations = u"SELECT COUNT(*) FROM NM_RPCOS"_s;
    QCOMPARE(old.queryValue(relations), db.queryValue(relations));
}

QTEST_GUILESS_MAIN(TstBackup)
#include "tst_backup.moc"
