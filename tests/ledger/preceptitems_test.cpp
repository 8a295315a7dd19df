#include "host/common/captions.h"
#include "host/data/query.h"
#include "tests/ledger/ledgertest.h"

namespace fin::test {
namespace {

class PreceptItems : public TLedgerTest {
protected:
    void SetUp() override {
        TLedgerTest::SetUp();
        if (HasFatalFailure())
            return;
        type = AddType("77");
        voucher = AddPrecept(type, QDate(2014, 3, 1), "1/14");
        Db().Execute(
            "INSERT INTO account (code, name, type) VALUES ('2020', 'Kupci', 'partner'), "
            "('4330', 'Dobavljači', NULL), ('4330', 'Dvaput', NULL)");
        Db().Execute(
            "INSERT INTO accountnew (code, name, type) VALUES ('2040', 'Kupci novi', "
            "'partner'), ('4350', 'Dobavljači novi', NULL)");
        Db().Execute("INSERT INTO partner (partnerid, name) VALUES (7, 'Sedmi')");
        oldBuyers =
            Db().SelectValue("SELECT accountid FROM account WHERE code='2020'").toLongLong();
        newBuyers =
            Db().SelectValue("SELECT accountnewid FROM accountnew WHERE code='2040'").toLongLong();
        TQuery& lines = dm->PreceptItemZQ();
        lines.ParamByName("IDPrecept").SetValue(voucher);
        lines.Open();
    }
    TField& F(const char* name) { return dm->PreceptItemZQ().FieldByName(name); }
    void NewLine(const QString& text) {
        TQuery& lines = dm->PreceptItemZQ();
        lines.Append();
        F("preceptid").SetValue(voucher);
        F("accountid").SetValue(oldBuyers);
        F("accountnewid").SetValue(newBuyers);
        F("description").SetValue(text);
        lines.Post();
    }
    QStringList Order() {
        TQuery& lines = dm->PreceptItemZQ();
        lines.SetIndexFieldNames("sort");
        QStringList texts;
        for (lines.First(); !lines.Eof(); lines.Next())
            texts << QStringLiteral("%1:%2")
                         .arg(F("sort").AsInteger())
                         .arg(F("description").AsString());
        return texts;
    }
    qint64 type = 0, voucher = 0, oldBuyers = 0, newBuyers = 0;
};

TEST_F(PreceptItems, NumbersRoundsAndRenumbersLines) {
    dm->Options().FinancialYear = 2014;
    for (const char* t : {"a", "b", "c", "d", "e"})
        NewLine(t);
    EXPECT_EQ(dm->LastItemSort, 5);
    EXPECT_EQ(Order(), QStringList({"1:a", "2:b", "3:c", "4:d", "5:e"}));

    TQuery& lines = dm->PreceptItemZQ();
    ASSERT_TRUE(lines.Locate("description", QStringLiteral("c")));
    ui.Answer(TAnswer::Yes);
    lines.Delete();
    EXPECT_EQ(Order(), QStringList({"1:a", "2:b", "3:d", "4:e"}));
    // A declined question deletes nothing and renumbers nothing.
    ASSERT_TRUE(lines.Locate("description", QStringLiteral("a")));
    ui.Answer(TAnswer::No);
    EXPECT_THROW(lines.Delete(), TAbort);
    EXPECT_EQ(Order(), QStringList({"1:a", "2:b", "3:d", "4:e"}));
    // Deleting everything at once asks nothing and leaves the numbers alone.
    dm->RecalcSortOnDelete = false;
    ASSERT_TRUE(lines.Locate("description", QStringLiteral("b")));
    lines.Delete();
    dm->RecalcSortOnDelete = true;
    EXPECT_EQ(Order(), QStringList({"1:a", "3:d", "4:e"}));
    EXPECT_TRUE(ui.Unexpected().isEmpty());

    lines.First();
    lines.Edit();
    F("credit").SetValue(3.14159);
    F("debit").SetValue(2.675);
    lines.Post();
    EXPECT_DOUBLE_EQ(F("credit").AsFloat(), 3.14);
    EXPECT_DOUBLE_EQ(F("debit").AsFloat(), 2.68);
    lines.ApplyUpdates();
    EXPECT_EQ(
        Db().SelectValue("SELECT COUNT(*) FROM preceptitem WHERE preceptid = ?", {voucher}).toInt(),
        3);
    EXPECT_DOUBLE_EQ(
        Db().SelectValue("SELECT MAX(credit) FROM preceptitem WHERE preceptid = ?", {voucher})
            .toDouble(),
        3.14);
}

TEST_F(PreceptItems, EachYearNeedsItsChartsAccount) {
    TQuery& lines = dm->PreceptItemZQ();
    auto posts = [&](int year, bool withOld, bool withNew) {
        dm->Options().FinancialYear = year;
        lines.Append();
        F("preceptid").SetValue(voucher);
        if (withOld)
            F("accountid").SetValue(oldBuyers);
        if (withNew)
            F("accountnewid").SetValue(newBuyers);
        try {
            lines.Post();
            return true;
        } catch (const TError& e) {
            EXPECT_TRUE(e.Message().startsWith("Polje")) << e.Message().toStdString();
            lines.Cancel();
            return false;
        }
    };
    EXPECT_FALSE(posts(2013, false, true));
    EXPECT_TRUE(posts(2013, true, false));
    EXPECT_FALSE(posts(2015, true, false));
    EXPECT_TRUE(posts(2015, false, true));
    EXPECT_FALSE(posts(2014, true, false));
    EXPECT_FALSE(posts(2014, false, true));
    EXPECT_TRUE(posts(2014, true, true));
}

TEST_F(PreceptItems, TypedCodesAndSubaccounts) {
    dm->Options().FinancialYear = 2014;
    TQuery& lines = dm->PreceptItemZQ();
    NewLine("moj tekst");
    lines.Edit();
    F("accountid").SetValue(QVariant());
    // A code that does not exist, or that two accounts share, changes nothing.
    F("ContoCode").SetValue("9999");
    EXPECT_TRUE(F("accountid").IsNull());
    F("ContoCode").SetValue("4330");
    EXPECT_TRUE(F("accountid").IsNull());
    dm->Options().ChangePreceptItemDescription = false;
    F("ContoCode").SetValue("2020");
    EXPECT_EQ(F("accountid").AsInteger(), oldBuyers);
    EXPECT_EQ(F("description").AsString(), "moj tekst");
    dm->Options().ChangePreceptItemDescription = true;
    F("ContoNewCode").SetValue("4350");
    EXPECT_EQ(F("description").AsString(), "Dobavljači novi");
    F("ContoNewCode").SetValue("2040");
    EXPECT_EQ(F("AccountType").AsString(), "partner");
    F("foreignid").SetValue(7);
    EXPECT_EQ(F("SubcontoName").AsString(), "Sedmi");
    lines.Post();

    // A sub-account that is no row of the type's table is refused; none is always fine.
    lines.Edit();
    F("foreignid").SetValue(8);
    EXPECT_THROW(lines.Post(), TError);
    F("foreignid").SetValue(QVariant());
    EXPECT_EQ(F("SubcontoName").AsString(), "");
    lines.Post();
    // In 2015 only the new chart's account counts.
    dm->Options().FinancialYear = 2015;
    lines.Edit();
    F("accountid").SetValue(QVariant());
    F("foreignid").SetValue(7);
    lines.Post();
}

TEST_F(PreceptItems, LookupsOfTheSourceModules) {
    Db().Execute(
        "INSERT INTO currency (code, name, status) VALUES ('RSD', 'Dinar', 'primary'), "
        "('EUR', 'Evro', '')");
    Db().Execute(
        "INSERT INTO currencyexchange (exchangelistid, code1, code2, code1amount, "
        "code2amount) VALUES (3, 'EUR', 'RSD', 1, 117.2)");
    EXPECT_EQ(dm->GetDefaultCurrency(), "RSD");
    EXPECT_DOUBLE_EQ(dm->GetDefaultCurrRate(3, "RSD"), 1.0);
    EXPECT_DOUBLE_EQ(dm->GetDefaultCurrRate(3, "EUR"), 117.2);
    EXPECT_DOUBLE_EQ(dm->GetDefaultCurrRate(3, "USD"), 1.0);
    EXPECT_DOUBLE_EQ(dm->GetDefaultCurrRate(4, "EUR"), 1.0);

    Db().Execute(
        "INSERT INTO document (documentid, documenttype, number, status) VALUES "
        "(5, 'R', '12/24', 'n'), (6, 'N', '1', 'n')");
    Db().Execute("UPDATE document SET reservationid = 5 WHERE documentid = 6");
    EXPECT_EQ(dm->GetRelatedEntityDescription("document", 5), "R - 12/24");
    EXPECT_EQ(dm->GetRelatedEntityDescription("document", 99), " ");
    EXPECT_EQ(dm->GetRelatedEntityDescription("fadocument", 5), " ");
    EXPECT_TRUE(dm->DocumentHasAutoNivChild(5));
    EXPECT_FALSE(dm->DocumentHasAutoNivChild(6));
    EXPECT_TRUE(dm->AutoNivParentIsInvoice(5));
    EXPECT_FALSE(dm->AutoNivParentIsInvoice(6));
    EXPECT_FALSE(dm->SpecificCategoryInDocumentFin(5));

    QChar price, method;
    QString code = "x";
    dm->GetWarehouseByID(42, price, method, code);
    EXPECT_EQ(price, QChar('v'));
    EXPECT_EQ(method, QChar(' '));
    EXPECT_TRUE(code.isEmpty());
    Db().Execute("UPDATE partner SET partnertype = ' K D ' WHERE partnerid = 7");
    EXPECT_EQ(dm->GetPartnerTypeByID(7), "KD");
    double cash = 1, cheque = 1, card = 1;
    dm->GetRetailDocumentPayment(5, cash, cheque, card);
    EXPECT_DOUBLE_EQ(cash + cheque + card, 0);
}

class TCountingBank : public IBankPayments {
public:
    void GetDocumentPayments(int documentId, int, double& paidOut, double& paidIn, int, int,
                             int) override {
        asked << documentId;
        paidOut = 1;
        paidIn = 1 + documentId * 10.004;
    }
    QList<int> asked;
};

TEST_F(PreceptItems, LinkedAdvancesAddTheirPaymentsOnceAndSplitTheirTax) {
    Db().Execute("INSERT INTO currency (code, name, status) VALUES ('RSD', 'Dinar', 'primary')");
    Db().Execute(
        "INSERT INTO currencyexchange (exchangelistid, code1, code2, code1amount, "
        "code2amount) VALUES (3, 'EUR', 'RSD', 1, 100)");
    Db().Execute(
        "INSERT INTO document (documentid, documenttype, number, status, exchangelistid, "
        "documentcurrency) VALUES (1, 'R', 'F1', 'n', 3, 'RSD'), "
        "(2, 'A', 'AV1', 'n', 3, 'RSD'), (3, 'A', 'AV2', 'n', 3, 'EUR'), "
        "(4, 'A', 'AV3', 'n', 3, 'RSD')");
    Db().Execute("INSERT INTO documentdoc (documentid, relateddocumentid) VALUES (2, 1), (3, 1)");
    Db().Execute(
        "INSERT INTO documentitem (documentid, itemvalue, taxvalue, intax) VALUES "
        "(2, 100, 20, 0), (2, 50, 20, 0), (2, 30, 10, 0), (3, 2, 20, 0), (3, 1, 0, 0), "
        "(4, 999, 20, 0)");
    // Without the bank module: a message, and nothing paid.
    EXPECT_DOUBLE_EQ(dm->GetDocumentPayments(2), 0);
    EXPECT_EQ(ui.LastText(), res::CMN_NO_MODULE.arg(res::CMN_MOD_BANK_NAME));

    auto bank = std::make_shared<TCountingBank>();
    dm->BankLookup = [bank] { return bank; };
    double payments, value, high, low;
    dm->GetDocumentStornoAdvance(1, "A", "taxvalue", payments, value, high, low);
    EXPECT_EQ(bank->asked, QList<int>({2, 3}));
    EXPECT_DOUBLE_EQ(payments, 20.01 + 30.01);
    EXPECT_DOUBLE_EQ(value, 150 + 30 + 200 + 100);
    EXPECT_DOUBLE_EQ(high, 0.2 * 150 + 0.2 * 200);
    EXPECT_DOUBLE_EQ(low, 0.1 * 30);
    EXPECT_THROW(dm->GetDocumentStornoAdvance(1, "A", "taxvalue; DROP", payments, value, high, low),
                 TError);
}

}  // namespace
}  // namespace fin::test
