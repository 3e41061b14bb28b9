#include "platform/qt/message_box.h"

#include <QMessageBox>
#include <QPushButton>
#include <optional>

#include "platform/qt/chinese_translation.h"

namespace {

constexpr const char* kCaption = "Quorvan";

// Without Qt's Chinese translation the boxes would say "Yes" and "No" while their texts ask for
// 「是」 and 「否」.
void NameButtonsInChinese(QMessageBox& box) {
    const struct {
        QMessageBox::StandardButton button;
        const char* text;
    } names[] = {{QMessageBox::Yes, "是"}, {QMessageBox::No, "否"}, {QMessageBox::Ok, "确定"},
                 {QMessageBox::Cancel, "取消"}};
    for (const auto& name : names) {
        if (QAbstractButton* button = box.button(name.button)) button->setText(QString::fromUtf8(name.text));
    }
}

// Lives on the window thread only, like every message box.
std::optional<std::deque<MessageAnswer>> scriptedAnswers;
std::vector<QString> shownMessages;

MessageAnswer NextScriptedAnswer(MessageButtons buttons) {
    std::deque<MessageAnswer>& answers = *scriptedAnswers;
    if (answers.empty()) {
        // With the script used up a question is declined: the careful answer keeps data.
        return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::No;
    }
    MessageAnswer answer = answers.front();
    answers.pop_front();
    return answer;
}

}  // namespace

MessageAnswer ShowMessageBox(QWidget* parent, const QString& text, MessageButtons buttons) {
    if (scriptedAnswers) {
        shownMessages.push_back(text);
        return NextScriptedAnswer(buttons);
    }
    // Reports carry the warning sign, questions the question mark, as the desktop's own boxes do.
    bool question = buttons == MessageButtons::YesNo;
    QMessageBox box(question ? QMessageBox::Question : QMessageBox::Warning, QString::fromLatin1(kCaption),
                    QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")),
                    question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    if (question) box.setDefaultButton(QMessageBox::Yes);
    if (!ChineseTranslationInstalled()) NameButtonsInChinese(box);
    box.exec();
    if (!question) return MessageAnswer::Ok;
    // Closing the box or pressing Esc counts as No.
    return box.clickedButton() == box.button(QMessageBox::Yes) ? MessageAnswer::Yes : MessageAnswer::No;
}

void ShowNonModalMessageBox(QWidget* parent, const QString& text) {
    if (scriptedAnswers) {
        shownMessages.push_back(text);
        return;
    }
    auto* box =
        new QMessageBox(QMessageBox::Warning, QString::fromLatin1(kCaption), text, QMessageBox::Ok, parent);
    box->setTextFormat(Qt::PlainText);
    box->setModal(false);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->show();
}

void SetNextMessageAnswers(std::deque<MessageAnswer> answers) {
    scriptedAnswers = std::move(answers);
}

std::vector<QString> TakeShownMessages() {
    std::vector<QString> taken;
    taken.swap(shownMessages);
    return taken;
}

void StopScriptingMessageBoxes() {
    scriptedAnswers.reset();
    shownMessages.clear();
}
