#include <gtest/gtest.h>

#include "host/data/dbinifile.h"
#include "testdatabase.h"

namespace fin::test {
namespace {

class DBIniFileTest : public TDatabaseTest {
protected:
    void SetUp() override {
        TDatabaseTest::SetUp();
        TDBIniFile::CreateTable(Db());
        TDBIniFile::CreateTable(Db());  // safe to repeat
    }
};

TEST_F(DBIniFileTest, ValuesRoundTripAsTextSharedByWorkstations) {
    TDBIniFile ini(&Db());
    EXPECT_EQ(ini.ReadString("Financial", "PreceptNumFmt", "{g}{g}{g}{g}{g}/yy"),
              "{g}{g}{g}{g}{g}/yy");
    EXPECT_EQ(ini.ReadInteger("Financial", "FinancialYear", 2024), 2024);
    EXPECT_TRUE(ini.ReadBool("Financial", "ChangePreceptItemDescription", true));

    const QString tricky = QStringLiteral("'\"\\%_ ćčžšđ ") + QString(70000, QChar('x'));
    ini.WriteString("Financial", "Text", tricky);
    ini.WriteInteger("Financial", "FinancialYear", 2013);
    ini.WriteBool("Financial", "UseDocumentDate", true);
    ini.WriteDate("Financial", "UnregisterClosedPeriod", QDate(2023, 12, 31));
    ini.WriteDateTime("AutoConter", "Started", QDateTime(QDate(2024, 1, 2), QTime(10, 30, 5)));
    ini.WriteString("Financial", "Text2", "");

    auto second = OpenSecond();
    TDBIniFile other(second.get());
    EXPECT_EQ(other.ReadString("Financial", "Text", {}), tricky);
    EXPECT_EQ(other.ReadInteger("Financial", "FinancialYear", 0), 2013);
    EXPECT_TRUE(other.ReadBool("Financial", "UseDocumentDate", false));
    EXPECT_EQ(other.ReadDate("Financial", "UnregisterClosedPeriod", {}), QDate(2023, 12, 31));
    EXPECT_EQ(other.ReadDateTime("AutoConter", "Started", {}),
              QDateTime(QDate(2024, 1, 2), QTime(10, 30, 5)));
    EXPECT_TRUE(other.ValueExists("Financial", "Text2"));
    EXPECT_EQ(other.ReadString("Financial", "Text2", "default"), "");

    // Stored as text, one row per section and name.
    EXPECT_EQ(Db().SelectValue("SELECT value FROM ini WHERE section = 'Financial' AND "
                               "name = 'UseDocumentDate'")
                  .toString(),
              "1");
    EXPECT_EQ(
        Db().SelectValue("SELECT value FROM ini WHERE name = 'UnregisterClosedPeriod'").toString(),
        "2023-12-31");
    ini.WriteInteger("Financial", "FinancialYear", 2014);
    EXPECT_EQ(Db().SelectValue("SELECT COUNT(*) FROM ini WHERE name = 'FinancialYear'").toInt(), 1);

    // Unreadable values give the default instead of garbage.
    ini.WriteString("Financial", "Broken", "12x");
    EXPECT_EQ(ini.ReadInteger("Financial", "Broken", 7), 7);
    EXPECT_FALSE(ini.ReadBool("Financial", "Broken", false));
    EXPECT_EQ(ini.ReadDate("Financial", "Broken", QDate(2001, 1, 1)), QDate(2001, 1, 1));

    EXPECT_EQ(ini.ReadSection("AutoConter"), QStringList{"Started"});
    ini.EraseSection("AutoConter");
    EXPECT_TRUE(ini.ReadSection("AutoConter").isEmpty());
    ini.DeleteKey("Financial", "Broken");
    EXPECT_FALSE(ini.ValueExists("Financial", "Broken"));

    // Without a connection every read is its default.
    TDBIniFile none(nullptr);
    EXPECT_EQ(none.ReadInteger("Financial", "FinancialYear", 1999), 1999);
}

}  // namespace
}  // namespace fin::test
