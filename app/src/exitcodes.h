// The program's exit codes (also listed in app/README.md and in --help).
#pragma once

namespace oxapp {

inline constexpr int kExitHelp = 0;                 // --help or --version printed
inline constexpr int kExitBadOptions = 2;           // the command line was refused
inline constexpr int kExitScreenshotNotWritten = 3; // --screenshot FILE could not be written
inline constexpr int kExitNoSurfaces = 4;           // the display surfaces could not be created
inline constexpr int kExitSettingsNotWritten = 5;   // Oxbow.ini could not be written at shutdown
inline constexpr int kExitCode = 18; // the normal shutdown (exit command, close, SIGTERM, SIGINT)

} // namespace oxapp
