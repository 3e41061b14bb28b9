#include "ui/dialogs/web_lookups.h"

#include "platform/browser_launch.h"
#include "platform/qt/message_box.h"

namespace {
// Shorter parts are the leftovers of separators, never an address.
constexpr qsizetype kShortestAddress = 3;
}  // namespace

void OpenInBrowser(const QByteArray& gbkAddress) {
    // As with any shell start, a browser that cannot be started is not reported.
    LaunchBrowser(gbkAddress.toStdString());
}

QByteArray WebSearchAddress(const QByteArray& base, const QByteArray& companyName) {
    return base + "/s?wd=" + companyName;
}

QByteArray SmsLoginAddress(const QByteArray& base, const QByteArray& account, const QByteArray& password) {
    return base + "/login/index/types/0/acc/" + account + "/unitid/3055/password/" + password + "/ran/plokij";
}

QList<QByteArray> WebSiteAddresses(const QByteArray& webAddressText) {
    QList<QByteArray> addresses;
    if (webAddressText.isEmpty()) return addresses;
    for (const QByteArray& part : webAddressText.mid(1).split(' '))
        if (part.size() >= kShortestAddress) addresses.append(part);
    return addresses;
}

void OnWebSearch(QWidget* parent, const QByteArray& companyName, const WebLookupSettings& settings,
                 const BrowserOpener& openBrowser) {
    if (companyName.isEmpty()) {
        ShowMessageBox(parent, QString::fromUtf8("无公司信息！"), MessageButtons::Ok);
        return;
    }
    openBrowser(WebSearchAddress(settings.webSearchBase, companyName));
}

void OnOpenWebSite(const QByteArray& webAddressText, const BrowserOpener& openBrowser) {
    for (const QByteArray& address : WebSiteAddresses(webAddressText)) openBrowser(address);
}
