#include "journal/ledgercheckform.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

#include "accounts/accountbrowser.h"
#include "host/common/error.h"
#include "host/data/query.h"
#include "host/forms/datasetmodel.h"
#include "host/ui/uiservice.h"
#include "ledger/financialdm.h"
#include "reports/accountdetailform.h"

namespace fin {

TLedgerCheckForm::TLedgerCheckForm(TFinancialDM& dm, TCheckResult result,
                                   std::function<void(qint64)> openVoucher, QWidget* parent)
    : TCustomDetailForm(parent),
      dm_(dm),
      result_(std::move(result)),
      openVoucher_(std::move(openVoucher)),
      rows_(QStringLiteral("LedgerCheckCDS")) {
    setObjectName(QStringLiteral("LedgerCheckForm"));
    setWindowTitle(QStringLiteral("Provera knjiga"));
    resize(1080, 600);
    auto* layout = new QVBoxLayout(this);

    rows_.AddField(QStringLiteral("kind"), TFieldType::String, 80, QStringLiteral("Vrsta greške"));
    rows_.AddField(QStringLiteral("id"), TFieldType::Integer, 0, QStringLiteral("Id"));
    rows_.AddField(QStringLiteral("typenumber"), TFieldType::String, 15,
                   QStringLiteral("Tip naloga"));
    rows_.AddField(QStringLiteral("number"), TFieldType::String, 30, QStringLiteral("Broj"));
    rows_.AddField(QStringLiteral("preceptdate"), TFieldType::Date, 0, QStringLiteral("Datum"));
    rows_.AddField(QStringLiteral("note"), TFieldType::String, 255, QStringLiteral("Opis"));
    // Which finding a row shows, whatever order the grid is sorted in.
    rows_.AddField(QStringLiteral("finding"), TFieldType::Integer).SetVisible(false);
    rows_.Open();
    for (int i = 0; i < result_.findings.size(); ++i) {
        const TCheckFinding& f = result_.findings[i];
        rows_.AppendRecord({CheckKindInfo(f.kind).caption, f.id, f.typeNumber, f.number,
                            f.date.isValid() ? QVariant(f.date) : QVariant(), f.note, i});
    }
    rows_.First();

    model_ = new TDataSetModel(rows_, this);
    model_->SetColumns({QStringLiteral("kind"), QStringLiteral("id"), QStringLiteral("typenumber"),
                        QStringLiteral("number"), QStringLiteral("preceptdate"),
                        QStringLiteral("note")});
    FindingsGrid = new QTableView(this);
    FindingsGrid->setObjectName(QStringLiteral("FindingsGrid"));
    FindingsGrid->setModel(model_);
    FindingsGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    FindingsGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    FindingsGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FindingsGrid->verticalHeader()->setDefaultSectionSize(FindingsGrid->fontMetrics().height() + 6);
    for (auto [column, width] : {std::pair{0, 300}, {1, 70}, {2, 70}, {3, 100}, {4, 80}})
        FindingsGrid->setColumnWidth(column, width);
    FindingsGrid->horizontalHeader()->setStretchLastSection(true);
    FindingsGrid->viewport()->installEventFilter(this);
    TGridSorter::AddGrid(FindingsGrid);
    layout->addWidget(FindingsGrid, 1);
    connect(FindingsGrid, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            OpenFinding(index.row());
    });

    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    CloseButton = new QPushButton(QStringLiteral("&Zatvori"), this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    CloseButton->setAutoDefault(false);
    bottom->addWidget(CloseButton);
    layout->addLayout(bottom);
    // Escape closes the form as the close button does.
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::reject);
}

void TLedgerCheckForm::OpenFinding(int row) {
    bool inserted = false;
    const int recNo = model_->RecNoOf(row, &inserted);
    if (recNo < 1 || recNo > rows_.RecordCount())
        return;
    const int index =
        rows_.RecordValue(recNo, rows_.FieldByName(QStringLiteral("finding")).Index()).toInt();
    if (index < 0 || index >= result_.findings.size())
        return;
    const TCheckFinding& f = result_.findings[index];
    if (CheckKindInfo(f.kind).subject == TCheckSubject::Account) {
        OpenAccount(f);
        return;
    }
    if (f.preceptId <= 0) {
        Ui().ShowMessage(TMessageType::Information,
                         QStringLiteral("Nalog ove stavke ne postoji, pa se ne može otvoriti."));
        return;
    }
    if (openVoucher_)
        openVoucher_(f.preceptId);
}

void TLedgerCheckForm::OpenAccount(const TCheckFinding& f) {
    try {
        // The card edits the chart's current account: the browser's search puts the list on
        // it, as the balances screen does.
        const bool chartBefore = dm_.UseNewChart;
        TAccountBrowser browser(dm_);
        browser.SwitchChart(f.newChart);
        browser.ContoText = f.accountCode;
        browser.Search();
        if (browser.Accounts().IsEmpty()) {
            dm_.UseNewChart = chartBefore;
            return;
        }
        OpenAccountCard(dm_, browser.Current(false), f.newChart, this);
        if (f.newChart)
            dm_.AccountNewZQAfterScroll();
        else
            dm_.AccountZQAfterScroll();
    } catch (const TAbort&) {
    } catch (const TError& e) {
        Ui().ShowMessage(TMessageType::Error, e.Message());
    }
}

bool TLedgerCheckForm::eventFilter(QObject* watched, QEvent* event) {
    if (WheelStepsRows(FindingsGrid, watched, event))
        return true;
    return TCustomDetailForm::eventFilter(watched, event);
}

void TLedgerCheckForm::showEvent(QShowEvent* event) {
    TCustomDetailForm::showEvent(event);
    CenterOnScreen();
}

}  // namespace fin
