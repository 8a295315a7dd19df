#pragma once

#include <QDate>
#include <QString>
#include <functional>

namespace fin {

class TConnection;

struct TDemoOptions {
    // A fixed year, so the examples of the README work as written on every machine.
    int year = 2024;
    int vouchers = 300;  // the opening voucher and the monthly closings included
};

// Called now and then while the vouchers are written.
using TDemoProgress = std::function<void(qint64 done, qint64 total)>;

struct TDemoSummary {
    int accounts = 0;     // old chart
    int accountsNew = 0;  // new chart
    int partners = 0;
    int products = 0;
    qint64 vouchers = 0;
    qint64 lines = 0;
};

// Fills an empty database with a believable trading company: both charts, partners,
// products, warehouses, taxes, bank accounts, a user sub-account type and a year of
// balanced vouchers. The same options give the same company. Refuses (TError) when the
// database already holds vouchers, accounts or partners.
TDemoSummary MakeDemoCompany(TConnection& connection, const TDemoOptions& options = {},
                             const TDemoProgress& progress = {});

// The user-defined sub-account type the demo creates.
inline const QString kDemoUserSubaccountType = QStringLiteral("Putni troškovi");

}  // namespace fin
