#pragma once
// One run of the renderer for a parsed command line.

#include "render/render_options.h"

#include <filesystem>
#include <ostream>

/** Prints the help, the parameter list or renders the WAV file and reports it on out.
    executable locates the installed demo song. Throws UsageError or FileError. */
void RunRenderCommand(const RenderOptions& options, const std::filesystem::path& executable,
                      std::ostream& out);
