#pragma once

#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>

#include "posting/postingrun.h"

namespace fin {

// What the rules would make of one source document, shown and written nowhere: the
// voucher's header, its lines with both totals and whether they balance, the notes on rules
// that made no line, and the document's variables in the order the rules see them.
class TPostingPreviewForm : public QDialog {
    Q_OBJECT
public:
    // The document is named as its module's picker named it; openType is the kind whose
    // rules the editor shows, so a document of another kind is pointed out.
    TPostingPreviewForm(const TPostingPreview& preview, const QString& module,
                        const QString& document, const QString& openType,
                        QWidget* parent = nullptr);

    QLabel* DocumentLabel;
    QTableWidget* HeaderGrid;
    QTableWidget* LinesGrid;  // the last row holds the totals
    QLabel* BalanceLabel;
    QListWidget* NotesList;
    QTableWidget* VariablesGrid;
    QPushButton* CloseButton;
};

}  // namespace fin
