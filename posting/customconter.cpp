#include "posting/customconter.h"

#include "host/common/calcexpress.h"
#include "host/data/dbinifile.h"
#include "host/data/query.h"
#include "ledger/preceptitemrows.h"
#include "posting/postingcaptions.h"
#include "posting/postingrun.h"
#include "posting/preceptprocessor.h"

namespace fin {

namespace {

// A list dataset record of the voucher that was appended, as a bookmark, or 0.
void RemoveFromMemory(TQuery& precepts, quint64 bookmark) {
    if (bookmark && precepts.GotoBookmark(bookmark))
        precepts.RemoveRecords({precepts.RecNo()});
}

// An empty line set whose changes wait in memory: opened once, emptied for each later
// voucher without asking the database again.
void PrepareEmptyLines(TQuery& items) {
    TParam& id = items.ParamByName(QStringLiteral("IDPrecept"));
    if (items.Active() && id.Value().toLongLong() == -1 && !items.UpdatesPending() &&
        !items.Editing()) {
        items.EmptyDataSet();
        return;
    }
    if (items.Active())
        items.Close();
    id.SetValue(-1);
    items.Open();
}

}  // namespace

TCustomConter::TCustomConter(TFinancialDM& dm, TPostingRun* run, QString moduleName,
                             QString foreignTable, QString entityType, qint64 entityID,
                             TDataSet* masterDataSet, TDataSet* detailDataSet,
                             std::shared_ptr<const TVariableList> base)
    : Variables(std::move(base)),
      ModuleName(std::move(moduleName)),
      ForeignTable(std::move(foreignTable)),
      EntityID(entityID),
      EntityType(std::move(entityType)),
      MasterDataSet(masterDataSet),
      DetailDataSet(detailDataSet),
      dm_(dm),
      run_(run) {
    if (run_)
        PreceptTypeID = run_->PreceptTypeID(ModuleName, EntityType);
    else if (dm_.Connected())
        PreceptTypeID = TDBIniFile(dm_.ZConnection()).ReadInteger(ModuleName, EntityType, 1);
}

void TCustomConter::AddVariable(const QString& name, const QVariant& value, TVariableType type,
                                bool accumulate, bool skipZero) {
    // An empty text removes a name, which may open a gap in a family.
    if (type == TVariableType::vtString && !accumulate && !skipZero && value.toString().isEmpty())
        nextIndex_.clear();
    Variables.Add(name, value, type, accumulate, skipZero);
}

int TCustomConter::GetNewIndex(const QString& name) const {
    // Families grow one member at a time: the search starts where the last one ended, so a
    // statement of a thousand lines costs a thousand look-ups, not half a million.
    int i = nextIndex_.value(name, 1);
    while (
        !Variables.Value(QLatin1Char('[') + name + QString::number(i) + QLatin1Char(']')).isEmpty())
        ++i;
    nextIndex_.insert(name, i);
    return i;
}

void TCustomConter::AddIndexVariable(const QString& name, const QVariant& value,
                                     TVariableType type) {
    AddVariable(name + QString::number(GetNewIndex(name)), value, type);
}

const QStringList& TCustomConter::VarNames() {
    if (!names_) {
        names_.emplace();
        FillNames(names_->first, names_->second);
    }
    return names_->first;
}

const QStringList& TCustomConter::VarDescriptions() {
    VarNames();
    return names_->second;
}

void TCustomConter::CreatePrecept() {
    if (!run_)
        throw TError(QStringLiteral("Nalog se automatski pravi samo u toku kontiranja."));
    CalculateVariables();
    TPreceptProcessor processor(dm_, run_);
    TQuery& types = dm_.PrecepttypeZQ();
    if (!types.Active())
        types.Open();
    TQuery& precepts = dm_.PreceptZQ();
    if (!precepts.Active())
        precepts.Open();
    TQuery& items = dm_.PreceptItemZQ();
    PrepareEmptyLines(items);

    precepts.Append();
    precepts.FieldByName(QStringLiteral("foreigntable")).SetValue(ForeignTable);
    precepts.FieldByName(QStringLiteral("foreignid")).SetValue(EntityID);
    precepts.FieldByName(QStringLiteral("precepttypeid")).SetValue(PreceptTypeID);
    if (types.Locate(QStringLiteral("precepttypeid"), PreceptTypeID))
        precepts.FieldByName(QStringLiteral("PreceptType"))
            .SetValue(types.FieldByName(QStringLiteral("name")).Value());
    InternalCreatePrecept();
    processor.Process(*this);

    if (run_->PreviewOnly) {
        FillPreview();
        precepts.Cancel();
        items.EmptyDataSet();
        return;
    }
    precepts.Post();
    AppendedPrecept = precepts.Bookmark();
    InsertPreceptItems(dm_.Require(), items,
                       precepts.FieldByName(QStringLiteral("preceptid")).Value());
    // Nobody reads the new lines' ids; the next voucher starts empty.
    items.EmptyDataSet();
}

void TCustomConter::FillPreview() {
    TPostingPreview& p = run_->Preview;
    p.entityType = EntityType;
    p.variables = Variables.Lines();
    TQuery& precepts = dm_.PreceptZQ();
    for (const char* f : {"precepttypeid", "PreceptType", "number", "preceptdate", "registerdate",
                          "status", "description", "foreigntable", "foreignid"}) {
        const TField& field = precepts.FieldByName(QString::fromLatin1(f));
        p.header.append({field.FieldName(), field.AsString()});
    }
    TQuery& items = dm_.PreceptItemZQ();
    for (items.First(); !items.Eof(); items.Next())
        p.lines.append({items.FieldByName(QStringLiteral("ContoCode")).AsString(),
                        items.FieldByName(QStringLiteral("ContoNewCode")).AsString(),
                        items.FieldByName(QStringLiteral("description")).AsString(),
                        items.FieldByName(QStringLiteral("foreignid")).AsInteger(),
                        items.FieldByName(QStringLiteral("debit")).AsFloat(),
                        items.FieldByName(QStringLiteral("credit")).AsFloat()});
}

bool TCustomConter::CheckExpression(const QString& expression) {
    QString text = expression;
    while (!text.isEmpty() && text.front().isSpace())
        text.remove(0, 1);
    if (text.isEmpty())
        return true;
    if (text.startsWith(QLatin1Char('!')))
        text.remove(0, 1);
    // Listed names in their exact letter case only; the processor is less strict.
    for (const QString& name : VarNames())
        text.replace(name, QStringLiteral("0"), Qt::CaseSensitive);
    text = TPreceptProcessor::ReplaceFunctions(
        text, [](const QString&, const QString&) { return QStringLiteral("0"); });
    InternalCheckExpression(text);
    TCalcExpress calc;
    try {
        calc.init(text);
        calc.calc({});
    } catch (const TCalcError& e) {
        // 0/0 is what a division by a variable gives once every variable is 0.
        return e.GetKind() == TCalcError::Kind::InvalidOperation;
    }
    return true;
}

TCustomContoAutomat::TCustomContoAutomat(TFinancialDM& dm, int kind, QString tableName,
                                         QString moduleName, TSourceColumns columns)
    : dm_(dm),
      kind_(kind),
      tableName_(std::move(tableName)),
      moduleName_(std::move(moduleName)),
      columns_(std::move(columns)),
      master_(std::make_unique<TQuery>()),
      detail_(std::make_unique<TQuery>()) {}

TCustomContoAutomat::~TCustomContoAutomat() = default;

QDate TCustomContoAutomat::GetDate() const {
    return master_->FieldByName(columns_.date).AsDate();
}

qint64 TCustomContoAutomat::CurrentID() const {
    return master_->FieldByName(columns_.id).AsInteger();
}

QString TCustomContoAutomat::CurrentType() const {
    return master_->FieldByName(columns_.type).AsString();
}

QString TCustomContoAutomat::CurrentCaption() const {
    const QString type = CurrentType();
    return (columns_.caption ? columns_.caption(type) : type) + QLatin1Char(' ') +
           master_->FieldByName(columns_.number).AsString();
}

bool TCustomContoAutomat::LockCurrent(qint64 id) {
    // The names are the module's own, never data.
    QString sql = QStringLiteral("SELECT %1 FROM %2 WHERE %1 = ?")
                      .arg(TConnection::QuoteIdentifier(columns_.id),
                           TConnection::QuoteIdentifier(tableName_));
    QVariantList values{id};
    if (!columns_.status.isEmpty()) {
        sql += QStringLiteral(" AND status = ?");
        values << columns_.status;
    }
    return dm_.Require().Select(sql + QStringLiteral(" FOR UPDATE"), values).rows.size() == 1;
}

bool TCustomContoAutomat::IsEnd() const {
    return !master_->Active() || master_->Eof();
}

void TCustomContoAutomat::CloseItems() {
    master_->Close();
    detail_->Close();
}

void TCustomContoAutomat::AddFilters(QString& sql, TValues& values, const QString& typeColumn,
                                     const QString& entityType, bool withExcluded,
                                     const QString& idColumn, qint64 entityID) const {
    if (!entityType.isEmpty()) {
        sql += QStringLiteral(" AND %1 = :EntityType").arg(typeColumn);
        values.append({QStringLiteral("EntityType"), entityType});
    }
    if (withExcluded) {
        const QString stored =
            TDBIniFile(&dm_.Require())
                .ReadString(QStringLiteral("AutoNotConter"), QString::number(kind_), {});
        QStringList marks;
        for (QString letter : stored.split(QLatin1Char(','))) {
            letter.remove(QLatin1Char('\'')).remove(QLatin1Char('"'));
            letter = letter.trimmed();
            if (letter.isEmpty())
                continue;
            const QString name = QStringLiteral("Excluded%1").arg(marks.size());
            marks << QLatin1Char(':') + name;
            values.append({name, letter});
        }
        if (!marks.isEmpty())
            sql += QStringLiteral(" AND NOT(%1 IN (%2))")
                       .arg(typeColumn, marks.join(QLatin1Char(',')));
    }
    if (entityID > 0) {
        sql += QStringLiteral(" AND %1 = :EntityID").arg(idColumn);
        values.append({QStringLiteral("EntityID"), entityID});
    }
}

void TCustomContoAutomat::OpenMaster(const QString& sql, const TValues& values) {
    master_->Close();
    master_->SetConnection(dm_.ZConnection());
    master_->SetSQL(sql);
    for (const auto& [name, value] : values)
        master_->ParamByName(name).SetValue(value);
    master_->SetReadOnly(true);
    master_->Open();
    master_->First();
    detail_->Close();
    detail_->SetConnection(dm_.ZConnection());
    detail_->SetReadOnly(true);
    stretch_.clear();
}

bool TCustomContoAutomat::OpenStretch(qint64 id, const QString& sql, const QString& keyField) {
    TQuery& detail = *detail_;
    const bool read = !stretch_.contains(id) || !detail.Active();
    if (read) {
        constexpr int kStretch = 64;
        stretch_ = {id};
        const int own = master_->FieldByName(keyField).Index();
        for (int rec = master_->RecNo() + 1;
             rec <= master_->RecordCount() && stretch_.size() < kStretch; ++rec)
            stretch_ << master_->RecordValue(rec, own).toLongLong();
        detail.Close();
        detail.SetFiltered(false);
        QStringList marks;
        for (int i = 0; i < stretch_.size(); ++i)
            marks << QStringLiteral(":D%1").arg(i);
        detail.SetSQL(sql.arg(marks.join(QLatin1Char(','))));
        for (int i = 0; i < stretch_.size(); ++i)
            detail.ParamByName(QStringLiteral("D%1").arg(i)).SetValue(stretch_[i]);
        detail.Open();
    }
    const int field = detail.FieldByName(keyField).Index();
    detail.SetOnFilterRecord(
        [id, field](TDataSet& d) { return d.Fields(field).AsInteger() == id; });
    detail.SetFiltered(true);
    return read;
}

void TCustomContoAutomat::Skip() {
    master_->Next();
}

int TCustomContoAutomat::Pending() const {
    return master_->Active() ? master_->RecordCount() : 0;
}

void TCustomContoAutomat::Discard(TCustomConter* conter) {
    try {
        TQuery& precepts = dm_.PreceptZQ();
        if (precepts.Editing())
            precepts.Cancel();
        else if (conter)
            RemoveFromMemory(precepts, conter->AppendedPrecept);
        TQuery& items = dm_.PreceptItemZQ();
        if (items.Active())
            items.EmptyDataSet();
    } catch (...) {
        // the memory of a failed document is tidied as far as it goes
    }
}

void TCustomContoAutomat::CreatePrecept() {
    TPostingRun* run = Run;
    if (!run)
        throw TError(QStringLiteral("Kontiranje nije započeto."));
    const qint64 id = CurrentID();
    const QString caption = CurrentCaption();
    std::shared_ptr<TCustomConter> conter;
    try {
        TTransaction transaction(dm_.Require());
        // The row lock makes a second workstation wait here until this document's voucher
        // is written; then it finds the voucher and passes the document over.
        if (LockCurrent(id) &&
            dm_.Require()
                    .SelectValue(QStringLiteral("SELECT COUNT(*) FROM precept WHERE "
                                                "foreigntable = ? AND foreignid = ?"),
                                 {tableName_, id})
                    .toInt() == 0) {
            OpenDetail(id);
            conter = MakeConter();
            if (conter) {
                Conter = conter;
                conter->CreatePrecept();
                Conter.reset();
            }
        }
        // A preview writes nothing: the transaction rolls back.
        if (!run->PreviewOnly)
            transaction.Commit();
    } catch (const TConnectionLost&) {
        Conter.reset();
        Discard(conter.get());
        throw;
    } catch (const TError& e) {
        Conter.reset();
        Discard(conter.get());
        // The user learns which document stopped the run.
        throw TError(res::POSTING_STOPPED_ERR.arg(caption, e.Message()));
    } catch (...) {
        Conter.reset();
        Discard(conter.get());
        throw;
    }
    if (conter && !run->PreviewOnly) {
        TQuery& precepts = dm_.PreceptZQ();
        const TPostedPrecept made{precepts.FieldByName(QStringLiteral("preceptid")).AsInteger(),
                                  precepts.FieldByName(QStringLiteral("number")).AsString(),
                                  tableName_, id};
        run->Ledger().PreceptAdded(precepts.FieldByName(QStringLiteral("preceptdate")).AsDate(),
                                   conter->PreceptTypeID);
        if (!run->KeepInList)
            RemoveFromMemory(precepts, conter->AppendedPrecept);
        run->Posted(made);
    }
    master_->Next();
}

namespace {

std::shared_ptr<TCustomConter> MakeConterFor(TFinancialDM& dm, const QString& moduleName) {
    for (const TConterClass& c : ConterClasses())
        if (c.moduleName == moduleName)
            return c.create(dm);
    return nullptr;
}

}  // namespace

bool CheckExpression(TFinancialDM& dm, const QString& moduleName, const QString& expression) {
    const auto conter = MakeConterFor(dm, moduleName);
    return conter && conter->CheckExpression(expression);
}

void FillVars(TFinancialDM& dm, const QString& moduleName, QStringList& names,
              QStringList& descriptions) {
    const auto conter = MakeConterFor(dm, moduleName);
    if (!conter)
        return;
    names += conter->VarNames();
    descriptions += conter->VarDescriptions();
}

}  // namespace fin
