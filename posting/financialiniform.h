#pragma once

#include <QComboBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>

#include "host/forms/customforms.h"

namespace fin {

class TAutoConter;
class TDataSetModel;
class TDBNavigator;
class TFinancialDM;
class TFinancialOptionsTabFrame;

// "Opcije": the module's options page and the posting rules of one module and kind of
// document with the voucher type their vouchers get. Rules are written as each is posted;
// the voucher type as soon as it is chosen; the options only by "U redu".
class TFinancialIniForm : public TCustomDetailForm {
    Q_OBJECT
public:
    // The driver lets the rules be tried on a document; without one they cannot be.
    TFinancialIniForm(TFinancialDM& dm, TAutoConter* driver, QWidget* parent = nullptr);
    ~TFinancialIniForm() override;

    QTabWidget* PageControl;
    QWidget* GeneralPage;  // "Opšte"
    QWidget* RulesPage;    // "Opcije kontiranja"
    TFinancialOptionsTabFrame* OptionsFrame;
    QComboBox* ModuleCB;
    QComboBox* EntityTypeCB;  // "R - Račun", the letter as the item's data
    QPushButton* OpenButton;
    QComboBox* PreceptTypeCB;  // "number - name", the type's id as the item's data
    QPushButton* StartButton;  // the first rule of a pair that has none
    QPushButton* TryButton;
    TDBNavigator* DBNavigator;
    QTableView* DBGrid;
    QPushButton* OKButton;
    QPushButton* CancelButton;
    TDataSetModel* Model() const { return model_; }

    void LoadPreceptTypes();
    void UnloadPreceptTypes();
    qint64 GetPreceptType(const QString& module, const QString& entityType) const;
    void SetPreceptType(const QString& module, const QString& entityType, qint64 typeId);
    int GetPTIndex(qint64 typeId) const;

    void ModuleCBChange();
    void OpenButtonClick();
    void PreceptTypeCBChange();
    // The ellipsis of the grid's current cell: the expression dialog for its field.
    void DBGridEditButtonClick();
    void StartButtonClick();
    void TryButtonClick();
    void OKButtonClick();

    // The chosen module and kind of document; empty when none.
    QString ModuleName() const;
    QString EntityType() const;
    // Shows the rules page on a module and kind of document, as "Otvori" would; false
    // when the module is not offered.
    Q_INVOKABLE bool ShowRules(const QString& module, const QString& entityType);

public slots:
    void reject() override;
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillEntityTypes();
    void ShowPreceptType();
    void SetRulesEditable(bool editable);
    // Posts a rule being edited; false, with the refusal shown, when it cannot be stored.
    bool PostPendingRule();
    // What the dialog holds goes when it closes: the voucher types and the open rule set.
    void Release();

    TFinancialDM& dm_;
    TAutoConter* driver_;
    TDataSetModel* model_;
    bool released_ = false;
};

}  // namespace fin
