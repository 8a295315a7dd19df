#include "posting/autoconter.h"
#include "tests/posting/postingtest.h"

namespace fin::test {
namespace {

using Posting = TPostingTest;

TEST_F(Posting, AnInvoiceBecomesABalancedVoucher) {
    const qint64 goods = Product("Roba A");
    const qint64 doc = Document("R", QDate(2024, 3, 5), "12", partner, wholesale);
    Item(doc, goods, 2, 100, 80, 200);
    Card(doc, goods, 0, 2, 80, 0, 160);
    Rule("R", "2040", "[Partner{X}]", "[UkProd]+[UkPDV]", "0", "[DokumentOpis]");
    Rule("R", "6040", "", "0", "[UkProd]", "Prihod");
    Rule("R", "4700", "", "0", "[UkPDV]", "PDV");
    Rule("R", "5010", "", "[UkNab]", "0", "Nabavna");
    Rule("R", "1320", "", "0", "[UkNab]", "Roba");
    EXPECT_EQ(PostAll(), 1) << ui.LastText().toStdString();
    const qint64 precept = PreceptOf(doc);
    ASSERT_GT(precept, 0);
    const auto lines = Lines(precept);
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0].code, "2040");
    EXPECT_EQ(lines[0].foreignId, 7);
    EXPECT_EQ(lines[0].description, "Račun - 12");
    EXPECT_DOUBLE_EQ(lines[0].debit, 240);
    EXPECT_DOUBLE_EQ(lines[1].credit, 200);
    EXPECT_DOUBLE_EQ(lines[2].credit, 40);
    EXPECT_DOUBLE_EQ(lines[3].debit, 160);
    // Posted once: a second run finds nothing.
    EXPECT_EQ(PostAll(), 0);
    EXPECT_TRUE(ui.Unexpected().isEmpty()) << ui.Unexpected().join('|').toStdString();
}

}  // namespace
}  // namespace fin::test
