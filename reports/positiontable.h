#pragma once

#include <QPair>
#include <QString>
#include <QVector>

namespace fin {

// The statutory statements whose numbered positions ("AOP") are laid out from data files.
enum class TStatementForm {
    BalanceSheet,
    IncomeStatement,
    CashFlow,
    StatisticalAnnex,
    OldBalanceSheet,
    OldIncomeStatement
};

// One numbered position of a form, with the texts the form prints beside it. The caption
// fields are set only on the annex rows that open a table of the form.
struct TPosition {
    int index = 0;
    QString group, accountGroup, description;
    QString captionAccountGroup, captionValue, captionPrevValue, captionGrossValue,
        captionCorrectionValue, captionNetValue;
};

// Every position of a form in its printed order, loaded once from the embedded data files.
const QVector<TPosition>& Positions(TStatementForm form);
// The position with that number, or nullptr when the form has none.
const TPosition* FindPosition(TStatementForm form, int index);

// The first parenthesised formula of a description as signed terms (position, +1 or -1):
// "(0003 + 0010 - 0019)" or "(1003 do 1008)", where "do" takes every number between the two.
// Parentheses holding words ("(ceo broj)", "(oznaka od 1 do 12)") are passed over; empty when
// the description prints no formula.
QVector<QPair<int, int>> PositionFormula(const QString& description);

}  // namespace fin
