#include "ui/wizard/page_visible_text.h"

#include <QStringView>
#include <array>

namespace {

// Tags that start a new line where a browser lays them out; other tags only part words.
constexpr std::array<const char*, 30> kBlockTags = {
    "ADDRESS", "ARTICLE", "ASIDE", "BLOCKQUOTE", "BR", "CAPTION", "DD",    "DIV",   "DL",     "DT",
    "FOOTER",  "FORM",    "H1",    "H2",         "H3", "H4",      "H5",    "H6",    "HEADER", "HR",
    "LI",      "MAIN",    "NAV",   "OL",         "P",  "SECTION", "TABLE", "TITLE", "TR",     "UL"};
constexpr std::array<const char*, 2> kCellTags = {"TD", "TH"};
// Elements whose contents a browser never shows.
constexpr std::array<const char*, 2> kHiddenElements = {"SCRIPT", "STYLE"};

template <std::size_t N>
bool IsOneOf(QStringView name, const std::array<const char*, N>& names) {
    for (const char* candidate : names) {
        if (name.compare(QLatin1String(candidate), Qt::CaseInsensitive) == 0) return true;
    }
    return false;
}

bool IsAsciiLetter(QChar character) {
    return (character >= u'a' && character <= u'z') || (character >= u'A' && character <= u'Z');
}

// The tag's name: the letters and digits after "<" and an optional "/".
QStringView TagName(QStringView tag) {
    qsizetype start = tag.startsWith(u'/') ? 1 : 0;
    qsizetype end = start;
    while (end < tag.size() && tag[end].isLetterOrNumber()) ++end;
    return tag.mid(start, end - start);
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
    VisibleTextWriter writer;
    const QStringView page(cleanedPage);
    qsizetype at = 0;
    while (at < page.size()) {
        const qsizetype tagStart = page.indexOf(u'<', at);
        if (tagStart < 0) {
            writer.AddText(page.mid(at));
            break;
        }
        writer.AddText(page.mid(at, tagStart - at));
        // A "<" that opens no tag (not followed by a letter, "/" or "!") is text, as a browser
        // shows it; so is all that follows a "<" never closed.
        const QChar next = tagStart + 1 < page.size() ? page[tagStart + 1] : QChar();
        if (!IsAsciiLetter(next) && next != u'/' && next != u'!') {
            writer.AddText(page.mid(tagStart, 1));
            at = tagStart + 1;
            continue;
        }
        const qsizetype tagEnd = page.indexOf(u'>', tagStart);
        if (tagEnd < 0) {
            writer.AddText(page.mid(tagStart));
            break;
        }
        const QStringView tag = page.mid(tagStart + 1, tagEnd - tagStart - 1);
        const QStringView name = TagName(tag);
        at = tagEnd + 1;
        if (IsOneOf(name, kHiddenElements) && !tag.startsWith(u'/')) {
            const qsizetype close =
                page.indexOf(QLatin1String("</") + name.toString(), at, Qt::CaseInsensitive);
            at = close < 0 ? page.size() : close;
            continue;
        }
        writer.AddBreak(IsOneOf(name, kBlockTags)  ? VisibleTextWriter::kLine
                        : IsOneOf(name, kCellTags) ? VisibleTextWriter::kCell
                                                   : VisibleTextWriter::kBlank);
    }
    return writer.Text();
}

QString ValueAsRead(const QString& selection) {
    return selection.simplified();
}
