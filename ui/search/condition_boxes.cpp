#include "ui/search/condition_boxes.h"

#include <QComboBox>
#include <QLineEdit>

#include "ui/search/condition_entries.h"
#include "ui/search/gbk_text.h"

namespace {

// Where an entry keeps its GBK bytes.
constexpr int kGbkBytesRole = Qt::UserRole + 1;

// The shown entry's bytes, or empty when the entry means no filter.
std::string FilterValue(const QComboBox& box, const char* allEntry) {
    const QByteArray shown = ShownEntryBytes(box);
    if (shown == ToGbk(QString::fromUtf8(allEntry))) return {};
    return shown.toStdString();
}

}  // namespace

void AddGbkEntry(QComboBox& box, const std::string& gbk) {
    const QByteArray bytes(gbk.data(), static_cast<qsizetype>(gbk.size()));
    box.addItem(FromGbk(bytes));
    box.setItemData(box.count() - 1, bytes, kGbkBytesRole);
}

QByteArray ShownEntryBytes(const QComboBox& box) {
    const int index = box.currentIndex();
    if (index < 0) return {};
    const QVariant kept = box.itemData(index, kGbkBytesRole);
    if (kept.isValid()) return kept.toByteArray();
    return ToGbk(box.itemText(index));
}

SearchCondition ReadSearchCondition(const ConditionBoxes& boxes) {
    SearchCondition condition;
    condition.keyword = ToGbk(boxes.keyword->text()).toStdString();
    condition.province = FilterValue(*boxes.province, kAllProvincesEntry);
    condition.industry = FilterValue(*boxes.industry, kAllIndustriesEntry);
    condition.bizType = FilterValue(*boxes.businessModel, kAllBusinessModelsEntry);
    condition.city = FilterValue(*boxes.city, kAllCitiesEntry);
    return condition;
}
