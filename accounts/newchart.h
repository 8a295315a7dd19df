#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include "accounts/accountbrowser.h"

namespace fin {

class TFinancialDM;
class TQuery;

// A pair of the recommended table: an old-chart code and the new-chart code it moves to.
struct TChartPair {
    QString oldCode, newCode;
};

// Reads "old=new" lines ("#" begins a comment line); throws TError naming the first line
// that is not a pair of codes, or whose old code came before.
QVector<TChartPair> ParseChartPairs(const QString& text);
// The built-in table, read once from the file that travels inside the library.
const QVector<TChartPair>& RecommendedChartPairs();
// The new code recommended for an old one; empty when the table has none.
QString RecommendedNewCode(const QString& oldCode);

// An account of either chart as a transfer sees it.
struct TChartAccount {
    qint64 id = 0;
    QString code, name, type;
};

// What a transfer did, and what a recommended one left alone.
struct TChartTransferResult {
    int accounts = 0;  // old accounts whose lines were given a new account
    qint64 lines = 0;
    qint64 rules = 0;              // posting rules that now name a new account
    QStringList noRecommendation;  // old codes the table has no pair for
    QStringList noNewAccount;      // "old=new" whose new code the new chart lacks
    QStringList typeMismatch;      // "old=new" of different sub-account types
};

// The move of the financial year's ledger from the old chart to the new one, without its
// window: the old accounts whose registered lines of the year still lack a new account,
// the new chart, their searches, and the transfers. A transfer is one transaction: the
// lines and the posting rules move together or not at all.
class TNewChartTransfer {
public:
    explicit TNewChartTransfer(TFinancialDM& dm);

    TQuery& OldAccounts() const;  // the data module's list, ordered by code
    TQuery& NewAccounts() const;  // the new chart as last searched

    // Both lists; the new chart whole.
    void Open();
    void LoadOldAccounts();

    // Left: the row of a code (which must be a number), then the first row by name as the
    // account browser finds names. Warnings go to the user.
    void LocateOld(const QString& code, const QString& name);
    // Right: prefix matches on code and name; the first row.
    void SearchNew(const QString& code, const QString& name);

    TChartAccount CurrentOld() const;
    TChartAccount CurrentNew() const;

    // The year's lines of one old account into the new account, and every posting rule of
    // the old code pointed at the new code, whatever it named before; then the old list
    // again. Refused with a warning, writing nothing, when the sub-account types differ.
    bool Transfer(const TChartAccount& from, const TChartAccount& to,
                  TChartTransferResult* result = nullptr);
    // Every listed old account into the new account the table recommends, where that
    // account exists and has the same sub-account type; the posting rules by the whole
    // table, only where they name no new account yet. Then the old list again. The table
    // is the built-in one unless another is given.
    TChartTransferResult TransferRecommended(
        const QVector<TChartPair>& table = RecommendedChartPairs());

    // The old-chart account dataset reloaded with one account, as its card wants it; false
    // when the account is gone.
    bool SelectOldAccount(qint64 accountId);

private:
    TFinancialDM& dm_;
    TAccountBrowser newChart_;
};

}  // namespace fin
