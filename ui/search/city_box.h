#pragma once

#include <QByteArray>

class QComboBox;

// Refills the city box for the province entry (GBK): "所有城市" and the province's cities,
// "所有城市" selected; empty and disabled when the province has no city list.
void RefillCityBox(QComboBox& cityBox, const QByteArray& provinceGbk);
