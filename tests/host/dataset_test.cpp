#include <gtest/gtest.h>

#include "host/common/captions.h"
#include "host/data/customdm.h"
#include "host/ui/uiservice.h"
#include "testdatabase.h"

namespace fin::test {
namespace {

const QString kTricky = QStringLiteral("Ulaz \"robe\" d'o.o. \\ 50% a_b ćčžšđ ЉЊ");

class DataSetTest : public TDatabaseTest {
protected:
    void SetUp() override {
        TDatabaseTest::SetUp();
        Db().ExecuteDirect(
            "CREATE TABLE precepttype (precepttypeid INT AUTO_INCREMENT PRIMARY KEY, "
            "name VARCHAR(50) NOT NULL, number VARCHAR(15) NOT NULL) ENGINE=InnoDB");
        Db().ExecuteDirect(
            "CREATE TABLE precept (preceptid BIGINT AUTO_INCREMENT PRIMARY KEY, "
            "preceptdate DATE NOT NULL, number VARCHAR(30) NOT NULL, status CHAR(1) NOT NULL, "
            "precepttypeid INT NOT NULL, description VARCHAR(255) NULL, "
            "UNIQUE KEY (number, precepttypeid)) ENGINE=InnoDB");
        Db().Execute("INSERT INTO precepttype (name, number) VALUES ('Ulazne fakture', '40')");
        const struct {
            const char* date;
            const char* number;
            const char* description;
        } rows[] = {{"2024-03-05", "00001/24-40", "prvi"},
                    {"2024-03-07", "00002/24-40", "drugi"},
                    {"2024-03-05", "00003/24-40", "treći"},
                    {"2024-01-02", "00004/24-40", "Ulaz robe"}};
        for (const auto& r : rows)
            Db().Execute(
                "INSERT INTO precept (preceptdate, number, status, precepttypeid, "
                "description) VALUES (?, ?, 'n', 1, ?)",
                {QDate::fromString(r.date, Qt::ISODate), r.number,
                 QString::fromUtf8(r.description)});
    }

    // The list query as the voucher list runs it.
    std::unique_ptr<TQuery> PreceptQuery() {
        auto q = std::make_unique<TQuery>(&Db(), "PreceptZQ");
        q->SetSQL(
            "SELECT p.number AS number,p.*,CONCAT(pt.name,'') AS PreceptType "
            "FROM precept AS p INNER JOIN precepttype AS pt ON p.precepttypeid = "
            "pt.precepttypeid WHERE p.preceptdate >= :From ORDER BY p.preceptid");
        q->ParamByName("From").SetValue(QDate(2024, 1, 1));
        return q;
    }

    QString Stored(qint64 id, const char* column) {
        return Db()
            .SelectValue(QStringLiteral("SELECT %1 FROM precept WHERE preceptid = ?")
                             .arg(QString::fromLatin1(column)),
                         {id})
            .toString();
    }
};

TEST_F(DataSetTest, QueryBindsParametersNavigatesOrdersLocatesAndFilters) {
    auto q = PreceptQuery();
    q->ParamByName("from").SetValue(QDate(2024, 3, 1));  // names are case-insensitive
    q->Open();
    EXPECT_EQ(q->RecordCount(), 3);
    EXPECT_TRUE(q->FindField("number_1"));  // p.number repeated by p.*
    EXPECT_EQ(q->FieldByName("preceptdate").DataType(), TFieldType::Date);

    QStringList seen;
    for (q->First(); !q->Eof(); q->Next())
        seen << q->FieldByName("number").AsString();
    EXPECT_EQ(seen, (QStringList{"00001/24-40", "00002/24-40", "00003/24-40"}));
    q->Next();
    EXPECT_TRUE(q->Eof());
    q->Prior();
    q->Prior();
    q->Prior();
    EXPECT_TRUE(q->Bof());
    EXPECT_EQ(q->RecNo(), 1);

    q->SetIndexFieldNames("preceptdate DESC, preceptid DESC");
    seen.clear();
    for (q->First(); !q->Eof(); q->Next())
        seen << q->FieldByName("description").AsString();
    EXPECT_EQ(seen, (QStringList{"drugi", QString::fromUtf8("treći"), "prvi"}));

    EXPECT_TRUE(q->Locate("number", "00001/24-40"));
    EXPECT_EQ(q->FieldByName("description").AsString(), "prvi");
    EXPECT_TRUE(q->Locate("description", "DRU", {.caseInsensitive = true, .partialKey = true}));
    EXPECT_EQ(q->FieldByName("number").AsString(), "00002/24-40");
    EXPECT_FALSE(q->Locate("preceptid", "not a number"));
    EXPECT_EQ(q->FieldByName("number").AsString(), "00002/24-40");  // cursor stays

    q->SetOnFilterRecord(
        [](TDataSet& ds) { return ds.FieldByName("preceptdate").AsDate().day() == 5; });
    q->SetFiltered(true);
    EXPECT_TRUE(q->Filtered());
    EXPECT_EQ(q->RecordCount(), 2);
    q->SetFiltered(false);
    EXPECT_EQ(q->RecordCount(), 3);

    q->Close();
    q->ParamByName("From").SetValue(QDate(2024, 3, 6));
    q->Open();
    EXPECT_EQ(q->RecordCount(), 1);
    EXPECT_THROW(q->FieldByName("missing"), TError);
}

TEST_F(DataSetTest, LiveEditsWriteOnlyChangedColumnsByKey) {
    auto q = PreceptQuery();
    q->Open();
    ASSERT_TRUE(q->Locate("number", "00002/24-40"));
    const qint64 id = q->FieldByName("preceptid").AsInteger();

    // Another workstation changes the status meanwhile; our edit of the text keeps it.
    auto other = OpenSecond();
    other->Execute("UPDATE precept SET status = 'p' WHERE preceptid = ?", {id});
    q->Edit();
    q->FieldByName("description").SetValue(kTricky);
    q->Post();
    EXPECT_EQ(Stored(id, "description"), kTricky);
    EXPECT_EQ(Stored(id, "status"), "p");
    EXPECT_EQ(q->State(), TDataSetState::Browse);

    // Computed and joined columns are never written.
    q->Edit();
    q->FieldByName("PreceptType").SetValue("drugo ime");
    q->Post();
    EXPECT_EQ(Db().SelectValue("SELECT name FROM precepttype").toString(), "Ulazne fakture");

    // Insert takes the key the database gives.
    q->Append();
    q->FieldByName("preceptdate").SetValue(QDate(2024, 5, 1));
    q->FieldByName("number").SetValue("00005/24-40");
    q->FieldByName("status").SetValue("n");
    q->FieldByName("precepttypeid").SetValue(1);
    q->Post();
    const qint64 newId = q->FieldByName("preceptid").AsInteger();
    EXPECT_GT(newId, id);
    EXPECT_EQ(Stored(newId, "number"), "00005/24-40");

    q->Delete();
    EXPECT_EQ(Db().SelectValue("SELECT COUNT(*) FROM precept").toInt(), 4);
    q->Close();
    q->Open();
    ASSERT_TRUE(q->Locate("preceptid", id));
    EXPECT_EQ(q->FieldByName("description").AsString(), kTricky);
}

TEST_F(DataSetTest, FailedPostKeepsEditStateAndValues) {
    auto q = PreceptQuery();
    q->Open();
    const qint64 id = q->FieldByName("preceptid").AsInteger();

    // A rule refuses.
    q->BeforePost = [](TDataSet& ds) {
        if (ds.FieldByName("description").AsString() == "zabranjeno")
            throw TError("Ne može.");
    };
    q->Edit();
    q->FieldByName("description").SetValue("zabranjeno");
    EXPECT_THROW(q->Post(), TError);
    EXPECT_EQ(q->State(), TDataSetState::Edit);
    EXPECT_EQ(q->FieldByName("description").AsString(), "zabranjeno");

    // The database refuses (the number is taken by another voucher of the type).
    q->FieldByName("description").SetValue("novo");
    q->FieldByName("number").SetValue("00002/24-40");
    EXPECT_THROW(q->Post(), TDbError);
    EXPECT_EQ(q->State(), TDataSetState::Edit);
    EXPECT_EQ(q->FieldByName("number").AsString(), "00002/24-40");
    EXPECT_EQ(Stored(id, "number"), "00001/24-40");
    q->FieldByName("number").SetValue("00009/24-40");
    q->Post();
    EXPECT_EQ(Stored(id, "number"), "00009/24-40");
    EXPECT_EQ(Stored(id, "description"), "novo");

    // The row vanished on another workstation: reported, nothing lost here.
    OpenSecond()->Execute("DELETE FROM precept WHERE preceptid = ?", {id});
    q->Edit();
    q->FieldByName("description").SetValue("izgubljeno?");
    try {
        q->Post();
        FAIL();
    } catch (const TDbError& e) {
        EXPECT_EQ(e.Message(), res::CMN_RECORD_CHANGED_ERR);
    }
    EXPECT_EQ(q->FieldByName("description").AsString(), "izgubljeno?");
    q->Cancel();
    EXPECT_EQ(q->FieldByName("description").AsString(), "novo");
}

TEST_F(DataSetTest, CachedEditsWaitAndApplyAllOrNothing) {
    auto snapshot = [&] {
        QStringList rows;
        for (const auto& r :
             Db().Select("SELECT preceptid, number, description FROM precept ORDER BY 1").rows)
            rows << r[0].toString() + "|" + r[1].toString() + "|" + r[2].toString();
        return rows;
    };
    const QStringList before = snapshot();
    auto q = PreceptQuery();
    q->SetCachedUpdates(true);
    q->Open();
    q->Edit();
    q->FieldByName("description").SetValue("izmenjen");
    q->Post();
    q->Next();
    q->Delete();
    q->Append();
    q->FieldByName("preceptdate").SetValue(QDate(2024, 6, 1));
    q->FieldByName("number").SetValue("00004/24-40");  // taken: the apply must fail
    q->FieldByName("status").SetValue("n");
    q->FieldByName("precepttypeid").SetValue(1);
    q->Post();
    EXPECT_TRUE(q->UpdatesPending());
    EXPECT_EQ(snapshot(), before);

    EXPECT_THROW(q->ApplyUpdates(), TDbError);
    EXPECT_EQ(snapshot(), before);  // the update and the delete were rolled back
    EXPECT_TRUE(q->UpdatesPending());
    EXPECT_EQ(q->RecordCount(), 4);
    EXPECT_TRUE(q->FieldByName("preceptid").IsNull());  // no key from the failed attempt

    q->Edit();
    q->FieldByName("number").SetValue("00006/24-40");
    q->Post();
    q->ApplyUpdates();
    EXPECT_FALSE(q->UpdatesPending());
    EXPECT_FALSE(q->FieldByName("preceptid").IsNull());
    const QStringList after = snapshot();
    EXPECT_EQ(after.size(), 4);
    EXPECT_TRUE(after.filter("izmenjen").size() == 1);
    EXPECT_TRUE(after.filter("00006/24-40").size() == 1);
    EXPECT_TRUE(after.filter("drugi").isEmpty());

    // Cancelling brings back what was loaded, in load order.
    q->First();
    q->Delete();
    q->Edit();
    q->FieldByName("description").SetValue("ne ostaje");
    q->Post();
    q->CancelUpdates();
    EXPECT_EQ(q->RecordCount(), 4);
    q->First();
    EXPECT_EQ(q->FieldByName("description").AsString(), "izmenjen");
    EXPECT_EQ(snapshot(), after);
}

class TRecordingObserver : public IDataSetObserver {
public:
    void DataSetEvent(TDataSet&, TDataEvent event) override { events.push_back(event); }
    std::vector<TDataEvent> events;
};

TEST_F(DataSetTest, EventsHooksAndControlsFollowTheOperations) {
    auto q = PreceptQuery();
    QStringList log;
    auto record = [&](const char* name) { return [&log, name](TDataSet&) { log << name; }; };
    q->OnNewRecord = [&](TDataSet& ds) {
        log << "new";
        ds.FieldByName("status").SetValue("n");
    };
    q->BeforePost = record("beforePost");
    q->AfterPost = record("afterPost");
    q->BeforeDelete = record("beforeDelete");
    q->AfterDelete = record("afterDelete");
    q->AfterScroll = record("scroll");
    q->AddField("status", TFieldType::String, 1, "Status").OnChange = [&](TField& f) {
        log << "status=" + f.AsString();
    };
    TField& date = q->AddField("preceptdate", TFieldType::Date, 0, "Datum");
    date.SetRequired(true);
    q->Open();
    EXPECT_EQ(q->FieldByName("status").DisplayLabel(), "Status");
    EXPECT_EQ(log, (QStringList{"scroll"}));

    log.clear();
    q->Append();
    EXPECT_EQ(log, (QStringList{"new", "status=n"}));
    try {
        q->Post();
        FAIL();
    } catch (const TError& e) {
        EXPECT_EQ(e.Message(), res::CMN_FIELD_REQUIRED_ERR.arg("Datum"));
    }
    q->Cancel();

    log.clear();
    q->BeforeDelete = [&](TDataSet&) {
        log << "beforeDelete";
        throw TAbort();
    };
    EXPECT_THROW(q->Delete(), TAbort);
    EXPECT_EQ(q->RecordCount(), 4);
    q->BeforeDelete = record("beforeDelete");
    q->Delete();
    EXPECT_EQ(log, (QStringList{"beforeDelete", "beforeDelete", "afterDelete", "scroll"}));

    // Display rules: hooks and number formats.
    q->FieldByName("status").OnGetText = [](const TField& f, bool) {
        return f.AsString() == "p" ? res::DOC_REG_STATUS_CAPTION : res::DOC_NOT_REG_STATUS_CAPTION;
    };
    q->FieldByName("status").OnSetText = [](TField& f, const QString& text) {
        f.SetValue(text == res::DOC_REG_STATUS_CAPTION ? "p" : "n");
    };
    EXPECT_EQ(q->FieldByName("status").DisplayText(), "Neproknjižen");
    q->Edit();
    q->FieldByName("status").SetText("Proknjižen");
    EXPECT_EQ(q->FieldByName("status").AsString(), "p");
    q->FieldByName("preceptdate").SetText("7.3.2024");
    EXPECT_EQ(q->FieldByName("preceptdate").AsDate(), QDate(2024, 3, 7));
    EXPECT_THROW(q->FieldByName("preceptdate").SetText("32.13.2024"), TError);
    EXPECT_EQ(q->FieldByName("preceptdate").AsDate(), QDate(2024, 3, 7));
    EXPECT_THROW(q->FieldByName("precepttypeid").SetText("abc"), TError);
    q->Cancel();
    EXPECT_THROW(q->FieldByName("status").SetValue("p"), TError);  // not editing

    // Bound controls hear nothing while disabled, then one reset.
    TRecordingObserver observer;
    q->AddObserver(&observer);
    q->DisableControls();
    q->Last();
    q->First();
    EXPECT_TRUE(observer.events.empty());
    q->EnableControls();
    EXPECT_EQ(observer.events, std::vector<TDataEvent>{TDataEvent::Reset});
    q->RemoveObserver(&observer);

    // Declared fields keep their settings when the statement changes.
    q->Close();
    q->SetSQL("SELECT * FROM precept WHERE preceptid > :Id");
    q->ParamByName("Id").SetValue(0);
    q->Open();
    EXPECT_EQ(q->FieldByName("preceptdate").DisplayLabel(), "Datum");
    EXPECT_EQ(q->FieldByName("status").DisplayText(), "Neproknjižen");
}

TEST(MemDataSet, InMemoryTableSortsLocatesAndFormats) {
    TDataSet cds("PreceptPrintCDS");
    cds.AddField("PreceptID", TFieldType::Integer);
    cds.AddField("PreceptNumber", TFieldType::String, 30);
    cds.AddField("Amount", TFieldType::Float).SetDisplayFormat("#,##0.00");
    cds.AddField("PreceptPrint", TFieldType::Boolean, 0, "Štampaj");
    cds.Open();
    cds.AppendRecord({3, "B-2", 1234.5, true});
    cds.AppendRecord({1, "A-1", -0.005, false});
    cds.AppendRecord({2, kTricky, 1e6, true});
    EXPECT_EQ(cds.RecordCount(), 3);
    cds.SetIndexFieldNames("PreceptID");
    cds.First();
    EXPECT_EQ(cds.FieldByName("PreceptNumber").AsString(), "A-1");
    EXPECT_EQ(cds.FieldByName("Amount").DisplayText(), "-0,01");
    cds.Next();
    EXPECT_EQ(cds.FieldByName("PreceptNumber").AsString(), kTricky);
    EXPECT_EQ(cds.FieldByName("Amount").DisplayText(), "1.000.000,00");
    EXPECT_TRUE(cds.Locate("PreceptNumber", "b-2", {.caseInsensitive = true}));
    EXPECT_EQ(cds.FieldByName("Amount").DisplayText(), "1.234,50");
    EXPECT_TRUE(cds.FieldByName("PreceptPrint").AsBoolean());
    cds.EmptyDataSet();
    EXPECT_TRUE(cds.IsEmpty());
    EXPECT_TRUE(cds.Eof());
}

class TTestDM : public TCustomDM {
public:
    explicit TTestDM(TConnection* c) {
        types = &AddQuery("PrecepttypeZQ", "SELECT * FROM precepttype ORDER BY precepttypeid");
        types->BeforePost = [this](TDataSet& ds) { CommonBeforePost(ds); };
        types->BeforeDelete = [this](TDataSet& ds) { CommonBeforeDelete(ds); };
        SetZConnection(c);
        DataModuleCreate();
    }
    TQuery* types;

protected:
    void CreateFieldValidations(TFieldValidations& v) override {
        v.push_back({types, "name", true, TestZeroLength});
        v.push_back({types, "number", true, [](const TField& f) {
                         return TestUnique(f, "precepttype", "number", {}, "precepttypeid");
                     }});
    }
};

TEST_F(DataSetTest, DataModuleRulesCopiesAndLookups) {
    TTestDM dm(&Db());
    TScriptedUiService ui;
    SetUi(&ui);
    TQuery& types = *dm.types;
    types.Open();
    types.Append();
    types.FieldByName("name").SetValue("   ");
    types.FieldByName("number").SetValue("40");
    try {
        types.Post();
        FAIL();
    } catch (const TError& e) {
        EXPECT_EQ(e.Message(), res::CMN_FIELD_INVALIDE_ERR.arg("name"));
    }
    types.FieldByName("name").SetValue("Izlazne fakture");
    EXPECT_THROW(types.Post(), TError);  // number 40 is taken
    types.FieldByName("number").SetValue("41");
    types.Post();
    EXPECT_EQ(dm.GetLastInsertID(), types.FieldByName("precepttypeid").AsInteger());
    // Renaming keeps its own number valid.
    types.Edit();
    types.FieldByName("name").SetValue("Izlazne");
    types.Post();
    EXPECT_EQ(dm.GetFieldValues("precepttype", "name"), (QStringList{"Ulazne fakture", "Izlazne"}));

    ui.Answer(TAnswer::No);
    EXPECT_THROW(types.Delete(), TAbort);
    EXPECT_EQ(types.RecordCount(), 2);
    ui.Answer(TAnswer::Yes);
    types.Delete();
    EXPECT_EQ(types.RecordCount(), 1);
    EXPECT_EQ(ui.Shown().back().text, res::CMN_DELETE_PROMT);
    EXPECT_TRUE(ui.AllAnswered());
    SetUi(nullptr);

    // Copies take overrides and a fresh key; a failing copy leaves nothing behind.
    const qint64 source =
        Db().SelectValue("SELECT preceptid FROM precept WHERE number = '00002/24-40'").toLongLong();
    const qint64 copy = dm.CopyDataSet("precept", {{"preceptid", source}},
                                       {{"number", "00002/24-40-K"}, {"status", "n"}});
    EXPECT_GT(copy, source);
    EXPECT_EQ(Stored(copy, "description"), "drugi");
    EXPECT_EQ(Stored(copy, "number"), "00002/24-40-K");
    const int count = Db().SelectValue("SELECT COUNT(*) FROM precept").toInt();
    EXPECT_THROW(dm.CopyDataSet("precept", {{"precepttypeid", 1}}, {{"number", "isti"}}), TDbError);
    EXPECT_EQ(Db().SelectValue("SELECT COUNT(*) FROM precept").toInt(), count);
    EXPECT_THROW(dm.CopyDataSet("precept`; DROP TABLE precept; --", {}, {}), TError);
}

}  // namespace
}  // namespace fin::test
