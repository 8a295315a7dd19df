#pragma once

#include <QString>

// Texts of the move to the new chart of accounts.
namespace fin::res {

inline const QString ACC_CODE_WRN = QStringLiteral("Konto mora biti broj.");
inline const QString ACC_NAME_LOC_WRN = QStringLiteral("Ne postoji konto sa ovakvim nazivom.");
inline const QString NEW_ACC_TITLE1 = QStringLiteral("Stari konto");
inline const QString NEW_ACC_TITLE2 = QStringLiteral("Novi konto");
inline const QString NEW_CHART_CAPTION = QStringLiteral("Novi kontni plan");
inline const QString NEW_RECOMMENDED_CAPTION = QStringLiteral("Prenesi preporučeno");
inline const QString NEW_SINGLE_CAPTION = QStringLiteral("Prenesi pojedinačno");
// %1, %3: codes; %2, %4: the captions of their sub-account types.
inline const QString NEW_ACC_TYPE_WRN = QStringLiteral(
    "Konto %1 (%2) i novi konto %3 (%4) nemaju istu vrstu analitike; ništa nije preneto.");
inline const QString NEW_ACC_NO_TYPE_CAPTION = QStringLiteral("bez analitike");
// %1: the line of the table, %2: its text.
inline const QString NEW_ACC_TABLE_ERR =
    QStringLiteral("Tabela preporučenog prenosa je neispravna u redu %1: \"%2\".");

}  // namespace fin::res
