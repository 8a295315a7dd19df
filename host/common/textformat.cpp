#include "host/common/textformat.h"

#include <QHash>
#include <QRegularExpression>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace fin {

std::string DecimalText(double value, int decimals) {
    if (!std::isfinite(value))
        return value != value ? "nan" : (value > 0 ? "inf" : "-inf");
    decimals = std::max(decimals, 0);
    char buf[512];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    const char* begin = buf;
    const char* end = res.ptr;
    const bool negative = begin < end && *begin == '-';
    if (negative)
        ++begin;
    const char* dot = std::find(begin, end, '.');
    const char* fracBegin = dot == end ? end : dot + 1;
    const int fracSize = static_cast<int>(end - fracBegin);
    // Integer digits and the kept decimals in one run, then the half-up carry over it.
    std::string digits(begin, dot);
    const int kept = std::min(fracSize, decimals);
    digits.append(fracBegin, fracBegin + kept);
    digits.append(static_cast<size_t>(decimals - kept), '0');
    if (fracSize > decimals && fracBegin[decimals] >= '5') {
        int i = static_cast<int>(digits.size()) - 1;
        while (i >= 0 && digits[static_cast<size_t>(i)] == '9')
            digits[static_cast<size_t>(i--)] = '0';
        if (i < 0)
            digits.insert(digits.begin(), '1');
        else
            ++digits[static_cast<size_t>(i)];
    }
    const bool zero = digits.find_first_not_of('0') == std::string::npos;
    std::string out;
    out.reserve(digits.size() + 2);
    if (negative && !zero)
        out += '-';
    out.append(digits, 0, digits.size() - static_cast<size_t>(decimals));
    if (decimals > 0) {
        out += '.';
        out.append(digits, digits.size() - static_cast<size_t>(decimals), std::string::npos);
    }
    return out;
}

namespace {

// A number pattern taken apart once: reports and lists format the same few patterns
// hundreds of thousands of times.
struct TNumberPattern {
    QString prefix, suffix;  // literal text around the digits, quotes removed
    bool literalOnly = false;
    bool grouping = false;
    int minInt = 0, minFrac = 0, maxFrac = 0;
};

TNumberPattern ParsePattern(const QString& pattern) {
    const QString section = pattern.section(QLatin1Char(';'), 0, 0);
    // Literal text before and after the digit placeholders is copied, quotes removed.
    int first = -1, last = -1;
    bool quoted = false;
    QChar quote;
    for (int i = 0; i < section.size(); ++i) {
        const QChar c = section[i];
        if (quoted) {
            if (c == quote)
                quoted = false;
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quoted = true;
            quote = c;
        } else if (c == QLatin1Char('0') || c == QLatin1Char('#')) {
            if (first < 0)
                first = i;
            last = i;
        } else if ((c == QLatin1Char('.') || c == QLatin1Char(',')) && first >= 0) {
            last = std::max(last, i);
        } else if (c == QLatin1Char('.') && first < 0) {
            first = i;
            last = i;
        }
    }
    auto literal = [](const QString& text) {
        QString t = text;
        t.remove(QLatin1Char('\'')).remove(QLatin1Char('"'));
        return t;
    };
    TNumberPattern p;
    if (first < 0) {
        p.literalOnly = true;
        p.prefix = literal(section);
        return p;
    }
    p.prefix = literal(section.left(first));
    p.suffix = literal(section.mid(last + 1));
    const QString body = section.mid(first, last - first + 1);
    const int dot = body.indexOf(QLatin1Char('.'));
    const QString intSpec = dot < 0 ? body : body.left(dot);
    const QString fracSpec = dot < 0 ? QString() : body.mid(dot + 1);
    p.grouping = intSpec.contains(QLatin1Char(','));
    p.minInt = static_cast<int>(intSpec.count(QLatin1Char('0')));
    p.minFrac = static_cast<int>(fracSpec.count(QLatin1Char('0')));
    p.maxFrac = p.minFrac + static_cast<int>(fracSpec.count(QLatin1Char('#')));
    return p;
}

const TNumberPattern& CachedPattern(const QString& pattern) {
    thread_local QHash<QString, TNumberPattern> cache;
    auto it = cache.constFind(pattern);
    if (it == cache.constEnd())
        it = cache.insert(pattern, ParsePattern(pattern));
    return *it;
}

}  // namespace

QString FormatFloat(const QString& pattern, double value, TNumberStyle style) {
    const TNumberPattern& p = CachedPattern(pattern);
    if (p.literalOnly)
        return p.prefix;
    const std::string text = DecimalText(value, p.maxFrac);
    const bool negative = !text.empty() && text[0] == '-';
    const std::string_view all(text.data() + (negative ? 1 : 0), text.size() - (negative ? 1 : 0));
    const size_t dot = all.find('.');
    std::string_view intDigits = all.substr(0, dot);
    std::string_view frac =
        dot == std::string_view::npos ? std::string_view() : all.substr(dot + 1);
    while (static_cast<int>(frac.size()) > p.minFrac && frac.back() == '0')
        frac.remove_suffix(1);
    if (intDigits == "0" && p.minInt == 0)
        intDigits = {};
    const bool display = style == TNumberStyle::Display;
    const int padding = std::max(0, p.minInt - static_cast<int>(intDigits.size()));
    std::string ints(static_cast<size_t>(padding), '0');
    ints.append(intDigits);

    QString out;
    out.reserve(p.prefix.size() + p.suffix.size() + static_cast<int>(ints.size() + frac.size()) +
                8);
    if (negative)
        out += QLatin1Char('-');
    out += p.prefix;
    const int n = static_cast<int>(ints.size());
    const QChar separator = display ? QLatin1Char('.') : QLatin1Char(',');
    for (int i = 0; i < n; ++i) {
        if (p.grouping && i > 0 && (n - i) % 3 == 0)
            out += separator;
        out += QLatin1Char(ints[static_cast<size_t>(i)]);
    }
    if (!frac.empty()) {
        out += display ? QLatin1Char(',') : QLatin1Char('.');
        out += QLatin1String(frac.data(), static_cast<qsizetype>(frac.size()));
    }
    if (n == 0 && frac.empty())
        out += QLatin1Char('0');
    out += p.suffix;
    return out;
}

QString NumberToText(double value, int maxDecimals) {
    return FormatFloat(QStringLiteral("0.") + QString(maxDecimals, QLatin1Char('#')), value,
                       TNumberStyle::System);
}

std::optional<double> ParseNumber(const QString& input) {
    QString t = input.trimmed();
    t.remove(QLatin1Char(' '));
    if (t.isEmpty())
        return std::nullopt;
    if (t.contains(QLatin1Char(','))) {
        t.remove(QLatin1Char('.'));
        t.replace(QLatin1Char(','), QLatin1Char('.'));
    }
    static const QRegularExpression number(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)$"));
    if (!number.match(t).hasMatch())
        return std::nullopt;
    const QByteArray bytes = t.toLatin1();
    return std::strtod(bytes.constData(), nullptr);
}

std::optional<QDate> MyDateStrToDate(const QString& input) {
    const QString t = input.trimmed();
    static const QRegularExpression dotted(
        QStringLiteral("^(\\d{1,2})\\.\\s*(\\d{1,2})\\.\\s*(\\d{2}|\\d{4})\\.?$"));
    static const QRegularExpression iso(QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})$"));
    int y = 0, m = 0, d = 0;
    if (const auto match = dotted.match(t); match.hasMatch()) {
        d = match.captured(1).toInt();
        m = match.captured(2).toInt();
        y = match.captured(3).toInt();
        if (match.captured(3).size() == 2)
            y += 2000;
    } else if (const auto match = iso.match(t); match.hasMatch()) {
        y = match.captured(1).toInt();
        m = match.captured(2).toInt();
        d = match.captured(3).toInt();
    } else {
        return std::nullopt;
    }
    const QDate date(y, m, d);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

QString DateToText(const QDate& date) {
    return date.isValid() ? date.toString(QStringLiteral("dd.MM.yyyy.")) : QString();
}

QString DateToSql(const QDate& date) {
    // Written by hand: this runs for every row of a card or a day book.
    if (!date.isValid())
        return QString();
    int y = 0, m = 0, d = 0;
    date.getDate(&y, &m, &d);
    if (y < 0 || y > 9999)
        return date.toString(Qt::ISODate);
    const char text[10] = {char('0' + y / 1000),
                           char('0' + y / 100 % 10),
                           char('0' + y / 10 % 10),
                           char('0' + y % 10),
                           '-',
                           char('0' + m / 10),
                           char('0' + m % 10),
                           '-',
                           char('0' + d / 10),
                           char('0' + d % 10)};
    return QString::fromLatin1(text, 10);
}

}  // namespace fin
