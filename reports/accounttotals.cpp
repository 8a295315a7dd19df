#include "reports/accounttotals.h"

#include "ledger/financialdm.h"

namespace fin {

namespace {
// A code typed by a user must not act as a LIKE pattern.
QString LikePrefix(QString text) {
    text.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    text.replace(QLatin1Char('%'), QStringLiteral("\\%"));
    text.replace(QLatin1Char('_'), QStringLiteral("\\_"));
    return text + QLatin1Char('%');
}
}  // namespace

TTurnover GetTurnover(TConnection& connection, const TAccountFilter& filter) {
    const bool newChart = filter.chart == TChart::New;
    QString sql = QStringLiteral(
        "SELECT COALESCE(SUM(pi.debit), 0), COALESCE(SUM(pi.credit), 0) "
        "FROM preceptitem AS pi INNER JOIN precept AS p ON p.preceptid = pi.preceptid ");
    sql += newChart
               ? QStringLiteral("INNER JOIN accountnew AS a ON a.accountnewid = pi.accountnewid ")
               : QStringLiteral("INNER JOIN account AS a ON a.accountid = pi.accountid ");
    sql += QStringLiteral("WHERE p.status = 'p'");
    QVariantList params;
    if (filter.codePrefix) {
        sql += QStringLiteral(" AND a.code LIKE ?");
        params << LikePrefix(filter.code);
    } else {
        sql += QStringLiteral(" AND a.code = ?");
        params << filter.code;
    }
    if (filter.subaccount > 0) {
        sql += QStringLiteral(" AND pi.foreignid = ?");
        params << filter.subaccount;
    }
    if (filter.from.isValid()) {
        sql += QStringLiteral(" AND p.preceptdate >= ?");
        params << filter.from;
    }
    if (filter.to.isValid()) {
        sql += QStringLiteral(" AND p.preceptdate <= ?");
        params << filter.to;
    }
    const TResultSet r = connection.Select(sql, params);
    TTurnover t;
    if (!r.rows.isEmpty()) {
        t.debit = r.rows[0][0].toDouble();
        t.credit = r.rows[0][1].toDouble();
    }
    return t;
}

TTurnover ExtSaldo(TFinancialDM& dm, const QString& accountCode, int subaccountId,
                   const QDate& date) {
    TConnection* c = dm.ZConnection();
    if (!c)
        throw TError(QStringLiteral("Nema veze sa bazom podataka."));
    TAccountFilter f;
    f.chart = dm.NewChartYear() ? TChart::New : TChart::Old;
    f.code = accountCode;
    f.codePrefix = f.chart == TChart::Old && subaccountId <= 0;
    f.subaccount = subaccountId;
    f.from = QDate(date.year(), 1, 1);
    f.to = date;
    return GetTurnover(*c, f);
}

}  // namespace fin
