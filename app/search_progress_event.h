#pragma once

#include <QEvent>
#include <cstdint>

// The search worker's progress message to the main window, numbered like WM_USER + 1.
inline constexpr QEvent::Type WM_SEARCH_PROGRESS = static_cast<QEvent::Type>(QEvent::User + 1);

// Progress codes: the worker has begun, and a row has been added.
inline constexpr intptr_t kProgressSearching = 1;
inline constexpr intptr_t kProgressRowAdded = 3;

// Posted by the worker with the same code in both parameters.
class SearchProgressEvent : public QEvent {
public:
    explicit SearchProgressEvent(intptr_t code) : QEvent(WM_SEARCH_PROGRESS), wParam(code), lParam(code) {}

    const intptr_t wParam;
    const intptr_t lParam;
};
