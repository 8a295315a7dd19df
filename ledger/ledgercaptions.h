#pragma once

#include <QString>

// The ledger's own texts.
namespace fin::res {

inline const QString PRECEPT_SAME_NUM_ERR = QStringLiteral(
    "Ne možete proknjižiti/otknjižiti ovaj nalog jer postoji nalog sa istim brojem.");
inline const QString PREC_TYPE_NO_ADD_WRN =
    QStringLiteral("Ne možete dodati tip naloga sa ovim brojem.");
inline const QString PREC_TYPE_NO_DEL_WRN = QStringLiteral("Ne možete izbrisati ovaj tip naloga.");
inline const QString PART_EXIST_ERR =
    QStringLiteral("Ovaj nalog ne može biti izbrisan jer ima nadnalog.");
inline const QString PRECEPT_REG_WRN = QStringLiteral(
    "Ne možete promeniti nalog jer je status naloga već promenjen!\n\rKliknite na dugme "
    "\"Pronađi\" da bi ste osvežili podatke.");
inline const QString INV_EXP_FMT = QStringLiteral("Neispravan izraz: \"%1\" u polju \"%2\"");

inline const QString SUB_ADD_CAPT = QStringLiteral("Novi tip konta");
inline const QString SUB_ADD_PROMT = QStringLiteral("Ime novog tipa konta:");
inline const QString SUB_HASSPEC_ERR = QStringLiteral(
    "Ime tipa konta ne sme sadržati karaktere: _ ili - ili % ili , ili ' ili ( ili ).");
inline const QString SUB_EXISTS_ERR = QStringLiteral("Ovaj tip konta već postoji.");
inline const QString SUB_CREATE_ERR = QStringLiteral("Nije moguće kreirati tip konta.");
// The built-in sub-account types' captions, in the order of their keys.
inline const QString SUB_BUILTIN_CAPTIONS =
    QStringLiteral("\"Partneri\";\"Proizvodi\";\"Magacini\";\"Porezi\";\"Bankovni računi\"");

inline const QString FIN_PARTNER_PREFIX = QStringLiteral("P");
inline const QString FIN_PART_TYPE_PREFIX = QStringLiteral("PTip");
inline const QString FIN_WAREHOUSE_PREFIX = QStringLiteral("Magac");
inline const QString FIN_IN_WAREHOUSE_PREFIX = QStringLiteral("UlMagac");
inline const QString FIN_EXPENSE_PREFIX = QStringLiteral("E");
inline const QString FIN_EXPENSE_VAT_PREFIX = QStringLiteral("TP");
inline const QString FIN_BANK_ACC_PREFIX = QStringLiteral("B");
inline const QString FIN_CAT_PR_PREFIX = QStringLiteral("C");
inline const QString FIN_CAT_PR_VALUE_PREFIX = QStringLiteral("CV");

inline const QString FIN_MOD_DOCUMENT_NAME = QStringLiteral("Dokument");
inline const QString FIN_MOD_BANK_NAME = QStringLiteral("Banka");
inline const QString FIN_MOD_PRODUCTION_NAME = QStringLiteral("Proizvodnja");
inline const QString FIN_MOD_FA_NAME = QStringLiteral("Osnovna sredstva");

}  // namespace fin::res
