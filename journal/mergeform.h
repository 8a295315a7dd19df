#pragma once

#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QLabel>
#include <QPushButton>

namespace fin {

class TFinancialDM;

// "Spajanje naloga": the voucher type and the period whose unregistered vouchers become
// one group voucher.
class TMergeForm : public QDialog {
    Q_OBJECT
public:
    explicit TMergeForm(TFinancialDM& dm, QWidget* parent = nullptr);

    QComboBox* TypeCB;
    QDateEdit* FromDTP;
    QDateEdit* ToDTP;
    QLabel* NoticeLabel;
    QPushButton* OKButton;
    QPushButton* CancelButton;

    // True once a group voucher was written.
    bool MergeResult() const { return result_; }
    // Merges the chosen type and period and closes; a refusal is shown and the dialog stays
    // for a correction.
    void OKButtonClick();

private:
    TFinancialDM& dm_;
    bool result_ = false;
};

// Shows the merge dialog; true when it wrote a group voucher, which is then the list's
// current record.
bool MergePercepts(TFinancialDM& dm);

}  // namespace fin
