#include "batch/program_folder.h"

#include <system_error>
#include <vector>

// The build defines TARVEK_EXAMPLES_FROM_PROGRAM (the installed examples folder
// relative to the program's folder) and TARVEK_EXAMPLES_SOURCE_FOLDER; both are
// empty where there are no examples to find (the WebAssembly build).

std::filesystem::path ProgramFolder()
{
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error || !program.is_absolute() ? std::filesystem::path() : program.parent_path();
}

std::filesystem::path ExamplePopulation(const std::filesystem::path& name)
{
    if (name.empty() || name != name.filename()) {
        return {};
    }
    std::vector<std::filesystem::path> folders;
    if (const std::filesystem::path program = ProgramFolder();
        !program.empty() && *TARVEK_EXAMPLES_FROM_PROGRAM != '\0') {
        folders.push_back(program / TARVEK_EXAMPLES_FROM_PROGRAM);
    }
    if (*TARVEK_EXAMPLES_SOURCE_FOLDER != '\0') {
        folders.emplace_back(TARVEK_EXAMPLES_SOURCE_FOLDER);
    }
    for (const std::filesystem::path& folder : folders) {
        std::error_code error;
        if (std::filesystem::is_regular_file(folder / name, error)) {
            return (folder / name).lexically_normal();
        }
    }
    return {};
}
