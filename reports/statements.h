#pragma once

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QVector>
#include <optional>

#include "host/data/dbinifile.h"
#include "reports/positiontable.h"
#include "reports/trialbalance.h"

namespace fin {

class TDataSet;

// A position of a statement and its values; a value the form leaves blank is empty.
struct TStatementRow {
    TPosition position;
    std::optional<qint64> value, prevValue;
};
using TStatementRows = QVector<TStatementRow>;

struct TStatementOptions {
    bool thousands = true;        // "Zaokruži na hiljade u Bilansu uspeha i Bilansu stanja"
    bool showBalance721 = false;  // the tax position from the balance of 721, not its credit
    bool autoCalculateIncomeTax = false;  // add the income tax on a profit before tax
    int financialYear = 0;                // the old income statement's tax rate

    // "ShowBalance721" and "AutoCalculateIncomeTax" as the company set them.
    static TStatementOptions FromSettings(const TDBIniFile& settings, int financialYear,
                                          bool thousands);
};

// The statutory statements of a period, computed without a window. Every account amount
// comes from one grouped pass over the period's registered lines per chart (the opening
// vouchers apart, for the balance sheet's previous column); positions are rounded per term
// and combined in memory.
class TStatements {
public:
    TStatements(TConnection& connection, const QDate& from, const QDate& to,
                const TStatementOptions& options);

    TStatementRows BalanceSheet();
    TStatementRows IncomeStatement();
    TStatementRows OldBalanceSheet();
    TStatementRows OldIncomeStatement();
    // Any form: the four above, or the cash flow and the annex, which have no values.
    TStatementRows Of(TStatementForm form);

private:
    const TLedgerPass& Pass(TChart chart);

    TConnection& connection_;
    QDate from_, to_;
    TStatementOptions options_;
    std::optional<TLedgerPass> newPass_, oldPass_;
};

// The forms printed for completion by hand: every position, no value.
TStatementRows CashFlow();
TStatementRows StatisticalAnnex();
// A clear message when the statements cannot be made for a period (one that ends before it
// starts, or crosses into another year); empty when they can.
QString CheckStatementPeriod(const QDate& from, const QDate& to);
// The months between the period's bounds, shown beside the annex's first position (1 to 12).
int AnnexMonths(const QDate& from, const QDate& to);

// Divides and rounds to the nearest integer, halves to the even neighbour; exact on integers.
qint64 DivideHalfEven(qint64 numerator, qint64 denominator);

// The statement tables with the forms' field names and labels.
void DeclareStatementTable(TDataSet& table, TStatementForm form);
void FillStatementTable(TDataSet& table, const TStatementRows& rows);

// ---- Electronic filing ---------------------------------------------------------------------

// The two schema namespaces the filing system expects; settings, with these defaults.
struct TFilingNamespaces {
    QString formModel;
    QString formDefinition;
    static TFilingNamespaces FromSettings(const TDBIniFile& settings);
};

// The filing document of the new balance sheet or income statement: one line of XML.
QString StatementXml(TStatementForm form, const TStatementRows& rows,
                     const TFilingNamespaces& namespaces);
// "aprBS_" or "aprBU_" and the time as yyyyMMddhhmmss, with the ".xml" extension.
QString ProposedXmlFileName(TStatementForm form, const QDateTime& now);
// Replaces the file whole or leaves it as it was; a clear message on failure, else empty.
QString WriteStatementXml(const QString& path, const QString& document);

}  // namespace fin
