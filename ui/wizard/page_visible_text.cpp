#include "ui/wizard/page_visible_text.h"

#include <QByteArray>
#include <QStringView>
#include <algorithm>
#include <array>
#include <string_view>

#include "engine/page_tokenizer.h"

namespace {

// Tags that start a new line where a browser lays them out; other tags only part words.
constexpr std::array<std::string_view, 30> kBlockTags = {
    "address", "article", "aside", "blockquote", "br", "caption", "dd",    "div",   "dl",     "dt",
    "footer",  "form",    "h1",    "h2",         "h3", "h4",      "h5",    "h6",    "header", "hr",
    "li",      "main",    "nav",   "ol",         "p",  "section", "table", "title", "tr",     "ul"};
constexpr std::array<std::string_view, 2> kCellTags = {"td", "th"};

template <std::size_t N>
bool IsOneOf(std::string_view name, const std::array<std::string_view, N>& names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// Collects the text with its breaks: runs of breaks become the strongest of them (a line
// over a cell over a blank), and no line begins with a break.
class VisibleTextWriter {
public:
    enum Break { kNone, kBlank, kCell, kLine };
    void AddBreak(Break strength) { pending_ = std::max(pending_, strength); }
    void AddText(QStringView text) {
        for (const QChar character : text) {
            if (character.isSpace()) {
                AddBreak(kBlank);
                continue;
            }
            if (pending_ != kNone && !text_.isEmpty())
                text_ += pending_ == kLine ? u'\n' : pending_ == kCell ? u'\t' : u' ';
            pending_ = kNone;
            text_ += character;
        }
    }
    QString Text() const { return text_; }

private:
    QString text_;
    Break pending_ = kNone;
};

}  // namespace

QString PageVisibleText(const QString& cleanedPage) {
    // The tokenizer walks bytes and looks only at ASCII ones, which UTF-8 keeps as they are.
    const QByteArray page = cleanedPage.toUtf8();
    PageTokenizer tokenizer(std::string_view(page.constData(), static_cast<std::size_t>(page.size())));
    PageToken token;
    VisibleTextWriter writer;
    while (tokenizer.Next(token)) {
        if (token.kind == PageTokenKind::text) {
            writer.AddText(QString::fromUtf8(page.constData() + token.begin,
                                             static_cast<qsizetype>(token.end - token.begin)));
            continue;
        }
        writer.AddBreak(IsOneOf(token.name, kBlockTags)  ? VisibleTextWriter::kLine
                        : IsOneOf(token.name, kCellTags) ? VisibleTextWriter::kCell
                                                         : VisibleTextWriter::kBlank);
    }
    return writer.Text();
}

QString ValueAsRead(const QString& selection) {
    return selection.simplified();
}
