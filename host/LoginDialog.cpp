#include "LoginDialog.h"

#include "ModuleError.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tavrel {

LoginDialog::LoginDialog(const HostSession& initial, QWidget* parent)
    : QDialog(parent), m_session(initial), m_protocol(new QComboBox(this)),
      m_database(new QLineEdit(initial.database, this)), m_user(new QLineEdit(initial.user, this)),
      m_password(new QLineEdit(initial.password, this)), m_error(new QLabel(this))
{
    setWindowTitle(QStringLiteral("GESTIÓN Y ADMÓN. DE REC. HUMANOS - Ingreso"));
    setObjectName(QStringLiteral("LoginDialog"));
    m_protocol->setObjectName(QStringLiteral("protocol"));
    m_protocol->addItem(QStringLiteral("Base de datos en este equipo"), QStringLiteral("local"));
    m_protocol->addItem(QStringLiteral("Servidor (https)"), QStringLiteral("https"));
    m_protocol->addItem(QStringLiteral("Servidor sin cifrar (http)"), QStringLiteral("http"));
    m_protocol->setCurrentIndex(
        qMax(0, m_protocol->findData(initial.protocol.isEmpty() ? QStringLiteral("local")
                                                                : initial.protocol)));
    connect(m_protocol, &QComboBox::currentIndexChanged, this, &LoginDialog::protocolChanged);
    m_database->setObjectName(QStringLiteral("database"));
    m_user->setObjectName(QStringLiteral("user"));
    m_password->setObjectName(QStringLiteral("password"));
    m_password->setEchoMode(QLineEdit::Password);
    m_database->setMinimumWidth(320);
    protocolChanged();

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("C&onexión:"), m_protocol);
    form->addRow(QStringLiteral("&Base de datos o servidor:"), m_database);
    form->addRow(QStringLiteral("&Usuario:"), m_user);
    form->addRow(QStringLiteral("&Contraseña:"), m_password);

    m_error->setObjectName(QStringLiteral("error"));
    m_error->setStyleSheet(QStringLiteral("color: #b00020;"));
    m_error->setWordWrap(true);
    m_error->hide();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&Ingresar"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("&Cancelar"));
    connect(buttons, &QDialogButtonBox::accepted, this, &LoginDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &LoginDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_error);
    layout->addWidget(buttons);

    if (m_database->text().isEmpty())
        m_database->setFocus();
    else if (m_user->text().isEmpty())
        m_user->setFocus();
    else
        m_password->setFocus();
}

void LoginDialog::protocolChanged()
{
    m_database->setPlaceholderText(
        m_protocol->currentData().toString() == QLatin1String("local")
            ? QStringLiteral("archivo SQLite o postgresql://usuario@host/base")
            : QStringLiteral("servidor:puerto"));
}

HostSession LoginDialog::session() const
{
    HostSession s = m_session;
    s.protocol = m_protocol->currentData().toString();
    s.database = m_database->text().trimmed();
    s.user = m_user->text().trimmed().toUpper();
    s.password = m_password->text();
    return s;
}

void LoginDialog::accept()
{
    try {
        m_login = session().logIn();
    } catch (const ModuleError& e) {
        m_error->setText(e.message());
        m_error->show();
        m_password->selectAll();
        m_password->setFocus();
        return;
    }
    m_session = session();
    QDialog::accept();
}

} // namespace tavrel
