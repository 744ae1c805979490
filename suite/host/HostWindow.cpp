#include "HostWindow.h"

#include "ModuleError.h"
#include "ModuleLoader.h"
#include "ProgramCatalog.h"

#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTextStream>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tavrel {

HostWindow::HostWindow(const HostSession& session, QWidget* parent)
    : QMainWindow(parent), m_session(session), m_programs(new QTreeWidget(this)),
      m_company(
          new QLineEdit(session.company.isEmpty() ? QStringLiteral("1") : session.company, this))
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
    m_company->setValidator(new QIntValidator(1, 32767, m_company));
    m_company->setMaximumWidth(80);

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
    resize(560, 380);
    m_programs->setFocus();
}

HostWindow::~HostWindow() = default;

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
        if (QWidget* w = m_loader->window()) {
            w->raise();
            w->activateWindow();
            return w;
        }
    }
    HostSession session = m_session;
    session.company = m_company->text();
    try {
        m_loader = std::make_unique<ModuleLoader>(program.library);
        QWidget* window = m_loader->load(session, quintptr(winId()));
        window->installEventFilter(this);
        window->show();
        return window;
    } catch (const ModuleError& e) {
        showError(e.message());
    } catch (const std::exception& e) {
        showError(QString::fromUtf8(e.what()));
    }
    m_loader.reset();
    return nullptr;
}

bool HostWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Close && m_loader && watched == m_loader->window()) {
        // The module frees its own windows on unload; let the close finish first.
        QMetaObject::invokeMethod(
            this, [this] { m_loader.reset(); }, Qt::QueuedConnection);
    }
    return QMainWindow::eventFilter(watched, event);
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
