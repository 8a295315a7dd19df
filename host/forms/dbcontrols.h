#pragma once

#include <QObject>
#include <QString>

#include "host/data/dataset.h"

class QComboBox;
class QLineEdit;
class QWidget;

namespace fin {

// Binds an edit box to a field of a dataset's current record: typing puts the record into
// edit, and the text goes through the field's entry rules when the user leaves the box (or
// Commit is called); every move or change of the record shows the field's text again. A
// refused entry is shown to the user and stays in the box, the record keeps what it had.
// The link lives as long as the box.
class TDBEditLink : public QObject, public IDataSetObserver {
    Q_OBJECT
public:
    TDBEditLink(QLineEdit* edit, TDataSet& dataSet, QString fieldName);
    ~TDBEditLink() override;
    void DataSetEvent(TDataSet& dataSet, TDataEvent event) override;
    void Refresh();
    // Hands typed text to the field now; a form calls it before it saves.
    void Commit();
    bool Pending() const { return typing_; }

private:
    void Typed(const QString& text);

    QLineEdit* edit_;
    TDataSet& dataSet_;
    QString fieldName_;
    bool showing_ = false;
    bool typing_ = false;
};

// Hands every box's typed text to its field; false when one was refused.
bool CommitEdits(QWidget* form);

// The same for a drop-down list of a field's display texts (the field's text hooks turn
// captions into stored values and back).
class TDBComboLink : public QObject, public IDataSetObserver {
    Q_OBJECT
public:
    TDBComboLink(QComboBox* combo, TDataSet& dataSet, QString fieldName);
    ~TDBComboLink() override;
    void DataSetEvent(TDataSet& dataSet, TDataEvent event) override;
    void Refresh();

private:
    void Chosen(int index);

    QComboBox* combo_;
    TDataSet& dataSet_;
    QString fieldName_;
    bool showing_ = false;
};

}  // namespace fin
