#pragma once

#include <QString>

// Messages of registering and rounding many vouchers at once and of merging vouchers into
// a group voucher.
namespace fin::res {

inline const QString AUTO_REGISTER_INF = QStringLiteral("%1 naloga je proknjiženo.");
inline const QString AUTO_ROUND_INF = QStringLiteral("%1 naloga je zaokruženo.");
inline const QString AUTO_REGISTER_CAPT = QStringLiteral("Knjiženje uravnoteženih naloga");
inline const QString AUTO_ROUND_CAPT = QStringLiteral("Zaokruživanje neuravnoteženih naloga");
inline const QString BULK_SELECT_STEP = QStringLiteral("biranje naloga");
inline const QString BULK_WRITE_STEP = QStringLiteral("upis");
inline const QString BULK_SETTING_ERR = QStringLiteral(
    "Podešavanje \"%1\" u odeljku \"%2\" nije ispravno: \"%3\". Upišite brojeve (id) tipova "
    "naloga odvojene zarezom, npr. 5,6.");

inline const QString MERGE_CAPTION = QStringLiteral("Spajanje naloga");
inline const QString MERGE_NO_PERC = QStringLiteral("Nema naloga za spajanje.");
inline const QString MERGE_DONE_INF =
    QStringLiteral("%1 naloga je spojeno u grupni nalog %2 (id %3).");
inline const QString GROUP_PRE_DESC_FMT = QStringLiteral("%1 od %2 do %3");
inline const QString MERGE_NOTICE =
    QStringLiteral("Neproknjiženi nalozi definisanog tipa će biti spojeni u grupni nalog !");
inline const QString MERGE_NO_GROUP_TYPE_ERR = QStringLiteral(
    "Ne postoji sistemski tip naloga 30 (Grupni nalog), pa se nalozi ne mogu spojiti. "
    "Tipovi naloga od 1 do 30 se dodaju pri pripremi baze (finansije db init).");
inline const QString NO_PRECEPT_TYPE_ERR = QStringLiteral("Tip naloga %1 ne postoji.");
inline const QString MERGE_PERIOD_ERR =
    QStringLiteral("Period spajanja nije ispravan: \"Do datuma\" (%1) je pre \"Od datuma\" (%2).");
inline const QString MERGE_DATE_ERR = QStringLiteral("Izaberite oba datuma perioda spajanja.");

}  // namespace fin::res
