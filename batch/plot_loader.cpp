// Finds and loads the picture module: beside the program in the build tree, or
// in the library folder of the installed tree, relative to the program's own
// folder so that an installed tree can be moved.

#include <dlfcn.h>

#include <filesystem>
#include <system_error>

#include "batch/plot_request.h"
#include "batch/program_folder.h"

namespace {

/// The entry point of the module; nullptr with the loader's reason when the
/// module cannot be loaded. The module stays loaded until the process ends:
/// Qt is not made to be unloaded.
WritePlotEntry LoadEntry(std::string& reason)
{
    const std::filesystem::path folder = ProgramFolder();
    if (folder.empty()) {
        reason = "the program's folder is unknown";
        return nullptr;
    }
    void* module = nullptr;
    for (const std::filesystem::path& candidate :
         {folder / TARVEK_PLOT_MODULE, folder / TARVEK_PLOT_MODULE_FROM_PROGRAM / TARVEK_PLOT_MODULE}) {
        module = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module != nullptr) {
            break;
        }
        reason = dlerror();
    }
    if (module == nullptr) {
        return nullptr;
    }
    auto entry = reinterpret_cast<WritePlotEntry>(dlsym(module, WritePlotEntryName));
    if (entry == nullptr) {
        reason = dlerror();
    }
    return entry;
}

}  // namespace

std::string WritePlotWithModule(const PlotRequest& request)
{
    std::string reason;
    const WritePlotEntry entry = LoadEntry(reason);
    if (entry == nullptr) {
        return "the picture module could not be loaded: " + reason;
    }
    PlotFailure failure;
    entry(request, failure);
    return failure.text;
}
