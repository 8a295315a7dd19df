#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <deque>
#include <memory>
#include <variant>
#include <vector>

#include "host/ui/progressline.h"

namespace fin {

enum class TMessageType { Error, Warning, Information, Confirmation };
enum class TButtons { Ok, YesNo, YesNoCancel, OkCancel };
enum class TAnswer { Ok, Cancel, Yes, No };

// Every message box, question, date dialog, input box, pick list and progress display of
// the module goes through this one service: the console shows windows, the command line
// writes to the terminal, tests answer from a script.
class IUiService {
public:
    virtual ~IUiService() = default;

    virtual void ShowMessage(TMessageType type, const QString& text) = 0;
    virtual TAnswer Ask(const QString& text, TButtons buttons = TButtons::YesNo,
                        TMessageType type = TMessageType::Confirmation) = 0;
    // False when the user cancels; date holds the proposal and receives the choice.
    virtual bool GetDate(QDate& date, const QString& caption = {}) = 0;
    virtual bool InputText(const QString& caption, const QString& prompt, QString& value) = 0;
    // A file to write: path holds the proposed name and receives the choice; the filter is
    // "XML (*.xml)" and the like, its first pattern's extension added when none is typed.
    virtual bool SaveFileName(const QString& caption, const QString& filter, QString& path) = 0;
    // index holds the proposal and receives the chosen row; the prompt is the line above
    // the list.
    virtual bool PickFromList(const QString& caption, const QStringList& items, int& index,
                              const QString& prompt = {}) = 0;

    virtual void SetBusy(bool busy) = 0;
    // A long job: start, then steps (false when the user asked to stop), then finish.
    virtual void ProgressStart(const QString& caption, int total) = 0;
    virtual bool ProgressStep(int position, const QString& text = {}) = 0;
    virtual void ProgressFinish() = 0;
};

// The service in force; a console-less default answers "no" and writes to stderr.
IUiService& Ui();
void SetUi(IUiService* service);  // null restores the default

// Busy cursor for the length of a scope.
class TBusyCursor {
public:
    TBusyCursor() { Ui().SetBusy(true); }
    ~TBusyCursor() { Ui().SetBusy(false); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};

// Progress of a long job for the length of a scope.
class TProgress {
public:
    TProgress(const QString& caption, int total) { Ui().ProgressStart(caption, total); }
    ~TProgress() { Ui().ProgressFinish(); }
    TProgress(const TProgress&) = delete;
    TProgress& operator=(const TProgress&) = delete;
    bool Step(int position, const QString& text = {}) { return Ui().ProgressStep(position, text); }
};

// Writes messages to standard error and declines every question: for jobs without a user.
class TStdErrUiService : public IUiService {
public:
    void ShowMessage(TMessageType type, const QString& text) override;
    TAnswer Ask(const QString& text, TButtons buttons, TMessageType type) override;
    bool GetDate(QDate&, const QString&) override { return false; }
    bool InputText(const QString&, const QString&, QString&) override { return false; }
    bool SaveFileName(const QString&, const QString&, QString&) override { return false; }
    bool PickFromList(const QString&, const QStringList&, int&, const QString& = {}) override {
        return false;
    }
    void SetBusy(bool) override {}
    void ProgressStart(const QString& caption, int total) override;
    bool ProgressStep(int position, const QString& text) override;
    void ProgressFinish() override;

private:
    std::unique_ptr<TProgressLine> progress_;
    int total_ = 0;
};

// Answers from a prepared script, in order, and records everything shown; a question the
// script did not expect is recorded and declined, so a test sees it in Unexpected().
class TScriptedUiService : public IUiService {
public:
    struct TShown {
        TMessageType type;
        QString text;
    };
    struct TPick {
        QString caption, prompt;
        QStringList items;
    };

    TScriptedUiService& Answer(TAnswer answer);
    TScriptedUiService& AnswerDate(const QDate& date);  // an invalid date cancels
    TScriptedUiService& AnswerText(const QString& text);
    TScriptedUiService& AnswerPick(int index);  // -1 cancels
    TScriptedUiService& CancelNext();           // the next dialog of any kind is cancelled

    void ShowMessage(TMessageType type, const QString& text) override;
    TAnswer Ask(const QString& text, TButtons buttons, TMessageType type) override;
    bool GetDate(QDate& date, const QString& caption) override;
    bool InputText(const QString& caption, const QString& prompt, QString& value) override;
    // Answered by AnswerText.
    bool SaveFileName(const QString& caption, const QString& filter, QString& path) override;
    bool PickFromList(const QString& caption, const QStringList& items, int& index,
                      const QString& prompt = {}) override;
    void SetBusy(bool busy) override { busyDepth_ += busy ? 1 : -1; }
    void ProgressStart(const QString& caption, int total) override;
    bool ProgressStep(int position, const QString& text) override;
    void ProgressFinish() override {}

    const std::vector<TShown>& Shown() const { return shown_; }  // messages and questions
    QString LastText() const { return shown_.empty() ? QString() : shown_.back().text; }
    const std::vector<TPick>& Picks() const { return picks_; }  // every pick list offered
    const QStringList& Unexpected() const { return unexpected_; }
    bool AllAnswered() const { return script_.empty(); }
    int BusyDepth() const { return busyDepth_; }
    int ProgressSteps() const { return progressSteps_; }
    void StopProgressAt(int step) { stopAt_ = step; }

private:
    struct TCancel {};
    using TStep = std::variant<TAnswer, QDate, QString, int, TCancel>;
    template <typename T>
    bool Take(T& out, const QString& what);

    std::deque<TStep> script_;
    std::vector<TShown> shown_;
    std::vector<TPick> picks_;
    QStringList unexpected_;
    int busyDepth_ = 0;
    int progressSteps_ = 0;
    int stopAt_ = -1;
};

}  // namespace fin
