// Writes the relation-shaped sample report to a PDF, for looking at it.
#include "RelationSample.h"
#include "ReportRenderer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextStream>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        QTextStream(stderr) << "uso: report_sample <archivo.pdf> [filas]\n";
        return 2;
    }
    RelationSample sample(args.size() > 2 ? args[2].toInt() : 14);
    QElapsedTimer timer;
    timer.start();
    const tavrel::report::LaidOutDocument document = sample.layOut();
    const qint64 layoutMs = timer.restart();
    tavrel::report::ReportRenderer(document).exportPdf(args[1]);
    QTextStream(stdout) << document.pages.size() << " páginas; diagramación " << layoutMs
                        << " ms, PDF " << timer.elapsed() << " ms\n";
    return 0;
}
