#include "posting/postingpreview.h"

#include <QHash>

#include "host/common/error.h"
#include "host/common/rounding.h"
#include "host/common/textformat.h"
#include "ledger/financialdm.h"
#include "posting/autoconter.h"
#include "posting/customconter.h"

namespace fin {

TPreviewTotals PreviewTotals(const TPostingPreview& preview) {
    TPreviewTotals totals;
    for (const TPreviewLine& l : preview.lines) {
        totals.debit += l.debit;
        totals.credit += l.credit;
    }
    totals.debit = BetterRoundTo(totals.debit, -2);
    totals.credit = BetterRoundTo(totals.credit, -2);
    return totals;
}

QString PreviewBalanceText(const TPreviewTotals& totals) {
    if (totals.Balanced())
        return QStringLiteral("Nalog je uravnotežen.");
    return QStringLiteral("Nalog nije uravnotežen: duguje - potražuje = %1.")
        .arg(PreviewAmount(BetterRoundTo(totals.debit - totals.credit, -2)));
}

QString PreviewAmount(double value) {
    return FormatFloat(QStringLiteral("#,##0.00"), value);
}

QString PreviewHeaderLabel(const QString& field) {
    static const QHash<QString, QString> labels{
        {QStringLiteral("precepttypeid"), QStringLiteral("Id tipa")},
        {QStringLiteral("PreceptType"), QStringLiteral("Tip naloga")},
        {QStringLiteral("number"), QStringLiteral("Broj")},
        {QStringLiteral("preceptdate"), QStringLiteral("Datum")},
        {QStringLiteral("registerdate"), QStringLiteral("Datum knjiženja")},
        {QStringLiteral("status"), QStringLiteral("Status")},
        {QStringLiteral("description"), QStringLiteral("Opis")},
        {QStringLiteral("foreigntable"), QStringLiteral("Izvorna tabela")},
        {QStringLiteral("foreignid"), QStringLiteral("Izvorni dokument")}};
    return labels.value(field, field);
}

QPair<QString, QString> PreviewVariable(const QString& line) {
    const int eq = line.indexOf(QLatin1Char('='));
    return eq < 0 ? qMakePair(line, QString()) : qMakePair(line.left(eq), line.mid(eq + 1));
}

TCustomContoAutomat& RequireAutomat(const TAutoConter& driver, const QString& module) {
    for (TCustomContoAutomat* a : driver.Automats())
        if (a->ModuleName() == module)
            return *a;
    throw TError(QStringLiteral("Modul \"%1\" još nema automatsko kontiranje; njegovi dokumenti se "
                                "ne mogu kontirati.")
                     .arg(module));
}

TPostingPreview PreviewDocument(TFinancialDM& dm, TAutoConter& driver, const QString& module,
                                qint64 id) {
    TCustomContoAutomat& automat = RequireAutomat(driver, module);
    TConnection& c = dm.Require();
    const QString table = automat.TableName();
    const QVariant number = c.SelectValue(
        QStringLiteral("SELECT number FROM precept WHERE foreigntable = ? AND foreignid = ? "
                       "ORDER BY preceptid LIMIT 1"),
        {table, id});
    if (!number.isNull())
        throw TError(QStringLiteral("Dokument %1 modula \"%2\" je već kontiran: nalog %3.")
                         .arg(id)
                         .arg(module, number.toString()));
    // The source table is named by the automat; its key is the table name with "id".
    if (!TConnection::IsSafeIdentifier(table))
        throw TError(QStringLiteral("Neispravno ime tabele: \"%1\".").arg(table));
    if (c.SelectValue(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2 = ?")
                          .arg(TConnection::QuoteIdentifier(table),
                               TConnection::QuoteIdentifier(table + QStringLiteral("id"))),
                      {id})
            .toInt() == 0)
        throw TError(QStringLiteral("Dokument %1 modula \"%2\" ne postoji.").arg(id).arg(module));

    TAutoConterResult result = driver.Execute(true, automat.Kind(), {}, id, [](TPostingRun& run) {
        run.PreviewOnly = true;
        run.KeepInList = false;
    });
    if (result.preview.header.isEmpty())
        throw TError(QStringLiteral("Dokument %1 modula \"%2\" ne čeka kontiranje: nije "
                                    "proknjižen, nije iz finansijske godine do datuma "
                                    "kontiranja (%3) ili se njegova vrsta ne kontira.")
                         .arg(id)
                         .arg(module, DateToText(dm.AutoToDate)));
    return std::move(result.preview);
}

}  // namespace fin
