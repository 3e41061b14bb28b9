#pragma once

#include <QByteArray>
#include <QList>
#include <functional>

#include "ui/dialogs/web_lookup_settings.h"

class QWidget;

// Hands a GBK address to the browser; tests put a recorder in its place.
using BrowserOpener = std::function<void(const QByteArray& gbkAddress)>;
void OpenInBrowser(const QByteArray& gbkAddress);

// Addresses are plain text formatting: the inserted texts are neither percent-encoded nor
// escaped and stay GBK.
QByteArray WebSearchAddress(const QByteArray& base, const QByteArray& companyName);
QByteArray SmsLoginAddress(const QByteArray& base, const QByteArray& account, const QByteArray& password);

// The addresses the detail pane's web-address text holds: its first byte dropped, the rest split
// at every single space, the parts longer than 2 bytes in order.
QList<QByteArray> WebSiteAddresses(const QByteArray& webAddressText);

// "百度": searches the web for the company name shown; "无公司信息！" when there is none.
void OnWebSearch(QWidget* parent, const QByteArray& companyName, const WebLookupSettings& settings,
                 const BrowserOpener& openBrowser = OpenInBrowser);
// "打开": opens every web address the detail pane's web-address text holds.
void OnOpenWebSite(const QByteArray& webAddressText, const BrowserOpener& openBrowser = OpenInBrowser);
