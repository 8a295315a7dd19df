#pragma once

#include <QString>
#include <exception>
#include <string>

namespace fin {

// Every refusal and failure travels as one of these; the message is what the user reads.
class TError : public std::exception {
public:
    explicit TError(QString message)
        : message_(std::move(message)), utf8_(message_.toStdString()) {}
    const QString& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return utf8_.c_str(); }

private:
    QString message_;
    std::string utf8_;
};

// A silent cancel: the operation stops and nothing is shown (the user already said no).
class TAbort : public TError {
public:
    TAbort() : TError(QStringLiteral("Operacija je prekinuta.")) {}
};

}  // namespace fin
