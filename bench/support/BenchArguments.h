#pragma once

#include <QCommandLineParser>
#include <QList>
#include <QString>

namespace tavrel::bench {

// The command line every benchmark shares: --data DIR (where generated databases are kept
// between runs, by default bench-data next to the build's bin folder), --regenerate, and
// positive numbers. A bad value ends the program with one line on stderr and status 2.
class BenchArguments
{
public:
    explicit BenchArguments(const QString& description);

    // Adds --runs N ("Runs per measurement; the median is shown").
    void addRuns(int fallback);
    void addOption(const QString& name, const QString& description, const QString& valueName = {});
    void process(const QStringList& arguments);

    bool isSet(const QString& name) const { return m_parser.isSet(name); }
    QString value(const QString& name) const { return m_parser.value(name); }
    int positive(const QString& name, int fallback) const;
    // Comma-separated positive numbers.
    QList<int> positiveList(const QString& name, const QList<int>& fallback) const;
    int runs() const;
    QString dataDir() const;
    bool regenerate() const { return isSet(QStringLiteral("regenerate")); }

    [[noreturn]] static void fail(const QString& message);

private:
    QCommandLineParser m_parser;
    int m_runs = 1;
};

} // namespace tavrel::bench
