#pragma once

#include <QByteArray>
#include <QFont>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QVector>
#include <memory>
#include <vector>

struct z_stream_s;
class QIODevice;
class QPainter;
class QPagedPaintDevice;

namespace fin {

// An A4 page of fixed-pitch lines. The long prints (the day book, the group voucher) are
// laid out in characters, so the quick PDF writer and a printer's painter give the same
// pages, and a test can read a page as text.
class TLineCanvas {
public:
    TLineCanvas(bool landscape, double fontSize);
    virtual ~TLineCanvas() = default;
    TLineCanvas(const TLineCanvas&) = delete;
    TLineCanvas& operator=(const TLineCanvas&) = delete;

    int Columns() const { return columns_; }
    int Rows() const { return rows_; }
    bool Landscape() const { return landscape_; }
    double FontSize() const { return fontSize_; }
    QSizeF PageSize() const;  // points

    // Starts a page; the first call starts the first one.
    virtual void NewPage() = 0;
    // A line of text at a row of the page, from its first column.
    virtual void Line(int row, const QString& text, bool bold = false) = 0;
    // A rule under a row, across the page.
    virtual void Rule(int row) = 0;
    // Ends the last page and the document.
    virtual void Finish() = 0;

protected:
    static constexpr double kMargin = 28;  // points, on every side
    double LineHeight() const { return fontSize_ * 1.2; }
    double CharWidth() const { return fontSize_ * 0.6; }
    // Points from the page's top edge to a row's baseline, and to its rule.
    double Baseline(int row) const { return kMargin + row * LineHeight() + fontSize_ * 0.9; }
    double RuleY(int row) const { return kMargin + row * LineHeight() + fontSize_ * 1.13; }

private:
    bool landscape_;
    double fontSize_;
    int columns_;
    int rows_;
};

// Writes the pages straight into a PDF as they come, each page's text compressed on its
// own, so a book of a million lines takes the memory of one page. The fonts are the
// standard Courier pair that every reader has, so nothing is embedded; the letters of
// Serbian Latin outside the Western set are named in the font's encoding.
class TPdfLineWriter : public TLineCanvas {
public:
    TPdfLineWriter(QIODevice& out, bool landscape, double fontSize, const QString& title);
    ~TPdfLineWriter() override;

    void NewPage() override;
    void Line(int row, const QString& text, bool bold = false) override;
    void Rule(int row) override;
    void Finish() override;
    int Pages() const { return static_cast<int>(pages_.size()); }

private:
    int BeginObject();
    void Write(const QByteArray& bytes);
    void EndPage();
    QByteArray Compress(const QByteArray& content);

    QIODevice& out_;
    qint64 position_ = 0;
    std::vector<qint64> offsets_;        // by object number
    std::vector<int> pages_;             // page objects
    QByteArray text_, rules_;            // the open page
    std::vector<QByteArray> positions_;  // where each row's text starts
    std::unique_ptr<z_stream_s> zip_;
    bool pageOpen_ = false;
    bool bold_ = false;
    bool finished_ = false;
};

// The same pages through a painter: the print preview and printers. The device is set to
// A4 in the canvas's orientation, with the paper's full area for the canvas's margins.
class TPainterLineCanvas : public TLineCanvas {
public:
    TPainterLineCanvas(QPainter& painter, QPagedPaintDevice& device, bool landscape,
                       double fontSize);

    void NewPage() override;
    void Line(int row, const QString& text, bool bold = false) override;
    void Rule(int row) override;
    void Finish() override {}

private:
    QPainter& painter_;
    QPagedPaintDevice& device_;
    double scale_;  // device pixels per point
    QFont regular_, bold_;
    bool started_ = false;
};

// A column of a paged list: a width in characters (0: whatever the line has left), numbers
// to the right, and whether the page and running totals add it up.
struct TListColumn {
    QString title;
    int width = 0;
    bool numeric = false;
    bool summed = false;
};

// A long list in pages: on top of every page the title, the page number, the subtitle and
// the column titles; the summed columns close each page with its own sum and the running
// total, which opens the next page as "Prenos", and the last page with the grand total.
// Only one page of rows is held at a time.
class TPagedList {
public:
    TPagedList(TLineCanvas& canvas, QString title, QString subtitle, QVector<TListColumn> columns);

    // A row as shown; amounts are the values of the summed columns, in column order.
    void Add(const QStringList& cells, const QVector<double>& amounts);
    // Prints the last page, with the grand totals, and ends the document.
    void Finish();
    int Pages() const { return page_; }
    // The row a text cut or padded to the columns; used for the titles too.
    QString Format(const QStringList& cells) const;

private:
    int RowsOnPage() const;
    void PrintPage(bool last);
    QString TotalsLine(const QString& label, const QVector<double>& sums) const;

    TLineCanvas& canvas_;
    QString title_, subtitle_;
    QVector<TListColumn> columns_;
    QVector<int> widths_;
    QVector<int> summed_;  // column indexes
    QVector<QString> held_;
    QVector<double> pageSums_, carried_;
    int page_ = 0;
};

// One voucher of a group voucher: its header texts, lines (number, account, sub-account,
// its name, text, debit and credit as shown), amounts, page position (1: top of a page, 2:
// its middle) and the empty rows that pad its table.
struct TVoucherBlock {
    QString title;    // "Nalog za knjiženje 00012/24"
    QString details;  // dates and type
    QString related;  // the source document, or empty
    int page = 1;
    QVector<QStringList> lines;
    double debit = 0, credit = 0;
    int fillers = 0;
};

// The group voucher: the vouchers one after another, each starting at its page position,
// its table padded with its filler rows; a voucher too long for its place goes on over the
// page with the column titles repeated.
void PrintGroupVoucher(TLineCanvas& canvas, const QString& title,
                       const QVector<TVoucherBlock>& vouchers);

}  // namespace fin
