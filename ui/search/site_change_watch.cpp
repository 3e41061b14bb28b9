#include "ui/search/site_change_watch.h"

#include <QWidget>

#include "engine/rule_counters.h"
#include "engine/site_change_check.h"
#include "platform/qt/message_box.h"
#include "ui/search/gbk_text.h"

namespace {

constexpr int kLookIntervalMs = 1000;

}  // namespace

SiteChangeWatch::SiteChangeWatch(QWidget* window, CountersOf counters)
    : QObject(window), window(window), countersOf(std::move(counters)), rulesFile(kDefaultRulesFileShown) {
    timer.setInterval(kLookIntervalMs);
    connect(&timer, &QTimer::timeout, this, [this] { Look(false); });
}

void SiteChangeWatch::SearchStarted() {
    earlier = countersOf();
    timer.start();
}

void SiteChangeWatch::SearchEnded() {
    timer.stop();
    Look(true);
}

void SiteChangeWatch::Look(bool searchEnded) {
    const std::shared_ptr<const RuleCounters> counters = countersOf();
    if (!counters || counters == earlier || counters == warned) return;
    const std::string warning = SiteChangeWarning(counters->Snapshot(), searchEnded, rulesFile);
    if (warning.empty()) return;
    warned = counters;
    ShowNonModalMessageBox(window, FromGbk(QByteArray::fromStdString(warning)));
}
