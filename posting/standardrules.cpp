#include "posting/standardrules.h"

#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <memory>
#include <span>

#include "host/common/captions.h"
#include "host/data/dbinifile.h"
#include "host/data/query.h"
#include "ledger/financialdm.h"
#include "ledger/ledgercaptions.h"
#include "posting/customconter.h"
#include "posting/documentconter.h"
#include "posting/postingcaptions.h"
#include "posting/postingpackage.h"

namespace fin {

namespace {

// One line of a document type's voucher. Amounts use the document conter's variables;
// "[Name*]" stands for the sum of the name over every product-type letter (retail totals
// exist only per product type). A line whose amounts come out 0 is not written, so one rule
// set serves wholesale and retail warehouses, domestic and foreign partners alike.
struct TStandardRule {
    const char* type;      // document type
    const char* contoNew;  // new chart
    const char* conto;     // old chart
    const char* subaccount;
    const char* debit;
    const char* credit;
    const char* description;
};

// Wholesale goods are kept at purchase value on 1320 by warehouse; shops keep theirs at
// retail value with tax on 1340 by warehouse, with the margin and the tax built into the
// price on 1349. Advances are closed by the final invoice with their tax reversed.
const TStandardRule kDocumentRules[] = {
    // A: advance invoice issued for an advance received. The bank posted the money to the
    // customer; the invoice moves it to the advances received and takes out its tax.
    {"A", "2040", "2020", "[Partner{X}]", "[UkProd]-[UkRab]+[UkPDV]", "0",
     "Primljeni avans - [DokumentOpis]"},
    {"A", "4300", "4300", "[Partner{X}]", "0", "[UkProd]-[UkRab]+[UkPDV]", "Primljeni avans"},
    {"A", "4300", "4300", "[Partner{X}]", "[UkPDVOpstaStopa]+[UkPDVPosebnaStopa]", "0",
     "PDV iz avansa - [DokumentOpis]"},
    {"A", "4720", "4720", "", "0", "[UkPDVOpstaStopa]", "PDV na primljeni avans 20%"},
    {"A", "4730", "4730", "", "0", "[UkPDVPosebnaStopa]", "PDV na primljeni avans 10%"},

    // C: goods taken on commission, off the balance sheet; their dependent costs are ours.
    {"C", "8820", "8820", "", "[UkFak]-[UkRab]", "0", "Roba primljena u komision"},
    {"C", "8920", "8920", "", "0", "[UkFak]-[UkRab]", "Obaveza za robu u komisionu"},
    {"C", "5310", "5310", "[ZavTrosPorezId{X}]", "[ZavTrosVred{X}]", "0", "[ZavTrosOpis{X}]"},
    {"C", "2700", "2700", "[ZavTrosPorezId{X}]", "[ZavTrosPorez{X}]", "0",
     "PDV na zavisne troškove"},
    {"C", "4350", "4330", "[ZavTrosPart{X}]", "0", "[ZavTrosVred{X}]+[ZavTrosPorez{X}]",
     "[ZavTrosOpis{X}]"},

    // F: write-off at purchase value; tax on what exceeds the allowed loss.
    {"F", "5770", "5770", "", "[UkNab]", "0", "Otpis robe - [DokumentOpis]"},
    {"F", "1320", "1320", "[Magacin1]", "0", "[UkNab]", "Otpis robe"},
    {"F", "5790", "5790", "", "[UkPDVOpstaStopa]+[UkPDVPosebnaStopa]", "0", "PDV na otpis"},
    {"F", "4700", "4700", "", "0", "[UkPDVOpstaStopa]", "PDV 20% na otpis"},
    {"F", "4710", "4710", "", "0", "[UkPDVPosebnaStopa]", "PDV 10% na otpis"},

    // G: finished products received from production at their cost.
    {"G", "1200", "1200", "", "[UkNab]", "0", "Ulaz gotovih proizvoda - [DokumentOpis]"},
    {"G", "6300", "6300", "", "0", "[UkNab]", "Povećanje vrednosti zaliha proizvoda"},

    // I: transfer out of a wholesale warehouse into another one or into a shop.
    {"I", "1320", "1320", "[Magacin2]", "[UkNab]*[Magacin2v]", "0", "Prijem u magacin"},
    {"I", "1340", "1340", "[Magacin2]",
     "([UkProd]+[UkPDVMagMOpstaStopa]+[UkPDVMagMPosebnaStopa])*[Magacin2m]", "0",
     "Prijem u prodavnicu - [DokumentOpis]"},
    {"I", "1320", "1320", "[Magacin1]", "0", "[UkNab]", "Izdavanje iz magacina"},
    {"I", "1349", "1349", "", "0", "([UkProd]-[UkNab])*[Magacin2m]", "Razlika u ceni"},
    {"I", "1349", "1349", "", "0", "([UkPDVMagMOpstaStopa]+[UkPDVMagMPosebnaStopa])*[Magacin2m]",
     "Ukalkulisani PDV"},

    // K: purchase calculation: goods or material, input tax, supplier (foreign on import),
    // carriers of the dependent costs, advances closed; into a shop at retail value.
    {"K", "1320", "1320", "[Magacin1]",
     "[UkFak]-[UkRab]+[UkZav]-[UkFakTipM]+[UkRabTipM]-[UkZavTipM]", "0",
     "Nabavka robe - [DokumentOpis]"},
    {"K", "1010", "1010", "", "[UkFakTipM]-[UkRabTipM]+[UkZavTipM]", "0", "Nabavka materijala"},
    {"K", "1340", "1340", "[Magacin1]",
     "[UkProdMagM]+[UkPDVMagMOpstaStopa]+[UkPDVMagMPosebnaStopa]", "0",
     "Prijem u prodavnicu - [DokumentOpis]"},
    {"K", "2700", "2700", "", "[UkPDVOpstaStopa]", "0", "Prethodni PDV 20%"},
    {"K", "2710", "2710", "", "[UkPDVPosebnaStopa]", "0", "Prethodni PDV 10%"},
    {"K", "4350", "4330", "[Partner{X}]", "0",
     "([UkFak]-[UkRab]+[UkPDV])*(1-[DokUvoz])+[UkFakMagMTip*]-[UkRabMagM]+[UkPDVMagM]",
     "[DokumentOpis]"},
    {"K", "4360", "4340", "[Partner{X}]", "0", "([UkFak]-[UkRab]+[UkPDV])*[DokUvoz]",
     "[DokumentOpis]"},
    {"K", "1349", "1349", "", "0", "[UkProdMagM]-[UkFakMagMTip*]+[UkRabMagM]-[UkZavMagMTip*]",
     "Razlika u ceni"},
    {"K", "1349", "1349", "", "0", "[UkPDVMagMOpstaStopa]+[UkPDVMagMPosebnaStopa]",
     "Ukalkulisani PDV"},
    {"K", "2700", "2700", "[ZavTrosPorezId{X}]", "[ZavTrosPorez{X}]", "0",
     "PDV na zavisne troškove"},
    {"K", "4350", "4330", "[ZavTrosPart{X}]", "0", "[ZavTrosVred{X}]+[ZavTrosPorez{X}]",
     "[ZavTrosOpis{X}]"},
    {"K", "4350", "4330", "[Partner{X}]",
     "[UkAvansnaVrednost]+[UkAvansnaPDVOpstaStopa]+[UkAvansnaPDVPosebnaStopa]", "0",
     "Zatvaranje avansa - [DokumentOpis]"},
    {"K", "1500", "1500", "[Partner{X}]", "0", "[UkAvansnaVrednost]", "Zatvaranje avansa"},
    {"K", "2720", "2720", "", "0", "[UkAvansnaPDVOpstaStopa]", "Storno PDV iz avansa 20%"},
    {"K", "2730", "2730", "", "0", "[UkAvansnaPDVPosebnaStopa]", "Storno PDV iz avansa 10%"},

    // L: shortage at purchase value; tax on what exceeds the allowed loss.
    {"L", "5740", "5740", "", "[UkNab]", "0", "Manjak robe - [DokumentOpis]"},
    {"L", "1320", "1320", "[Magacin1]", "0", "[UkNab]", "Manjak robe"},
    {"L", "5790", "5790", "", "[UkPDVOpstaStopa]+[UkPDVPosebnaStopa]", "0", "PDV na manjak"},
    {"L", "4700", "4700", "", "0", "[UkPDVOpstaStopa]", "PDV 20% na manjak"},
    {"L", "4710", "4710", "", "0", "[UkPDVPosebnaStopa]", "PDV 10% na manjak"},

    // M: a shop's daily takings by means of payment; the shop is relieved at retail value,
    // its margin and built-in tax reversed, the purchase value to cost of goods.
    {"M", "2430", "2430", "", "[UkNacPlacGotovina]+[UkNacPlacCek]", "0",
     "Pazar gotovinom i čekovima - [DokumentOpis]"},
    {"M", "2480", "2480", "", "[UkNacPlacKartica]", "0", "Pazar platnim karticama"},
    {"M", "604001", "602001", "", "0", "[UkProdMagM]-[UkRabMagM]+[UkProd]-[UkRab]",
     "Prihod od prodaje na malo"},
    {"M", "4700", "4700", "", "0", "[UkPDVOpstaStopa]", "PDV 20%"},
    {"M", "4710", "4710", "", "0", "[UkPDVPosebnaStopa]", "PDV 10%"},
    {"M", "5010", "5010", "", "[UkNabMagMTip*]+[UkNab]", "0", "Nabavna vrednost prodate robe"},
    {"M", "1349", "1349", "", "[UkProdMagM]+[UkPDVMagM]-[UkNabMagMTip*]", "0",
     "Razlika u ceni i ukalkulisani PDV"},
    {"M", "1340", "1340", "[Magacin1]", "0", "[UkProdMagM]+[UkPDVMagM]", "Razduženje prodavnice"},
    {"M", "1320", "1320", "[Magacin1]", "0", "[UkNab]", "Razduženje magacina"},

    // N: price change; a decrease moves each line to the other side.
    {"N", "1340", "1340", "[Magacin1]",
     "!([UkRazMagMTip*]+[UkPDVMagMOpstaStopa]+[UkPDVMagMPosebnaStopa]-[UkPretPDVMagMOpstaStopa]-"
     "[UkPretPDVMagMPosebnaStopa])*[Magacin1m]",
     "0", "Nivelacija - [DokumentOpis]"},
    {"N", "1349", "1349", "", "0", "![UkRazMagMTip*]*[Magacin1m]", "Razlika u ceni"},
    {"N", "1349", "1349", "", "0",
     "!([UkPDVMagMOpstaStopa]+[UkPDVMagMPosebnaStopa]-[UkPretPDVMagMOpstaStopa]-"
     "[UkPretPDVMagMPosebnaStopa])*[Magacin1m]",
     "Ukalkulisani PDV"},
    {"N", "1320", "1320", "[Magacin1]", "![UkRaz]", "0", "Nivelacija - [DokumentOpis]"},
    {"N", "1329", "1329", "", "0", "![UkRaz]", "Razlika u ceni"},

    // Q: advance invoice received for an advance paid. The bank posted the money to the
    // supplier; the invoice moves it to the advances paid and takes out its tax.
    {"Q", "1500", "1500", "[Partner{X}]", "[UkFak]+[UkPDV]", "0", "Dati avans - [DokumentOpis]"},
    {"Q", "4350", "4330", "[Partner{X}]", "0", "[UkFak]+[UkPDV]", "Dati avans"},
    {"Q", "2720", "2720", "", "[UkPDVOpstaStopa]", "0", "PDV u datom avansu 20%"},
    {"Q", "2730", "2730", "", "[UkPDVPosebnaStopa]", "0", "PDV u datom avansu 10%"},
    {"Q", "1500", "1500", "[Partner{X}]", "0", "[UkPDVOpstaStopa]+[UkPDVPosebnaStopa]",
     "PDV iz avansa - [DokumentOpis]"},

    // R: invoice: customer (foreign on export), sales of goods, of products and services,
    // output tax, cost of what left the warehouse, advances closed, payment on the spot.
    {"R", "2040", "2020", "[Partner{X}]", "([UkProd]-[UkRab]+[UkPDV])*(1-[DokIzvoz])", "0",
     "[DokumentOpis]"},
    {"R", "2050", "2030", "[Partner{X}]", "([UkProd]-[UkRab]+[UkPDV])*[DokIzvoz]", "0",
     "[DokumentOpis]"},
    {"R", "6040", "6020", "", "0",
     "([UkProd]-[UkRab]-[UkProdTipU]+[UkRabTipU]-[UkProdTipP]+[UkRabTipP])*(1-[DokIzvoz])",
     "Prihod od prodaje robe"},
    {"R", "6050", "6030", "", "0",
     "([UkProd]-[UkRab]-[UkProdTipU]+[UkRabTipU]-[UkProdTipP]+[UkRabTipP])*[DokIzvoz]",
     "Prihod od izvoza robe"},
    {"R", "6140", "6120", "", "0", "[UkProdTipU]-[UkRabTipU]+[UkProdTipP]-[UkRabTipP]",
     "Prihod od prodaje proizvoda i usluga"},
    {"R", "4700", "4700", "", "0", "[UkPDVOpstaStopa]", "PDV 20%"},
    {"R", "4710", "4710", "", "0", "[UkPDVPosebnaStopa]", "PDV 10%"},
    {"R", "5010", "5010", "", "[UkNab]-[UkNabTipP]", "0", "Nabavna vrednost prodate robe"},
    {"R", "1320", "1320", "[Magacin1]", "0", "[UkNab]-[UkNabTipP]", "Razduženje magacina"},
    {"R", "6310", "6310", "", "[UkNabTipP]", "0", "Smanjenje vrednosti zaliha proizvoda"},
    {"R", "1200", "1200", "", "0", "[UkNabTipP]", "Prodati gotovi proizvodi"},
    {"R", "4300", "4300", "[Partner{X}]", "[UkAvansnaVrednost]", "0",
     "Zatvaranje avansa - [DokumentOpis]"},
    {"R", "4720", "4720", "", "[UkAvansnaPDVOpstaStopa]", "0", "Storno PDV iz avansa 20%"},
    {"R", "4730", "4730", "", "[UkAvansnaPDVPosebnaStopa]", "0", "Storno PDV iz avansa 10%"},
    {"R", "2040", "2020", "[Partner{X}]", "0",
     "[UkAvansnaVrednost]+[UkAvansnaPDVOpstaStopa]+[UkAvansnaPDVPosebnaStopa]",
     "Zatvaranje avansa"},
    {"R", "2430", "2430", "", "[UkNacPlacGotovina]+[UkNacPlacCek]", "0",
     "Naplata gotovinom - [DokumentOpis]"},
    {"R", "2480", "2480", "", "[UkNacPlacKartica]", "0", "Naplata platnom karticom"},
    {"R", "2040", "2020", "[Partner{X}]", "0",
     "[UkNacPlacGotovina]+[UkNacPlacCek]+[UkNacPlacKartica]", "Naplata - [DokumentOpis]"},

    // S: goods lent on a receipt, kept off the balance sheet until they return.
    {"S", "8830", "8830", "", "[UkNab]", "0", "Roba data na revers - [DokumentOpis]"},
    {"S", "8930", "8930", "", "0", "[UkNab]", "Obaveza za robu datu na revers"},

    // T: material and goods issued to production.
    {"T", "5110", "5110", "", "[UkNab]", "0", "Utrošak materijala - [DokumentOpis]"},
    {"T", "1010", "1010", "", "0", "[UkNabTipM]", "Izdavanje materijala"},
    {"T", "1320", "1320", "[Magacin1]", "0", "[UkNab]-[UkNabTipM]", "Izdavanje robe"},

    // U: services and expenses received; each expense's own line is added from table
    // expense (kExpenseAccounts).
    {"U", "2700", "2700", "", "[UkPDVOpstaStopa]", "0", "Prethodni PDV 20%"},
    {"U", "2710", "2710", "", "[UkPDVPosebnaStopa]", "0", "Prethodni PDV 10%"},
    {"U", "4350", "4330", "[Partner{X}]", "0", "[UkFak]+[UkPDV]", "[DokumentOpis]"},
    {"U", "4350", "4330", "[Partner{X}]",
     "[UkAvansnaVrednost]+[UkAvansnaPDVOpstaStopa]+[UkAvansnaPDVPosebnaStopa]", "0",
     "Zatvaranje avansa - [DokumentOpis]"},
    {"U", "1500", "1500", "[Partner{X}]", "0", "[UkAvansnaVrednost]", "Zatvaranje avansa"},
    {"U", "2720", "2720", "", "0", "[UkAvansnaPDVOpstaStopa]", "Storno PDV iz avansa 20%"},
    {"U", "2730", "2730", "", "0", "[UkAvansnaPDVPosebnaStopa]", "Storno PDV iz avansa 10%"},

    // V: surplus found in a warehouse.
    {"V", "1320", "1320", "[Magacin1]", "[UkNab]", "0", "Višak robe - [DokumentOpis]"},
    {"V", "6740", "6740", "", "0", "[UkNab]", "Prihod od viška"},

    // W: commission goods signed off.
    {"W", "8920", "8920", "", "[UkNab]", "0", "Odjava robe iz komisiona - [DokumentOpis]"},
    {"W", "8820", "8820", "", "0", "[UkNab]", "Odjava robe iz komisiona"},

    // Z: charge to a partner: interest (charge type 2) or other charges, with tax.
    {"Z", "2040", "2020", "[Partner{X}]", "[UkProd]+[UkPDV]", "0", "[DokumentOpis]"},
    {"Z", "6620", "6620", "", "0", "[UkProd]*[DokTipZaduzenja2]", "Zatezna kamata"},
    {"Z", "6140", "6120", "", "0", "[UkProd]*(1-[DokTipZaduzenja2])", "Prihod od zaduženja"},
    {"Z", "4700", "4700", "", "0", "[UkPDVOpstaStopa]", "PDV 20%"},
    {"Z", "4710", "4710", "", "0", "[UkPDVPosebnaStopa]", "PDV 10%"},
};

// Bank statements (I) and cash journals (B). A statement line's debit is money paid out,
// its credit money received: a supplier paid is debited, a customer paying is credited, a
// line without partner (fees, salaries, taxes, cash) waits on 2280 for the accountant to
// assign it. The money account takes the totals on the opposite sides: the company's
// account by its sub-account on 2410, a foreign-currency one on 2440, the cash box on
// 2430. Partners paid through a foreign-currency statement are the foreign ones. A "!"
// moves a negative amount (a refund) to the other side.
const TStandardRule kBankRules[] = {
    {"I", "2410", "2410", "[Banka{X}]", "![UkPotrazuje]*(1-[IzvodDevizni])", "0", "[IzvodOpis]"},
    {"I", "2410", "2410", "[Banka{X}]", "0", "![UkDuguje]*(1-[IzvodDevizni])", "[IzvodOpis]"},
    {"I", "2440", "2440", "[Banka{X}]", "![UkPotrazuje]*[IzvodDevizni]", "0", "[IzvodOpis]"},
    {"I", "2440", "2440", "[Banka{X}]", "0", "![UkDuguje]*[IzvodDevizni]", "[IzvodOpis]"},
    {"I", "4350", "4330", "[Dobavljac{X}]", "![DobavljacDuguje{X}]*(1-[IzvodDevizni])", "0",
     "[DobavljacOpis{X}]"},
    {"I", "4360", "4340", "[Dobavljac{X}]", "![DobavljacDuguje{X}]*[IzvodDevizni]", "0",
     "[DobavljacOpis{X}]"},
    {"I", "2040", "2020", "[Kupac{X}]", "0", "![KupacPotrazuje{X}]*(1-[IzvodDevizni])",
     "[KupacOpis{X}]"},
    {"I", "2050", "2030", "[Kupac{X}]", "0", "![KupacPotrazuje{X}]*[IzvodDevizni]",
     "[KupacOpis{X}]"},
    {"I", "2280", "2280", "[Razno{X}]", "![RaznoDuguje{X}]", "0", "[RaznoOpis{X}]"},

    {"B", "2430", "2430", "", "![UkPotrazuje]", "0", "[BlagajnaOpis]"},
    {"B", "2430", "2430", "", "0", "![UkDuguje]", "[BlagajnaOpis]"},
    {"B", "4350", "4330", "[Dobavljac{X}]", "![DobavljacDuguje{X}]*(1-[IzvodDevizni])", "0",
     "[DobavljacOpis{X}]"},
    {"B", "4360", "4340", "[Dobavljac{X}]", "![DobavljacDuguje{X}]*[IzvodDevizni]", "0",
     "[DobavljacOpis{X}]"},
    {"B", "2040", "2020", "[Kupac{X}]", "0", "![KupacPotrazuje{X}]*(1-[IzvodDevizni])",
     "[KupacOpis{X}]"},
    {"B", "2050", "2030", "[Kupac{X}]", "0", "![KupacPotrazuje{X}]*[IzvodDevizni]",
     "[KupacOpis{X}]"},
    {"B", "2280", "2280", "[Razno{X}]", "![RaznoDuguje{X}]", "0", "[RaznoOpis{X}]"},
};

// A closed work order (R): its costs go into work in progress as an increase of the
// inventories of products; the finished products received against it (already on 1200
// from their receipts) leave work in progress as its decrease.
const TStandardRule kProductionRules[] = {
    {"R", "1100", "1100", "", "[TrosDirMat]", "0", "Direktni materijal"},
    {"R", "1100", "1100", "", "[TrosDirRad]", "0", "Direktan rad"},
    {"R", "1100", "1100", "", "[TrosOpsti]", "0", "Opšti troškovi proizvodnje"},
    {"R", "6300", "6300", "", "0", "[TrosDirMat]+[TrosDirRad]+[TrosOpsti]",
     "Povećanje vrednosti nedovršene proizvodnje"},
    {"R", "6310", "6310", "", "[VredGotProiz]", "0", "Smanjenje vrednosti nedovršene proizvodnje"},
    {"R", "1100", "1100", "", "0", "[VredGotProiz]", "Završeni gotovi proizvodi"},
};

// Fixed-asset documents: activation (A) out of equipment being prepared, write-off (R) with
// its loss, depreciation (O). The changes of purchase value and of accumulated depreciation
// go to equipment and its value adjustment, a negative change to the other side; what they
// change of the book value goes to the type's own account.
const TStandardRule kFixedAssetRules[] = {
    {"A", "0230", "0230", "", "![RazNabVr]", "0", "Aktivirana oprema"},
    {"A", "0292", "0292", "", "0", "![RazIspVr]", "Ispravka vrednosti aktivirane opreme"},
    {"A", "0260", "0270", "", "0", "!([RazNabVr]-[RazIspVr])", "Oprema u pripremi aktivirana"},

    {"R", "0230", "0230", "", "![RazNabVr]", "0", "Rashodovana oprema"},
    {"R", "0292", "0292", "", "0", "![RazIspVr]", "Ispravka vrednosti rashodovane opreme"},
    {"R", "5700", "5700", "", "!([RazIspVr]-[RazNabVr])", "0",
     "Neotpisana vrednost rashodovane opreme"},

    {"O", "5400", "5400", "", "!([RazIspVr]-[RazNabVr])", "0", "Amortizacija opreme"},
    {"O", "0292", "0292", "", "0", "![RazIspVr]", "Ispravka vrednosti opreme"},
    {"O", "0230", "0230", "", "![RazNabVr]", "0", "Promena nabavne vrednosti opreme"},
};

// The account of an expense received on a U document, found by the expense's name; an
// expense not named here goes to the default.
struct TExpenseAccount {
    const char* name;
    const char* contoNew;
    const char* conto;
};

const TExpenseAccount kExpenseAccounts[] = {
    {"Prevoz robe", "5310", "5310"},
    {"Servis opreme", "5320", "5320"},
    {"Zakupnina", "5330", "5330"},
    {"Oglašavanje", "5350", "5350"},
    {"Telefon i internet", "55001", "55001"},
    {"Komunalne usluge", "55002", "55002"},
    {"Električna energija", "5131", "5131"},
    {"Kancelarijski materijal", "5120", "5120"},
    {"Gorivo", "5130", "5130"},
};
const TExpenseAccount kDefaultExpenseAccount = {"", "5500", "5500"};

// The system voucher type of each document type.
const std::pair<char, int> kDocumentVoucherTypes[] = {
    {'A', 18}, {'C', 20}, {'F', 21}, {'G', 10}, {'I', 8}, {'K', 2},  {'L', 14}, {'M', 7},  {'N', 4},
    {'Q', 17}, {'R', 3},  {'S', 11}, {'T', 9},  {'U', 1}, {'V', 13}, {'W', 22}, {'Z', 12},
};
const std::pair<char, int> kBankVoucherTypes[] = {{'I', 5}, {'B', 6}};
const std::pair<char, int> kProductionVoucherTypes[] = {{'R', 15}};
const std::pair<char, int> kFixedAssetVoucherTypes[] = {{'A', 16}, {'R', 16}, {'O', 16}};

// The rules and voucher types of one source module, by entity type.
struct TModuleRules {
    const QString& module;
    std::span<const TStandardRule> rules;
    std::span<const std::pair<char, int>> voucherTypes;  // every entity type with rules
};

const TModuleRules kModules[] = {
    {res::FIN_MOD_DOCUMENT_NAME, kDocumentRules, kDocumentVoucherTypes},
    {res::FIN_MOD_BANK_NAME, kBankRules, kBankVoucherTypes},
    {res::FIN_MOD_PRODUCTION_NAME, kProductionRules, kProductionVoucherTypes},
    {res::FIN_MOD_FA_NAME, kFixedAssetRules, kFixedAssetVoucherTypes},
};

// Rules are stored only through the expression check of their module's conter.
bool HasConter(const QString& module) {
    const auto& classes = ConterClasses();
    return std::any_of(classes.begin(), classes.end(),
                       [&](const TConterClass& c) { return c.moduleName == module; });
}

// "[Name*]" -> "([NameM]+[NameU]+...)" over every product-type letter.
QString ExpandTypes(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("\\[([A-Za-z]+)\\*\\]"));
    QString out;
    qsizetype from = 0;
    for (auto it = pattern.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        out += text.mid(from, m.capturedStart() - from);
        QStringList names;
        for (const auto& [letter, name] : DocumentProductTypes())
            names << QLatin1Char('[') + m.captured(1) + letter + QLatin1Char(']');
        out += QLatin1Char('(') + names.join(QLatin1Char('+')) + QLatin1Char(')');
        from = m.capturedEnd();
    }
    return out + text.mid(from);
}

struct TRuleRow {
    QString type, conto, contonew, subaccount, debit, credit, description;
    // Identical rules of one type have the same key.
    QString Key() const {
        return QStringList{conto, contonew, subaccount, debit, credit, description}.join(
            QChar(0x1f));
    }
};

TRuleRow Row(const TStandardRule& r) {
    return {QString::fromLatin1(r.type),
            QString::fromLatin1(r.conto),
            QString::fromLatin1(r.contoNew),
            QString::fromLatin1(r.subaccount),
            ExpandTypes(QString::fromUtf8(r.debit)),
            ExpandTypes(QString::fromUtf8(r.credit)),
            QString::fromUtf8(r.description)};
}

// The rules of a module; the documents' also have a line per expense the company knows.
QVector<TRuleRow> StandardRows(TConnection& c, const TModuleRules& m) {
    QVector<TRuleRow> rows;
    for (const TStandardRule& r : m.rules)
        rows.append(Row(r));
    if (m.module != res::FIN_MOD_DOCUMENT_NAME)
        return rows;
    for (const auto& row :
         c.Select(QStringLiteral("SELECT expenseid, name FROM expense ORDER BY expenseid")).rows) {
        const QString name = row[1].toString();
        const TExpenseAccount* account = &kDefaultExpenseAccount;
        for (const TExpenseAccount& e : kExpenseAccounts)
            if (name.compare(QString::fromUtf8(e.name), Qt::CaseInsensitive) == 0)
                account = &e;
        rows.append(
            {QStringLiteral("U"), QString::fromLatin1(account->conto),
             QString::fromLatin1(account->contoNew), QString(),
             QLatin1Char('[') + res::CMN_EXPENSE_PREFIX + row[0].toString() + QLatin1Char(']'),
             QStringLiteral("0"), name.left(100)});
    }
    return rows;
}

// Adds the rules of one module and entity type that are not there yet; how many.
int InstallRules(TQuery& rules, const QString& module, const QString& type,
                 const QVector<TRuleRow>& rows) {
    rules.Close();
    rules.ParamByName(QStringLiteral("ModuleName")).SetValue(module);
    rules.ParamByName(QStringLiteral("EntityName")).SetValue(type);
    rules.Open();
    QSet<QString> present;
    for (rules.First(); !rules.Eof(); rules.Next()) {
        TRuleRow r;
        for (auto [field, value] :
             {std::pair{"conto", &r.conto}, std::pair{"contonew", &r.contonew},
              std::pair{"subaccount", &r.subaccount}, std::pair{"debitexp", &r.debit},
              std::pair{"creditexp", &r.credit}, std::pair{"descriptionfmt", &r.description}})
            *value = rules.FieldByName(QString::fromLatin1(field)).AsString();
        present.insert(r.Key());
    }
    int added = 0;
    for (const TRuleRow& r : rows) {
        if (r.type != type || present.contains(r.Key()))
            continue;
        rules.Append();
        rules.FieldByName(QStringLiteral("conto")).SetValue(r.conto);
        rules.FieldByName(QStringLiteral("contonew")).SetValue(r.contonew);
        rules.FieldByName(QStringLiteral("subaccount")).SetValue(r.subaccount);
        rules.FieldByName(QStringLiteral("debitexp")).SetValue(r.debit);
        rules.FieldByName(QStringLiteral("creditexp")).SetValue(r.credit);
        rules.FieldByName(QStringLiteral("descriptionfmt")).SetValue(r.description);
        rules.Post();
        present.insert(r.Key());
        ++added;
    }
    return added;
}

}  // namespace

int InstallStandardRules(TFinancialDM& dm) {
    TConnection& c = dm.Require();
    // The rule dataset refuses every rule without the posting side's expression check.
    std::unique_ptr<TPostingPackage> package;
    if (!dm.CheckRuleExpression)
        package = std::make_unique<TPostingPackage>(dm);

    TQuery& rules = dm.FinancialiniZQ();
    int added = 0;
    TTransaction transaction(c);
    try {
        TDBIniFile ini(&c);
        for (const TModuleRules& m : kModules) {
            if (!HasConter(m.module))
                continue;
            const QVector<TRuleRow> rows = StandardRows(c, m);
            for (const auto& [letter, typeId] : m.voucherTypes) {
                const QString type = QString(QLatin1Char(letter));
                added += InstallRules(rules, m.module, type, rows);
                // The voucher type, unless an accountant chose one already.
                const bool known =
                    c.SelectValue(QStringLiteral("SELECT COUNT(*) FROM precepttype WHERE "
                                                 "precepttypeid = ?"),
                                  {typeId})
                        .toInt() > 0;
                if (known && !ini.ValueExists(m.module, type))
                    ini.WriteInteger(m.module, type, typeId);
            }
        }
        rules.Close();
        transaction.Commit();
    } catch (...) {
        if (rules.Active()) {
            if (rules.Editing())
                rules.Cancel();
            rules.Close();
        }
        throw;
    }
    return added;
}

}  // namespace fin
