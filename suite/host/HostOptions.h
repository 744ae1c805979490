#pragma once

#include <QString>
#include <QStringList>

namespace tavrel {

// What the menu host was asked to do on its command line.
//   tavrel [--database D] [--user U] [--password P] [--company N] [--open MODULE]
//          [--screenshot FILE.png]
//   tavrel init-db --database D [--demo] [--scale N]
struct HostOptions
{
    QString subcommand; // empty for the GUI
    QStringList subcommandArgs;
    QString database;
    QString user;
    QString password;
    QString company;
    QString openModule;
    QString screenshot;
    QString error; // set when the command line could not be read

    static HostOptions parse(const QStringList& arguments); // arguments without the program
    static QString usage();
};

} // namespace tavrel
