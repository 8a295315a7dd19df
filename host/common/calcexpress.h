#pragma once

#include <QString>
#include <QVector>
#include <memory>

#include "host/common/error.h"

namespace fin {

class TCalcError : public TError {
public:
    enum class Kind {
        Syntax,            // the text is not an expression
        InvalidOperation,  // no number comes out, e.g. 0/0
        ZeroDivide,        // an infinite result, e.g. 1/0
    };
    TCalcError(Kind kind, QString message) : TError(std::move(message)), kind_(kind) {}
    Kind GetKind() const { return kind_; }

private:
    Kind kind_;
};

// Arithmetic expressions of the posting rules: numbers with a decimal point, + - * /,
// parentheses ("5*(-2)"). init parses; calc computes. Both report trouble as TCalcError.
class TCalcExpress {
public:
    TCalcExpress();
    ~TCalcExpress();
    TCalcExpress(const TCalcExpress&) = delete;
    TCalcExpress& operator=(const TCalcExpress&) = delete;

    void init(const QString& expression);
    // The arguments are the values of x1, x2, ... in the expression.
    double calc(const QVector<double>& arguments = {});

private:
    struct TImpl;
    std::unique_ptr<TImpl> impl_;
};

}  // namespace fin
