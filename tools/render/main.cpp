// vantrix-render: renders the instrument offline from a MIDI file or single notes into a WAV.

#include "platform/executable_path.h"
#include "render/render_command.h"
#include "render/render_error.h"

#include <iostream>

namespace
{
constexpr int kFileErrorStatus = 1;
constexpr int kUsageErrorStatus = 2;

int Report(const char* message, int status)
{
  std::cerr << "vantrix-render: " << message << '\n';
  return status;
}

} // namespace

int main(int argc, char** argv)
{
  try
  {
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    RunRenderCommand(ParseRenderOptions(args), ExecutablePath(argv[0]), std::cout);
    std::cout.flush();
    if (!std::cout) return Report("cannot write to standard output", kFileErrorStatus);
    return 0;
  }
  catch (const UsageError& e)
  {
    return Report(e.what(), kUsageErrorStatus);
  }
  catch (const FileError& e)
  {
    return Report(e.what(), kFileErrorStatus);
  }
  catch (const std::exception& e)
  {
    return Report(e.what(), kFileErrorStatus);
  }
}
