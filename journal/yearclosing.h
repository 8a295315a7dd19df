#pragma once

#include <QDate>
#include <QString>
#include <QVector>

namespace fin {

class TFinancialDM;
struct TAccountDesc;
struct TAccountFilter;

// The closing and opening jobs of the year, in the order the composite runs them.
enum class TClosingJob { Class5, Class6, Class7, CloseYear, OpenYear };

// What one job did.
struct TClosingResult {
    enum class TOutcome {
        Written,     // a voucher with its lines
        NoAccounts,  // nothing to close or open; nothing written
        Refused,     // a message said why; nothing written
    };
    TClosingJob job = TClosingJob::Class5;
    TOutcome outcome = TOutcome::Refused;
    QString message;  // of a refusal, as it was shown
    qint64 preceptId = 0;
    QString number;
    QDate date;
    QString description;
    QVector<qint64> itemIds;  // the voucher's lines, in their order

    bool Written() const { return outcome == TOutcome::Written; }
};

// Closes the result classes and the balance-sheet accounts at the end of the financial
// year and opens the next year with their balances, each job writing one voucher through
// the data module's voucher and line datasets, so the usual rules of new records apply.
// The totals are those of the registered vouchers of the financial year, netted per account
// code and sub-account. A job is all or nothing: the voucher, its lines and the class
// transfer are written in one transaction, and a refusal leaves the database as it was.
// The new voucher joins the data module's list as its current record, unregistered.
class TYearClosing {
public:
    explicit TYearClosing(TFinancialDM& dm);
    ~TYearClosing();
    TYearClosing(const TYearClosing&) = delete;
    TYearClosing& operator=(const TYearClosing&) = delete;

    // One job; an invalid date takes the job's own (31 December of the financial year, or
    // 1 January of the next one for the opening), and a date given must lie in that year.
    // Every message goes through the UI service; errors are shown, not raised.
    TClosingResult Run(TClosingJob job, const QDate& date = {});
    // Every job in order, each as if chosen on its own.
    QVector<TClosingResult> RunAll();

    // The command's caption, which is also the voucher's description.
    static QString Caption(TClosingJob job);

private:
    bool CloseOpenAccounts(const QString& contraCode, const TAccountFilter& condition,
                           const QString& lineDescription, const QString& classFormat,
                           const QString& voucherDescription, bool closing, int typeId, QDate date);
    void ClassTransfer(QChar classDigit);
    void AddTransferLine(const QString& code, double amount);
    void AppendLine(const TAccountDesc& account, bool bothCharts, qint64 subaccount,
                    const QString& description, double debit, double credit);

    TFinancialDM& dm_;
    bool newChart_ = true;  // the financial year keeps its lines on the new chart
    // What the last CloseOpenAccounts left behind.
    bool noAccounts_ = false;
    QString refusal_;
    quint64 appended_ = 0;      // the new voucher in the list, as a bookmark
    QString sameUnregistered_;  // number of an equal voucher not registered yet
};

}  // namespace fin
