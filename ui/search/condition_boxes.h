#pragma once

#include <QByteArray>
#include <string>

#include "engine/search_condition.h"

class QComboBox;
class QLineEdit;

// The five condition boxes of the main window.
struct ConditionBoxes {
    const QLineEdit* keyword = nullptr;
    const QComboBox* province = nullptr;
    const QComboBox* industry = nullptr;
    const QComboBox* businessModel = nullptr;
    const QComboBox* city = nullptr;
};

// Adds an entry whose GBK bytes are kept beside the shown text, so that the engine gets the
// entry exactly as the region list and table hold it.
void AddGbkEntry(QComboBox& box, const std::string& gbk);

// The GBK bytes of the entry a box shows: the kept bytes, else the shown text in GBK; empty
// when nothing is selected.
QByteArray ShownEntryBytes(const QComboBox& box);

// The conditions as the boxes show them now, read in the order keyword, province, industry,
// business model, city; the "all" entries and an empty city become empty values.
SearchCondition ReadSearchCondition(const ConditionBoxes& boxes);
