#include "app/DataLookup.h"

#include "platform/system/ProgramFile.h"

#include <filesystem>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string normalised(const fs::path& path) {
    const fs::path normal = path.lexically_normal();
    std::string text = normal.string();
    // "/usr/share/games/marrowgast/" and "/usr/share/games/marrowgast" are one folder, as
    // are "C:\Games\Marrowgast\" and "C:\Games\Marrowgast"; a root ("/", "C:\") stays.
    const bool separator =
        !text.empty() && (text.back() == '/' || text.back() == fs::path::preferred_separator);
    if (text.size() > 1 && separator && normal.has_relative_path())
        text.pop_back();
    return text;
}

DataLocation found(DataSource source, const std::string& directory) {
    DataLocation location;
    location.source = source;
    location.directory = directory;
    return location;
}

} // namespace

bool holdsGameData(const std::string& directory) {
    if (directory.empty())
        return false;
    std::error_code error;
    return fs::is_directory(fs::path(directory) / "res", error);
}

DataLocation findDataDirectory(const DataLookup& lookup) {
    if (!lookup.chosen.empty()) {
        fs::path chosen = lookup.chosen;
        if (chosen.is_relative() && !lookup.workingDirectory.empty())
            chosen = fs::path(lookup.workingDirectory) / chosen;
        const std::string directory = normalised(chosen);
        if (holdsGameData(directory))
            return found(DataSource::Chosen, directory);
        DataLocation missing;
        missing.error = lookup.optionName + " " + lookup.chosen + ": there is no res/ folder in " + directory;
        return missing;
    }

    std::vector<std::string> tried;
    auto consider = [&tried](const std::string& directory) {
        if (directory.empty())
            return false;
        tried.push_back(directory);
        return holdsGameData(directory);
    };
    const std::string here = lookup.workingDirectory.empty() ? "" : normalised(lookup.workingDirectory);
    if (consider(here))
        return found(DataSource::WorkingDirectory, here);
    if (!lookup.executable.empty() && !lookup.dataFromExecutable.empty()) {
        const std::string installed =
            normalised(fs::path(lookup.executable).parent_path() / lookup.dataFromExecutable);
        if (consider(installed))
            return found(DataSource::Installed, installed);
    }
    const std::string source = lookup.sourceDirectory.empty() ? "" : normalised(lookup.sourceDirectory);
    if (consider(source))
        return found(DataSource::SourceTree, source);

    DataLocation missing;
    missing.error = "cannot find the game's data: no res/ folder in ";
    for (std::size_t i = 0; i < tried.size(); ++i) {
        if (i > 0)
            missing.error += i + 1 == tried.size() ? " or " : ", ";
        missing.error += tried[i];
    }
    if (tried.empty())
        missing.error += "any folder (the working directory cannot be named)";
    missing.error += "; name the folder that holds res/ with " + lookup.optionName + " DIR";
    return missing;
}

DataLookup lookupForThisProgram(std::string chosen, std::string dataFromExecutable,
                                std::string sourceDirectory) {
    DataLookup lookup;
    lookup.chosen = std::move(chosen);
    lookup.dataFromExecutable = std::move(dataFromExecutable);
    lookup.sourceDirectory = std::move(sourceDirectory);
    std::error_code error;
    const fs::path here = fs::current_path(error);
    if (!error)
        lookup.workingDirectory = here.string();
    lookup.executable = programFile();
    return lookup;
}
