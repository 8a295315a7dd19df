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
    int documents = 0;        // commercial documents of the year
    int documentsPosted = 0;  // those up to the end of October, which have vouchers
    int statements = 0;       // bank statements and cash journals
    int statementsPosted = 0;
    int errands = 0;  // closed work orders
    int errandsPosted = 0;
    int assetDocuments = 0;  // fixed-asset documents
    int assetDocumentsPosted = 0;
};

// Fills an empty database with a believable trading company: both charts, partners,
// products, warehouses, taxes, bank accounts (one in euros), a user sub-account type, the
// year's commercial documents, bank statements and cash journals, work orders and
// fixed-asset documents with the standard posting rules, and a year of balanced vouchers.
// The source documents up to the end of October are posted (those up to September
// registered), November's and December's wait for posting; the opening, salaries, the
// building's depreciation, compensations, exchange differences, the monthly VAT settlement
// and the assignment of the statements' lines without partner are vouchers of their own.
// The same options give the same company. Refuses (TError) when the database already
// holds vouchers, accounts or partners.
TDemoSummary MakeDemoCompany(TConnection& connection, const TDemoOptions& options = {},
                             const TDemoProgress& progress = {});

struct TDemoDocumentsOptions {
    int documents = 100;  // of mixed types, every type once where the count allows
    QDate from, to;       // their dates, both inclusive
    // Reference tables first grown to at least this many rows (0 leaves them).
    int partners = 0, products = 0, categories = 0;
    int detail = 1;  // larger documents carry more lines
    unsigned seed = 1;
};

struct TDemoDocumentsSummary {
    int documents = 0;                               // added
    int partners = 0, products = 0, categories = 0;  // rows the tables hold now
};

// Adds registered commercial documents to a demo company, with their lines, stock-card rows,
// tax lines, dependent costs, payments and linked advances, in one transaction. Refuses
// (TError) a database without the demo's reference data.
TDemoDocumentsSummary MakeDemoDocuments(TConnection& connection,
                                        const TDemoDocumentsOptions& options);

struct TDemoStatementsOptions {
    int statements = 10;  // bank statements, on the company's home-currency accounts in turn
    int lines = 100;      // lines of each: partners paying and paid, now and then a fee
    QDate from, to;       // their dates, spread evenly
    unsigned seed = 1;
};

struct TDemoStatementsSummary {
    int statements = 0;
    qint64 lines = 0;
};

// Adds bank statements with many lines to a demo company, in one transaction, for
// measuring their posting. Refuses (TError) a database without the demo's bank accounts
// and partners.
TDemoStatementsSummary MakeDemoStatements(TConnection& connection,
                                          const TDemoStatementsOptions& options);

// The user-defined sub-account type the demo creates.
inline const QString kDemoUserSubaccountType = QStringLiteral("Putni troškovi");

}  // namespace fin
