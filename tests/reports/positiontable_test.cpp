#include "reports/positiontable.h"

#include <gtest/gtest.h>

#include <QHash>
#include <QSet>
#include <functional>
#include <random>

namespace fin::test {
namespace {

using F = TStatementForm;
using TTerms = QVector<QPair<int, int>>;

QString S(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QVector<int> Range(int first, int last) {
    QVector<int> r;
    for (int i = first; i <= last; ++i)
        r << i;
    return r;
}

QVector<int> Indexes(F form) {
    QVector<int> r;
    for (const TPosition& p : Positions(form))
        r << p.index;
    return r;
}

QString Text(const TTerms& terms) {
    QStringList parts;
    for (const auto& [p, sign] : terms)
        parts << QStringLiteral("%1%2").arg(sign < 0 ? "-" : "+").arg(p);
    return parts.join(QLatin1Char(' '));
}

TTerms Formula(F form, int index) {
    const TPosition* p = FindPosition(form, index);
    return p ? PositionFormula(p->description) : TTerms{};
}

// The positions a form computes from other positions by their printed formula, and the pairs
// that show a difference only on the side where it is positive.
struct TComputed {
    F form;
    QVector<int> positions;
    QVector<QPair<int, int>> pairs;  // (profit, loss)
};

const TComputed kComputed[] = {
    {F::BalanceSheet, {2, 43, 71, 424}, {}},
    {F::IncomeStatement,
     {1001, 1002, 1009, 1018, 1030, 1031, 1032, 1033, 1040, 1041, 1048, 1049, 1054, 1055, 1058,
      1059, 1064, 1065},
     {{1030, 1031}, {1048, 1049}, {1054, 1055}, {1058, 1059}, {1064, 1065}}},
    {F::OldBalanceSheet, {1, 9, 12, 15, 22, 24, 101, 111, 116, 124}, {}},
    {F::OldIncomeStatement,
     {201, 207, 213, 214, 219, 220, 223, 224, 229, 230},
     {{213, 214}, {219, 220}, {223, 224}, {229, 230}}},
};

// Values of a form's positions: given ones as they are, computed ones by their formulas from
// the values of their members, and each profit/loss pair floored at 0.
class TEvaluator {
public:
    TEvaluator(const TComputed& computed, QHash<int, qint64> given)
        : computed_(computed), values_(std::move(given)) {}

    qint64 operator()(int index) {
        if (auto it = values_.find(index); it != values_.end())
            return *it;
        EXPECT_TRUE(computed_.positions.contains(index)) << index << " has no value";
        qint64 sum = 0;
        for (const auto& [p, sign] : Formula(computed_.form, index))
            sum += sign * (*this)(p);
        for (const auto& [profit, loss] : computed_.pairs)
            if (index == profit || index == loss)
                sum = std::max<qint64>(sum, 0);
        values_.insert(index, sum);
        return sum;
    }

private:
    const TComputed& computed_;
    QHash<int, qint64> values_;
};

TEST(PositionTable, EveryFormListsEachOfItsNumbersOnceInOrder) {
    EXPECT_EQ(Indexes(F::BalanceSheet), Range(1, 72) + Range(401, 465));
    EXPECT_EQ(Indexes(F::IncomeStatement), Range(1001, 1071));
    EXPECT_EQ(Indexes(F::CashFlow), Range(3001, 3047));
    EXPECT_EQ(Indexes(F::StatisticalAnnex), Range(9001, 9130));
    EXPECT_EQ(Indexes(F::OldBalanceSheet), Range(1, 25) + Range(101, 125));
    EXPECT_EQ(Indexes(F::OldIncomeStatement), Range(201, 234));

    ASSERT_NE(FindPosition(F::BalanceSheet, 424), nullptr);
    EXPECT_EQ(FindPosition(F::BalanceSheet, 424)->index, 424);
    EXPECT_EQ(FindPosition(F::BalanceSheet, 73), nullptr);
    EXPECT_EQ(FindPosition(F::BalanceSheet, 400), nullptr);
    EXPECT_EQ(FindPosition(F::OldBalanceSheet, 201), nullptr);
    EXPECT_EQ(FindPosition(F::CashFlow, 1001), nullptr);
    // Loaded once: the same rows every time.
    EXPECT_EQ(&Positions(F::CashFlow), &Positions(F::CashFlow));
}

TEST(PositionTable, TellingRowsReadAsTheFormsPrintThem) {
    struct TRow {
        F form;
        int index;
        const char *accountGroup, *description;
    };
    const TRow rows[] = {
        {F::BalanceSheet, 1, "00", "A. UPISANI A NEUPLAĆENI KAPITAL"},
        {F::BalanceSheet, 2, "", "B. STALNA IMOVINA (0003 + 0010 + 0019 + 0024 + 0034)"},
        {F::BalanceSheet, 4, "010 i deo 019", "1. Ulaganja u razvoj"},
        {F::BalanceSheet, 11, "020, 021 i deo 029", "1. Zemljište"},
        {F::BalanceSheet, 24, "04 osim 047",
         "IV DUGOROČNI FINANSIJSKI PLASMANI (0025 + 0026 + 0027 + 0028 + 0029 + 0030 + 0031 + "
         "0032 + 0033)"},
        {F::BalanceSheet, 401, "",
         "A. KAPITAL (0402 + 0411 - 0412 + 0413 + 0414 + 0415 - 0416 + 0417 + 0420 - 0421)>=0 = "
         "(0071 - 0424 - 0441 - 0442)"},
        {F::BalanceSheet, 402, "30",
         "I OSNOVNI KAPITAL (0403 + 0404 + 0405 + 0406 + 0407 + 0408 + 0409 + 0410)"},
        {F::IncomeStatement, 1001, "60 do 65, osim 62 i 63",
         "A. POSLOVNI PRIHODI (1002 + 1009 + 1016 + 1017)"},
        {F::IncomeStatement, 1003, "600",
         "1. Prihodi od prodaje robe matičnim i zavisnim pravnim licima na domaćem tržištu"},
        {F::IncomeStatement, 1056, "69 - 59",
         "M. NETO DOBITAK POSLOVANJA KOJE SE OBUSTAVLJA, EFEKTI PROMENE RAČUNOVODSTVENE "
         "POLITIKE I ISPRAVKA GREŠAKA IZ RANIJIH PERIODA"},
        {F::IncomeStatement, 1060, "721", "I PORESKI RASHOD PERIODA"},
        {F::StatisticalAnnex, 9001, "", "1. Broj meseci poslovanja (oznaka od 1 do 12)"},
    };
    for (const TRow& r : rows) {
        const TPosition* p = FindPosition(r.form, r.index);
        ASSERT_NE(p, nullptr) << r.index;
        EXPECT_EQ(p->accountGroup, S(r.accountGroup)) << r.index;
        EXPECT_EQ(p->description, S(r.description)) << r.index;
    }
    // The descriptions of the floored-free sums end as the form prints them.
    EXPECT_TRUE(FindPosition(F::IncomeStatement, 1018)->description.endsWith(">= 0"));
    EXPECT_TRUE(FindPosition(F::BalanceSheet, 464)->description.endsWith(">= 0"));
}

TEST(PositionTable, SectionsAndTableCaptions) {
    auto expectGroups = [](F form, const QVector<QPair<QVector<int>, const char*>>& sections) {
        for (const auto& [indexes, group] : sections)
            for (int i : indexes)
                EXPECT_EQ(FindPosition(form, i)->group, S(group)) << i;
    };
    expectGroups(F::BalanceSheet, {{Range(1, 72), "AKTIVA"}, {Range(401, 465), "PASIVA"}});
    expectGroups(F::OldBalanceSheet, {{Range(1, 25), "AKTIVA"}, {Range(101, 125), "PASIVA"}});
    expectGroups(F::IncomeStatement, {{Range(1001, 1017), "PRIHODI IZ REDOVNOG POSLOVANJA"},
                                      {Range(1018, 1059), "RASHODI IZ REDOVNOG POSLOVANJA"},
                                      {Range(1060, 1071), "P. POREZ NA DOBITAK"}});
    expectGroups(F::CashFlow,
                 {{Range(3001, 3012), "A. Tokovi gotovine iz poslovnih aktivnosti"},
                  {Range(3013, 3024), "B. Tokovi gotovine iz aktivnosti investiranja"},
                  {Range(3025, 3047), "V. Tokovi gotovine iz aktivnosti finansiranja"}});

    // The annex: its sections in order, each opening with the captions of its table.
    QStringList sections;
    const TPosition* previous = nullptr;
    for (const TPosition& p : Positions(F::StatisticalAnnex)) {
        const bool opens = !previous || previous->group != p.group;
        const bool captioned = !p.captionValue.isEmpty() || !p.captionGrossValue.isEmpty();
        EXPECT_EQ(opens, captioned) << p.index;
        if (opens) {
            EXPECT_FALSE(sections.contains(p.group)) << "section split: " << p.index;
            sections << p.group;
        }
        // A table has either the two years or the gross, correction and net columns.
        if (!p.captionValue.isEmpty()) {
            EXPECT_EQ(p.captionPrevValue, S("Prethodna godina")) << p.index;
        }
        if (!p.captionGrossValue.isEmpty()) {
            EXPECT_EQ(p.captionGrossValue, S("Bruto (4)"));
            EXPECT_EQ(p.captionCorrectionValue, S("Ispravka vrednosti (5)"));
            EXPECT_EQ(p.captionNetValue, S("Neto (kol. 4-5)"));
            EXPECT_TRUE(p.captionValue.isEmpty() && p.captionPrevValue.isEmpty());
        }
        previous = &p;
    }
    for (const char* named : {"III STRUKTURA OSNOVNOG KAPITALA", "IV STRUKTURA AKCIJSKOG KAPITALA",
                              "VIII DRUGI PRIHODI", "IX OSTALI PODACI"})
        EXPECT_TRUE(sections.contains(S(named))) << named;
    EXPECT_EQ(sections.size(), 9);
    EXPECT_EQ(FindPosition(F::StatisticalAnnex, 9001)->captionPrevValue, S("Prethodna godina"));
}

TEST(PositionTable, FormulasParseAsSignedTermsWithRanges) {
    using T = TTerms;
    EXPECT_EQ(PositionFormula(S("B. STALNA IMOVINA (0003 + 0010 + 0019 + 0024 + 0034)")),
              (T{{3, 1}, {10, 1}, {19, 1}, {24, 1}, {34, 1}}));
    EXPECT_EQ(PositionFormula(S("POSLOVNI RASHODI (1019 - 1020 - 1021 + 1022) >= 0")),
              (T{{1019, 1}, {1020, -1}, {1021, -1}, {1022, 1}}));
    EXPECT_EQ(PositionFormula(S("II. POSLOVNI RASHODI (208 do 212)")),
              (T{{208, 1}, {209, 1}, {210, 1}, {211, 1}, {212, 1}}));
    EXPECT_EQ(PositionFormula(S("X (1001 - 1003 do 1005 + 1009)")),
              (T{{1001, 1}, {1003, -1}, {1004, -1}, {1005, -1}, {1009, 1}}));
    // Only the first formula counts; the part after ">=0 =" is the form's cross-check.
    EXPECT_EQ(PositionFormula(S("A. KAPITAL (0402 - 0412)>=0 = (0071 - 0424)")),
              (T{{402, 1}, {412, -1}}));
    // Parentheses around words, roman numerals or item numbers are not formulas.
    EXPECT_EQ(PositionFormula(S("1. Broj meseci (oznaka od 1 do 12) (9005 + 9006)")),
              (T{{9005, 1}, {9006, 1}}));
    EXPECT_TRUE(PositionFormula(S("1. Broj meseci poslovanja (oznaka od 1 do 12)")).isEmpty());
    EXPECT_TRUE(PositionFormula(S("I Prilivi gotovine (1 do 3)")).isEmpty());
    EXPECT_TRUE(PositionFormula(S("III Neto priliv (I - II)")).isEmpty());
    EXPECT_TRUE(PositionFormula(S("2. Umanjena (razvodnjena) zarada po akciji")).isEmpty());
    EXPECT_TRUE(PositionFormula(S("1. Ulaganja u razvoj")).isEmpty());
    EXPECT_TRUE(PositionFormula(S("()")).isEmpty());
    // Malformed: two numbers without a sign, a backward range, a trailing sign, five digits.
    EXPECT_TRUE(PositionFormula(S("(1001 1002)")).isEmpty());
    EXPECT_TRUE(PositionFormula(S("(1008 do 1003)")).isEmpty());
    EXPECT_TRUE(PositionFormula(S("(1001 +)")).isEmpty());
    EXPECT_TRUE(PositionFormula(S("(10010 + 1002)")).isEmpty());
}

TEST(PositionTable, ComputedPositionsHaveSoundFormulasWithinTheirForm) {
    for (const TComputed& c : kComputed)
        for (int index : c.positions) {
            const TTerms terms = Formula(c.form, index);
            EXPECT_FALSE(terms.isEmpty()) << index << " has no formula";
            for (const auto& [p, sign] : terms) {
                EXPECT_NE(p, index);
                EXPECT_NE(FindPosition(c.form, p), nullptr) << index << " refers to " << p;
            }
        }
    EXPECT_EQ(Text(Formula(F::BalanceSheet, 2)), "+3 +10 +19 +24 +34");
    EXPECT_EQ(Text(Formula(F::BalanceSheet, 43)), "+44 +51 +59 +60 +61 +62 +68 +69 +70");
    EXPECT_EQ(Text(Formula(F::BalanceSheet, 71)), "+1 +2 +42 +43");
    EXPECT_EQ(Text(Formula(F::BalanceSheet, 424)), "+425 +432");

    // Each loss side of a pair is its profit side reversed.
    for (const TComputed& c : kComputed)
        for (const auto& [profit, loss] : c.pairs) {
            TTerms reversed;
            for (const auto& [p, sign] : Formula(c.form, profit))
                reversed.append({p, -sign});
            auto sorted = [](TTerms t) {
                std::sort(t.begin(), t.end());
                return t;
            };
            EXPECT_EQ(sorted(reversed), sorted(Formula(c.form, loss))) << profit << "/" << loss;
        }
}

TEST(PositionTable, EveryPrintedFormulaStaysInItsFormWithoutCycles) {
    for (F form : {F::BalanceSheet, F::IncomeStatement, F::CashFlow, F::StatisticalAnnex,
                   F::OldBalanceSheet, F::OldIncomeStatement}) {
        QHash<int, int> state;  // 1 visiting, 2 done
        std::function<void(int)> visit = [&](int index) {
            if (state.value(index) == 2)
                return;
            ASSERT_NE(state.value(index), 1) << "cycle through " << index;
            state[index] = 1;
            for (const auto& [p, sign] : Formula(form, index)) {
                ASSERT_NE(FindPosition(form, p), nullptr) << index << " refers to " << p;
                visit(p);
            }
            state[index] = 2;
        };
        for (const TPosition& p : Positions(form))
            visit(p.index);
    }
    // Sums printed with item numbers or roman numerals are not mistaken for positions.
    EXPECT_TRUE(Formula(F::CashFlow, 3001).isEmpty());
    EXPECT_TRUE(Formula(F::CashFlow, 3011).isEmpty());
    EXPECT_EQ(Text(Formula(F::CashFlow, 3047)), "+3042 -3043 +3044 +3045 -3046");
}

// With any amounts on the account-fed positions the statements add up: the income statement's
// net result is its income less its expenses, and each balance-sheet total is the plain sum of
// the positions under it (liabilities of the old form are all credit less debit, losses and
// own shares included, so they are added, not subtracted).
TEST(PositionTable, StatementsAddUpFromTheirAccountPositions) {
    std::mt19937 random(20140101);
    std::uniform_int_distribution<int> amount(-500, 5000);
    auto fill = [&](QHash<int, qint64>& values, const QVector<int>& indexes) {
        qint64 sum = 0;
        for (int i : indexes)
            sum += values[i] = amount(random);
        return sum;
    };
    auto pair = [&](QHash<int, qint64>& values, int profit, int loss) {
        const qint64 d = amount(random) - 2500;
        values[profit] = std::max<qint64>(d, 0);
        values[loss] = std::max<qint64>(-d, 0);
        return d;
    };
    for (int round = 0; round < 50; ++round) {
        {
            QHash<int, qint64> v;
            const qint64 income =
                fill(v, Range(1003, 1008) + Range(1010, 1017) + QVector{1020} + QVector{1021} +
                            Range(1034, 1039) + QVector{1050, 1052, 1062});
            const qint64 expense = fill(v, QVector{1019} + Range(1022, 1029) + Range(1042, 1047) +
                                               QVector{1051, 1053, 1060, 1061, 1063});
            const qint64 discontinued = pair(v, 1056, 1057);
            TEvaluator value(kComputed[1], v);
            EXPECT_EQ(value(1064) - value(1065), income - expense + discontinued);
            EXPECT_EQ(std::min(value(1064), value(1065)), 0);
        }
        {
            QHash<int, qint64> v;
            const qint64 income = fill(v, {202, 203, 204, 206, 215, 217, 227});
            const qint64 expense = fill(v, {205, 208, 209, 210, 211, 212, 216, 218, 225, 226, 228});
            const qint64 discontinued = pair(v, 221, 222);
            TEvaluator value(kComputed[3], v);
            EXPECT_EQ(value(229) - value(230), income - expense + discontinued);
        }
        {
            QHash<int, qint64> v;
            const qint64 assets = fill(v, {2, 3, 4, 5, 10, 11, 13, 14, 16, 17, 18, 19, 20, 21, 23});
            const qint64 liabilities =
                fill(v, Range(102, 110) + QVector{112, 113} + Range(117, 123));
            TEvaluator value(kComputed[2], v);
            EXPECT_EQ(value(24), assets);
            EXPECT_EQ(value(124), liabilities);
        }
        {
            QHash<int, qint64> v;
            const qint64 assets =
                fill(v, {1, 3, 10, 19, 24, 34, 42, 44, 51, 59, 60, 61, 62, 68, 69, 70});
            fill(v, {425, 432});
            TEvaluator value(kComputed[0], v);
            EXPECT_EQ(value(71), assets);
            EXPECT_EQ(value(424), v[425] + v[432]);
        }
    }
}

TEST(PositionTable, TextsAreCleanAndFitTheirColumns) {
    struct TWidths {
        F form;
        int description, accountGroup, group, caption;
    };
    const TWidths widths[] = {
        {F::BalanceSheet, 150, 50, 100, 0},   {F::IncomeStatement, 150, 50, 100, 0},
        {F::CashFlow, 150, 0, 100, 0},        {F::StatisticalAnnex, 150, 100, 150, 50},
        {F::OldBalanceSheet, 100, 50, 50, 0}, {F::OldIncomeStatement, 100, 20, 100, 0},
    };
    for (const TWidths& w : widths)
        for (const TPosition& p : Positions(w.form)) {
            const QPair<QString, int> fields[] = {{p.description, w.description},
                                                  {p.accountGroup, w.accountGroup},
                                                  {p.group, w.group},
                                                  {p.captionAccountGroup, w.caption},
                                                  {p.captionValue, w.caption},
                                                  {p.captionPrevValue, w.caption},
                                                  {p.captionGrossValue, w.caption},
                                                  {p.captionCorrectionValue, w.caption},
                                                  {p.captionNetValue, w.caption}};
            for (const auto& [text, width] : fields) {
                EXPECT_LE(text.size(), width) << p.index << ": " << text.toStdString();
                EXPECT_EQ(text, text.simplified()) << p.index << ": " << text.toStdString();
                EXPECT_FALSE(text.contains(QChar::ReplacementCharacter)) << p.index;
            }
            EXPECT_FALSE(p.description.isEmpty()) << p.index;
            EXPECT_FALSE(p.group.isEmpty()) << p.index;
        }
}

}  // namespace
}  // namespace fin::test
