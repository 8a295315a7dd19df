#include "reports/statements.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <QXmlStreamWriter>
#include <cmath>
#include <functional>
#include <set>

#include "host/common/textformat.h"
#include "host/data/dataset.h"
#include "ledger/financialoptions.h"
#include "reports/balanceplan.h"

namespace fin {

namespace {

// A bracketed term: the signed codes summed, divided and rounded as one.
struct TTerm {
    int sign = 1;
    QVector<QPair<int, QString>> codes;  // sign, account-code prefix
};
using TTerms = QVector<TTerm>;

// "[04] - [047]", "[020 + 021 + 0290]", "[23 - 237]": terms joined by + and -, each a
// bracket of codes joined by + and -.
TTerms ParseTerms(const QString& text) {
    TTerms terms;
    int sign = 1;
    int at = 0;
    while (at < text.size()) {
        const QChar c = text[at];
        if (c == QLatin1Char('-'))
            sign = -1;
        else if (c == QLatin1Char('+'))
            sign = 1;
        else if (c == QLatin1Char('[')) {
            const int end = text.indexOf(QLatin1Char(']'), at);
            Q_ASSERT(end > at);
            TTerm term{sign, {}};
            int codeSign = 1;
            for (const QString& part :
                 text.mid(at + 1, end - at - 1).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
                if (part == QLatin1String("+"))
                    codeSign = 1;
                else if (part == QLatin1String("-"))
                    codeSign = -1;
                else
                    term.codes.append({codeSign, part});
            }
            terms.append(term);
            sign = 1;
            at = end;
        }
        ++at;
    }
    return terms;
}

using TTermTable = QHash<int, TTerms>;

TTermTable Parsed(std::initializer_list<std::pair<int, const char*>> rows) {
    TTermTable table;
    for (const auto& [index, text] : rows)
        table.insert(index, ParseTerms(QString::fromLatin1(text)));
    return table;
}

// The accounts that feed the positions of the new balance sheet.
const TTermTable& NewBalanceSheetTerms() {
    static const TTermTable t = Parsed({
        {1, "[00]"},
        {3, "[01]"},
        {4, "[010]"},
        {5, "[011 + 012]"},
        {6, "[013]"},
        {7, "[014]"},
        {8, "[015]"},
        {9, "[016]"},
        {10, "[02]"},
        {11, "[020 + 021 + 0290 + 0291]"},
        {12, "[022 + 0292]"},
        {13, "[023 + 0293]"},
        {14, "[024 + 0294]"},
        {15, "[025 + 0295]"},
        {16, "[026 + 0296]"},
        {17, "[027 + 0297]"},
        {18, "[028]"},
        {19, "[03]"},
        {20, "[030 + 031 + 03900 + 03901 + 03910]"},
        {21, "[032 + 03902 + 03912]"},
        {22, "[037 + 03913]"},
        {23, "[038 + 03914]"},
        {24, "[04] - [047]"},
        {25, "[040 + 0490]"},
        {26, "[041 + 0491]"},
        {27, "[042 + 0492]"},
        {28,
         "[04300 + 04301 + 04310 + 04311 + 04320 + 04321 + 04330 + 04331 + 04400 + 04401 + "
         "04410 + 04411 + 04420 + 04421 + 04430 + 04431 + 04930 + 04931]"},
        {29, "[04302 + 04312 + 04322 + 04332 + 04402 + 04412 + 04422 + 04432 + 04932]"},
        {30, "[0450 + 0451 + 0452 + 0453 + 0454 + 0494]"},
        {31, "[0455 + 0456 + 0495]"},
        {32, "[046 + 0496]"},
        {33, "[048 + 0497]"},
        {34, "[05]"},
        {35, "[050 + 0590 + 0591]"},
        {36, "[051 + 0592]"},
        {37, "[052 + 0593]"},
        {38, "[053]"},
        {39, "[054]"},
        {40, "[055]"},
        {41, "[056]"},
        {42, "[288]"},
        {44, "[1]"},
        {45, "[10]"},
        {46, "[11]"},
        {47, "[12]"},
        {48, "[13]"},
        {49, "[14]"},
        {50, "[15]"},
        {51, "[20]"},
        {52, "[200 + 2090 + 20920 + 20921]"},
        {53, "[201]"},
        {54, "[202 + 2091 + 20922]"},
        {55, "[203]"},
        {56, "[204 + 2093 + 2094]"},
        {57, "[205 + 2095 + 2096]"},
        {58, "[206]"},
        {59, "[21]"},
        {60, "[22]"},
        {61, "[236]"},
        {62, "[23] - [236] - [237]"},
        {63, "[230 + 2390]"},
        {64, "[231 + 2391]"},
        {65, "[232 + 2392]"},
        {66, "[233 + 2393]"},
        {67, "[234 + 235 + 238 + 2394 + 2395 + 2396 + 2399]"},
        {68, "[24]"},
        {69, "[27]"},
        {70, "[28] - [288]"},
        {72, "[88]"},
        {402, "[30]"},
        {403, "[300]"},
        {404, "[301]"},
        {405, "[302]"},
        {406, "[303]"},
        {407, "[304]"},
        {408, "[305]"},
        {409, "[306]"},
        {410, "[309]"},
        {411, "[31]"},
        {412, "[047 + 237]"},
        {413, "[32]"},
        {414, "[330]"},
        {417, "[34]"},
        {418, "[340]"},
        {419, "[341]"},
        {421, "[35]"},
        {422, "[350]"},
        {423, "[351]"},
        {425, "[40]"},
        {426, "[400]"},
        {427, "[401]"},
        {428, "[403]"},
        {429, "[404]"},
        {430, "[405]"},
        {431, "[402] + [409]"},
        {432, "[41]"},
        {433, "[410]"},
        {434, "[411]"},
        {435, "[412]"},
        {436, "[413]"},
        {437, "[414]"},
        {438, "[415]"},
        {439, "[416]"},
        {440, "[419]"},
        {441, "[498]"},
        {442, "[4] - [40] - [41] - [498]"},
        {443, "[42]"},
        {444, "[420]"},
        {445, "[421]"},
        {446, "[422]"},
        {447, "[423]"},
        {448, "[427]"},
        {449, "[424 + 425 + 426 + 429]"},
        {450, "[430]"},
        {451, "[43] - [430]"},
        {452, "[431]"},
        {453, "[432]"},
        {454, "[433]"},
        {455, "[434]"},
        {456, "[435]"},
        {457, "[436]"},
        {458, "[439]"},
        {459, "[44 + 45 + 46]"},
        {460, "[47]"},
        {461, "[48]"},
        {462, "[49] - [498]"},
        {465, "[89]"},
    });
    return t;
}

// The new income statement: every code is a term of its own.
const TTermTable& NewIncomeStatementTerms() {
    static const TTermTable t = Parsed({
        {1003, "[600]"},
        {1004, "[601]"},
        {1005, "[602]"},
        {1006, "[603]"},
        {1007, "[604]"},
        {1008, "[605]"},
        {1010, "[610]"},
        {1011, "[611]"},
        {1012, "[612]"},
        {1013, "[613]"},
        {1014, "[614]"},
        {1015, "[615]"},
        {1016, "[64]"},
        {1017, "[65]"},
        {1019, "[50]"},
        {1020, "[62]"},
        {1021, "[630]"},
        {1022, "[631]"},
        {1023, "[51] - [513]"},
        {1024, "[513]"},
        {1025, "[52]"},
        {1026, "[53]"},
        {1027, "[540]"},
        {1028, "[54] - [540]"},
        {1029, "[55]"},
        {1034, "[660]"},
        {1035, "[661]"},
        {1036, "[665]"},
        {1037, "[669]"},
        {1038, "[662]"},
        {1039, "[663] + [664]"},
        {1042, "[560]"},
        {1043, "[561]"},
        {1044, "[565]"},
        {1045, "[566] + [569]"},
        {1046, "[562]"},
        {1047, "[563] + [564]"},
        {1050, "[683] + [685]"},
        {1051, "[583] + [585]"},
        {1052, "[67] + [68] - [683] - [685]"},
        {1053, "[57] + [58] - [583] - [585]"},
        {1056, "[69] - [59]"},
        {1061, "[7220]"},
        {1062, "[7221]"},
        {1063, "[723]"},
    });
    return t;
}

const TTermTable& OldBalanceSheetTerms() {
    static const TTermTable t = Parsed({
        {2, "[00]"},
        {3, "[012]"},
        {4, "[01] - [012]"},
        {5, "[02]"},
        {6, "[02] - [024 + 0274] - [021 + 025 + 0270 + 0271 + 0275]"},
        {7, "[024 + 0274]"},
        {8, "[021 + 025 + 0270 + 0271 + 0275]"},
        {10, "[030 + 031 + 032 + 0390 + 0391 + 0392]"},
        {11, "[033 + 034 + 035 + 036 + 038 + 0393 + 0394 + 0395 + 0396 + 0397]"},
        {13, "[10 + 11 + 12 + 13 + 15]"},
        {14, "[14]"},
        {16, "[20 + 21 + 22] - [223]"},
        {17, "[223]"},
        {18, "[23 - 237]"},
        {19, "[24]"},
        {20, "[27 + 28] - [288]"},
        {21, "[288]"},
        {23, "[29]"},
        {25, "[88]"},
        {102, "[30]"},
        {103, "[31]"},
        {104, "[32]"},
        {105, "[330 + 331]"},
        {106, "[332]"},
        {107, "[333]"},
        {108, "[34]"},
        {109, "[35]"},
        {110, "[037 + 237]"},
        {112, "[40]"},
        {113, "[41]"},
        {114, "[414 + 415]"},
        {115, "[41] - [414 + 415]"},
        {117, "[42] - [427]"},
        {118, "[427]"},
        {119, "[43 + 44]"},
        {120, "[45 + 46]"},
        {121, "[47 + 48 + 49] - [481] - [498]"},
        {122, "[481]"},
        {123, "[498]"},
        {125, "[89]"},
    });
    return t;
}

const TTermTable& OldIncomeStatementTerms() {
    static const TTermTable t = Parsed({
        {202, "[60 + 61]"},
        {203, "[62]"},
        {204, "[630]"},
        {205, "[631]"},
        {206, "[64 + 65]"},
        {208, "[50]"},
        {209, "[51]"},
        {210, "[52]"},
        {211, "[54]"},
        {212, "[53 + 55]"},
        {215, "[66]"},
        {216, "[56]"},
        {217, "[67 + 68]"},
        {218, "[57 + 58]"},
        {221, "[69 - 699] - [59 - 599]"},
        {228, "[723]"},
    });
    return t;
}

// A position's value and the raw difference of a profit/loss pair before it is split.
using TValues = QHash<int, qint64>;

// Evaluates one column of a statement: terms from account amounts, then the positions
// computed from others, with the rules of each form plugged in.
class TEvaluator {
public:
    using TAmount = std::function<qint64(const QString& code, int position)>;  // cents, signed
    using TSpecial = std::function<std::optional<qint64>(int position)>;

    TEvaluator(TStatementForm form, const TTermTable& terms, qint64 divisor, bool absoluteTerms,
               TAmount amount)
        : form_(form),
          terms_(terms),
          divisor_(divisor),
          absoluteTerms_(absoluteTerms),
          amount_(std::move(amount)) {}

    void SetPairs(QVector<QPair<int, int>> pairs) {
        for (const auto& [profit, loss] : pairs) {
            profitOf_.insert(loss, profit);
            pairProfits_.insert(profit);
        }
    }
    void SetSpecial(TSpecial special) { special_ = std::move(special); }
    void SetBlank(QSet<int> blank) { blank_ = std::move(blank); }
    // A value fixed from outside (the 019 walk).
    void Set(int position, qint64 value) { values_.insert(position, value); }

    // One rounded term: the signed codes summed, divided, rounded half to even.
    qint64 Term(const TTerm& term, int position) const {
        qint64 cents = 0;
        for (const auto& [sign, code] : term.codes)
            cents += sign * amount_(code, position);
        if (absoluteTerms_)
            cents = std::llabs(cents);
        return term.sign * DivideHalfEven(cents, divisor_ * 100);
    }
    qint64 TermOf(const QString& code, int position) const {
        return Term(TTerm{1, {{1, code}}}, position);
    }

    // The position's value; empty for those the form leaves blank.
    std::optional<qint64> Value(int position) {
        if (blank_.contains(position))
            return std::nullopt;
        if (auto it = values_.constFind(position); it != values_.cend())
            return *it;
        if (auto profit = profitOf_.constFind(position); profit != profitOf_.cend()) {
            const auto raw = Raw(*profit);
            return Store(position, raw ? std::max<qint64>(-*raw, 0) : 0);
        }
        const auto raw = Raw(position);
        if (!raw)
            return std::nullopt;
        return Store(position, pairProfits_.contains(position) ? std::max<qint64>(*raw, 0) : *raw);
    }
    qint64 ValueOr0(int position) { return Value(position).value_or(0); }

    // Unsplit: the terms, a special rule, or the formula the description prints.
    std::optional<qint64> Raw(int position) {
        if (auto it = raw_.constFind(position); it != raw_.cend())
            return *it;
        if (!visiting_.insert(position).second)
            qFatal("Pozicija %d izračunava samu sebe.", position);
        std::optional<qint64> raw;
        if (auto t = terms_.constFind(position); t != terms_.cend()) {
            qint64 sum = 0;
            for (const TTerm& term : *t)
                sum += Term(term, position);
            raw = sum;
        } else if (special_) {
            raw = special_(position);
        }
        if (const TPosition* p = FindPosition(form_, position); !raw && p) {
            const auto formula = PositionFormula(p->description);
            if (!formula.isEmpty()) {
                qint64 sum = 0;
                for (const auto& [member, sign] : formula)
                    sum += sign * ValueOr0(member);
                raw = sum;
            }
        }
        visiting_.erase(position);
        if (raw)
            raw_.insert(position, *raw);
        return raw;
    }

private:
    qint64 Store(int position, qint64 value) {
        values_.insert(position, value);
        return value;
    }

    TStatementForm form_;
    const TTermTable& terms_;
    qint64 divisor_;
    bool absoluteTerms_;
    TAmount amount_;
    TSpecial special_;
    QSet<int> blank_;
    QHash<int, int> profitOf_;
    std::set<int> pairProfits_;
    std::set<int> visiting_;
    TValues values_, raw_;
};

qint64 Cents(double amount) {
    return std::llround(amount * 100);
}

TStatementRows RowsOf(TStatementForm form) {
    TStatementRows rows;
    for (const TPosition& p : Positions(form))
        rows.append({p, std::nullopt, std::nullopt});
    return rows;
}

}  // namespace

qint64 DivideHalfEven(qint64 numerator, qint64 denominator) {
    if (denominator < 0) {
        numerator = -numerator;
        denominator = -denominator;
    }
    qint64 q = numerator / denominator;
    const qint64 r = numerator % denominator;  // same sign as the numerator
    const qint64 twice = 2 * std::llabs(r);
    if (twice > denominator || (twice == denominator && q % 2 != 0))
        q += numerator < 0 ? -1 : 1;
    return q;
}

TStatementOptions TStatementOptions::FromSettings(const TDBIniFile& settings, int financialYear,
                                                  bool thousands) {
    TStatementOptions o;
    o.thousands = thousands;
    o.showBalance721 =
        settings.ReadBool(kFinancialSection, QStringLiteral("ShowBalance721"), false);
    o.autoCalculateIncomeTax =
        settings.ReadBool(kFinancialSection, QStringLiteral("AutoCalculateIncomeTax"), false);
    o.financialYear = financialYear;
    return o;
}

TStatements::TStatements(TConnection& c, const QDate& from, const QDate& to,
                         const TStatementOptions& options)
    : connection_(c), from_(from), to_(to), options_(options) {}

const TLedgerPass& TStatements::Pass(TChart chart) {
    auto& pass = chart == TChart::New ? newPass_ : oldPass_;
    if (!pass)
        pass.emplace(connection_, chart, from_, to_);
    return *pass;
}

// ---- New balance sheet ---------------------------------------------------------------------

TStatementRows TStatements::BalanceSheet() {
    const TLedgerPass& pass = Pass(TChart::New);
    const qint64 divisor = options_.thousands ? 1000 : 1;
    auto column = [&](bool previous) {
        auto amount = [&pass, previous](const QString& code, int position) {
            const TBalanceSums s = pass.Prefix(code);
            const qint64 cents =
                previous ? Cents(s.openDebit - s.openCredit) : Cents(s.debit - s.credit);
            // Liabilities are shown credit less debit, but for the two that subtract from
            // capital: there a debit balance shows positive.
            const bool liability = position >= 400 && position != 412 && position != 421;
            return liability ? -cents : cents;
        };
        TEvaluator e(TStatementForm::BalanceSheet, NewBalanceSheetTerms(), divisor, false, amount);
        // The correction of intangible assets goes whole to the first of 0004 to 0008 that
        // stays at least 1 with it, else to 0009.
        const qint64 correction = e.TermOf(QStringLiteral("019"), 4);
        int target = 9;
        for (int p = 4; p <= 8; ++p)
            if (e.ValueOr0(p) + correction >= 1) {
                target = p;
                break;
            }
        e.Set(target, e.ValueOr0(target) + correction);

        const qint64 t33 = e.TermOf(QStringLiteral("33"), 400);
        const qint64 t330 = e.TermOf(QStringLiteral("330"), 400);
        const qint64 t4 = e.TermOf(QStringLiteral("4"), 400);
        auto capital = [&] {
            return e.ValueOr0(402) + e.ValueOr0(411) - e.ValueOr0(412) + e.ValueOr0(413) + t33 +
                   e.ValueOr0(417) - e.ValueOr0(421);
        };
        e.SetBlank({420});
        e.SetSpecial([&](int p) -> std::optional<qint64> {
            switch (p) {
                case 401: {
                    const qint64 k = capital();
                    return k >= 0 ? k : e.ValueOr0(71) - t4;
                }
                case 415:
                    return std::max<qint64>(t33 - t330, 0);
                case 416:
                    return std::max<qint64>(t330 - t33, 0);
                case 463: {
                    const qint64 k = capital();
                    return std::max<qint64>(k < 0 ? -k : t4 - e.ValueOr0(71), 0);
                }
                case 464:
                    return e.ValueOr0(401) + t4 - e.ValueOr0(463);
                default:
                    return std::nullopt;
            }
        });
        QHash<int, std::optional<qint64>> values;
        for (const TPosition& p : Positions(TStatementForm::BalanceSheet))
            values.insert(p.index, e.Value(p.index));
        return values;
    };
    const auto current = column(false);
    const auto previous = column(true);
    TStatementRows rows = RowsOf(TStatementForm::BalanceSheet);
    for (TStatementRow& r : rows) {
        r.value = current.value(r.position.index);
        r.prevValue = previous.value(r.position.index);
    }
    return rows;
}

// ---- New income statement ------------------------------------------------------------------

namespace {

bool IsIncomeCode(const QString& code) {
    return code.startsWith(QLatin1Char('6')) || code == QLatin1String("7220") ||
           code == QLatin1String("7221") || code == QLatin1String("723");
}

// The income tax on a profit before tax that is not negative, rounded half to even.
qint64 IncomeTax(qint64 profitBeforeTax, int percent) {
    return profitBeforeTax >= 0 ? DivideHalfEven(profitBeforeTax * percent, 100) : 0;
}

}  // namespace

TStatementRows TStatements::IncomeStatement() {
    const TLedgerPass& pass = Pass(TChart::New);
    const qint64 divisor = options_.thousands ? 1000 : 1;
    auto amount = [&pass](const QString& code, int) {
        const TBalanceSums s = pass.Prefix(code);
        const qint64 cents = Cents(s.debit - s.credit);
        return IsIncomeCode(code) ? std::llabs(cents) : cents;
    };
    TEvaluator e(TStatementForm::IncomeStatement, NewIncomeStatementTerms(), divisor, false,
                 amount);
    e.SetPairs(
        {{1030, 1031}, {1048, 1049}, {1054, 1055}, {1056, 1057}, {1058, 1059}, {1064, 1065}});
    e.SetBlank({1066, 1067, 1068, 1069, 1070, 1071});
    e.SetSpecial([&](int p) -> std::optional<qint64> {
        if (p != 1060)
            return std::nullopt;
        const TBalanceSums s = pass.Prefix(QStringLiteral("721"));
        const qint64 cents = options_.showBalance721 ? std::llabs(Cents(s.debit - s.credit))
                                                     : std::llabs(Cents(s.credit));
        qint64 tax = DivideHalfEven(cents, divisor * 100);
        if (options_.autoCalculateIncomeTax)
            tax += IncomeTax(e.Raw(1058).value_or(0), 15);
        return tax;
    });
    TStatementRows rows = RowsOf(TStatementForm::IncomeStatement);
    for (TStatementRow& r : rows)
        r.value = e.Value(r.position.index);
    return rows;
}

// ---- Old statements ------------------------------------------------------------------------

TStatementRows TStatements::OldBalanceSheet() {
    const TLedgerPass& pass = Pass(TChart::Old);
    const qint64 divisor = options_.thousands ? 1000 : 1;
    auto amount = [&pass](const QString& code, int position) {
        const TBalanceSums s = pass.Prefix(code);
        const qint64 cents = Cents(s.debit - s.credit);
        // Every liability is credit less debit, the loss (109) and own shares (110) too: they
        // show negative and the capital adds them.
        return position >= 100 ? -cents : cents;
    };
    TEvaluator e(TStatementForm::OldBalanceSheet, OldBalanceSheetTerms(), divisor, false, amount);
    TStatementRows rows = RowsOf(TStatementForm::OldBalanceSheet);
    for (TStatementRow& r : rows)
        r.value = e.Value(r.position.index);
    return rows;
}

TStatementRows TStatements::OldIncomeStatement() {
    const TLedgerPass& pass = Pass(TChart::Old);
    const qint64 divisor = options_.thousands ? 1000 : 1;
    auto amount = [&pass](const QString& code, int) {
        const TBalanceSums s = pass.Prefix(code);
        return Cents(s.debit - s.credit);
    };
    TEvaluator e(TStatementForm::OldIncomeStatement, OldIncomeStatementTerms(), divisor, true,
                 amount);
    e.SetPairs({{213, 214}, {219, 220}, {221, 222}, {223, 224}, {229, 230}});
    e.SetBlank({231, 232, 233, 234});
    const qint64 deferred = DivideHalfEven(amount(QStringLiteral("722"), 0), divisor * 100);
    e.SetSpecial([&](int p) -> std::optional<qint64> {
        switch (p) {
            case 225: {
                qint64 tax = e.TermOf(QStringLiteral("721"), p);
                if (options_.autoCalculateIncomeTax)
                    tax += IncomeTax(std::max<qint64>(e.Raw(223).value_or(0), 0),
                                     options_.financialYear <= 2012 ? 10 : 15);
                return tax;
            }
            // A debit balance of 722 is a deferred tax expense, a credit one a deferred
            // tax income.
            case 226:
                return std::max<qint64>(deferred, 0);
            case 227:
                return std::max<qint64>(-deferred, 0);
            default:
                return std::nullopt;
        }
    });
    TStatementRows rows = RowsOf(TStatementForm::OldIncomeStatement);
    for (TStatementRow& r : rows)
        r.value = e.Value(r.position.index);
    return rows;
}

TStatementRows TStatements::Of(TStatementForm form) {
    switch (form) {
        case TStatementForm::BalanceSheet:
            return BalanceSheet();
        case TStatementForm::IncomeStatement:
            return IncomeStatement();
        case TStatementForm::OldBalanceSheet:
            return OldBalanceSheet();
        case TStatementForm::OldIncomeStatement:
            return OldIncomeStatement();
        case TStatementForm::CashFlow:
            return CashFlow();
        case TStatementForm::StatisticalAnnex:
            return StatisticalAnnex();
    }
    return {};
}

// ---- Forms without values ------------------------------------------------------------------

TStatementRows CashFlow() {
    return RowsOf(TStatementForm::CashFlow);
}

TStatementRows StatisticalAnnex() {
    return RowsOf(TStatementForm::StatisticalAnnex);
}

QString CheckStatementPeriod(const QDate& from, const QDate& to) {
    if (QString error = CheckBalancePeriod(from, to); !error.isEmpty())
        return error;
    if (from.year() != to.year())
        return QStringLiteral(
                   "Bilansi se sastavljaju za jednu poslovnu godinu: period od %1 do %2 "
                   "prelazi u drugu godinu.")
            .arg(DateToText(from), DateToText(to));
    return {};
}

int AnnexMonths(const QDate& from, const QDate& to) {
    if (!from.isValid() || !to.isValid() || to < from)
        return 0;
    const int months = (to.year() - from.year()) * 12 + to.month() - from.month() + 1;
    return std::clamp(months, 1, 12);
}

// ---- Tables --------------------------------------------------------------------------------

void DeclareStatementTable(TDataSet& t, TStatementForm form) {
    if (t.FieldCount() > 0)
        return;
    const bool old =
        form == TStatementForm::OldBalanceSheet || form == TStatementForm::OldIncomeStatement;
    auto text = [&](const char* name, int size, const char* label) -> TField& {
        return t.AddField(QString::fromLatin1(name), TFieldType::String, size,
                          QString::fromUtf8(label));
    };
    auto integer = [&](const char* name, const char* label) -> TField& {
        TField& f =
            t.AddField(QString::fromLatin1(name), TFieldType::Integer, 0, QString::fromUtf8(label));
        f.SetDisplayFormat(QStringLiteral("#,##0"));
        return f;
    };
    integer("Index", "AOP").SetDisplayFormat(old ? QStringLiteral("000") : QStringLiteral("0000"));
    text("Description", old ? 100 : 150, "Pozicija");
    switch (form) {
        case TStatementForm::CashFlow:
            text("Group", 100, "");
            integer("Value", "Vrednost (tekuća godina)");
            integer("PrevValue", "Vrednost (prethodna godina)");
            break;
        case TStatementForm::StatisticalAnnex:
            text("AccountGroup", 100, "Grupa konta, konto");
            text("Group", 150, "");
            for (const char* caption :
                 {"CaptionAccountGroup", "CaptionValue", "CaptionPrevValue", "CaptionGrossValue",
                  "CaptionCorrectionValue", "CaptionNetValue"})
                text(caption, 50, "").SetVisible(false);
            integer("Value", "Vrednost (tekuća godina)");
            integer("PrevValue", "Vrednost (prethodna godina)");
            integer("GrossValue", "Bruto");
            integer("CorrectionValue", "Ispravka vrednosti");
            integer("NetValue", "Neto");
            break;
        default:
            text("AccountGroup", form == TStatementForm::OldIncomeStatement ? 20 : 50,
                 "Grupa konta, konto");
            text("Group", form == TStatementForm::OldBalanceSheet ? 50 : 100, "");
            integer("Value", "Vrednost (tekuća godina)");
            integer("PrevValue", "Vrednost (prethodna godina)");
            if (form == TStatementForm::BalanceSheet)
                integer("PrevStartValue", "Vrednost (poč. pret. godine)");
            break;
    }
    t.FieldByName(QStringLiteral("Group")).SetVisible(false);
    t.SetReadOnly(true);
}

void FillStatementTable(TDataSet& t, const TStatementRows& rows) {
    TRefill refill(t);
    auto set = [&t](const char* name, const QVariant& value) {
        if (TField* f = t.FindField(QString::fromLatin1(name)))
            f->SetValue(value);
    };
    auto number = [](const std::optional<qint64>& v) { return v ? QVariant(*v) : QVariant(); };
    for (const TStatementRow& r : rows) {
        const TPosition& p = r.position;
        t.Append();
        set("Index", p.index);
        set("Description", p.description);
        set("AccountGroup", p.accountGroup);
        set("Group", p.group);
        set("CaptionAccountGroup", p.captionAccountGroup);
        set("CaptionValue", p.captionValue);
        set("CaptionPrevValue", p.captionPrevValue);
        set("CaptionGrossValue", p.captionGrossValue);
        set("CaptionCorrectionValue", p.captionCorrectionValue);
        set("CaptionNetValue", p.captionNetValue);
        set("Value", number(r.value));
        set("PrevValue", number(r.prevValue));
        t.Post();
    }
    t.First();
}

// ---- Electronic filing ---------------------------------------------------------------------

namespace {

const QString kFormModelKey = QStringLiteral("XmlFormModelNamespace");
const QString kFormDefinitionKey = QStringLiteral("XmlFormDefinitionNamespace");

}  // namespace

TFilingNamespaces TFilingNamespaces::FromSettings(const TDBIniFile& settings) {
    auto read = [&](const QString& key) {
        const TOptionKey* k = FindOptionKey(kFinancialSection, key);
        Q_ASSERT(k);
        return settings.ReadString(kFinancialSection, key, k->defaultValue);
    };
    return {read(kFormModelKey), read(kFormDefinitionKey)};
}

QString StatementXml(TStatementForm form, const TStatementRows& rows, const TFilingNamespaces& ns) {
    Q_ASSERT(form == TStatementForm::BalanceSheet || form == TStatementForm::IncomeStatement);
    const bool balanceSheet = form == TStatementForm::BalanceSheet;
    QString text;
    QXmlStreamWriter w(&text);
    w.setAutoFormatting(false);
    w.writeDefaultNamespace(ns.formModel);
    w.writeNamespace(QStringLiteral("http://www.w3.org/2001/XMLSchema-instance"),
                     QStringLiteral("i"));
    w.writeStartElement(ns.formModel, QStringLiteral("FiForma"));
    w.writeTextElement(
        ns.formModel, QStringLiteral("Naziv"),
        balanceSheet ? QStringLiteral("Bilans stanja") : QStringLiteral("Bilans uspeha"));
    auto aop = [](const TStatementRow& r, int column) {
        return QStringLiteral("aop-%1-%2")
            .arg(r.position.index, 4, 10, QLatin1Char('0'))
            .arg(column);
    };
    w.writeStartElement(ns.formModel, QStringLiteral("NumerickaPoljaForme"));
    w.writeNamespace(ns.formDefinition, QStringLiteral("a"));
    auto numeric = [&](const TStatementRow& r, int column, qint64 value) {
        w.writeStartElement(ns.formDefinition, QStringLiteral("NumerickoPolje"));
        w.writeTextElement(ns.formDefinition, QStringLiteral("Naziv"), aop(r, column));
        w.writeTextElement(ns.formDefinition, QStringLiteral("Vrednosti"), QString::number(value));
        w.writeEndElement();
    };
    for (const TStatementRow& r : rows) {
        numeric(r, 5, r.value.value_or(0));
        numeric(r, 6, balanceSheet ? r.prevValue.value_or(0) : 0);
        if (balanceSheet)
            numeric(r, 7, 0);
    }
    w.writeEndElement();
    w.writeCharacters(QStringLiteral(" "));
    w.writeStartElement(ns.formModel, QStringLiteral("TekstualnaPoljaForme"));
    for (const TStatementRow& r : rows) {
        w.writeStartElement(ns.formModel, QStringLiteral("TekstualnoPolje"));
        w.writeTextElement(ns.formModel, QStringLiteral("Naziv"), aop(r, 4));
        w.writeTextElement(ns.formModel, QStringLiteral("Vrednosti"), QString());
        w.writeEndElement();
    }
    w.writeEndElement();
    w.writeEndElement();
    return text;
}

QString ProposedXmlFileName(TStatementForm form, const QDateTime& now) {
    return (form == TStatementForm::BalanceSheet ? QStringLiteral("aprBS_")
                                                 : QStringLiteral("aprBU_")) +
           now.toString(QStringLiteral("yyyyMMddHHmmss")) + QStringLiteral(".xml");
}

QString WriteStatementXml(const QString& path, const QString& document) {
    const QString shown = QDir::toNativeSeparators(path);
    if (QFileInfo(path).isDir())
        return QStringLiteral("„%1“ je fascikla, a ne datoteka.").arg(shown);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("Datoteka „%1“ ne može da se otvori za upis: %2")
            .arg(shown, file.errorString());
    const QByteArray bytes = document.toUtf8();
    if (file.write(bytes) != bytes.size() || !file.commit())
        return QStringLiteral("Datoteka „%1“ nije upisana: %2").arg(shown, file.errorString());
    return {};
}

}  // namespace fin
