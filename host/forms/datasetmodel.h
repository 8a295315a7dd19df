#pragma once

#include <QAbstractTableModel>

#include "host/data/dataset.h"

namespace fin {

// The one adapter between a dataset and Qt's item views: columns are the visible fields
// (titles from their labels), cells their display texts, edits go through SetText so the
// fields' entry rules apply. The view's current row follows the dataset and back.
class TDataSetModel : public QAbstractTableModel, public IDataSetObserver {
    Q_OBJECT
public:
    explicit TDataSetModel(TDataSet& dataSet, QObject* parent = nullptr);
    ~TDataSetModel() override;

    // Restricts and orders the columns; empty means every visible field.
    void SetColumns(const QStringList& fieldNames);
    TField* FieldAt(int column) const;
    int ColumnOf(const QString& fieldName) const;
    TDataSet& DataSet() const { return dataSet_; }
    void SetEditable(bool editable) { editable_ = editable; }
    // The dataset record a grid row shows; inserted is set for the row of a pending insert.
    int RecNoOf(int row, bool* inserted) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    void sort(int column, Qt::SortOrder order) override;

    void DataSetEvent(TDataSet& dataSet, TDataEvent event) override;

    // Extra roles, for row colouring by the screens.
    std::function<QVariant(int recNo, int role)> RowStyle;

signals:
    void CurrentRowChanged(int row);

private:
    void RebuildColumns();
    QString CellText(int row, TField& field) const;

    TDataSet& dataSet_;
    QStringList wanted_;
    QVector<TField*> columns_;
    bool editable_ = false;
    int rows_ = 0;
};

}  // namespace fin
