#pragma once

#include <QString>

// Texts of automatic posting.
namespace fin::res {

inline const QString AUTO_CONTER_WRN = QStringLiteral(
    "Ne možete raditi auto kontiranje, jer drugi korisnik radi isto auto kontiranje!");
inline const QString AUTO_CONTER_CAPT = QStringLiteral("Auto kontiranje");
inline const QString DOC_PRE_DESC = QStringLiteral("%1 - automatski kreirano");
inline const QString STAT_PRE_DESC = QStringLiteral("Izvod broj %1");
inline const QString CASH_PRE_DESC = QStringLiteral("Dnevnik blagajne broj %1");
inline const QString INV_EXP_ERR = QStringLiteral("Neispravan izraz");
inline const QString VARS_CAPT = QStringLiteral("Promenljive");
inline const QString REL_CAPT = QStringLiteral("Tipovi temeljnica");
inline const QString REL_PROMPT = QStringLiteral("Izaberite tip temeljnice:");

// Why a rule made no line, for the rule author's preview.
inline const QString RULE_NO_ACCOUNT_NOTE = QStringLiteral(
    "Pravilo %1: konto \"%2\" ne postoji u kontnom planu godine, pa pravilo ne "
    "daje stavke.");
inline const QString RULE_ZERO_LINE_NOTE =
    QStringLiteral("Pravilo %1: stavka \"%2\" ima oba iznosa 0,00 i izostavljena je.");
inline const QString RULE_BAD_EXPRESSION_ERR = QStringLiteral(
    "Pravilo %1 (konto %2) ima neispravan izraz: duguje \"%3\", potražuje "
    "\"%4\". Ispravite pravilo u opcijama kontiranja.");
inline const QString FOREIGN_NO_RATE_ERR =
    QStringLiteral("Iznosi su u valuti %1, a kursna lista %2 nema kurs te valute.");
// An error that ended a run, with the source document it stopped at.
inline const QString POSTING_STOPPED_ERR = QStringLiteral("%1 nije kontiran: %2");

}  // namespace fin::res
