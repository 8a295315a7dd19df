#pragma once

#include <QString>

// Messages of the voucher list and the voucher editor.
namespace fin::res {

inline const QString PRE_CAPTION = QStringLiteral("Nalog");
inline const QString PRECEPT_OPEN_ERR =
    QStringLiteral("Ne možete otvoriti nalog jer već postoji otvoren nalog.");
inline const QString PRE_CANT_DEL_REG_WRN =
    QStringLiteral("Ne možete izbrisati proknjiženi nalog.");
inline const QString AUTO_CONTER_FILTER_WRN =
    QStringLiteral("Ne možete raditi auto kontiranje dok koristite filtriranje!");
inline const QString PREC_CLOSED_PERIOD_ERR = QStringLiteral(
    "Ne možete proknjižiti/otknjižiti ovaj nalog jer je datum naloga u zatvorenom periodu.");
inline const QString PREC_FIN_YEAR_ERR = QStringLiteral(
    "Ne možete proknjižiti/otknjižiti ovaj nalog jer je datum naloga nije u "
    "izabranoj finansijskoj godini.");
inline const QString PART_EXIST_REG_ERR =
    QStringLiteral("Ovaj nalog ne može biti proknjižen jer ima nadnalog.");
inline const QString NO_REG_ON_SYN_ACC_ERR = QStringLiteral(
    "Finansijski nalog ne može biti proknjižen jer nije definisana analitika na "
    "sintetičkom kontu.");
inline const QString PREC_TMP_OR_UNDEF_ERR = QStringLiteral(
    "Postoje privremene stavke ili stavke sa brojem konta za koji ne postoji konto!\n\rMorate "
    "preusmeriti ove stavke.");
inline const QString PREC_NOT_BALANCED_ERR = QStringLiteral(
    "Nalog nije uravnotežen: saldo je %1. Proknjižiti se može samo nalog čiji je saldo 0,00.");
inline const QString REG_CONF =
    QStringLiteral("Da li ste sigurni da želite da izvršite %1 ovog naloga?");
inline const QString REG_ACT = QStringLiteral("proknjiženje");
inline const QString UNREG_ACT = QStringLiteral("otknjiženje");
inline const QString PRE_COPIED = QStringLiteral("Novi Nalog je kreiran.");
inline const QString PRINT_MORE_NONE_WRN = QStringLiteral("Nijedan nalog nije označen za štampu.");
inline const QString LOG_CAPTION = QStringLiteral("Dnevnik glavne knjige");
inline const QString DEL_ALL_ITEMS =
    QStringLiteral("Da li ste sigurni da želite da izbrišete sve stavke naloga?");

}  // namespace fin::res
