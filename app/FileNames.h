#pragma once
// File names live with the system's other jobs; this name stays for the files that take it.
#include "platform/qt/FileNames.h"
