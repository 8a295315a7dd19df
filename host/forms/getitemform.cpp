#include "host/forms/getitemform.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QVBoxLayout>

#include "host/forms/customforms.h"

namespace fin {

TGetItemForm::TGetItemForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("GetItemForm"));
    auto* layout = new QVBoxLayout(this);
    PromptLabel = new QLabel(this);
    PromptLabel->setObjectName(QStringLiteral("PromptLabel"));
    layout->addWidget(PromptLabel);
    ItemsLB = new QListWidget(this);
    ItemsLB->setObjectName(QStringLiteral("ItemsLB"));
    ItemsLB->setSelectionMode(QAbstractItemView::SingleSelection);
    PromptLabel->setBuddy(ItemsLB);
    layout->addWidget(ItemsLB, 1);
    auto* buttons = new QDialogButtonBox(this);
    OKButton = buttons->addButton(QStringLiteral("U redu"), QDialogButtonBox::AcceptRole);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    CancelButton = buttons->addButton(QStringLiteral("Otkaži"), QDialogButtonBox::RejectRole);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &TGetItemForm::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(ItemsLB, &QListWidget::itemDoubleClicked, this, &TGetItemForm::accept);
    resize(360, 320);
}

void TGetItemForm::accept() {
    if (ItemsLB->selectedItems().isEmpty())
        return;
    QDialog::accept();
}

bool GetItemIndex(const QStringList& items, const QString& caption, const QString& prompt,
                  int& index) {
    if (items.isEmpty())
        return false;
    TGetItemForm form(QApplication::activeWindow());
    form.setWindowTitle(caption);
    form.PromptLabel->setText(prompt);
    form.PromptLabel->setVisible(!prompt.isEmpty());
    form.ItemsLB->addItems(items);
    if (index >= 0 && index < items.size())
        form.ItemsLB->setCurrentRow(index);
    if (ShowModal(form) != QDialog::Accepted)
        return false;
    const QList<QListWidgetItem*> chosen = form.ItemsLB->selectedItems();
    if (chosen.isEmpty())
        return false;
    index = form.ItemsLB->row(chosen.first());
    return true;
}

bool GetItem(const QStringList& items, const QString& caption, const QString& prompt,
             QString& item) {
    int index = static_cast<int>(items.indexOf(item));
    if (!GetItemIndex(items, caption, prompt, index))
        return false;
    item = items[index];
    return true;
}

}  // namespace fin
