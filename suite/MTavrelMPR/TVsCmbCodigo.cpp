#include "TVsCmbCodigo.h"

TVsCmbCodigo::TVsCmbCodigo(QWidget* parent) : QComboBox(parent) {}

QStringList TVsCmbCodigo::Items() const
{
    QStringList texts;
    for (int i = 0; i < count(); ++i)
        texts.append(itemText(i));
    return texts;
}

void TVsCmbCodigo::setItems(const QStringList& texts)
{
    clear();
    addItems(texts);
}

void TVsCmbCodigo::agregar(const QString& texto, const QString& codigo)
{
    addItem(texto);
    m_codigos.append(codigo);
}

void TVsCmbCodigo::limpiar()
{
    clear();
    m_codigos.clear();
}

QString TVsCmbCodigo::codigoActual() const
{
    return m_codigos.value(currentIndex());
}

bool TVsCmbCodigo::seleccionarCodigo(const QString& codigo)
{
    const qsizetype i = m_codigos.indexOf(codigo);
    if (i < 0 || i >= count())
        return false;
    setCurrentIndex(int(i));
    return true;
}
