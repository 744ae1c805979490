#include "TVInfoAyuda.h"

#include "ErrorReporter.h"
#include "Field.h"
#include "ModuleError.h"
#include "ProgramLauncher.h"
#include "SClientDataSet.h"

#include <QLabel>
#include <QMouseEvent>
#include <algorithm>

TVInfoAyuda::TVInfoAyuda(QObject* parent) : QObject(parent) {}

TVInfoAyuda::~TVInfoAyuda()
{
    for (Link& link : m_links) {
        if (link.label)
            link.label->removeEventFilter(this);
    }
}

SClientDataSet* TVInfoAyuda::dataSet() const
{
    return m_dataSet;
}

void TVInfoAyuda::setDataSet(SClientDataSet* dataSet)
{
    m_dataSet = dataSet;
}

TVInfoAyuda::Link& TVInfoAyuda::linkOf(QLabel* label)
{
    m_links.removeIf([](const Link& l) { return l.label.isNull(); });
    for (Link& link : m_links) {
        if (link.label == label)
            return link;
    }
    Link link;
    link.label = label;
    link.plainPalette = label->palette();
    label->installEventFilter(this);
    m_links.append(link);
    return m_links.last();
}

void TVInfoAyuda::makeLink(Link& link)
{
    QLabel* label = link.label;
    if (!link.linked)
        link.plainPalette = label->palette();
    QFont font = label->font();
    font.setUnderline(true);
    label->setFont(font);
    QPalette palette = link.plainPalette;
    palette.setColor(QPalette::WindowText, palette.color(QPalette::Link));
    label->setPalette(palette);
    label->setCursor(Qt::PointingHandCursor);
    label->setToolTip(QStringLiteral("Abrir %1").arg(link.path));
    link.linked = true;
}

void TVInfoAyuda::makePlain(Link& link)
{
    QLabel* label = link.label;
    if (link.linked) {
        QFont font = label->font();
        font.setUnderline(false);
        label->setFont(font);
        label->setPalette(link.plainPalette);
        label->unsetCursor();
        label->setToolTip(QString());
    }
    link.linked = false;
    link.path.clear();
}

void TVInfoAyuda::AsignarEventosMouseDown(const QList<QLabel*>& labels, const QStringList& paths)
{
    for (int i = 0; i < labels.size(); ++i) {
        if (!labels[i])
            continue;
        Link& link = linkOf(labels[i]);
        const QString path = i < paths.size() ? paths[i].trimmed() : QString();
        if (path.isEmpty()) {
            makePlain(link);
        } else {
            link.path = path;
            makeLink(link);
        }
    }
}

void TVInfoAyuda::CrearLlavesInformacion(const QString& keyField, const QString& infoField,
                                         QLabel* label)
{
    if (!label)
        return;
    Link& link = linkOf(label);
    link.keyField = keyField.trimmed();
    link.infoField = infoField.trimmed();
}

QString TVInfoAyuda::pathOf(const QLabel* label) const
{
    for (const Link& link : m_links) {
        if (link.label == label && link.linked)
            return link.path;
    }
    return QString();
}

void TVInfoAyuda::openProgram(QLabel* label)
{
    const auto it = std::find_if(m_links.begin(), m_links.end(),
                                 [label](const Link& l) { return l.label == label && l.linked; });
    if (it == m_links.end())
        return;
    tavrel::ProgramRequest request;
    request.path = it->path;
    request.keyField = it->keyField;
    request.infoField = it->infoField;
    if (!it->keyField.isEmpty() && m_dataSet && m_dataSet->active() && !m_dataSet->isEmpty()) {
        if (tavrel::Field* f = m_dataSet->findField(it->keyField))
            request.keyValue = f->value();
    }
    tavrel::ProgramLauncher::launch(request);
}

bool TVInfoAyuda::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        auto* label = qobject_cast<QLabel*>(watched);
        if (label && !pathOf(label).isEmpty()) {
            tavrel::ErrorReporter::guard([this, label] { openProgram(label); });
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
