#include "host/forms/dbcontrols.h"

#include <QComboBox>
#include <QLineEdit>

#include "host/common/error.h"
#include "host/ui/uiservice.h"

namespace fin {

namespace {

// Puts the current record into edit and sets the field's text; false when refused.
bool Enter(TDataSet& ds, const QString& fieldName, const QString& text) {
    try {
        if (!ds.Active() || (ds.IsEmpty() && !ds.Editing()))
            return false;
        if (!ds.Editing())
            ds.Edit();
        ds.FieldByName(fieldName).SetText(text);
        return true;
    } catch (const TAbort&) {
    } catch (const TError& e) {
        Ui().ShowMessage(TMessageType::Error, e.Message());
    }
    return false;
}

QString Shown(TDataSet& ds, const QString& fieldName) {
    if (!ds.Active() || (ds.IsEmpty() && !ds.Editing()))
        return {};
    const TField* f = ds.FindField(fieldName);
    return f ? f->Text() : QString();
}

}  // namespace

TDBEditLink::TDBEditLink(QLineEdit* edit, TDataSet& dataSet, QString fieldName)
    : QObject(edit), edit_(edit), dataSet_(dataSet), fieldName_(std::move(fieldName)) {
    dataSet_.AddObserver(this);
    // Typing starts an edit; the text goes to the field when the user leaves the box, so
    // a date is checked once it is whole, not at every key.
    connect(edit_, &QLineEdit::textEdited, this, [this] {
        typing_ = true;
        try {
            if (dataSet_.Active() && !dataSet_.Editing() && !dataSet_.IsEmpty())
                dataSet_.Edit();
        } catch (const TError& e) {
            Ui().ShowMessage(TMessageType::Error, e.Message());
        }
    });
    connect(edit_, &QLineEdit::editingFinished, this, [this] {
        if (typing_)
            Typed(edit_->text());
    });
    Refresh();
}

TDBEditLink::~TDBEditLink() {
    dataSet_.RemoveObserver(this);
}

void TDBEditLink::DataSetEvent(TDataSet&, TDataEvent) {
    // Once the record is posted or cancelled, what was typed is settled either way.
    if (!dataSet_.Editing())
        typing_ = false;
    if (!typing_)
        Refresh();
}

bool CommitEdits(QWidget* form) {
    bool settled = true;
    for (TDBEditLink* link : form->findChildren<TDBEditLink*>()) {
        link->Commit();
        settled = settled && !link->Pending();
    }
    return settled;
}

void TDBEditLink::Commit() {
    if (typing_)
        Typed(edit_->text());
}

void TDBEditLink::Refresh() {
    const QString text = Shown(dataSet_, fieldName_);
    if (edit_->text() == text)
        return;
    showing_ = true;
    edit_->setText(text);
    showing_ = false;
}

void TDBEditLink::Typed(const QString& text) {
    if (showing_)
        return;
    // A refused text stays in the box for the user to correct.
    if (Enter(dataSet_, fieldName_, text)) {
        typing_ = false;
        Refresh();
    }
}

TDBComboLink::TDBComboLink(QComboBox* combo, TDataSet& dataSet, QString fieldName)
    : QObject(combo), combo_(combo), dataSet_(dataSet), fieldName_(std::move(fieldName)) {
    dataSet_.AddObserver(this);
    connect(combo_, &QComboBox::activated, this, &TDBComboLink::Chosen);
    Refresh();
}

TDBComboLink::~TDBComboLink() {
    dataSet_.RemoveObserver(this);
}

void TDBComboLink::DataSetEvent(TDataSet&, TDataEvent) {
    Refresh();
}

void TDBComboLink::Refresh() {
    showing_ = true;
    combo_->setCurrentIndex(combo_->findText(Shown(dataSet_, fieldName_)));
    showing_ = false;
}

void TDBComboLink::Chosen(int index) {
    if (!showing_ && !Enter(dataSet_, fieldName_, combo_->itemText(index)))
        Refresh();
}

}  // namespace fin
