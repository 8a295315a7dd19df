#include "host/ui/uiservice.h"

#include <unistd.h>

#include <cstdio>

namespace fin {

namespace {

TStdErrUiService& DefaultUi() {
    static TStdErrUiService service;
    return service;
}

IUiService* g_ui = nullptr;

const char* Prefix(TMessageType type) {
    switch (type) {
        case TMessageType::Error:
            return "Greška";
        case TMessageType::Warning:
            return "Upozorenje";
        case TMessageType::Information:
            return "Obaveštenje";
        case TMessageType::Confirmation:
            return "Pitanje";
    }
    return "";
}

}  // namespace

IUiService& Ui() {
    return g_ui ? *g_ui : DefaultUi();
}
void SetUi(IUiService* service) {
    g_ui = service;
}

void TStdErrUiService::ShowMessage(TMessageType type, const QString& text) {
    std::fprintf(stderr, "%s: %s\n", Prefix(type), text.toUtf8().constData());
}

TAnswer TStdErrUiService::Ask(const QString& text, TButtons buttons, TMessageType type) {
    ShowMessage(type, text);
    return buttons == TButtons::Ok || buttons == TButtons::OkCancel ? TAnswer::Cancel : TAnswer::No;
}

void TStdErrUiService::ProgressStart(const QString& caption, int total) {
    total_ = total;
    progress_ = std::make_unique<TProgressLine>(
        [](const QString& text) {
            std::fputs(text.toUtf8().constData(), stderr);
            std::fflush(stderr);
        },
        isatty(fileno(stderr)) == 1, caption);
}

bool TStdErrUiService::ProgressStep(int position, const QString& text) {
    if (progress_)
        progress_->Step(position, total_, text);
    return true;
}

void TStdErrUiService::ProgressFinish() {
    progress_.reset();
}

TScriptedUiService& TScriptedUiService::Answer(TAnswer answer) {
    script_.emplace_back(answer);
    return *this;
}
TScriptedUiService& TScriptedUiService::AnswerDate(const QDate& date) {
    script_.emplace_back(date);
    return *this;
}
TScriptedUiService& TScriptedUiService::AnswerText(const QString& text) {
    script_.emplace_back(text);
    return *this;
}
TScriptedUiService& TScriptedUiService::AnswerPick(int index) {
    script_.emplace_back(index);
    return *this;
}
TScriptedUiService& TScriptedUiService::CancelNext() {
    script_.emplace_back(TCancel{});
    return *this;
}

template <typename T>
bool TScriptedUiService::Take(T& out, const QString& what) {
    if (script_.empty()) {
        unexpected_ << what;
        return false;
    }
    TStep step = script_.front();
    if (std::holds_alternative<TCancel>(step)) {
        script_.pop_front();
        return false;
    }
    if (!std::holds_alternative<T>(step)) {
        unexpected_ << what;
        return false;
    }
    script_.pop_front();
    out = std::get<T>(step);
    return true;
}

void TScriptedUiService::ShowMessage(TMessageType type, const QString& text) {
    shown_.push_back({type, text});
}

TAnswer TScriptedUiService::Ask(const QString& text, TButtons buttons, TMessageType type) {
    shown_.push_back({type, text});
    TAnswer answer{};
    if (Take(answer, text))
        return answer;
    return buttons == TButtons::OkCancel || buttons == TButtons::Ok ? TAnswer::Cancel : TAnswer::No;
}

bool TScriptedUiService::GetDate(QDate& date, const QString& caption) {
    QDate answer;
    if (!Take(answer, caption.isEmpty() ? QStringLiteral("datum") : caption) || !answer.isValid())
        return false;
    date = answer;
    return true;
}

bool TScriptedUiService::InputText(const QString& caption, const QString& prompt, QString& value) {
    QString answer;
    if (!Take(answer, caption + QStringLiteral(": ") + prompt))
        return false;
    value = answer;
    return true;
}

bool TScriptedUiService::SaveFileName(const QString& caption, const QString&, QString& path) {
    QString answer;
    if (!Take(answer, caption + QStringLiteral(": ") + path))
        return false;
    path = answer;
    return true;
}

bool TScriptedUiService::PickFromList(const QString& caption, const QStringList& items, int& index,
                                      const QString& prompt) {
    picks_.push_back({caption, prompt, items});
    int answer = -1;
    if (!Take(answer, caption) || answer < 0 || answer >= items.size())
        return false;
    index = answer;
    return true;
}

void TScriptedUiService::ProgressStart(const QString&, int) {
    progressSteps_ = 0;
}

bool TScriptedUiService::ProgressStep(int, const QString&) {
    ++progressSteps_;
    return stopAt_ < 0 || progressSteps_ < stopAt_;
}

}  // namespace fin
