#pragma once

#include <QString>
#include <deque>
#include <vector>

class QWidget;

// Every message box of the program goes through here, with the caption "Quorvan".
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

MessageAnswer ShowMessageBox(QWidget* parent, const QString& text, MessageButtons buttons);
// An OK box that does not wait: it stays open beside the window, which goes on working, and
// goes away when the user closes it. Recorded like the others while answers are scripted.
void ShowNonModalMessageBox(QWidget* parent, const QString& text);

// Test seam: while answers are scripted, no box is shown; each call takes the next answer
// (Ok for an OK box when none is left) and its text is recorded.
void SetNextMessageAnswers(std::deque<MessageAnswer> answers);
std::vector<QString> TakeShownMessages();
void StopScriptingMessageBoxes();
