#pragma once

#include <QDate>
#include <QString>
#include <optional>
#include <string>

namespace fin {

// Screens and prints write numbers the Serbian way ("1.234,56"); text the system writes for
// itself (expressions, XML, CSV, JSON) uses a decimal point and no grouping.
enum class TNumberStyle { Display, System };

// The value rounded half away from zero at the given number of decimals, computed on the
// shortest decimal text of the double (so 2.675 is 2.675, not 2.67499999...). Plain digits,
// "-" and "." only.
std::string DecimalText(double value, int decimals);

// Number patterns as the data formats use them: "0", "0.00", "#,##0.00", "0.#############".
QString FormatFloat(const QString& pattern, double value,
                    TNumberStyle style = TNumberStyle::Display);
// The System style without grouping, up to the given decimals, trailing zeros dropped.
QString NumberToText(double value, int maxDecimals = 13);
// Accepts "1.234,56", "1234,56" and "1234.56"; nothing else.
std::optional<double> ParseNumber(const QString& text);

// Dates as people type them: "7.3.2024", "07.03.2024.", "7.3.24" or "2024-03-07".
std::optional<QDate> MyDateStrToDate(const QString& text);
QString DateToText(const QDate& date);  // "07.03.2024."
QString DateToSql(const QDate& date);   // "2024-03-07"

}  // namespace fin
