#pragma once

#include <QDate>
#include <QString>

#include "host/db/connection.h"

namespace fin {

enum class TChart { Old, New };

// Which registered lines an account total counts. Every value is bound into the query.
struct TAccountFilter {
    TChart chart = TChart::New;
    QString code;             // account code, exact or as a prefix
    bool codePrefix = false;  // a synthetic code covers its analytic accounts
    qint64 subaccount = 0;    // greater than 0: only lines of that sub-account
    QDate from, to;           // voucher dates, both inclusive; open when invalid
};

struct TTurnover {
    double debit = 0;
    double credit = 0;
    double Balance() const { return debit - credit; }
};

// Debit and credit of the registered lines the filter selects.
TTurnover GetTurnover(TConnection& connection, const TAccountFilter& filter);

class TFinancialDM;

// Turnover of an account from 1 January of the date's year to the date, in the chart of
// the financial year: before 2014 an old-chart code is a prefix unless a sub-account is
// asked for; from 2014 the new-chart code must match exactly.
TTurnover ExtSaldo(TFinancialDM& dm, const QString& accountCode, int subaccountId,
                   const QDate& date);

}  // namespace fin
