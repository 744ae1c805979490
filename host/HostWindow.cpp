#include "HostWindow.h"

#include "Confirmation.h"
#include "HostLog.h"
#include "HostedProgram.h"
#include "ModuleError.h"
#include "ModuleLoader.h"
#include "ProgramCatalog.h"
#include "ProgramLauncher.h"
#include "ProgramLink.h"
#include "ProgramTools.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTextStream>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tavrel {

HostWindow::HostWindow(const HostSession& session, const QList<HostCompany>& companies,
                       std::shared_ptr<IAppServer> server, QWidget* parent)
    : QMainWindow(parent), m_session(session), m_connection(session, std::move(server)),
      m_programs(new QTreeWidget(this)), m_company(new QComboBox(this)),
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
        return tavrel::Confirmation::ask(this, question);
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
    services.connectServer = [this](const QString& protocol, const QString& database) {
        return m_connection.connect(protocol, database);
    };
    services.launchProgram = [this](const ProgramRequest& r) { openLinkedProgram(r.path); };
    // The open program's tools may add figures of the window's company to its Excel export.
    services.addExportSheets = [this](XlsxWriter& book) {
        if (m_program && m_program->tools && m_program->tools->exportSheets)
            m_program->tools->exportSheets(*m_connection.server(), windowCompany(), book);
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

HostedProgram* HostWindow::openProgramWindow() const
{
    return m_loader ? HostedProgram::of(m_loader->window()) : nullptr;
}

int HostWindow::windowCompany() const
{
    const HostedProgram* program = openProgramWindow();
    return program && program->company() != 0 ? program->company() : session().company.toInt();
}

void HostWindow::openLinkedProgram(const QString& path)
{
    HostSession session = m_session;
    session.company = QString::number(windowCompany());
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
    if (const HostedProgram* window = openProgramWindow()) {
        for (const ProgramOperation& operation : window->operations()) {
            QAction* action = m_operations->addAction(operation.caption);
            action->setObjectName(operation.name);
            connect(action, &QAction::triggered, this,
                    [this, operation] { runOperation(operation); });
        }
    }
    if (program.tools) {
        for (const DeskTool& tool : program.tools->menu) {
            if (tool.startsGroup && !m_operations->isEmpty())
                m_operations->addSeparator();
            QAction* action = m_operations->addAction(tool.caption);
            action->setObjectName(tool.name);
            connect(action, &QAction::triggered, this, [this, &tool] { openTool(tool); });
        }
    }
    m_operations->setEnabled(!m_operations->isEmpty());
}

bool HostWindow::runOperation(const ProgramOperation& operation)
{
    HostedProgram* window = openProgramWindow();
    if (!window)
        return false;
    // The operation rewrites rows on the server; a record being edited would then clash
    // with them when posted.
    if (window->isEditing()) {
        showError(QStringLiteral("Grabe o cancele el registro que está editando antes de "
                                 "ejecutar esta operación."));
        return false;
    }
    if (!operation.confirmation.isEmpty() && !m_confirm(operation.confirmation))
        return false;
    const QString caption = QString(operation.caption).remove(u'&').remove(u'…');
    statusBar()->showMessage(QStringLiteral("%1: en curso…").arg(caption));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    bool ok = false;
    try {
        window->runOperation(operation.name);
        ok = true;
    } catch (const ModuleError& e) {
        QApplication::restoreOverrideCursor();
        showError(e.message());
    } catch (const std::exception& e) {
        QApplication::restoreOverrideCursor();
        showError(QString::fromUtf8(e.what()));
    }
    qCDebug(lcHost) << "operation" << operation.name << (ok ? "finished" : "failed");
    if (!ok) {
        statusBar()->showMessage(QStringLiteral("%1: no terminó").arg(caption));
        return false;
    }
    // The operation changes rows on the server only; the window re-reads them so the
    // user sees the new values.
    window->refresh();
    QApplication::restoreOverrideCursor();
    statusBar()->showMessage(QStringLiteral("%1: terminado").arg(caption));
    return true;
}

void HostWindow::openTool(const DeskTool& tool)
{
    ToolContext context;
    context.company = windowCompany();
    context.parent = this;
    if (const HostedProgram* window = openProgramWindow())
        context.currentKey = window->currentKey();
    context.refreshProgram = [this] {
        if (HostedProgram* window = openProgramWindow())
            window->refresh();
    };
    try {
        context.server = m_connection.server();
        tool.open(context);
    } catch (const ModuleError& e) {
        showError(e.message());
    }
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
