#pragma once

#include "MTavrelMPRExport.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPalette>
#include <QPointer>
#include <QStringList>

class QLabel;
class SClientDataSet;

// Turns labels into links to other programs of the suite. AsignarEventosMouseDown gives
// the label at each index the path at the same index: the label is drawn as a link
// (underlined, link colour, pointing hand) and a left click asks
// tavrel::ProgramLauncher to open the program. Labels without a path (the list of paths
// is shorter, or the path is blank) are plain labels again. CrearLlavesInformacion makes
// a label's request carry a key: the value of a column of the current record of DataSet.
// Errors of a click go to tavrel::ErrorReporter.
class MTAVRELMPR_EXPORT TVInfoAyuda : public QObject
{
    Q_OBJECT
    Q_MOC_INCLUDE("SClientDataSet.h")
    Q_PROPERTY(SClientDataSet* DataSet READ dataSet WRITE setDataSet)

public:
    explicit TVInfoAyuda(QObject* parent = nullptr);
    ~TVInfoAyuda() override;

    SClientDataSet* dataSet() const;
    void setDataSet(SClientDataSet* dataSet);

    void AsignarEventosMouseDown(const QList<QLabel*>& labels, const QStringList& paths);
    // keyField: the column of DataSet whose value the link carries; infoField: the
    // column of the opened program that receives it.
    void CrearLlavesInformacion(const QString& keyField, const QString& infoField, QLabel* label);

    // The path a label opens; empty when it is a plain label.
    QString pathOf(const QLabel* label) const;
    // Opens the label's program as its click does; throws ModuleError.
    void openProgram(QLabel* label);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Link
    {
        QPointer<QLabel> label;
        QString path;
        QString keyField;
        QString infoField;
        QPalette plainPalette;
        bool linked = false;
    };
    Link& linkOf(QLabel* label);
    void makeLink(Link& link);
    void makePlain(Link& link);

    QPointer<SClientDataSet> m_dataSet;
    QList<Link> m_links;
};
