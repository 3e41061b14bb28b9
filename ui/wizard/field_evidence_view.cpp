#include "ui/wizard/field_evidence_view.h"

#include <QTableWidget>

#include "ui/search/gbk_text.h"

namespace {

enum FieldColumn { kLabelColumn, kRuleColumn, kHitColumn };
enum CompanyColumn { kCompanyColumn, kValueColumn };

void SetCell(QTableWidget& table, int row, int column, const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    item->setToolTip(text);
    table.setItem(row, column, item);
}

}  // namespace

QString HitRateText(const FieldEvidence& evidence) {
    return QStringLiteral("%1/%2").arg(evidence.matched).arg(evidence.values.size());
}

void ShowFieldRows(QTableWidget& table, const std::vector<std::string>& labels,
                   const std::function<const FieldEvidence*(const std::string&)>& evidenceOf) {
    table.setRowCount(static_cast<int>(labels.size()));
    for (int row = 0; row < table.rowCount(); ++row) {
        const std::string& label = labels[static_cast<std::size_t>(row)];
        SetCell(table, row, kLabelColumn, FromGbk(label));
        const FieldEvidence* evidence = evidenceOf(label);
        if (evidence == nullptr) {
            SetCell(table, row, kRuleColumn, QStringLiteral("正在学习…"));
            SetCell(table, row, kHitColumn, QString());
        } else if (!evidence->learned) {
            // Never the rule that came closest: a field not learned has no rule to offer.
            SetCell(table, row, kRuleColumn,
                    QStringLiteral("未学会：%1").arg(FromGbk(evidence->notLearnedReason)));
            SetCell(table, row, kHitColumn, QString());
        } else {
            SetCell(table, row, kRuleColumn, FromGbk(evidence->pattern));
            SetCell(table, row, kHitColumn, HitRateText(*evidence));
        }
    }
}

void ShowCompanyValues(QTableWidget& table, const QStringList& companyNames, const FieldEvidence* evidence) {
    table.setRowCount(static_cast<int>(companyNames.size()));
    for (int row = 0; row < table.rowCount(); ++row) {
        SetCell(table, row, kCompanyColumn, companyNames[row]);
        const auto company = static_cast<std::size_t>(row);
        const bool given = evidence != nullptr && evidence->learned && company < evidence->values.size() &&
                           evidence->values[company].has_value();
        SetCell(table, row, kValueColumn, given ? FromGbk(*evidence->values[company]) : QString());
    }
}
