#pragma once

#include <QPair>
#include <QString>
#include <QVector>

namespace fin {

class TDataSet;
class TFinancialDM;

// How a voucher of a group print is padded: the empty rows printed after its lines, and
// the page position (1: top of a page, 2: its middle) where the next voucher starts, from
// the voucher's own position and number of lines. A voucher without lines changes nothing.
struct TGroupFiller {
    int rows = 0;
    int nextPage = 1;
};
TGroupFiller GroupFiller(int page, int lines);

// "Štampaj više" without its window: registered vouchers of one type found by period and
// a part of their description, ticked or not, and the rows of the group voucher that
// prints the ticked ones. The list is the data module's PreceptPrintCDS, the rows its
// GroupPreceptCDS.
class TPrintMore {
public:
    explicit TPrintMore(TFinancialDM& dm);

    TDataSet& List() const;
    TDataSet& Rows() const;

    // The type list: each type's id and "number - name", in the order of their ids.
    QVector<QPair<qint64, QString>> Types() const;

    // Fills the list with the registered vouchers of the type dated within the period whose
    // description holds the part anywhere (taken literally, "%" and "_" too; any letter
    // case), newest first, all ticked. The period is checked first: a refusal (TError)
    // leaves the list as it was.
    void ShowPrecepts(qint64 typeId, const QString& from, const QString& to,
                      const QString& descriptionPart);

    // Unticks the listed vouchers with these ids.
    void Untick(const QVector<qint64>& preceptIds);
    int TickedCount() const;

    // Fills the rows from the ticked vouchers, oldest first: one row per line, numbered
    // within its voucher, with the voucher's page position, and on a voucher's last line
    // the filler rows after it (one blank per row, the rows separated by CR LF).
    void PrepareGroupPrecepts();

private:
    TFinancialDM& dm_;
};

}  // namespace fin
