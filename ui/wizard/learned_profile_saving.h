#pragma once

#include <QString>
#include <string>
#include <vector>

#include "engine/result_files.h"
#include "learn/profile_learner.h"

// Where a site profile the rules wizard made for siteName is saved: in the user's profile folder,
// under the site's name ("/" and a leading "." made "_", so that the name stays one file there)
// with ".rules".
std::string LearnedProfilePath(const QString& siteName);

// Writes the base profile's text (GBK) with the learned fields' rules in place of its own, named
// siteName, making the folder where needed. A file at path stays unless `existing` says replace.
WrittenFile SaveLearnedProfile(const std::string& path, const std::string& baseText,
                               const std::vector<FieldEvidence>& fields, const QString& siteName,
                               ExistingFile existing);
