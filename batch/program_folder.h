#pragma once
// Where tarvek-batch itself lies, to find what is installed beside it.

#include <filesystem>

/// \brief The program's own folder, an absolute path; empty when it cannot be
/// known, never the current folder, which anyone may fill.
std::filesystem::path ProgramFolder();

/// \brief The shipped example population `name` (a file name alone): in the
/// installed examples folder or in the source tree's; empty when there is none.
std::filesystem::path ExamplePopulation(const std::filesystem::path& name);
