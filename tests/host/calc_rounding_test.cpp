#include <gtest/gtest.h>

#include "host/common/calcexpress.h"
#include "host/common/rounding.h"

namespace fin::test {
namespace {

TEST(BetterRoundTo, RoundsDecimalHalvesAwayFromZero) {
    EXPECT_EQ(BetterRoundTo(2.675, -2), 2.68);  // binary rounding would give 2.67
    EXPECT_EQ(BetterRoundTo(1.005, -2), 1.01);
    EXPECT_EQ(BetterRoundTo(-2.675, -2), -2.68);
    EXPECT_EQ(BetterRoundTo(0.1 + 0.2, -2), 0.3);
    EXPECT_EQ(BetterRoundTo(1234567.8949, -2), 1234567.89);
    EXPECT_EQ(BetterRoundTo(9.9995, -3), 10.0);
    EXPECT_EQ(BetterRoundTo(0.0005, -3), 0.001);
    EXPECT_EQ(BetterRoundTo(-0.004, -2), 0.0);
    EXPECT_FALSE(std::signbit(BetterRoundTo(-0.004, -2)));
    EXPECT_EQ(BetterRoundTo(12.5, 0), 13.0);
    EXPECT_EQ(BetterRoundTo(1250, 2), 1300.0);
    EXPECT_EQ(BetterRoundTo(1e15 + 0.125, -2), 1e15 + 0.13);
}

double Calc(const QString& text) {
    TCalcExpress c;
    c.init(text);
    return c.calc();
}

TEST(TCalcExpress, ComputesArithmeticAndReportsFaults) {
    EXPECT_DOUBLE_EQ(Calc("1+2*3"), 7);
    EXPECT_DOUBLE_EQ(Calc("(1+2)*3"), 9);
    EXPECT_DOUBLE_EQ(Calc("1234.56-(-100.44)"), 1335);
    EXPECT_DOUBLE_EQ(Calc("10/4"), 2.5);
    EXPECT_DOUBLE_EQ(Calc(" 5*(-2) + 0"), -10);
    EXPECT_DOUBLE_EQ(Calc(""), 0);

    auto kindOf = [](const QString& text) {
        try {
            Calc(text);
        } catch (const TCalcError& e) {
            return e.GetKind();
        }
        ADD_FAILURE() << "no error for " << text.toStdString();
        return TCalcError::Kind::Syntax;
    };
    EXPECT_EQ(kindOf("0/0"), TCalcError::Kind::InvalidOperation);
    EXPECT_EQ(kindOf("1/0"), TCalcError::Kind::ZeroDivide);
    EXPECT_EQ(kindOf("2+*3"), TCalcError::Kind::Syntax);
    EXPECT_EQ(kindOf("(1+2"), TCalcError::Kind::Syntax);
    EXPECT_EQ(kindOf("UkProd+1"), TCalcError::Kind::Syntax);  // an unreplaced variable
    EXPECT_EQ(kindOf("1,5+2"), TCalcError::Kind::Syntax);     // system text: decimal point

    // Syntax errors already surface in init, where callers tell them apart.
    TCalcExpress c;
    EXPECT_THROW(c.init("3*/"), TCalcError);
    c.init("x1*x2+1");
    EXPECT_DOUBLE_EQ(c.calc({2, 3.5}), 8);
    EXPECT_DOUBLE_EQ(c.calc(), 1);
}

}  // namespace
}  // namespace fin::test
