#pragma once

#include <QString>
#include <QStringList>

namespace fin {

class TFinancialDM;

// What the voucher search asks for; empty fields ask nothing.
struct TPreceptSearch {
    QString precepttype;    // the type's name, exactly
    QString number;         // numbers that begin with it
    QString datefrom;       // voucher dates from, and
    QString dateto;         // up to, both inclusive
    QString status;         // "Proknjižen" or "Neproknjižen"
    QString description;    // descriptions that begin with it
    QString groupprecept;   // "Ima": merged into a group voucher; "Nema": not merged
    QString relatedentity;  // shown text of the chosen source document
    QString foreignTable;   // and what it stands for
    qint64 foreignId = 0;
};

inline const QString PRE_GROUP_PRECEPT_Y = QStringLiteral("Ima");
inline const QString PRE_GROUP_PRECEPT_N = QStringLiteral("Nema");

// The voucher list statement for a search, with named parameters; every value the user
// typed is bound, so quotes, "%" and "_" are searched as they are. A date that is not one
// is refused with a message.
QString PreceptListSQL(const TPreceptSearch& search, QVariantList* values);
// The search's conditions as lines of text for a print of the list; none for an empty one.
QStringList SearchConditions(const TPreceptSearch& search);
// The conditions of the search the voucher list shows; none when it shows something else.
QStringList ListConditions(TFinancialDM& dm);
// Loads the data module's voucher list: newest first, later id first on one date.
void FindPrecepts(TFinancialDM& dm, const TPreceptSearch& search);
// Loads the one voucher with this id into the list; false when there is none.
bool LoadPrecept(TFinancialDM& dm, qint64 preceptId);

}  // namespace fin
