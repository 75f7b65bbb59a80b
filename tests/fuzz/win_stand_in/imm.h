// Input-method names the host state declares; see windows.h beside this file.
#pragma once

#include <windows.h>

struct HIMC__;
using HIMC = HIMC__*;
