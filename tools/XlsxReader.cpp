#include "XlsxReader.h"

#include "ModuleError.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QXmlStreamReader>

#include <unzip.h>

namespace tavrel {

namespace {

// Larger parts than this are not the sheets a person edits; refused rather than inflated.
constexpr qint64 kLargestPart = 256LL * 1024 * 1024;
constexpr int kLastColumn = 16384;

class Book
{
public:
    explicit Book(const QString& path) : m_path(path)
    {
        if (!QFileInfo(path).isFile())
            fail(QStringLiteral("no existe"));
        m_zip = unzOpen64(QFile::encodeName(path).constData());
        if (!m_zip)
            fail(QStringLiteral("no es un libro de Excel (.xlsx) o está dañado"));
    }
    ~Book()
    {
        if (m_zip)
            unzClose(m_zip);
    }
    Book(const Book&) = delete;
    Book& operator=(const Book&) = delete;

    bool has(const QString& part)
    {
        return unzLocateFile(m_zip, part.toUtf8().constData(), 1) == UNZ_OK;
    }

    QByteArray part(const QString& name)
    {
        if (!has(name))
            fail(QStringLiteral("le falta la parte %1; no es un libro de Excel (.xlsx)").arg(name));
        unz_file_info64 info;
        if (unzGetCurrentFileInfo64(m_zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
            info.uncompressed_size > quint64(kLargestPart))
            fail(QStringLiteral("tiene la parte %1 demasiado grande o dañada").arg(name));
        if (unzOpenCurrentFile(m_zip) != UNZ_OK)
            fail(QStringLiteral("tiene la parte %1 ilegible: el archivo está dañado").arg(name));
        QByteArray data;
        char buffer[65536];
        int read = 0;
        while ((read = unzReadCurrentFile(m_zip, buffer, sizeof buffer)) > 0 &&
               data.size() <= kLargestPart)
            data.append(buffer, read);
        // Closing checks the part's CRC once it was read to its end.
        const int closed = unzCloseCurrentFile(m_zip);
        if (read < 0 || closed != UNZ_OK || data.size() > kLargestPart)
            fail(QStringLiteral("tiene la parte %1 dañada").arg(name));
        return data;
    }

    [[noreturn]] void fail(const QString& what) const
    {
        throw ModuleError(QStringLiteral("El archivo «%1» %2.").arg(m_path, what),
                          ModuleError::Kind::Conversion);
    }

private:
    QString m_path;
    unzFile m_zip = nullptr;
};

void checkXml(const QXmlStreamReader& xml, const Book& book, const QString& part)
{
    if (xml.hasError())
        book.fail(QStringLiteral("tiene la parte %1 mal formada (línea %2: %3)")
                      .arg(part)
                      .arg(xml.lineNumber())
                      .arg(xml.errorString()));
}

// Id → target of a relationships part, the targets resolved against `folder`.
QHash<QString, QString> relationships(Book& book, const QString& part, const QString& folder,
                                      QHash<QString, QString>* byType = nullptr)
{
    QHash<QString, QString> targets;
    QXmlStreamReader xml(book.part(part));
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("Relationship")) {
            QString target = xml.attributes().value(QLatin1String("Target")).toString();
            target = target.startsWith(QLatin1Char('/')) ? target.mid(1) : folder + target;
            targets.insert(xml.attributes().value(QLatin1String("Id")).toString(), target);
            if (byType)
                byType->insert(xml.attributes()
                                   .value(QLatin1String("Type"))
                                   .toString()
                                   .section(QLatin1Char('/'), -1),
                               target);
        }
    }
    checkXml(xml, book, part);
    return targets;
}

// The text of an element whose runs are <t> elements (shared and inline strings).
QString runsText(QXmlStreamReader& xml)
{
    QString text;
    const QString endName = xml.name().toString();
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement() && xml.name() == endName)
            break;
        if (xml.isStartElement() && xml.name() == QLatin1String("t"))
            text += xml.readElementText();
        else if (xml.isStartElement() && (xml.name() == QLatin1String("rPh")))
            xml.skipCurrentElement(); // phonetic reading, not the text
    }
    return text;
}

QStringList sharedStrings(Book& book, const QString& part)
{
    QStringList strings;
    if (part.isEmpty())
        return strings;
    QXmlStreamReader xml(book.part(part));
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("si"))
            strings.append(runsText(xml));
    }
    checkXml(xml, book, part);
    return strings;
}

// The column of a cell reference ("BC12" → 54), 0 when there is none.
int columnOf(QStringView reference)
{
    int column = 0;
    for (const QChar c : reference) {
        if (c < QLatin1Char('A') || c > QLatin1Char('Z'))
            break;
        column = column * 26 + (c.unicode() - 'A' + 1);
        if (column > kLastColumn)
            return -1;
    }
    return column;
}

QVariant cellValue(const QString& type, const QString& value, const QString& inlineText,
                   const QStringList& strings, const Book& book, const QString& reference)
{
    if (type == QLatin1String("inlineStr"))
        return inlineText;
    if (value.isNull())
        return QVariant();
    if (type == QLatin1String("s")) {
        bool ok = false;
        const int index = value.toInt(&ok);
        if (!ok || index < 0 || index >= strings.size())
            book.fail(QStringLiteral("tiene en la celda %1 un texto compartido que no existe")
                          .arg(reference));
        return strings[index];
    }
    if (type == QLatin1String("str") || type == QLatin1String("e"))
        return value;
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok)
        book.fail(
            QStringLiteral("tiene en la celda %1 un número ilegible «%2»").arg(reference, value));
    return number;
}

QList<XlsxReader::Row> sheetRows(Book& book, const QString& part, const QStringList& strings)
{
    QList<XlsxReader::Row> rows;
    QXmlStreamReader xml(book.part(part));
    XlsxReader::Row row;
    int nextColumn = 1;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("row")) {
            bool ok = false;
            const int number = xml.attributes().value(QLatin1String("r")).toInt(&ok);
            row = {ok ? number : (rows.isEmpty() ? 1 : rows.last().number + 1), {}};
            nextColumn = 1;
        } else if (xml.isEndElement() && xml.name() == QLatin1String("row")) {
            if (!row.cells.isEmpty())
                rows.append(row);
        } else if (xml.isStartElement() && xml.name() == QLatin1String("c")) {
            const QString reference = xml.attributes().value(QLatin1String("r")).toString();
            const QString type = xml.attributes().value(QLatin1String("t")).toString();
            int column = reference.isEmpty() ? nextColumn : columnOf(reference);
            if (column <= 0)
                book.fail(QStringLiteral("tiene una celda con una referencia no válida «%1»")
                              .arg(reference));
            QString value;
            QString inlineText;
            while (!xml.atEnd()) {
                xml.readNext();
                if (xml.isEndElement() && xml.name() == QLatin1String("c"))
                    break;
                if (xml.isStartElement() && xml.name() == QLatin1String("v"))
                    value = xml.readElementText();
                else if (xml.isStartElement() && xml.name() == QLatin1String("is"))
                    inlineText = runsText(xml);
            }
            checkXml(xml, book, part);
            const QVariant cell = cellValue(type, value, inlineText, strings, book, reference);
            nextColumn = column + 1;
            if (cell.isNull())
                continue;
            while (row.cells.size() < column)
                row.cells.append(QVariant());
            row.cells[column - 1] = cell;
        }
    }
    checkXml(xml, book, part);
    return rows;
}

} // namespace

XlsxReader::Sheet XlsxReader::firstSheet(const QString& path)
{
    Book book(path);
    QHash<QString, QString> packageTypes;
    relationships(book, QStringLiteral("_rels/.rels"), QString(), &packageTypes);
    const QString workbook = packageTypes.value(QStringLiteral("officeDocument"));
    if (workbook.isEmpty() || !book.has(workbook))
        book.fail(QStringLiteral("no tiene libro de trabajo; no es un libro de Excel (.xlsx)"));
    const QString folder = workbook.section(QLatin1Char('/'), 0, -2);
    const QString base = folder.isEmpty() ? QString() : folder + QLatin1Char('/');
    const QString relsPart = base + QStringLiteral("_rels/") +
                             workbook.section(QLatin1Char('/'), -1) + QStringLiteral(".rels");
    QHash<QString, QString> workbookTypes;
    const QHash<QString, QString> targets = relationships(book, relsPart, base, &workbookTypes);

    Sheet sheet;
    QString sheetPart;
    QXmlStreamReader xml(book.part(workbook));
    while (!xml.atEnd() && sheetPart.isEmpty()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("sheet")) {
            sheet.name = xml.attributes().value(QLatin1String("name")).toString();
            for (const QXmlStreamAttribute& a : xml.attributes()) {
                if (a.name() == QLatin1String("id"))
                    sheetPart = targets.value(a.value().toString());
            }
            if (sheetPart.isEmpty())
                book.fail(QStringLiteral("no dice dónde está su hoja «%1»").arg(sheet.name));
        }
    }
    checkXml(xml, book, workbook);
    if (sheetPart.isEmpty())
        book.fail(QStringLiteral("no tiene ninguna hoja"));
    const QString stringsPart = workbookTypes.value(QStringLiteral("sharedStrings"));
    sheet.rows = sheetRows(book, sheetPart, sharedStrings(book, stringsPart));
    return sheet;
}

} // namespace tavrel
