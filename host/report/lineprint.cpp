#include "host/report/lineprint.h"

#include <QFont>
#include <QIODevice>
#include <QPagedPaintDevice>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstring>

#include <zlib.h>

#include "host/common/error.h"
#include "host/common/rounding.h"
#include "host/common/textformat.h"

namespace fin {

namespace {

constexpr double kA4Width = 595.276, kA4Height = 841.89;  // points
const QString kAmountFormat = QStringLiteral("#,##0.00");

// The byte of a character in the fonts' encoding: Windows Latin 1, with the letters of
// Serbian Latin it lacks put on codes it leaves unused (see the encoding object).
char PdfByte(QChar ch) {
    const char16_t u = ch.unicode();
    if (u < 0x20)
        return ' ';
    if (u < 0x7F || (u >= 0xA0 && u <= 0xFF))
        return static_cast<char>(u);
    switch (u) {
        case 0x010C:
            return '\x7F';  // Č
        case 0x010D:
            return '\x81';  // č
        case 0x0106:
            return '\x8D';  // Ć
        case 0x0107:
            return '\x8F';  // ć
        case 0x0110:
            return '\x90';  // Đ
        case 0x0111:
            return '\x9D';  // đ
        case 0x0160:
            return '\x8A';  // Š
        case 0x0161:
            return '\x9A';  // š
        case 0x017D:
            return '\x8E';  // Ž
        case 0x017E:
            return '\x9E';  // ž
        case 0x20AC:
            return '\x80';  // €
        case 0x201E:
            return '\x84';  // „
        case 0x2026:
            return '\x85';  // …
        case 0x2018:
            return '\x91';
        case 0x2019:
            return '\x92';
        case 0x201C:
            return '\x93';
        case 0x201D:
            return '\x94';
        case 0x2022:
            return '\x95';
        case 0x2013:
            return '\x96';
        case 0x2014:
            return '\x97';
        default:
            return '?';
    }
}

QByteArray Number(double value) {
    return QByteArray::number(value, 'f', 2);
}

// A text string of the document information dictionary, in UTF-16 with its byte order mark.
QByteArray InfoText(const QString& text) {
    QByteArray hex = "<FEFF";
    for (const QChar ch : text)
        hex += QByteArray::number(ch.unicode() | 0x10000, 16).mid(1).toUpper();
    return hex + '>';
}

QString Amount(double value) {
    return FormatFloat(kAmountFormat, BetterRoundTo(value, -2));
}

}  // namespace

TLineCanvas::TLineCanvas(bool landscape, double fontSize)
    : landscape_(landscape), fontSize_(fontSize) {
    const QSizeF page = PageSize();
    columns_ = static_cast<int>(std::floor((page.width() - 2 * kMargin) / CharWidth()));
    rows_ = static_cast<int>(std::floor((page.height() - 2 * kMargin) / LineHeight()));
}

QSizeF TLineCanvas::PageSize() const {
    return landscape_ ? QSizeF(kA4Height, kA4Width) : QSizeF(kA4Width, kA4Height);
}

TPdfLineWriter::TPdfLineWriter(QIODevice& out, bool landscape, double fontSize,
                               const QString& title)
    : TLineCanvas(landscape, fontSize), out_(out) {
    // Objects 1 to 6 are the catalogue, the page tree (written last, when the pages are
    // known), the two fonts, their encoding and the document information.
    offsets_.assign(7, 0);
    Write("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
    auto object = [this](int number, const QByteArray& body) {
        offsets_[number] = position_;
        Write(QByteArray::number(number) + " 0 obj\n" + body + "\nendobj\n");
    };
    object(1, "<< /Type /Catalog /Pages 2 0 R >>");
    object(3, "<< /Type /Font /Subtype /Type1 /BaseFont /Courier /Encoding 5 0 R >>");
    object(4, "<< /Type /Font /Subtype /Type1 /BaseFont /Courier-Bold /Encoding 5 0 R >>");
    object(5,
           "<< /Type /Encoding /BaseEncoding /WinAnsiEncoding /Differences [127 /Ccaron 129 "
           "/ccaron 141 /Cacute 143 /cacute 144 /Dcroat 157 /dcroat] >>");
    object(6, "<< /Title " + InfoText(title) + " /Producer (Finansije) >>");
}

TPdfLineWriter::~TPdfLineWriter() {
    if (zip_) {
        deflateEnd(zip_.get());
    }
}

QByteArray TPdfLineWriter::Compress(const QByteArray& content) {
    // One compressor for every page: setting one up costs more than a page's text.
    if (!zip_) {
        zip_ = std::make_unique<z_stream>();
        if (deflateInit(zip_.get(), Z_BEST_SPEED) != Z_OK) {
            zip_.reset();
            throw TError(QStringLiteral("PDF ne može biti sažet."));
        }
    } else {
        deflateReset(zip_.get());
    }
    QByteArray packed(static_cast<qsizetype>(deflateBound(zip_.get(), content.size())),
                      Qt::Uninitialized);
    zip_->next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.constData()));
    zip_->avail_in = static_cast<uInt>(content.size());
    zip_->next_out = reinterpret_cast<Bytef*>(packed.data());
    zip_->avail_out = static_cast<uInt>(packed.size());
    if (deflate(zip_.get(), Z_FINISH) != Z_STREAM_END)
        throw TError(QStringLiteral("PDF ne može biti sažet."));
    packed.resize(static_cast<qsizetype>(zip_->total_out));
    return packed;
}

void TPdfLineWriter::Write(const QByteArray& bytes) {
    if (out_.write(bytes) != bytes.size())
        throw TError(QStringLiteral("PDF ne može biti upisan: %1").arg(out_.errorString()));
    position_ += bytes.size();
}

int TPdfLineWriter::BeginObject() {
    const int number = static_cast<int>(offsets_.size());
    offsets_.push_back(position_);
    Write(QByteArray::number(number) + " 0 obj\n");
    return number;
}

void TPdfLineWriter::NewPage() {
    EndPage();
    pageOpen_ = true;
    bold_ = false;
    text_ += "BT\n/F1 " + Number(FontSize()) + " Tf\n";
}

void TPdfLineWriter::Line(int row, const QString& text, bool bold) {
    if (!pageOpen_)
        NewPage();
    qsizetype end = text.size();
    while (end > 0 && text[end - 1] == QLatin1Char(' '))
        --end;
    if (end == 0)
        return;
    if (bold != bold_) {
        text_ += (bold ? "/F2 " : "/F1 ") + Number(FontSize()) + " Tf\n";
        bold_ = bold;
    }
    // Written in place: a long book spends its time here, a line at a time.
    if (row < 0 || row >= Rows())
        return;
    if (positions_.empty())
        for (int r = 0; r < Rows(); ++r)
            positions_.push_back("1 0 0 1 " + Number(kMargin) + ' ' +
                                 Number(PageSize().height() - Baseline(r)) + " Tm (");
    const QByteArray& position = positions_[row];
    const qsizetype at = text_.size();
    text_.resize(at + position.size() + 2 * end + 5);  // every character escaped at worst
    char* out = text_.data() + at;
    std::memcpy(out, position.constData(), position.size());
    out += position.size();
    for (qsizetype i = 0; i < end; ++i) {
        const char b = PdfByte(text[i]);
        if (b == '(' || b == ')' || b == '\\')
            *out++ = '\\';
        *out++ = b;
    }
    std::memcpy(out, ") Tj\n", 5);
    text_.resize(out + 5 - text_.data());
}

void TPdfLineWriter::Rule(int row) {
    if (!pageOpen_)
        NewPage();
    if (rules_.isEmpty())
        rules_ = "0.5 w\n";
    const QByteArray y = Number(PageSize().height() - RuleY(row));
    rules_ += Number(kMargin) + ' ' + y + " m " + Number(PageSize().width() - kMargin) + ' ' + y +
              " l S\n";
}

void TPdfLineWriter::EndPage() {
    if (!pageOpen_)
        return;
    pageOpen_ = false;
    // The fastest compression: a long book is written in about the time it is read.
    text_ += "ET\n";
    const QByteArray packed = Compress(rules_ + text_);
    rules_.resize(0);  // the buffers keep their room for the next page
    text_.resize(0);
    const int content = BeginObject();
    Write("<< /Length " + QByteArray::number(packed.size()) + " /Filter /FlateDecode >>\nstream\n");
    Write(packed);
    Write("\nendstream\nendobj\n");
    const int page = BeginObject();
    Write("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + Number(PageSize().width()) + ' ' +
          Number(PageSize().height()) +
          "] /Resources << /Font << /F1 3 0 R /F2 4 0 R >> >> /Contents " +
          QByteArray::number(content) + " 0 R >>\nendobj\n");
    pages_.push_back(page);
}

void TPdfLineWriter::Finish() {
    if (finished_)
        return;
    if (!pageOpen_ && pages_.empty())
        NewPage();  // a document has at least one page
    EndPage();
    finished_ = true;
    offsets_[2] = position_;
    QByteArray kids;
    kids.reserve(static_cast<qsizetype>(pages_.size()) * 10);
    for (const int page : pages_)
        kids += QByteArray::number(page) + " 0 R ";
    Write("2 0 obj\n<< /Type /Pages /Kids [" + kids + "] /Count " +
          QByteArray::number(static_cast<qint64>(pages_.size())) + " >>\nendobj\n");
    const qint64 xref = position_;
    QByteArray table = "xref\n0 " + QByteArray::number(static_cast<qint64>(offsets_.size())) +
                       "\n0000000000 65535 f \n";
    for (size_t i = 1; i < offsets_.size(); ++i)
        table += QByteArray::number(offsets_[i]).rightJustified(10, '0') + " 00000 n \n";
    Write(table);
    Write("trailer\n<< /Size " + QByteArray::number(static_cast<qint64>(offsets_.size())) +
          " /Root 1 0 R /Info 6 0 R >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n");
}

TPainterLineCanvas::TPainterLineCanvas(QPainter& painter, QPagedPaintDevice& device, bool landscape,
                                       double fontSize)
    : TLineCanvas(landscape, fontSize),
      painter_(painter),
      device_(device),
      scale_(device.logicalDpiY() / 72.0) {
    regular_.setFamily(QStringLiteral("DejaVu Sans Mono"));
    regular_.setStyleHint(QFont::Monospace);
    regular_.setPointSizeF(fontSize);
    bold_ = regular_;
    bold_.setBold(true);
}

void TPainterLineCanvas::NewPage() {
    if (started_)
        device_.newPage();
    started_ = true;
}

void TPainterLineCanvas::Line(int row, const QString& text, bool bold) {
    if (!started_)
        NewPage();
    painter_.setFont(bold ? bold_ : regular_);
    painter_.setPen(Qt::black);
    painter_.drawText(QPointF(kMargin * scale_, Baseline(row) * scale_), text);
}

void TPainterLineCanvas::Rule(int row) {
    if (!started_)
        NewPage();
    painter_.setPen(QPen(Qt::black, 0.5 * scale_));
    const double y = RuleY(row) * scale_;
    painter_.drawLine(QPointF(kMargin * scale_, y),
                      QPointF((PageSize().width() - kMargin) * scale_, y));
}

TPagedList::TPagedList(TLineCanvas& canvas, QString title, QString subtitle,
                       QVector<TListColumn> columns)
    : canvas_(canvas),
      title_(std::move(title)),
      subtitle_(std::move(subtitle)),
      columns_(std::move(columns)) {
    int fixed = static_cast<int>(columns_.size()) - 1;  // one blank between columns
    for (const TListColumn& c : columns_)
        fixed += c.width;
    for (int c = 0; c < columns_.size(); ++c) {
        widths_ << (columns_[c].width > 0 ? columns_[c].width
                                          : std::max(8, canvas_.Columns() - fixed));
        if (columns_[c].summed)
            summed_ << c;
    }
    pageSums_.fill(0.0, summed_.size());
    carried_.fill(0.0, summed_.size());
}

QString TPagedList::Format(const QStringList& cells) const {
    QString line;
    line.reserve(canvas_.Columns() + 8);
    for (int c = 0; c < widths_.size(); ++c) {
        if (c > 0)
            line += QLatin1Char(' ');
        const QString& cell = cells.value(c);
        const qsizetype pad = widths_[c] - cell.size();
        if (columns_[c].numeric) {  // an amount is never cut
            line.resize(line.size() + std::max<qsizetype>(pad, 0), QLatin1Char(' '));
            line += cell;
        } else {
            line += QStringView(cell).left(widths_[c]);
            line.resize(line.size() + std::max<qsizetype>(pad, 0), QLatin1Char(' '));
        }
    }
    return line;
}

int TPagedList::RowsOnPage() const {
    // Title, subtitle and column titles; "Prenos" after the first page; the page's sum and
    // the running total.
    return std::max(1, canvas_.Rows() - 3 - (page_ > 0 ? 1 : 0) - 2);
}

void TPagedList::Add(const QStringList& cells, const QVector<double>& amounts) {
    if (held_.size() >= RowsOnPage())
        PrintPage(false);
    held_ << Format(cells);
    for (int i = 0; i < pageSums_.size() && i < amounts.size(); ++i)
        pageSums_[i] += amounts[i];
}

QString TPagedList::TotalsLine(const QString& label, const QVector<double>& sums) const {
    QStringList cells;
    for (int c = 0, s = 0; c < columns_.size(); ++c)
        cells << (columns_[c].summed ? Amount(sums.value(s++)) : QString());
    QString line = Format(cells);
    line.replace(0, label.size(), label);
    return line;
}

void TPagedList::PrintPage(bool last) {
    const bool first = page_ == 0;
    ++page_;
    canvas_.NewPage();
    const QString number = QStringLiteral("Strana %1").arg(page_);
    canvas_.Line(0, title_.leftJustified(canvas_.Columns() - number.size()) + number, true);
    canvas_.Line(1, subtitle_);
    canvas_.Rule(1);
    QStringList titles;
    for (const TListColumn& c : columns_)
        titles << c.title;
    canvas_.Line(2, Format(titles), true);
    canvas_.Rule(2);
    int row = 3;
    if (!first)
        canvas_.Line(row++, TotalsLine(QStringLiteral("Prenos"), carried_), true);
    for (const QString& line : held_)
        canvas_.Line(row++, line);
    canvas_.Rule(row - 1);
    canvas_.Line(row++, TotalsLine(QStringLiteral("Svega na strani"), pageSums_));
    for (int i = 0; i < carried_.size(); ++i)
        carried_[i] += pageSums_[i];
    canvas_.Line(
        row, TotalsLine(last ? QStringLiteral("Ukupno") : QStringLiteral("Za prenos"), carried_),
        true);
    held_.clear();
    pageSums_.fill(0.0);
}

void TPagedList::Finish() {
    PrintPage(true);
    canvas_.Finish();
}

namespace {

// The group voucher's line columns and the rows of its pages.
const QVector<TListColumn> kVoucherColumns{
    {QStringLiteral("R.b."), 4, true},
    {QStringLiteral("Konto"), 9},
    {QStringLiteral("Analitika"), 9, true},
    {QStringLiteral("Naziv analitike"), 20},
    {QStringLiteral("Opis"), 0},
    {QStringLiteral("Duguje"), 14, true, true},
    {QStringLiteral("Potražuje"), 14, true, true},
};

class TGroupPrinter {
public:
    TGroupPrinter(TLineCanvas& canvas, const QString& title)
        : canvas_(canvas), list_(canvas, title, {}, kVoucherColumns), title_(title) {}

    void Print(const TVoucherBlock& v) {
        // Position 1 is the top of a page, position 2 its middle. A voucher that finds the
        // middle already passed starts the next page.
        const int middle = canvas_.Rows() / 2;
        if (!started_)
            NewPage(v.page == 2 ? middle : kTop);
        else if (v.page == 2 && row_ <= middle)
            row_ = middle;
        else
            NewPage(kTop);
        if (row_ + kHead + 1 > canvas_.Rows())
            NewPage(kTop);
        Put(v.title, true);
        Put(v.details);
        Put(v.related);
        canvas_.Rule(row_ - 1);
        Titles();
        for (const QStringList& line : v.lines)
            Put(list_.Format(line));
        for (int i = 0; i < v.fillers; ++i)
            Put({});
        canvas_.Rule(row_ - 1);
        QStringList totals(kVoucherColumns.size());
        totals[5] = Amount(v.debit);
        totals[6] = Amount(v.credit);
        const QString label = QStringLiteral("Ukupno");
        Put(list_.Format(totals).replace(0, label.size(), label), true);
        Put({});
        Put(
            QStringLiteral("Sastavio: ________________    Kontrolisao: ________________    "
                           "Odobrio: ________________"));
    }

    void Finish() {
        if (!started_)
            NewPage(kTop);
        canvas_.Finish();
    }

private:
    static constexpr int kTop = 2;   // the first row under the page's title
    static constexpr int kHead = 4;  // a voucher's title, details, source and column titles

    void NewPage(int row) {
        canvas_.NewPage();
        started_ = true;
        ++page_;
        const QString number = QStringLiteral("Strana %1").arg(page_);
        canvas_.Line(0, title_.leftJustified(canvas_.Columns() - number.size()) + number, true);
        canvas_.Rule(0);
        row_ = row;
    }
    void Titles() {
        QStringList titles;
        for (const TListColumn& c : kVoucherColumns)
            titles << c.title;
        Put(list_.Format(titles), true);
        canvas_.Rule(row_ - 1);
    }
    // A row of the voucher; one that falls off the page goes on the next, under the column
    // titles.
    void Put(const QString& text, bool bold = false) {
        if (row_ >= canvas_.Rows()) {
            NewPage(kTop);
            Titles();
        }
        if (!text.isEmpty())
            canvas_.Line(row_, text, bold);
        ++row_;
    }

    TLineCanvas& canvas_;
    TPagedList list_;  // lays the line columns out
    QString title_;
    bool started_ = false;
    int page_ = 0;
    int row_ = 0;
};

}  // namespace

void PrintGroupVoucher(TLineCanvas& canvas, const QString& title,
                       const QVector<TVoucherBlock>& vouchers) {
    TGroupPrinter printer(canvas, title);
    for (const TVoucherBlock& v : vouchers)
        printer.Print(v);
    printer.Finish();
}

}  // namespace fin
