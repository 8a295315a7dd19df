#pragma once

#include <QDate>
#include <QString>
#include <QVariant>
#include <QVector>
#include <functional>
#include <utility>

namespace fin {

class TFinancialDM;
class TQuery;

// A period typed into two boxes, checked: a text that is no date, a date outside the
// financial year or an end before the start is refused with a message (TError).
std::pair<QDate, QDate> CheckYearPeriod(const TFinancialDM& dm, const QString& from,
                                        const QString& to);

// Where a date dialog of the financial year starts: today, moved into that year when today
// lies in another one (29 February becoming 28 February).
QDate YearPickerStart(int financialYear, const QDate& today);

// The date buttons beside the period boxes: the dialog starts as above; a date of another
// year is refused with a warning and the box keeps its text. True when the box got the
// chosen date.
bool PickYearDate(TFinancialDM& dm, QString& box);

// The general-ledger day book without its window: every line of the registered vouchers
// dated within a period, in journal order (voucher date, the voucher type's number, the
// voucher number, the line's place), the account codes with the line's sub-account written
// right after them.
class TDayBook {
public:
    explicit TDayBook(TFinancialDM& dm);

    // The period shown, "yyyy-mm-dd"; at first the financial year.
    QString From, To;

    // (Re)loads the data module's LogZQ for a period typed into two boxes, after checking
    // it; a refusal (TError) leaves the shown period and its lines as they were.
    void OpenLog(const QString& from, const QString& to);
    TQuery& Lines() const;

    // The lines of a period handed over one at a time as the server sends them, with the
    // values of the report engine's day-book columns (dates, number, account code, new
    // account code, description, debit, credit): a book of any length takes the memory of
    // one line. The connection serves nothing else meanwhile.
    void ForEachLine(const QDate& from, const QDate& to,
                     const std::function<void(const QVector<QVariant>& values)>& line) const;

    // The one statement of the book, with the first and the last date bound.
    static const QString& Statement();

private:
    TFinancialDM& dm_;
};

}  // namespace fin
