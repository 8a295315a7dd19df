#include "posting/lcleditorform.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMimeData>
#include <QVBoxLayout>

#include "host/data/query.h"
#include "host/forms/customforms.h"
#include "host/ui/uiservice.h"
#include "ledger/financialdm.h"
#include "posting/customconter.h"
#include "posting/postingcaptions.h"

namespace fin {

TExpressionEdit::TExpressionEdit(QWidget* parent) : QPlainTextEdit(parent) {
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAnywhere);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(true);
    setFixedHeight(fontMetrics().lineSpacing() * 3 + 12);
}

void TExpressionEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->ignore();  // the dialog's default button takes it
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TExpressionEdit::insertFromMimeData(const QMimeData* source) {
    QString text = source->text();
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    QTextCursor cursor = textCursor();
    cursor.insertText(text);
    setTextCursor(cursor);
}

TLCLEditorForm::TLCLEditorForm(TFinancialDM& dm, const QString& module, QWidget* parent)
    : QDialog(parent), dm_(dm), module_(module) {
    setObjectName(QStringLiteral("LCLEditorForm"));
    setWindowTitle(QStringLiteral("LCL Editor"));
    auto* layout = new QVBoxLayout(this);
    ExpressionM = new TExpressionEdit(this);
    ExpressionM->setObjectName(QStringLiteral("ExpressionM"));
    layout->addWidget(ExpressionM);

    auto* vars = new QHBoxLayout;
    VarsCB = new QComboBox(this);
    VarsCB->setObjectName(QStringLiteral("VarsCB"));
    VarsCB->setMaxVisibleItems(25);
    VarsCB->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    VarsCB->setMinimumContentsLength(40);
    VarsCB->addItem(res::VARS_CAPT);
    QStringList descriptions;
    FillVars(dm_, module_, names_, descriptions);
    for (int i = 0; i < names_.size(); ++i) {
        VarsCB->addItem(descriptions.value(i));
        VarsCB->setItemData(i + 1, names_[i], Qt::ToolTipRole);
    }
    VarsCB->setCurrentIndex(0);
    vars->addWidget(VarsCB, 1);
    SetButton = new QPushButton(QStringLiteral("Postavi"), this);
    SetButton->setObjectName(QStringLiteral("SetButton"));
    SetButton->setAutoDefault(false);
    vars->addWidget(SetButton);
    layout->addLayout(vars);

    auto* buttons = new QDialogButtonBox(this);
    OKButton = buttons->addButton(QStringLiteral("U redu"), QDialogButtonBox::AcceptRole);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    CancelButton = buttons->addButton(QStringLiteral("Otkaži"), QDialogButtonBox::RejectRole);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setAutoDefault(false);
    layout->addWidget(buttons);

    connect(SetButton, &QPushButton::clicked, this, &TLCLEditorForm::SetButtonClick);
    connect(buttons, &QDialogButtonBox::accepted, this, &TLCLEditorForm::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    resize(560, sizeHint().height());
}

QString TLCLEditorForm::Expression() const {
    return ExpressionM->toPlainText();
}

void TLCLEditorForm::SetExpression(const QString& text) {
    ExpressionM->setPlainText(text);
    ExpressionM->moveCursor(QTextCursor::End);
}

void TLCLEditorForm::SetButtonClick() {
    const int chosen = VarsCB->currentIndex();
    if (chosen < 1 || chosen > names_.size())
        return;
    QTextCursor cursor = ExpressionM->textCursor();
    cursor.insertText(names_[chosen - 1]);
    ExpressionM->setTextCursor(cursor);
    ExpressionM->setFocus();
}

void TLCLEditorForm::accept() {
    if (!CheckExpression(dm_, module_, Expression())) {
        Ui().ShowMessage(TMessageType::Error, res::INV_EXP_ERR);
        return;
    }
    QDialog::accept();
}

bool EditLCL(TFinancialDM& dm, QString& text, QWidget* parent) {
    const QString module =
        dm.FinancialiniZQ().ParamByName(QStringLiteral("ModuleName")).Value().toString();
    TLCLEditorForm form(dm, module, parent);
    form.SetExpression(text);
    if (ShowModal(form) != QDialog::Accepted)
        return false;
    text = form.Expression();
    return true;
}

}  // namespace fin
