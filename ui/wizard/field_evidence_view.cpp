#include "ui/wizard/field_evidence_view.h"

#include <QTableWidget>
#include <string_view>

#include "ui/search/gbk_text.h"

namespace {

enum FieldColumn { kFieldColumn, kRuleColumn, kHitColumn };
enum CompanyColumn { kCompanyColumn, kValueColumn };

void SetCell(QTableWidget& table, int row, int column, const QString& text, const QString& tip = {}) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    item->setToolTip(tip.isEmpty() ? text : tip);
    table.setItem(row, column, item);
}

// A link rule has no label: it is named after the page it leads to.
QString FieldName(const FieldEvidence& evidence) {
    if (!evidence.label.empty()) return FromGbk(evidence.label);
    const std::string_view key = evidence.ruleKey;
    if (key.ends_with("ContactReg")) return QStringLiteral("联系方式页的链接");
    if (key.ends_with("IntroduceReg")) return QStringLiteral("公司介绍页的链接");
    return QString::fromStdString(evidence.ruleKey);
}

}  // namespace

QString HitRateText(const FieldEvidence& evidence) {
    return QStringLiteral("%1/%2").arg(evidence.matched).arg(evidence.values.size());
}

void ShowFieldRows(QTableWidget& table, const std::vector<FieldEvidence>* evidence,
                   const std::vector<std::string>& labels) {
    if (evidence == nullptr) {
        table.setRowCount(static_cast<int>(labels.size()));
        for (int row = 0; row < table.rowCount(); ++row) {
            SetCell(table, row, kFieldColumn, FromGbk(labels[static_cast<std::size_t>(row)]));
            SetCell(table, row, kRuleColumn, QStringLiteral("正在学习…"));
            SetCell(table, row, kHitColumn, QString());
        }
        return;
    }
    table.setRowCount(static_cast<int>(evidence->size()));
    for (int row = 0; row < table.rowCount(); ++row) {
        const FieldEvidence& field = (*evidence)[static_cast<std::size_t>(row)];
        SetCell(table, row, kFieldColumn, FieldName(field), QString::fromStdString(field.ruleKey));
        if (!field.learned) {
            // Never the rule that came closest: a field not learned has no rule to offer.
            SetCell(table, row, kRuleColumn,
                    QStringLiteral("未学会：%1").arg(FromGbk(field.notLearnedReason)));
            SetCell(table, row, kHitColumn, QString());
        } else {
            SetCell(table, row, kRuleColumn, FromGbk(field.pattern));
            SetCell(table, row, kHitColumn, HitRateText(field));
        }
    }
}

void ShowCompanyValues(QTableWidget& table, const QStringList& companyNames,
                       const std::vector<FieldEvidence>* evidence, const std::string& label) {
    table.setRowCount(static_cast<int>(companyNames.size()));
    for (int row = 0; row < table.rowCount(); ++row) {
        SetCell(table, row, kCompanyColumn, companyNames[row]);
        // A label learned for several families has a rule for each; a company meets its own.
        QString value;
        const auto company = static_cast<std::size_t>(row);
        for (const FieldEvidence& field : evidence != nullptr ? *evidence : std::vector<FieldEvidence>()) {
            if (field.learned && field.label == label && company < field.values.size() &&
                field.values[company]) {
                value = FromGbk(*field.values[company]);
                break;
            }
        }
        SetCell(table, row, kValueColumn, value);
    }
}
