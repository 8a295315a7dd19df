#pragma once

#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStringList>

namespace fin {

// Picks one item of a list: the caption is the title, the prompt the line above the list.
// "U redu" closes it only with an item selected; a double click on an item chooses it.
class TGetItemForm : public QDialog {
    Q_OBJECT
public:
    explicit TGetItemForm(QWidget* parent = nullptr);

    QLabel* PromptLabel;
    QListWidget* ItemsLB;
    QPushButton* OKButton;
    QPushButton* CancelButton;

public slots:
    void accept() override;
};

// Shows the dialog with the items, the row at index selected when there is one; true, with
// the chosen row, when the user confirms an item. Rows are told apart by position, so a list
// may hold the same text twice.
bool GetItemIndex(const QStringList& items, const QString& caption, const QString& prompt,
                  int& index);
// The same by text: the incoming item is selected when it is in the list.
bool GetItem(const QStringList& items, const QString& caption, const QString& prompt,
             QString& item);

}  // namespace fin
