#include "tests/window/WindowTest.h"
