#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "host/data/dbinifile.h"
#include "posting/postingcaptions.h"
#include "tests/console/clirun.h"
#include "tests/posting/postingtest.h"

namespace fin::test {
namespace {

// The command line on the small company of the posting tests: its own session, on the
// test's database, with the financial year stored where the session reads it.
class PostingCli : public TPostingTest {
protected:
    void SetUp() override {
        TPostingTest::SetUp();
        if (HasFatalFailure())
            return;
        qputenv("FINANSIJE_DB_NAME", DatabaseName().toUtf8());
        TDBIniFile(&Db()).WriteInteger("Financial", "FinancialYear", 2024);
        goods = Product("Roba A");
    }

    // A registered invoice of 200 plus 40 tax, bought at 160, with the rules of type R.
    qint64 Invoice(const QDate& date, const QString& number, const QString& type = "R",
                   const QString& status = "p") {
        const qint64 doc = Document(type, date, number, partner, wholesale, status);
        Item(doc, goods, 2, 100, 80, 200);
        Card(doc, goods, 0, 2, 80, 0, 160);
        return doc;
    }
    void InvoiceRules(const QString& type = "R") {
        Rule(type, "2040", "[Partner{X}]", "[UkProd]+[UkPDV]", "0", "[DokumentOpis]");
        Rule(type, "6040", "", "0", "[UkProd]", "Prihod");
        Rule(type, "4700", "", "0", "[UkPDV]", "PDV");
    }
    QJsonDocument Json(const QString& text) {
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(text.toUtf8(), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << text.toStdString();
        return doc;
    }

    TCliRun run;
    qint64 goods = 0;
};

TEST_F(PostingCli, PostRunsSelectByModuleTypeIdSingleAndDateAndTellWhatTheyMade) {
    InvoiceRules("R");
    InvoiceRules("K");
    const qint64 march = Invoice(QDate(2024, 3, 5), "1");
    const qint64 june = Invoice(QDate(2024, 6, 10), "2");
    const qint64 february = Invoice(QDate(2024, 2, 1), "3", "K");
    const qint64 september = Invoice(QDate(2024, 9, 1), "4");
    const qint64 november = Invoice(QDate(2024, 11, 1), "5");

    // What waits, in the order a run would post it, touching nothing.
    ASSERT_EQ(run({"post", "pending", "--module", "Dokument"}), 0) << run.err.toStdString();
    QStringList rows = run.out.trimmed().split('\n');
    ASSERT_EQ(rows.size(), 6) << run.out.toStdString();
    EXPECT_TRUE(rows[0].startsWith("Modul"));
    EXPECT_TRUE(rows[1].endsWith("Kalkulacija 3")) << rows[1].toStdString();
    EXPECT_EQ(rows[1].section(' ', 1, -1, QString::SectionSkipEmpty).section(' ', 0, 0),
              QString::number(february));
    ASSERT_EQ(run({"post", "pending", "--module", "Dokument", "--type", "R", "--json"}), 0);
    const QJsonArray waiting = Json(run.out).array();
    ASSERT_EQ(waiting.size(), 4);
    EXPECT_EQ(waiting[0].toObject()["id"].toInteger(), march);
    EXPECT_EQ(waiting[3].toObject()["date"].toString(), "2024-11-01");
    EXPECT_EQ(Count("precept"), 0);
    EXPECT_EQ(run({"post", "pending", "--type", "R"}), 2);

    // Invoices up to the end of June: the K document of February waits.
    ASSERT_EQ(run({"post", "--module", "Dokument", "--type", "R", "--to", "2024-06-30"}), 0)
        << run.err.toStdString();
    EXPECT_EQ(run.out, "Napravljeno naloga: 2\n");
    EXPECT_GT(PreceptOf(march), 0);
    EXPECT_GT(PreceptOf(june), 0);
    EXPECT_EQ(PreceptOf(february), 0);
    EXPECT_EQ(PreceptOf(september), 0);
    ASSERT_EQ(Lines(PreceptOf(march)).size(), 3);
    EXPECT_DOUBLE_EQ(Lines(PreceptOf(march))[0].debit, 240);

    // The first pending document of all, as JSON.
    ASSERT_EQ(run({"post", "--single", "--json"}), 0) << run.err.toStdString();
    QJsonArray made = Json(run.out).array();
    ASSERT_EQ(made.size(), 1) << run.out.toStdString();
    QJsonObject one = made[0].toObject();
    EXPECT_EQ(one["foreigntable"].toString(), "document");
    EXPECT_EQ(one["foreignid"].toInteger(), february);
    EXPECT_EQ(one["preceptid"].toInteger(), PreceptOf(february));
    EXPECT_EQ(
        one["number"].toString(),
        Db().SelectValue("SELECT number FROM precept WHERE preceptid = ?", {PreceptOf(february)})
            .toString());

    // One chosen document, past the earlier one.
    ASSERT_EQ(run({"post", "--module", "Dokument", "--id", QString::number(november)}), 0)
        << run.err.toStdString();
    EXPECT_EQ(run.out, "Napravljeno naloga: 1\n");
    EXPECT_GT(PreceptOf(november), 0);
    EXPECT_EQ(PreceptOf(september), 0);

    // A date outside the year means its last day, and says so.
    ASSERT_EQ(run({"post", "--to", "2023-05-01", "--json"}), 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("nije u finansijskoj godini 2024")) << run.err.toStdString();
    made = Json(run.out).array();
    ASSERT_EQ(made.size(), 1) << run.out.toStdString();
    EXPECT_EQ(made[0].toObject()["foreignid"].toInteger(), september);

    // Nothing waits any more.
    ASSERT_EQ(run({"post", "--json"}), 0);
    EXPECT_EQ(run.out, "[]\n");
    ASSERT_EQ(run({"post"}), 0);
    EXPECT_EQ(run.out, "Napravljeno naloga: 0\n");
    EXPECT_EQ(Count("precept"), 5);
}

TEST_F(PostingCli, RunningFlagsRefuseARunUntilTheyAreReset) {
    InvoiceRules();
    const qint64 doc = Invoice(QDate(2024, 3, 5), "1");
    TDBIniFile ini(&Db());
    // A run over all modules was left unfinished somewhere.
    ini.WriteBool("AutoConter", "0", true);
    ASSERT_EQ(run({"post", "--module", "Dokument", "--type", "R"}), 1);
    EXPECT_EQ(run.err, res::AUTO_CONTER_WRN + "\n");
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(PreceptOf(doc), 0);

    ASSERT_EQ(run({"post", "reset"}), 0) << run.err.toStdString();
    EXPECT_TRUE(ini.ReadSection("AutoConter").isEmpty());

    // A run of the documents module refuses another run of the whole module, not one of
    // another document type.
    ini.WriteBool("AutoConter", "100", true);
    ini.WriteBool("AutoConter", "", true);
    EXPECT_EQ(run({"post", "--module", "Dokument"}), 1);
    EXPECT_EQ(run({"post"}), 1);
    ini.WriteBool("AutoConter", "", false);
    ASSERT_EQ(run({"post", "--module", "Dokument", "--type", "R"}), 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "Napravljeno naloga: 1\n");
    EXPECT_GT(PreceptOf(doc), 0);
    // The run cleared its own flags.
    EXPECT_FALSE(ini.ReadBool("AutoConter", "R", true));
}

TEST_F(PostingCli, AnErrorThatEndsTheRunIsReportedWithWhatWasMadeBefore) {
    Rule("R", "2040", "[Partner{X}]", "[UkProd]+[UkPDV]", "0", "[DokumentOpis]");
    // Stored past the check, as an older version could have: the run stops on it.
    Rule("K", "6040", "", "(", "0", "Kvar");
    const qint64 good = Invoice(QDate(2024, 3, 5), "1");
    const qint64 bad = Invoice(QDate(2024, 4, 5), "2", "K");
    ASSERT_EQ(run({"post"}), 1);
    EXPECT_TRUE(run.err.contains("Pre greške je napravljeno naloga: 1.")) << run.err.toStdString();
    EXPECT_GT(PreceptOf(good), 0);
    EXPECT_EQ(PreceptOf(bad), 0);
    // The flags were cleared on the way out: the next run is not refused.
    ASSERT_EQ(run({"post", "--module", "Dokument", "--type", "R"}), 0) << run.err.toStdString();
}

TEST_F(PostingCli, PreviewShowsVariablesLinesAndNotesAndWritesNothing) {
    InvoiceRules();
    Rule("R", "9999", "", "[UkProd]", "0", "Nema konta");
    Rule("R", "1320", "", "0", "[UkRab]", "Rabat");
    const qint64 doc = Invoice(QDate(2024, 3, 5), "12");
    const qint64 precepts = Count("precept"), items = Count("preceptitem"), ini = Count("ini");

    ASSERT_EQ(
        run({"post", "preview", "--module", "Dokument", "--id", QString::number(doc), "--json"}), 0)
        << run.err.toStdString();
    const QJsonObject p = Json(run.out).object();
    const QJsonArray variables = p["variables"].toArray();
    ASSERT_FALSE(variables.isEmpty());
    // In list order: the totals every document starts from come first.
    EXPECT_EQ(variables[0].toObject()["name"].toString(), "[UkProd]");
    EXPECT_EQ(variables[0].toObject()["value"].toString(), "200");
    EXPECT_EQ(p["header"].toObject()["foreignid"].toString(), QString::number(doc));
    EXPECT_EQ(p["header"].toObject()["foreigntable"].toString(), "document");
    const QJsonArray lines = p["lines"].toArray();
    ASSERT_EQ(lines.size(), 3) << run.out.toStdString();
    EXPECT_EQ(lines[0].toObject()["ContoNewCode"].toString(), "2040");
    EXPECT_EQ(lines[0].toObject()["foreignid"].toInteger(), partner);
    EXPECT_EQ(lines[0].toObject()["description"].toString(), "Račun - 12");
    EXPECT_DOUBLE_EQ(lines[0].toObject()["debit"].toDouble(), 240);
    EXPECT_TRUE(lines[1].toObject()["foreignid"].isNull());
    EXPECT_DOUBLE_EQ(p["totals"].toObject()["debit"].toDouble(), 240);
    EXPECT_DOUBLE_EQ(p["totals"].toObject()["credit"].toDouble(), 240);
    const QJsonArray notes = p["notes"].toArray();
    ASSERT_EQ(notes.size(), 2) << run.out.toStdString();
    EXPECT_TRUE(notes[0].toString().contains("9999"));
    EXPECT_TRUE(notes[1].toString().contains("Rabat"));

    ASSERT_EQ(run({"post", "preview", "--module", "Dokument", "--id", QString::number(doc)}), 0);
    EXPECT_TRUE(run.out.startsWith("Promenljive\nNaziv")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("\nStavke\nKonto")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("Ukupno")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("\nNapomene\n")) << run.out.toStdString();

    EXPECT_EQ(Count("precept"), precepts);
    EXPECT_EQ(Count("preceptitem"), items);
    EXPECT_EQ(Count("ini"), ini);

    // Posting it for real gives what the preview showed.
    ASSERT_EQ(run({"post", "--module", "Dokument", "--id", QString::number(doc)}), 0);
    const auto posted = Lines(PreceptOf(doc));
    ASSERT_EQ(posted.size(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(posted[i].code, lines[i].toObject()["ContoNewCode"].toString());
        EXPECT_DOUBLE_EQ(posted[i].debit, lines[i].toObject()["debit"].toDouble());
        EXPECT_DOUBLE_EQ(posted[i].credit, lines[i].toObject()["credit"].toDouble());
    }

    // A posted document, a missing one, one that does not wait, a module without automat.
    EXPECT_EQ(run({"post", "preview", "--module", "Dokument", "--id", QString::number(doc)}), 1);
    EXPECT_TRUE(run.err.contains("već kontiran")) << run.err.toStdString();
    EXPECT_EQ(run({"post", "preview", "--module", "Dokument", "--id", "99999"}), 1);
    EXPECT_TRUE(run.err.contains("ne postoji")) << run.err.toStdString();
    const qint64 draft = Invoice(QDate(2024, 3, 6), "13", "R", "n");
    EXPECT_EQ(run({"post", "preview", "--module", "Dokument", "--id", QString::number(draft)}), 1);
    EXPECT_TRUE(run.err.contains("ne čeka kontiranje")) << run.err.toStdString();
    EXPECT_EQ(run({"post", "preview", "--module", "Banka", "--id", "1"}), 1);
    EXPECT_TRUE(run.err.contains("ne postoji")) << run.err.toStdString();
    EXPECT_EQ(run({"post", "--module", "Banka"}), 0);

    // The payments of an advance come from the bank module the session reaches.
    const qint64 advance = Invoice(QDate(2024, 3, 7), "A1", "A");
    Db().Execute(
        "INSERT INTO bankstatement (number, statementdate, statementtype) VALUES ('1', "
        "'2024-03-07', 'I')");
    Db().Execute(
        "INSERT INTO bankstatementitem (bankstatementid, partnerid, debit, credit, documentid) "
        "VALUES (?, ?, 30, 150, ?)",
        {Db().LastInsertId(), partner, advance});
    ASSERT_EQ(run({"post", "preview", "--module", "Dokument", "--id", QString::number(advance),
                   "--json"}),
              0)
        << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    bool found = false;
    for (const QJsonValue& v : Json(run.out).object()["variables"].toArray())
        if (v.toObject()["name"].toString() == "[UkPlacanje]") {
            EXPECT_EQ(v.toObject()["value"].toString(), "120");
            found = true;
        }
    EXPECT_TRUE(found) << run.out.toStdString();
}

TEST_F(PostingCli, RulesAreAddedThroughTheChecksListedCheckedAndDeleted) {
    const qint64 rules = Count("financialini");
    ASSERT_EQ(run({"rules", "add", "--module", "Dokument", "--type", "R", "--conto", "2040",
                   "--debit", "[Nepostoji]+1"}),
              1);
    EXPECT_EQ(run.err, "Neispravan izraz: \"[Nepostoji]+1\" u polju \"Duguje formula\"\n");
    EXPECT_EQ(Count("financialini"), rules);

    ASSERT_EQ(run({"rules", "add", "--module", "Dokument", "--type", "R", "--conto", "2040",
                   "--contonew", "2040", "--subaccount", "[Partner{X}]", "--debit",
                   "[UkProd]+[UkPDV]", "--description", "[DokumentOpis]"}),
              0)
        << run.err.toStdString();
    const qint64 id = run.out.trimmed().toLongLong();
    ASSERT_GT(id, 0) << run.out.toStdString();
    ASSERT_EQ(run({"rules", "add", "--module", "Dokument", "--type", "R", "--conto", "6040",
                   "--credit", "[UkProd]"}),
              0);
    const qint64 second = run.out.trimmed().toLongLong();

    ASSERT_EQ(run({"rules", "list", "--module", "Dokument", "--type", "R", "--json"}), 0);
    const QJsonArray listed = Json(run.out).array();
    ASSERT_EQ(listed.size(), 2);
    const QJsonObject first = listed[0].toObject();
    EXPECT_EQ(first["financialini"].toInteger(), id);
    EXPECT_EQ(first["module"].toString(), "Dokument");
    EXPECT_EQ(first["entitytype"].toString(), "R");
    EXPECT_EQ(first["subaccount"].toString(), "[Partner{X}]");
    EXPECT_EQ(first["creditexp"].toString(), "0");  // the new rule's default
    EXPECT_EQ(listed[1].toObject()["debitexp"].toString(), "0");
    EXPECT_EQ(listed[1].toObject()["creditexp"].toString(), "[UkProd]");
    ASSERT_EQ(run({"rules", "list", "--module", "Dokument", "--type", "R"}), 0);
    EXPECT_TRUE(run.out.startsWith("    Id  Konto")) << run.out.toStdString();
    EXPECT_EQ(run.out.count('\n'), 3);

    ASSERT_EQ(run({"rules", "delete", QString::number(second)}), 0) << run.err.toStdString();
    EXPECT_EQ(Count("financialini"), rules + 1);
    EXPECT_EQ(run({"rules", "delete", QString::number(second)}), 1);

    EXPECT_EQ(run({"rules", "check", "--module", "Dokument", "[UkProd]*2-[UkRab]"}), 0);
    EXPECT_EQ(run({"rules", "check", "--module", "Dokument", "!([UkNab])"}), 0);
    // Exact letter case only, as the check before storing.
    EXPECT_EQ(run({"rules", "check", "--module", "Dokument", "[ukprod]"}), 1);
    EXPECT_TRUE(run.err.startsWith(res::INV_EXP_ERR)) << run.err.toStdString();
    EXPECT_EQ(run({"rules", "check", "--module", "Banka", "[UkDuguje]*2"}), 0);
    EXPECT_EQ(run({"rules", "check", "--module", "Banka", "[UkProd]"}), 1);

    ASSERT_EQ(run({"rules", "vars", "--module", "Dokument", "--json"}), 0);
    const QJsonArray vars = Json(run.out).array();
    ASSERT_GT(vars.size(), 100);
    EXPECT_EQ(vars[0].toObject()["name"].toString(), "[UkProd]");
    EXPECT_EQ(vars[0].toObject()["description"].toString(), "ukupna prodajna vrednost");
    EXPECT_TRUE(run.out.contains("\"[Partner{X}]\""));
    ASSERT_EQ(run({"rules", "vars", "--module", "Dokument"}), 0);
    EXPECT_TRUE(run.out.startsWith("Promenljiva")) << run.out.toStdString();
    EXPECT_EQ(run.out.count('\n'), vars.size() + 1);
}

TEST_F(PostingCli, VoucherTypeOfAModuleAndTypeIsShownAndSet) {
    ASSERT_EQ(run({"rules", "voucher-type", "--module", "Dokument", "--type", "R"}), 0);
    EXPECT_TRUE(run.out.startsWith("Dokument R: tip naloga 1 (1 - ")) << run.out.toStdString();
    const qint64 invoices = AddType("40", "Fakture");
    EXPECT_EQ(
        run({"rules", "voucher-type", "--module", "Dokument", "--type", "R", "--set", "99999"}), 1);
    EXPECT_TRUE(run.err.contains("ne postoji")) << run.err.toStdString();
    ASSERT_EQ(run({"rules", "voucher-type", "--module", "Dokument", "--type", "R", "--set",
                   QString::number(invoices)}),
              0)
        << run.err.toStdString();
    EXPECT_EQ(run.out, QString("Dokument R: tip naloga %1 (40 - Fakture)\n").arg(invoices));
    EXPECT_EQ(TDBIniFile(&Db()).ReadInteger("Dokument", "R", 1), invoices);
    // Vouchers of that type now get it.
    InvoiceRules();
    const qint64 doc = Invoice(QDate(2024, 3, 5), "1");
    ASSERT_EQ(run({"post"}), 0) << run.err.toStdString();
    EXPECT_EQ(
        Db().SelectValue("SELECT precepttypeid FROM precept WHERE preceptid = ?", {PreceptOf(doc)})
            .toLongLong(),
        invoices);

    ASSERT_EQ(run({"rules", "install-standard"}), 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith("Dodato pravila: ")) << run.out.toStdString();
}

TEST_F(PostingCli, WrongUsageExitsTwoBeforeTouchingTheDatabase) {
    const QList<QStringList> wrong{
        {"post", "--module", "Nabavka"},
        {"post", "--id", "5"},
        {"post", "--type", "R"},
        {"post", "--module", "Dokument", "--id", "x"},
        {"post", "--module", "Dokument", "--id", "5", "--type", "R"},
        {"post", "--to", "32.13.2024"},
        {"post", "--bogus"},
        {"post", "everything"},
        {"post", "preview", "--module", "Dokument"},
        {"post", "reset", "now"},
        {"rules", "list", "--module", "Dokument"},
        {"rules", "list", "--module", "Dokument", "--type", "RRR"},
        {"rules", "add", "--module", "Dokument", "--type", "R"},
        {"rules", "delete", "abc"},
        {"rules", "check", "--module", "Dokument"},
        {"rules", "vars"},
        {"rules", "voucher-type", "--module", "Dokument", "--type", "R", "--set", "0"},
    };
    for (const QStringList& args : wrong) {
        EXPECT_EQ(run(args), 2) << args.join(' ').toStdString();
        EXPECT_FALSE(run.err.isEmpty()) << args.join(' ').toStdString();
    }
    ASSERT_EQ(run({"post", "--help"}), 0);
    EXPECT_TRUE(run.out.startsWith("Upotreba: finansije post [--module")) << run.out.toStdString();
    ASSERT_EQ(run({"rules", "add", "--help"}), 0);
    EXPECT_TRUE(run.out.contains("--conto KONTO")) << run.out.toStdString();
}

}  // namespace
}  // namespace fin::test
