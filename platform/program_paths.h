#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// Where every file of the program lies. Callers ask here and never build such paths themselves.
//
// Two layouts:
// - Build folder: a "config" folder lies beside the executable (or no installed files are found
//   either). The program directory holds everything: the rules, the province list and the
//   settings in config/, the skin and every export beside the executable.
// - Installed: the executable in PREFIX/bin, the shipped files in PREFIX/share/harvio, which the
//   program never writes. The user's own files live in $XDG_CONFIG_HOME/harvio: the settings the
//   program saves, and any rules, province list, skin or site profile the user puts there, which
//   wins over the shipped file of the same name. Exports go to "Harvio" in the documents folder.
// In both, the program's data (the lead book) lies in $XDG_DATA_HOME/harvio.
enum class ProgramLayout { kBuildFolder, kInstalled };
ProgramLayout CurrentProgramLayout();

inline constexpr char kRulesFileName[] = "reg.alibaba";
inline constexpr char kProvinceListName[] = "Province.txt";
inline constexpr char kSettingsFileName[] = "harvio.ini";
inline constexpr char kSkinFileName[] = "QQ2009.she";
inline constexpr char kSiteChoiceFileName[] = "chosen-site.ini";

// The file of that name to read: the user's own when installed and present, else the shipped one.
std::string ConfigFileToRead(const std::string& name);

// The rules file. In the build folder "config/reg.alibaba" of the working directory when it holds
// one, else the one in the program directory's config folder, else that relative path (which then
// names the missing file); installed, as ConfigFileToRead.
std::string RulesFilePath();
std::string ProvinceListPath();
std::string SettingsFilePath();

// The settings file the program saves the user's choices into: $XDG_CONFIG_HOME/harvio/harvio.ini
// when installed. Empty in the build folder, whose settings file is the shipped one: choices there
// last as long as the process.
std::string UserSettingsFilePath();

// Where the window remembers the site chosen for its searches (section "Site"): the user's
// settings file when installed. The build folder keeps it in a file of its own in the program's
// config folder: the shipped settings file there is replaced by every build, this one is not.
std::string SiteChoiceFilePath();

// The site profiles: the files of the "sites" folder beside the rules file, sorted by name.
// Installed, the shipped folder's files merged with the user's, the user's winning by name.
std::vector<std::string> SiteProfileFiles();
// The folder a profile the user makes is written into, one SiteProfileFiles lists: installed
// "sites" in the user's config folder, in the build folder the one beside the rules file. It may
// not exist yet.
std::string UserSiteProfileFolder();

// The folder the skin file is looked for in: in the build folder the path the program was started
// by, cut before its last "/" (empty when it holds none); installed, the folder of the skin file
// to read.
std::string SkinDirectory(const std::string& programPath);
std::string SkinDirectoryOf(const std::string& programPath);
std::string SkinFilePath(const std::string& skinDirectory);

// $XDG_DATA_HOME/harvio, else ~/.local/share/harvio.
std::string DataDirectory();
// The lead book, "leads.sqlite" in the data directory.
std::string LeadBookPath();
// The marker a window holds locked while it shows the book's rows, so that a second window never
// shares them.
std::string WindowLockPath();
// The result journal of earlier versions, read once at start-up and then retired.
std::string ResultJournalPath();

// Where the exports are written: the program directory in the build folder; installed, "Harvio"
// in the user's documents folder (as `xdg-user-dir DOCUMENTS` names it, else ~/Documents). It may
// not exist yet: MakeFolders makes it when an export writes.
std::string ExportDirectory();

// Makes the folder and any missing parent with the given mode; true when it exists afterwards.
bool MakeFolders(const std::string& folder, mode_t mode);
