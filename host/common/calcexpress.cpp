#include "host/common/calcexpress.h"

#include <muParser.h>

#include <cmath>
#include <deque>

namespace fin {

struct TCalcExpress::TImpl {
    mu::Parser parser;
    std::deque<double> variables;  // stable addresses for the parser
    mu::varmap_type used;          // the expression's x1, x2, ... (asking again re-parses)
    QString expression;
};

namespace {

TCalcError SyntaxError(const QString& expression, const mu::Parser::exception_type& e) {
    return TCalcError(TCalcError::Kind::Syntax,
                      QStringLiteral("Neispravan izraz \"%1\": %2")
                          .arg(expression, QString::fromStdString(e.GetMsg())));
}

}  // namespace

TCalcExpress::TCalcExpress() : impl_(std::make_unique<TImpl>()) {
    // Built once: a parser's operators and functions cost more to set up than most rules
    // cost to compute, and one calculator serves every expression of a voucher.
    impl_->parser.SetVarFactory(
        [](const mu::char_type* name, void* data) -> double* {
            // Only x1, x2, ... exist; any other name is a mistake in the rule.
            const std::string n(name);
            if (n.size() < 2 || n[0] != 'x' ||
                n.find_first_not_of("0123456789", 1) != std::string::npos)
                throw mu::ParserError("nepoznata promenljiva " + n);
            auto* vars = static_cast<std::deque<double>*>(data);
            vars->push_back(0.0);
            return &vars->back();
        },
        &impl_->variables);
}

TCalcExpress::~TCalcExpress() = default;

void TCalcExpress::init(const QString& expression) {
    impl_->expression = expression;
    try {
        // The last expression's variables go; the parser and its functions stay.
        impl_->parser.ClearVar();
        impl_->variables.clear();
        impl_->used.clear();
        impl_->parser.SetExpr(expression.trimmed().isEmpty() ? std::string("0")
                                                             : expression.toStdString());
        impl_->used = impl_->parser.GetUsedVar();  // parses now: syntax errors surface here
    } catch (const mu::Parser::exception_type& e) {
        throw SyntaxError(expression, e);
    }
}

double TCalcExpress::calc(const QVector<double>& arguments) {
    double value = 0;
    try {
        for (const auto& [name, address] : impl_->used) {
            const int k = std::stoi(name.substr(1));
            *address = k >= 1 && k <= arguments.size() ? arguments[k - 1] : 0.0;
        }
        int count = 0;
        const double* results = impl_->parser.Eval(count);
        // "1,5" is a decimal comma typed by mistake, not a list of values.
        if (count != 1)
            throw mu::ParserError("zarez nije dozvoljen; decimalni znak je tačka");
        value = results[0];
    } catch (const mu::Parser::exception_type& e) {
        throw SyntaxError(impl_->expression, e);
    }
    if (std::isnan(value))
        throw TCalcError(TCalcError::Kind::InvalidOperation,
                         QStringLiteral("Neispravna računska operacija u izrazu \"%1\".")
                             .arg(impl_->expression));
    if (std::isinf(value))
        throw TCalcError(TCalcError::Kind::ZeroDivide,
                         QStringLiteral("Deljenje nulom u izrazu \"%1\".").arg(impl_->expression));
    return value;
}

}  // namespace fin
