#pragma once

#include "TfrmFormaMaestro.h"

#include <QPointer>
#include <QString>

#include <memory>

namespace tavrel::report {
class ReportRun;
}
class QLabel;
struct TipoCampoRelacionado;
class TVInfoAyuda;
class TVNotas;
class TVPField;

namespace tavrel {
class DBEdit;
class DBLookupComboBox;
} // namespace tavrel

// The maintenance window "Relación Rubros SIIF2": the relation rows (NM_RPCOS) of one
// company in the master form's grid, and the edit panel below it.
//
// The handler bodies live in separate files by subject: the window itself here
// (UVeZezev.cpp), the code pickers in UVeZezevSelectores.cpp, the print actions in
// UVeZezevReporte.cpp and the caused-value update in UVeZezevCausado.cpp.
class TFrmVeZezev : public TfrmFormaMaestro
{
    Q_OBJECT

public:
    explicit TFrmVeZezev(QWidget* parent = nullptr);
    ~TFrmVeZezev() override;

    // Published handlers, in the order of the form description.
    Q_INVOKABLE void FormCreate(QObject* Sender = nullptr) override;
    Q_INVOKABLE void dtsFrmStateChange(QObject* Sender = nullptr);
    Q_INVOKABLE void VPFieldCodCuenClick(QObject* Sender = nullptr);
    Q_INVOKABLE void VPFieldCodContClick(QObject* Sender = nullptr);
    Q_INVOKABLE void VPFCamRelaClick(QObject* Sender = nullptr);
    Q_INVOKABLE void cmbEmpresaChange(QObject* Sender = nullptr) override;
    Q_INVOKABLE void BtnReporteClick(QObject* Sender = nullptr);
    Q_INVOKABLE void DBEdtCodCuenEnter(QObject* Sender = nullptr);
    Q_INVOKABLE void ActualizarCausado();

    // The window's program code (gStNombProg) and the user of the session (gStCodiUsua).
    QString NomProg() const;
    QString CodiUsua() const;

    // The edit panel, by the names of the form description.
    QLabel* LblCodCont = nullptr;
    tavrel::DBEdit* DBEdtCodCont = nullptr;
    TVNotas* VNotas1 = nullptr;
    tavrel::DBEdit* DBEDtfNmbCont = nullptr;
    TVPField* VPFieldCodCont = nullptr;
    QLabel* LblCamRela = nullptr;
    tavrel::DBEdit* DBECamRela = nullptr;
    tavrel::DBEdit* DBEDtfNmbCamRela = nullptr;
    TVPField* VPFCamRela = nullptr;
    QLabel* LblCodCuen = nullptr;
    tavrel::DBEdit* DBEdtCodCuen = nullptr;
    tavrel::DBEdit* DBEDtfNmbCuen = nullptr;
    TVPField* VPFieldCodCuen = nullptr;
    QLabel* Label4 = nullptr;
    tavrel::DBLookupComboBox* DBLookupComboBox1 = nullptr;
    QLabel* Label5 = nullptr;
    tavrel::DBLookupComboBox* DBLookupComboBox2 = nullptr;
    QLabel* Label6 = nullptr;
    tavrel::DBLookupComboBox* DBLookupComboBox3 = nullptr;
    QLabel* Label1 = nullptr;
    tavrel::DBEdit* DBEdtDepAPac = nullptr;
    QLabel* Label2 = nullptr;
    tavrel::DBEdit* DBEdtValTota = nullptr;
    QLabel* Label3 = nullptr;
    tavrel::DBEdit* DBEdtValCaus = nullptr;
    QLabel* Label7 = nullptr;
    tavrel::DBEdit* DBEdtValSald = nullptr;
    TVInfoAyuda* VInfoAyuda = nullptr;

    // Writes the report of the company on the window to a PDF file, as the preview's
    // export does; the file is replaced only when the whole report was written. Reached
    // by name by the host's headless report command. Errors are thrown as ModuleError.
    Q_INVOKABLE void ExportarPdf(const QString& archivo);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CrearColumnas();
    void CrearPanel();
    void CrearSelectores();
    void AjustarAnchoColumnas();
    // The design-time links to the data module's datasets and its related-field kind,
    // made as soon as it exists.
    void EnlazarDatos();
    // The related-field label, edits and picker of the kind the data module configured.
    void MostrarCampoRelacionado(const TipoCampoRelacionado& tipo);
    // A run of the report that lays the pages out anew from the company and relation
    // datasets as they stand.
    std::unique_ptr<tavrel::report::ReportRun> PrepararReporte();

    bool m_alturaExterior = false; // the frame has been taken into account once
};

// Set by the load entry while the module is loaded; null otherwise.
extern QPointer<TFrmVeZezev> FrmVeZezev;
