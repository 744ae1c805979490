#include "BenchArguments.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>
#include <cstdlib>

namespace tavrel::bench {

namespace {

int toPositive(const QString& text, const QString& name)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value <= 0)
        BenchArguments::fail(
            QStringLiteral("--%1 expects a positive number, not \"%2\"").arg(name, text));
    return value;
}

} // namespace

BenchArguments::BenchArguments(const QString& description)
{
    m_parser.setApplicationDescription(description);
    m_parser.addHelpOption();
    m_parser.addOption({QStringLiteral("data"),
                        QStringLiteral("Folder for the generated databases (default: bench-data "
                                       "next to the build's bin folder)."),
                        QStringLiteral("DIR")});
    m_parser.addOption(
        {QStringLiteral("regenerate"), QStringLiteral("Generate the data even when it exists.")});
}

void BenchArguments::addRuns(int fallback)
{
    m_runs = fallback;
    addOption(
        QStringLiteral("runs"),
        QStringLiteral("Runs per measurement; the median is shown (default %1).").arg(fallback),
        QStringLiteral("N"));
}

void BenchArguments::addOption(const QString& name, const QString& description,
                               const QString& valueName)
{
    m_parser.addOption({name, description, valueName});
}

void BenchArguments::process(const QStringList& arguments)
{
    m_parser.process(arguments);
}

int BenchArguments::positive(const QString& name, int fallback) const
{
    return isSet(name) ? toPositive(value(name), name) : fallback;
}

QList<int> BenchArguments::positiveList(const QString& name, const QList<int>& fallback) const
{
    if (!isSet(name))
        return fallback;
    QList<int> values;
    for (const QString& part : value(name).split(u','))
        values.append(toPositive(part, name));
    return values;
}

int BenchArguments::runs() const
{
    return positive(QStringLiteral("runs"), m_runs);
}

QString BenchArguments::dataDir() const
{
    return isSet(QStringLiteral("data")) ? value(QStringLiteral("data"))
                                         : QDir(QCoreApplication::applicationDirPath())
                                               .absoluteFilePath(QStringLiteral("../bench-data"));
}

void BenchArguments::fail(const QString& message)
{
    std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()),
                 qPrintable(message));
    std::exit(2);
}

} // namespace tavrel::bench
