#pragma once

#include "HostSession.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;

namespace tavrel {

// Asks for the connection (a database on this desk or a server), user and password, and
// checks them before closing. Offers the companies of the user once accepted.
class LoginDialog : public QDialog
{
    Q_OBJECT

public:
    explicit LoginDialog(const HostSession& initial, QWidget* parent = nullptr);
    HostSession session() const;
    // The companies the user may work in and the login's connection, known once the
    // dialog is accepted.
    const QList<HostCompany>& companies() const { return m_login.companies; }
    const HostLogin& login() const { return m_login; }

public Q_SLOTS:
    void accept() override;

private:
    void protocolChanged();

    HostSession m_session;
    HostLogin m_login;
    QComboBox* m_protocol;
    QLineEdit* m_database;
    QLineEdit* m_user;
    QLineEdit* m_password;
    QLabel* m_error;
};

} // namespace tavrel
