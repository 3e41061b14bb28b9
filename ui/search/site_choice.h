#pragma once

#include <QString>
#include <optional>

// The site the user last chose for the window's searches, by the name the chooser shows, kept in
// the "Site" section of the file SiteChoiceFilePath names; it lasts from run to run.
std::optional<QString> LoadSiteChoice();
// False when it could not be kept.
bool SaveSiteChoice(const QString& siteName);
