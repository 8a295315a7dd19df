#include "journal/mergeform.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QVBoxLayout>

#include "host/db/connection.h"
#include "host/forms/customforms.h"
#include "host/ui/uiservice.h"
#include "journal/bulkcaptions.h"
#include "journal/bulkjobs.h"
#include "ledger/financialdm.h"

namespace fin {

TMergeForm::TMergeForm(TFinancialDM& dm, QWidget* parent) : QDialog(parent), dm_(dm) {
    setObjectName(QStringLiteral("MergeForm"));
    setWindowTitle(res::MERGE_CAPTION);
    setProperty("HelpContext", 20007);
    auto* layout = new QVBoxLayout(this);

    auto* typeBox = new QGroupBox(QStringLiteral("Tip naloga za spajanje"), this);
    auto* typeRow = new QFormLayout(typeBox);
    TypeCB = new QComboBox(typeBox);
    TypeCB->setObjectName(QStringLiteral("TypeCB"));
    TypeCB->setMinimumWidth(240);
    typeRow->addRow(QStringLiteral("Tip"), TypeCB);
    layout->addWidget(typeBox);

    auto* periodBox = new QGroupBox(QStringLiteral("Period spajanja"), this);
    auto* periodRows = new QFormLayout(periodBox);
    auto dateEdit = [periodBox](const char* name) {
        auto* edit = new QDateEdit(periodBox);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(QStringLiteral("dd.MM.yyyy."));
        return edit;
    };
    FromDTP = dateEdit("FromDTP");
    ToDTP = dateEdit("ToDTP");
    periodRows->addRow(QStringLiteral("Od datuma"), FromDTP);
    periodRows->addRow(QStringLiteral("Do datuma"), ToDTP);
    layout->addWidget(periodBox);

    NoticeLabel = new QLabel(res::MERGE_NOTICE, this);
    NoticeLabel->setObjectName(QStringLiteral("NoticeLabel"));
    QFont bold = NoticeLabel->font();
    bold.setBold(true);
    NoticeLabel->setFont(bold);
    NoticeLabel->setWordWrap(true);
    layout->addWidget(NoticeLabel);

    auto* buttons = new QDialogButtonBox(this);
    OKButton = buttons->addButton(QStringLiteral("&U redu"), QDialogButtonBox::AcceptRole);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    CancelButton = buttons->addButton(QStringLiteral("&Otkaži"), QDialogButtonBox::RejectRole);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    layout->addWidget(buttons);
    connect(OKButton, &QPushButton::clicked, this, &TMergeForm::OKButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // Up to today, moved into the financial year; from the day before.
    const QDate today = dm_.Today();
    const int year = dm_.Options().FinancialYear;
    QDate to = today;
    if (today.year() != year)
        to = QDate(year, today.month(), today.month() == 2 && today.day() == 29 ? 28 : today.day());
    ToDTP->setDate(to);
    FromDTP->setDate(to.addDays(-1));

    try {
        for (const auto& row :
             dm_.Db()
                 .Select(QStringLiteral(
                     "SELECT precepttypeid, number, name FROM precepttype ORDER BY precepttypeid"))
                 .rows)
            TypeCB->addItem(MergeTypeText(row[1].toString(), row[2].toString()), row[0]);
    } catch (const TError& e) {
        Ui().ShowMessage(TMessageType::Error, e.Message());
    }
    TypeCB->setCurrentIndex(TypeCB->count() > 0 ? 0 : -1);
}

void TMergeForm::OKButtonClick() {
    try {
        TBulkJobs jobs(dm_);
        result_ = jobs.MergeIt(FromDTP->date(), ToDTP->date(), TypeCB->currentData().toLongLong())
                      .groupId > 0;
    } catch (const TAbort&) {
        return;
    } catch (const TError& e) {
        Ui().ShowMessage(TMessageType::Error, e.Message());
        return;
    }
    accept();
}

bool MergePercepts(TFinancialDM& dm) {
    TMergeForm form(dm);
    ShowModal(form);
    return form.MergeResult();
}

}  // namespace fin
