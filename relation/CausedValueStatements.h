#pragma once

#include "TavrelRelationExport.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace tavrel {

// The statements of the caused-value update, in the one wording that the module sends,
// the network server lets through, the change history recognises and the preview runs.
// Each text is joined from fixed fragments with nothing between them; their blanks
// count, since the texts the module sends are compared as they are.
//
// The update recomputes VAL_CAUS of every relation row of NM_RPCOS from the debit
// movements of NM_NCMOV with the row's company, related code, concept and account, and
// stamps ACT_USUA, ACT_HORA and ACT_ESTA. None of its statements has a row filter.
class TAVREL_RELATION_EXPORT CausedValueStatements
{
public:
    // The set of texts, chosen by the period setting FEC_RPCO.
    enum class Texts
    {
        EmptySetting,       // FEC_RPCO empty or missing: the latest accounting date
        NonPositiveSetting, // FEC_RPCO 0 or less: the same, with other blanks
        Year,               // FEC_RPCO a year: the whole year, then the clean-up
    };

    // The texts for a FEC_RPCO value; nothing when the value is no integer as the update
    // reads one (blanks before it, an optional sign, digits, nothing after them).
    static std::optional<Texts> textsFor(const QString& setting);
    // The conversion error for such a value.
    static QString notAnInteger(const QString& setting);
    // The FEC_RPCO value as an integer; only for a value textsFor accepts.
    static int settingValue(const QString& setting);
    // The query of the FEC_RPCO value, line by line (its first row's VAL_VARI).
    static QStringList settingQuery();

    // The latest processing date of the movements not after :PDTFECPROC, as FEC_PROC
    // (latest-date texts only).
    static QString accountingDateQuery(Texts texts);
    // Latest-date path; markers :pFechaCont, :pFechaSrv.
    static QString dateUpdate(Texts texts, const QString& user);
    // Yearly path, summing VAL_TRAN or VAL_CAUC; markers :pFechaInic, :pFechaFin, :pFechaSrv.
    static QString yearUpdate(bool sumTransactions, const QString& user);
    // The yearly path's sum for each relation row of company :pEmpresa, month by month:
    // the yearly update's own sum and its own movements (the same keys, nature and
    // period), grouped by the relation row's keys and by `monthOfProcessing`, an
    // expression of the engine that gives the month (1 to 12) of NM_NCMOV.FEC_PROC.
    // Columns COD_EMPR, COD_CONT, COD_CUEN, COD_CCOS, MES, VALOR; a row and month without
    // movements has no line. Markers :pFechaInic, :pFechaFin, :pEmpresa.
    static QString monthlyYearSums(bool sumTransactions, const QString& monthOfProcessing);
    // After the yearly update: the rows without a matching movement get 0.
    static QString cleanUp();
    // The stamp every update ends with: the user as a quoted literal, the server time as
    // :pFechaSrv and the modification mark.
    static QString auditTail(const QString& user);

    // Whether the yearly path sums VAL_TRAN, from the company's flag V0000017.
    static bool sumsTransactions(const QString& digiDian) { return digiDian == QLatin1String("S"); }
    // The movements' column an update sums: VAL_TRAN when the yearly path sums
    // transactions, VAL_CAUC otherwise (and always on the latest-date path).
    static QString summedColumn(bool sumTransactions);

    // A text with its blanks made single and trimmed at both ends, as texts are compared.
    static QString normalised(const QString& sql);

    // A statement recognised as one of the update's.
    struct Recognised
    {
        enum class Kind
        {
            Update,
            CleanUp,
        } kind = Kind::Update;
        QString user;  // the user written into ACT_USUA (quotes undoubled); none for the clean-up
        QString shape; // the normalised text with userMark() in place of the user
    };
    // The statement `sql` is, compared with its blanks normalised; nothing for any other
    // text. Case counts except in the user.
    static std::optional<Recognised> recognise(const QString& sql);
    // Where the user stands in a recognised shape.
    static QString userMark() { return QStringLiteral("<USUARIO>"); }
    // The marker of the server time written into ACT_HORA.
    static QString serverTimeMarker() { return QStringLiteral("pFechaSrv"); }
};

} // namespace tavrel
