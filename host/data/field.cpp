#include "host/data/field.h"

#include "host/common/captions.h"
#include "host/common/textformat.h"
#include "host/data/dataset.h"

namespace fin {

TField::TField(TDataSet& dataSet, QString name, TFieldType type, int size)
    : dataSet_(dataSet), name_(std::move(name)), type_(type), size_(size) {}

void TField::SetOrigin(const QString& table, const QString& column) {
    originTable_ = table;
    originColumn_ = column;
}

QVariant TField::Value() const {
    return dataSet_.CurrentValue(index_);
}

QVariant TField::OldValue() const {
    return dataSet_.CurrentOldValue(index_);
}

void TField::SetValue(const QVariant& value) {
    dataSet_.SetCurrentValue(*this, Convert(value));
}

bool TField::IsNull() const {
    const QVariant v = Value();
    return !v.isValid() || v.isNull();
}

QVariant TField::Convert(const QVariant& value) const {
    if (!value.isValid() || value.isNull())
        return QVariant();
    const bool isText = value.typeId() == QMetaType::QString;
    const QString text = isText ? value.toString().trimmed() : QString();
    auto badNumber = [&] {
        return TError(res::CMN_INVALID_NUMBER_ERR.arg(value.toString(), DisplayLabel()));
    };
    switch (type_) {
        case TFieldType::Integer: {
            if (isText) {
                if (text.isEmpty())
                    return QVariant();
                bool ok = false;
                const qlonglong n = text.toLongLong(&ok);
                if (!ok)
                    throw badNumber();
                return n;
            }
            if (value.typeId() == QMetaType::Double)
                return qRound64(value.toDouble());
            bool ok = false;
            const qlonglong n = value.toLongLong(&ok);
            if (!ok)
                throw badNumber();
            return n;
        }
        case TFieldType::Float: {
            if (isText) {
                if (text.isEmpty())
                    return QVariant();
                const auto n = ParseNumber(text);
                if (!n)
                    throw badNumber();
                return *n;
            }
            bool ok = false;
            const double d = value.toDouble(&ok);
            if (!ok)
                throw badNumber();
            return d;
        }
        case TFieldType::Boolean:
            if (isText) {
                if (text.isEmpty())
                    return QVariant();
                return text == QLatin1String("1") ||
                       text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 ||
                       text.compare(QLatin1String("da"), Qt::CaseInsensitive) == 0;
            }
            return value.toBool();
        case TFieldType::Date: {
            if (value.typeId() == QMetaType::QDate)
                return value.toDate().isValid() ? value : QVariant();
            if (value.typeId() == QMetaType::QDateTime)
                return value.toDateTime().date();
            if (text.isEmpty() && isText)
                return QVariant();
            const auto d = MyDateStrToDate(value.toString());
            if (!d)
                throw TError(res::CMN_INVALID_DATE_ERR.arg(value.toString(), DisplayLabel()));
            return *d;
        }
        case TFieldType::DateTime:
            if (value.typeId() == QMetaType::QDate)
                return QDateTime(value.toDate(), QTime(0, 0));
            if (value.typeId() == QMetaType::QDateTime)
                return value;
            if (isText) {
                if (text.isEmpty())
                    return QVariant();
                if (const auto d = MyDateStrToDate(text))
                    return QDateTime(*d, QTime(0, 0));
                const QDateTime dt = QDateTime::fromString(text, Qt::ISODate);
                if (!dt.isValid())
                    throw TError(res::CMN_INVALID_DATE_ERR.arg(value.toString(), DisplayLabel()));
                return dt;
            }
            return value.toDateTime();
        case TFieldType::Time:
            return value.toTime();
        case TFieldType::Blob:
            return value.toByteArray();
        case TFieldType::String:
        case TFieldType::Unknown:
            if (value.typeId() == QMetaType::Double)
                return NumberToText(value.toDouble());
            return value.toString();
    }
    return value;
}

QString TField::FormatValue(const QVariant& v, bool display) const {
    if (!v.isValid() || v.isNull())
        return {};
    switch (type_) {
        case TFieldType::Float:
        case TFieldType::Integer:
            if (!displayFormat_.isEmpty() && display)
                return FormatFloat(displayFormat_, v.toDouble(), TNumberStyle::Display);
            if (type_ == TFieldType::Integer)
                return QString::number(v.toLongLong());
            return FormatFloat(QStringLiteral("0.##########"), v.toDouble(), TNumberStyle::Display);
        case TFieldType::Date:
            if (!displayFormat_.isEmpty() && display)
                return v.toDate().toString(displayFormat_);
            return DateToText(v.toDate());
        case TFieldType::DateTime:
            return v.toDateTime().toString(QStringLiteral("dd.MM.yyyy. HH:mm:ss"));
        case TFieldType::Time:
            return v.toTime().toString(QStringLiteral("HH:mm:ss"));
        case TFieldType::Boolean:
            return v.toBool() ? QStringLiteral("Da") : QStringLiteral("Ne");
        default:
            return v.toString();
    }
}

QString TField::AsString() const {
    return SystemText(Value());
}

QString TField::SystemText(const QVariant& v) const {
    if (!v.isValid() || v.isNull())
        return {};
    switch (type_) {
        case TFieldType::Float:
            return NumberToText(v.toDouble());
        case TFieldType::Date:
            return DateToSql(v.toDate());
        case TFieldType::DateTime:
            return v.toDateTime().toString(Qt::ISODate);
        case TFieldType::Boolean:
            return v.toBool() ? QStringLiteral("1") : QStringLiteral("0");
        default:
            return v.toString();
    }
}

qint64 TField::AsInteger() const {
    const QVariant v = Value();
    if (v.typeId() == QMetaType::Double)
        return qRound64(v.toDouble());
    return v.toLongLong();
}

double TField::AsFloat() const {
    return Value().toDouble();
}
bool TField::AsBoolean() const {
    return Value().toBool();
}

QDate TField::AsDate() const {
    const QVariant v = Value();
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime().date();
    return v.toDate();
}

QDateTime TField::AsDateTime() const {
    const QVariant v = Value();
    if (v.typeId() == QMetaType::QDate)
        return QDateTime(v.toDate(), QTime(0, 0));
    return v.toDateTime();
}

QString TField::DisplayText() const {
    if (OnGetText)
        return OnGetText(*this, true);
    return FormatValue(Value(), true);
}

QString TField::Text() const {
    if (OnGetText)
        return OnGetText(*this, false);
    return FormatValue(Value(), false);
}

void TField::SetText(const QString& text) {
    if (OnSetText) {
        OnSetText(*this, text);
        return;
    }
    SetValue(text.isEmpty() && type_ != TFieldType::String ? QVariant() : QVariant(text));
}

}  // namespace fin
