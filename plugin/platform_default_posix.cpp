#include "plugin/platform.h"

namespace hvx {

// On POSIX systems the plug-in's dialogs are the console prompts.
IPlatform& DefaultPlatform() {
  static CConsolePlatform console;
  return console;
}

}  // namespace hvx
