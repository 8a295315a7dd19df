#include "host/forms/datasetmodel.h"

#include "host/ui/uiservice.h"

namespace fin {

TDataSetModel::TDataSetModel(TDataSet& dataSet, QObject* parent)
    : QAbstractTableModel(parent), dataSet_(dataSet) {
    dataSet_.AddObserver(this);
    RebuildColumns();
}

TDataSetModel::~TDataSetModel() {
    dataSet_.RemoveObserver(this);
}

void TDataSetModel::SetColumns(const QStringList& fieldNames) {
    beginResetModel();
    wanted_ = fieldNames;
    RebuildColumns();
    endResetModel();
}

void TDataSetModel::RebuildColumns() {
    columns_.clear();
    if (wanted_.isEmpty()) {
        for (int i = 0; i < dataSet_.FieldCount(); ++i)
            if (dataSet_.Fields(i).Visible())
                columns_ << &dataSet_.Fields(i);
    } else {
        for (const QString& name : wanted_)
            if (TField* f = dataSet_.FindField(name))
                columns_ << f;
    }
    rows_ = dataSet_.Active() ? dataSet_.RecordCount() : 0;
}

TField* TDataSetModel::FieldAt(int column) const {
    return column >= 0 && column < columns_.size() ? columns_[column] : nullptr;
}

int TDataSetModel::ColumnOf(const QString& fieldName) const {
    for (int i = 0; i < columns_.size(); ++i)
        if (columns_[i]->FieldName().compare(fieldName, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int TDataSetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int TDataSetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

// While a record is inserted the view has one more row than the dataset: the new one.
int TDataSetModel::RecNoOf(int row, bool* inserted) const {
    *inserted = false;
    if (dataSet_.State() != TDataSetState::Insert)
        return row + 1;
    const int at = dataSet_.RecNo() - 1;
    if (row == at)
        *inserted = true;
    return row < at ? row + 1 : row;
}

QString TDataSetModel::CellText(int row, TField& field) const {
    bool inserted = false;
    const int recNo = RecNoOf(row, &inserted);
    return inserted ? field.DisplayText() : dataSet_.DisplayTextAt(recNo, field);
}

QVariant TDataSetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_)
        return {};
    TField* f = FieldAt(index.column());
    if (!f)
        return {};
    switch (role) {
        case Qt::DisplayRole:
            return CellText(index.row(), *f);
        case Qt::EditRole: {
            bool inserted = false;
            const int recNo = RecNoOf(index.row(), &inserted);
            if (inserted || (dataSet_.Editing() && recNo == dataSet_.RecNo()))
                return f->Text();
            return f->FormatValue(dataSet_.RecordValue(recNo, f->Index()), false);
        }
        case Qt::TextAlignmentRole:
            if (f->DataType() == TFieldType::Float || f->DataType() == TFieldType::Integer)
                return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
            return {};
        default:
            return RowStyle ? RowStyle(index.row() + 1, role) : QVariant();
    }
}

QVariant TDataSetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    TField* f = FieldAt(section);
    return f ? f->DisplayLabel() : QVariant();
}

Qt::ItemFlags TDataSetModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    TField* f = FieldAt(index.column());
    if (editable_ && f && !f->ReadOnly() && !dataSet_.ReadOnly())
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool TDataSetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    TField* f = FieldAt(index.column());
    if (role != Qt::EditRole || !f)
        return false;
    // A refusal is the user's to read; the dataset keeps the record as it was.
    try {
        bool inserted = false;
        const int recNo = RecNoOf(index.row(), &inserted);
        if (!inserted && dataSet_.RecNo() != recNo)
            dataSet_.SetRecNo(recNo);
        if (!dataSet_.Editing())
            dataSet_.Edit();
        f->SetText(value.toString());
    } catch (const TAbort&) {
        return false;
    } catch (const TError& e) {
        Ui().ShowMessage(TMessageType::Error, e.Message());
        return false;
    }
    return true;
}

void TDataSetModel::sort(int column, Qt::SortOrder order) {
    TField* f = FieldAt(column);
    if (!f || !dataSet_.Active())
        return;
    try {
        dataSet_.SetIndexFieldNames(
            f->FieldName() + (order == Qt::DescendingOrder ? QStringLiteral(" DESC") : QString()));
    } catch (const TError& e) {
        Ui().ShowMessage(TMessageType::Error, e.Message());
    }
}

void TDataSetModel::DataSetEvent(TDataSet&, TDataEvent event) {
    switch (event) {
        case TDataEvent::Reset:
            beginResetModel();
            RebuildColumns();
            endResetModel();
            break;
        case TDataEvent::RecordChanged:
            if (dataSet_.RecNo() > 0 && dataSet_.RecNo() <= rows_)
                emit dataChanged(index(dataSet_.RecNo() - 1, 0),
                                 index(dataSet_.RecNo() - 1, columnCount() - 1));
            break;
        case TDataEvent::StateChanged:
            // An insert shows as one more row until it is posted or cancelled.
            if (dataSet_.State() == TDataSetState::Insert && rows_ == dataSet_.RecordCount()) {
                const int at = dataSet_.RecNo() - 1;
                beginInsertRows({}, at, at);
                rows_ = dataSet_.RecordCount() + 1;
                endInsertRows();
            } else if (!dataSet_.Editing() && rows_ != dataSet_.RecordCount()) {
                beginResetModel();
                rows_ = dataSet_.RecordCount();
                endResetModel();
            }
            break;
        case TDataEvent::Scrolled:
            emit CurrentRowChanged(dataSet_.RecNo() - 1);
            break;
    }
}

}  // namespace fin
