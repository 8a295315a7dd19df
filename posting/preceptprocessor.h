#pragma once

#include <QDate>
#include <QString>
#include <functional>

#include "host/common/calcexpress.h"

namespace fin {

class IModuleConter;
class TFinancialDM;
class TPostingRun;
class TVariableList;
struct TPostingRule;

// Turns the posting rules of a conter's module and entity type into the lines of the
// voucher being created (the data module's current voucher), by the rule template
// language: variables in brackets, "{X}" families, the balance functions SALDO, SALDOD
// and SALDOP, the partner selectors and the "!" sign switch. One processor per voucher.
class TPreceptProcessor {
public:
    TPreceptProcessor(TFinancialDM& dm, TPostingRun* run);

    // Appends the lines to the data module's line dataset; lines whose amounts both round
    // to 0 are dropped. A rule whose account does not exist makes no lines.
    void Process(const IModuleConter& conter);

    static bool IsVariable(const QString& text) { return text.contains(QLatin1Char('[')); }
    static bool IsIndexVariable(const QString& text) { return text.contains(QLatin1String("{X}")); }
    // Every "{X}", in any letter case, becomes the number.
    static QString ParseIndex(const QString& text, int index);
    // An amount expression with its variables as numbers (negative ones in parentheses),
    // then the balance functions, then the leftover partner selectors as 0.
    QString ParseAll(const QString& text, const TVariableList& variables);
    // A description with its variables' values as they stand.
    static QString ParseAllText(const QString& text, const TVariableList& variables);
    QString ParseFunctions(const QString& text);
    static QString ParseLogicVariables(QString text);
    // Replaces every SALDO, SALDOD and SALDOP call, keyword by keyword, by what value gives
    // for the keyword and the account code.
    static QString ReplaceFunctions(
        QString text,
        const std::function<QString(const QString& keyword, const QString& code)>& value);
    // A number as an amount expression takes it: general format, 15 significant digits, a
    // negative number in parentheses.
    static QString NumberText(double value);
    // The value of an expression; a computing error counts as 0. An expression the
    // calculator cannot read raises its error.
    double Evaluate(const QString& expression);

private:
    void WriteLine(const TPostingRule& rule, const QString& description, QString debitText,
                   QString creditText);
    void Note(const QString& text);

    TFinancialDM& dm_;
    TPostingRun* run_;
    TCalcExpress calc_;
    QDate preceptDate_;
};

}  // namespace fin
