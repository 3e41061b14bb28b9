#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

#include "learn/profile_learner.h"

class QTableWidget;

// How the rules wizard shows what learning made of the named values.

// "matched/all": on how many of the captured companies the rule gives a value.
QString HitRateText(const FieldEvidence& evidence);

// One row per rule learned or tried (字段, 规则, 命中): the link rules, then the label rules with
// their hit rates, or why a field was not learned. While learning (no evidence), one row per
// label (GBK) saying so.
void ShowFieldRows(QTableWidget& table, const std::vector<FieldEvidence>* evidence,
                   const std::vector<std::string>& labels);

// One row per captured company (公司, 取到的值): the value the label's learned rule gives there;
// empty where none does.
void ShowCompanyValues(QTableWidget& table, const QStringList& companyNames,
                       const std::vector<FieldEvidence>* evidence, const std::string& label);
