#pragma once

#include "LoginOptions.h"

#include <QString>
#include <QStringList>

namespace tavrel {

// What the menu host was asked to do on its command line.
//   tavrel [--database D | --protocol http|https --server HOST:PORT] [--user U]
//          [--password P] [--company N] [--open MODULE]
//          [--screenshot FILE.png]
//   tavrel init-db --database D [--demo] [--scale N]
// and the headless sub-commands (HeadlessCommands); each of them also answers --help and
// --version.
struct HostOptions
{
    QString subcommand; // empty for the GUI
    QStringList subcommandArgs;
    Login login;
    QString openModule;
    QString screenshot;
    QString answer; // what --help or --version asked for, to print before leaving with 0
    QString error;  // set when the command line could not be read

    static HostOptions parse(const QStringList& arguments); // arguments without the program
    static QString usage();
};

} // namespace tavrel
