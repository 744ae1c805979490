#include "NotesStore.h"

#include "IAppServer.h"
#include "ModuleError.h"

#include <algorithm>

namespace tavrel {

namespace {

const QString kSelect =
    QStringLiteral("SELECT * FROM GN_NOTAS WHERE FOR_NOTA = :P_FOR_NOTA AND CAM_NOTA = :P_CAM_NOTA "
                   "AND VAL_LLAV = :P_VAL_LLAV AND COD_EMPR = :P_COD_EMPR");

// Column sizes of GN_NOTAS.
constexpr int kFormSize = 40;
constexpr int kFieldSize = 30;
constexpr int kKeySize = 120;
constexpr int kUserSize = 20;

QString flag(bool alert)
{
    return alert ? QStringLiteral("S") : QStringLiteral("N");
}

} // namespace

NotesStore::NotesStore(IAppServer& server, const QString& form, const QString& keyField,
                       int company)
    : m_server(server), m_form(form.trimmed()), m_keyField(keyField.trimmed().toUpper()),
      m_company(company)
{
    if (m_form.isEmpty() || m_keyField.isEmpty())
        throw ModuleError(QStringLiteral("Las notas necesitan el nombre de la forma y el campo "
                                         "llave del registro"));
    if (m_form.size() > kFormSize || m_keyField.size() > kFieldSize)
        throw ModuleError(QStringLiteral("El nombre de la forma «%1» o del campo «%2» es "
                                         "demasiado largo para las notas")
                              .arg(m_form, m_keyField));
}

void NotesStore::checkKey(const QString& keyValue) const
{
    if (keyValue.isEmpty())
        throw ModuleError(QStringLiteral("El registro no tiene valor en %1; guárdelo con ese "
                                         "dato antes de ver sus notas")
                              .arg(m_keyField));
    if (keyValue.size() > kKeySize)
        throw ModuleError(QStringLiteral("El valor de %1 es demasiado largo para guardar notas "
                                         "(máximo %2 caracteres)")
                              .arg(m_keyField)
                              .arg(kKeySize));
}

QString NotesStore::checkedText(const QString& text)
{
    if (text.trimmed().isEmpty())
        throw ModuleError(QStringLiteral("Escriba el texto de la nota"));
    return text;
}

QList<Note> NotesStore::load(const QString& keyValue) const
{
    checkKey(keyValue);
    const ParamList params{{QStringLiteral("P_FOR_NOTA"), m_form, FieldType::String},
                           {QStringLiteral("P_CAM_NOTA"), m_keyField, FieldType::String},
                           {QStringLiteral("P_VAL_LLAV"), keyValue, FieldType::String},
                           {QStringLiteral("P_COD_EMPR"), m_company, FieldType::SmallInt}};
    const DataPacket packet = m_server.open(providerName(), kSelect, params);
    if (packet.rowKeys.size() != packet.rows.size())
        throw ModuleError(QStringLiteral("El servidor no identifica las notas; no se pueden "
                                         "modificar"),
                          ModuleError::Kind::Server);
    QList<Note> notes;
    for (int r = 0; r < packet.rows.size(); ++r) {
        Note note;
        note.key = packet.rowKeys[r];
        for (int c = 0; c < packet.columns.size(); ++c)
            note.original.insert(packet.columns[c].name, packet.rows[r][c]);
        note.user = note.original.value(QStringLiteral("COD_USUA")).toString();
        note.date = note.original.value(QStringLiteral("FEC_NOTA")).toDateTime();
        note.text = note.original.value(QStringLiteral("TEX_NOTA")).toString();
        note.alert =
            note.original.value(QStringLiteral("ALE_NOTA")).toString() == QLatin1String("S");
        notes.append(note);
    }
    std::stable_sort(notes.begin(), notes.end(), [](const Note& a, const Note& b) {
        return a.date != b.date ? a.date > b.date : a.key > b.key;
    });
    return notes;
}

Note NotesStore::add(const QString& keyValue, const QString& text, bool alert, const QString& user)
{
    checkKey(keyValue);
    checkedText(text);
    if (user.size() > kUserSize)
        throw ModuleError(QStringLiteral("El código de usuario «%1» es demasiado largo").arg(user));
    QVariantList none;
    const QDateTime now = m_server.invoke(QStringLiteral("BuscarFechaServidor"), none).toDateTime();

    DeltaRow row;
    row.kind = DeltaRow::Kind::Insert;
    row.values = {{QStringLiteral("FOR_NOTA"), m_form},
                  {QStringLiteral("CAM_NOTA"), m_keyField},
                  {QStringLiteral("VAL_LLAV"), keyValue},
                  {QStringLiteral("COD_EMPR"), m_company},
                  {QStringLiteral("COD_USUA"), user.isEmpty() ? QVariant() : QVariant(user)},
                  {QStringLiteral("FEC_NOTA"), now},
                  {QStringLiteral("TEX_NOTA"), text},
                  {QStringLiteral("ALE_NOTA"), flag(alert)}};
    const QList<qint64> keys = m_server.applyUpdates(providerName(), Delta{{row}});

    Note note;
    note.key = keys.value(0, -1);
    note.user = user;
    note.date = now;
    note.text = text;
    note.alert = alert;
    note.original = row.values;
    return note;
}

void NotesStore::update(Note& note, const QString& text, bool alert)
{
    checkedText(text);
    DeltaRow row;
    row.kind = DeltaRow::Kind::Modify;
    row.rowKey = note.key;
    row.original = note.original;
    if (text != note.text)
        row.values.insert(QStringLiteral("TEX_NOTA"), text);
    if (alert != note.alert)
        row.values.insert(QStringLiteral("ALE_NOTA"), flag(alert));
    if (row.values.isEmpty())
        return;
    m_server.applyUpdates(providerName(), Delta{{row}});
    for (auto it = row.values.cbegin(); it != row.values.cend(); ++it)
        note.original.insert(it.key(), it.value());
    note.text = text;
    note.alert = alert;
}

void NotesStore::remove(const Note& note)
{
    DeltaRow row;
    row.kind = DeltaRow::Kind::Delete;
    row.rowKey = note.key;
    row.original = note.original;
    m_server.applyUpdates(providerName(), Delta{{row}});
}

} // namespace tavrel
