#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/DataLookup.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

// A tree with four candidate places; each case says which of them hold res/.
class DataLookupOrder : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* folder :
             {"here", "chosen", "prefix/games", "prefix/share/games/marrowgast", "source"})
            fs::create_directories(dir.path(folder));
    }
    void giveData(const std::string& folder) const { fs::create_directories(dir.path(folder + "/res")); }
    // A folder of the tree as the lookup names it, in the system's own separators ('\' on Windows).
    std::string place(const std::string& folder) const {
        return fs::path(dir.path(folder)).lexically_normal().string();
    }
    DataLookup lookup() const {
        DataLookup facts;
        facts.workingDirectory = dir.path("here");
        facts.executable = dir.path("prefix/games/marrowgast");
        facts.dataFromExecutable = "../share/games/marrowgast";
        facts.sourceDirectory = dir.path("source");
        return facts;
    }

    TempDir dir;
};

TEST_F(DataLookupOrder, TheFirstPlaceThatHoldsResWins) {
    const std::string installed = "prefix/share/games/marrowgast";
    struct Case {
        std::vector<std::string> withData;
        DataSource source;
        std::string folder;
    };
    const Case cases[] = {
        {{"here", installed, "source"}, DataSource::WorkingDirectory, "here"},
        {{installed, "source"}, DataSource::Installed, installed},
        {{"source"}, DataSource::SourceTree, "source"},
        {{"here", "source"}, DataSource::WorkingDirectory, "here"},
    };
    for (const Case& c : cases) {
        fs::remove_all(dir.path("here/res"));
        fs::remove_all(dir.path(installed + "/res"));
        fs::remove_all(dir.path("source/res"));
        for (const std::string& folder : c.withData)
            giveData(folder);
        const DataLocation found = findDataDirectory(lookup());
        EXPECT_EQ(found.source, c.source) << c.folder;
        EXPECT_EQ(found.directory, place(c.folder)) << c.folder;
        EXPECT_TRUE(found.error.empty()) << found.error;
    }
}

TEST_F(DataLookupOrder, AChosenFolderIsTheOnlyPlaceTried) {
    giveData("here");
    giveData("chosen");
    DataLookup facts = lookup();
    struct Case {
        std::string chosen;
        DataSource source;
        std::string directory;
    };
    const Case cases[] = {
        {dir.path("chosen"), DataSource::Chosen, dir.path("chosen")},
        // Relative to where the program was started, trailing slash and dots folded away.
        {"../chosen/", DataSource::Chosen, dir.path("chosen")},
        {"./", DataSource::Chosen, dir.path("here")},
        // No res/ there: refused, even though the working directory has data.
        {dir.path("source"), DataSource::None, ""},
        {"nowhere", DataSource::None, ""},
    };
    for (const Case& c : cases) {
        facts.chosen = c.chosen;
        const DataLocation found = findDataDirectory(facts);
        EXPECT_EQ(found.source, c.source) << c.chosen;
        EXPECT_EQ(found.directory, c.directory) << c.chosen;
        if (c.source == DataSource::None) {
            EXPECT_NE(found.error.find("--data " + c.chosen + ": there is no res/ folder"), std::string::npos)
                << found.error;
        }
    }
}

TEST_F(DataLookupOrder, OnlyAFolderNamedResCounts) {
    // A file called res is not the data; a link to a folder is.
    std::ofstream(dir.path("here/res")) << "not a folder";
    giveData("source");
    EXPECT_EQ(findDataDirectory(lookup()).source, DataSource::SourceTree);

#ifndef __unix__
    GTEST_SKIP() << "the symbolic link to a folder is made the POSIX way";
#endif
    fs::remove(dir.path("here/res"));
    fs::create_directory_symlink(dir.path("source/res"), dir.path("here/res"));
    EXPECT_EQ(findDataDirectory(lookup()).source, DataSource::WorkingDirectory);
}

TEST_F(DataLookupOrder, PlacesThatCannotBeNamedAreSkippedAndTheFailureListsTheRest) {
    DataLookup facts = lookup();
    DataLocation found = findDataDirectory(facts);
    EXPECT_EQ(found.source, DataSource::None);
    EXPECT_TRUE(found.directory.empty());
    EXPECT_EQ(found.error, "cannot find the game's data: no res/ folder in " + place("here") + ", " +
                               place("prefix/share/games/marrowgast") + " or " + place("source") +
                               "; name the folder that holds res/ with --data DIR");

    // An installed build knows no source tree; an unknown executable gives no installed place.
    facts.sourceDirectory.clear();
    facts.executable.clear();
    facts.optionName = "--root";
    found = findDataDirectory(facts);
    EXPECT_EQ(found.error, "cannot find the game's data: no res/ folder in " + place("here") +
                               "; name the folder that holds res/ with --root DIR");

    // With not even the working directory named, nothing is looked in; it says so.
    facts.workingDirectory.clear();
    EXPECT_EQ(findDataDirectory(facts).error,
              "cannot find the game's data: no res/ folder in any folder (the working directory cannot be "
              "named); name the folder that holds res/ with --root DIR");

    giveData("prefix/share/games/marrowgast");
    facts = lookup();
    facts.workingDirectory.clear();
    EXPECT_EQ(findDataDirectory(facts).source, DataSource::Installed);
}

} // namespace
