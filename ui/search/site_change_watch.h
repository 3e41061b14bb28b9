#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

class QWidget;
class RuleCounters;

// Watches the rule counters of the window's searches and, once per search, warns the user in a
// box that does not wait when the site's pages seem changed. It reads the counters on the
// window's thread every second while a search runs and once more when it ends, so neither the
// search nor its worker ever waits for it.
class SiteChangeWatch : public QObject {
public:
    using CountersOf = std::function<std::shared_ptr<const RuleCounters>()>;

    SiteChangeWatch(QWidget* window, CountersOf counters);

    // A search is about to start: the counters the engine holds now are an earlier search's.
    void SearchStarted();
    // The search's worker has ended.
    void SearchEnded();
    // The rules file the warning names: the chosen site's.
    void SetRulesFile(std::string shownName) { rulesFile = std::move(shownName); }

private:
    void Look(bool searchEnded);

    QWidget* const window;
    const CountersOf countersOf;
    QTimer timer;
    std::shared_ptr<const RuleCounters> earlier;
    std::shared_ptr<const RuleCounters> warned;
    std::string rulesFile;
};
