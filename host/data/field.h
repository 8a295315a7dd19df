#pragma once

#include <QDate>
#include <QString>
#include <QVariant>
#include <functional>

#include "host/db/connection.h"

namespace fin {

class TDataSet;

// One column of a dataset: its value in the current record and how people see it.
class TField {
public:
    TField(TDataSet& dataSet, QString name, TFieldType type, int size = 0);

    TDataSet& DataSet() const { return dataSet_; }
    const QString& FieldName() const { return name_; }
    TFieldType DataType() const { return type_; }
    void SetDataType(TFieldType type) { type_ = type; }
    int Size() const { return size_; }
    void SetSize(int size) { size_ = size; }
    int Index() const { return index_; }

    QString DisplayLabel() const { return label_.isEmpty() ? name_ : label_; }
    void SetDisplayLabel(const QString& label) { label_ = label; }
    // A number pattern such as "0.00" or "#,##0.00", or a date pattern such as "dd.MM.yyyy.".
    const QString& DisplayFormat() const { return displayFormat_; }
    void SetDisplayFormat(const QString& format) { displayFormat_ = format; }
    bool Required() const { return required_; }
    void SetRequired(bool required) { required_ = required; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
    bool Visible() const { return visible_; }
    void SetVisible(bool visible) { visible_ = visible; }
    // Declared by the program (kept across re-opens) rather than made from a result.
    bool Persistent() const { return persistent_; }

    // Where a live dataset writes this field; empty for computed columns.
    const QString& OriginTable() const { return originTable_; }
    const QString& OriginColumn() const { return originColumn_; }
    void SetOrigin(const QString& table, const QString& column);

    QVariant Value() const;
    void SetValue(const QVariant& value);  // converted to the field's type
    QVariant OldValue() const;
    bool IsNull() const;
    void Clear() { SetValue(QVariant()); }

    QString AsString() const;
    // A value as the system writes it for itself: decimal point, ISO dates, "1"/"0".
    QString SystemText(const QVariant& value) const;
    qint64 AsInteger() const;
    double AsFloat() const;
    bool AsBoolean() const;
    QDate AsDate() const;
    QDateTime AsDateTime() const;

    // Text for a grid cell or print, and for an editor.
    QString DisplayText() const;
    QString Text() const;
    void SetText(const QString& text);

    // Hooks carrying the display and entry rules of the owning module.
    std::function<QString(const TField&, bool displayText)> OnGetText;
    std::function<void(TField&, const QString&)> OnSetText;
    std::function<void(TField&)> OnChange;

    QVariant Convert(const QVariant& value) const;  // to the field's type, or an error
    QString FormatValue(const QVariant& value, bool display) const;

private:
    friend class TDataSet;
    TDataSet& dataSet_;
    QString name_;
    TFieldType type_;
    int size_;
    int index_ = -1;
    QString label_;
    QString displayFormat_;
    QString originTable_, originColumn_;
    bool required_ = false;
    bool readOnly_ = false;
    bool visible_ = true;
    bool persistent_ = false;
};

}  // namespace fin
