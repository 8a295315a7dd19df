#pragma once

#include <QPair>
#include <QString>

#include "posting/postingrun.h"

namespace fin {

class TAutoConter;
class TCustomContoAutomat;
class TFinancialDM;

// The sums of a preview's lines, rounded as stored amounts are.
struct TPreviewTotals {
    double debit = 0, credit = 0;
    bool Balanced() const { return debit == credit; }
};
TPreviewTotals PreviewTotals(const TPostingPreview& preview);
// Whether the voucher would balance, in words, with the difference when it would not.
QString PreviewBalanceText(const TPreviewTotals& totals);

// An amount as screens and the command line show it: "1.234,56".
QString PreviewAmount(double value);
// The caption of a voucher header field of the preview.
QString PreviewHeaderLabel(const QString& field);
// A variable line "name=value" as its name and its value.
QPair<QString, QString> PreviewVariable(const QString& line);

// The automat of a source module registered with the driver; refuses with a message when the
// module cannot post yet.
TCustomContoAutomat& RequireAutomat(const TAutoConter& driver, const QString& module);

// What posting one source document of a module would give with the rules as they are
// stored now, writing nothing. Refuses, with a message for the user, a module that cannot
// post, a document that does not exist, one that already has a voucher and one that does
// not wait for posting.
TPostingPreview PreviewDocument(TFinancialDM& dm, TAutoConter& driver, const QString& module,
                                qint64 id);

}  // namespace fin
