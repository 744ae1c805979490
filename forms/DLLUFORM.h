#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>
#include <QStringList>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class SClientDataSet;
class SDCOMConnection;
class TTavrelDBgrid;
class TVNavegador;
class TVPField;
class TVSDBQbe;
class TVsCmbCodigo;

namespace tavrel {
class DataSource;
class Field;
} // namespace tavrel

// The generic modal dialog in which a row of a free query is searched and chosen.
//
// A picker (TVPField) hands over its query, the query columns to return (Variables),
// the destination fields (Destino) of its dataset, the column titles and the window
// title. When the user accepts a row, each returned column is written into the
// matching destination field (while the dataset is in Edit or Insert), the values go
// back into the picker's Valores, and the call reports acceptance.
//
// One instance serves every pick of the loaded module. The query runs on the
// application server through the temporary provider "DtsPTemporal".
class TCaptura : public QDialog
{
    Q_OBJECT

public:
    explicit TCaptura(QWidget* parent = nullptr);
    ~TCaptura() override;

    // Runs the dialog for the picker; true when a row was accepted. A picker with tag 0
    // shows every row at once, any other tag starts with the criteria window.
    Q_INVOKABLE bool EjecutarCaptura(TVPField* VPField);

    // Runs the dialog on `SQL`; the chosen row's `Variables` columns are written into
    // the `Destino` fields of `DataSet` and, when there are any, replace `Valores`.
    bool MostrarCaptura(SDCOMConnection* Servidor, SClientDataSet* DataSet, const QStringList& SQL,
                        const QStringList& Variables, const QStringList& Destino,
                        QStringList& Valores, const QStringList& Titulos, const QString& Titulo);

    // Published handlers.
    Q_INVOKABLE void FormShow(QObject* Sender = nullptr);
    Q_INVOKABLE void CdsTmpAfterOpen(QObject* Sender = nullptr);
    Q_INVOKABLE void Datos1DataChange(QObject* Sender = nullptr);
    Q_INVOKABLE void DBGrid1DblClick(QObject* Sender = nullptr);
    Q_INVOKABLE void CmbCamposClick(QObject* Sender = nullptr);
    Q_INVOKABLE void edtBusquedaKeyPress(QObject* Sender = nullptr);
    Q_INVOKABLE void edtBusquedaChange(QObject* Sender = nullptr);
    Q_INVOKABLE void SpeedButton1Click(QObject* Sender = nullptr);
    Q_INVOKABLE void BitBtnAceptarClick(QObject* Sender = nullptr);

    // Components, by the names of the form description.
    QLabel* Label3 = nullptr;
    TVsCmbCodigo* CmbCampos = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* edtBusqueda = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* edtValor = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    TTavrelDBgrid* DBGrid1 = nullptr;
    TVNavegador* VNavegador1 = nullptr;
    QFrame* Panel2 = nullptr;
    QPushButton* BitBtnAceptar = nullptr;
    QPushButton* BitBtn2 = nullptr;
    TVSDBQbe* VSDBQbe1 = nullptr;
    QPushButton* BitBtn3 = nullptr;
    QLabel* LblVersion = nullptr;
    tavrel::DataSource* Datos1 = nullptr;
    SClientDataSet* CdsTmp = nullptr;

    // The state of one opening.
    bool FBoAbrir = false;
    QStringList FValores;
    QStringList FVariables;
    QStringList FDestino;
    QPointer<SClientDataSet> FDataSet;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void crearComponentes();
    void conectarEventos();
    void escribirDestino(int linea, const QString& variable);
    void prepararBusqueda();
};

// Set by the load entry while the module is loaded; null otherwise.
extern QPointer<TCaptura> Captura;

// The state of the dialog's current use, one set per module.
extern bool gBoDobleClic;             // the dialog was closed by a double click on a row
extern QString gStBusqueda;           // the search text before the last keystroke
extern const QStringList* gLsTitulos; // the picker's titles, while the dialog is open
extern QPointer<TVPField> gVpfCampo;  // the picker being served
