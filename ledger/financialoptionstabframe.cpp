#include "ledger/financialoptionstabframe.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>

#include "host/ui/uiservice.h"
#include "ledger/financialdm.h"

namespace fin {

namespace {

// The control of each check box key, named as the options table names it.
QString CheckBoxName(const QString& key) {
    return key == QLatin1String("UseDocumentDate") ? QStringLiteral("UseRelatedEntityDateCB")
                                                   : key + QStringLiteral("CB");
}

}  // namespace

TFinancialOptionsTabFrame::TFinancialOptionsTabFrame(TFinancialDM& dm, QWidget* parent)
    : QWidget(parent), dm_(dm) {
    auto* tabs = new QTabWidget(this);
    tabs->setTabPosition(QTabWidget::South);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);

    auto* page1 = new QWidget(tabs);
    auto* p1 = new QVBoxLayout(page1);
    ResetAutoConterButton = new QPushButton(QStringLiteral("Resetuj auto kontiranje"), page1);
    ResetAutoConterButton->setObjectName(QStringLiteral("ResetAutoConterButton"));
    p1->addWidget(ResetAutoConterButton, 0, Qt::AlignLeft);

    auto* year = new QGroupBox(QStringLiteral("Finansijska godina"), page1);
    auto* yearForm = new QFormLayout(year);
    FinYearSE = new QSpinBox(year);
    FinYearSE->setObjectName(QStringLiteral("FinYearSE"));
    FinYearSE->setRange(1990, 2100);
    yearForm->addRow(QStringLiteral("Fin. godina:"), FinYearSE);
    auto* toDate = new QHBoxLayout;
    AutoToDateE = new QLineEdit(year);
    AutoToDateE->setObjectName(QStringLiteral("AutoToDateE"));
    AutoToDateE->setReadOnly(true);
    AutoToDateButton = new QPushButton(QStringLiteral("..."), year);
    AutoToDateButton->setObjectName(QStringLiteral("AutoToDateButton"));
    toDate->addWidget(AutoToDateE);
    toDate->addWidget(AutoToDateButton);
    yearForm->addRow(QStringLiteral("Kontiraj do datuma:"), toDate);
    p1->addWidget(year);

    auto* format = new QGroupBox(QStringLiteral("Format broja finansijskog naloga"), page1);
    auto* formatForm = new QFormLayout(format);
    PreceptNumFmtE = new QLineEdit(format);
    PreceptNumFmtE->setObjectName(QStringLiteral("PreceptNumFmtE"));
    formatForm->addRow(QStringLiteral("Format broja finansijskog naloga:"), PreceptNumFmtE);
    p1->addWidget(format);

    auto* methods = new QGroupBox(QStringLiteral("Metod obračuna cena"), page1);
    auto* methodsLayout = new QVBoxLayout(methods);
    MethodVLE = new QTableWidget(0, 2, methods);
    MethodVLE->setObjectName(QStringLiteral("MethodVLE"));
    MethodVLE->setHorizontalHeaderLabels(
        {QStringLiteral("Tip proizvoda"), QStringLiteral("Metod obračuna cena")});
    MethodVLE->horizontalHeader()->setStretchLastSection(true);
    MethodVLE->verticalHeader()->hide();
    methodsLayout->addWidget(MethodVLE);
    p1->addWidget(methods, 1);
    tabs->addTab(page1, QStringLiteral("Opcije finansijskog 1"));

    auto* page2 = new QWidget(tabs);
    auto* p2 = new QVBoxLayout(page2);
    for (const QString& key : OptionCheckKeys()) {
        auto* box = new QCheckBox(FindOptionKey(kFinancialSection, key)->caption, page2);
        box->setObjectName(CheckBoxName(key));
        CheckBoxes.insert(key, box);
        p2->addWidget(box);
    }
    auto* closed = new QHBoxLayout;
    UnregisterClosedPeriodCB =
        new QCheckBox(QStringLiteral("Ne dozvoli proknjiženje/otknjiženje naloga pre"), page2);
    UnregisterClosedPeriodCB->setObjectName(QStringLiteral("UnregisterClosedPeriodCB"));
    UnregisterClosedPeriodDTP = new QDateEdit(page2);
    UnregisterClosedPeriodDTP->setObjectName(QStringLiteral("UnregisterClosedPeriodDTP"));
    UnregisterClosedPeriodDTP->setCalendarPopup(true);
    UnregisterClosedPeriodDTP->setDisplayFormat(QStringLiteral("dd.MM.yyyy."));
    closed->addWidget(UnregisterClosedPeriodCB);
    closed->addWidget(UnregisterClosedPeriodDTP);
    closed->addStretch(1);
    p2->addLayout(closed);
    p2->addStretch(1);
    tabs->addTab(page2, QStringLiteral("Opcije finansijskog 2"));

    connect(ResetAutoConterButton, &QPushButton::clicked, this,
            &TFinancialOptionsTabFrame::ResetAutoConterButtonClick);
    connect(AutoToDateButton, &QPushButton::clicked, this,
            &TFinancialOptionsTabFrame::AutoToDateButtonClick);
    connect(UnregisterClosedPeriodCB, &QCheckBox::toggled, this,
            &TFinancialOptionsTabFrame::UnregisterClosedPeriodCBClick);
    FillMethods();
}

void TFinancialOptionsTabFrame::FillMethods() {
    const QVector<TMethodRow>& rows = MethodRows();
    MethodVLE->setRowCount(static_cast<int>(rows.size()));
    for (int i = 0; i < rows.size(); ++i) {
        auto* caption = new QTableWidgetItem(rows[i].caption);
        caption->setFlags(Qt::ItemIsEnabled);
        MethodVLE->setItem(i, 0, caption);
        auto* pick = new QComboBox(MethodVLE);
        pick->addItems(rows[i].methods);
        MethodVLE->setCellWidget(i, 1, pick);
    }
}

void TFinancialOptionsTabFrame::OptionsToControls() {
    const TOptionsPageValues v = dm_.OptionsToControls();
    FinYearSE->setValue(v.financialYear);
    AutoToDateE->setText(v.autoToDate.toString(Qt::ISODate));
    FillMethods();
    PreceptNumFmtE->setText(v.preceptNumFmt);
    for (auto it = CheckBoxes.begin(); it != CheckBoxes.end(); ++it)
        it.value()->setChecked(v.checks.value(it.key()));
    UnregisterClosedPeriodCB->setChecked(v.closedPeriodOn);
    UnregisterClosedPeriodDTP->setDate(v.closedPeriod);
    UnregisterClosedPeriodCBClick();
    const QVector<TMethodRow>& rows = MethodRows();
    for (int i = 0; i < rows.size(); ++i)
        static_cast<QComboBox*>(MethodVLE->cellWidget(i, 1))
            ->setCurrentText(v.methodCaptions.value(rows[i].key));
}

TOptionsPageValues TFinancialOptionsTabFrame::Values() const {
    TOptionsPageValues v;
    v.financialYear = FinYearSE->value();
    v.autoToDate = QDate::fromString(AutoToDateE->text(), Qt::ISODate);
    v.preceptNumFmt = PreceptNumFmtE->text();
    for (auto it = CheckBoxes.begin(); it != CheckBoxes.end(); ++it)
        v.checks[it.key()] = it.value()->isChecked();
    v.closedPeriodOn = UnregisterClosedPeriodCB->isChecked();
    v.closedPeriod = UnregisterClosedPeriodDTP->date();
    const QVector<TMethodRow>& rows = MethodRows();
    for (int i = 0; i < rows.size(); ++i)
        v.methodCaptions[rows[i].key] =
            static_cast<QComboBox*>(MethodVLE->cellWidget(i, 1))->currentText();
    return v;
}

bool TFinancialOptionsTabFrame::CheckValues() {
    return TFinancialDM::CheckValues(Values());
}

void TFinancialOptionsTabFrame::ControlsToOptions() {
    try {
        dm_.ControlsToOptions(Values());
    } catch (const TError& e) {
        Ui().ShowMessage(TMessageType::Error, e.Message());
    }
}

void TFinancialOptionsTabFrame::ResetAutoConterButtonClick() {
    try {
        dm_.ResetAutoConter();
        Ui().ShowMessage(TMessageType::Information,
                         QStringLiteral("Oznaka automatskog kontiranja je obrisana."));
    } catch (const TError& e) {
        Ui().ShowMessage(TMessageType::Error, e.Message());
    }
}

void TFinancialOptionsTabFrame::UnregisterClosedPeriodCBClick() {
    UnregisterClosedPeriodDTP->setEnabled(UnregisterClosedPeriodCB->isChecked());
}

void TFinancialOptionsTabFrame::AutoToDateButtonClick() {
    QDate date = QDate::fromString(AutoToDateE->text(), Qt::ISODate);
    if (!Ui().GetDate(date))
        return;
    AutoToDateE->setText(ClampToYear(date, FinYearSE->value()).toString(Qt::ISODate));
}

}  // namespace fin
