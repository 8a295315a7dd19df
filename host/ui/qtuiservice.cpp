#include "host/ui/qtuiservice.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

#include "host/forms/getitemform.h"

namespace fin {

namespace {

const QString kOk = QStringLiteral("U redu");
const QString kCancel = QStringLiteral("Otkaži");

QMessageBox::Icon IconOf(TMessageType type) {
    switch (type) {
        case TMessageType::Error:
            return QMessageBox::Critical;
        case TMessageType::Warning:
            return QMessageBox::Warning;
        case TMessageType::Information:
            return QMessageBox::Information;
        case TMessageType::Confirmation:
            return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QString TitleOf(TMessageType type) {
    switch (type) {
        case TMessageType::Error:
            return QStringLiteral("Greška");
        case TMessageType::Warning:
            return QStringLiteral("Upozorenje");
        case TMessageType::Information:
            return QStringLiteral("Obaveštenje");
        case TMessageType::Confirmation:
            return QStringLiteral("Pitanje");
    }
    return {};
}

void Prepare(QInputDialog& dialog, const QString& caption, const QString& prompt) {
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    dialog.setOkButtonText(kOk);
    dialog.setCancelButtonText(kCancel);
}

}  // namespace

TQtUiService::~TQtUiService() {
    if (busyDepth_ > 0)
        QApplication::restoreOverrideCursor();
    delete progress_.data();
}

void TQtUiService::ShowMessage(TMessageType type, const QString& text) {
    Ask(text, TButtons::Ok, type);
}

TAnswer TQtUiService::Ask(const QString& text, TButtons buttons, TMessageType type) {
    QMessageBox box(IconOf(type), TitleOf(type), text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    auto add = [&box](QMessageBox::StandardButton button, const QString& caption) {
        box.addButton(button)->setText(caption);
    };
    switch (buttons) {
        case TButtons::Ok:
            add(QMessageBox::Ok, kOk);
            break;
        case TButtons::YesNo:
            add(QMessageBox::Yes, QStringLiteral("Da"));
            add(QMessageBox::No, QStringLiteral("Ne"));
            break;
        case TButtons::YesNoCancel:
            add(QMessageBox::Yes, QStringLiteral("Da"));
            add(QMessageBox::No, QStringLiteral("Ne"));
            add(QMessageBox::Cancel, kCancel);
            break;
        case TButtons::OkCancel:
            add(QMessageBox::Ok, kOk);
            add(QMessageBox::Cancel, kCancel);
            break;
    }
    box.exec();
    switch (box.standardButton(box.clickedButton())) {
        case QMessageBox::Yes:
            return TAnswer::Yes;
        case QMessageBox::No:
            return TAnswer::No;
        case QMessageBox::Ok:
            return TAnswer::Ok;
        default:
            // Closed without a button: the answer that changes nothing.
            return buttons == TButtons::YesNo ? TAnswer::No : TAnswer::Cancel;
    }
}

bool TQtUiService::GetDate(QDate& date, const QString& caption) {
    QDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(caption.isEmpty() ? QStringLiteral("Izaberite datum") : caption);
    auto* calendar = new QCalendarWidget(&dialog);
    calendar->setLocale(QLocale(QLocale::Serbian, QLocale::LatinScript, QLocale::Serbia));
    calendar->setFirstDayOfWeek(Qt::Monday);
    calendar->setSelectedDate(date.isValid() ? date : QDate::currentDate());
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    box->button(QDialogButtonBox::Ok)->setText(kOk);
    box->button(QDialogButtonBox::Cancel)->setText(kCancel);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(calendar);
    layout->addWidget(box);
    QObject::connect(calendar, &QCalendarWidget::activated, &dialog, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    date = calendar->selectedDate();
    return true;
}

bool TQtUiService::InputText(const QString& caption, const QString& prompt, QString& value) {
    QInputDialog dialog(QApplication::activeWindow());
    Prepare(dialog, caption, prompt);
    dialog.setTextValue(value);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    value = dialog.textValue();
    return true;
}

bool TQtUiService::SaveFileName(const QString& caption, const QString& filter, QString& path) {
    QFileDialog dialog(QApplication::activeWindow(), caption, QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.selectFile(path);
    // "XML (*.xml)": a name typed without extension gets ".xml".
    static const QRegularExpression firstPattern(QStringLiteral("\\*\\.(\\w+)"));
    if (const auto m = firstPattern.match(filter); m.hasMatch())
        dialog.setDefaultSuffix(m.captured(1));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    path = dialog.selectedFiles().first();
    return true;
}

bool TQtUiService::PickFromList(const QString& caption, const QStringList& items, int& index,
                                const QString& prompt) {
    // The module's own pick dialog, so every list looks and answers the same.
    return GetItemIndex(items, caption, prompt, index);
}

void TQtUiService::SetBusy(bool busy) {
    // One override for the outermost scope, so an unbalanced inner call cannot pop a
    // cursor somebody else set.
    if (busy) {
        if (busyDepth_++ == 0)
            QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (busyDepth_ > 0 && --busyDepth_ == 0) {
        QApplication::restoreOverrideCursor();
    }
}

void TQtUiService::ProgressStart(const QString& caption, int total) {
    delete progress_.data();
    progress_ = new QProgressDialog(caption, QStringLiteral("Prekini"), 0, std::max(total, 0),
                                    QApplication::activeWindow());
    progress_->setWindowTitle(caption);
    // While it shows, no other command can start inside the job.
    progress_->setWindowModality(Qt::ApplicationModal);
    progress_->setAutoClose(false);
    progress_->setAutoReset(false);
    progress_->setMinimumDuration(500);
    // Starts the clock: a job that outlasts it gets the window (without a total, a busy
    // bar); a short one, a single document say, never flashes one.
    progress_->setValue(0);
}

bool TQtUiService::ProgressStep(int position, const QString& text) {
    if (!progress_)
        return true;
    // "3 od 12: R 7": how far the job is, and what it works on.
    QString label = progress_->maximum() > 0
                        ? QStringLiteral("%1 od %2").arg(position).arg(progress_->maximum())
                        : QString();
    if (!text.isEmpty())
        label += (label.isEmpty() ? QString() : QStringLiteral(": ")) + text;
    progress_->setLabelText(progress_->windowTitle() + QLatin1Char('\n') + label);
    if (progress_->maximum() > 0)
        progress_->setValue(std::min(position, progress_->maximum()));
    // Keeps the window painted, the clock running and the stop button working. Until the
    // window is up to block them, clicks and keys wait for the end of the job, so none
    // of them starts a second command inside this one.
    QCoreApplication::processEvents(progress_->isVisible() ? QEventLoop::AllEvents
                                                           : QEventLoop::ExcludeUserInputEvents);
    return progress_ && !progress_->wasCanceled();
}

void TQtUiService::ProgressFinish() {
    delete progress_.data();
}

}  // namespace fin
