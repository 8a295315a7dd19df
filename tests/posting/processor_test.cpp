#include "host/data/query.h"
#include "ledger/ledgercaptions.h"
#include "posting/autoconter.h"
#include "posting/documentconter.h"
#include "posting/postingrun.h"
#include "posting/preceptprocessor.h"
#include "tests/posting/postingtest.h"

namespace fin::test {
namespace {

// A conter that is nothing but its variables, for the processor alone.
class TStubConter : public IModuleConter {
public:
    QString GetEntityType() const override { return QStringLiteral("R"); }
    QString GetModuleName() const override { return QStringLiteral("Dokument"); }
    const TVariableList& GetVariables() const override { return vars; }
    void CreatePrecept() override {}
    bool CheckExpression(const QString&) override { return true; }
    TVariableList vars;
};

struct TMadeLine {
    QString code, newCode, description;
    qint64 foreignId;
    double debit, credit;
};

class Processor : public TPostingTest {
protected:
    // The lines the rules of type R give for the variables, dated 15 June.
    QVector<TMadeLine> Expand(const TStubConter& conter, QStringList* notes = nullptr) {
        TPostingRun run(*dm);
        run.PreviewOnly = notes != nullptr;
        TQuery& precepts = dm->PreceptZQ();
        if (!precepts.Active())
            precepts.Open();
        precepts.Append();
        precepts.FieldByName("preceptdate").SetValue(QDate(2024, 6, 15));
        TQuery& items = dm->PreceptItemZQ();
        items.Close();
        items.ParamByName("IDPrecept").SetValue(-1);
        items.Open();
        TPreceptProcessor(*dm, &run).Process(conter);
        QVector<TMadeLine> lines;
        for (items.First(); !items.Eof(); items.Next())
            lines.append({items.FieldByName("ContoCode").AsString(),
                          items.FieldByName("ContoNewCode").AsString(),
                          items.FieldByName("description").AsString(),
                          items.FieldByName("foreignid").AsInteger(),
                          items.FieldByName("debit").AsFloat(),
                          items.FieldByName("credit").AsFloat()});
        precepts.Cancel();
        items.EmptyDataSet();
        if (notes)
            *notes = run.Preview.notes;
        return lines;
    }
    void Set(TStubConter& c, const QString& name, const QString& value) {
        c.vars.SetValue(name, value);
    }
};

TEST_F(Processor, TemplatesExpandVariablesSignsFamiliesAndDropZeroLines) {
    TStubConter c;
    Set(c, "[A]", "-5");
    Set(c, "[B]", "3");
    Set(c, "[Partner1]", "7");
    Set(c, "[Partner3]", "8");
    Set(c, "[Opis]", "Račun 1");
    TPreceptProcessor p(*dm, nullptr);
    // Names in any letter case; negative values in parentheses.
    EXPECT_EQ(p.ParseAll("[a]*[B]", c.vars), "(-5)*3");
    EXPECT_EQ(TPreceptProcessor::ParseAllText("[opis] / [Nema]", c.vars), "Račun 1 / [Nema]");
    // Leftover partner selectors count 0 up to the first other bracket.
    EXPECT_EQ(TPreceptProcessor::ParseLogicVariables("[P15]+[P7]*2"), "0+0*2");
    EXPECT_EQ(TPreceptProcessor::ParseLogicVariables("[P15]+[UkX]+[P7]"), "0+[UkX]+[P7]");
    EXPECT_EQ(TPreceptProcessor::ParseIndex("[Kupac{x}]*[P{X}]", 2), "[Kupac2]*[P2]");

    Rule("R", "6040", "", "[a]*[B]", "0", "[opis] / [Nema]");  // -15, as it comes
    Rule("R", "6040", "", "!-20", "0", "okrenut");             // to the credit side
    Rule("R", "6040", "", "!20", "0", "ostaje");
    Rule("R", "6040", "", "0.004", "0", "nula");              // rounds to 0: dropped
    Rule("R", "6040", "", "0", "10/0", "deljenje nulom");     // counts 0: dropped
    Rule("R", "2040", "[Partner{X}]", "1", "0", "porodica");  // Partner2 ends the family
    Rule("R", "9999", "", "1", "0", "nema konta");            // no account: no line
    Rule("R", "2040", "[Partner3]", "2", "0", "jedan");
    QStringList notes;
    const auto lines = Expand(c, &notes);
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0].description, "Račun 1 / [Nema]");
    EXPECT_DOUBLE_EQ(lines[0].debit, -15);
    EXPECT_DOUBLE_EQ(lines[1].debit, 0);
    EXPECT_DOUBLE_EQ(lines[1].credit, 20);
    EXPECT_DOUBLE_EQ(lines[2].debit, 20);
    EXPECT_EQ(lines[3].description, "porodica");
    EXPECT_EQ(lines[3].foreignId, 7);
    EXPECT_EQ(lines[4].foreignId, 8);
    EXPECT_EQ(lines[4].newCode, "2040");
    // The preview says why rules made no line.
    EXPECT_EQ(notes.size(), 3) << notes.join('|').toStdString();
    EXPECT_TRUE(notes.join('|').contains("9999"));

    // An expression the calculator cannot read ends the voucher with a clear message.
    Rule("R", "6040", "", "[Nepoznato]*2", "0");
    try {
        Expand(c);
        ADD_FAILURE() << "no error";
    } catch (const TError& e) {
        EXPECT_TRUE(e.Message().contains("[Nepoznato]*2")) << e.Message().toStdString();
        EXPECT_TRUE(e.Message().startsWith("Pravilo ")) << e.Message().toStdString();
    }
}

TEST_F(Processor, IndexedPartnerRulesSelectTheLinesOwnPartnerAndType) {
    TStubConter c;
    Set(c, "[Kupac1]", "7");
    Set(c, "[Kupac2]", "8");
    Set(c, "[KupacPotrazuje1]", "100");
    Set(c, "[KupacPotrazuje2]", "50");
    Set(c, "[PTipVelikikupac]", "0");
    Rule("R", "2040", "[Kupac{X}]", "0", "[KupacPotrazuje{X}]*[P7]", "partner 7");
    Rule("R", "2040", "[Kupac{X}]", "0", "[KupacPotrazuje{X}]*[PTipVelikikupac]", "tip");
    Rule("R", "2040", "[Kupac{X}]", "0", "[KupacPotrazuje{X}]*[P8]+[P9]", "partner 8");
    const auto lines = Expand(c);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0].foreignId, 7);
    EXPECT_DOUBLE_EQ(lines[0].credit, 100);
    EXPECT_EQ(lines[1].description, "tip");
    EXPECT_EQ(lines[1].foreignId, 7);
    EXPECT_EQ(lines[2].foreignId, 8);
    EXPECT_DOUBLE_EQ(lines[2].credit, 50);
}

TEST_F(Processor, ChartModesByYearAndTheBalanceFunctions) {
    const qint64 buyersOld = OldAccount("2020", "Kupci", "partner");
    OldAccount("6020", "Prihodi");
    const qint64 buyersNew =
        Db().SelectValue("SELECT accountnewid FROM accountnew WHERE code = '2040'").toLongLong();
    // Registered turnover up to the voucher's date counts; later, or unregistered, not.
    Line(Voucher(QDate(2024, 2, 1)), buyersNew, 100, 30, 7, buyersOld);
    Line(Voucher(QDate(2024, 7, 1)), buyersNew, 1000, 0, 7, buyersOld);
    Line(Voucher(QDate(2024, 3, 1), "n"), buyersNew, 500, 0, 7, buyersOld);
    Db().Execute(
        "INSERT INTO financialini (module, entitytype, conto, contonew, debitexp, "
        "creditexp) VALUES ('Dokument', 'R', '2020', '2040', "
        "'SALDO(2040)+SALDO(20)', 'SALDOP(2040)'), ('Dokument', 'R', '6020', '', '5', "
        "'0')");
    TStubConter c;

    // After 2014 the new chart alone: a rule without a new account makes nothing, and the
    // functions read new codes (SALDO as a prefix, SALDOP exactly).
    auto lines = Expand(c);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].code.isEmpty());
    EXPECT_EQ(lines[0].newCode, "2040");
    EXPECT_DOUBLE_EQ(lines[0].debit, 140);
    EXPECT_DOUBLE_EQ(lines[0].credit, 30);

    // 2014: both charts on the lines (the line rules want both that year); the functions
    // already read the new chart.
    Db().Execute("UPDATE financialini SET contonew = '6040' WHERE conto = '6020'");
    dm->Options().FinancialYear = 2014;
    lines = Expand(c);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0].code, "2020");
    EXPECT_EQ(lines[0].newCode, "2040");
    EXPECT_DOUBLE_EQ(lines[0].debit, 140);
    EXPECT_EQ(lines[1].code, "6020");
    EXPECT_EQ(lines[1].newCode, "6040");

    // Before 2014 the old chart: codes are prefixes of old codes, so only SALDO(20) counts.
    dm->Options().FinancialYear = 2013;
    lines = Expand(c);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_DOUBLE_EQ(lines[0].debit, 70);
    EXPECT_DOUBLE_EQ(lines[0].credit, 0);
}

TEST(VariableList, AddVariableRulesAndTheSharedBase) {
    TVariableList v;
    v.Add("Mala", 0.004, TVariableType::vtFloat, false, true);
    EXPECT_FALSE(v.Contains("[Mala]"));
    v.Add("Mala", 0.006, TVariableType::vtFloat, false, true);
    EXPECT_EQ(v.Value("[mala]"), "0.006");
    v.Add("Zbir", 10, TVariableType::vtFloat, true, false);
    v.Add("Zbir", 2.5, TVariableType::vtFloat, true, false);
    EXPECT_EQ(v.Value("[Zbir]"), "12.5");
    v.Add("Broj", 2, TVariableType::vtInteger, true, true);
    v.Add("Broj", 0, TVariableType::vtInteger, true, true);
    v.Add("Broj", 3, TVariableType::vtInteger, true, true);
    EXPECT_EQ(v.Value("[Broj]"), "5");
    v.Add("Tekst", "a", TVariableType::vtString, true, false);
    v.Add("Tekst", "b", TVariableType::vtString, true, false);
    EXPECT_EQ(v.Value("[Tekst]"), "ab");
    v.Add("Tekst", "", TVariableType::vtString, false, false);  // an empty text removes it
    EXPECT_FALSE(v.Contains("[Tekst]"));

    auto base = std::make_shared<TVariableList>();
    base->SetValue("[A]", "0");
    base->SetValue("[B]", "0");
    TVariableList doc(base);
    doc.SetValue("[b]", "5");
    doc.SetValue("[C]", "1");
    EXPECT_EQ(doc.Lines(), QStringList({"[A]=0", "[B]=5", "[C]=1"}));
    doc.SetValue("[A]", "");
    EXPECT_EQ(doc.Count(), 2);
    doc.SetValue("[A]", "9");  // set again after its removal: at the end
    EXPECT_EQ(doc.Lines(), QStringList({"[B]=5", "[C]=1", "[A]=9"}));
    EXPECT_EQ(base->Value("[B]"), "0");  // the base is shared, never changed
}

TEST_F(Processor, ExpressionChecksAndTheRuleDataset) {
    auto check = [&](const QString& e) { return CheckExpression(*dm, "Dokument", e); };
    EXPECT_TRUE(check(""));
    EXPECT_TRUE(check("  ![UkProd]*2"));
    EXPECT_TRUE(check("[UkPDV]/[UkProd]"));  // 0/0 is what a division by a variable gives
    EXPECT_TRUE(check("[Partner{X}]"));
    EXPECT_TRUE(check("SALDO(2040)-SALDOD(2040)"));
    EXPECT_TRUE(check("2040"));
    EXPECT_FALSE(check("[Nepoznato]*2"));
    EXPECT_FALSE(check("[ukprod]"));  // the check wants the listed letter case
    EXPECT_FALSE(check("10/[UkProd]"));
    EXPECT_FALSE(CheckExpression(*dm, "Nepostojeći", "1"));

    QStringList names, descriptions;
    FillVars(*dm, "Dokument", names, descriptions);
    ASSERT_EQ(names.size(), descriptions.size());
    EXPECT_EQ(DocumentFixedNames().names.size(), 263);
    EXPECT_EQ(
        QSet<QString>(DocumentFixedNames().names.begin(), DocumentFixedNames().names.end()).size(),
        263);
    EXPECT_EQ(descriptions[names.indexOf("[UkProd]")], "ukupna prodajna vrednost");
    EXPECT_EQ(descriptions[names.indexOf("[UkPDVOpstaStopa]")],
              "ukupna vrednost poreza po opstoj stopi");
    EXPECT_EQ(descriptions[names.indexOf("[Partner{X}]")], "identifikator partnera (analitika)");
    EXPECT_EQ(descriptions[names.indexOf("[DokTipZaduzenja1]")], "tip zaduzenja 1");
    EXPECT_TRUE(names.contains("[P7]"));               // partners from the table
    EXPECT_TRUE(names.contains("[PTipVelikikupac]"));  // partner types without blanks
    EXPECT_TRUE(names.contains("[MagacVP]"));

    // A new rule starts from the module and type of the dataset and amounts "0"; a bad
    // expression is refused with its field's label and nothing is stored.
    TQuery& rules = dm->FinancialiniZQ();
    rules.ParamByName("ModuleName").SetValue("Dokument");
    rules.ParamByName("EntityName").SetValue("R");
    rules.Open();
    rules.Append();
    EXPECT_EQ(rules.FieldByName("module").AsString(), "Dokument");
    EXPECT_EQ(rules.FieldByName("entitytype").AsString(), "R");
    EXPECT_EQ(rules.FieldByName("debitexp").AsString(), "0");
    rules.FieldByName("conto").SetValue("  ");
    EXPECT_THROW(rules.Post(), TError);  // a rule names its account
    rules.FieldByName("conto").SetValue("2040");
    rules.FieldByName("creditexp").SetValue("[UkPDV]+[Nema]");
    try {
        rules.Post();
        ADD_FAILURE() << "stored";
    } catch (const TError& e) {
        EXPECT_EQ(e.Message(), res::INV_EXP_FMT.arg("[UkPDV]+[Nema]", "Potražuje formula"));
    }
    EXPECT_EQ(Count("financialini"), 0);
    rules.FieldByName("creditexp").SetValue("[UkPDV]");
    rules.Post();
    EXPECT_EQ(Count("financialini"), 1);
}

}  // namespace
}  // namespace fin::test
