#include "ServerConfigFile.h"

#include <QFileInfo>
#include <QSettings>

namespace tavrel {

namespace {

const QCommandLineOption* find(const QList<QCommandLineOption>& options, const QString& key)
{
    for (const QCommandLineOption& option : options) {
        if (option.names().contains(key))
            return &option;
    }
    return nullptr;
}

} // namespace

bool ServerConfigFile::arguments(const QString& path, const QList<QCommandLineOption>& options,
                                 QStringList& arguments, QString& error)
{
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable()) {
        error = QStringLiteral("no se puede leer el archivo de configuración %1").arg(path);
        return false;
    }
    QSettings settings(path, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError) {
        error =
            QStringLiteral("el archivo de configuración %1 no es un archivo INI válido").arg(path);
        return false;
    }
    const QString section = QStringLiteral("server");
    for (const QString& group : settings.childGroups()) {
        if (group != section) {
            error = QStringLiteral("el archivo de configuración %1 tiene la sección [%2]; "
                                   "sus opciones van en [server]")
                        .arg(path, group);
            return false;
        }
    }
    if (!settings.childKeys().isEmpty()) {
        error = QStringLiteral("el archivo de configuración %1 tiene «%2» fuera de la "
                               "sección [server]")
                    .arg(path, settings.childKeys().first());
        return false;
    }
    settings.beginGroup(section);
    for (const QString& key : settings.childKeys()) {
        const QCommandLineOption* option = find(options, key);
        if (!option) {
            error = QStringLiteral("el archivo de configuración %1 tiene la clave desconocida "
                                   "«%2»")
                        .arg(path, key);
            return false;
        }
        // An unquoted value with a comma reads as a list; the option takes the text.
        const QVariant raw = settings.value(key);
        const QString value = raw.metaType().id() == QMetaType::QStringList
                                  ? raw.toStringList().join(QLatin1Char(','))
                                  : raw.toString().trimmed();
        if (!option->valueName().isEmpty()) {
            arguments << QStringLiteral("--%1=%2").arg(key, value);
        } else if (value == QLatin1String("true")) {
            arguments << QStringLiteral("--") + key;
        } else if (value != QLatin1String("false")) {
            error = QStringLiteral("en el archivo de configuración %1, «%2» espera true o false "
                                   "y tiene «%3»")
                        .arg(path, key, value);
            return false;
        }
    }
    return true;
}

} // namespace tavrel
