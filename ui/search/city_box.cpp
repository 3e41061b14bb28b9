#include "ui/search/city_box.h"

#include <QComboBox>
#include <string_view>

#include "ui/search/condition_boxes.h"
#include "ui/search/province_city_table.h"

void RefillCityBox(QComboBox& cityBox, const QByteArray& provinceGbk) {
    cityBox.setEnabled(true);
    const auto block = FindProvinceBlock(std::string_view(provinceGbk.constData(), provinceGbk.size()));
    const std::vector<std::string> items = block ? SplitItems(*block, ';') : std::vector<std::string>{};
    cityBox.clear();
    // The first item is the province's own name; a block without cities has nothing else.
    if (items.size() <= 1) {
        cityBox.setEnabled(false);
        return;
    }
    for (size_t i = 1; i < items.size(); ++i) AddGbkEntry(cityBox, items[i]);
    cityBox.setCurrentIndex(0);
}
