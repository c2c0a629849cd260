// The scripted platform is defined in its header.
#include "tests/platform_scripted.h"
