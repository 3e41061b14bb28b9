#pragma once

#include <QString>
#include <QStringList>

#include "learn/profile_learner.h"

class QTableWidget;

// How the rules wizard shows what learning made of the fields.

// "matched/all": on how many of the captured companies the rule gives a value.
QString HitRateText(const FieldEvidence& evidence);

// One row per field (字段, 规则, 命中): the rule and its hit rate, or why it was not learned, or
// that it is being learned (no evidence yet). Labels are GBK.
void ShowFieldRows(QTableWidget& table, const std::vector<std::string>& labels,
                   const std::function<const FieldEvidence*(const std::string&)>& evidenceOf);

// One row per captured company (公司, 取到的值): the value the field's rule gives there; empty
// when the field is not learned.
void ShowCompanyValues(QTableWidget& table, const QStringList& companyNames, const FieldEvidence* evidence);
