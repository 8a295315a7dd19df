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

// The date buttons beside the period boxes: the dialog starts at today, moved into the
// financial year (29 February becoming 28 February); a date of another year is refused
// with a warning and the box keeps its text. True when the box got the chosen date.
bool PickYearDate(TFinancialDM& dm, QString& box);

// The general-ledger day book without its window: every line of the registered vouchers
// dated within a period, in journal order (voucher date, the voucher type's number, the
// voucher number, the line's place), the account codes with the line's sub-account written
// right after them.
class TDayBook {
public:
    explicit TDayBook(TFinancialDM& dm);

    // The period boxes, "yyyy-mm-dd"; at first the financial year.
    QString From, To;

    // (Re)loads the data module's LogZQ for the period boxes, after checking them; a refusal
    // leaves the loaded lines as they were.
    void OpenLog();
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
