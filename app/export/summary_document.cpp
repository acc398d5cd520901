#include "export/summary_document.h"

#include <QBuffer>
#include <QFontDatabase>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>

#include "common/atomic_file.h"

namespace summary {

namespace {

QString cell(const QString& text) {
    QString t = text.toHtmlEscaped();
    t.replace(QStringLiteral("\r\n"), QStringLiteral("<br>"));
    t.replace(QLatin1Char('\n'), QStringLiteral("<br>"));
    return t;
}

}  // namespace

QFont summaryFont() {
    // Taiwan's desktops have the first; Linux installations one of the others.
    static const QStringList families{
        QStringLiteral("Microsoft JhengHei"), QStringLiteral("Noto Sans CJK TC"),
        QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("Noto Sans TC"),
        QStringLiteral("AR PL UMing TW")};
    QFont font;
    const QStringList installed = QFontDatabase::families();
    QStringList present;
    for (const QString& f : families)
        if (installed.contains(f)) present << f;
    font.setFamilies(present.isEmpty() ? families : present);
    font.setPointSizeF(9.5);
    return font;
}

QString summaryHtml(const SummaryDocument& doc) {
    QString h;
    h += QStringLiteral("<html><head><meta charset=\"utf-8\"><title>%1</title></head><body>")
             .arg(cell(doc.title));
    h += QStringLiteral("<h2 style=\"margin-bottom:2px\">%1</h2>").arg(cell(doc.title));
    h += QStringLiteral("<p style=\"font-size:7.5pt; color:#555; margin-top:0\">%1</p>")
             .arg(cell(doc.program));
    // The header fields two to a row.
    h += QStringLiteral("<table width=\"100%\" cellspacing=\"0\" cellpadding=\"2\">");
    for (qsizetype i = 0; i < doc.fields.size(); i += 2) {
        h += QStringLiteral("<tr>");
        for (qsizetype j = i; j < i + 2; ++j) {
            if (j < doc.fields.size())
                h += QStringLiteral("<td width=\"12%\"><b>%1</b></td><td width=\"38%\">%2</td>")
                         .arg(cell(doc.fields[j].label), cell(doc.fields[j].value));
            else
                h += QStringLiteral("<td></td><td></td>");
        }
        h += QStringLiteral("</tr>");
    }
    h += QStringLiteral("</table>");

    for (const SummarySection& s : doc.sections) {
        h += QStringLiteral("<h3 style=\"margin-top:10px; margin-bottom:3px\">%1</h3>")
                 .arg(cell(s.title));
        if (s.header.isEmpty()) {
            h += QStringLiteral("<p>%1</p>").arg(cell(s.text));
            continue;
        }
        h += QStringLiteral(
            "<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"2\" "
            "style=\"border-collapse:collapse; border-color:#888\"><thead><tr>");
        for (const QString& title : s.header)
            h += QStringLiteral("<th bgcolor=\"#e6e6e6\" align=\"left\">%1</th>").arg(cell(title));
        h += QStringLiteral("</tr></thead><tbody>");
        for (const QStringList& row : s.rows) {
            h += QStringLiteral("<tr>");
            for (qsizetype c = 0; c < s.header.size(); ++c)
                h += QStringLiteral("<td>%1</td>").arg(cell(row.value(c)));
            h += QStringLiteral("</tr>");
        }
        h += QStringLiteral("</tbody></table>");
    }
    h += QStringLiteral("</body></html>");
    return h;
}

std::unique_ptr<QTextDocument> summaryTextDocument(const SummaryDocument& doc) {
    auto text = std::make_unique<QTextDocument>();
    text->setDefaultFont(summaryFont());
    text->setHtml(summaryHtml(doc));
    text->setMetaInformation(QTextDocument::DocumentTitle, doc.title);
    return text;
}

namespace {

// An A4 PDF writer on `buffer` with no margins of its own: the pages keep 2 cm
// around themselves and number themselves at the foot.
void setUpWriter(QPdfWriter& pdf, const SummaryDocument& doc) {
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                  QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    pdf.setResolution(300);
    pdf.setTitle(doc.title);
    pdf.setCreator(doc.program);
}

}  // namespace

QByteArray summaryPdf(const SummaryDocument& doc, const PageProgress& progress) {
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        if (!buffer.open(QIODevice::WriteOnly)) return {};
        QPdfWriter pdf(&buffer);
        setUpWriter(pdf, doc);
        if (paintSummaryPages(doc, pdf, progress) == 0) return {};
    }
    return bytes;
}

QByteArray summaryPdfThroughTextDocument(const SummaryDocument& doc) {
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        if (!buffer.open(QIODevice::WriteOnly)) return {};
        QPdfWriter pdf(&buffer);
        setUpWriter(pdf, doc);
        const auto text = summaryTextDocument(doc);
        text->print(&pdf);
    }
    return bytes;
}

bool writeSummaryPdf(const SummaryDocument& doc, const QString& path, QString* errorText,
                     const PageProgress& progress) {
    const QByteArray bytes = summaryPdf(doc, progress);
    if (bytes.isEmpty()) {
        if (errorText) *errorText = QStringLiteral("PDF無法產生");
        return false;
    }
    return writeFileAtomically(path, bytes, errorText);
}

}  // namespace summary
