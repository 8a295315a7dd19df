#pragma once

#include <QDate>
#include <QString>
#include <QVector>
#include <optional>

namespace fin {

class TConnection;

// The faults the consistency check looks for, in the order it reports them.
enum class TCheckKind {
    Unbalanced,          // registered voucher whose debit and credit differ at the cent
    LineWithoutVoucher,  // line of a voucher that does not exist
    MissingAccount,      // line whose old-chart account does not exist
    MissingAccountNew,   // line whose new-chart account does not exist
    MissingSubaccount,   // line whose sub-account is no row of its account type's table
    SubaccountTable,     // account whose type names no sub-account table
    NoAccountNew,        // line of a new-chart year without a new-chart account
    NoAccount,           // line of an old-chart year without an old-chart account
    RepeatedNumber,      // voucher whose number another voucher of its type and year has
    RepeatedSource,      // voucher of a source document that has more than one
    MissingParent,       // merged voucher whose group voucher does not exist
    MergedParent,        // merged voucher whose group voucher is merged itself
    EmptyGroup,          // group voucher without merged vouchers
    ChangedWhenClosed,   // registered voucher of the closed period changed after closing
};

// What a finding's id names.
enum class TCheckSubject { Voucher, Line, Account };

struct TCheckKindInfo {
    TCheckKind kind;
    QString key;      // for scripts: "unbalanced", "missingsubaccount", ...
    QString caption;  // for people
    TCheckSubject subject;
};

// Every kind, in report order.
const QVector<TCheckKindInfo>& CheckKinds();
const TCheckKindInfo& CheckKindInfo(TCheckKind kind);

struct TCheckFinding {
    TCheckKind kind = TCheckKind::Unbalanced;
    qint64 id = 0;          // voucher, line or account id, as the kind's subject says
    qint64 preceptId = 0;   // the voucher the finding is in; 0 when there is none
    QString typeNumber;     // the voucher's type number
    QString number;         // the voucher's number
    QDate date;             // the voucher's date
    bool newChart = false;  // account findings: the account is of the new chart
    QString accountCode;    // account findings: the account's code
    QString note;           // what is wrong with it
};

struct TCheckResult {
    QVector<TCheckFinding> findings;  // by kind in report order, then by id

    bool Clean() const { return findings.isEmpty(); }
    QVector<qint64> Ids(TCheckKind kind) const;
    int Count(TCheckKind kind) const { return static_cast<int>(Ids(kind).size()); }
};

// The consistency check of the whole ledger, or of one year's vouchers: each kind of fault
// is one statement over the vouchers and lines, never a pass per voucher. Reports progress
// through the UI service; a cancelled run raises TAbort.
class TLedgerCheck {
public:
    explicit TLedgerCheck(TConnection& connection) : connection_(connection) {}

    std::optional<int> Year;  // none: every year

    TCheckResult Run();

private:
    TConnection& connection_;
};

}  // namespace fin
