#include <gtest/gtest.h>

#include "host/common/captions.h"
#include "host/data/fieldtests.h"
#include "host/data/query.h"
#include "host/data/relationalintegrity.h"
#include "testdatabase.h"

namespace fin::test {
namespace {

class FieldTestsTest : public TDatabaseTest {
protected:
    void SetUp() override {
        TDatabaseTest::SetUp();
        Db().ExecuteDirect(
            "CREATE TABLE precept (preceptid BIGINT AUTO_INCREMENT PRIMARY KEY, number "
            "VARCHAR(30), precepttypeid INT, preceptdate DATE) ENGINE=InnoDB");
        Db().Execute(
            "INSERT INTO precept (number, precepttypeid, preceptdate) VALUES "
            "('00001/24-5', 5, '2024-01-02'), ('a''b%_', 5, '2024-01-03')");
    }
};

TEST_F(FieldTestsTest, SimpleTestsAndUniquenessWithinAType) {
    TQuery q(&Db(), "PreceptZQ");
    q.SetSQL("SELECT * FROM precept ORDER BY preceptid");
    q.Open();
    TField& number = q.FieldByName("number");
    TField& id = q.FieldByName("preceptid");
    TField& date = q.FieldByName("preceptdate");
    EXPECT_TRUE(TestZeroLength(number));
    EXPECT_TRUE(TestID(id));
    EXPECT_TRUE(TestDate(date));
    // Its own number does not count against it.
    EXPECT_TRUE(TestUnique(number, "precept", "number", {{"precepttypeid", 5}}, "preceptid"));

    q.Append();
    EXPECT_FALSE(TestZeroLength(number));
    EXPECT_FALSE(TestID(id));
    EXPECT_FALSE(TestDate(date));
    number.SetValue("  ");
    EXPECT_FALSE(TestZeroLength(number));
    q.FieldByName("precepttypeid").SetValue(-3);
    EXPECT_FALSE(TestID(q.FieldByName("precepttypeid")));

    number.SetValue("00001/24-5");
    EXPECT_FALSE(TestUnique(number, "precept", "number", {{"precepttypeid", 5}}, "preceptid"));
    EXPECT_TRUE(TestUnique(number, "precept", "number", {{"precepttypeid", 6}}, "preceptid"));
    number.SetValue("a'b%_");  // found literally, not as a pattern
    EXPECT_FALSE(TestUnique(number, "precept", "number", {}, "preceptid"));
    number.SetValue("a'bX_");
    EXPECT_TRUE(TestUnique(number, "precept", "number", {}, "preceptid"));
    EXPECT_THROW(TestUnique(number, "precept where 1=1", "number", {}, "preceptid"), TError);
    q.Cancel();
}

TEST_F(FieldTestsTest, ValidatorStopsThePostWithTheCommonMessages) {
    TQuery q(&Db(), "PreceptZQ");
    q.SetSQL("SELECT * FROM precept");
    q.AddField("number", TFieldType::String, 30, "Broj");
    q.AddField("preceptdate", TFieldType::Date, 0, "Datum");
    TQuery other(&Db(), "Other");
    TValidator validator({
        {&other, "number", true, nullptr},  // another dataset's entry is not ours
        {&q, "number", true, TestZeroLength},
        {&q, "preceptdate", true, TestDate},
        {&q, "precepttypeid", false, [](const TField& f) { return f.IsNull() || TestID(f); }},
    });
    q.BeforePost = [&](TDataSet& ds) { validator.Validate(ds); };
    q.Open();
    q.Append();
    auto message = [&] {
        try {
            q.Post();
        } catch (const TError& e) {
            return e.Message();
        }
        return QString();
    };
    EXPECT_EQ(message(), res::CMN_FIELD_REQUIRED_ERR.arg("Broj"));
    q.FieldByName("number").SetValue("  ");
    EXPECT_EQ(message(), res::CMN_FIELD_INVALIDE_ERR.arg("Broj"));
    q.FieldByName("number").SetValue("7");
    EXPECT_EQ(message(), res::CMN_FIELD_REQUIRED_ERR.arg("Datum"));
    q.FieldByName("preceptdate").SetValue(QDate(2024, 5, 5));
    q.FieldByName("precepttypeid").SetValue(0);
    EXPECT_EQ(message(), res::CMN_FIELD_INVALIDE_ERR.arg("precepttypeid"));
    EXPECT_EQ(q.State(), TDataSetState::Insert);
    q.FieldByName("precepttypeid").Clear();
    EXPECT_EQ(message(), QString());
    EXPECT_EQ(Db().SelectValue("SELECT COUNT(*) FROM precept").toInt(), 3);
}

TEST_F(FieldTestsTest, RelationalIntegrityFindsReferencesOfEveryKind) {
    Db().ExecuteDirect("CREATE TABLE partner (partnerid INT PRIMARY KEY) ENGINE=InnoDB");
    Db().ExecuteDirect(
        "CREATE TABLE contract (contractid INT PRIMARY KEY, partnerid INT, "
        "FOREIGN KEY (partnerid) REFERENCES partner (partnerid)) ENGINE=InnoDB");
    Db().ExecuteDirect("CREATE TABLE document (documentid INT PRIMARY KEY, partnerid INT)");
    Db().Execute("INSERT INTO partner VALUES (1), (2), (3), (4)");
    Db().Execute("INSERT INTO contract VALUES (10, 1)");
    Db().Execute("INSERT INTO document VALUES (20, 2)");

    TRelationalIntegrity integrity;
    integrity.AddReference("partner", "document", "partnerid");
    integrity.SetConnection(&Db());
    integrity.AddFinancialCheck([](TConnection&, const QString& table, const QVariant& id) {
        return table == "partner" && id.toInt() == 3;  // a ledger line uses partner 3
    });
    EXPECT_FALSE(integrity.CanDelete("partner", 1, Db()));  // declared key
    EXPECT_FALSE(integrity.CanDelete("partner", 2, Db()));  // registered reference
    EXPECT_TRUE(integrity.CanDelete("partner", 3, Db()));
    EXPECT_FALSE(integrity.CanDeleteFinancial("partner", 3));
    EXPECT_TRUE(integrity.CanDeleteFinancial("partner", 4));
    EXPECT_TRUE(integrity.CanDelete("partner", 4, Db()));
}

}  // namespace
}  // namespace fin::test
