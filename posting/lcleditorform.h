#pragma once

#include <QComboBox>
#include <QDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>

namespace fin {

class TFinancialDM;

// A text box for one expression: long text wraps and scrolls, but a line break is never
// part of it (Enter confirms the dialog, pasted breaks become blanks).
class TExpressionEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TExpressionEdit(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
};

// "LCL Editor": one rule expression with the variables of its module to insert, accepted
// only when the module's check passes.
class TLCLEditorForm : public QDialog {
    Q_OBJECT
public:
    TLCLEditorForm(TFinancialDM& dm, const QString& module, QWidget* parent = nullptr);

    TExpressionEdit* ExpressionM;
    QComboBox* VarsCB;  // "Promenljive", then the descriptions of the module's variables
    QPushButton* SetButton;
    QPushButton* OKButton;
    QPushButton* CancelButton;

    QString Expression() const;
    void SetExpression(const QString& text);
    // The variable names beside the drop-down's descriptions, in the same order.
    const QStringList& VarNames() const { return names_; }
    // "Postavi": the chosen variable's name at the cursor, over any selected text.
    void SetButtonClick();

public slots:
    void accept() override;

private:
    TFinancialDM& dm_;
    QString module_;
    QStringList names_;
};

// Edits an expression of the rule dataset's module; true, with the new text, when the user
// confirms a valid expression.
bool EditLCL(TFinancialDM& dm, QString& text, QWidget* parent = nullptr);

}  // namespace fin
