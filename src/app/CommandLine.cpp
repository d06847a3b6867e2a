#include "app/CommandLine.h"

#include "app/Version.h"
#include "definitions/Quoted.h"

#include <algorithm>
#include <filesystem>
#include <ostream>

namespace {

const CommandOption HelpOption{"--help", "", "print this help and exit"};
const CommandOption VersionOption{"--version", "", "print the version and the licences and exit"};

std::string heading(const CommandOption& option) {
    std::string text(option.name);
    if (!option.value.empty()) {
        text += ' ';
        text += option.value;
    }
    return text;
}

const CommandOption* findOption(const CommandLineProgram& program, std::string_view name) {
    if (name == "-h")
        name = "--help";
    if (name == HelpOption.name)
        return &HelpOption;
    if (name == VersionOption.name)
        return &VersionOption;
    for (const CommandOption& option : program.options)
        if (option.name == name)
            return &option;
    return nullptr;
}

} // namespace

std::string commandHelp(const CommandLineProgram& program) {
    std::vector<CommandOption> all = program.options;
    all.push_back(HelpOption);
    all.push_back(VersionOption);
    std::size_t width = 0;
    for (const CommandOption& option : all)
        width = std::max(width, heading(option).size());
    const std::string indent(2 + width + 2, ' ');
    std::string text(program.about);
    text += '\n';
    for (const CommandOption& option : all) {
        std::string line = "  " + heading(option);
        line.resize(indent.size(), ' ');
        std::string_view help = option.help;
        for (std::size_t end = help.find('\n'); end != std::string_view::npos; end = help.find('\n')) {
            text += line;
            text += help.substr(0, end);
            text += '\n';
            line = indent;
            help.remove_prefix(end + 1);
        }
        text += line;
        text += help;
        text += '\n';
    }
    if (!program.after.empty()) {
        text += '\n';
        text += program.after;
    }
    return text;
}

bool splitCommandLine(const CommandLineProgram& program, const std::vector<std::string>& args,
                      std::vector<CommandWord>& words, std::string& error) {
    words.clear();
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (word.size() < 2 || word[0] != '-') {
            if (!program.takesWords) {
                error = "unexpected word " + quotedText(word);
                return false;
            }
            words.push_back({"", word});
            continue;
        }
        const std::size_t equals = word.starts_with("--") ? word.find('=') : std::string::npos;
        const CommandOption* option = findOption(program, std::string_view(word).substr(0, equals));
        if (option == nullptr) {
            error = "unknown option " + quotedText(word);
            return false;
        }
        const std::string name(option->name);
        if (option->value.empty()) {
            if (equals != std::string::npos) {
                error = name + " takes no value";
                return false;
            }
            words.push_back({name, ""});
            continue;
        }
        // An option word where the value should be means the value was left out.
        std::string value;
        if (equals != std::string::npos)
            value = word.substr(equals + 1);
        else if (i + 1 < args.size() && !args[i + 1].starts_with("--"))
            value = args[++i];
        if (value.empty()) {
            error = name + " needs a value, " + std::string(option->value);
            return false;
        }
        words.push_back({name, value});
    }
    return true;
}

int readCommandLine(const CommandLineProgram& program, const std::vector<std::string>& args,
                    std::vector<CommandWord>& words, std::ostream& out, std::ostream& err) {
    // The version is answered wherever it stands, before anything else is read.
    if (asksForVersion(args)) {
        out << versionText(program.name);
        return 0;
    }
    std::string error;
    if (!splitCommandLine(program, args, words, error))
        return refuseCommandLine(program.name, error, err);
    for (const CommandWord& word : words) {
        if (word.option == HelpOption.name) {
            out << commandHelp(program);
            return 0;
        }
    }
    return -1;
}

int refuseCommandLine(std::string_view program, const std::string& what, std::ostream& err) {
    err << program << ": " << what << "; try " << program << " --help\n";
    return 2;
}

bool fromWorkingDirectory(std::string& fileName, std::error_code& gone) {
    if (fileName.empty() || fileName == "-")
        return true;
    const std::filesystem::path path = std::filesystem::absolute(fileName, gone);
    if (gone)
        return false;
    fileName = path.string();
    return true;
}
