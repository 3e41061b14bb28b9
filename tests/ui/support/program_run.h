#pragma once

#include <QString>
#include <string>
#include <vector>

#include "platform/qt/message_box.h"
#include "ui/search/result_journal.h"

// One start of the program in this process, as a user would meet it: start-up with the given
// answer to any question it asks, the main window's rows read once it runs, then Exit with 是.
struct ProgramRun {
    bool windowShown = false;
    std::vector<JournalRow> rows;   // the list's cells and check boxes when it first showed
    std::vector<QString> messages;  // every message box, the exit question included
};
ProgramRun RunProgramOnce(const std::string& instanceName, MessageAnswer startAnswer);

// The question at start-up after a run that did not end normally.
QString RestoreQuestion(int rows);
