// Where the program's files are: the build folder keeps everything beside the executable, an
// installed program reads PREFIX/share/harvio under the user's own files in the XDG folders and
// exports into the documents folder.

#include "platform/program_paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/program_directory.h"
#include "support/scoped_environment.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

void Touch(const fs::path& file) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << file.filename().string();
}

// A prefix with bin/ as the program directory and, as the case wants, a config folder beside the
// executable and the installed share/harvio; a home with its own XDG folders. The environment
// and the program directory are restored afterwards.
class ProgramPathsTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(Bin());
        SetProgramDirectoryForTesting(Bin().string());
        setenv("HOME", Home().c_str(), 1);
        setenv("XDG_CONFIG_HOME", (Home() / "config").c_str(), 1);
        setenv("XDG_DATA_HOME", (Home() / "data").c_str(), 1);
        setenv("PATH", (root.Path() / "no-programs").c_str(), 1);
    }
    void TearDown() override { SetProgramDirectoryForTesting(""); }

    fs::path Bin() const { return root.Path() / "prefix" / "bin"; }
    fs::path Config() const { return Bin() / "config"; }
    fs::path Shipped() const { return root.Path() / "prefix" / "share" / "harvio"; }
    fs::path Home() const { return root.Path() / "home"; }
    fs::path UserConfig() const { return Home() / "config" / "harvio"; }
    void Install() { fs::create_directories(Shipped()); }

    // An xdg-user-dir that prints the text and exits with the status.
    void FakeUserDirProgram(const std::string& printed, int status = 0) {
        const fs::path folder = root.Path() / "programs";
        fs::create_directories(folder);
        std::ofstream(folder / "xdg-user-dir")
            << "#!/bin/sh\nprintf '%s\\n' '" << printed << "'\nexit " << status << "\n";
        fs::permissions(folder / "xdg-user-dir", fs::perms::owner_all);
        setenv("PATH", folder.c_str(), 1);
    }

    ScopedEnvironment environment{"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "PATH"};
    TempDir root;
};

TEST_F(ProgramPathsTest, AConfigFolderBesideTheProgramMeansTheBuildFolderAndShippedFilesMeanInstalled) {
    struct Case {
        bool configBeside;
        bool shipped;
        ProgramLayout layout;
    };
    const Case cases[] = {
        {true, false, ProgramLayout::kBuildFolder},
        {false, true, ProgramLayout::kInstalled},
        {true, true, ProgramLayout::kBuildFolder},
        // Neither: the files are looked for beside the program, where they were always expected.
        {false, false, ProgramLayout::kBuildFolder},
    };
    Touch(UserConfig() / kProvinceListName);  // looked at only when installed
    for (const Case& c : cases) {
        fs::remove_all(Config());
        fs::remove_all(Shipped());
        if (c.configBeside) fs::create_directories(Config());
        if (c.shipped) Install();
        EXPECT_EQ(CurrentProgramLayout(), c.layout) << c.configBeside << c.shipped;
        if (c.layout == ProgramLayout::kInstalled) continue;
        EXPECT_EQ(ProvinceListPath(), (Config() / kProvinceListName).string());
        EXPECT_EQ(SettingsFilePath(), (Config() / kSettingsFileName).string());
        EXPECT_EQ(UserSettingsFilePath(), "");
        EXPECT_EQ(ExportDirectory(), Bin().string());
    }
    EXPECT_EQ(DataDirectory(), (Home() / "data" / "harvio").string());
}

TEST_F(ProgramPathsTest, InstalledTheUsersOwnFileWinsOverTheShippedOneOfTheSameName) {
    Install();
    struct Case {
        const char* name;
        std::string (*path)();
    };
    const Case cases[] = {{kRulesFileName, RulesFilePath},
                          {kProvinceListName, ProvinceListPath},
                          {kSettingsFileName, SettingsFilePath}};
    for (const Case& c : cases) {
        Touch(Shipped() / c.name);
        EXPECT_EQ(c.path(), (Shipped() / c.name).string()) << c.name;
        Touch(UserConfig() / c.name);
        EXPECT_EQ(c.path(), (UserConfig() / c.name).string()) << c.name;
        // A folder of that name is no file of the user's.
        fs::remove(UserConfig() / c.name);
        fs::create_directories(UserConfig() / c.name);
        EXPECT_EQ(c.path(), (Shipped() / c.name).string()) << c.name;
    }
    // The base directory rules ignore a relative XDG_CONFIG_HOME: ~/.config stands in.
    setenv("XDG_CONFIG_HOME", "config", 1);
    Touch(Home() / ".config" / "harvio" / kRulesFileName);
    EXPECT_EQ(RulesFilePath(), (Home() / ".config" / "harvio" / kRulesFileName).string());
    EXPECT_EQ(UserSettingsFilePath(), (Home() / ".config" / "harvio" / kSettingsFileName).string());
}

TEST_F(ProgramPathsTest, SiteProfilesMergeTheShippedWithTheUsersByName) {
    Install();
    Touch(Shipped() / "sites" / "a.site");
    Touch(Shipped() / "sites" / "b.site");
    Touch(UserConfig() / "sites" / "b.site");
    Touch(UserConfig() / "sites" / "c.site");
    fs::create_directories(UserConfig() / "sites" / "folder");
    EXPECT_EQ(SiteProfileFiles(), (std::vector<std::string>{(Shipped() / "sites" / "a.site").string(),
                                                            (UserConfig() / "sites" / "b.site").string(),
                                                            (UserConfig() / "sites" / "c.site").string()}));
    EXPECT_EQ(UserSiteProfileFolder(), (UserConfig() / "sites").string());
    fs::create_directories(Config());
    EXPECT_EQ(UserSiteProfileFolder(), (Config() / "sites").string());
    EXPECT_EQ(SiteProfileFiles(), std::vector<std::string>{});
    Touch(Config() / "sites" / "z.site");
    EXPECT_EQ(SiteProfileFiles(), std::vector<std::string>{(Config() / "sites" / "z.site").string()});
}

TEST_F(ProgramPathsTest, TheSkinComesFromTheStartPathInTheBuildFolderAndFromTheFilesInstalled) {
    const struct {
        const char* programPath;
        const char* directory;
    } cutAtLastSeparator[] = {{"/opt/harvio/bin/harvio", "/opt/harvio/bin"},
                              {"./harvio", "."},
                              {"harvio", ""},
                              {"", ""},
                              {"/harvio", ""}};
    for (const auto& c : cutAtLastSeparator) {
        EXPECT_EQ(SkinDirectoryOf(c.programPath), c.directory) << c.programPath;
        EXPECT_EQ(SkinDirectory(c.programPath), c.directory) << c.programPath;
    }
    EXPECT_EQ(SkinFilePath(""), "/QQ2009.she");
    EXPECT_EQ(SkinFilePath("/opt/harvio"), "/opt/harvio/QQ2009.she");

    Install();
    EXPECT_EQ(SkinDirectory("harvio"), Shipped().string());
    Touch(UserConfig() / kSkinFileName);
    EXPECT_EQ(SkinDirectory("harvio"), UserConfig().string());
}

TEST_F(ProgramPathsTest, InstalledExportsGoToHarvioInTheDocumentsFolder) {
    Install();
    const std::string fallback = (Home() / "Documents" / "Harvio").string();
    EXPECT_EQ(ExportDirectory(), fallback);  // no xdg-user-dir to ask
    const struct {
        std::string printed;
        int status;
        std::string exportDirectory;
    } answers[] = {
        {"/srv/docs/Dokumente", 0, "/srv/docs/Dokumente/Harvio"},
        {"/srv/docs with space", 0, "/srv/docs with space/Harvio"},
        // The home folder itself is its answer for a documents folder never set up.
        {Home().string(), 0, fallback},
        {Home().string() + "/", 0, fallback},
        {"", 0, fallback},
        {"relative/docs", 0, fallback},
        {"/srv/docs", 1, fallback},
    };
    for (const auto& answer : answers) {
        FakeUserDirProgram(answer.printed, answer.status);
        EXPECT_EQ(ExportDirectory(), answer.exportDirectory) << answer.printed;
    }
}

}  // namespace
