#include "host/forms/datanavigator.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QTableView>

#include "host/common/error.h"
#include "host/forms/datasetmodel.h"
#include "host/ui/uiservice.h"

namespace fin {

namespace {

struct TButtonText {
    const char* name;
    const char* glyph;
    const char* hint;
};

// Glyphs rather than icons: they read the same under every style and platform.
constexpr TButtonText kButtons[] = {
    {"NavFirst", "|◀", "Prvi"},         {"NavPrior", "◀", "Prethodni"},
    {"NavNext", "▶", "Sledeći"},        {"NavLast", "▶|", "Poslednji"},
    {"NavInsert", "+", "Dodaj"},        {"NavDelete", "−", "Obriši"},
    {"NavPost", "✓", "Sačuvaj izmene"}, {"NavCancel", "✗", "Odustani od izmena"},
};

// Runs a dataset operation for the user: a refusal is shown, an abort stays quiet.
template <typename F>
void Guarded(F&& operation) {
    try {
        operation();
    } catch (const TAbort&) {
    } catch (const TError& e) {
        Ui().ShowMessage(TMessageType::Error, e.Message());
    }
}

}  // namespace

TDBNavigator::TDBNavigator(TDataSet& dataSet, QWidget* parent)
    : QToolBar(parent), dataSet_(dataSet) {
    setObjectName(QStringLiteral("DBNavigator"));
    for (int b = First; b <= Cancel; ++b) {
        const TButtonText& text = kButtons[b];
        auto* action = addAction(QString::fromUtf8(text.glyph));
        action->setObjectName(QString::fromLatin1(text.name));
        action->setToolTip(QString::fromUtf8(text.hint));
        connect(action, &QAction::triggered, this, [this, b] { Click(static_cast<TButton>(b)); });
        buttons_[b] = action;
    }
    dataSet_.AddObserver(this);
    UpdateButtons();
}

TDBNavigator::~TDBNavigator() {
    dataSet_.RemoveObserver(this);
}

void TDBNavigator::Click(TButton button) {
    if (!buttons_[button]->isEnabled())
        return;
    Guarded([&] {
        switch (button) {
            case First:
                dataSet_.First();
                break;
            case Prior:
                dataSet_.Prior();
                break;
            case Next:
                dataSet_.Next();
                break;
            case Last:
                dataSet_.Last();
                break;
            case Insert:
                dataSet_.Insert();
                break;
            case Delete:
                dataSet_.Delete();
                break;
            case Post:
                dataSet_.Post();
                break;
            case Cancel:
                dataSet_.Cancel();
                break;
        }
    });
    UpdateButtons();
}

void TDBNavigator::DataSetEvent(TDataSet&, TDataEvent event) {
    if (event != TDataEvent::RecordChanged)
        UpdateButtons();
}

void TDBNavigator::UpdateButtons() {
    const bool active = dataSet_.Active();
    const bool editing = dataSet_.Editing();
    const bool writable = active && !dataSet_.ReadOnly();
    const int recNo = dataSet_.RecNo();
    const int count = dataSet_.RecordCount();
    const bool canBack = active && !editing ? recNo > 1 : active;
    const bool canForward = active && !editing ? recNo < count : active;
    buttons_[First]->setEnabled(canBack && count > 0);
    buttons_[Prior]->setEnabled(canBack && count > 0);
    buttons_[Next]->setEnabled(canForward && count > 0);
    buttons_[Last]->setEnabled(canForward && count > 0);
    buttons_[Insert]->setEnabled(writable);
    buttons_[Delete]->setEnabled(writable && !editing && count > 0);
    buttons_[Post]->setEnabled(writable && editing);
    buttons_[Cancel]->setEnabled(writable && editing);
}

TGridLink::TGridLink(QTableView* grid, TDataSetModel* model)
    : QObject(model), grid_(grid), model_(model), dataSet_(model->DataSet()) {
    dataSet_.AddObserver(this);
    connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!syncing_ && current.isValid())
                    RowChosen(current.row());
            });
    ShowCurrent();
}

TGridLink::~TGridLink() {
    dataSet_.RemoveObserver(this);
}

void TGridLink::RowChosen(int row) {
    TDataSet& ds = dataSet_;
    bool inserted = false;
    const int recNo = model_->RecNoOf(row, &inserted);
    if (inserted || (!ds.Editing() && recNo == ds.RecNo()))
        return;
    // Posting may re-order the records, so the chosen one is found again by identity.
    const quint64 chosen = ds.BookmarkAt(recNo);
    try {
        // Leaving a new row the user never typed in drops it, as leaving it blank says.
        if (ds.State() == TDataSetState::Insert && !ds.Modified())
            ds.Cancel();
        else
            ds.CheckBrowseMode();
        if (chosen)
            ds.GotoBookmark(chosen);
    } catch (const TAbort&) {
    } catch (const TError& e) {
        Ui().ShowMessage(TMessageType::Error, e.Message());
    }
    ShowCurrent();
}

void TGridLink::DataSetEvent(TDataSet&, TDataEvent event) {
    if (event != TDataEvent::RecordChanged)
        ShowCurrent();
}

void TGridLink::ShowCurrent() {
    TDataSet& ds = dataSet_;
    if (!grid_ || grid_->model() != model_)
        return;
    const int row = ds.Active() ? ds.RecNo() - 1 : -1;
    if (row < 0 || row >= model_->rowCount() || grid_->currentIndex().row() == row)
        return;
    syncing_ = true;
    const int column = qMax(grid_->currentIndex().column(), 0);
    grid_->setCurrentIndex(model_->index(row, column));
    syncing_ = false;
}

}  // namespace fin
