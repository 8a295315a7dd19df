#pragma once

#include <QHash>
#include <QString>
#include <QVariant>
#include <QVector>
#include <functional>
#include <memory>
#include <vector>

#include "host/data/field.h"

namespace fin {

enum class TDataSetState { Inactive, Browse, Edit, Insert };

enum class TDataEvent {
    Reset,          // opened, closed, rows added or removed, re-ordered, re-filtered
    RecordChanged,  // a value of the current record changed
    Scrolled,       // another record became current
    StateChanged,
};

// Anything bound to a dataset (grids, edits) listens here.
class IDataSetObserver {
public:
    virtual ~IDataSetObserver() = default;
    virtual void DataSetEvent(TDataSet& dataSet, TDataEvent event) = 0;
};

struct TLocateOptions {
    bool caseInsensitive = false;
    bool partialKey = false;  // text fields match by prefix
};

enum class TUpdateStatus { Unmodified, Modified, Inserted };

// A dataset held in memory: records, a cursor, edit states, events, client-side order and
// filter, and edits cached until applied. Queries fill it from the database and write back.
class TDataSet {
public:
    using TEvent = std::function<void(TDataSet&)>;

    explicit TDataSet(QString name = {});
    virtual ~TDataSet();
    TDataSet(const TDataSet&) = delete;
    TDataSet& operator=(const TDataSet&) = delete;

    const QString& Name() const { return name_; }
    virtual TConnection* Connection() const { return nullptr; }

    // Fields declared by the program keep their labels, formats and hooks across re-opens.
    TField& AddField(const QString& name, TFieldType type, int size = 0, const QString& label = {});
    TField* FindField(const QString& name) const;
    TField& FieldByName(const QString& name) const;
    int FieldCount() const { return static_cast<int>(fields_.size()); }
    TField& Fields(int index) const { return *fields_[index]; }

    void Open();
    void Close();
    bool Active() const { return state_ != TDataSetState::Inactive; }
    TDataSetState State() const { return state_; }
    bool Editing() const {
        return state_ == TDataSetState::Edit || state_ == TDataSetState::Insert;
    }
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
    bool ReadOnly() const { return readOnly_; }

    // Navigation over the visible records (filtered and ordered); pending edits post first.
    void First();
    void Last();
    void Next();
    void Prior();
    void MoveBy(int distance);
    bool Bof() const { return bof_; }
    bool Eof() const { return eof_; }
    bool IsEmpty() const { return view_.isEmpty(); }
    int RecordCount() const { return static_cast<int>(view_.size()); }
    int RecNo() const;  // 1-based; 0 when there is no current record
    void SetRecNo(int recNo);
    bool Locate(const QString& fieldNames, const QVariantList& values, TLocateOptions options = {});
    bool Locate(const QString& fieldName, const QVariant& value, TLocateOptions options = {}) {
        return Locate(fieldName, QVariantList{value}, options);
    }
    quint64 Bookmark() const;  // identity of the current record; 0 when none
    bool GotoBookmark(quint64 bookmark);
    quint64 BookmarkAt(int recNo) const;  // of a stored visible record; 0 when out of range

    void Append();
    void Insert();
    void Edit();
    void Post();
    void Cancel();
    void Delete();
    void CheckBrowseMode();  // posts a pending edit
    bool Modified() const { return modified_; }
    void AppendRecord(const QVariantList& values);
    void EmptyDataSet();  // drops every record without writing anything

    // Client-side order: "preceptdate DESC, preceptid DESC" or "code;name".
    void SetIndexFieldNames(const QString& fieldNames);
    const QString& IndexFieldNames() const { return indexFieldNames_; }
    // The dataset's own filter; while it is on, only records it accepts are visible.
    void SetOnFilterRecord(std::function<bool(TDataSet&)> filter);
    void SetFiltered(bool filtered);
    bool Filtered() const { return filtered_; }

    // Cached edits stay in memory until a query applies them.
    void SetCachedUpdates(bool cached);
    bool CachedUpdates() const { return cachedUpdates_; }
    bool UpdatesPending() const;
    void CancelUpdates();

    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return disableCount_ > 0; }
    void AddObserver(IDataSetObserver* observer);
    void RemoveObserver(IDataSetObserver* observer);

    // Values of any visible record, for grids that draw rows other than the current one.
    QVariant RecordValue(int recNo, int fieldIndex) const;
    // Computed values written into a stored visible record in memory only: no edit, no
    // pending update, never written back (running balances, value columns). Bound controls
    // refresh once controls are enabled again, so batch the writes between Disable and
    // EnableControls.
    void SetRecordValue(int recNo, int fieldIndex, const QVariant& value);
    // Drops visible records from memory only; nothing is deleted in the database.
    void RemoveRecords(QVector<int> recNos);
    // A field's display text in a stored visible record, with its text hook applied; the
    // record in edit shows its pending values.
    QString DisplayTextAt(int recNo, const TField& field) const;

    TEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    TEvent BeforeInsert, AfterInsert, OnNewRecord;
    TEvent BeforeEdit, AfterEdit;
    TEvent BeforePost, AfterPost;
    TEvent BeforeCancel, AfterCancel;
    TEvent BeforeDelete, AfterDelete;
    TEvent AfterScroll;

protected:
    struct TRecord {
        QVector<QVariant> values;
        QVector<QVariant> original;  // as loaded, kept while cached edits are pending
        TUpdateStatus status = TUpdateStatus::Unmodified;
        quint64 id = 0;
    };

    // Fills fields and records; the base keeps what AddField declared and starts empty.
    virtual void DoOpen() {}
    // Writes one posted record (edit or insert); may change values such as a new key.
    virtual void WriteRecord(TRecord& record, const TRecord* before, bool inserting);
    virtual void WriteDelete(const TRecord& record);

    // For DoOpen: result columns become fields, matched by name to declared fields.
    void BindColumns(const QVector<TColumnInfo>& columns);
    void AddRecord(QVector<QVariant> values);
    void ReserveRecords(int count) { records_.reserve(count); }

    std::vector<TRecord>& Records() { return records_; }
    std::vector<TRecord>& DeletedRecords() { return deleted_; }
    void ClearPendingUpdates();
    void Notify(TDataEvent event);

private:
    friend class TField;
    QVariant CurrentValue(int index) const;
    QVariant CurrentOldValue(int index) const;
    void SetCurrentValue(TField& field, const QVariant& value);
    const TRecord* CurrentRecord() const;
    void RebuildView(bool keepCurrent);
    void StartInsert(int position);
    void Scrolled(int oldCursor);
    void Fire(const TEvent& event) {
        if (event)
            event(*this);
    }
    void CheckActive() const;
    void CheckRequired();
    void ReindexFields();
    void DropDynamicFields();

    QString name_;
    std::vector<std::unique_ptr<TField>> fields_;
    QHash<QString, TField*> byName_;
    std::vector<TRecord> records_;
    std::vector<TRecord> deleted_;
    QVector<int> view_;  // visible records, in order, as indexes into records_
    int cursor_ = -1;
    bool bof_ = true, eof_ = true;
    TDataSetState state_ = TDataSetState::Inactive;
    QVector<QVariant> buffer_;  // the record being edited or inserted
    int insertAt_ = 0;
    bool modified_ = false;
    bool readOnly_ = false;
    bool cachedUpdates_ = false;
    QString indexFieldNames_;
    std::function<bool(TDataSet&)> filter_;
    bool filtered_ = false;
    mutable int filterRecord_ = -1;  // record that field reads go to (filter, grids)
    int disableCount_ = 0;
    bool pendingReset_ = false;
    std::vector<IDataSetObserver*> observers_;
    quint64 nextId_ = 1;
};

// Compares two values the way a user would: numbers by value, texts as texts.
bool SameValue(const QVariant& a, const QVariant& b);

// Refills an in-memory table that its grids may not edit: for the scope, controls are
// disabled and the table is writable; both come back as they were, on an exception too.
class TRefill {
public:
    explicit TRefill(TDataSet& table) : table_(table), readOnly_(table.ReadOnly()) {
        if (!table_.Active())
            table_.Open();
        table_.DisableControls();
        table_.SetReadOnly(false);
        table_.EmptyDataSet();
    }
    ~TRefill() {
        table_.SetReadOnly(readOnly_);
        table_.EnableControls();
    }
    TRefill(const TRefill&) = delete;
    TRefill& operator=(const TRefill&) = delete;

private:
    TDataSet& table_;
    bool readOnly_;
};

}  // namespace fin
