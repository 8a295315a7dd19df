#include "posting/postingpreviewform.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QTabWidget>
#include <QVBoxLayout>

#include "posting/postingmodules.h"
#include "posting/postingpreview.h"

namespace fin {

namespace {

QTableWidget* NewGrid(const QString& name, const QStringList& titles, QWidget* parent) {
    auto* grid = new QTableWidget(0, static_cast<int>(titles.size()), parent);
    grid->setObjectName(name);
    grid->setHorizontalHeaderLabels(titles);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    grid->horizontalHeader()->setStretchLastSection(true);
    return grid;
}

QTableWidgetItem* Cell(const QString& text, bool number = false) {
    auto* item = new QTableWidgetItem(text);
    if (number)
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

QString EntityCaption(const QString& module, const QString& letter) {
    if (const TPostingModule* m = FindPostingModule(module))
        for (const TEntityType& t : m->entityTypes)
            if (t.letter == letter)
                return letter + QStringLiteral(" - ") + t.caption;
    return letter;
}

}  // namespace

TPostingPreviewForm::TPostingPreviewForm(const TPostingPreview& preview, const QString& module,
                                         const QString& document, const QString& openType,
                                         QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("PostingPreviewForm"));
    setWindowTitle(QStringLiteral("Probno kontiranje"));
    auto* layout = new QVBoxLayout(this);

    QString about = QStringLiteral("Dokument %1 (%2, vrsta %3). Ništa nije upisano u bazu.")
                        .arg(document, module, EntityCaption(module, preview.entityType));
    if (!openType.isEmpty() && preview.entityType != openType)
        about += QStringLiteral("\nDokument nije vrste %1: primenjena su pravila njegove vrste.")
                     .arg(EntityCaption(module, openType));
    DocumentLabel = new QLabel(about, this);
    DocumentLabel->setObjectName(QStringLiteral("DocumentLabel"));
    DocumentLabel->setWordWrap(true);
    layout->addWidget(DocumentLabel);

    auto* tabs = new QTabWidget(this);
    layout->addWidget(tabs, 1);

    auto* voucher = new QWidget(tabs);
    auto* v = new QVBoxLayout(voucher);
    HeaderGrid = NewGrid(QStringLiteral("HeaderGrid"),
                         {QStringLiteral("Polje"), QStringLiteral("Vrednost")}, voucher);
    HeaderGrid->setRowCount(static_cast<int>(preview.header.size()));
    for (int r = 0; r < preview.header.size(); ++r) {
        HeaderGrid->setItem(r, 0, Cell(PreviewHeaderLabel(preview.header[r].first)));
        HeaderGrid->setItem(r, 1, Cell(preview.header[r].second));
    }
    HeaderGrid->setColumnWidth(0, 140);
    // Every header field at once, without a scroll bar.
    HeaderGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    HeaderGrid->setFixedHeight(HeaderGrid->horizontalHeader()->sizeHint().height() +
                               HeaderGrid->verticalHeader()->defaultSectionSize() *
                                   HeaderGrid->rowCount() +
                               2 * HeaderGrid->frameWidth());
    v->addWidget(HeaderGrid);

    LinesGrid =
        NewGrid(QStringLiteral("LinesGrid"),
                {QStringLiteral("Konto"), QStringLiteral("Novi konto"), QStringLiteral("Analitika"),
                 QStringLiteral("Opis"), QStringLiteral("Duguje"), QStringLiteral("Potražuje")},
                voucher);
    LinesGrid->horizontalHeader()->setStretchLastSection(false);
    LinesGrid->horizontalHeader()->setSectionResizeMode(3, QHeaderView::Stretch);
    const int count = static_cast<int>(preview.lines.size());
    LinesGrid->setRowCount(count + 1);
    for (int r = 0; r < count; ++r) {
        const TPreviewLine& l = preview.lines[r];
        LinesGrid->setItem(r, 0, Cell(l.contoCode));
        LinesGrid->setItem(r, 1, Cell(l.contoNewCode));
        LinesGrid->setItem(r, 2, Cell(l.foreignId ? QString::number(l.foreignId) : QString()));
        LinesGrid->setItem(r, 3, Cell(l.description));
        LinesGrid->setItem(r, 4, Cell(PreviewAmount(l.debit), true));
        LinesGrid->setItem(r, 5, Cell(PreviewAmount(l.credit), true));
    }
    const TPreviewTotals totals = PreviewTotals(preview);
    QFont bold = font();
    bold.setBold(true);
    const QStringList sums{QString(),
                           QString(),
                           QString(),
                           QStringLiteral("Ukupno"),
                           PreviewAmount(totals.debit),
                           PreviewAmount(totals.credit)};
    for (int c = 0; c < sums.size(); ++c) {
        QTableWidgetItem* item = Cell(sums[c], c >= 4);
        item->setFont(bold);
        LinesGrid->setItem(count, c, item);
    }
    for (auto [column, width] : {std::pair{0, 70}, {1, 80}, {2, 70}, {4, 110}, {5, 110}})
        LinesGrid->setColumnWidth(column, width);
    v->addWidget(LinesGrid, 1);

    BalanceLabel = new QLabel(PreviewBalanceText(totals), voucher);
    BalanceLabel->setObjectName(QStringLiteral("BalanceLabel"));
    BalanceLabel->setStyleSheet(totals.Balanced() ? QStringLiteral("color: #1b6e2a;")
                                                  : QStringLiteral("color: #b00020;"));
    v->addWidget(BalanceLabel);

    NotesList = new QListWidget(voucher);
    NotesList->setObjectName(QStringLiteral("NotesList"));
    NotesList->setWordWrap(true);
    NotesList->addItems(preview.notes);
    if (preview.notes.isEmpty())
        NotesList->addItem(QStringLiteral("Svako pravilo je dalo stavku."));
    NotesList->setMaximumHeight(NotesList->fontMetrics().height() * 5);
    auto* notes = new QFormLayout;
    notes->addRow(QStringLiteral("Napomene:"), NotesList);
    v->addLayout(notes);
    tabs->addTab(voucher, QStringLiteral("Nalog"));

    VariablesGrid = NewGrid(QStringLiteral("VariablesGrid"),
                            {QStringLiteral("Naziv"), QStringLiteral("Vrednost")}, tabs);
    VariablesGrid->setRowCount(static_cast<int>(preview.variables.size()));
    for (int r = 0; r < preview.variables.size(); ++r) {
        const auto [name, value] = PreviewVariable(preview.variables[r]);
        VariablesGrid->setItem(r, 0, Cell(name));
        VariablesGrid->setItem(r, 1, Cell(value));
    }
    VariablesGrid->setColumnWidth(0, 260);
    tabs->addTab(VariablesGrid, QStringLiteral("Promenljive (%1)").arg(preview.variables.size()));

    auto* buttons = new QDialogButtonBox(this);
    CloseButton = buttons->addButton(QStringLiteral("Zatvori"), QDialogButtonBox::RejectRole);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(820, 620);
}

}  // namespace fin
