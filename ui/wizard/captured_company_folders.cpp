#include "ui/wizard/captured_company_folders.h"

#include <QCollator>
#include <QFile>
#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

// A folder opened twice, however it was written, lists its companies once, under its own name.
std::vector<OpenedCompany> ReadCapturedCompanies(const std::string& givenFolder) {
    const std::string folder = CapturedFolderPath(givenFolder);
    if (std::optional<CapturedCompany> company = ReadCapturedCompany(folder))
        return {{folder, std::move(*company)}};
    std::vector<std::string> subFolders;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        if (entry.is_directory(error)) subFolders.push_back(entry.path().string());
    }
    // As a person counts: saved/2 before saved/10.
    QCollator collator;
    collator.setNumericMode(true);
    std::sort(subFolders.begin(), subFolders.end(), [&collator](const std::string& a, const std::string& b) {
        return collator.compare(QFile::decodeName(a.c_str()), QFile::decodeName(b.c_str())) < 0;
    });
    std::vector<OpenedCompany> companies;
    for (const std::string& subFolder : subFolders) {
        if (std::optional<CapturedCompany> company = ReadCapturedCompany(subFolder))
            companies.push_back({subFolder, std::move(*company)});
    }
    return companies;
}
