#include "host/data/dataset.h"

#include <QRegularExpression>
#include <algorithm>

#include "host/common/captions.h"

namespace fin {

namespace {

bool IsNull(const QVariant& v) {
    return !v.isValid() || v.isNull();
}

bool IsNumber(const QVariant& v) {
    switch (v.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Double:
        case QMetaType::Float:
        case QMetaType::Bool:
            return true;
        default:
            return false;
    }
}

// Ordering used by sorting: nulls first, numbers by value, dates by date, texts by locale.
int Compare(const QVariant& a, const QVariant& b) {
    const bool na = IsNull(a), nb = IsNull(b);
    if (na || nb)
        return na == nb ? 0 : (na ? -1 : 1);
    if (IsNumber(a) && IsNumber(b)) {
        if (a.typeId() != QMetaType::Double && b.typeId() != QMetaType::Double) {
            const qlonglong x = a.toLongLong(), y = b.toLongLong();
            return x < y ? -1 : (x > y ? 1 : 0);
        }
        const double x = a.toDouble(), y = b.toDouble();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (a.typeId() == QMetaType::QDate && b.typeId() == QMetaType::QDate) {
        const QDate x = a.toDate(), y = b.toDate();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (a.typeId() == QMetaType::QDateTime && b.typeId() == QMetaType::QDateTime) {
        const QDateTime x = a.toDateTime(), y = b.toDateTime();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    return QString::localeAwareCompare(a.toString(), b.toString());
}

QStringList SplitNames(const QString& names) {
    static const QRegularExpression separators(QStringLiteral("[;,]"));
    QStringList out;
    for (const QString& part : names.split(separators, Qt::SkipEmptyParts)) {
        const QString t = part.trimmed();
        if (!t.isEmpty())
            out << t;
    }
    return out;
}

}  // namespace

bool SameValue(const QVariant& a, const QVariant& b) {
    const bool na = IsNull(a), nb = IsNull(b);
    if (na || nb)
        return na == nb;
    if (IsNumber(a) && IsNumber(b))
        return Compare(a, b) == 0;
    if (a.typeId() != b.typeId())
        return a.toString() == b.toString();
    return a == b;
}

TDataSet::TDataSet(QString name) : name_(std::move(name)) {}

TDataSet::~TDataSet() = default;

TField& TDataSet::AddField(const QString& name, TFieldType type, int size, const QString& label) {
    if (TField* existing = FindField(name)) {
        existing->SetDataType(type);
        existing->SetSize(size);
        if (!label.isEmpty())
            existing->SetDisplayLabel(label);
        existing->persistent_ = true;
        return *existing;
    }
    auto field = std::make_unique<TField>(*this, name, type, size);
    field->SetDisplayLabel(label);
    field->persistent_ = true;
    TField& ref = *field;
    fields_.push_back(std::move(field));
    ReindexFields();
    return ref;
}

TField* TDataSet::FindField(const QString& name) const {
    return byName_.value(name.toLower());
}

TField& TDataSet::FieldByName(const QString& name) const {
    TField* f = FindField(name);
    if (!f)
        throw TError(res::CMN_NO_FIELD_ERR.arg(name, name_));
    return *f;
}

void TDataSet::ReindexFields() {
    byName_.clear();
    for (int i = 0; i < static_cast<int>(fields_.size()); ++i) {
        fields_[i]->index_ = i;
        byName_.insert(fields_[i]->FieldName().toLower(), fields_[i].get());
    }
}

void TDataSet::DropDynamicFields() {
    std::erase_if(fields_, [](const auto& f) { return !f->Persistent(); });
    ReindexFields();
}

void TDataSet::BindColumns(const QVector<TColumnInfo>& columns) {
    // Result columns first, in their order, then declared fields the result lacks (these
    // are computed in memory). Repeated names get a suffix, as "number" and "number_1".
    std::vector<std::unique_ptr<TField>> ordered;
    std::vector<std::unique_ptr<TField>> pool = std::move(fields_);
    fields_.clear();
    QHash<QString, int> seen;
    for (const TColumnInfo& c : columns) {
        QString name = c.name;
        const int repeat = seen.value(name.toLower(), 0);
        seen[c.name.toLower()] = repeat + 1;
        if (repeat > 0)
            name += QStringLiteral("_%1").arg(repeat);
        auto it = std::find_if(pool.begin(), pool.end(), [&](const auto& f) {
            return f && f->FieldName().compare(name, Qt::CaseInsensitive) == 0;
        });
        std::unique_ptr<TField> field;
        if (it != pool.end()) {
            field = std::move(*it);
            pool.erase(it);
            if (field->DataType() == TFieldType::Unknown)
                field->SetDataType(c.type);
        } else {
            field = std::make_unique<TField>(*this, name, c.type, c.length);
        }
        if (field->Size() == 0)
            field->SetSize(c.length);
        field->SetOrigin(c.orgTable, c.orgName);
        ordered.push_back(std::move(field));
    }
    for (auto& f : pool)
        if (f)
            ordered.push_back(std::move(f));
    fields_ = std::move(ordered);
    ReindexFields();
}

void TDataSet::AddRecord(QVector<QVariant> values) {
    values.resize(FieldCount());
    TRecord r;
    r.values = std::move(values);
    r.id = nextId_++;
    records_.push_back(std::move(r));
}

void TDataSet::CheckActive() const {
    if (!Active())
        throw TError(res::CMN_NOT_OPEN_ERR.arg(name_));
}

void TDataSet::Open() {
    if (Active())
        return;
    Fire(BeforeOpen);
    records_.clear();
    deleted_.clear();
    DoOpen();
    for (TRecord& r : records_)
        r.values.resize(FieldCount());
    state_ = TDataSetState::Browse;
    RebuildView(false);
    cursor_ = view_.isEmpty() ? -1 : 0;
    bof_ = true;
    eof_ = view_.isEmpty();
    Notify(TDataEvent::Reset);
    Fire(AfterOpen);
    Fire(AfterScroll);
}

void TDataSet::Close() {
    if (!Active())
        return;
    Fire(BeforeClose);
    state_ = TDataSetState::Inactive;
    records_.clear();
    deleted_.clear();
    view_.clear();
    buffer_.clear();
    cursor_ = -1;
    bof_ = eof_ = true;
    modified_ = false;
    DropDynamicFields();
    Notify(TDataEvent::Reset);
    Fire(AfterClose);
}

const TDataSet::TRecord* TDataSet::CurrentRecord() const {
    if (cursor_ < 0 || cursor_ >= view_.size())
        return nullptr;
    return &records_[view_[cursor_]];
}

QVariant TDataSet::CurrentValue(int index) const {
    if (filterRecord_ >= 0)
        return records_[filterRecord_].values.value(index);
    if (Editing())
        return buffer_.value(index);
    const TRecord* r = CurrentRecord();
    return r ? r->values.value(index) : QVariant();
}

QVariant TDataSet::CurrentOldValue(int index) const {
    if (state_ == TDataSetState::Insert)
        return QVariant();
    const TRecord* r = CurrentRecord();
    if (!r)
        return QVariant();
    return r->original.isEmpty() ? r->values.value(index) : r->original.value(index);
}

QVariant TDataSet::RecordValue(int recNo, int fieldIndex) const {
    if (Editing() && recNo == RecNo())
        return buffer_.value(fieldIndex);
    if (recNo < 1 || recNo > view_.size())
        return QVariant();
    return records_[view_[recNo - 1]].values.value(fieldIndex);
}

void TDataSet::SetRecordValue(int recNo, int fieldIndex, const QVariant& value) {
    CheckActive();
    if (recNo < 1 || recNo > view_.size() || fieldIndex < 0 || fieldIndex >= FieldCount())
        throw TError(QStringLiteral("Zapis %1 ne postoji.").arg(recNo));
    if (Editing() && recNo == RecNo())
        throw TError(QStringLiteral("Zapis koji se menja ne može dobiti izračunatu vrednost."));
    records_[view_[recNo - 1]].values[fieldIndex] = value;
    Notify(TDataEvent::Reset);
}

void TDataSet::RemoveRecords(QVector<int> recNos) {
    CheckActive();
    if (Editing())
        Cancel();
    const quint64 current = Bookmark();
    std::vector<bool> drop(records_.size(), false);
    for (int recNo : recNos)
        if (recNo >= 1 && recNo <= view_.size())
            drop[view_[recNo - 1]] = true;
    std::vector<TRecord> kept;
    kept.reserve(records_.size());
    for (size_t i = 0; i < records_.size(); ++i)
        if (!drop[i])
            kept.push_back(std::move(records_[i]));
    records_ = std::move(kept);
    view_.clear();
    cursor_ = -1;
    RebuildView(false);
    for (int pos = 0; pos < view_.size(); ++pos)
        if (records_[view_[pos]].id == current)
            cursor_ = pos;
    bof_ = eof_ = view_.isEmpty();
    Notify(TDataEvent::Reset);
    Fire(AfterScroll);
}

QString TDataSet::DisplayTextAt(int recNo, const TField& field) const {
    // The record being edited shows its pending values; an inserted one is not stored yet.
    if (filterRecord_ >= 0 || (state_ == TDataSetState::Edit && recNo == RecNo()))
        return field.DisplayText();
    if (recNo < 1 || recNo > view_.size())
        return {};
    filterRecord_ = view_[recNo - 1];
    struct TRestore {
        int& slot;
        ~TRestore() { slot = -1; }
    } restore{filterRecord_};
    return field.DisplayText();
}

void TDataSet::SetCurrentValue(TField& field, const QVariant& value) {
    if (!Editing())
        throw TError(res::CMN_NOT_EDITING_ERR);
    if (field.ReadOnly())
        throw TError(res::CMN_READ_ONLY_ERR);
    QVariant& slot = buffer_[field.Index()];
    if (SameValue(slot, value) && IsNull(slot) == IsNull(value) && slot.typeId() == value.typeId())
        return;
    slot = value;
    modified_ = true;
    if (field.OnChange)
        field.OnChange(field);
    Notify(TDataEvent::RecordChanged);
}

int TDataSet::RecNo() const {
    if (state_ == TDataSetState::Insert)
        return insertAt_ + 1;
    return cursor_ < 0 ? 0 : cursor_ + 1;
}

void TDataSet::Scrolled(int oldCursor) {
    if (oldCursor != cursor_)
        Notify(TDataEvent::Scrolled);
    Fire(AfterScroll);
}

void TDataSet::First() {
    CheckActive();
    CheckBrowseMode();
    const int old = cursor_;
    cursor_ = view_.isEmpty() ? -1 : 0;
    bof_ = true;
    eof_ = view_.isEmpty();
    Scrolled(old);
}

void TDataSet::Last() {
    CheckActive();
    CheckBrowseMode();
    const int old = cursor_;
    cursor_ = static_cast<int>(view_.size()) - 1;
    eof_ = true;
    bof_ = view_.isEmpty();
    Scrolled(old);
}

void TDataSet::Next() {
    MoveBy(1);
}
void TDataSet::Prior() {
    MoveBy(-1);
}

void TDataSet::MoveBy(int distance) {
    CheckActive();
    CheckBrowseMode();
    const int old = cursor_;
    const int count = static_cast<int>(view_.size());
    if (count == 0) {
        bof_ = eof_ = true;
        return;
    }
    const int target = cursor_ + distance;
    bof_ = eof_ = false;
    if (target >= count) {
        cursor_ = count - 1;
        eof_ = true;
    } else if (target < 0) {
        cursor_ = 0;
        bof_ = true;
    } else {
        cursor_ = target;
    }
    Scrolled(old);
}

void TDataSet::SetRecNo(int recNo) {
    CheckActive();
    CheckBrowseMode();
    if (recNo < 1 || recNo > view_.size())
        return;
    const int old = cursor_;
    cursor_ = recNo - 1;
    bof_ = eof_ = false;
    Scrolled(old);
}

bool TDataSet::Locate(const QString& fieldNames, const QVariantList& values,
                      TLocateOptions options) {
    CheckActive();
    CheckBrowseMode();
    const QStringList names = SplitNames(fieldNames);
    QVector<TField*> fields;
    for (const QString& n : names)
        fields << &FieldByName(n);
    if (fields.size() != values.size())
        return false;
    QVector<QVariant> wanted(values.size());
    for (int i = 0; i < values.size(); ++i) {
        // Compare like with like: "12" finds the integer 12, a wrong type finds nothing.
        try {
            wanted[i] = options.partialKey && fields[i]->DataType() == TFieldType::String
                            ? values[i]
                            : fields[i]->Convert(values[i]);
        } catch (const TError&) {
            return false;
        }
    }
    const Qt::CaseSensitivity cs =
        options.caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive;
    for (int pos = 0; pos < view_.size(); ++pos) {
        const TRecord& r = records_[view_[pos]];
        bool match = true;
        for (int i = 0; i < fields.size() && match; ++i) {
            const QVariant& v = r.values[fields[i]->Index()];
            if (fields[i]->DataType() == TFieldType::String && !IsNull(wanted[i])) {
                const QString have = v.toString(), want = wanted[i].toString();
                match = !IsNull(v) && (options.partialKey ? have.startsWith(want, cs)
                                                          : have.compare(want, cs) == 0);
            } else {
                match = SameValue(v, wanted[i]);
            }
        }
        if (match) {
            const int old = cursor_;
            cursor_ = pos;
            bof_ = eof_ = false;
            Scrolled(old);
            return true;
        }
    }
    return false;
}

quint64 TDataSet::Bookmark() const {
    const TRecord* r = CurrentRecord();
    return r ? r->id : 0;
}

quint64 TDataSet::BookmarkAt(int recNo) const {
    if (recNo < 1 || recNo > view_.size())
        return 0;
    return records_[view_[recNo - 1]].id;
}

bool TDataSet::GotoBookmark(quint64 bookmark) {
    CheckBrowseMode();
    for (int pos = 0; pos < view_.size(); ++pos) {
        if (records_[view_[pos]].id == bookmark) {
            const int old = cursor_;
            cursor_ = pos;
            bof_ = eof_ = false;
            Scrolled(old);
            return true;
        }
    }
    return false;
}

void TDataSet::CheckBrowseMode() {
    if (Editing())
        Post();
}

void TDataSet::StartInsert(int position) {
    CheckActive();
    if (readOnly_)
        throw TError(res::CMN_READ_ONLY_ERR);
    CheckBrowseMode();
    Fire(BeforeInsert);
    buffer_ = QVector<QVariant>(FieldCount());
    insertAt_ = position;
    state_ = TDataSetState::Insert;
    modified_ = false;
    Notify(TDataEvent::StateChanged);
    Fire(OnNewRecord);
    Fire(AfterInsert);
}

void TDataSet::Append() {
    StartInsert(static_cast<int>(view_.size()));
}

void TDataSet::Insert() {
    StartInsert(cursor_ < 0 ? 0 : cursor_);
}

void TDataSet::Edit() {
    CheckActive();
    if (Editing())
        return;
    if (readOnly_)
        throw TError(res::CMN_READ_ONLY_ERR);
    const TRecord* r = CurrentRecord();
    if (!r)
        throw TError(res::CMN_NO_RECORD_ERR);
    Fire(BeforeEdit);
    buffer_ = r->values;
    state_ = TDataSetState::Edit;
    modified_ = false;
    Notify(TDataEvent::StateChanged);
    Fire(AfterEdit);
}

void TDataSet::CheckRequired() {
    for (const auto& f : fields_) {
        if (!f->Required() || !IsNull(buffer_[f->Index()]))
            continue;
        throw TError(res::CMN_FIELD_REQUIRED_ERR.arg(f->DisplayLabel()));
    }
}

void TDataSet::Post() {
    CheckActive();
    if (!Editing())
        return;
    // Any refusal below leaves the state and the user's values as they were.
    Fire(BeforePost);
    if (!Editing())
        return;  // a handler may have cancelled
    CheckRequired();
    const bool inserting = state_ == TDataSetState::Insert;
    TRecord record;
    const TRecord* before = nullptr;
    if (inserting) {
        record.status = TUpdateStatus::Inserted;
        record.id = nextId_;
    } else {
        before = CurrentRecord();
        record = *before;
    }
    record.values = buffer_;
    if (cachedUpdates_) {
        if (!inserting && record.status == TUpdateStatus::Unmodified) {
            record.original = before->values;
            record.status = TUpdateStatus::Modified;
        }
    } else {
        WriteRecord(record, before, inserting);
    }
    if (inserting) {
        ++nextId_;
        records_.push_back(std::move(record));
        view_.insert(insertAt_, static_cast<int>(records_.size()) - 1);
        cursor_ = insertAt_;
    } else {
        records_[view_[cursor_]] = std::move(record);
    }
    state_ = TDataSetState::Browse;
    buffer_.clear();
    modified_ = false;
    bof_ = eof_ = false;
    Notify(inserting ? TDataEvent::Reset : TDataEvent::RecordChanged);
    Notify(TDataEvent::StateChanged);
    Fire(AfterPost);
}

void TDataSet::Cancel() {
    if (!Editing())
        return;
    Fire(BeforeCancel);
    state_ = TDataSetState::Browse;
    buffer_.clear();
    modified_ = false;
    Notify(TDataEvent::RecordChanged);
    Notify(TDataEvent::StateChanged);
    Fire(AfterCancel);
}

void TDataSet::Delete() {
    CheckActive();
    if (state_ == TDataSetState::Insert) {
        Cancel();
        return;
    }
    if (readOnly_)
        throw TError(res::CMN_READ_ONLY_ERR);
    if (state_ == TDataSetState::Edit)
        Cancel();
    const TRecord* current = CurrentRecord();
    if (!current)
        throw TError(res::CMN_NO_RECORD_ERR);
    Fire(BeforeDelete);
    const int index = view_[cursor_];
    TRecord& record = records_[index];
    if (cachedUpdates_) {
        if (record.status != TUpdateStatus::Inserted) {
            TRecord gone = record;
            if (!gone.original.isEmpty())
                gone.values = gone.original;
            deleted_.push_back(std::move(gone));
        }
    } else {
        WriteDelete(record);
    }
    records_.erase(records_.begin() + index);
    view_.removeAt(cursor_);
    for (int& v : view_)
        if (v > index)
            --v;
    if (cursor_ >= view_.size())
        cursor_ = static_cast<int>(view_.size()) - 1;
    bof_ = cursor_ <= 0;
    eof_ = view_.isEmpty();
    Notify(TDataEvent::Reset);
    Fire(AfterDelete);
    Fire(AfterScroll);
}

void TDataSet::AppendRecord(const QVariantList& values) {
    Append();
    for (int i = 0; i < values.size() && i < FieldCount(); ++i)
        Fields(i).SetValue(values[i]);
    Post();
}

void TDataSet::EmptyDataSet() {
    CheckActive();
    if (Editing())
        Cancel();
    records_.clear();
    deleted_.clear();
    view_.clear();
    cursor_ = -1;
    bof_ = eof_ = true;
    Notify(TDataEvent::Reset);
    Fire(AfterScroll);
}

void TDataSet::RebuildView(bool keepCurrent) {
    const quint64 current = keepCurrent ? Bookmark() : 0;
    view_.clear();
    view_.reserve(static_cast<int>(records_.size()));
    for (int i = 0; i < static_cast<int>(records_.size()); ++i) {
        if (filtered_ && filter_) {
            filterRecord_ = i;
            bool keep = false;
            try {
                keep = filter_(*this);
            } catch (...) {
                filterRecord_ = -1;
                throw;
            }
            filterRecord_ = -1;
            if (!keep)
                continue;
        }
        view_.push_back(i);
    }
    const QStringList keys = SplitNames(indexFieldNames_);
    if (!keys.isEmpty()) {
        struct TKey {
            int index;
            bool descending;
        };
        QVector<TKey> order;
        for (const QString& k : keys) {
            const QStringList words = k.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            TField& f = FieldByName(words.first());
            const bool desc = words.size() > 1 &&
                              words.last().compare(QLatin1String("DESC"), Qt::CaseInsensitive) == 0;
            order.push_back({f.Index(), desc});
        }
        std::stable_sort(view_.begin(), view_.end(), [&](int a, int b) {
            for (const TKey& k : order) {
                const int c = Compare(records_[a].values[k.index], records_[b].values[k.index]);
                if (c != 0)
                    return k.descending ? c > 0 : c < 0;
            }
            return false;
        });
    }
    cursor_ = view_.isEmpty() ? -1 : 0;
    if (current) {
        for (int pos = 0; pos < view_.size(); ++pos)
            if (records_[view_[pos]].id == current)
                cursor_ = pos;
    }
}

void TDataSet::SetIndexFieldNames(const QString& fieldNames) {
    indexFieldNames_ = fieldNames;
    if (!Active())
        return;
    CheckBrowseMode();
    RebuildView(true);
    Notify(TDataEvent::Reset);
}

void TDataSet::SetOnFilterRecord(std::function<bool(TDataSet&)> filter) {
    filter_ = std::move(filter);
    if (Active() && filtered_)
        SetFiltered(true);
}

void TDataSet::SetFiltered(bool filtered) {
    filtered_ = filtered;
    if (!Active())
        return;
    CheckBrowseMode();
    RebuildView(true);
    bof_ = true;
    eof_ = view_.isEmpty();
    Notify(TDataEvent::Reset);
    Fire(AfterScroll);
}

void TDataSet::SetCachedUpdates(bool cached) {
    if (cachedUpdates_ && !cached && UpdatesPending())
        CancelUpdates();
    cachedUpdates_ = cached;
}

bool TDataSet::UpdatesPending() const {
    if (!deleted_.empty())
        return true;
    return std::any_of(records_.begin(), records_.end(),
                       [](const TRecord& r) { return r.status != TUpdateStatus::Unmodified; });
}

void TDataSet::CancelUpdates() {
    if (Editing())
        Cancel();
    std::erase_if(records_, [](const TRecord& r) { return r.status == TUpdateStatus::Inserted; });
    for (TRecord& r : records_) {
        if (r.status == TUpdateStatus::Modified)
            r.values = r.original;
        r.original.clear();
        r.status = TUpdateStatus::Unmodified;
    }
    for (TRecord& r : deleted_) {
        r.original.clear();
        r.status = TUpdateStatus::Unmodified;
        records_.push_back(std::move(r));
    }
    deleted_.clear();
    std::sort(records_.begin(), records_.end(),
              [](const TRecord& a, const TRecord& b) { return a.id < b.id; });  // load order
    if (Active()) {
        RebuildView(true);
        Notify(TDataEvent::Reset);
    }
}

void TDataSet::ClearPendingUpdates() {
    deleted_.clear();
    for (TRecord& r : records_) {
        r.original.clear();
        r.status = TUpdateStatus::Unmodified;
    }
}

void TDataSet::WriteRecord(TRecord&, const TRecord*, bool) {}
void TDataSet::WriteDelete(const TRecord&) {}

void TDataSet::DisableControls() {
    ++disableCount_;
}

void TDataSet::EnableControls() {
    if (disableCount_ == 0)
        return;
    if (--disableCount_ == 0 && pendingReset_) {
        pendingReset_ = false;
        Notify(TDataEvent::Reset);
    }
}

void TDataSet::AddObserver(IDataSetObserver* observer) {
    if (std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
        observers_.push_back(observer);
}

void TDataSet::RemoveObserver(IDataSetObserver* observer) {
    std::erase(observers_, observer);
}

void TDataSet::Notify(TDataEvent event) {
    if (disableCount_ > 0) {
        pendingReset_ = true;  // bound controls catch up once, when enabled again
        return;
    }
    const auto copy = observers_;  // an observer may unregister itself
    for (IDataSetObserver* o : copy)
        o->DataSetEvent(*this, event);
}

}  // namespace fin
