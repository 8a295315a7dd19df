#pragma once

#include <QDate>
#include <QString>
#include <functional>

namespace fin {

class TFinancialDM;
class TDataSet;
class TQuery;

// The voucher editor without its window: the current voucher of the data module's list
// with its lines, the totals, saving, registering and unregistering with every check, the
// copy and the line commands. Screens, scripts and the command line all go through it.
class TPreceptEditor {
public:
    // Opens the editor on the list's current record; only one may be open at a time.
    explicit TPreceptEditor(TFinancialDM& dm);
    ~TPreceptEditor();
    TPreceptEditor(const TPreceptEditor&) = delete;
    TPreceptEditor& operator=(const TPreceptEditor&) = delete;

    // Lets another editor open while this one is still on its way out.
    void Release();

    TQuery& Header() const;
    TQuery& Lines() const;

    void LoadLines();
    void ComputeTotals();
    double TotalDebit() const { return debit_; }
    double TotalCredit() const { return credit_; }
    double Balance() const { return balance_; }

    bool Active() const;  // the voucher is not registered, so it may change
    bool Modified() const;
    bool CanRegister() const;
    QString StatusText() const;

    // Writes the header and every pending line in one transaction. A failure leaves the
    // database as it was and the editor with everything the user typed.
    void Save();
    // Drops the header edit and every pending line change.
    void Cancel();

    // The checks in their order; a refusal shows its message (or raises it) and returns
    // false. The confirmation is asked through the UI service.
    bool Register();
    bool Unregister();

    // Copies the voucher with its lines, dated today in the financial year; the copy's id,
    // or 0 when nothing was copied.
    qint64 Copy();

    void SetPreceptDate(const QDate& date);
    void SetRegisterDate(const QDate& date);
    void FreshNumber();

    bool IsTemporaryLine(int recNo) const;
    bool CanMoveUp() const;
    bool CanMoveDown() const;
    void MoveUp();
    void MoveDown();
    void SortByValue();
    // Asks first; the deletions wait for the next save.
    void DeleteAllLines();

    bool PreceptNumberChange = false;
    QDate UnregisterClosedPeriod;

private:
    bool CommonChecks(bool registering);
    bool SetStatus(bool registered);
    bool LinesTemporaryOrUndefined();
    void Move(int step);
    void CheckOpen() const;

    TFinancialDM& dm_;
    bool holdsOpen_ = false;
    // The lines' own after-post and after-delete handlers, back in place when it closes.
    std::function<void(TDataSet&)> savedAfterPost_, savedAfterDelete_;
    double debit_ = 0, credit_ = 0, balance_ = 0;
};

}  // namespace fin
