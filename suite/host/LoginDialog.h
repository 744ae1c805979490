#pragma once

#include "HostSession.h"

#include <QDialog>

class QLabel;
class QLineEdit;

namespace tavrel {

// Asks for database (or server), user and password, and checks them before closing.
class LoginDialog : public QDialog
{
    Q_OBJECT

public:
    explicit LoginDialog(const HostSession& initial, QWidget* parent = nullptr);
    HostSession session() const;

public Q_SLOTS:
    void accept() override;

private:
    HostSession m_session;
    QLineEdit* m_database;
    QLineEdit* m_user;
    QLineEdit* m_password;
    QLabel* m_error;
};

} // namespace tavrel
