#pragma once

#include <QCommandLineOption>
#include <QList>
#include <QString>
#include <QStringList>

namespace tavrel {

// The configuration file of tavrel-server (/etc/tavrel/server.conf), an INI file whose
// section [server] holds the long options of the command line under their own names:
//
//   [server]
//   database = postgresql://nomina_servidor:…@db.oficina:5432/nomina
//   reader = postgresql://nomina_lector:…@db.oficina:5432/nomina
//   listen = 0.0.0.0:8211
//   workers = 16
//
// An option without a value (a switch) takes true or false. Any other section or key is
// refused, so that a misspelt key never leaves a setting at its default unnoticed. As
// QSettings reads INI files, a semicolon starts a comment and a comma a list: a value
// with either goes in double quotes.
class ServerConfigFile
{
public:
    // The file's settings as command-line arguments ("--name=value"), to be read before
    // the command line's own, which override them. `options` are those the file may set.
    // Returns false and sets `error` when the file cannot be read or holds something
    // else.
    static bool arguments(const QString& path, const QList<QCommandLineOption>& options,
                          QStringList& arguments, QString& error);
};

} // namespace tavrel
