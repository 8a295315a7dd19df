#include "console/demo/demo.h"

#include <QHash>
#include <QVector>
#include <algorithm>

#include "console/demo/demorandom.h"
#include "console/demo/demosiblings.h"
#include "console/demo/demosupport.h"
#include "console/standins/bank.h"
#include "console/standins/tables.h"
#include "host/data/dbinifile.h"
#include "host/db/connection.h"
#include "host/ui/uiservice.h"
#include "ledger/financialdm.h"
#include "ledger/schema.h"
#include "ledger/subaccounts.h"
#include "posting/autoconter.h"
#include "posting/postingpackage.h"
#include "posting/postingrun.h"
#include "posting/standardrules.h"

namespace fin {

namespace {

// Fixed, so that two demo databases of the same year are the same company.
constexpr unsigned kSeed = 20140101u;

// Rows per multi-row INSERT: far below the server's limits (65535 bound values, packet
// size), large enough that a hundred thousand vouchers are written in reasonable time.
constexpr int kVoucherBatch = 250;
constexpr int kLineBatch = 400;
// From this many vouchers on, documents carry more items: about ten lines a voucher.
constexpr int kLargeCompany = 10000;
// Documents of a year at most: posting runs through every rule of every document.
constexpr int kMaxDocuments = 3000;
// The documents of January to October are posted; November's and December's wait.
constexpr int kPostedMonths = 10;
// From this many vouchers on, salaries, depreciation and VAT are monthly vouchers; from
// the second, the fixed-asset module and production have their documents too.
constexpr int kMonthlyFrom = 100;
constexpr int kAssetsFrom = 200;
// Posted statements of the days salaries and interest are paid, at most.
constexpr int kForcedStatements = 2 * kPostedMonths - 1;
// Posted fixed-asset documents: depreciation every month, two activations, one write-off.
constexpr int kPostedAssetDocuments = kPostedMonths + 3;
// Partners paying and paid on account on each statement, beside its documents' payments.
constexpr int kPartnerLines = 2;

// Sub-account kinds of the demo accounts.
enum class TSub { None, Partner, Bank, Warehouse, Product, Trip };

struct TDemoAccount {
    const char* code;     // new chart
    const char* oldCode;  // old chart
    const char* name;
    TSub sub;
};

// Synthetic accounts first, then the analytic accounts the vouchers use.
const TDemoAccount kAccounts[] = {
    {"022", "022", "Građevinski objekti", TSub::None},
    {"0220", "0220", "Poslovna zgrada", TSub::None},
    {"023", "023", "Postrojenja i oprema", TSub::None},
    {"0230", "0230", "Oprema", TSub::None},
    {"0231", "0231", "Računarska oprema", TSub::None},
    {"0232", "0232", "Transportna sredstva", TSub::None},
    {"026", "027", "Nekretnine, postrojenja i oprema u pripremi", TSub::None},
    {"0260", "0270", "Oprema u pripremi", TSub::None},
    {"029", "029", "Ispravka vrednosti nekretnina, postrojenja i opreme", TSub::None},
    {"0291", "0291", "Ispravka vrednosti građevinskih objekata", TSub::None},
    {"0292", "0292", "Ispravka vrednosti opreme", TSub::None},
    {"101", "101", "Materijal", TSub::None},
    {"1010", "1010", "Materijal u magacinu", TSub::None},
    {"110", "110", "Nedovršena proizvodnja", TSub::None},
    {"1100", "1100", "Nedovršena proizvodnja", TSub::None},
    {"120", "120", "Gotovi proizvodi", TSub::None},
    {"1200", "1200", "Gotovi proizvodi u skladištu", TSub::None},
    {"132", "132", "Roba u prometu na veliko", TSub::None},
    {"1320", "1320", "Roba u magacinu veleprodaje", TSub::Warehouse},
    {"1329", "1329", "Razlika u ceni robe u prometu na veliko", TSub::None},
    {"134", "134", "Roba u prometu na malo", TSub::None},
    {"1340", "1340", "Roba u prodavnici", TSub::Warehouse},
    {"1349", "1349", "Razlika u ceni robe u prometu na malo", TSub::None},
    {"150", "150", "Plaćeni avansi za zalihe i usluge", TSub::None},
    {"1500", "1500", "Plaćeni avansi dobavljačima u zemlji", TSub::Partner},
    {"204", "202", "Kupci u zemlji", TSub::None},
    {"2040", "2020", "Kupci u zemlji", TSub::Partner},
    {"20400", "20200", "Kupci u zemlji - sporna potraživanja", TSub::Partner},
    {"205", "203", "Kupci u inostranstvu", TSub::None},
    {"2050", "2030", "Kupci u inostranstvu", TSub::Partner},
    {"221", "221", "Potraživanja od zaposlenih", TSub::None},
    {"2210", "2210", "Akontacije za službena putovanja", TSub::Trip},
    {"228", "228", "Ostala kratkoročna potraživanja", TSub::None},
    {"2280", "2280", "Razna plaćanja za raspored", TSub::None},
    {"241", "241", "Tekući (poslovni) računi", TSub::None},
    {"2410", "2410", "Tekući račun", TSub::Bank},
    {"243", "243", "Blagajna", TSub::None},
    {"2430", "2430", "Glavna blagajna", TSub::None},
    {"244", "244", "Devizni račun", TSub::None},
    {"2440", "2440", "Devizni račun", TSub::Bank},
    {"248", "248", "Ostala novčana sredstva", TSub::None},
    {"2480", "2480", "Pazar platnim karticama na naplati", TSub::None},
    {"270", "270", "PDV u primljenim fakturama po opštoj stopi", TSub::None},
    {"2700", "2700", "PDV u primljenim fakturama po stopi 20%", TSub::None},
    {"271", "271", "PDV u primljenim fakturama po posebnoj stopi", TSub::None},
    {"2710", "2710", "PDV u primljenim fakturama po stopi 10%", TSub::None},
    {"272", "272", "PDV u datim avansima po opštoj stopi", TSub::None},
    {"2720", "2720", "PDV u datim avansima po stopi 20%", TSub::None},
    {"273", "273", "PDV u datim avansima po posebnoj stopi", TSub::None},
    {"2730", "2730", "PDV u datim avansima po stopi 10%", TSub::None},
    {"279", "279", "Potraživanja za više plaćen PDV", TSub::None},
    {"2790", "2790", "Potraživanja za više plaćen PDV", TSub::None},
    {"301", "301", "Udeli društava s ograničenom odgovornošću", TSub::None},
    {"3010", "3010", "Osnovni kapital - udeli osnivača", TSub::None},
    {"340", "340", "Neraspoređeni dobitak ranijih godina", TSub::None},
    {"3400", "3400", "Neraspoređeni dobitak ranijih godina", TSub::None},
    {"341", "341", "Neraspoređeni dobitak tekuće godine", TSub::None},
    {"3410", "3410", "Neraspoređeni dobitak tekuće godine", TSub::None},
    {"422", "420", "Kratkoročni krediti i zajmovi u zemlji", TSub::None},
    {"4220", "4200", "Kratkoročni krediti u zemlji", TSub::None},
    {"430", "430", "Primljeni avansi, depoziti i kaucije", TSub::None},
    {"4300", "4300", "Primljeni avansi od kupaca", TSub::Partner},
    {"435", "433", "Dobavljači u zemlji", TSub::None},
    {"4350", "4330", "Dobavljači u zemlji", TSub::Partner},
    {"43500", "43300", "Dobavljači u zemlji - usluge", TSub::Partner},
    {"436", "434", "Dobavljači u inostranstvu", TSub::None},
    {"4360", "4340", "Dobavljači u inostranstvu", TSub::Partner},
    {"450", "450", "Obaveze za neto zarade i naknade zarada", TSub::None},
    {"4500", "4500", "Obaveze za neto zarade", TSub::None},
    {"451", "451", "Obaveze za porez na zarade na teret zaposlenog", TSub::None},
    {"4510", "4510", "Obaveze za porez na zarade", TSub::None},
    {"452", "452", "Obaveze za doprinose na teret zaposlenog", TSub::None},
    {"4520", "4520", "Obaveze za doprinose na teret zaposlenog", TSub::None},
    {"453", "453", "Obaveze za poreze i doprinose na teret poslodavca", TSub::None},
    {"4530", "4530", "Obaveze za doprinose na teret poslodavca", TSub::None},
    {"470", "470", "Obaveze za PDV po izdatim fakturama po opštoj stopi", TSub::None},
    {"4700", "4700", "Obaveze za PDV po izdatim fakturama po stopi 20%", TSub::None},
    {"471", "471", "Obaveze za PDV po izdatim fakturama po posebnoj stopi", TSub::None},
    {"4710", "4710", "Obaveze za PDV po izdatim fakturama po stopi 10%", TSub::None},
    {"472", "472", "Obaveze za PDV po primljenim avansima po opštoj stopi", TSub::None},
    {"4720", "4720", "Obaveze za PDV po primljenim avansima po stopi 20%", TSub::None},
    {"473", "473", "Obaveze za PDV po primljenim avansima po posebnoj stopi", TSub::None},
    {"4730", "4730", "Obaveze za PDV po primljenim avansima po stopi 10%", TSub::None},
    {"479", "479", "Obaveze za PDV po osnovu razlike obračunatog PDV i prethodnog poreza",
     TSub::None},
    {"4790", "4790", "Obaveze za PDV - razlika za uplatu", TSub::None},
    {"501", "501", "Nabavna vrednost prodate robe", TSub::None},
    {"5010", "5010", "Nabavna vrednost prodate robe", TSub::None},
    {"511", "511", "Troškovi materijala za izradu", TSub::None},
    {"5110", "5110", "Troškovi materijala za izradu", TSub::None},
    {"512", "512", "Troškovi ostalog materijala (režijskog)", TSub::None},
    {"5120", "5120", "Troškovi kancelarijskog materijala", TSub::None},
    {"513", "513", "Troškovi goriva i energije", TSub::None},
    {"5130", "5130", "Troškovi goriva", TSub::None},
    {"5131", "5131", "Troškovi električne energije", TSub::None},
    {"520", "520", "Troškovi zarada i naknada zarada (bruto)", TSub::None},
    {"5200", "5200", "Troškovi zarada (bruto)", TSub::None},
    {"521", "521", "Troškovi poreza i doprinosa na teret poslodavca", TSub::None},
    {"5210", "5210", "Troškovi doprinosa na teret poslodavca", TSub::None},
    {"529", "529", "Ostali lični rashodi i naknade", TSub::None},
    {"5291", "5291", "Dnevnice i putni troškovi za službena putovanja", TSub::Trip},
    {"531", "531", "Troškovi transportnih usluga", TSub::None},
    {"5310", "5310", "Troškovi prevoza robe", TSub::None},
    {"532", "532", "Troškovi usluga održavanja", TSub::None},
    {"5320", "5320", "Troškovi održavanja opreme", TSub::None},
    {"533", "533", "Troškovi zakupnina", TSub::None},
    {"5330", "5330", "Zakupnina poslovnog prostora", TSub::None},
    {"535", "535", "Troškovi reklame i propagande", TSub::None},
    {"5350", "5350", "Troškovi reklame i propagande", TSub::None},
    {"540", "540", "Troškovi amortizacije", TSub::None},
    {"5400", "5400", "Troškovi amortizacije", TSub::None},
    {"550", "550", "Troškovi neproizvodnih usluga", TSub::None},
    {"5500", "5500", "Troškovi neproizvodnih usluga", TSub::None},
    {"55001", "55001", "Troškovi telefona i interneta", TSub::None},
    {"55002", "55002", "Troškovi komunalnih usluga", TSub::None},
    {"551", "551", "Troškovi reprezentacije", TSub::None},
    {"5510", "5510", "Troškovi reprezentacije", TSub::None},
    {"553", "553", "Troškovi platnog prometa", TSub::None},
    {"5530", "5530", "Troškovi platnog prometa", TSub::None},
    {"562", "562", "Rashodi kamata", TSub::None},
    {"5620", "5620", "Rashodi kamata po kreditima", TSub::None},
    {"563", "563", "Negativne kursne razlike", TSub::None},
    {"5630", "5630", "Negativne kursne razlike", TSub::None},
    {"570", "570",
     "Gubici po osnovu rashodovanja i prodaje nematerijalne imovine, nekretnina, postrojenja "
     "i opreme",
     TSub::None},
    {"5700", "5700", "Gubici po osnovu rashodovanja opreme", TSub::None},
    {"574", "574", "Manjkovi", TSub::None},
    {"5740", "5740", "Manjkovi robe", TSub::None},
    {"577", "577", "Rashodi po osnovu rashodovanja i otpisa zaliha", TSub::None},
    {"5770", "5770", "Otpis robe", TSub::None},
    {"579", "579", "Ostali nepomenuti rashodi", TSub::None},
    {"5790", "5790", "PDV na otpis i manjak robe", TSub::None},
    {"599", "599", "Prenos rashoda", TSub::None},
    {"5990", "5990", "Prenos rashoda", TSub::None},
    {"604", "602", "Prihodi od prodaje robe na domaćem tržištu", TSub::None},
    {"6040", "6020", "Prihodi od prodaje robe na domaćem tržištu", TSub::None},
    {"604001", "602001", "Prihodi od prodaje robe u maloprodaji", TSub::None},
    {"605", "603", "Prihodi od prodaje robe na inostranom tržištu", TSub::None},
    {"6050", "6030", "Prihodi od prodaje robe na inostranom tržištu", TSub::None},
    {"614", "612", "Prihodi od prodaje proizvoda i usluga na domaćem tržištu", TSub::None},
    {"6140", "6120", "Prihodi od prodaje usluga na domaćem tržištu", TSub::None},
    {"630", "630", "Povećanje vrednosti zaliha nedovršenih i gotovih proizvoda", TSub::None},
    {"6300", "6300", "Povećanje vrednosti zaliha gotovih proizvoda", TSub::None},
    {"631", "631", "Smanjenje vrednosti zaliha nedovršenih i gotovih proizvoda", TSub::None},
    {"6310", "6310", "Smanjenje vrednosti zaliha gotovih proizvoda", TSub::None},
    {"662", "662", "Prihodi od kamata", TSub::None},
    {"6620", "6620", "Prihodi od kamata", TSub::None},
    {"663", "663", "Pozitivne kursne razlike", TSub::None},
    {"6630", "6630", "Pozitivne kursne razlike", TSub::None},
    {"674", "674", "Viškovi", TSub::None},
    {"6740", "6740", "Viškovi robe", TSub::None},
    {"699", "699", "Prenos prihoda", TSub::None},
    {"6990", "6990", "Prenos prihoda", TSub::None},
    {"700", "700", "Otvaranje glavne knjige", TSub::None},
    {"7000", "7000", "Otvaranje glavne knjige", TSub::None},
    {"710", "710", "Rashodi i prihodi", TSub::None},
    {"7100", "7100", "Rashodi", TSub::None},
    {"7110", "7110", "Prihodi", TSub::None},
    {"730", "730", "Zaključak računa stanja", TSub::None},
    {"7300", "7300", "Zaključak računa stanja", TSub::None},
    {"882", "882", "Roba uzeta u komision i konsignaciju", TSub::None},
    {"8820", "8820", "Roba uzeta u komision", TSub::None},
    {"892", "892", "Obaveze za robu uzetu u komision i konsignaciju", TSub::None},
    {"8920", "8920", "Obaveze za robu uzetu u komision", TSub::None},
    {"883", "883", "Roba data na revers", TSub::None},
    {"8830", "8830", "Roba data na revers", TSub::None},
    {"893", "893", "Obaveze za robu datu na revers", TSub::None},
    {"8930", "8930", "Obaveze za robu datu na revers", TSub::None},
    {"900", "900", "Račun za preuzimanje zaliha", TSub::None},
    {"9000", "9000", "Račun za preuzimanje zaliha", TSub::None},
    {"910", "910", "Materijal", TSub::None},
    {"9100", "9100", "Materijal na zalihi", TSub::None},
};

// The tax accounts the monthly VAT settlement closes.
const char* const kVatAccounts[] = {"4700", "4710", "4720", "4730", "2700", "2710", "2720", "2730"};

struct TDemoPartner {
    const char* name;
    const char* type;
    const char* city;
    const char* address;
};

// Invented firms; any likeness to a real one is chance.
const TDemoPartner kPartners[] = {
    {"Morava Promet d.o.o.", "Kupac", "Kruševac", "Vidovdanska 14"},
    {"Šumadija Komerc d.o.o.", "Kupac", "Kragujevac", "Kralja Petra I 22"},
    {"Dunav Agrar d.o.o.", "Kupac", "Novi Sad", "Futoški put 41"},
    {"Banat Mlin d.o.o.", "Kupac", "Zrenjanin", "Cara Dušana 7"},
    {"Nišava Tekstil d.o.o.", "Kupac", "Niš", "Bulevar Nemanjića 63"},
    {"Kopaonik Turist d.o.o.", "Kupac", "Raška", "Ibarska 2"},
    {"Fruška Vina d.o.o.", "Kupac", "Sremski Karlovci", "Dositejeva 11"},
    {"Ibar Kamen d.o.o.", "Kupac", "Kraljevo", "Oktobarskih žrtava 5"},
    {"Zlatibor Drvo d.o.o.", "Dobavljač", "Užice", "Dimitrija Tucovića 88"},
    {"Tara Transport d.o.o.", "Dobavljač", "Bajina Bašta", "Svetosavska 3"},
    {"Kolubara Elektro d.o.o.", "Dobavljač", "Valjevo", "Karađorđeva 51"},
    {"Rasina Pak d.o.o.", "Dobavljač", "Kruševac", "Jasički put 120"},
    {"Jadar Print d.o.o.", "Dobavljač", "Loznica", "Jovana Cvijića 9"},
    {"Vlasina Voda d.o.o.", "Dobavljač", "Surdulica", "Nikole Tesle 17"},
    {"Srem Logistika d.o.o.", "Dobavljač", "Ruma", "Industrijska zona bb"},
    {"Bačka Agrohem d.o.o.", "Kupac i dobavljač", "Sombor", "Apatinski put 30"},
    {"Timok Gradnja a.d.", "Kupac i dobavljač", "Zaječar", "Nikole Pašića 44"},
    {"Adria Handels GmbH", "Inostrani", "Graz", "Annenstraße 12"},
};

struct TDemoProduct {
    const char* name;
    const char* type;  // product-type letter
    const char* unit;
    int tax;         // index into kTaxes
    int priceCents;  // without tax, in tens of cents
    int category;    // index into kCategories
};

const char* const kCategories[] = {
    "Prehrana", "Piće", "Hemija i higijena", "Kancelarija", "Poklon program", "Ambalaža", "Usluge"};

// Goods (R) are traded, material (M) and goods go into gift baskets (P), wine and honey
// are sold on commission (K), services (U) are invoiced.
const TDemoProduct kProducts[] = {
    {"Kafa mlevena 200 g", "R", "kom", 0, 29900, 0},
    {"Mineralna voda 1,5 l", "R", "kom", 0, 8900, 1},
    {"Brašno T-400 1 kg", "R", "kg", 1, 9900, 0},
    {"Suncokretovo ulje 1 l", "R", "kom", 1, 22900, 0},
    {"Šećer kristal 1 kg", "R", "kg", 1, 11900, 0},
    {"Deterdžent za veš 3 kg", "R", "kom", 0, 89900, 2},
    {"Papirni ubrusi 2/1", "R", "pak", 0, 24900, 2},
    {"Kancelarijski papir A4", "R", "ris", 0, 59900, 3},
    {"Toner za štampač", "R", "kom", 0, 459900, 3},
    {"Sok od jabuke 1 l", "R", "kom", 0, 15900, 1},
    {"Hleb beli 500 g", "R", "kom", 1, 7900, 0},
    {"Ambalaža kartonska", "M", "kom", 0, 4500, 5},
    {"Celofan folija", "M", "m", 0, 3500, 5},
    {"Ukrasna traka", "M", "m", 0, 1500, 5},
    {"Poklon korpa mala", "P", "kom", 0, 249000, 4},
    {"Poklon korpa velika", "P", "kom", 0, 499000, 4},
    {"Vino tamjanika 0,75 l", "K", "kom", 0, 119000, 1},
    {"Med bagremov 900 g", "K", "kom", 1, 139000, 0},
    {"Usluga prevoza", "U", "km", 0, 12000, 6},
    {"Usluga održavanja", "U", "čas", 0, 250000, 6},
    {"Montaža opreme", "U", "čas", 0, 300000, 6},
};

// Expenses received on incoming invoices.
const char* const kExpenseNames[] = {
    "Prevoz robe",
    "Servis opreme",
    "Zakupnina",
    "Oglašavanje",
    "Telefon i internet",
    "Komunalne usluge",
    "Električna energija",
    "Kancelarijski materijal",
    "Gorivo",
    "Knjigovodstvene usluge",
};

struct TDemoTax {
    const char* name;
    double value;
};

const TDemoTax kTaxes[] = {
    {"Opšta stopa 20%", 20}, {"Posebna stopa 10%", 10}, {"Oslobođeno 0%", 0}};

struct TDemoWarehouse {
    const char* name;
    const char* code;
    const char* priceType;  // v wholesale, m retail
    const char* method;
};

const TDemoWarehouse kWarehouses[] = {
    {"Centralni magacin", "01", "v", "P"},
    {"Veleprodaja Novi Sad", "02", "v", "P"},
    {"Prodavnica Centar", "10", "m", "O"},
    {"Prodavnica Liman", "11", "m", "O"},
};

const char* const kTrips[] = {
    "Službeni put Beograd - Niš", "Službeni put Novi Sad - Subotica", "Sajam privrede Beograd",
    "Poseta kupcu u Kragujevcu",  "Seminar o PDV-u, Zlatibor",        "Nabavka opreme, Čačak",
};

qint64 Percent(qint64 cents, int percent) {
    return (cents * percent + 50) / 100;
}

struct TLine {
    int account;  // index into kAccounts
    qint64 foreignId = 0;
    qint64 debit = 0;  // cents
    qint64 credit = 0;
    QString text;
};

struct TVoucher {
    QDate date;
    int type = 0;
    QString description;
    QVector<TLine> lines;
};

// Ids of what the vouchers refer to.
struct TRefs {
    QVector<qint64> accountIds, accountNewIds;  // per kAccounts entry
    QVector<qint64> customers, suppliers, partners;
    qint64 foreignPartner = 0;
    QVector<QString> partnerNames;  // by partner id
    QVector<qint64> wholesale, retail;
    QVector<qint64> bankAccounts;  // the company's, in the home currency
    qint64 euroAccount = 0;
    QVector<qint64> trips;
    QVector<TDemoTrip> tripNames;
    qint64 assignType = 0;  // the accountant's own voucher type for assigning payments
};

int AccountIndex(const char* code) {
    static const QHash<QString, int> index = [] {
        QHash<QString, int> h;
        for (int i = 0; i < int(std::size(kAccounts)); ++i)
            h.insert(QString::fromLatin1(kAccounts[i].code), i);
        return h;
    }();
    return index.value(QString::fromLatin1(code), -1);
}

class TBuilder {
public:
    TBuilder(TRandom& random, const TRefs& refs) : r_(random), refs_(refs) {}

    TVoucher& Start(const QDate& date, int type, const QString& description) {
        v_ = TVoucher{date, type, description, {}};
        return v_;
    }
    void Debit(const char* code, qint64 cents, const QString& text, qint64 foreignId = 0) {
        Add(code, cents, 0, text, foreignId);
    }
    void Credit(const char* code, qint64 cents, const QString& text, qint64 foreignId = 0) {
        Add(code, 0, cents, text, foreignId);
    }
    TVoucher Take() { return std::move(v_); }

    QString PartnerName(qint64 id) const { return refs_.partnerNames.value(int(id)); }

private:
    void Add(const char* code, qint64 debit, qint64 credit, const QString& text, qint64 foreignId) {
        if (debit == 0 && credit == 0)
            return;
        const int i = AccountIndex(code);
        Q_ASSERT(i >= 0);
        v_.lines.push_back({i, foreignId, debit, credit, text.left(100)});
    }

    TRandom& r_;
    const TRefs& refs_;
    TVoucher v_;
};

enum class TKind { Compensation, ExchangeDifference };

// Share of each kind among the everyday vouchers that no source document makes.
const std::pair<TKind, int> kKindWeights[] = {
    {TKind::Compensation, 4},
    {TKind::ExchangeDifference, 1},
};

// The year's salaries, the same for every demo company of a year.
QVector<TDemoSalary> YearSalaries(int year) {
    TRandom r(kSeed + unsigned(year));
    QVector<TDemoSalary> salaries;
    for (int month = 1; month <= 12; ++month) {
        TDemoSalary s;
        s.gross = r.Cents(180000000, 230000000) / 100 * 100;
        s.contributions = Percent(s.gross, 199) / 10;  // 19,9 %
        s.tax = Percent(s.gross - s.contributions, 10);
        s.employer = Percent(s.gross, 1515) / 100;  // 15,15 %
        s.net = s.gross - s.contributions - s.tax;
        salaries << s;
    }
    return salaries;
}

// Vouchers no source document makes: the opening, compensations, exchange differences,
// salaries, the building's depreciation, the monthly VAT settlement and the assignment of
// the statements' lines without partner.
class TGenerator {
public:
    TGenerator(TRandom& random, const TRefs& refs, int detail)
        : r_(random), refs_(refs), b_(random, refs), detail_(detail) {}

    TVoucher Opening(const QDate& date) {
        b_.Start(date, 29, QStringLiteral("Početno stanje"));
        qint64 debit = 0, credit = 0;
        auto d = [&](const char* code, qint64 cents, const QString& text, qint64 id = 0) {
            b_.Debit(code, cents, text, id);
            debit += cents;
        };
        auto c = [&](const char* code, qint64 cents, const QString& text, qint64 id = 0) {
            b_.Credit(code, cents, text, id);
            credit += cents;
        };
        d("0220", 1850000000, QStringLiteral("Poslovna zgrada"));
        const TDemoEquipment equipment = DemoEquipmentAtOpening();
        for (const auto& [code, cents] : equipment.purchase)
            d(code.toLatin1().constData(), cents, QStringLiteral("Oprema"));
        d("0260", equipment.inPreparation, QStringLiteral("Oprema u pripremi"));
        c("0291", 185000000, QStringLiteral("Ispravka vrednosti zgrade"));
        c("0292", equipment.depreciation, QStringLiteral("Ispravka vrednosti opreme"));
        for (qint64 w : refs_.wholesale)
            d("1320", r_.Cents(150000000, 400000000), QStringLiteral("Zaliha robe"), w);
        // Shops keep their goods at retail value with tax; its margin and tax are on 1349.
        for (qint64 w : refs_.retail) {
            const qint64 value = r_.Cents(20000000, 60000000);
            d("1340", value, QStringLiteral("Zaliha robe u prodavnici"), w);
            c("1349", Percent(value, 40), QStringLiteral("Razlika u ceni i ukalkulisani PDV"));
        }
        for (qint64 k : refs_.customers)
            d("2040", r_.Cents(5000000, 90000000), b_.PartnerName(k), k);
        for (qint64 bank : refs_.bankAccounts)
            d("2410", r_.Cents(80000000, 300000000), QStringLiteral("Stanje na računu"), bank);
        if (refs_.euroAccount > 0)
            d("2440", qRound64(kDemoEuroOpening * EuroRate(date)),
              QStringLiteral("Stanje deviznog računa"), refs_.euroAccount);
        d("2430", r_.Cents(5000000, 20000000), QStringLiteral("Stanje blagajne"));
        for (qint64 s : refs_.suppliers)
            c("4350", r_.Cents(4000000, 70000000), b_.PartnerName(s), s);
        c("4220", 500000000, QStringLiteral("Kredit za obrtna sredstva"));
        c("3010", 300000000, QStringLiteral("Osnovni kapital"));
        // Retained earnings close the balance.
        if (debit >= credit)
            c("3400", debit - credit, QStringLiteral("Neraspoređeni dobitak ranijih godina"));
        else
            d("3400", credit - debit, QStringLiteral("Neraspoređeni dobitak ranijih godina"));
        return b_.Take();
    }

    TVoucher Everyday(const QDate& date, TKind kind) {
        return kind == TKind::Compensation ? Compensation(date) : ExchangeDifference(date);
    }

    TKind RandomKind() {
        int total = 0;
        for (const auto& [kind, weight] : kKindWeights)
            total += weight;
        int roll = r_.Int(1, total);
        for (const auto& [kind, weight] : kKindWeights) {
            if (roll <= weight)
                return kind;
            roll -= weight;
        }
        return TKind::Compensation;
    }

    TVoucher Salaries(const QDate& date, const TDemoSalary& s) {
        const QString month = date.toString(QStringLiteral("MM/yyyy"));
        b_.Start(date, 19, QStringLiteral("Obračun zarada za %1").arg(month));
        b_.Debit("5200", s.gross, QStringLiteral("Bruto zarade"));
        b_.Credit("4500", s.net, QStringLiteral("Neto zarade"));
        b_.Credit("4510", s.tax, QStringLiteral("Porez na zarade"));
        b_.Credit("4520", s.contributions, QStringLiteral("Doprinosi na teret zaposlenih"));
        b_.Debit("5210", s.employer, QStringLiteral("Doprinosi na teret poslodavca"));
        b_.Credit("4530", s.employer, QStringLiteral("Doprinosi na teret poslodavca"));
        return b_.Take();
    }

    // The building is depreciated by hand; the equipment too when the fixed-asset module
    // does not.
    TVoucher Depreciation(const QDate& date, bool equipment) {
        b_.Start(
            date, 16,
            QStringLiteral("Amortizacija za %1").arg(date.toString(QStringLiteral("MM/yyyy"))));
        b_.Debit("5400", 7708333, QStringLiteral("Amortizacija zgrade"));
        b_.Credit("0291", 7708333, QStringLiteral("Amortizacija zgrade"));
        if (equipment) {
            b_.Debit("5400", 6833333, QStringLiteral("Amortizacija opreme"));
            b_.Credit("0292", 6833333, QStringLiteral("Amortizacija opreme"));
        }
        return b_.Take();
    }

    // Settles the month's VAT as the documents' vouchers left it on each tax account
    // (debit minus credit, in cents): every balance closed, the difference to pay or to claim.
    TVoucher VatSettlement(const QDate& date, const QHash<QString, qint64>& balances) {
        b_.Start(
            date, 24,
            QStringLiteral("Obračun PDV-a za %1").arg(date.toString(QStringLiteral("MM/yyyy"))));
        qint64 total = 0;
        for (const char* code : kVatAccounts) {
            const qint64 balance = balances.value(QString::fromLatin1(code));
            const QString text = QStringLiteral("Zatvaranje konta %1").arg(QLatin1String(code));
            if (balance > 0)
                b_.Credit(code, balance, text);
            else
                b_.Debit(code, -balance, text);
            total += balance;
        }
        if (total >= 0)
            b_.Debit("2790", total, QStringLiteral("Više plaćen PDV"));
        else
            b_.Credit("4790", -total, QStringLiteral("PDV za uplatu"));
        return b_.Take();
    }

    // The accountant assigns the month's statement lines without partner, which posting
    // left on 2280, to their accounts: salaries and their taxes, fees, interest, travel,
    // entertainment, the revolving credit.
    TVoucher Assignment(const QDate& date, const QMap<QPair<QString, qint64>, qint64>& lines) {
        b_.Start(date, int(refs_.assignType),
                 QStringLiteral("Raspored plaćanja bez partnera za %1")
                     .arg(date.toString(QStringLiteral("MM/yyyy"))));
        qint64 total = 0;
        for (auto it = lines.cbegin(); it != lines.cend(); ++it) {
            const QByteArray code = it.key().first.toLatin1();
            const QString text = QStringLiteral("Raspored sa konta 2280");
            if (it.value() > 0)
                b_.Debit(code.constData(), it.value(), text, it.key().second);
            else
                b_.Credit(code.constData(), -it.value(), text, it.key().second);
            total += it.value();
        }
        if (total > 0)
            b_.Credit("2280", total, QStringLiteral("Raspoređena plaćanja"));
        else
            b_.Debit("2280", -total, QStringLiteral("Raspoređena plaćanja"));
        return b_.Take();
    }

private:
    // Claims and debts of partners set off against each other: one partner's, or among
    // three (a customer's claim assigned to pay a supplier).
    TVoucher Compensation(const QDate& date) {
        QVector<qint64> both;
        for (qint64 k : refs_.customers)
            if (refs_.suppliers.contains(k))
                both << k;
        const bool own = !both.isEmpty() && r_.Chance(60);
        const qint64 customer = own ? r_.Pick(both) : r_.Pick(refs_.customers);
        const qint64 supplier = own ? customer : r_.Pick(refs_.suppliers);
        b_.Start(date, 25, QStringLiteral("Kompenzacija - %1").arg(b_.PartnerName(customer)));
        const int n = r_.Int(1, 4 * detail_);
        qint64 total = 0;
        for (int i = 0; i < n; ++i) {
            const qint64 a = r_.Cents(100000, 20000000);
            b_.Credit("2040", a,
                      QStringLiteral("Kompenzacija po računu %1/%2")
                          .arg(r_.Int(1, 999), 5, 10, QLatin1Char('0'))
                          .arg(date.year() % 100, 2, 10, QLatin1Char('0')),
                      customer);
            total += a;
        }
        // The same sum closes the supplier's invoices, the last one taking the remainder.
        const int m = r_.Int(1, 4 * detail_);
        qint64 left = total;
        for (int i = 0; i < m && left > 0; ++i) {
            const qint64 a = i + 1 == m ? left : std::min(left, r_.Cents(1, total / m + 1));
            b_.Debit("4350", a,
                     QStringLiteral("Kompenzacija po ulaznom računu %1")
                         .arg(r_.Int(1, 9999), 6, 10, QLatin1Char('0')),
                     supplier);
            left -= a;
        }
        return b_.Take();
    }

    TVoucher ExchangeDifference(const QDate& date) {
        const qint64 f = refs_.foreignPartner;
        b_.Start(date, 23, QStringLiteral("Kursne razlike - %1").arg(b_.PartnerName(f)));
        const qint64 a = r_.Cents(10000, 800000);
        if (r_.Chance(50)) {
            b_.Debit("5630", a, QStringLiteral("Negativna kursna razlika"));
            b_.Credit("4360", a, b_.PartnerName(f), f);
        } else {
            b_.Debit("2050", a, b_.PartnerName(f), f);
            b_.Credit("6630", a, QStringLiteral("Pozitivna kursna razlika"));
        }
        return b_.Take();
    }

    TRandom& r_;
    const TRefs& refs_;
    TBuilder b_;
    int detail_;  // a large company's compensations have more items
};

// Collects vouchers and lines and writes them with multi-row inserts.
class TWriter {
public:
    TWriter(TConnection& c, int year, qint64 firstId, qint64 total, const TDemoProgress& progress,
            const TRefs& refs)
        : c_(c), year_(year), nextId_(firstId), total_(total), progress_(progress), refs_(refs) {
        // Posting numbered its vouchers of a type first; these go on from there.
        for (const auto& row : c.Select(QStringLiteral("SELECT precepttypeid, COUNT(*) FROM "
                                                       "precept GROUP BY precepttypeid"))
                                   .rows)
            counters_[row[0].toInt()] = row[1].toInt();
    }

    void Add(const TVoucher& v, bool registered) {
        const qint64 id = nextId_++;
        const int counter = ++counters_[v.type];
        const QString number = QStringLiteral("%1/%2-%3")
                                   .arg(counter, 5, 10, QLatin1Char('0'))
                                   .arg(year_ % 100, 2, 10, QLatin1Char('0'))
                                   .arg(v.type);
        voucherParams_ << id << v.date << v.date << number
                       << (registered ? QStringLiteral("p") : QStringLiteral("n")) << v.type
                       << v.description << -1;
        ++pendingVouchers_;
        int sort = 0;
        for (const TLine& l : v.lines) {
            const bool oldChart = year_ <= 2014;
            const bool newChart = year_ >= 2014;
            lineParams_ << id << ++sort << l.text << double(l.debit) / 100.0
                        << double(l.credit) / 100.0
                        << (oldChart ? QVariant(refs_.accountIds[l.account]) : QVariant())
                        << (newChart ? QVariant(refs_.accountNewIds[l.account]) : QVariant())
                        << (l.foreignId > 0 ? QVariant(l.foreignId) : QVariant());
            if (++pendingLines_ == kLineBatch)
                FlushLines();
        }
        if (pendingVouchers_ == kVoucherBatch)
            FlushVouchers();
    }

    void Finish() {
        FlushVouchers();
        FlushLines();
    }

    qint64 Vouchers() const { return written_; }
    // Vouchers made before this writer's, for the progress count.
    qint64 ProgressOffset = 0;
    qint64 Lines() const { return lines_; }

private:
    static QString Rows(int count, int width) {
        const QString row = QLatin1Char('(') +
                            QStringList(width, QStringLiteral("?")).join(QLatin1Char(',')) +
                            QLatin1Char(')');
        return QStringList(count, row).join(QLatin1Char(','));
    }

    void FlushVouchers() {
        if (pendingVouchers_ == 0)
            return;
        c_.Execute(QStringLiteral("INSERT INTO precept (preceptid, preceptdate, registerdate, "
                                  "number, status, precepttypeid, description, userid) VALUES ") +
                       Rows(pendingVouchers_, 8),
                   voucherParams_);
        written_ += pendingVouchers_;
        pendingVouchers_ = 0;
        voucherParams_.clear();
        if (progress_)
            progress_(ProgressOffset + written_, total_);
    }

    void FlushLines() {
        if (pendingLines_ == 0)
            return;
        c_.Execute(QStringLiteral("INSERT INTO preceptitem (preceptid, sort, description, debit, "
                                  "credit, accountid, accountnewid, foreignid) VALUES ") +
                       Rows(pendingLines_, 8),
                   lineParams_);
        lines_ += pendingLines_;
        pendingLines_ = 0;
        lineParams_.clear();
    }

    TConnection& c_;
    int year_;
    qint64 nextId_;
    qint64 total_;
    const TDemoProgress& progress_;
    const TRefs& refs_;
    QHash<int, int> counters_;
    QVariantList voucherParams_, lineParams_;
    int pendingVouchers_ = 0, pendingLines_ = 0;
    qint64 written_ = 0, lines_ = 0;
};

qint64 Count(TConnection& c, const QString& table) {
    return c
        .SelectValue(
            QStringLiteral("SELECT COUNT(*) FROM %1").arg(TConnection::QuoteIdentifier(table)))
        .toLongLong();
}

void Refuse(TConnection& c) {
    const qint64 vouchers = Count(c, QStringLiteral("precept"));
    if (vouchers > 0)
        throw TError(QStringLiteral("Baza već sadrži naloge (%1); demo preduzeće se pravi samo u "
                                    "praznoj bazi.")
                         .arg(vouchers));
    for (const char* table : {"account", "accountnew", "partner", "product", "warehouse", "tax",
                              "bankaccount", "currency"}) {
        if (Count(c, QString::fromLatin1(table)) > 0)
            throw TError(QStringLiteral("Demo preduzeće se pravi samo u praznoj bazi, a tabela %1 "
                                        "već ima podatke.")
                             .arg(QString::fromLatin1(table)));
    }
}

QString SubType(TSub sub, const QString& tripType) {
    switch (sub) {
        case TSub::None:
            return {};
        case TSub::Partner:
            return QStringLiteral("partner");
        case TSub::Bank:
            return QStringLiteral("bankaccount");
        case TSub::Warehouse:
            return QStringLiteral("warehouse");
        case TSub::Product:
            return QStringLiteral("product");
        case TSub::Trip:
            return tripType;
    }
    return {};
}

// The user type's table is created outside the transaction (DDL commits) and, being
// MyISAM, keeps its rows whatever happens later; a second attempt reuses them.
QVector<TDemoTrip> EnsureTrips(TConnection& c, const QString& table) {
    QStringList known;
    GetSubaccountTypes(&c, known);
    if (!known.contains(kDemoUserSubaccountType) &&
        !CreateSubaccountTable(c, kDemoUserSubaccountType))
        throw TError(QStringLiteral("Tabela tipa analitike \"%1\" ne može da se napravi.")
                         .arg(kDemoUserSubaccountType));
    const QString t = TConnection::QuoteIdentifier(table);
    const QString key = TConnection::QuoteIdentifier(table + QStringLiteral("id"));
    if (Count(c, table) == 0) {
        QStringList rows;
        QVariantList params;
        for (const char* trip : kTrips) {
            rows << QStringLiteral("(?)");
            params << QString::fromUtf8(trip);
        }
        c.Execute(
            QStringLiteral("INSERT INTO %1 (`name`) VALUES ").arg(t) + rows.join(QLatin1Char(',')),
            params);
    }
    QVector<TDemoTrip> trips;
    for (const auto& row :
         c.Select(QStringLiteral("SELECT %1, `name` FROM %2 ORDER BY %1").arg(key, t)).rows)
        trips.append({row.value(0).toLongLong(), row.value(1).toString()});
    return trips;
}

qint64 Insert(TConnection& c, const QString& sql, const QVariantList& params) {
    c.Execute(sql, params);
    return c.LastInsertId();
}

void FillReferenceData(TConnection& c, const QString& tripType, TRefs& refs,
                       TDemoSummary& summary) {
    for (const TDemoAccount& a : kAccounts) {
        const QString type = SubType(a.sub, tripType);
        const QVariant typeValue = type.isEmpty() ? QVariant() : QVariant(type);
        const QString name = QString::fromUtf8(a.name);
        refs.accountNewIds << Insert(c,
                                     QStringLiteral("INSERT INTO accountnew (code, name, type) "
                                                    "VALUES (?, ?, ?)"),
                                     {QString::fromLatin1(a.code), name, typeValue});
        refs.accountIds << Insert(
            c, QStringLiteral("INSERT INTO account (code, name, type) VALUES (?, ?, ?)"),
            {QString::fromLatin1(a.oldCode), name.left(150), typeValue});
    }
    summary.accounts = summary.accountsNew = int(std::size(kAccounts));

    QVector<qint64> taxIds;
    for (const TDemoTax& t : kTaxes)
        taxIds << Insert(c, QStringLiteral("INSERT INTO tax (name, value) VALUES (?, ?)"),
                         {QString::fromUtf8(t.name), t.value});

    int n = 0;
    for (const TDemoPartner& p : kPartners) {
        ++n;
        const QString type = QString::fromUtf8(p.type);
        const qint64 id = Insert(
            c,
            QStringLiteral("INSERT INTO partner (name, partnertype, code, taxnumber, "
                           "registrationnumber, address, city) VALUES (?, ?, ?, ?, ?, ?, ?)"),
            {QString::fromUtf8(p.name), type, QStringLiteral("P%1").arg(n, 3, 10, QLatin1Char('0')),
             QString::number(100000000 + n * 7919137 % 899999999),
             QString::number(20000000 + n * 1234567 % 7999999), QString::fromUtf8(p.address),
             QString::fromUtf8(p.city)});
        refs.partners << id;
        if (refs.partnerNames.size() <= id)
            refs.partnerNames.resize(int(id) + 1);
        refs.partnerNames[int(id)] = QString::fromUtf8(p.name);
        if (type == QLatin1String("Inostrani"))
            refs.foreignPartner = id;
        if (type.startsWith(QLatin1String("Kupac")))
            refs.customers << id;
        if (type.contains(QStringLiteral("obavljač")))
            refs.suppliers << id;
    }
    summary.partners = int(refs.partners.size());

    QVector<qint64> categories;
    for (const char* name : kCategories)
        categories << Insert(c, QStringLiteral("INSERT INTO categorypr (name) VALUES (?)"),
                             {QString::fromUtf8(name)});
    int code = 1001;
    for (const TDemoProduct& p : kProducts) {
        const qint64 id =
            Insert(c,
                   QStringLiteral("INSERT INTO product (name, code, type, unit, "
                                  "taxid, price) VALUES (?, ?, ?, ?, ?, ?)"),
                   {QString::fromUtf8(p.name), QString::number(code++), QString::fromLatin1(p.type),
                    QString::fromUtf8(p.unit), taxIds[p.tax], p.priceCents / 100.0});
        c.Execute(QStringLiteral("INSERT INTO productcategorypr (productid, categoryprid) VALUES "
                                 "(?, ?)"),
                  {id, categories[p.category]});
    }
    summary.products = int(std::size(kProducts));
    for (const char* name : kExpenseNames)
        c.Execute(QStringLiteral("INSERT INTO expense (name) VALUES (?)"),
                  {QString::fromUtf8(name)});

    for (const TDemoWarehouse& w : kWarehouses) {
        const qint64 id = Insert(c,
                                 QStringLiteral("INSERT INTO warehouse (name, code, pricetype, "
                                                "warehousemethodtype) VALUES (?, ?, ?, ?)"),
                                 {QString::fromUtf8(w.name), QString::fromLatin1(w.code),
                                  QString::fromLatin1(w.priceType), QString::fromLatin1(w.method)});
        (QLatin1String(w.priceType) == QLatin1String("v") ? refs.wholesale : refs.retail) << id;
    }

    const QString bankSql = QStringLiteral(
        "INSERT INTO bankaccount (account, bank, partnerid, currency) VALUES (?, ?, ?, ?)");
    refs.bankAccounts << Insert(
        c, bankSql,
        {QStringLiteral("205-0000000123456-78"), QStringLiteral("Srpska razvojna banka a.d."),
         QVariant(), QStringLiteral("RSD")});
    refs.bankAccounts << Insert(
        c, bankSql,
        {QStringLiteral("310-0000000654321-09"), QStringLiteral("Moravska štedna banka a.d."),
         QVariant(), QStringLiteral("RSD")});
    Insert(c, bankSql,
           {QStringLiteral("325-0000000777888-12"), QStringLiteral("Vojvođanska banka a.d."),
            refs.customers.value(0), QStringLiteral("RSD")});
    Insert(c, bankSql,
           {QStringLiteral("170-0000000444555-33"), QStringLiteral("Srpska razvojna banka a.d."),
            refs.suppliers.value(0), QStringLiteral("RSD")});
    refs.euroAccount =
        Insert(c, bankSql,
               {QStringLiteral("205-0000000998877-41"),
                QStringLiteral("Srpska razvojna banka a.d."), QVariant(), QStringLiteral("EUR")});
    // The accountant's own voucher type, after the system's.
    const QString typeNumber =
        c.SelectValue(QStringLiteral("SELECT MAX(precepttypeid) + 1 FROM precepttype")).toString();
    refs.assignType =
        Insert(c, QStringLiteral("INSERT INTO precepttype (name, number) VALUES (?, ?)"),
               {QStringLiteral("Raspored plaćanja"), typeNumber});

    const QString currencySql =
        QStringLiteral("INSERT INTO currency (code, name, status) VALUES (?, ?, ?)");
    Insert(c, currencySql,
           {QStringLiteral("RSD"), QStringLiteral("Srpski dinar"), QStringLiteral("primary")});
    Insert(c, currencySql, {QStringLiteral("EUR"), QStringLiteral("Evro"), QVariant()});
    Insert(c, currencySql, {QStringLiteral("USD"), QStringLiteral("Američki dolar"), QVariant()});
}

// The documents' vouchers, by month and tax account: debit minus credit, in cents.
QHash<int, QHash<QString, qint64>> MonthlyVat(TConnection& c) {
    QStringList marks;
    QVariantList codes;
    for (const char* code : kVatAccounts) {
        marks << QStringLiteral("?");
        codes << QString::fromLatin1(code);
    }
    QHash<int, QHash<QString, qint64>> vat;
    for (const auto& row :
         c.Select(QStringLiteral("SELECT MONTH(p.preceptdate), an.code, ROUND(SUM(pi.debit - "
                                 "pi.credit) * 100) FROM preceptitem AS pi JOIN precept AS p ON "
                                 "p.preceptid = pi.preceptid JOIN accountnew AS an ON "
                                 "an.accountnewid = pi.accountnewid WHERE p.foreigntable = "
                                 "'document' AND an.code IN (%1) GROUP BY 1, 2")
                      .arg(marks.join(QLatin1Char(','))),
                  codes)
             .rows)
        vat[row[0].toInt()][row[1].toString()] = row[2].toLongLong();
    return vat;
}

// A user interface for posting without one: messages to standard error, no progress.
class TQuietUi : public TStdErrUiService {
public:
    TQuietUi() : previous_(&Ui()) { SetUi(this); }
    ~TQuietUi() override { SetUi(previous_); }
    void ProgressStart(const QString&, int) override {}
    bool ProgressStep(int, const QString&) override { return true; }
    void ProgressFinish() override {}

private:
    IUiService* previous_;
};

// Installs the standard rules and posts the waiting source documents of every module up
// to a date, as the list's "Auto" does; returns how many vouchers were made.
qint64 PostSources(TConnection& c, const QDate& to, const std::function<void(qint64)>& step) {
    TQuietUi ui;
    TFinancialDM dm;
    dm.SetZConnection(&c);
    dm.LoadOptions();
    auto bank = std::make_shared<TBankModule>(c);
    dm.BankLookup = [bank] { return bank; };
    TPostingPackage package(dm);
    InstallStandardRules(dm);
    dm.AutoToDate = to;
    qint64 posted = 0;
    package.AutoConter().Execute(false, 0, {}, 0, [&](TPostingRun& run) {
        run.KeepInList = false;
        run.OnPosted = [&](const TPostedPrecept&) { step(++posted); };
    });
    return posted;
}

QVector<QDate> WorkingDays(int year, int month) {
    QVector<QDate> days;
    for (QDate d(year, month, 1); d.month() == month; d = d.addDays(1))
        if (d.dayOfWeek() <= 5)
            days << d;
    return days;
}

// Source documents of a table and those of them with a voucher.
std::pair<int, int> Sources(TConnection& c, const QString& table, const QString& where) {
    const QString key = TConnection::QuoteIdentifier(table + QStringLiteral("id"));
    const auto row =
        c.Select(QStringLiteral("SELECT COUNT(*), COUNT(p.preceptid) FROM %1 AS s LEFT JOIN "
                                "precept AS p ON p.foreigntable = ? AND p.foreignid = s.%2 "
                                "WHERE %3")
                     .arg(TConnection::QuoteIdentifier(table), key, where),
                 {table})
            .rows.value(0);
    return {row.value(0).toInt(), row.value(1).toInt()};
}

}  // namespace

TDemoSummary MakeDemoCompany(TConnection& c, const TDemoOptions& options,
                             const TDemoProgress& progress) {
    if (options.year < 1990 || options.year > 2100)
        throw TError(QStringLiteral("Godina demo preduzeća mora biti između 1990 i 2100."));
    if (options.vouchers < 1)
        throw TError(QStringLiteral("Demo preduzeće mora imati bar jedan nalog."));

    CreateLedgerSchema(c);
    CreateSiblingTables(c);
    Refuse(c);

    const QString tripTable = kSubaccountPrefix + EncodeSubaccStr(kDemoUserSubaccountType);
    TRefs refs;
    refs.tripNames = EnsureTrips(c, tripTable);
    for (const TDemoTrip& t : refs.tripNames)
        refs.trips << t.id;

    TDemoSummary summary;
    const int detail = options.vouchers >= kLargeCompany ? 2 : 1;
    const qint64 rest = options.vouchers - 1;
    // The monthly salaries (paid through the bank), depreciation and the VAT of the posted
    // months, with the assignment of the posted statements' lines without partner, only
    // where they leave room for the rest; the fixed-asset documents and work orders where
    // there is room for them too.
    const bool monthly = rest >= kMonthlyFrom;
    const bool assets = rest >= kAssetsFrom;
    const QDate postedTo(options.year, kPostedMonths, 1);
    const qint64 reserved = (monthly ? 12 * 2 + kPostedMonths * 2 + kForcedStatements : 0) +
                            (assets ? kPostedAssetDocuments + kPostedMonths : 0);
    const qint64 everyday = rest - reserved;
    // Trade comes from documents: about three in four of the everyday vouchers; the bank
    // and the cash box from statements, about one in five. The documents and statements
    // of the posted months become vouchers, the kinds made by hand fill the rest.
    const int documents = int(std::min<qint64>(everyday * 74 / 100, kMaxDocuments));
    const QVector<QDate> year = [&] {
        QVector<QDate> days;
        for (int m = 1; m <= 12; ++m)
            days += WorkingDays(options.year, m);
        return days;
    }();
    TDemoSiblingOptions siblings;
    siblings.year = options.year;
    siblings.statements = int(std::min<qint64>(everyday * 12 / 100, 2 * year.size()));
    siblings.euroStatements = int(std::min<qint64>(everyday * 2 / 100, 52));
    siblings.cashJournals = int(std::min<qint64>(everyday * 6 / 100, year.size()));
    siblings.partnerLines = siblings.statements * kPartnerLines * detail;
    siblings.detail = detail;
    if (monthly)
        siblings.salaries = YearSalaries(options.year);
    siblings.assetsAndProduction = assets;
    siblings.trips = refs.tripNames;
    siblings.seed = kSeed;
    TDemoSiblingSummary made;
    {
        TTransaction tx(c);
        FillReferenceData(c, tripTable, refs, summary);
        TDemoDocumentsOptions d;
        d.documents = documents;
        d.from = QDate(options.year, 1, 1);
        d.to = QDate(options.year, 12, 31);
        d.detail = detail;
        d.seed = kSeed;
        MakeDemoDocuments(c, d);
        made = MakeDemoSiblings(c, siblings);
        TDBIniFile ini(&c);
        ini.WriteInteger(QStringLiteral("Financial"), QStringLiteral("FinancialYear"),
                         options.year);
        // Vouchers of documents take the documents' dates; shops keep stock cards.
        ini.WriteBool(QStringLiteral("Financial"), QStringLiteral("UseDocumentDate"), true);
        ini.WriteBool(QStringLiteral("Financial"), QStringLiteral("UseRelatedEntityDateRegister"),
                      true);
        ini.WriteBool(QStringLiteral("Document"), QStringLiteral("StockCardsForRetail"), true);
        tx.Commit();
    }
    const qint64 posted = PostSources(c, postedTo.addMonths(1).addDays(-1), [&](qint64 done) {
        if (progress)
            progress(done, options.vouchers);
    });
    const QString all = QStringLiteral("1 = 1");
    std::tie(summary.documents, summary.documentsPosted) =
        Sources(c, QStringLiteral("document"), all);
    std::tie(summary.statements, summary.statementsPosted) =
        Sources(c, QStringLiteral("bankstatement"), all);
    std::tie(summary.errands, summary.errandsPosted) = Sources(
        c, QStringLiteral("errand"), QStringLiteral("s.errandtype = 'R' AND s.status = 'z'"));
    std::tie(summary.assetDocuments, summary.assetDocumentsPosted) =
        Sources(c, QStringLiteral("fadocument"), all);

    TTransaction tx(c);
    // The posted vouchers are registered up to the month before the last one posted, as
    // in a ledger still being worked on.
    c.Execute(QStringLiteral("UPDATE precept SET status = 'p' WHERE foreigntable IS NOT NULL "
                             "AND preceptdate < ?"),
              {postedTo});
    const QHash<int, QHash<QString, qint64>> vat = MonthlyVat(c);

    TRandom random(kSeed);
    TGenerator gen(random, refs, detail);
    const qint64 firstId =
        c.SelectValue(QStringLiteral("SELECT COALESCE(MAX(preceptid), 0) + 1 FROM precept"))
            .toLongLong();
    TWriter writer(c, options.year, firstId, options.vouchers, progress, refs);
    writer.ProgressOffset = posted;
    // About one in five vouchers stays unregistered, as in a ledger still being worked on.
    auto add = [&](const TVoucher& v, bool alwaysRegistered = false) {
        writer.Add(v, alwaysRegistered || random.Int(1, 100) <= 80);
    };

    add(gen.Opening(QDate(options.year, 1, 1)), true);
    // What posting left on 2280 is assigned month by month, for the posted months.
    int assignments = 0;
    if (monthly)
        for (int month = 1; month <= kPostedMonths; ++month)
            if (!made.unassigned.value(month).isEmpty())
                ++assignments;
    const qint64 synthetic = rest - posted - (monthly ? 12 * 2 + kPostedMonths : 0) - assignments;
    qint64 placed = 0;
    for (int month = 1; month <= 12; ++month) {
        const qint64 count = synthetic * month / 12 - placed;
        placed += count;
        const QVector<QDate> days = WorkingDays(options.year, month);
        QVector<QDate> dates;
        for (qint64 i = 0; i < count; ++i)
            dates << random.Pick(days);
        std::sort(dates.begin(), dates.end());
        for (qint64 i = 0; i < count; ++i)
            add(gen.Everyday(dates[int(i)], gen.RandomKind()));
        if (monthly) {
            const QDate last = days.last();
            add(gen.Salaries(last, siblings.salaries[month - 1]));
            add(gen.Depreciation(last, !assets));
            if (month <= kPostedMonths) {
                add(gen.VatSettlement(last, vat.value(month)));
                if (!made.unassigned.value(month).isEmpty())
                    add(gen.Assignment(last, made.unassigned.value(month)));
            }
        }
    }
    writer.Finish();
    tx.Commit();
    summary.vouchers = posted + writer.Vouchers();
    summary.lines =
        writer.Lines() + c.SelectValue(QStringLiteral("SELECT COUNT(*) FROM preceptitem AS pi JOIN "
                                                      "precept AS p ON p.preceptid = pi.preceptid "
                                                      "WHERE p.foreigntable IS NOT NULL"))
                             .toLongLong();
    return summary;
}

}  // namespace fin
