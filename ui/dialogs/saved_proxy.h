#pragma once

#include <optional>
#include <string>

// The proxy address and port the user last accepted in the proxy dialog (GBK), kept in the
// "Proxy" section of the user's settings file when the program is installed. In the build folder
// nothing is kept: the values last as long as the process.
struct SavedProxy {
    std::string address;
    std::string portText;
};

// Whether accepted proxy values are kept at all.
bool ProxyValuesAreSaved();

// The kept values; none when nothing is kept or either value is missing.
std::optional<SavedProxy> LoadSavedProxy();

// Keeps the values; the user's settings file starts as a copy of the shipped one, so that its
// other settings stay. False when they could not be kept.
bool SaveProxy(const SavedProxy& proxy);
