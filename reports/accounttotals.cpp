#include "reports/accounttotals.h"

#include <algorithm>

#include "ledger/financialdm.h"

namespace fin {

namespace {

// The voucher type whose vouchers carry the old chart's balances into the new one.
constexpr int kOpeningTypeId = 29;

QString AccountJoin(TChart chart, bool left = false) {
    const QString join = left ? QStringLiteral("LEFT JOIN ") : QStringLiteral("INNER JOIN ");
    return join + (chart == TChart::New
                       ? QStringLiteral("accountnew AS a ON a.accountnewid = pi.accountnewid ")
                       : QStringLiteral("account AS a ON a.accountid = pi.accountid "));
}

QString IdColumn(TChart chart) {
    return chart == TChart::New ? QStringLiteral("a.accountnewid") : QStringLiteral("a.accountid");
}

const QString kLinesOfRegistered =
    QStringLiteral("FROM preceptitem AS pi INNER JOIN precept AS p ON p.preceptid = pi.preceptid ");

// Only the larger side remains, less the smaller.
void Net(TFinAccountDecs& row) {
    if (row.Debit >= row.Credit) {
        row.Debit -= row.Credit;
        row.Credit = 0;
    } else {
        row.Credit -= row.Debit;
        row.Debit = 0;
    }
}

// Rows of id, code, sub-account or name, debit and credit.
TFinAccounts ReadAccounts(const TResultSet& r, TChart chart, bool named) {
    TFinAccounts result;
    result.reserve(r.rows.size());
    for (const auto& row : r.rows) {
        TFinAccountDecs d;
        d.AccountID = row[0].toLongLong();
        d.Code = row[1].toString();
        if (named)
            d.Name = row[2].toString();
        else
            d.ForeignID = row[2].toLongLong();
        d.Debit = row[3].toDouble();
        d.Credit = row[4].toDouble();
        if (chart == TChart::New) {
            d.AccountNewID = d.AccountID;
            d.CodeNew = d.Code;
        }
        result << d;
    }
    return result;
}

// UsedOldCodes holds ",code" entries; a code counts as used only as a whole entry, so
// "20" is not taken for used because "201" is.
bool TakeOldCode(QString& used, const QString& code) {
    if (used.split(QLatin1Char(','), Qt::SkipEmptyParts).contains(code))
        return false;
    used += QLatin1Char(',') + code;
    return true;
}

}  // namespace

QString LikePrefix(QString text, bool keepPercent) {
    text.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    if (!keepPercent)
        text.replace(QLatin1Char('%'), QStringLiteral("\\%"));
    text.replace(QLatin1Char('_'), QStringLiteral("\\_"));
    return text + QLatin1Char('%');
}

TAccountFilter TAccountFilter::Exact(TChart chart, const QString& code, qint64 subaccount) {
    TAccountFilter f;
    f.chart = chart;
    f.match = TCodeMatch::Exact;
    f.code = code;
    f.subaccount = subaccount;
    return f;
}

TAccountFilter TAccountFilter::Prefix(TChart chart, const QString& prefix) {
    TAccountFilter f;
    f.chart = chart;
    f.match = TCodeMatch::Prefix;
    f.code = prefix;
    return f;
}

TAccountFilter TAccountFilter::Group(TChart chart, const QString& fromPrefix,
                                     const QString& toPrefix) {
    TAccountFilter f = Prefix(chart, fromPrefix);
    if (!toPrefix.isEmpty()) {
        f.match = TCodeMatch::Range;
        f.codeTo = toPrefix;
    }
    return f;
}

TFilterSql FilterSql(const TAccountFilter& filter) {
    TFilterSql s;
    switch (filter.match) {
        case TCodeMatch::Any:
            break;
        case TCodeMatch::Exact:
            s.where += QStringLiteral(" AND a.code = ?");
            s.params << filter.code;
            break;
        case TCodeMatch::Prefix:
            s.where += QStringLiteral(" AND a.code LIKE ?");
            s.params << LikePrefix(filter.code);
            break;
        case TCodeMatch::Range:
            // Codes of either prefix, and those that sort between them as text.
            s.where += QStringLiteral(
                " AND (a.code LIKE ? OR (a.code > ? AND a.code < ?) OR a.code LIKE ?)");
            s.params << LikePrefix(filter.code) << filter.code + QLatin1Char('%')
                     << filter.codeTo + QLatin1Char('%') << LikePrefix(filter.codeTo);
            break;
    }
    if (!filter.exceptPrefixes.isEmpty()) {
        // A line without an account of the chart has no code, and so is left out as well.
        QStringList likes;
        for (const QString& prefix : filter.exceptPrefixes) {
            likes << QStringLiteral("a.code LIKE ?");
            s.params << LikePrefix(prefix);
        }
        s.where +=
            QStringLiteral(" AND NOT (") + likes.join(QStringLiteral(" OR ")) + QLatin1Char(')');
    }
    if (filter.subaccount > 0) {
        s.where += QStringLiteral(" AND pi.foreignid = ?");
        s.params << filter.subaccount;
    }
    if (filter.from.isValid()) {
        s.where += QStringLiteral(" AND p.preceptdate >= ?");
        s.params << filter.from;
    }
    if (filter.to.isValid()) {
        s.where += QStringLiteral(" AND p.preceptdate <= ?");
        s.params << filter.to;
    }
    if (!filter.preceptTypeNumber.isEmpty()) {
        s.joins += QStringLiteral(
            "INNER JOIN precepttype AS pt ON pt.precepttypeid = "
            "p.precepttypeid ");
        s.where += QStringLiteral(" AND pt.number = ?");
        s.params << filter.preceptTypeNumber;
    }
    return s;
}

TTurnover GetTurnover(TConnection& connection, const TAccountFilter& filter) {
    const TFilterSql f = FilterSql(filter);
    const QString sql = QStringLiteral(
                            "SELECT COALESCE(SUM(pi.debit), 0), "
                            "COALESCE(SUM(pi.credit), 0) ") +
                        kLinesOfRegistered + AccountJoin(filter.chart) + f.joins +
                        QStringLiteral("WHERE p.status = 'p'") + f.where;
    const TResultSet r = connection.Select(sql, f.params);
    TTurnover t;
    if (!r.rows.isEmpty()) {
        t.debit = r.rows[0][0].toDouble();
        t.credit = r.rows[0][1].toDouble();
    }
    return t;
}

TTurnover GetAccountData(TConnection& connection, const QString& code, qint64 subaccountId,
                         const QDate& from, const QDate& to, const QString& preceptTypeNumber) {
    TAccountFilter f = subaccountId < 1 ? TAccountFilter::Prefix(TChart::Old, code)
                                        : TAccountFilter::Exact(TChart::Old, code, subaccountId);
    f.Period(from, to).preceptTypeNumber = preceptTypeNumber;
    return GetTurnover(connection, f);
}

TTurnover GetAccountNewData(TConnection& connection, const QString& code, qint64 subaccountId,
                            const QDate& from, const QDate& to, bool exact,
                            const QString& preceptTypeNumber) {
    TAccountFilter f = subaccountId >= 1 || exact
                           ? TAccountFilter::Exact(TChart::New, code, subaccountId)
                           : TAccountFilter::Prefix(TChart::New, code);
    f.Period(from, to).preceptTypeNumber = preceptTypeNumber;
    return GetTurnover(connection, f);
}

double GetAccountBalance(TConnection& connection, const QString& code, qint64 subaccountId,
                         const QDate& from, const QDate& to) {
    return GetAccountData(connection, code, subaccountId, from, to).Balance();
}

double GetAccountNewBalance(TConnection& connection, const QString& code, qint64 subaccountId,
                            const QDate& from, const QDate& to, const QString& preceptTypeNumber) {
    return GetAccountNewData(connection, code, subaccountId, from, to, false, preceptTypeNumber)
        .Balance();
}

double GetAccountNewPrevBalance(TFinancialDM& dm, const QString& code, qint64 subaccountId,
                                const QDate& from, const QDate& to,
                                const QString& preceptTypeNumber) {
    TConnection* c = &dm.Require();
    const QDate prevFrom = from.addYears(-1);
    const QDate prevTo = to.addYears(-1);
    const int year = dm.Options().FinancialYear;
    if (year > kFirstNewChartYear)
        return GetAccountNewData(*c, code, subaccountId, prevFrom, prevTo, false, preceptTypeNumber)
            .Balance();
    if (year < kFirstNewChartYear)
        return 0;
    auto oldBalance = [&](const QString& oldCode) {
        return GetAccountData(*c, oldCode, 0, prevFrom, prevTo, preceptTypeNumber).Balance();
    };
    if (code.size() < 3)
        return oldBalance(code);

    // Which old accounts the opening vouchers of 2014 carried into this new code.
    const TResultSet moved = c->Select(
        QStringLiteral("SELECT an.code AS codenew, a.code FROM preceptitem AS pi "
                       "INNER JOIN precept AS p ON p.preceptid = pi.preceptid "
                       "LEFT JOIN account AS a ON pi.accountid = a.accountid "
                       "LEFT JOIN accountnew AS an ON pi.accountnewid = an.accountnewid "
                       "WHERE p.status = 'p' AND p.precepttypeid = ? AND an.code LIKE ? "
                       "AND p.preceptdate >= ? AND p.preceptdate <= ? ORDER BY an.code, a.code"),
        {kOpeningTypeId, LikePrefix(code), QDate(kFirstNewChartYear, 1, 1),
         QDate(kFirstNewChartYear, 12, 31)});
    if (moved.rows.isEmpty())
        return TakeOldCode(dm.UsedOldCodes, code) ? oldBalance(code) : 0;
    double sum = 0;
    for (const auto& row : moved.rows) {
        // A line that carried no old account has nothing of the old chart to count; an
        // empty prefix would count the whole old ledger.
        const QString synthetic = row[1].toString().left(3);
        if (synthetic.isEmpty())
            continue;
        if (TakeOldCode(dm.UsedOldCodes, synthetic))
            sum += oldBalance(synthetic);
    }
    return sum;
}

TFinAccounts GetAccounts(TConnection& connection, int year, const TAccountFilter& filter, bool net,
                         bool allDates) {
    TAccountFilter f = filter;
    if (!allDates) {
        // The year bounds the dates; a narrower period of the filter still applies.
        if (!f.from.isValid() || f.from < QDate(year, 1, 1))
            f.from = QDate(year, 1, 1);
        if (!f.to.isValid() || f.to > QDate(year, 12, 31))
            f.to = QDate(year, 12, 31);
    }
    const TFilterSql s = FilterSql(f);
    // The old chart keeps lines without an old account, under an empty code.
    const QString sql =
        QStringLiteral(
            "SELECT %1, a.code, pi.foreignid, SUM(pi.debit) AS totaldebit, "
            "SUM(pi.credit) AS totalcredit ")
            .arg(IdColumn(f.chart)) +
        kLinesOfRegistered + AccountJoin(f.chart, f.chart == TChart::Old) + s.joins +
        QStringLiteral("WHERE p.status = 'p'") + s.where +
        QStringLiteral(" GROUP BY a.code, pi.foreignid ORDER BY a.code, pi.foreignid");
    TFinAccounts result = ReadAccounts(connection.Select(sql, s.params), f.chart, false);
    if (net)
        for (TFinAccountDecs& d : result)
            Net(d);
    return result;
}

TFinAccounts GetAccountsOldNew(TConnection& connection, int year, const TAccountFilter& filter) {
    TAccountFilter f = filter;
    f.chart = TChart::New;
    TFinAccounts result = GetAccounts(connection, year, f, true, false);
    for (TFinAccountDecs& d : result)
        d.Code.clear();
    return result;
}

TFinAccounts GetSynthAccounts(TConnection& connection, const TAccountFilter& filter) {
    const TFilterSql s = FilterSql(filter);
    const QString sql = QStringLiteral(
                            "SELECT MIN(%1), a.code, MIN(a.name), SUM(pi.debit) AS totaldebit, "
                            "SUM(pi.credit) AS totalcredit ")
                            .arg(IdColumn(filter.chart)) +
                        kLinesOfRegistered + AccountJoin(filter.chart) + s.joins +
                        QStringLiteral("WHERE p.status = 'p'") + s.where +
                        QStringLiteral(" GROUP BY a.code ORDER BY a.code");
    return ReadAccounts(connection.Select(sql, s.params), filter.chart, true);
}

std::array<double, 10> GetGroupBalance(const TFinAccounts& accounts, bool useNewCode) {
    std::array<double, 10> classes{};
    for (const TFinAccountDecs& d : accounts) {
        const QString& code = useNewCode ? d.CodeNew : d.Code;
        // Codes are digits; anything else belongs to no class.
        if (code.isEmpty() || !code[0].isDigit() || code[0].digitValue() < 0)
            continue;
        classes[code[0].digitValue()] += d.Debit - d.Credit;
    }
    return classes;
}

TChartTotals::TChartTotals(TConnection& connection, TChart chart, const QDate& from,
                           const QDate& to) {
    TAccountFilter f;
    f.chart = chart;
    f.Period(from, to);
    const TFilterSql s = FilterSql(f);
    const TResultSet r = connection.Select(
        QStringLiteral("SELECT a.code, SUM(pi.debit), SUM(pi.credit) ") + kLinesOfRegistered +
            AccountJoin(chart) + QStringLiteral("WHERE p.status = 'p'") + s.where +
            QStringLiteral(" GROUP BY a.code"),
        s.params);
    byCode_.reserve(r.rows.size());
    for (const auto& row : r.rows)
        byCode_.append({row[0].toString(), {row[1].toDouble(), row[2].toDouble()}});
    std::sort(byCode_.begin(), byCode_.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
}

TTurnover TChartTotals::Of(const QString& code, bool prefix) const {
    auto it = std::lower_bound(byCode_.begin(), byCode_.end(), code,
                               [](const auto& entry, const QString& c) { return entry.first < c; });
    TTurnover t;
    for (; it != byCode_.end(); ++it) {
        if (prefix ? !it->first.startsWith(code) : it->first != code)
            break;
        t.debit += it->second.debit;
        t.credit += it->second.credit;
    }
    return t;
}

QHash<qint64, TTurnover> SubaccountTotals(TConnection& connection, TChart chart,
                                          const QString& code, const QDate& from, const QDate& to) {
    TAccountFilter f = TAccountFilter::Exact(chart, code);
    f.Period(from, to);
    const TFilterSql s = FilterSql(f);
    const TResultSet r = connection.Select(
        QStringLiteral("SELECT pi.foreignid, SUM(pi.debit), SUM(pi.credit) ") + kLinesOfRegistered +
            AccountJoin(chart) + QStringLiteral("WHERE p.status = 'p'") + s.where +
            QStringLiteral(" AND pi.foreignid IS NOT NULL GROUP BY pi.foreignid"),
        s.params);
    QHash<qint64, TTurnover> totals;
    for (const auto& row : r.rows)
        totals.insert(row[0].toLongLong(), {row[1].toDouble(), row[2].toDouble()});
    return totals;
}

TTurnover ExtSaldo(TFinancialDM& dm, const QString& accountCode, int subaccountId,
                   const QDate& date) {
    TConnection* c = &dm.Require();
    const QDate from(date.year(), 1, 1);
    if (dm.NewChartYear())
        return GetAccountNewData(*c, accountCode, subaccountId, from, date, true);
    return GetAccountData(*c, accountCode, subaccountId, from, date);
}

}  // namespace fin
