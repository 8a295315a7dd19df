#include "posting/preceptprocessor.h"

#include <cmath>

#include "host/common/rounding.h"
#include "host/common/textformat.h"
#include "host/data/query.h"
#include "ledger/financialdm.h"
#include "ledger/ledgercaptions.h"
#include "posting/customconter.h"
#include "posting/postingcaptions.h"
#include "posting/postingrun.h"

namespace fin {

namespace {

const char* const kFunctions[] = {"SALDO", "SALDOD", "SALDOP"};

// A variable's value read as a number; text that is not one counts as 0.
double NumberOf(const QString& text) {
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    return ok ? v : 0.0;
}

// Sub-account ids are whole numbers; anything else is no sub-account.
qint64 IdOf(const QString& text) {
    bool ok = false;
    const qint64 id = text.trimmed().toLongLong(&ok);
    return ok ? id : 0;
}

// Walks the bracketed names of a text and puts what render gives for each found one in
// its place: one pass and one look-up per name, however many variables the list holds.
QString ExpandNames(const QString& text, const TVariableList& variables,
                    const std::function<QString(const QString&)>& render) {
    QString out;
    out.reserve(text.size() + 16);
    int i = 0;
    while (i < text.size()) {
        const int open = text.indexOf(QLatin1Char('['), i);
        if (open < 0) {
            out += QStringView(text).mid(i);
            break;
        }
        out += QStringView(text).mid(i, open - i);
        const int close = text.indexOf(QLatin1Char(']'), open + 1);
        if (close < 0) {
            out += QStringView(text).mid(open);
            break;
        }
        if (const QString* value = variables.Find(text.mid(open, close - open + 1))) {
            out += render(*value);
            i = close + 1;
        } else {
            // Not a name of the list: the bracket stays, and what follows is looked at anew.
            out += QLatin1Char('[');
            i = open + 1;
        }
    }
    return out;
}

// Removes leading blanks; true when an "!" followed, which is removed as well.
bool TakeSignSwitch(QString& text) {
    int start = 0;
    while (start < text.size() && text[start].isSpace())
        ++start;
    text.remove(0, start);
    if (text.startsWith(QLatin1Char('!'))) {
        text.remove(0, 1);
        return true;
    }
    return false;
}

}  // namespace

TPreceptProcessor::TPreceptProcessor(TFinancialDM& dm, TPostingRun* run) : dm_(dm), run_(run) {}

QString TPreceptProcessor::ParseIndex(const QString& text, int index) {
    QString out = text;
    return out.replace(QLatin1String("{X}"), QString::number(index), Qt::CaseInsensitive);
}

QString TPreceptProcessor::NumberText(double value) {
    const QString text = QString::number(value, 'g', 15);
    return value < 0 ? QLatin1Char('(') + text + QLatin1Char(')') : text;
}

QString TPreceptProcessor::ParseAll(const QString& text, const TVariableList& variables) {
    const QString numbers = ExpandNames(
        text, variables, [](const QString& value) { return NumberText(NumberOf(value)); });
    return ParseLogicVariables(ParseFunctions(numbers));
}

QString TPreceptProcessor::ParseAllText(const QString& text, const TVariableList& variables) {
    return ExpandNames(text, variables, [](const QString& value) { return value; });
}

QString TPreceptProcessor::ReplaceFunctions(
    QString text,
    const std::function<QString(const QString& keyword, const QString& code)>& value) {
    for (const char* k : kFunctions) {
        const QString call = QString::fromLatin1(k) + QLatin1Char('(');
        for (int at = text.indexOf(call); at >= 0; at = text.indexOf(call)) {
            const int argument = at + static_cast<int>(call.size());
            const int close = text.indexOf(QLatin1Char(')'), argument);
            if (close < 0)
                break;  // an unfinished call is left for the calculator to refuse
            text.replace(at, close - at + 1,
                         value(QString::fromLatin1(k), text.mid(argument, close - argument)));
        }
    }
    return text;
}

QString TPreceptProcessor::ParseFunctions(const QString& text) {
    if (!text.contains(QLatin1String("SALDO")))
        return text;
    return ReplaceFunctions(text, [this](const QString& keyword, const QString& code) {
        const double v = run_ ? run_->Balance(keyword, code.trimmed(), preceptDate_) : 0.0;
        const QString t = FormatFloat(QStringLiteral("0.00"), v, TNumberStyle::System);
        return v < 0 ? QLatin1Char('(') + t + QLatin1Char(')') : t;
    });
}

QString TPreceptProcessor::ParseLogicVariables(QString text) {
    for (;;) {
        const int open = text.indexOf(QLatin1Char('['));
        if (open < 0 || open + 2 >= text.size())
            return text;
        const QChar third = text[open + 2];
        if (third < QLatin1Char('1') || third > QLatin1Char('9'))
            return text;
        const int close = text.indexOf(QLatin1Char(']'), open);
        if (close < 0)
            return text;
        text.replace(open, close - open + 1, QStringLiteral("0"));
    }
}

double TPreceptProcessor::Evaluate(const QString& expression) {
    // Most amounts come out as a bare number ("0", "1234.5"): no calculator needed.
    bool plain = false;
    const double number = expression.trimmed().toDouble(&plain);
    if (plain && std::isfinite(number))
        return number;
    calc_.init(expression);
    try {
        return calc_.calc({});
    } catch (const TCalcError&) {
        return 0;
    }
}

void TPreceptProcessor::Note(const QString& text) {
    if (run_ && run_->PreviewOnly)
        run_->Preview.notes << text;
}

void TPreceptProcessor::Process(const IModuleConter& conter) {
    QVector<TPostingRule> queried;
    const QVector<TPostingRule>* rules = nullptr;
    if (run_) {
        rules = &run_->Rules(conter.GetModuleName(), conter.GetEntityType());
    } else {
        const TResultSet r = dm_.Require().Select(
            QStringLiteral("SELECT financialini, conto, contonew, subaccount, debitexp, "
                           "creditexp, descriptionfmt FROM financialini WHERE module = ? AND "
                           "entitytype = ? ORDER BY financialini"),
            {conter.GetModuleName(), conter.GetEntityType()});
        for (const auto& row : r.rows)
            queried.push_back({row[0].toLongLong(), row[1].toString(), row[2].toString(),
                               row[3].toString(), row[4].toString(), row[5].toString(),
                               row[6].toString()});
        rules = &queried;
    }
    preceptDate_ = dm_.PreceptZQ().FieldByName(QStringLiteral("preceptdate")).AsDate();
    const TVariableList& variables = conter.GetVariables();
    const bool newChartOnly = dm_.Options().FinancialYear > kFirstNewChartYear;
    TQuery& items = dm_.PreceptItemZQ();
    items.DisableControls();
    struct TEnable {
        TQuery& items;
        ~TEnable() { items.EnableControls(); }
    } enable{items};

    for (const TPostingRule& rule : *rules) {
        // Chart mode: after 2014 the new chart alone; until then the old one, with the new
        // account beside it where the rule names one that exists.
        TAccountDesc oldAccount, newAccount;
        bool withOld = false, withNew = false;
        QString type;
        if (newChartOnly) {
            newAccount.CodeNew = rule.contonew.trimmed();
            withNew = !newAccount.CodeNew.isEmpty() && dm_.FindAccountByCode(newAccount, true);
            if (!withNew) {
                Note(res::RULE_NO_ACCOUNT_NOTE.arg(rule.id).arg(rule.contonew));
                continue;
            }
            type = newAccount.AccountType;
        } else {
            oldAccount.Code = rule.conto.trimmed();
            withOld = dm_.FindAccountByCode(oldAccount, false);
            if (!withOld) {
                Note(res::RULE_NO_ACCOUNT_NOTE.arg(rule.id).arg(rule.conto));
                continue;
            }
            type = oldAccount.AccountType;
            newAccount.CodeNew = rule.contonew.trimmed();
            withNew = !newAccount.CodeNew.isEmpty() && dm_.FindAccountByCode(newAccount, true);
        }

        // Line shape by the sub-account template: none, one, or one per family member.
        const bool indexed = IsIndexVariable(rule.subaccount);
        QVector<QPair<int, qint64>> lines;  // index in the family (0: none) and sub-account
        if (rule.subaccount.isEmpty()) {
            lines.append({0, 0});
        } else if (!indexed) {
            lines.append({0, IsVariable(rule.subaccount) ? IdOf(variables.Value(rule.subaccount))
                                                         : IdOf(rule.subaccount)});
        } else {
            for (int i = 1;; ++i) {
                const QString value = variables.Value(ParseIndex(rule.subaccount, i));
                if (value.isEmpty())
                    break;
                lines.append({i, IdOf(value)});
            }
        }
        const bool partnerLogic = indexed && (rule.subaccount.contains(QLatin1String("Kupac")) ||
                                              rule.subaccount.contains(QLatin1String("Dobavljac")));

        for (const auto& [index, subaccount] : lines) {
            items.Append();
            if (withOld) {
                items.FieldByName(QStringLiteral("accountid")).SetValue(oldAccount.AccountID);
                items.FieldByName(QStringLiteral("ContoCode")).SetValue(oldAccount.Code);
            }
            if (withNew) {
                items.FieldByName(QStringLiteral("accountnewid")).SetValue(newAccount.AccountNewID);
                items.FieldByName(QStringLiteral("ContoNewCode")).SetValue(newAccount.CodeNew);
            }
            items.FieldByName(QStringLiteral("AccountType")).SetValue(type);
            if (subaccount > 0) {
                items.FieldByName(QStringLiteral("foreignid")).SetValue(subaccount);
                items.FieldByName(QStringLiteral("SubcontoName"))
                    .SetValue(dm_.GetSubAccountName(type, subaccount));
            }
            QString debit = rule.debitexp, credit = rule.creditexp,
                    description = rule.descriptionfmt;
            if (partnerLogic && subaccount > 0) {
                // The line's own partner and partner type are "1" in its amounts.
                const QString own = QLatin1Char('[') + res::FIN_PARTNER_PREFIX +
                                    QString::number(subaccount) + QLatin1Char(']');
                debit.replace(own, QStringLiteral("1"), Qt::CaseInsensitive);
                credit.replace(own, QStringLiteral("1"), Qt::CaseInsensitive);
                const QString partnerType = dm_.GetPartnerTypeByID(subaccount);
                if (!partnerType.isEmpty()) {
                    const QString ownType = QLatin1Char('[') + res::FIN_PART_TYPE_PREFIX +
                                            partnerType + QLatin1Char(']');
                    debit.replace(ownType, QStringLiteral("1"), Qt::CaseInsensitive);
                    credit.replace(ownType, QStringLiteral("1"), Qt::CaseInsensitive);
                }
            }
            if (indexed) {
                description = ParseIndex(description, index);
                debit = ParseIndex(debit, index);
                credit = ParseIndex(credit, index);
            }
            WriteLine(rule, ParseAllText(description, variables), ParseAll(debit, variables),
                      ParseAll(credit, variables));
        }
    }
}

void TPreceptProcessor::WriteLine(const TPostingRule& rule, const QString& description,
                                  QString debitText, QString creditText) {
    TQuery& items = dm_.PreceptItemZQ();
    items.FieldByName(QStringLiteral("description")).SetValue(description.left(100));
    const bool debitSwitch = TakeSignSwitch(debitText);
    const bool creditSwitch = TakeSignSwitch(creditText);
    double debit = 0, credit = 0;
    try {
        debit = Evaluate(debitText);
        credit = Evaluate(creditText);
    } catch (const TCalcError&) {
        throw TError(res::RULE_BAD_EXPRESSION_ERR.arg(rule.id)
                         .arg(rule.contonew.isEmpty() ? rule.conto : rule.contonew)
                         .arg(rule.debitexp, rule.creditexp));
    }
    if (debitSwitch && BetterRoundTo(debit, -2) < 0) {
        credit = -debit;
        debit = 0;
    }
    if (creditSwitch && BetterRoundTo(credit, -2) < 0) {
        debit = -credit;
        credit = 0;
    }
    items.FieldByName(QStringLiteral("debit")).SetValue(debit);
    items.FieldByName(QStringLiteral("credit")).SetValue(credit);
    if (BetterRoundTo(debit, -2) == 0 && BetterRoundTo(credit, -2) == 0) {
        items.Cancel();
        Note(res::RULE_ZERO_LINE_NOTE.arg(rule.id).arg(description));
        return;
    }
    items.Post();
}

}  // namespace fin
