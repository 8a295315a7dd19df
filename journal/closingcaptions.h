#pragma once

#include <QString>

// Messages and texts of the closing and opening of the year.
namespace fin::res {

inline const QString CLOSE_OPEN_NO_ACC =
    QStringLiteral("Nema konta za akciju zatvaranja/otvaranja.");
inline const QString CLOSING_ACC = QStringLiteral("Zatvaranje konta");
inline const QString OPENING_ACC = QStringLiteral("Otvaranje konta");
inline const QString CLOSING_CLASS_FMT = QStringLiteral("Zatvaranje klase \"%1\"");
inline const QString OPENING_CLASS_FMT = QStringLiteral("Otvaranje klase \"%1\"");
inline const QString CLOSE_CLASS_5_CAPT = QStringLiteral("Zatvaranje klase \"5\"");
inline const QString CLOSE_CLASS_6_CAPT = QStringLiteral("Zatvaranje klase \"6\"");
inline const QString CLOSE_CLASS_7_CAPT = QStringLiteral("Zatvaranje klase \"7\"");
inline const QString CLOSE_YEAR_CAPT = QStringLiteral("Zatvaranje godine");
inline const QString OPEN_YEAR_CAPT = QStringLiteral("Otvaranje godine");
inline const QString CLOSE_OPEN_NO_TYPE_ERR = QStringLiteral(
    "%3: nalog ne može biti napravljen jer tip naloga %1 (%2) ne postoji. Ništa nije "
    "upisano. Sistemske tipove naloga vraća komanda \"finansije db init\".");
inline const QString CLOSE_OPEN_DATE_ERR = QStringLiteral(
    "%1: datum %2 nije u %3. godini. Zatvaranje se datira u finansijskoj godini, a otvaranje "
    "u sledećoj; ništa nije upisano.");
inline const QString CLOSE_OPEN_LINE_ERR = QStringLiteral(
    "%1: nalog nije napravljen jer je stavka konta %2%3 odbijena. %4 Ništa nije upisano.");
inline const QString CLOSE_OPEN_TWICE_WRN = QStringLiteral(
    "%1: nalog sa datumom %2 već postoji i nije proknjižen (broj %3), a novi nalog %4 ima "
    "iste iznose. Proknjižite jedan od njih, a drugi izbrišite.");

}  // namespace fin::res
