#include "HostWindow.h"

#include "AppServerFactory.h"
#include "CausedPreviewDialog.h"
#include "CoverageDialog.h"
#include "ExecutionChartDialog.h"
#include "HostLog.h"
#include "ModuleError.h"
#include "ModuleLoader.h"
#include "ProgramCatalog.h"
#include "ProgramLauncher.h"
#include "ProgramLink.h"
#include "RelationCheckDialog.h"
#include "RowHistoryDialog.h"
#include "SessionGlobals.h"
#include "XlsxWriter.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTextStream>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tavrel {

namespace {

// The company the module's window works in, which the user may have changed there.
int windowCompany(const HostSession& session)
{
    return (gStCodiEmpr.isEmpty() ? session.company : gStCodiEmpr).toInt();
}

} // namespace

HostWindow::HostWindow(const HostSession& session, const QList<HostCompany>& companies,
                       QWidget* parent)
    : QMainWindow(parent), m_session(session), m_programs(new QTreeWidget(this)),
      m_company(new QComboBox(this)),
      m_operations(menuBar()->addMenu(QStringLiteral("&Operaciones")))
{
    setWindowTitle(QStringLiteral("GESTIÓN Y ADMÓN. DE REC. HUMANOS"));
    setObjectName(QStringLiteral("HostWindow"));

    m_programs->setObjectName(QStringLiteral("programList"));
    m_programs->setHeaderLabels({QStringLiteral("Programa"), QStringLiteral("Código")});
    m_programs->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_programs->header()->setStretchLastSection(false);
    m_programs->setRootIsDecorated(true);
    QTreeWidgetItem* firstProgram = nullptr;
    for (const ProgramEntry& p : ProgramCatalog::programs()) {
        QList<QTreeWidgetItem*> groups = m_programs->findItems(p.group, Qt::MatchExactly);
        QTreeWidgetItem* group =
            groups.isEmpty() ? new QTreeWidgetItem(m_programs, {p.group}) : groups.first();
        group->setFlags(Qt::ItemIsEnabled);
        auto* item = new QTreeWidgetItem(group, {p.caption, p.code});
        item->setData(0, Qt::UserRole, p.code);
        if (!firstProgram)
            firstProgram = item;
    }
    m_programs->expandAll();
    m_programs->resizeColumnToContents(1);
    if (firstProgram)
        m_programs->setCurrentItem(firstProgram);
    connect(m_programs, &QTreeWidget::itemActivated, this, [this] { openCurrent(); });

    m_company->setObjectName(QStringLiteral("company"));
    for (const HostCompany& c : companies)
        m_company->addItem(QStringLiteral("%1 - %2").arg(c.code).arg(c.name), c.code);
    if (companies.isEmpty()) {
        m_company->setEditable(true);
        m_company->setValidator(new QIntValidator(1, 32767, m_company));
        m_company->setEditText(session.company.isEmpty() ? QStringLiteral("1") : session.company);
        m_company->setMaximumWidth(80);
    } else {
        m_company->setCurrentIndex(qMax(0, m_company->findData(session.company.toInt())));
        m_company->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    }

    auto* open = new QPushButton(QStringLiteral("&Abrir programa"), this);
    open->setObjectName(QStringLiteral("openButton"));
    connect(open, &QPushButton::clicked, this, [this] { openCurrent(); });

    auto* side = new QFormLayout;
    side->addRow(QStringLiteral("Usuario:"), new QLabel(m_session.user, this));
    side->addRow(QStringLiteral("E&mpresa:"), m_company);

    auto* buttons = new QHBoxLayout;
    buttons->addLayout(side);
    buttons->addStretch();
    buttons->addWidget(open);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(new QLabel(QStringLiteral("Programas disponibles"), central));
    layout->addWidget(m_programs, 1);
    layout->addLayout(buttons);
    setCentralWidget(central);
    statusBar()->showMessage(QStringLiteral("%1 — %2").arg(m_session.user, m_session.database));
    m_operations->setObjectName(QStringLiteral("operationsMenu"));
    m_operations->setEnabled(false);
    m_confirm = [this](const QString& question) {
        return QMessageBox::question(this, windowTitle(), question,
                                     QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No) == QMessageBox::Yes;
    };
    resize(560, 380);
    m_programs->setFocus();
    installServices();
}

HostWindow::~HostWindow() = default;

void HostWindow::setQuiet(bool quiet)
{
    m_quiet = quiet;
    installServices();
}

void HostWindow::installServices()
{
    SessionServices services;
    services.connectServer = AppServerFactory::forLogin({m_session.user, m_session.password});
    services.launchProgram = [this](const ProgramRequest& r) { openLinkedProgram(r.path); };
    // The relation's Excel export carries the execution figures of the window's company.
    services.addExportSheets = [this](XlsxWriter& book) {
        const HostSession s = session();
        const auto server = AppServerFactory::connect(s.protocol, s.database, {s.user, s.password});
        book.addSheet(ExecutionTotals::fetch(*server, windowCompany(s)).sheet());
    };
    if (m_quiet)
        services.showMessage = [](const QString& message, MessageKind) {
            QTextStream(stderr) << "tavrel: " << message << "\n";
        };
    m_services.reset();
    m_services.emplace(std::move(services));
}

void HostWindow::openCurrent()
{
    QTreeWidgetItem* item = m_programs->currentItem();
    if (!item || item->data(0, Qt::UserRole).toString().isEmpty())
        return;
    if (const ProgramEntry* p = ProgramCatalog::find(item->data(0, Qt::UserRole).toString()))
        openProgram(*p);
}

QWidget* HostWindow::openProgram(const ProgramEntry& program)
{
    if (m_loader && m_loader->isLoaded()) {
        if (m_program != &program) {
            showError(QStringLiteral("Cierre el programa «%1» antes de abrir «%2».")
                          .arg(m_program->caption, program.caption));
            return nullptr;
        }
        if (QWidget* w = m_loader->window()) {
            w->raise();
            w->activateWindow();
            return w;
        }
    }
    const HostSession session = this->session();
    try {
        m_loader = std::make_unique<ModuleLoader>(program.library);
        m_program = &program;
        QWidget* window = m_loader->load(session, quintptr(winId()));
        window->installEventFilter(this);
        window->show();
        qCDebug(lcHost) << "opened" << program.code << "for company" << session.company;
        fillOperations(program);
        return window;
    } catch (const ModuleError& e) {
        if (!e.isSilent())
            showError(e.message());
    } catch (const std::exception& e) {
        showError(QString::fromUtf8(e.what()));
    }
    m_loader.reset();
    return nullptr;
}

HostSession HostWindow::session() const
{
    HostSession session = m_session;
    session.company =
        m_company->isEditable() ? m_company->currentText() : m_company->currentData().toString();
    return session;
}

void HostWindow::openLinkedProgram(const QString& path)
{
    HostSession session = m_session;
    // The company of the module's window, which the user may have changed there.
    session.company = gStCodiEmpr.isEmpty() ? this->session().company : gStCodiEmpr;
    const ProgramLink link =
        ProgramLink::resolve(path, QCoreApplication::applicationDirPath(), session);
    switch (link.kind) {
    case ProgramLink::Kind::Executable:
        link.start();
        return;
    case ProgramLink::Kind::Module:
        openProgram(*link.module);
        return;
    case ProgramLink::Kind::Unavailable:
        break;
    }
    throw ProgramLauncher::unavailable(path);
}

bool HostWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Close && m_loader && watched == m_loader->window()) {
        // The module frees its own windows on unload; let the close finish first.
        QMetaObject::invokeMethod(
            this,
            [this] {
                qCDebug(lcHost) << "closed" << (m_program ? m_program->code : QString());
                m_loader.reset();
                m_operations->clear();
                m_operations->setEnabled(false);
            },
            Qt::QueuedConnection);
    }
    return QMainWindow::eventFilter(watched, event);
}

void HostWindow::fillOperations(const ProgramEntry& program)
{
    m_operations->clear();
    for (const ProgramOperation& operation : program.operations) {
        QAction* action = m_operations->addAction(operation.caption);
        action->setObjectName(operation.method);
        connect(action, &QAction::triggered, this, [this, operation] { runOperation(operation); });
    }
    if (program.code == QLatin1String("VVeZezev")) {
        addCausedReports();
        m_operations->addSeparator();
        QAction* check = m_operations->addAction(QStringLiteral("&Revisar la relación…"));
        check->setObjectName(QStringLiteral("RevisarRelacion"));
        connect(check, &QAction::triggered, this, [this] { showRelationCheck(); });
        QAction* history = m_operations->addAction(QStringLiteral("&Historial del registro…"));
        history->setObjectName(QStringLiteral("HistorialRegistro"));
        connect(history, &QAction::triggered, this, [this] { showRowHistory(); });
        m_operations->setEnabled(true);
        return;
    }
    m_operations->setEnabled(!program.operations.isEmpty());
}

bool HostWindow::runOperation(const ProgramOperation& operation)
{
    QWidget* window = m_loader ? m_loader->window() : nullptr;
    if (!window)
        return false;
    // The operation rewrites rows on the server; a record being edited would then clash
    // with them when posted.
    if (auto* post = window->findChild<QAction*>(QStringLiteral("actGrabar"));
        post && post->isEnabled()) {
        showError(QStringLiteral("Grabe o cancele el registro que está editando antes de "
                                 "ejecutar esta operación."));
        return false;
    }
    if (!m_confirm(operation.confirmation))
        return false;
    const QString caption = QString(operation.caption).remove(u'&').remove(u'…');
    statusBar()->showMessage(QStringLiteral("%1: en curso…").arg(caption));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    bool ok = false;
    try {
        m_loader->invoke(operation.method);
        ok = true;
    } catch (const ModuleError& e) {
        QApplication::restoreOverrideCursor();
        showError(e.message());
    } catch (const std::exception& e) {
        QApplication::restoreOverrideCursor();
        showError(QString::fromUtf8(e.what()));
    }
    qCDebug(lcHost) << "operation" << operation.method << (ok ? "finished" : "failed");
    if (!ok) {
        statusBar()->showMessage(QStringLiteral("%1: no terminó").arg(caption));
        return false;
    }
    // The operation changes rows on the server only; the window re-reads them so the
    // user sees the new values.
    if (auto* refresh = window->findChild<QAction*>(QStringLiteral("actRefrescar"));
        refresh && refresh->isEnabled())
        refresh->trigger();
    QApplication::restoreOverrideCursor();
    statusBar()->showMessage(QStringLiteral("%1: terminado").arg(caption));
    return true;
}

void HostWindow::showRelationCheck()
{
    const HostSession s = session();
    try {
        RelationCheckDialog dialog(
            AppServerFactory::connect(s.protocol, s.database, {s.user, s.password}),
            windowCompany(s), this);
        dialog.exec();
    } catch (const ModuleError& e) {
        showError(e.message());
    }
}

void HostWindow::showRowHistory()
{
    const HostSession s = session();
    RowHistoryDialog::RowKeys keys;
    keys.company = windowCompany(s);
    // The row the relation window shows, from its data-bound edits.
    if (QWidget* window = m_loader ? m_loader->window() : nullptr) {
        const auto text = [window](const char* name) {
            const auto* edit = window->findChild<QLineEdit*>(QLatin1String(name));
            return edit ? edit->text() : QString();
        };
        keys.payrollConcept = text("DBEdtCodCont");
        keys.account = text("DBEdtCodCuen");
        keys.related = text("DBECamRela");
    }
    try {
        RowHistoryDialog dialog(
            AppServerFactory::connect(s.protocol, s.database, {s.user, s.password}), keys, this);
        dialog.exec();
    } catch (const ModuleError& e) {
        showError(e.message());
    }
}

void HostWindow::addCausedReports()
{
    // Each report opens its own connection with the session's login; the company is the
    // one of the module's window, whose flag the update would read.
    const auto server = [this] {
        const HostSession s = session();
        return AppServerFactory::connect(s.protocol, s.database, {s.user, s.password});
    };
    const auto show = [this](QDialog* dialog) {
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->open();
    };
    m_operations->addSeparator();
    QAction* preview = m_operations->addAction(QStringLiteral("&Vista previa del causado…"));
    preview->setObjectName(QStringLiteral("VistaPreviaCausado"));
    connect(preview, &QAction::triggered, this, [this, server, show] {
        const int company = windowCompany(session());
        show(new CausedPreviewDialog(
            [server, company](int year) {
                return CausedPreviewReport::fetch(*server(), company, year);
            },
            this));
    });
    QAction* coverage = m_operations->addAction(QStringLiteral("&Movimientos sin relación…"));
    coverage->setObjectName(QStringLiteral("MovimientosSinRelacion"));
    connect(coverage, &QAction::triggered, this, [this, server, show] {
        show(new CoverageDialog(
            [server](int year) { return CoverageReport::fetch(*server(), year); }, this));
    });
    QAction* chart = m_operations->addAction(QStringLiteral("&Ejecución presupuestal…"));
    chart->setObjectName(QStringLiteral("EjecucionPresupuestal"));
    connect(chart, &QAction::triggered, this, [this, server, show] {
        const int company = windowCompany(session());
        show(new ExecutionChartDialog(
            [server, company] { return ExecutionTotals::fetch(*server(), company); }, this));
    });
}

void HostWindow::showError(const QString& message)
{
    if (m_quiet) {
        QTextStream(stderr) << "tavrel: " << message << "\n";
        return;
    }
    QMessageBox::critical(this, windowTitle(), message);
}

} // namespace tavrel
