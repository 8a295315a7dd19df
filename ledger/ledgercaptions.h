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

// Account browser and pick dialogs.
inline const QString SUBACC_CODE_WRN = QStringLiteral("Kod analitike mora biti broj.");
inline const QString SUBACC_NAME_LOC_WRN =
    QStringLiteral("Ne postoji analitika sa ovakvim nazivom.");
inline const QString SUBACC_NAME_LOC_NEXT_WRN =
    QStringLiteral("Pretraga je završena. Možete ponovo pokušati iz početka.");
inline const QString SUB_ACC_MIS_ERR = QStringLiteral("Nema analitičkih računa za odabir.");
inline const QString GR_CAPTION = QStringLiteral("Prefiks grupe");
inline const QString GR_PROMPT = QStringLiteral("Unesite prefiks grupe:");
inline const QString GR_PREFIX_PROMPT = QStringLiteral("Unesite prefiks početka opsega:");
inline const QString GR_SUFFIX_PROMPT = QStringLiteral("Unesite prefiks kraja opsega:");

// Account card.
inline const QString GR_FMT = QStringLiteral("Račun %1-%2");
inline const QString GR_PREFIX_SUFFIX_FMT = QStringLiteral("Od grupe %1 do grupe %2");
inline const QString FIN_ACC_PREV_SITUATION = QStringLiteral("Prethodno stanje");
inline const QString OUT_OF_YEAR_WRN =
    QStringLiteral("Ne možete izabrati datum van odabrane finansijske godine.");
inline const QString TRANSFER_ITEMS_CONF =
    QStringLiteral("Da li ste sigurni da želite da prenesete prikazane stavke na drugi konto?");
inline const QString TRANSFER_ITEMS_INF =
    QStringLiteral("Sve prikazane stavke su prenete na izabrani konto.");
inline const QString NEW_TYPE_NAME = QStringLiteral("Novi tip");
inline const QString CARD_DATE_ERR =
    QStringLiteral("\"%1\" nije ispravan datum; upišite ga u obliku 2024-03-15.");
inline const QString CARD_CODE_ERR =
    QStringLiteral("Šifra konta \"%1\" nije ispravna: sme da sadrži samo cifre.");
inline const QString CARD_RANGE_ERR =
    QStringLiteral("Kraj opsega (%2) ne može biti pre početka (%1).");
inline const QString CARD_PERIOD_ERR =
    QStringLiteral("Datum \"do\" ne može biti pre datuma \"od\".");
inline const QString ACCOUNT_MISSING_ERR = QStringLiteral("Konto \"%1\" ne postoji.");

}  // namespace fin::res
