#pragma once

#include <QPointer>
#include <QTableView>
#include <QToolBar>

#include "host/data/dataset.h"

namespace fin {

class TDataSetModel;

// The row buttons of a dataset: move, insert, delete, post and cancel. Each is enabled only
// when its operation makes sense in the dataset's state; a refusal is shown to the user and
// the dataset keeps what it had.
class TDBNavigator : public QToolBar, public IDataSetObserver {
    Q_OBJECT
public:
    enum TButton { First, Prior, Next, Last, Insert, Delete, Post, Cancel };

    explicit TDBNavigator(TDataSet& dataSet, QWidget* parent = nullptr);
    ~TDBNavigator() override;

    QAction* Button(TButton button) const { return buttons_[button]; }
    // Runs the button's operation as a click does.
    void Click(TButton button);

    void DataSetEvent(TDataSet& dataSet, TDataEvent event) override;

private:
    void UpdateButtons();

    TDataSet& dataSet_;
    QAction* buttons_[Cancel + 1] = {};
};

// Keeps a grid's current row and its dataset's cursor together: choosing a row moves the
// cursor (posting a pending edit first), and the grid follows every move of the cursor. A
// refused post keeps the grid on the record being edited. The link belongs to the model
// and goes with it; the grid may go first.
class TGridLink : public QObject, public IDataSetObserver {
    Q_OBJECT
public:
    TGridLink(QTableView* grid, TDataSetModel* model);
    ~TGridLink() override;

    void DataSetEvent(TDataSet& dataSet, TDataEvent event) override;

private:
    void RowChosen(int row);
    void ShowCurrent();

    QPointer<QTableView> grid_;
    TDataSetModel* model_;
    TDataSet& dataSet_;
    bool syncing_ = false;
};

}  // namespace fin
