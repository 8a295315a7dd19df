#pragma once

#include <QDate>
#include <QStringList>
#include <QVector>
#include <optional>

#include "host/data/dbinifile.h"

namespace fin {

inline const QString kFinancialSection = QStringLiteral("Financial");
inline const QString kDocumentSection = QStringLiteral("Document");
inline const QString kAutoConterSection = QStringLiteral("AutoConter");

// Unticked, the closed-period date is this day: nothing is closed.
inline const QDate kClosedPeriodOff = QDate(2001, 1, 1);

// When the closed-period date took its value, in the server's time ("yyyy-mm-dd hh:mm:ss"):
// a voucher of the closed period that changed later was changed behind the lock.
inline const QString kClosedPeriodSinceKey = QStringLiteral("UnregisterClosedPeriodSince");

// The first year kept on the new chart of accounts. Lines of the years before it need an
// old-chart account, of the years after it a new-chart one, and of that year both.
inline constexpr int kFirstNewChartYear = 2014;
inline bool YearNeedsOldChart(int year) {
    return year <= kFirstNewChartYear;
}
inline bool YearNeedsNewChart(int year) {
    return year >= kFirstNewChartYear;
}

// The options the data module holds in memory; the others are read where they are used.
struct TFinancialOptions {
    QString PreceptNumFmt = QStringLiteral("{g}{g}{g}{g}{g}/yy");
    bool UseDocumentDate = false;
    bool UseRelatedEntityDateRegister = false;
    bool UseDocumentIssueDate = false;
    bool UseRelatedEntityNumber = false;
    bool ChangePreceptItemDescription = true;
    bool NotAllowRegisterOnSyntAcc = false;
    bool AccountShowValues = false;
    bool AutoPreceptRegisterDateChange = false;
    int FinancialYear = QDate::currentDate().year();
    bool StockCardsForRetail = false;             // section "Document"
    bool TransitionToNewChartOfAccounts = false;  // read at load only
};

enum class TOptionType { Text, Boolean, Integer, Date, Method };

// One stored option: where it lives, what it holds and its default as stored text.
struct TOptionKey {
    QString section;
    QString key;
    TOptionType type;
    QString defaultValue;
    QString caption;  // the control's text on the page, or a description
};

// Every key of the options page and of the module's settings, in the page's order.
const QVector<TOptionKey>& FinancialOptionKeys();
const TOptionKey* FindOptionKey(const QString& section, const QString& key);

// Checks a typed value against the key's type and gives it as stored text ("1"/"0",
// "yyyy-mm-dd", a method name); nothing when the value does not fit, with the reason.
std::optional<QString> NormalizeOptionValue(const TOptionKey& key, const QString& value,
                                            QString* error);

// One row of the pricing-method grid: product type key, its caption and the methods
// offered (captions, the first is the default).
struct TMethodRow {
    QString key;
    QString caption;
    QStringList methods;
};
const QVector<TMethodRow>& MethodRows();

// The boolean keys of the page, in the order they are stored.
const QStringList& OptionCheckKeys();

// Everything the options page shows, headless: the form binds controls to it.
struct TOptionsPageValues {
    int financialYear = 0;
    QDate autoToDate;
    QString preceptNumFmt;
    QMap<QString, bool> checks;  // by key of OptionCheckKeys()
    bool closedPeriodOn = false;
    QDate closedPeriod = kClosedPeriodOff;
    QMap<QString, QString> methodCaptions;  // by product type key
};

// A date outside the year becomes 31 December of the year.
QDate ClampToYear(const QDate& date, int year);

// Writes the closed-period date (the off date when it is not on); when that changes the
// stored date, also the server's time of the change, in one transaction.
void WriteClosedPeriod(TConnection& connection, const QDate& date);
// Records the server's present time as the moment the closed period was set.
void WriteClosedPeriodSince(TConnection& connection);
// Writes an option's stored text (as NormalizeOptionValue gives it); the closed-period date
// through WriteClosedPeriod.
void WriteOption(TConnection& connection, const TOptionKey& key, const QString& value);
// The closed-period date and when it was set; an invalid date when it is off, an invalid
// moment when it was set before the moment was recorded.
struct TClosedPeriod {
    QDate date;
    QDateTime since;
};
TClosedPeriod ReadClosedPeriod(TConnection& connection);

}  // namespace fin
