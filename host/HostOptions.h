#pragma once

#include <QCommandLineOption>
#include <QString>
#include <QStringList>

namespace tavrel {

class CommandLine;

// What the menu host was asked to do on its command line.
//   tavrel [--database D | --protocol http|https --server HOST:PORT] [--user U]
//          [--password P] [--company N] [--open MODULE]
//          [--screenshot FILE.png]
//   tavrel init-db --database D [--demo] [--scale N]
// and the headless sub-commands; each of them also answers --help and --version.
struct HostOptions
{
    QString subcommand; // empty for the GUI
    QStringList subcommandArgs;
    QString database;
    QString user;
    QString password;
    QString company;
    QString protocol;
    QString openModule;
    QString screenshot;
    QString answer; // what --help or --version asked for, to print before leaving with 0
    QString error;  // set when the command line could not be read

    static HostOptions parse(const QStringList& arguments); // arguments without the program
    static QString usage();

    // The session's options, which the host and its headless sub-commands share.
    static QList<QCommandLineOption> sessionOptions();
    // The refusal of a command line whose wrongArgument() is set.
    static QString refusal(const CommandLine& line);
};

} // namespace tavrel
