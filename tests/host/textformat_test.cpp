#include <gtest/gtest.h>

#include "host/common/captions.h"
#include "host/common/textformat.h"

namespace fin::test {
namespace {

TEST(FormatFloat, FollowsThePatternsOfScreensAndSystemText) {
    EXPECT_EQ(FormatFloat("0.00", 1234.565), "1234,57");
    EXPECT_EQ(FormatFloat("#,##0.00", 1234567.891), "1.234.567,89");
    EXPECT_EQ(FormatFloat("#,##0.00", -0.5), "-0,50");
    EXPECT_EQ(FormatFloat("#,##0.00", -0.004), "0,00");
    EXPECT_EQ(FormatFloat("#,##0.00", 999.999), "1.000,00");
    EXPECT_EQ(FormatFloat("0", 2.5), "3");
    EXPECT_EQ(FormatFloat("0.00", 2.675, TNumberStyle::System), "2.68");
    EXPECT_EQ(FormatFloat("#,##0.00", 1234.5, TNumberStyle::System), "1,234.50");
    EXPECT_EQ(FormatFloat("0.#############", 0.1 + 0.2, TNumberStyle::System), "0.3");
    EXPECT_EQ(NumberToText(-1500), "-1500");
    EXPECT_EQ(NumberToText(12.5), "12.5");
    EXPECT_EQ(FormatFloat("'Ukupno: '0.00", 3), "Ukupno: 3,00");
}

TEST(ParseNumber, AcceptsSerbianAndPlainFormsOnly) {
    EXPECT_EQ(ParseNumber("1.234,56"), 1234.56);
    EXPECT_EQ(ParseNumber(" 1234,5 "), 1234.5);
    EXPECT_EQ(ParseNumber("1234.5"), 1234.5);
    EXPECT_EQ(ParseNumber("-7"), -7.0);
    EXPECT_FALSE(ParseNumber("12a"));
    EXPECT_FALSE(ParseNumber("1,2,3"));
    EXPECT_FALSE(ParseNumber(""));
    EXPECT_FALSE(ParseNumber("'; DROP"));
}

TEST(Dates, TypedFormsAreReadAndWrongOnesRefused) {
    EXPECT_EQ(MyDateStrToDate("7.3.2024"), QDate(2024, 3, 7));
    EXPECT_EQ(MyDateStrToDate("07.03.2024."), QDate(2024, 3, 7));
    EXPECT_EQ(MyDateStrToDate("7.3.24"), QDate(2024, 3, 7));
    EXPECT_EQ(MyDateStrToDate("2024-02-29"), QDate(2024, 2, 29));
    EXPECT_FALSE(MyDateStrToDate("29.2.2023"));
    EXPECT_FALSE(MyDateStrToDate("2024/03/07"));
    EXPECT_FALSE(MyDateStrToDate("sutra"));
    EXPECT_EQ(DateToText(QDate(2024, 3, 7)), "07.03.2024.");
    EXPECT_EQ(DateToSql(QDate(2024, 3, 7)), "2024-03-07");
}

TEST(Captions, KindCodesMethodsAndProductTypes) {
    EXPECT_EQ(GetDocDescription("K"), "Kalkulacija");
    EXPECT_EQ(GetDocDescription("X"), "X");
    EXPECT_EQ(GetBankDescription("B"), "Dnevnik blagajne");
    EXPECT_EQ(GetMethodName(res::METH_OUT_PRICE_CAPT), "O");
    EXPECT_EQ(GetMethodCaption("I"), res::METH_AVR_IN_PRICE_CAPT);
    QStringList captions;
    FillProdTypeCaptions(captions);
    ASSERT_EQ(captions.size(), 8);
    EXPECT_EQ(captions.first(), "Roba");
    EXPECT_EQ(GetProdTypeName("k"), "Komisiona roba");
}

}  // namespace
}  // namespace fin::test
