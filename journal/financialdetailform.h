#pragma once

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <memory>

#include "host/forms/customforms.h"
#include "host/report/reportengine.h"
#include "journal/preceptedit.h"

namespace fin {

class TDBNavigator;
class TDataSetModel;
class TFinancialDM;

// "Nalog": one voucher's header and lines, edited in place in the list's record; its
// rules are the headless editor's, this form only binds the controls to them.
class TFinancialDetailForm : public TCustomDetailForm {
    Q_OBJECT
public:
    explicit TFinancialDetailForm(TFinancialDM& dm, QWidget* parent = nullptr);
    ~TFinancialDetailForm() override;

    TPreceptEditor& Editor() { return *editor_; }
    TReportEngine& Engine() { return engine_; }
    TDataSetModel* LinesModel() const { return linesModel_; }

    QComboBox* TypeCombo;
    QLineEdit* NumberEdit;
    QLineEdit* DateEdit;
    QLineEdit* RegisterDateEdit;
    QLineEdit* DescriptionEdit;
    QPushButton* RelatedEntityButton;
    TDBNavigator* LinesNavigator;
    QTableView* LinesGrid;
    QList<QLabel*> StatusPanels;  // the nine panels of the status bar
    QPushButton* CopyButton;
    QPushButton* PrintButton;
    QPushButton* RegisterButton;
    QPushButton* OKButton;
    QPushButton* ApplyButton;
    QPushButton* CancelButton;

    QAction* CustomApply;
    QAction* CustomOK;
    QAction* CustomCancel;
    QAction* PreceptDateAction;
    QAction* RegisterDateAction;
    QAction* PreceptFreshNumber;
    QAction* GetAccountAction;
    QAction* PreceptRegister;
    QAction* PreceptUnregister;
    QAction* MoveUp;
    QAction* MoveDown;
    QAction* RelatedEntity;
    QAction* PreceptCopy;
    QAction* DeleteAllItemsAction;
    QAction* PreceptPrint;
    QAction* SortByValueAction;

    // Re-reads state into the controls: activity, totals, status, enabled commands.
    void UpdateState();

public slots:
    void reject() override;

private:
    void Build();
    void Guarded(const std::function<void()>& operation);
    void SetActivity();
    void ShowTotals();
    void PickDate(bool registerDate);
    void PickAccount();
    void Print();
    void Copy();
    bool Apply();
    void FillTypes();
    void TypeChosen(int index);

    TFinancialDM& dm_;
    std::unique_ptr<TPreceptEditor> editor_;
    TReportEngine engine_;
    TDataSetModel* linesModel_;
};

}  // namespace fin
