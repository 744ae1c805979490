#pragma once

#include "BatchCall.h"
#include "HostedProgram.h"
#include "MVGnNormaMPExport.h"

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

class QAction;
class QLabel;
class QMenuBar;
class QScrollArea;
class QToolButton;
class SClientDataSet;
class SDCOMConnection;
class TTavrelDBgrid;
class TVNavegador;
class TVNotas;
class TVSDBQbe;
class TVsCmbCodigo;

namespace tavrel {
class DataSource;
}

// The master form of the suite's maintenance windows. A derived form sets the dataset
// of dtsFrm, the columns of DBGFrm and puts its controls on the edit panel inside
// ScBFrm; the master form brings the rest:
//
//   - the query-by-example button DBQbe1, through which the dataset of dtsFrm is opened
//     when the derived form binds it (SetDataset), and the notes button NotasTavrel on
//     the same dataset;
//   - the connection DCOMCnction to the application server of the session
//     (gStProtocolo, gStParSrv);
//   - the login: FormCreate validates gStParUsu / gStParPas on the server and fills
//     gStCodiUsua, gStPassUsua and gStTipoUsuario;
//   - the company box cmbEmpresa with the companies of the user (CdsGnUempr) named from
//     CdsGnEmpre; its change handler cmbEmpresaChange keeps the current company in the
//     module application's tag and in gStCodiEmpr, and opens the dataset of dtsFrm on
//     that company's rows only;
//   - every post and delete of that dataset carried to the server at once;
//   - the grid DBGFrm, the navigator VNvgdrFrm, the print buttons spbReporte and
//     spbPreview with the menu items Imprimir3 (preview), PrepararPgina1 (page set-up)
//     and Imprimir1 (print), which all run the report handler of the derived form, and
//     the export of the grid to a CSV file.
//
// The derived form replaces FormCreate and cmbEmpresaChange and calls the framework's:
// last in FormCreate, first in cmbEmpresaChange. Whoever creates the form calls
// FormCreate once; when it throws (a refused login, a user without companies) the form
// must not be shown. Its first company change is handled like every later one: an error
// there goes to the error handler and the form stays usable.
//
// Every handler started by a control catches the errors and hands them to the module
// application's handleException (through tavrel::ErrorReporter).
//
// The host that loaded the form asks it through tavrel::HostedProgram: the operations the
// derived form published, whether a record is being edited, a refresh, the company, the
// key of the current row (the fields the derived form named) and the exports.
class MVGNNORMAMP_EXPORT TfrmFormaMaestro : public QWidget, public tavrel::HostedProgram
{
    Q_OBJECT

public:
    explicit TfrmFormaMaestro(QWidget* parent = nullptr);
    ~TfrmFormaMaestro() override;

    Q_INVOKABLE virtual void FormCreate(QObject* Sender = nullptr);
    Q_INVOKABLE virtual void cmbEmpresaChange(QObject* Sender = nullptr);

    // Resizing inside the host: a new height, or a new width and height.
    Q_INVOKABLE void CambiarAltura(int alto);
    Q_INVOKABLE void CambiarTamano(int ancho, int alto);

    // The company in effect (0 before the first company change).
    int currentCompany() const;
    // The column that holds the company in the dataset of dtsFrm ("COD_EMPR"); empty for
    // a dataset without companies, which is then opened unrestricted.
    QString companyField() const;
    void setCompanyField(const QString& field);
    // The command text of dtsFrm's dataset as the derived form gave it, before the
    // company restriction (and the query-by-example conditions) were added.
    QString baseCommandText() const;

    // The derived form's report action, run by the print buttons and menu items with
    // the one that was used; without one they are disabled.
    void setReportHandler(std::function<void(QObject* sender)> handler);
    // Runs the report handler (a UI boundary: errors are shown, not thrown).
    Q_INVOKABLE void ejecutarReporte(QObject* sender);

    // Write the rows of the grid into a CSV file (see tavrel::CsvWriter) or an Excel
    // workbook (see TTavrelDBgrid::xlsxSheet), followed there by the sheets of the host's
    // addExportSheets; the file is replaced only when it was written completely. Throw
    // ModuleError on failure.
    Q_INVOKABLE void exportarCsv(const QString& path);
    Q_INVOKABLE void exportarExcel(const QString& path);

    // Offers an operation of the derived form to the host (HostedProgram::operations),
    // which runs it by its name.
    void publishOperation(const tavrel::ProgramOperation& operation, std::function<void()> run);
    // The fields of dtsFrm's dataset that make up the key of a row (currentKey).
    void setKeyFields(const QStringList& fields);
    // The derived form's report written as PDF (exportPdf); without it the PDF is refused.
    void setPdfExport(std::function<void(const QString& path)> exporter);

    // tavrel::HostedProgram
    QList<tavrel::ProgramOperation> operations() const override;
    void runOperation(const QString& name) override;
    bool isEditing() const override;
    void refresh() override;
    int company() const override;
    QVariantMap currentKey() const override;
    void exportCsv(const QString& path) override;
    void exportExcel(const QString& path) override;
    void exportPdf(const QString& path) override;

    // The inside of ScBFrm, where the derived form places its controls.
    QWidget* panel() const;

    // Components, by their names in the form descriptions.
    SDCOMConnection* DCOMCnction = nullptr;
    SClientDataSet* CdsGnUempr = nullptr;
    SClientDataSet* CdsGnEmpre = nullptr;
    tavrel::DataSource* dtsFrm = nullptr;
    TTavrelDBgrid* DBGFrm = nullptr;
    QScrollArea* ScBFrm = nullptr;
    TVNavegador* VNvgdrFrm = nullptr;
    QLabel* lblEmpresa = nullptr;
    TVsCmbCodigo* cmbEmpresa = nullptr;
    QToolButton* spbPreview = nullptr;
    QToolButton* spbReporte = nullptr;
    QMenuBar* MainMenu = nullptr;
    QAction* Imprimir3 = nullptr;      // Vista previa
    QAction* PrepararPgina1 = nullptr; // Preparar página
    QAction* Imprimir1 = nullptr;      // Imprimir
    QAction* Exportar1 = nullptr;      // Exportar a CSV
    QAction* ExportarExcel1 = nullptr; // Exportar a Excel
    TVSDBQbe* DBQbe1 = nullptr;
    TVNotas* NotasTavrel = nullptr;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildMenu();
    void buildToolBar(QWidget* bar);
    void connectToServer();
    void logIn();
    // The session's user, and the login check's arguments for it.
    static QString loginUser();
    static QVariantList loginArguments();
    // Sets the user companies' query for the session's user; returns its open.
    tavrel::BatchCall prepareUserCompanies();
    void loadCompanies();
    void chooseFirstCompany();
    void companyChosen();
    void openForCompany(int company);
    void exportWithDialog(bool excel);
    void updateRecordActions();

    struct Private;
    std::unique_ptr<Private> d;
};
