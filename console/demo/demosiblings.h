#pragma once

// The demo company's documents of the bank, production and fixed-asset modules: what the
// company generator asks for and what the vouchers written beside them need to know.
#include <QDate>
#include <QHash>
#include <QMap>
#include <QPair>
#include <QString>
#include <QVector>

namespace fin {

class TConnection;

// Euro cents on the company's euro account at the start of the year.
inline constexpr qint64 kDemoEuroOpening = 1200000;

// One month's salaries, in cents.
struct TDemoSalary {
    qint64 gross = 0, net = 0, tax = 0, contributions = 0, employer = 0;
};

struct TDemoTrip {
    qint64 id = 0;
    QString name;
};

struct TDemoSiblingOptions {
    int year = 2024;
    int statements = 0;      // on the company's home-currency accounts, at most one a day each
    int euroStatements = 0;  // on its euro account
    int cashJournals = 0;    // at most one a day
    // Payments and receipts of partners on account, spread over the home-currency
    // statements beside the payments of documents.
    int partnerLines = 0;
    int detail = 1;  // larger companies' cash journals have more lines
    // Salaries of each month (twelve, or none) are paid in the next one with their taxes;
    // the loan's interest every month.
    QVector<TDemoSalary> salaries;
    bool assetsAndProduction = false;  // fixed-asset documents and work orders
    QVector<TDemoTrip> trips;
    unsigned seed = 1;
};

// What a statement line without partner, posted on 2280, belongs to: account code and
// sub-account; cents (debit minus credit) by month.
using TDemoUnassigned = QMap<int, QMap<QPair<QString, qint64>, qint64>>;

struct TDemoSiblingSummary {
    int statements = 0;  // bank statements and cash journals
    int errands = 0;     // closed work orders
    int assetDocuments = 0;
    TDemoUnassigned unassigned;
};

// Writes the year's statements, cash journals, work orders and fixed-asset documents of a
// company that has its documents already.
TDemoSiblingSummary MakeDemoSiblings(TConnection& c, const TDemoSiblingOptions& options);

// The equipment register at the start of the year: purchase value by account code, its
// accumulated depreciation, and what is being prepared for use during the year (cents).
struct TDemoEquipment {
    QVector<QPair<QString, qint64>> purchase;
    qint64 depreciation = 0;
    qint64 inPreparation = 0;
};
TDemoEquipment DemoEquipmentAtOpening();

}  // namespace fin
