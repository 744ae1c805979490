#include "TfrmFormaMaestro.h"

#include "ApplyAfterChange.h"
#include "DataSource.h"
#include "EditPanel.h"
#include "ErrorReporter.h"
#include "Field.h"
#include "ModuleApplication.h"
#include "ModuleError.h"
#include "SClientDataSet.h"
#include "SDCOMConnection.h"
#include "SessionGlobals.h"
#include "SessionServices.h"
#include "SqlCondition.h"
#include "TTavrelDBgrid.h"
#include "TVNavegador.h"
#include "TVNotas.h"
#include "TVSDBQbe.h"
#include "TVsCmbCodigo.h"
#include "XlsxWriter.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QSaveFile>
#include <QScrollArea>
#include <QSet>
#include <QToolButton>
#include <QVBoxLayout>

using tavrel::DataSetState;
using tavrel::ErrorReporter;
using tavrel::ModuleError;

namespace {

const QString UserCompaniesSql =
    QStringLiteral("SELECT COD_EMPR FROM GN_UEMPR WHERE UPPER(COD_USUA) = :P_COD_USUA");
const QString CompaniesSql =
    QStringLiteral("SELECT COD_EMPR, NOM_EMPR, NIT_EMPR, BMP_REPO FROM GN_EMPRE ORDER BY COD_EMPR");

bool editing(const SClientDataSet* ds)
{
    return ds && (ds->state() == DataSetState::Edit || ds->state() == DataSetState::Insert);
}

} // namespace

struct TfrmFormaMaestro::Private
{
    tavrel::EditPanel* panel = nullptr;
    std::function<void(QObject*)> reportHandler;
    QList<QPair<QAction*, TVNavegador::Button>> recordActions;
    QString companyField = QStringLiteral("COD_EMPR");
    int company = 0;
    // The dataset last opened for a company, its text as the derived form gave it and
    // the restricted text the master form put in its place.
    QPointer<SClientDataSet> restricted;
    QString baseText;
    QString restrictedText;
    // What the host may ask for.
    QList<QPair<tavrel::ProgramOperation, std::function<void()>>> operations;
    QStringList keyFields;
    std::function<void(const QString&)> pdfExport;
};

TfrmFormaMaestro::TfrmFormaMaestro(QWidget* parent)
    : QWidget(parent), d(std::make_unique<Private>())
{
    setObjectName(QStringLiteral("frmFormaMaestro"));

    DCOMCnction = new SDCOMConnection(this);
    DCOMCnction->setObjectName(QStringLiteral("DCOMCnction"));

    CdsGnUempr = new SClientDataSet(this);
    CdsGnUempr->setObjectName(QStringLiteral("CdsGnUempr"));
    CdsGnUempr->setProviderName(QStringLiteral("DtsPGnUempr"));
    CdsGnUempr->setRemoteServer(DCOMCnction);
    CdsGnUempr->setCommandText(UserCompaniesSql);

    CdsGnEmpre = new SClientDataSet(this);
    CdsGnEmpre->setObjectName(QStringLiteral("CdsGnEmpre"));
    CdsGnEmpre->setProviderName(QStringLiteral("DtsPGnEmpre"));
    CdsGnEmpre->setRemoteServer(DCOMCnction);
    CdsGnEmpre->setCommandText(CompaniesSql);

    dtsFrm = new tavrel::DataSource(this);
    dtsFrm->setObjectName(QStringLiteral("dtsFrm"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    MainMenu = new QMenuBar(this);
    MainMenu->setObjectName(QStringLiteral("MainMenu"));
    layout->setMenuBar(MainMenu);

    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("PnlHerramientas"));
    buildToolBar(bar);
    layout->addWidget(bar);

    DBGFrm = new TTavrelDBgrid(this);
    DBGFrm->setObjectName(QStringLiteral("DBGFrm"));
    DBGFrm->setDataSource(dtsFrm);
    layout->addWidget(DBGFrm, 1);

    ScBFrm = new QScrollArea(this);
    ScBFrm->setObjectName(QStringLiteral("ScBFrm"));
    ScBFrm->setWidgetResizable(true);
    ScBFrm->setFrameShape(QFrame::StyledPanel);
    d->panel = new tavrel::EditPanel;
    d->panel->setObjectName(QStringLiteral("PnlEdicion"));
    ScBFrm->setWidget(d->panel);
    ScBFrm->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    layout->addWidget(ScBFrm);

    buildMenu();
    connect(dtsFrm, &tavrel::DataSource::stateChanged, this,
            &TfrmFormaMaestro::updateRecordActions);
    connect(dtsFrm, &tavrel::DataSource::dataChanged, this, &TfrmFormaMaestro::updateRecordActions);
    connect(dtsFrm, &tavrel::DataSource::dataSetChanged, this,
            &TfrmFormaMaestro::updateRecordActions);
    connect(cmbEmpresa, &QComboBox::activated, this, &TfrmFormaMaestro::companyChosen);
    setReportHandler({});
    updateRecordActions();
    setFocusProxy(DBGFrm);
}

TfrmFormaMaestro::~TfrmFormaMaestro()
{
    // The controls go first, while the datasets they show still exist.
    disconnect(dtsFrm, nullptr, this, nullptr);
    delete ScBFrm;
    delete DBGFrm;
    delete VNvgdrFrm;
    ScBFrm = nullptr;
    DBGFrm = nullptr;
    VNvgdrFrm = nullptr;
    dtsFrm->setDataSet(nullptr);
}

void TfrmFormaMaestro::buildToolBar(QWidget* bar)
{
    // Two rows, so that the bar fits the narrowest window (719 pixels): the company and
    // the print buttons, then the navigator and the query and notes buttons.
    auto* rows = new QVBoxLayout(bar);
    rows->setContentsMargins(6, 4, 6, 4);
    rows->setSpacing(4);
    auto* top = new QHBoxLayout;
    top->setSpacing(6);
    auto* bottom = new QHBoxLayout;
    bottom->setSpacing(6);
    rows->addLayout(top);
    rows->addLayout(bottom);

    lblEmpresa = new QLabel(QStringLiteral("&Empresa:"), bar);
    lblEmpresa->setObjectName(QStringLiteral("lblEmpresa"));
    cmbEmpresa = new TVsCmbCodigo(bar);
    cmbEmpresa->setObjectName(QStringLiteral("cmbEmpresa"));
    cmbEmpresa->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cmbEmpresa->setMinimumContentsLength(30);
    cmbEmpresa->setMaximumWidth(440);
    cmbEmpresa->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    lblEmpresa->setBuddy(cmbEmpresa);
    top->addWidget(lblEmpresa);
    top->addWidget(cmbEmpresa, 1);
    top->addStretch(0);

    const auto printButton = [&](QToolButton*& button, const char* name, const QString& text,
                                 const QString& hint) {
        button = new QToolButton(bar);
        button->setObjectName(QLatin1String(name));
        button->setText(text);
        button->setToolTip(hint);
        button->setAutoRaise(true);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setFocusPolicy(Qt::NoFocus);
        top->addWidget(button);
        connect(button, &QToolButton::clicked, this, [this, button] { ejecutarReporte(button); });
    };
    printButton(spbPreview, "spbPreview", QStringLiteral("Vista previa"),
                QStringLiteral("Vista previa del informe (Ctrl+Mayús+P)"));
    printButton(spbReporte, "spbReporte", QStringLiteral("Imprimir"),
                QStringLiteral("Imprimir el informe (Ctrl+P)"));

    VNvgdrFrm = new TVNavegador(bar);
    VNvgdrFrm->setObjectName(QStringLiteral("VNvgdrFrm"));
    VNvgdrFrm->setDataSource(dtsFrm);
    VNvgdrFrm->setFlat(true);
    VNvgdrFrm->setFixedSize(10 * 25, 25);
    bottom->addWidget(VNvgdrFrm);

    DBQbe1 = new TVSDBQbe(bar);
    DBQbe1->setObjectName(QStringLiteral("DBQbe1"));
    DBQbe1->setFlat(true);
    DBQbe1->setFocusPolicy(Qt::NoFocus);
    DBQbe1->setToolTip(QStringLiteral("Consulta por ejemplo (F7)"));
    bottom->addWidget(DBQbe1);
    NotasTavrel = new TVNotas(bar);
    NotasTavrel->setObjectName(QStringLiteral("NotasTavrel"));
    NotasTavrel->setAutoRaise(true);
    NotasTavrel->setToolTip(QStringLiteral("Notas / Alertas (F8)"));
    bottom->addWidget(NotasTavrel);
    bottom->addStretch(1);
}

void TfrmFormaMaestro::buildMenu()
{
    const auto action = [this](QMenu* menu, const char* name, const QString& text,
                               const QKeySequence& keys) {
        auto* a = new QAction(text, this);
        a->setObjectName(QLatin1String(name));
        a->setShortcut(keys);
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        menu->addAction(a);
        addAction(a);
        return a;
    };

    QMenu* file = MainMenu->addMenu(QStringLiteral("&Archivo"));
    Imprimir3 = action(file, "Imprimir3", QStringLiteral("&Vista previa"),
                       QKeySequence(QStringLiteral("Ctrl+Shift+P")));
    PrepararPgina1 = action(file, "PrepararPgina1", QStringLiteral("Preparar pá&gina..."), {});
    Imprimir1 = action(file, "Imprimir1", QStringLiteral("&Imprimir"), QKeySequence::Print);
    file->addSeparator();
    Exportar1 = action(file, "Exportar1", QStringLiteral("&Exportar a CSV..."),
                       QKeySequence(QStringLiteral("Ctrl+Shift+E")));
    ExportarExcel1 = action(file, "ExportarExcel1", QStringLiteral("Exportar a E&xcel..."),
                            QKeySequence(QStringLiteral("Ctrl+Shift+X")));
    for (QAction* a : {Imprimir3, PrepararPgina1, Imprimir1}) {
        connect(a, &QAction::triggered, this, [this, a] { ejecutarReporte(a); });
    }
    connect(Exportar1, &QAction::triggered, this, [this] { exportWithDialog(false); });
    connect(ExportarExcel1, &QAction::triggered, this, [this] { exportWithDialog(true); });

    struct RecordAction
    {
        TVNavegador::Button button;
        const char* name;
        const char* text;
        const char* keys;
    };
    const RecordAction records[] = {
        {TVNavegador::First, "actPrimero", "&Primero", "Ctrl+Home"},
        {TVNavegador::Prior, "actAnterior", "&Anterior", "Ctrl+PgUp"},
        {TVNavegador::Next, "actSiguiente", "&Siguiente", "Ctrl+PgDown"},
        {TVNavegador::Last, "actUltimo", "Ú&ltimo", "Ctrl+End"},
        {TVNavegador::Insert, "actInsertar", "&Insertar", "Ctrl+N"},
        {TVNavegador::Delete, "actBorrar", "&Borrar", "Ctrl+Del"},
        {TVNavegador::Edit, "actEditar", "&Editar", "Ctrl+E"},
        {TVNavegador::Post, "actGrabar", "&Grabar", "Ctrl+S"},
        // Escape reaches the form when the control with the focus has no use for it.
        {TVNavegador::Cancel, "actCancelar", "&Cancelar\tEsc", ""},
        {TVNavegador::Refresh, "actRefrescar", "&Refrescar", "F5"},
    };
    QMenu* record = MainMenu->addMenu(QStringLiteral("&Registro"));
    for (const RecordAction& r : records) {
        QAction* a = action(record, r.name, QString::fromUtf8(r.text),
                            QKeySequence(QString::fromLatin1(r.keys)));
        const TVNavegador::Button button = r.button;
        connect(a, &QAction::triggered, this, [this, button] {
            if (VNvgdrFrm->button(button)->isEnabled())
                VNvgdrFrm->btnClick(button);
        });
        d->recordActions.append({a, button});
    }
    record->addSeparator();
    QAction* query = action(record, "actConsulta", QStringLiteral("C&onsulta por ejemplo..."),
                            QKeySequence(Qt::Key_F7));
    connect(query, &QAction::triggered, DBQbe1, &QToolButton::click);
    QAction* notes =
        action(record, "actNotas", QStringLiteral("&Notas / Alertas..."), QKeySequence(Qt::Key_F8));
    connect(notes, &QAction::triggered, NotasTavrel, &QToolButton::click);
}

void TfrmFormaMaestro::updateRecordActions()
{
    for (const auto& [action, button] : std::as_const(d->recordActions))
        action->setEnabled(VNvgdrFrm->button(button)->isEnabled());
}

void TfrmFormaMaestro::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier &&
        VNvgdrFrm->button(TVNavegador::Cancel)->isEnabled()) {
        VNvgdrFrm->btnClick(TVNavegador::Cancel);
        return;
    }
    QWidget::keyPressEvent(event);
}

QWidget* TfrmFormaMaestro::panel() const
{
    return d->panel;
}

// ---- creation and login

void TfrmFormaMaestro::FormCreate(QObject*)
{
    connectToServer();
    // The login check, unless the session's own login made it, and both company reads
    // travel in one round trip.
    if (!loginUser().isEmpty()) {
        QList<tavrel::BatchCall> calls{prepareUserCompanies(), CdsGnEmpre->openCall()};
        if (!DCOMCnction->verifiedLogin(loginUser(), gStParPas))
            calls.prepend(
                tavrel::BatchCall::invoke(QStringLiteral("ValidarUsuario"), loginArguments()));
        DCOMCnction->prefetch(calls);
    }
    logIn();
    loadCompanies();
    chooseFirstCompany();
}

QString TfrmFormaMaestro::loginUser()
{
    return gStParUsu.trimmed().toUpper();
}

QVariantList TfrmFormaMaestro::loginArguments()
{
    return {loginUser(), gStParPas, QString()};
}

tavrel::BatchCall TfrmFormaMaestro::prepareUserCompanies()
{
    CdsGnUempr->close();
    tavrel::Param& user = CdsGnUempr->paramByName(QStringLiteral("P_COD_USUA"));
    user.type = tavrel::FieldType::String;
    user.value = loginUser();
    return CdsGnUempr->openCall();
}

void TfrmFormaMaestro::connectToServer()
{
    DCOMCnction->setServerGUID(gStServerGUID);
    DCOMCnction->setServerName(gStServerName);
    DCOMCnction->setProtocol(gStProtocolo);
    DCOMCnction->setDatabase(gStParSrv);
    DCOMCnction->open();
}

void TfrmFormaMaestro::logIn()
{
    const QString user = loginUser();
    if (user.isEmpty())
        throw ModuleError(QStringLiteral("La sesión no indica el usuario; no se puede abrir la "
                                         "ventana."));
    std::optional<QString> type = DCOMCnction->verifiedLogin(user, gStParPas);
    if (!type) {
        QVariantList args = loginArguments();
        const QVariant status = DCOMCnction->invoke(QStringLiteral("ValidarUsuario"), args);
        if (status.toInt() != 0)
            throw ModuleError(QStringLiteral("Usuario o contraseña incorrectos para «%1»; no "
                                             "se puede abrir la ventana.")
                                  .arg(user));
        type = args.value(2).toString();
    }
    gStCodiUsua = user;
    gStPassUsua = gStParPas;
    gStTipoUsuario = *type;
}

void TfrmFormaMaestro::loadCompanies()
{
    prepareUserCompanies();
    CdsGnUempr->open();
    QSet<int> allowed;
    const int userCompany = CdsGnUempr->fieldByName(QStringLiteral("COD_EMPR"))->index();
    for (int row = 0; row < CdsGnUempr->recordCount(); ++row)
        allowed.insert(CdsGnUempr->valueAt(row, userCompany).toInt());

    CdsGnEmpre->close();
    CdsGnEmpre->open();
    const int code = CdsGnEmpre->fieldByName(QStringLiteral("COD_EMPR"))->index();
    const int name = CdsGnEmpre->fieldByName(QStringLiteral("NOM_EMPR"))->index();
    cmbEmpresa->limpiar();
    for (int row = 0; row < CdsGnEmpre->recordCount(); ++row) {
        const int company = CdsGnEmpre->valueAt(row, code).toInt();
        if (allowed.contains(company))
            cmbEmpresa->agregar(CdsGnEmpre->valueAt(row, name).toString(),
                                QString::number(company));
    }
    if (cmbEmpresa->count() == 0)
        throw ModuleError(QStringLiteral("El usuario «%1» no tiene empresas asignadas; no se "
                                         "puede abrir la ventana.")
                              .arg(gStCodiUsua));
}

void TfrmFormaMaestro::chooseFirstCompany()
{
    bool ok = false;
    const int sessionCompany = gStParEmp.trimmed().toInt(&ok);
    if (!ok || !cmbEmpresa->seleccionarCodigo(QString::number(sessionCompany)))
        cmbEmpresa->setCurrentIndex(0);
    // As every later change: an error is shown and the window stays.
    companyChosen();
}

// ---- the company

int TfrmFormaMaestro::currentCompany() const
{
    return d->company;
}

QString TfrmFormaMaestro::companyField() const
{
    return d->companyField;
}

void TfrmFormaMaestro::setCompanyField(const QString& field)
{
    d->companyField = field.trimmed();
}

QString TfrmFormaMaestro::baseCommandText() const
{
    SClientDataSet* ds = dtsFrm->dataSet();
    return ds && DBQbe1->dataSet() == ds ? DBQbe1->baseSql() : d->baseText;
}

void TfrmFormaMaestro::cmbEmpresaChange(QObject*)
{
    const QString code = cmbEmpresa->codigoActual();
    if (code.isEmpty())
        return;
    SClientDataSet* ds = dtsFrm->dataSet();
    if (editing(ds))
        throw ModuleError(QStringLiteral("Grabe o cancele el registro que está editando antes de "
                                         "cambiar de empresa."));
    if (ds && ds->active() && ds->changeCount() > 0)
        throw ModuleError(QStringLiteral("Hay cambios que no se han guardado en el servidor; "
                                         "grábelos o cancélelos antes de cambiar de empresa."));
    const int company = code.toInt();
    d->company = company;
    if (auto* application = tavrel::ModuleApplication::instance())
        application->setTag(company);
    gStCodiEmpr = QString::number(company);
    if (CdsGnEmpre->active())
        CdsGnEmpre->locate(QStringLiteral("COD_EMPR"), {company});
    if (ds)
        openForCompany(company);
}

void TfrmFormaMaestro::openForCompany(int company)
{
    SClientDataSet* ds = dtsFrm->dataSet();
    if (!ds->remoteServer())
        ds->setRemoteServer(DCOMCnction);
    tavrel::ApplyAfterChange::attach(*ds);
    NotasTavrel->setDataSet(ds);
    const QString restriction = d->companyField.isEmpty()
                                    ? QString()
                                    : QStringLiteral("%1 = %2").arg(d->companyField).arg(company);

    if (DBQbe1->dataSet() == ds) {
        // Through the query-by-example: the company is its base condition, so that the
        // conditions typed later narrow the company's rows. The criteria of the previous
        // company are forgotten.
        DBQbe1->setBaseCondition(restriction);
        DBQbe1->Inicializar(true);
        return;
    }

    if (ds != d->restricted || ds->commandText() != d->restrictedText)
        d->baseText = ds->commandText();
    d->restricted = ds;
    ds->close();
    const QString text = tavrel::SqlCondition::append(d->baseText, restriction);
    ds->setCommandText(text);
    d->restrictedText = text;
    ds->open();
}

void TfrmFormaMaestro::companyChosen()
{
    const QString chosen = cmbEmpresa->codigoActual();
    if (chosen != QString::number(d->company))
        ErrorReporter::guard([this] { cmbEmpresaChange(cmbEmpresa); });
    // After a refusal the box shows the company that is still in effect.
    if (cmbEmpresa->codigoActual() != QString::number(d->company))
        cmbEmpresa->seleccionarCodigo(QString::number(d->company));
}

// ---- size

void TfrmFormaMaestro::CambiarAltura(int alto)
{
    resize(width(), alto);
}

void TfrmFormaMaestro::CambiarTamano(int ancho, int alto)
{
    resize(ancho, alto);
}

// ---- report and export

void TfrmFormaMaestro::setReportHandler(std::function<void(QObject*)> handler)
{
    d->reportHandler = std::move(handler);
    const bool on = bool(d->reportHandler);
    for (QAction* a : {Imprimir3, PrepararPgina1, Imprimir1})
        a->setEnabled(on);
    spbPreview->setEnabled(on);
    spbReporte->setEnabled(on);
}

void TfrmFormaMaestro::ejecutarReporte(QObject* sender)
{
    if (d->reportHandler)
        ErrorReporter::guard([&] { d->reportHandler(sender); });
}

void TfrmFormaMaestro::exportarCsv(const QString& path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw ModuleError(
            QStringLiteral("No se pudo crear el archivo «%1»: %2").arg(path, file.errorString()));
    const QByteArray csv = DBGFrm->toCsv();
    if (file.write(csv) != csv.size() || !file.commit())
        throw ModuleError(QStringLiteral("No se pudo escribir el archivo «%1»: %2")
                              .arg(path, file.errorString()));
}

void TfrmFormaMaestro::exportarExcel(const QString& path)
{
    tavrel::XlsxWriter book;
    book.addSheet(DBGFrm->xlsxSheet(windowTitle().section(QLatin1Char('-'), -1).trimmed()));
    if (const auto& addSheets = tavrel::SessionServices::current().addExportSheets)
        addSheets(book);
    book.save(path);
}

// ---- what the host asks

void TfrmFormaMaestro::publishOperation(const tavrel::ProgramOperation& operation,
                                        std::function<void()> run)
{
    d->operations.append({operation, std::move(run)});
}

void TfrmFormaMaestro::setKeyFields(const QStringList& fields)
{
    d->keyFields = fields;
}

void TfrmFormaMaestro::setPdfExport(std::function<void(const QString&)> exporter)
{
    d->pdfExport = std::move(exporter);
}

QList<tavrel::ProgramOperation> TfrmFormaMaestro::operations() const
{
    QList<tavrel::ProgramOperation> list;
    for (const auto& [operation, run] : std::as_const(d->operations))
        list.append(operation);
    return list;
}

void TfrmFormaMaestro::runOperation(const QString& name)
{
    // Published operations are bound by name, in any case, as late binding does.
    for (const auto& [operation, run] : std::as_const(d->operations)) {
        if (operation.name.compare(name, Qt::CaseInsensitive) == 0) {
            run();
            return;
        }
    }
    throw ModuleError(QStringLiteral("El programa «%1» no tiene la operación %2")
                          .arg(windowTitle().section(QLatin1Char('-'), -1).trimmed(), name));
}

bool TfrmFormaMaestro::isEditing() const
{
    return editing(dtsFrm->dataSet());
}

void TfrmFormaMaestro::refresh()
{
    if (VNvgdrFrm->button(TVNavegador::Refresh)->isEnabled())
        VNvgdrFrm->btnClick(TVNavegador::Refresh);
}

int TfrmFormaMaestro::company() const
{
    return d->company;
}

QVariantMap TfrmFormaMaestro::currentKey() const
{
    QVariantMap key;
    const SClientDataSet* ds = dtsFrm->dataSet();
    if (!ds || !ds->active() || ds->isEmpty())
        return key;
    for (const QString& name : std::as_const(d->keyFields)) {
        if (const tavrel::Field* field = ds->findField(name))
            key.insert(name, field->value());
    }
    return key;
}

void TfrmFormaMaestro::exportCsv(const QString& path)
{
    exportarCsv(path);
}

void TfrmFormaMaestro::exportExcel(const QString& path)
{
    exportarExcel(path);
}

void TfrmFormaMaestro::exportPdf(const QString& path)
{
    if (!d->pdfExport)
        throw ModuleError(QStringLiteral("El programa «%1» no tiene un informe para exportar a PDF")
                              .arg(windowTitle().section(QLatin1Char('-'), -1).trimmed()));
    d->pdfExport(path);
}

void TfrmFormaMaestro::exportWithDialog(bool excel)
{
    const QString path = QFileDialog::getSaveFileName(
        this, excel ? QStringLiteral("Exportar a Excel") : QStringLiteral("Exportar a CSV"),
        windowTitle().section(QLatin1Char('-'), -1).trimmed() +
            (excel ? QStringLiteral(".xlsx") : QStringLiteral(".csv")),
        excel ? QStringLiteral("Libros de Excel (*.xlsx)")
              : QStringLiteral("Archivos CSV (*.csv)"));
    if (path.isEmpty())
        return;
    if (ErrorReporter::guard([&] { excel ? exportarExcel(path) : exportarCsv(path); })) {
        if (auto* application = tavrel::ModuleApplication::instance())
            application->showMessage(QStringLiteral("Se exportaron %1 registros a «%2».")
                                         .arg(DBGFrm->model()->rowCount())
                                         .arg(path),
                                     tavrel::MessageKind::Information);
    }
}
