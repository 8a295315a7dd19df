#include "ledger/precepttypeform.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScreen>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "host/forms/datanavigator.h"
#include "host/forms/datasetmodel.h"
#include "host/ui/uiservice.h"
#include "ledger/financialdm.h"

namespace fin {

TPreceptTypeForm::TPreceptTypeForm(TFinancialDM& dm, QWidget* parent)
    : TCustomDetailForm(parent), dm_(dm) {
    setObjectName(QStringLiteral("PreceptTypeForm"));
    setWindowTitle(QStringLiteral("Tip naloga"));

    TQuery& types = dm_.PrecepttypeZQ();
    // Fresh rows every time the editor opens: another workstation may have added some.
    try {
        if (types.Active())
            types.Close();
        types.Open();
    } catch (const TError& e) {
        Ui().ShowMessage(TMessageType::Error, e.Message());
    }

    auto* layout = new QVBoxLayout(this);
    DBNavigator = new TDBNavigator(types, this);
    layout->addWidget(DBNavigator);

    model_ = new TDataSetModel(types, this);
    model_->SetColumns({QStringLiteral("number"), QStringLiteral("name")});
    model_->SetEditable(true);
    DBGrid = new QTableView(this);
    DBGrid->setObjectName(QStringLiteral("DBGrid"));
    DBGrid->setModel(model_);
    DBGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed);
    DBGrid->horizontalHeader()->setStretchLastSection(true);
    DBGrid->verticalHeader()->setDefaultSectionSize(DBGrid->fontMetrics().height() + 6);
    DBGrid->setColumnWidth(0, 80);
    DBGrid->viewport()->installEventFilter(this);
    TGridSorter::AddGrid(DBGrid);
    new TGridLink(DBGrid, model_);
    layout->addWidget(DBGrid, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    OKButton = new QPushButton(QStringLiteral("&U redu"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setVisible(false);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    buttons->addWidget(OKButton);
    CloseButton = new QPushButton(QStringLiteral("&Zatvori"), this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    CloseButton->setAutoDefault(false);
    connect(CloseButton, &QPushButton::clicked, this, &TPreceptTypeForm::reject);
    buttons->addWidget(CloseButton);
    layout->addLayout(buttons);

    setFixedSize(420, 380);
}

bool TPreceptTypeForm::eventFilter(QObject* watched, QEvent* event) {
    // The wheel steps through the rows like the arrow keys, never just scrolling the view.
    if (watched == DBGrid->viewport() && event->type() == QEvent::Wheel) {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        const int delta = wheel->angleDelta().y();
        if (delta == 0)
            return true;
        QKeyEvent key(QEvent::KeyPress, delta > 0 ? Qt::Key_Up : Qt::Key_Down, Qt::NoModifier);
        QApplication::sendEvent(DBGrid, &key);
        return true;
    }
    return TCustomDetailForm::eventFilter(watched, event);
}

void TPreceptTypeForm::showEvent(QShowEvent* event) {
    TCustomDetailForm::showEvent(event);
    if (const QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void TPreceptTypeForm::reject() {
    TQuery& types = dm_.PrecepttypeZQ();
    if (types.Active() && types.Editing()) {
        try {
            types.Post();
        } catch (const TAbort&) {
            return;
        } catch (const TError& e) {
            Ui().ShowMessage(TMessageType::Error, e.Message());
            return;
        }
    }
    TCustomDetailForm::reject();
}

}  // namespace fin
